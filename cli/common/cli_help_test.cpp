// The help tables against the programs: every command the help names is one the program runs
// and answers --help for, and the manual page and completion made from them are well formed.
#include "cli/common/cli_help.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "cli/common/cli_test_support.h"

namespace cli {
namespace {

TEST(CliHelpTest, EveryCommandAnswersHelpAndIsKnownToItsProgram) {
    for (const ProgramHelp* h : {&tavrelCliHelp(), &dalmirCliHelp()}) {
        RunReport all = runProgram(h->program, {"--help"});
        EXPECT_EQ(all.exitCode, 0);
        EXPECT_EQ(all.out, helpText(*h));
        for (const CommandHelp& c : h->commands) {
            SCOPED_TRACE(std::string(h->program) + " " + c.name);
            RunReport r = runProgram(h->program, {c.name, "--help"});
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_EQ(r.out.rfind(std::string("usage: ") + h->program + " " + c.name, 0), 0u);
            EXPECT_NE(all.out.find(c.summary), std::string::npos);
            // Run without its arguments the command is a usage error, never an unknown command.
            RunReport bare = runProgram(h->program, {c.name});
            EXPECT_EQ(bare.err.find("unknown command"), std::string::npos) << bare.err;
        }
        RunReport version = runProgram(h->program, {"--version"});
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out.rfind(h->program, 0), 0u);
        EXPECT_EQ(runProgram(h->program, {"no-such-command", "--help"}).exitCode, 2);
        // An option's value before the command is not taken for the command.
        RunReport late =
            runProgram(h->program, {"--encoding", "utf8", h->commands[0].name, "--help"});
        EXPECT_EQ(late.exitCode, 0) << late.err;
        EXPECT_EQ(late.out, *commandHelpText(*h, h->commands[0].name));
    }
}

TEST(CliHelpTest, ManualPagesHoldEveryCommandOptionAndExitCode) {
    for (const ProgramHelp* h : {&tavrelCliHelp(), &dalmirCliHelp()}) {
        std::string page = manPage(*h, "V1");
        EXPECT_EQ(page.rfind(".TH ", 0), 0u);
        for (const char* section :
             {".SH NAME", ".SH SYNOPSIS", ".SH COMMANDS", ".SH OPTIONS", ".SH \"EXIT STATUS\""}) {
            EXPECT_NE(page.find(section), std::string::npos) << section;
        }
        for (const CommandHelp& c : h->commands) {
            std::string name;
            for (const char* p = c.name; *p; ++p)
                name += *p == '-' ? std::string("\\-") : std::string(1, *p);
            EXPECT_NE(page.find(".B " + name), std::string::npos) << c.name;
        }
        // No line may start with a dot the page did not mean as a request.
        std::size_t at = 0;
        while ((at = page.find("\n.", at)) != std::string::npos) {
            ++at;
            std::string request = page.substr(at, 3);
            EXPECT_TRUE(request == ".TH" || request == ".SH" || request == ".TP" ||
                        request == ".B " || request == ".I " || request == ".RS" ||
                        request == ".RE")
                << page.substr(at, 40);
        }
        EXPECT_EQ(page.find("--"), std::string::npos) << "dashes are escaped";
    }
}

// The completion offers the commands, the option values and files, as bash runs it.
TEST(CliHelpTest, CompletionCompletesCommandsAndValues) {
    if (std::system("command -v bash >/dev/null 2>&1") != 0) GTEST_SKIP() << "no bash";
    const std::string script = "/tmp/tavrel-completion-" + std::to_string(::getpid());
    {
        std::ofstream out(script);
        out << bashCompletion(dalmirCliHelp());
        out << "COMP_WORDS=(dalmir-cli ex); COMP_CWORD=1; _dalmir_cli; echo \"${COMPREPLY[*]}\"\n";
        out << "COMP_WORDS=(dalmir-cli export db --format ''); COMP_CWORD=4; _dalmir_cli; "
               "echo \"${COMPREPLY[*]}\"\n";
        out << "COMP_WORDS=(dalmir-cli export db --mo); COMP_CWORD=3; _dalmir_cli; "
               "echo \"${COMPREPLY[*]}\"\n";
        out << "COMP_WORDS=(dalmir-cli stats db ''); COMP_CWORD=3; _dalmir_cli; "
               "echo \"${COMPREPLY[*]}\"\n";
    }
    const std::string outPath = script + ".out";
    ASSERT_EQ(std::system(("bash " + script + " > " + outPath).c_str()), 0);
    EXPECT_EQ(slurp(outPath),
              "export\ncsv jsonl\n--moves\nresults handicaps openings next player\n");
    std::remove(script.c_str());
    std::remove(outPath.c_str());
}

}  // namespace
}  // namespace cli
