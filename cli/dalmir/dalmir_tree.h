// dalmir-cli's opening tree commands: `tree` (the moves played from a position, with counts and
// results), `book` (an opening book file from the listed records) and `tree-index` (builds the
// tree index beside a binary database). They read the database and never change it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

// Runs the command when argv names one of the tree commands (the first argument that is not an
// option); nullopt for any other command. Returns the exit code.
std::optional<int> runTreeCommands(int argc, char** argv);

// The options of the tree commands as parsed, for the tests.
struct TreeCommandLine {
    std::string command;
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> options;  // name, value ("" for flags)
};
// Parses the arguments after the program name; an error text for a wrong call.
std::optional<std::string> parseTreeCommandLine(const std::vector<std::string>& argv,
                                                TreeCommandLine& out);

}  // namespace cli
