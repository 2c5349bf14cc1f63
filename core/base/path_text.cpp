#include "core/base/path_text.h"

namespace core {

std::string_view folderOf(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view fileNameOf(std::string_view path) { return path.substr(folderOf(path).size()); }

std::string_view withoutExtension(std::string_view path) {
    std::size_t nameStart = folderOf(path).size();
    std::size_t dot = path.rfind('.');
    return dot == std::string_view::npos || dot < nameStart ? path : path.substr(0, dot);
}

std::string lowerExtension(std::string_view path) {
    std::string_view name = fileNameOf(path);
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return "";
    std::string ext(name.substr(dot + 1));
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

}  // namespace core
