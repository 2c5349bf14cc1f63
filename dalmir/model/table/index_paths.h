// Record-file paths as the index stores them: absolute (beginning with "/") or relative to the
// folder of the index file. Paths are CP932 bytes; every search steps by character, so the
// second byte of a two-byte character is never taken for "/", "." or an ASCII letter.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dalmir::model {

inline bool isAbsolutePath(std::string_view path) { return !path.empty() && path[0] == '/'; }

// A stored path as a path to open: an absolute path as it stands, a relative one behind the
// index folder (which ends in "/", or is empty for an untitled database).
std::string resolvePath(std::string_view indexFolder, std::string_view path);

// The path with its extension (after the last "." of the file name) in upper case. Older
// versions stored paths in this form; paths are now stored as they are on disk.
std::string normalisePath(std::string_view path);

// The path relative to indexFolder when it lies inside it (compared exactly, as the file system
// does); nullopt otherwise.
std::optional<std::string> relativeTo(std::string_view indexFolder, std::string_view path);

// The key under which a path is compared: the path as it is, but for the case of the extension's
// ASCII letters, so that an entry stored with an upper-cased extension still names its file.
std::string pathKey(std::string_view path);

// Whether two paths name the same record: equal but for the case of the extension.
inline bool samePath(std::string_view a, std::string_view b) { return pathKey(a) == pathKey(b); }

}  // namespace dalmir::model
