#include "tavrel/logic/document/command_line.h"

#include <cctype>
#include <charconv>

namespace tavrel {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::optional<int> decimal(std::string_view s) {
    if (s.empty()) return std::nullopt;
    std::string_view digits = s;
    if (digits.front() == '+') digits.remove_prefix(1);
    int value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end == digits.data()) return std::nullopt;
    return value;
}

// "+n" with only digits after the plus sign.
std::optional<int> plyToken(std::string_view s) {
    if (s.size() < 2 || s.front() != '+') return std::nullopt;
    for (char c : s.substr(1)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    }
    return decimal(s.substr(1));
}

bool takesFile(char c) { return std::string_view("RrAaGgPp").find(c) != std::string_view::npos; }

// Whether a token beginning with "/" is a path rather than a switch.
bool isPathToken(std::string_view t) {
    if (t.size() < 2 || t.find('/', 1) == std::string_view::npos) return false;
    return !(t.size() > 2 && takesFile(t[1]) && t[2] == '/');
}

}  // namespace

std::vector<CommandToken> splitCommandLine(std::string_view text) {
    std::vector<CommandToken> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i])) ++i;
        if (i >= text.size()) break;
        CommandToken token;
        token.quoted = text[i] == '"';
        bool inQuotes = false;
        while (i < text.size() && (inQuotes || !isBlank(text[i]))) {
            if (text[i] == '"') {
                inQuotes = !inQuotes;
            } else {
                token.text += text[i];
            }
            ++i;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

CommandLine parseCommandLine(const std::vector<CommandToken>& tokens) {
    CommandLine cl;
    std::optional<std::string> upperEnvironment;
    std::optional<std::string> lowerEnvironment;
    auto setFile = [&cl](std::string name) {
        if (!name.empty()) cl.file = std::move(name);
    };
    for (const CommandToken& token : tokens) {
        std::string_view t = token.text;
        if (token.quoted || t.empty() || t.front() != '/' || isPathToken(t)) {
            std::optional<int> ply = plyToken(t);
            if (!token.quoted && ply && (cl.file || cl.clipboard)) {
                cl.ply = *ply;
            } else {
                setFile(std::string(t));
            }
            continue;
        }
        if (t.size() < 2) continue;
        char letter = t[1];
        std::string_view rest = t.substr(2);
        switch (letter) {
            case 'C':
                if (rest.empty() || rest.front() != 'D') cl.clipboard = true;
                break;
            case 'c':
                cl.clipboard = true;
                break;
            case 'R':
            case 'r':
                cl.replay = true;
                setFile(std::string(rest));
                break;
            case 'A':
                cl.autoReplay = true;
                setFile(std::string(rest));
                break;
            case 'a':
                cl.autoReplayThenClose = true;
                setFile(std::string(rest));
                break;
            case 'G':
            case 'g':
                cl.resumeGame = true;
                setFile(std::string(rest));
                break;
            case 'P':
            case 'p':
                cl.print = true;
                setFile(std::string(rest));
                break;
            case 'B':
            case 'b':
                cl.editPosition = true;
                break;
            case 'E':
                if (!rest.empty() && !upperEnvironment) upperEnvironment = std::string(rest);
                break;
            case 'e':
                if (!rest.empty() && !lowerEnvironment) lowerEnvironment = std::string(rest);
                break;
            case 'X':
                if (auto v = decimal(rest)) cl.windowX = v;
                break;
            case 'Y':
                if (auto v = decimal(rest)) cl.windowY = v;
                break;
            case 'K':
                if (rest.size() >= 1 && rest.front() == 'X') {
                    if (auto v = decimal(rest.substr(1))) cl.recordWindowX = v;
                } else if (rest.size() >= 1 && rest.front() == 'Y') {
                    if (auto v = decimal(rest.substr(1))) cl.recordWindowY = v;
                }
                break;
            default:
                break;
        }
    }
    cl.environmentName = upperEnvironment ? upperEnvironment : lowerEnvironment;
    return cl;
}

std::vector<CommandToken> argumentTokens(const std::vector<std::string>& args) {
    std::vector<CommandToken> tokens;
    for (const std::string& a : args) tokens.push_back(CommandToken{a, false});
    return tokens;
}

}  // namespace tavrel
