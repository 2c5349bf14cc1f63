// Paths cross here between the file system, which holds names as UTF-8 bytes, and the index,
// which keeps every text (record paths and its own path) as CP932 like the files it writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dalmir::model {

// The CP932 form of a file-system path; nullopt when the path is not UTF-8, holds a character
// CP932 has no form for, or one whose CP932 form converts back to another character (such a
// file can't be registered).
std::optional<std::string> storedFromFileSystem(std::string_view fsPath);

// The file-system path of a stored (CP932) path. Bytes that are not CP932 are kept as they are.
std::string fileSystemFromStored(std::string_view stored);

// The file a stored path names, as a path to open: the path itself when it exists; else, as
// paths are registered with the extension upper-cased, the file whose name differs only in the
// case of ASCII letters (the extension in lower case is tried first). The path itself when
// none is found.
std::string locateFile(std::string fsPath);

}  // namespace dalmir::model
