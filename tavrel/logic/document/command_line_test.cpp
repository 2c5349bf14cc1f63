#include "tavrel/logic/document/command_line.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(CommandLine, LonePlusNumberIsAFileName) {
    CommandLine cl = parseCommandLine("+5");
    ASSERT_TRUE(cl.file);
    EXPECT_EQ(*cl.file, "+5");
    EXPECT_FALSE(cl.ply);
}

TEST(CommandLine, ReplaySwitchWithQuotedPathAndPly) {
    CommandLine cl = parseCommandLine("/R \"/home/user/my records/a game.kif\" +12");
    ASSERT_TRUE(cl.file);
    EXPECT_EQ(*cl.file, "/home/user/my records/a game.kif");
    EXPECT_TRUE(cl.replay);
    EXPECT_EQ(cl.ply, 12);
}

TEST(CommandLine, ClipboardWithPly) {
    CommandLine cl = parseCommandLine("/C +7");
    EXPECT_TRUE(cl.clipboard);
    EXPECT_FALSE(cl.file);
    EXPECT_EQ(cl.ply, 7);
}

TEST(CommandLine, EnvironmentSwitches) {
    EXPECT_EQ(parseCommandLine("/Ework a.kif").environmentName, "work");
    EXPECT_EQ(parseCommandLine("/eone /Etwo").environmentName, "two");  // "/E" wins over "/e"
    EXPECT_FALSE(parseCommandLine("/E a.kif").environmentName);         // no name attached
    EXPECT_EQ(parseCommandLine("/Ework a.kif").file, "a.kif");
}

struct SwitchCase {
    const char* text;
    std::optional<std::string> file;
    std::optional<int> ply;
    bool clipboard, replay, autoReplay, autoClose, resume, edit, print;
};

class CommandLineTable : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(CommandLineTable, Parses) {
    const SwitchCase& c = GetParam();
    CommandLine cl = parseCommandLine(c.text);
    EXPECT_EQ(cl.file, c.file) << c.text;
    EXPECT_EQ(cl.ply, c.ply) << c.text;
    EXPECT_EQ(cl.clipboard, c.clipboard) << c.text;
    EXPECT_EQ(cl.replay, c.replay) << c.text;
    EXPECT_EQ(cl.autoReplay, c.autoReplay) << c.text;
    EXPECT_EQ(cl.autoReplayThenClose, c.autoClose) << c.text;
    EXPECT_EQ(cl.resumeGame, c.resume) << c.text;
    EXPECT_EQ(cl.editPosition, c.edit) << c.text;
    EXPECT_EQ(cl.print, c.print) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLineTable,
    ::testing::Values(
        SwitchCase{"a.kif", "a.kif", {}, false, false, false, false, false, false, false},
        SwitchCase{"a.kif b.kif", "b.kif", {}, false, false, false, false, false, false, false},
        SwitchCase{"a.kif +3", "a.kif", 3, false, false, false, false, false, false, false},
        SwitchCase{"+3 a.kif", "a.kif", {}, false, false, false, false, false, false, false},
        SwitchCase{"/rgame.kif", "game.kif", {}, false, true, false, false, false, false, false},
        SwitchCase{"/R/tmp/x.kif +2", "/tmp/x.kif", 2, false, true, false, false, false, false,
                   false},
        SwitchCase{
            "/home/u/x.kif", "/home/u/x.kif", {}, false, false, false, false, false, false, false},
        SwitchCase{"/Records/x.kif",
                   "/Records/x.kif",
                   {},
                   false,
                   false,
                   false,
                   false,
                   false,
                   false,
                   false},
        SwitchCase{"/A x.kif", "x.kif", {}, false, false, true, false, false, false, false},
        SwitchCase{"/a x.kif", "x.kif", {}, false, false, false, true, false, false, false},
        SwitchCase{"/G \"r.kif\" ", "r.kif", {}, false, false, false, false, true, false, false},
        SwitchCase{"/g r.kif", "r.kif", {}, false, false, false, false, true, false, false},
        SwitchCase{"/B", {}, {}, false, false, false, false, false, true, false},
        SwitchCase{"/b", {}, {}, false, false, false, false, false, true, false},
        SwitchCase{"/P \"p.kif\" ", "p.kif", {}, false, false, false, false, false, false, true},
        SwitchCase{"/c", {}, {}, true, false, false, false, false, false, false},
        SwitchCase{"/CD", {}, {}, false, false, false, false, false, false, false},
        SwitchCase{"/Q /Z a.kif", "a.kif", {}, false, false, false, false, false, false, false},
        SwitchCase{"/C x.kif +4", "x.kif", 4, true, false, false, false, false, false, false},
        SwitchCase{"a.kif +x", "+x", {}, false, false, false, false, false, false, false}));

TEST(CommandLine, WindowPositions) {
    CommandLine cl = parseCommandLine("/X100 /Y-20 /KX30 /KY40 /Xabc");
    EXPECT_EQ(cl.windowX, 100);
    EXPECT_EQ(cl.windowY, -20);
    EXPECT_EQ(cl.recordWindowX, 30);
    EXPECT_EQ(cl.recordWindowY, 40);
}

TEST(CommandLine, ArgumentsAreTokensAsGiven) {
    CommandLine cl = parseCommandLine(argumentTokens({"/R", "/tmp/a b.kif", "+12"}));
    EXPECT_EQ(cl.file, "/tmp/a b.kif");
    EXPECT_EQ(cl.ply, 12);
    EXPECT_TRUE(cl.replay);
}

}  // namespace
}  // namespace tavrel
