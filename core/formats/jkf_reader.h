// Reading a JSON kifu file (.jkf) into a RecordStore: header keys (the KIF keys, the players,
// the handicap name), the start from a preset or a board with hands, and the moves with their
// variations ("forks"), times, comments and closing entries. A move may name its origin, or only
// its piece with a relative word or "same"; the origin is then found as for a traditional move
// text. Rule violations are warnings, as in the KIF reader; a move that cannot be made at all,
// malformed JSON or a field of the wrong type stops reading with the place in the file.
#pragma once

#include <string>
#include <string_view>

#include "core/formats/kif_reader.h"
#include "core/record/record_store.h"

namespace core {

// Whether the path names a JSON kifu file: its extension is "jkf" in any case.
bool isJkfPath(std::string_view path);

// Whether text (after blanks) starts with "{": pasted text that is meant as a JSON kifu record.
bool looksLikeJkf(std::string_view text);

// Reads a JSON kifu file into store, replacing what it held. result: Ok; CannotOpen (-1) when the
// file cannot be read; LineFailed (1) when the text is not JSON, a field is missing or has the
// wrong type, or a move cannot be made: reading stopped there, report.message and the store's
// readingError give the place (line and column, or the JSON pointer of the field) and the
// reason; CapacityReached (-2) when the store ran out of nodes. After any result the store holds
// what was read before the fault, slot 0 shows the start and the root is current; dirty is 0.
ReadReport readJkfFile(RecordStore& store, const std::string& path, const ReadOptions& options);

// As readJkfFile on the file's bytes (UTF-8, a byte-order mark allowed).
ReadReport readJkfText(RecordStore& store, std::string_view bytes, const ReadOptions& options);

}  // namespace core
