// Reading a position in the notation of the Universal Shogi Interface as a record: the command
// "position startpos moves 7g7f ...", "position sfen <sfen> moves ...", the same without
// "position", or a bare SFEN. The start becomes the record's start (a standard set-up when it is
// one), the moves its main line; rule violations are warnings as in the KIF reader.
#pragma once

#include <string>
#include <string_view>

#include "core/formats/kif_reader.h"
#include "core/record/record_store.h"

namespace core {

// Whether the first non-blank line of text is a USI position: it starts with "position",
// "startpos" or "sfen", or it is a SFEN (nine ranks, a side to move).
bool looksLikeUsi(std::string_view text);

// Reads the first non-blank line of text into store, replacing what it held. result: Ok;
// LineFailed (1) when the SFEN cannot be read or a move cannot be made (reading stops there;
// report.message and the store's readingError say which word and why); CapacityReached (-2).
// After any result the store holds what was read, slot 0 shows the start and the root is
// current; dirty is 0.
ReadReport readUsiText(RecordStore& store, std::string_view text, const ReadOptions& options);

// As readUsiText on a file's content. CannotOpen (-1) when the file cannot be read.
ReadReport readUsiFile(RecordStore& store, const std::string& path, const ReadOptions& options);

}  // namespace core
