// Reading CSA record text (versions 1 to 3.0) into a RecordStore: player names and the header
// keys, the start position from "PI" or "P" lines with hands and side to move, the main line of
// moves with their times ("T" lines and ",T" parts), comments ("'*"), and the terminal word.
// Dalmir's smaller reader is the same code with ReadOptions::database set.
#pragma once

#include <string>
#include <string_view>

#include "core/formats/kif_reader.h"
#include "core/record/record_store.h"

namespace core {

// Whether the path names a CSA file: its extension is "csa" (or "csau") in any case.
bool isCsaPath(std::string_view path);

// Reads a CSA file into store, replacing what it held. result: Ok; CannotOpen (-1); LineFailed
// (1) when a move could not be made (a drop of a piece not in hand, an empty origin, a piece code
// that fits neither the origin's piece nor its promotion): reading stopped there, the store's
// readingError says "%d手目:"%s"" and report.message holds the dialog text; CapacityReached (-2)
// when the store ran out of nodes. After any result the store holds what was read, the start
// position is fixed, slot 0 shows it and the root is current; dirty is 0.
ReadReport readCsaFile(RecordStore& store, const std::string& path, const ReadOptions& options);

// CSA file bytes as CP932 text: as decodeRecordBytes, but a file that declares its encoding
// ("'CSA encoding=UTF-8" or "=SHIFT_JIS" on its first line) is taken at its word.
DecodedText decodeCsaBytes(std::string bytes, std::string_view extension);

// As readCsaFile on CP932 text already in memory.
ReadReport readCsaLines(RecordStore& store, std::string_view text, const ReadOptions& options);

// Reader messages.
std::string msgCsaNoPiece(int line, std::string_view text, int ply);  // "…駒がありません。"
std::string msgCsaCannotDrop(int line, std::string_view text, int ply);  // "…打てません。"
std::string msgCsaBadMove(int line, std::string_view text, int ply);     // "…指せません。"
const std::string& msgCsaMoreGames();  // a second game follows a "/" line

}  // namespace core
