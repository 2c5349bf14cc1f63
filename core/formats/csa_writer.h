// Writing the main line of a RecordStore as CSA text (version 2.2): the header lines, the start
// position square by square with both hands and the side to move, every move with ",T" and its
// seconds, comments as "'*" lines and the terminal word. Variations are not written.
#pragma once

#include <string>

#include "core/base/safe_file.h"
#include "core/record/record_store.h"

namespace core {

// The record as CSA text, CP932 with CR LF line ends (the file's bytes, and the clipboard form).
std::string csaText(const RecordStore& store);

// Writes csaText to path crash-safe. On success the store's dirty counter is reset. CannotCreate
// when the file cannot be created, WriteFailed when writing failed (the old file is untouched).
[[nodiscard]] WriteResult writeCsaFile(RecordStore& store, const std::string& path);

}  // namespace core
