// The pieces of a path: its folder, its file name and its extension. Paths are bytes with '/' as
// separator, file-system paths (UTF-8) and stored CP932 paths alike: '/' and '.' are never the
// second byte of a Shift-JIS character, so a byte search finds them exactly in valid CP932, and
// it never mistakes UTF-8 bytes for a two-byte character that would swallow one.
#pragma once

#include <string>
#include <string_view>

namespace core {

// The folder including its final '/'; empty when the path names no folder.
std::string_view folderOf(std::string_view path);

// The file name: the part after the last '/' (the whole path when there is none).
std::string_view fileNameOf(std::string_view path);

// The path without the extension of its file name (from the last '.' of the name); the path as
// it stands when the name has no '.'.
std::string_view withoutExtension(std::string_view path);

// The extension of the path's file name (after its last "."), lower-cased ASCII, without the
// "."; empty when the name has none.
std::string lowerExtension(std::string_view path);

}  // namespace core
