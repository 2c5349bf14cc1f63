#include "dalmir/model/table/fs_paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "core/base/path_text.h"
#include "core/text/sjis.h"

namespace dalmir::model {

namespace {

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::optional<std::string> storedFromFileSystem(std::string_view fsPath) {
    if (isAscii(fsPath)) return std::string(fsPath);
    if (!core::isValidUtf8(fsPath)) return std::nullopt;
    // The index files hold paths in Shift-JIS: the path must survive the trip there and back.
    // Some characters share one Shift-JIS form (U+2212 and U+FF0D both become 0x817C); the stored
    // path must lead back to this file, not to its look-alike.
    core::Cp932Conversion c = core::utf8ToCp932(fsPath);
    if (!c.ok || c.replaced > 0) return std::nullopt;
    std::optional<std::string> back = core::cp932ToUtf8(c.text);
    if (!back || *back != fsPath) return std::nullopt;
    return std::string(fsPath);
}

std::string fileSystemFromStored(std::string_view stored) { return std::string(stored); }

namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace

std::string locateFile(std::string fsPath) {
    if (isFile(fsPath)) return fsPath;
    std::size_t nameStart = core::folderOf(fsPath).size();
    std::size_t dot = fsPath.rfind('.');
    if (dot != std::string::npos && dot > nameStart) {
        std::string lowered = fsPath;
        for (std::size_t i = dot + 1; i < lowered.size(); ++i) lowered[i] = asciiLower(lowered[i]);
        if (lowered != fsPath && isFile(lowered)) return lowered;
    }
    std::string folder = nameStart == 0 ? std::string(".") : fsPath.substr(0, nameStart);
    std::string_view name = std::string_view(fsPath).substr(nameStart);
    if (DIR* dir = ::opendir(folder.c_str())) {
        std::string found;
        while (dirent* e = ::readdir(dir)) {
            if (equalIgnoringAsciiCase(e->d_name, name)) {
                found = fsPath.substr(0, nameStart) + e->d_name;
                if (isFile(found)) break;
                found.clear();
            }
        }
        ::closedir(dir);
        if (!found.empty()) return found;
    }
    return fsPath;
}

}  // namespace dalmir::model
