#include "dalmir/model/table/index_paths.h"

#include "core/base/path_text.h"
#include "core/text/sjis.h"

namespace dalmir::model {

namespace {

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Offset of the last single-byte character c in s; npos when none.
std::size_t findLastByte(std::string_view s, char c) {
    std::size_t found = std::string_view::npos;
    core::forEachChar(s, [&](std::size_t i, std::size_t n) {
        if (n == 1 && s[i] == c) found = i;
    });
    return found;
}

}  // namespace

std::string resolvePath(std::string_view indexFolder, std::string_view path) {
    if (isAbsolutePath(path)) return std::string(path);
    std::string out(indexFolder);
    out += path;
    return out;
}

std::string normalisePath(std::string_view path) {
    std::string out(path);
    std::size_t nameStart = core::folderOf(path).size();
    std::size_t dot = findLastByte(path.substr(nameStart), '.');
    if (dot == std::string_view::npos) return out;
    std::string_view extension = path.substr(nameStart + dot + 1);
    core::forEachChar(extension, [&](std::size_t i, std::size_t n) {
        if (n == 1) out[nameStart + dot + 1 + i] = asciiUpper(extension[i]);
    });
    return out;
}

std::optional<std::string> relativeTo(std::string_view indexFolder, std::string_view path) {
    if (indexFolder.empty() || !path.starts_with(indexFolder)) return std::nullopt;
    return std::string(path.substr(indexFolder.size()));
}

std::string pathKey(std::string_view path) { return normalisePath(path); }

}  // namespace dalmir::model
