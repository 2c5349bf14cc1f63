#include "dalmir/logic/suggestion_lists.h"

#include <array>
#include <utility>

#include "core/text/sjis.h"

namespace dalmir {

std::vector<std::string> suggestionFileNames(std::string_view field) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kEnglish = {{
        {"対局者", "player"},
        {"棋戦", "kisen"},
        {"戦型", "senkei"},
    }};
    std::vector<std::string> names = {std::string(field) + ".txt"};
    for (const auto& [japanese, english] : kEnglish) {
        if (japanese == field) names.push_back(std::string(english) + ".txt");
    }
    return names;
}

std::vector<std::string> suggestionLines(std::string_view fileBytes) {
    const std::string decoded = core::ownTextFileText(fileBytes);
    std::string_view text = decoded;
    std::vector<std::string> out;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        out.push_back(std::string(line));
    }
    return out;
}

}  // namespace dalmir
