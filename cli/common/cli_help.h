// The help of tavrel-cli and dalmir-cli, declared once per program: what `--help` and
// `COMMAND --help` print, and what the build turns into the man pages and the bash completion
// (`--help-man`, `--help-completion`), so that the three never disagree.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace cli {

struct OptionHelp {
    const char* name;   // "--ply N"
    const char* text;   // what it does
    const char* words;  // values the completion offers after it, blank-separated; "" for none
};

struct CommandHelp {
    const char* name;      // "convert"
    const char* synopsis;  // "IN OUT"
    const char* summary;   // one paragraph
    std::span<const OptionHelp> options;
};

struct ProgramHelp {
    const char* program;      // "tavrel-cli"
    const char* title;        // one line for the NAME section
    const char* description;  // paragraphs separated by "\n\n"
    std::span<const CommandHelp> commands;
    std::span<const OptionHelp> commonOptions;
};

const ProgramHelp& tavrelCliHelp();
const ProgramHelp& dalmirCliHelp();

// The exit codes both programs document.
std::string_view exitCodeHelp();

// The whole help: usage, commands with their options, common options, exit codes.
std::string helpText(const ProgramHelp& help);
// The short usage for a wrong call: the commands with their arguments, one a line.
std::string usageText(const ProgramHelp& help);
// The help of one command; nullopt when the program has no such command.
std::optional<std::string> commandHelpText(const ProgramHelp& help, std::string_view command);
// The manual page in roff (man(7)).
std::string manPage(const ProgramHelp& help, std::string_view version);
// A bash completion script for the program: commands, options and their values, files.
std::string bashCompletion(const ProgramHelp& help);

// Answers --help (anywhere: after a command, that command's help), --version, --help-man and
// --help-completion, printing to stdout. nullopt when none of them was given; else the exit
// code (2 for help on an unknown command).
std::optional<int> answerInfoOptions(const ProgramHelp& help, int argc, char** argv);

}  // namespace cli
