// Writing the record of a RecordStore as KIF text: header, start position, players, and every
// move of the tree with its number, origin-form text and times, comments and bookmarks in place,
// the variations after the main line. The texts are CP932 with CR LF line ends; the caller
// converts them (UTF-8 files, the clipboard) where needed.
#pragma once

#include <string>
#include <string_view>

#include "core/base/safe_file.h"
#include "core/formats/record_writer_options.h"
#include "core/record/record_store.h"

namespace core {

// The text of a KIF file.
std::string kifText(const RecordStore& store, const RecordWriteOptions& options);

// The clipboard text: the file text with its own first line, no "盤面回転" and no short names,
// always with the time column. currentLineOnly: only the line through the current node, without
// "+" marks and variations.
std::string kifClipboardText(const RecordStore& store, bool currentLineOnly,
                             const RecordWriteOptions& options);

// With "棋譜読込局面" 3, moves the bookmark "読み込み時表示" to the current node, so that loading
// the file returns there. A current node that carries another bookmark keeps it; the old
// "読み込み時表示" is then left where it was.
void markLoadPosition(RecordStore& store, const RecordWriteOptions& options);

// markLoadPosition, then writes kifText to path crash-safe. On success the store is clean.
[[nodiscard]] WriteResult writeKifFile(RecordStore& store, const std::string& path,
                                       const RecordWriteOptions& options);

// "クリップボードへ棋譜(KIF形式)を出力しました。" or the current-line variant (CP932).
const std::string& msgKifCopied(bool currentLineOnly);

// ---- Parts the KI2 writer shares ----

// The header fields and user fields, one "key：value" line each, in file order.
void appendHeaderLines(std::string& out, const RecordStore& store,
                       const RecordWriteOptions& options);

// A comment as lines starting with "*" (wrapped when the options ask, never inside a two-byte
// character).
void appendCommentLines(std::string& out, std::string_view comment,
                        const RecordWriteOptions& options);

// "&name" when the node carries a bookmark.
void appendBookmarkLine(std::string& out, const RecordStore& store, NodeIndex node);

// The line written after the last node of a line of play at ply n: empty after a real move,
// "まで%d手で先手の勝ち" and the like after a terminal entry. No line end.
std::string endOfLineText(const RecordStore& store, NodeIndex last, int ply);

// "変化：%d手" (no line end).
std::string variationLine(int ply);

// Whether the record counts as a mating problem for "まで%d手詰": its author field is set or
// Black has no king at the start.
bool isMatingProblem(const RecordStore& store);

}  // namespace core
