#include "core/text/path_text.h"

namespace core {

std::string lowerExtension(std::string_view path) {
    // '/' and '.' are never the second byte of a Shift-JIS character.
    std::size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return "";
    std::string ext(name.substr(dot + 1));
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

}  // namespace core
