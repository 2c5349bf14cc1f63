// Reading KIF and KI2 record text into a RecordStore: one line classifier for files, clipboard
// texts, merges and Dalmir's registration. Each line is classified in a fixed order of tests
// (header key, comment, bookmark, handicap and side-to-move lines, players and hands, diagram
// rows, variation markers, KIF and KI2 move lines); moves are applied to the store's slot 0 as
// they are read and checked against the rules. Rule violations are warnings: the move stays.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"
#include "core/record/record_store.h"

namespace core {

// Settings and circumstances the reader follows.
struct ReadOptions {
    bool ruleCheck = true;  // "ルール確認": check each move, warn about violations
    bool autoTimeUsed = false;  // "消費時間自動設定": fill an empty "消費時間" from the times
    // "ユーザ定義情報１".."５": key names (without the colon) of the user header fields.
    std::array<std::string, kUserHeaderFieldCount> userKeys{};
    // Dalmir's smaller vocabulary: fewer header, player and result words, no message-box
    // warnings (a rule violation only sets the reading error text).
    bool database = false;
    // Stop reading at the first variation marker (Dalmir keeps only the main line).
    bool mainLineOnly = false;
    // The record's file name, used in the warning texts.
    std::string fileName;
};

struct [[nodiscard]] ReadReport {
    // CannotOpen (text reading: a line failed), CapacityReached (the record store ran out of
    // nodes) or LineFailed (a move text or diagram row failed; the store's readingError says
    // which).
    ReadResult result = ReadResult::Ok;
    // Warnings in reading order: rule violations, unspecified promotions, characters a
    // UTF-8 file had that Shift-JIS cannot hold.
    std::vector<std::string> warnings;
    // Text reading only: the name a "ファイル名：" line gave, empty if none.
    std::string fileName;
    // The bytes were UTF-8 and were converted.
    bool wasUtf8 = false;
    // Some of those bytes were not UTF-8 (replaced by "？" and warned about with their lines).
    bool invalidUtf8 = false;
    // Reading with mainLineOnly stopped at a variation marker (the record has variations).
    bool stoppedAtVariation = false;
    // The text a reader shows itself for the failure (the CSA reader's dialog); empty
    // when the caller composes the message from the store's readingError.
    std::string message;
};

// Reader result messages and captions.
std::string msgFileMissing(std::string_view path);  // "ファイルがありません。(%s)"
std::string msgReadError(std::string_view path,
                         std::string_view detail);  // "棋譜読込みエラー(%s)\n%s"
const std::string& msgRecordSizeOver();             // "棋譜サイズオーバ：..."
const std::string& captionReadError();              // "棋譜読込みエラー"

// Record file bytes as text (UTF-8). A UTF-8 file (a byte-order mark, the extension "kifu",
// "ki2u" or "csau" in any case, or bytes that are valid UTF-8 with at least one multi-byte
// character) is kept as it is; any other file is Shift-JIS and is converted, each byte that is
// no Shift-JIS character becoming "？" and counted.
struct DecodedText {
    std::string text;
    bool wasUtf8 = false;
    int replaced = 0;  // bytes of a Shift-JIS file replaced by "？"
    // Lines (from 1) that had bytes that are not UTF-8; each such byte became "？".
    std::vector<int> invalidLines;
};
DecodedText decodeRecordBytes(std::string bytes, std::string_view extension);

// The warning for bytes replaced while converting a Shift-JIS file.
std::string msgReplacedCharacters(int count);
// The warning for a line of a UTF-8 file that had bytes that are not UTF-8.
std::string msgInvalidUtf8(int line);
// The warnings converting a file gave, in the order they come before the reader's own.
std::vector<std::string> decodeWarnings(const DecodedText& decoded);

// Reads a KIF/KI2 record file (any extension but CSA) into store, replacing what it held.
// After any result the store holds what was read before the failure, the start position is set
// up in slot 0 and the root is current.
ReadReport readRecordFile(RecordStore& store, const std::string& path, const ReadOptions& options);

// As readRecordFile on text already in memory (a file's content after decoding).
ReadReport readRecordLines(RecordStore& store, std::string_view text, const ReadOptions& options);

// Reads record text taken from the clipboard. Not merging, the record is replaced; merging, the
// existing moves, header fields and names stay and the text's moves are added as alternatives.
// One leading markup tag of a line is ignored. result: Ok, LineFailed (-1 for callers) or
// CapacityReached.
ReadReport readRecordText(RecordStore& store, std::string_view text, bool merge,
                          const ReadOptions& options);

// Whether a text may be merged into the record: it must start from the same position.
enum class [[nodiscard]] MergeCheckResult : int{
    Ok = 0,
    HandicapDiffers,
    SideDiffers,
    StartDiffers,
};
// Reads only what defines the text's start (and takes over its header lines and player names),
// compares it with the record's start, and leaves the record's start as it was.
MergeCheckResult checkMergeStart(RecordStore& store, std::string_view text,
                                 const ReadOptions& options);
// "手合が違います。", "手番が違います。", "開始局面が違います。"; empty for Ok.
std::string_view mergeCheckMessage(MergeCheckResult check);

}  // namespace core
