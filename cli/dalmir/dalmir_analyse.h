// dalmir-cli analyse: every position of the listed records' main lines analysed by a USI engine
// into the evaluation store beside the database, with several engine programs at once, progress
// on stderr and Ctrl+C stopping the run with what was done kept.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

// Runs the command when argv names `analyse` (the first argument that is not an option);
// nullopt for any other command. Returns the exit code.
std::optional<int> runAnalyseCommand(int argc, char** argv);

// The settings of a call, for the tests.
struct AnalyseCommandLine {
    std::string dbPath;
    std::string engine;
    std::optional<long long> byoyomi, nodes;
    int jobs = 0;  // 0: the number of cores
    int maxPly = -1;
    std::vector<std::pair<std::string, std::string>> options;
    bool redo = false;
    bool sjis = false;
};
// Parses the arguments after the program name; an error text for a wrong call.
std::optional<std::string> parseAnalyseCommandLine(const std::vector<std::string>& args,
                                                   AnalyseCommandLine& out);

}  // namespace cli
