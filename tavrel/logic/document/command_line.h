// The viewer's command line: the record file, the ply to show, and the switches with which the
// user, the desktop and the database program start it. Parsing is pure; the application acts on
// the result in the order of priority the switches have.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// One blank-separated token; a double-quoted part may hold blanks (the quotes are removed).
struct CommandToken {
    std::string text;
    bool quoted = false;  // the token started with a double quote: always a name
};
std::vector<CommandToken> splitCommandLine(std::string_view text);

struct CommandLine {
    // The record file; the last name given wins.
    std::optional<std::string> file;
    // "+n" after a file name or after "/C".
    std::optional<int> ply;
    bool clipboard = false;            // "/C", "/c"
    bool replay = false;               // "/R", "/r"
    bool autoReplay = false;           // "/A"
    bool autoReplayThenClose = false;  // "/a"
    bool resumeGame = false;           // "/G", "/g"
    bool editPosition = false;         // "/B", "/b"
    bool print = false;                // "/P", "/p"
    // "/E<name>" (or else "/e<name>"): the environment name.
    std::optional<std::string> environmentName;
    // "/X%d", "/Y%d": main window left and top; "/KX%d", "/KY%d": record window left and top.
    std::optional<int> windowX;
    std::optional<int> windowY;
    std::optional<int> recordWindowX;
    std::optional<int> recordWindowY;
};

// Scans the arguments left to right. A token starting with "/" is a switch unless it is a path:
// it holds a second "/" that is not the start of a file attached directly to a file switch
// ("/R/home/a.kif" is /R with a file, "/home/a.kif" and "/Records/a.kif" are names).
CommandLine parseCommandLine(const std::vector<CommandToken>& tokens);
inline CommandLine parseCommandLine(std::string_view text) {
    return parseCommandLine(splitCommandLine(text));
}

// The tokens of program arguments as the system split them (none counts as quoted).
std::vector<CommandToken> argumentTokens(const std::vector<std::string>& args);

}  // namespace tavrel
