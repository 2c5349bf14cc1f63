// Writing the record of a RecordStore as KI2 text: header, players, start position if custom,
// then the moves in traditional notation several per line in fixed-width columns, each after its
// side mark, with comments, bookmarks, end-of-line texts and variations placed as in KIF. Texts
// are CP932 with CR LF line ends.
#pragma once

#include <string>

#include "core/base/safe_file.h"
#include "core/formats/record_writer_options.h"
#include "core/record/record_store.h"

namespace core {

enum class Ki2ClipboardMode : int {
    Whole = 0,          // the whole record
    Mail = 1,           // the same text, built into mail texts
    MatingProblem = 2,  // no marks, half-width, traditional, "、" after each move, no bookmarks
    CurrentLine = 3,    // the line through the current node up to its last real move
};

// The text of a KI2 file.
std::string ki2Text(const RecordStore& store, const RecordWriteOptions& options);

// The clipboard (or mail) text of a mode; no "盤面回転" line, marks by the clipboard flag.
std::string ki2ClipboardText(const RecordStore& store, Ki2ClipboardMode mode,
                             const RecordWriteOptions& options);

// markLoadPosition, then writes ki2Text to path crash-safe. On success the store is clean.
[[nodiscard]] WriteResult writeKi2File(RecordStore& store, const std::string& path,
                                       const RecordWriteOptions& options);

// The status text after copying in a mode; empty for Mail, which shows none.
const std::string& msgKi2Copied(Ki2ClipboardMode mode);

}  // namespace core
