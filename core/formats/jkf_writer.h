// Writing a RecordStore as a JSON kifu file (.jkf): the header as key/value texts with the KIF
// keys, the start as a preset or a board with hands, and the whole tree of moves with their
// pieces, relative words, times, comments and closing entries; variations become "forks". The
// text is UTF-8; the store's CP932 texts are converted here.
#pragma once

#include <string>

#include "core/base/safe_file.h"
#include "core/formats/record_writer_options.h"
#include "core/record/record_store.h"

namespace core {

// The JSON text of the record (UTF-8, CR LF line ends). Bookmarks, which the format has no word
// for, are kept as a "bookmark" field of their move; other readers ignore it.
std::string jkfText(const RecordStore& store, const RecordWriteOptions& options);

// Writes jkfText to path crash-safe. On success the store is clean.
[[nodiscard]] WriteResult writeJkfFile(RecordStore& store, const std::string& path,
                                       const RecordWriteOptions& options);

}  // namespace core
