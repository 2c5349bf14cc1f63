#include "core/text/message_format.h"

#include "core/text/sjis.h"

namespace core {

std::string formatMessage(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(format.size() + 64);
    auto arg = args.begin();
    for (std::size_t i = 0; i < format.size();) {
        std::size_t n = charLength(format, i);
        if (n == 1 && format[i] == '%' && i + 1 < format.size() &&
            (format[i + 1] == 's' || format[i + 1] == 'd') && arg != args.end()) {
            out += *arg++;
            i += 2;
            continue;
        }
        out.append(format.substr(i, n));
        i += n;
    }
    return out;
}

std::string formatMessageUtf8(const char* formatUtf8,
                              std::initializer_list<std::string_view> args) {
    return formatMessage(std::string(formatUtf8), args);
}

}  // namespace core
