// Writing the main line of a RecordStore as CSA text (version 2.2): the header lines, the start
// position square by square with both hands and the side to move, every move with ",T" and its
// seconds, comments as "'*" lines and the terminal word. Variations are not written.
#pragma once

#include <string>

#include "core/base/safe_file.h"
#include "core/record/record_store.h"

namespace core {

// The record as CSA text with CR LF line ends (UTF-8: the clipboard form, and the file's text
// before it is converted to Shift-JIS).
std::string csaText(const RecordStore& store);

// csaText after a first line "'CSA encoding=UTF-8": the UTF-8 file, which the reader takes as
// UTF-8 whatever its extension.
std::string csaUtf8Text(const RecordStore& store);

// Writes csaText to path in Shift-JIS, crash-safe (Unencodable, with nothing written, when the
// record holds a character Shift-JIS cannot hold). On success the store's dirty counter is reset.
// CannotCreate when the file cannot be created, WriteFailed when writing failed (the old file is
// untouched).
[[nodiscard]] WriteResult writeCsaFile(RecordStore& store, const std::string& path);

}  // namespace core
