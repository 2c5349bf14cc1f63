#include "dalmir/logic/launch_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dalmir {
namespace {

using Args = std::vector<std::string>;

TEST(LaunchCommandTest, TemplateExpansion) {
    struct Case {
        const char* templ;
        const char* path;
        int move;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"/R \"%f\" +%n", "a/b.kif", 0, "/R \"/db/a/b.kif\" +0"},
        {"/R \"%F\" +%N", "/abs/c.kif", 37, "/R \"/abs/c.kif\" +37"},
        {"100%% %x%q", "a.kif", 1, "100% "},
        {"trailing %", "a.kif", 1, "trailing "},
        {"/B", "a.kif", 5, "/B"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expandTemplate(c.templ, c.path, "/db/", c.move), c.expected) << c.templ;
    }
}

TEST(LaunchCommandTest, ArgumentsKeepQuotedPathsWhole) {
    EXPECT_EQ(splitArguments("/R \"/my db/a b.kif\" +3"), (Args{"/R", "/my db/a b.kif", "+3"}));
    EXPECT_EQ(splitArguments("  /G  \"x\"  "), (Args{"/G", "x"}));
    EXPECT_EQ(splitArguments("\"\" a"), (Args{"", "a"}));
    EXPECT_EQ(splitArguments(""), Args{});
    EXPECT_EQ(splitArguments("\"unterminated path"), (Args{"unterminated path"}));
}

// Every command with the default templates: relative paths resolve against the database's
// folder, absolute ones stay, and a folder with blanks stays one argument.
TEST(LaunchCommandTest, PlansOfEachCommand) {
    ToolSettings tools;
    tools.replayCommand = "/opt/bin/tavrel";
    tools.editCommand = "editor";
    struct Case {
        LaunchCommand command;
        const char* path;
        int move;
        std::string program;
        Args argv;
    };
    const std::vector<Case> cases = {
        {LaunchCommand::Replay, "a/b.kif", 12, "/opt/bin/tavrel", {"/R", "/my db/a/b.kif", "+12"}},
        {LaunchCommand::Replay, "/k/x.kif", 0, "/opt/bin/tavrel", {"/R", "/k/x.kif", "+0"}},
        {LaunchCommand::Play, "b.kif", 12, "/opt/bin/tavrel", {"/G", "/my db/b.kif"}},
        {LaunchCommand::Print, "/k/x.kif", 3, "/opt/bin/tavrel", {"/P", "/k/x.kif"}},
        {LaunchCommand::PositionEdit, "b.kif", 3, "/opt/bin/tavrel", {"/B"}},
        {LaunchCommand::Editor, "b.kif", 3, "editor", {"/my db/b.kif"}},
        {LaunchCommand::ClipboardReplay, "b.kif", 41, "/opt/bin/tavrel", {"/C", "+41"}},
    };
    for (const auto& c : cases) {
        const LaunchPlan plan = launchPlan(c.command, tools, c.path, "/my db/", c.move);
        EXPECT_EQ(plan.program, c.program);
        EXPECT_EQ(plan.argv, c.argv) << plan.arguments;
    }
    EXPECT_EQ(launchPlan(LaunchCommand::Replay, tools, "a/b.kif", "/my db/", 0).arguments,
              "/R \"/my db/a/b.kif\" +0");
}

// With no editor set, the desktop opens the file: the command works with default settings.
TEST(LaunchCommandTest, EditorFallsBackToTheDesktopOpener) {
    ToolSettings tools;
    tools.editOptions = "-n \"%f\"";
    const LaunchPlan plan = launchPlan(LaunchCommand::Editor, tools, "a b.kif", "/db/", 7);
    EXPECT_EQ(plan.program, "xdg-open");
    EXPECT_EQ(plan.argv, Args{"/db/a b.kif"});
    tools.editCommand = "vi";
    EXPECT_EQ(launchPlan(LaunchCommand::Editor, tools, "a b.kif", "/db/", 7).argv,
              (Args{"-n", "/db/a b.kif"}));
}

TEST(LaunchCommandTest, ReplayMoveIsTheHitOnlyAfterASearch) {
    model::IndexEntry entry;
    entry.hitPly = 23;
    EXPECT_EQ(replayMove(entry), 0);
    entry.setText(model::IndexText::NextMove, "x");
    EXPECT_EQ(replayMove(entry), 23);
}

TEST(LaunchCommandTest, RecordFileNeeds) {
    EXPECT_TRUE(needsRecordFile(LaunchCommand::Replay, false));
    EXPECT_FALSE(needsRecordFile(LaunchCommand::Replay, true));
    EXPECT_TRUE(needsRecordFile(LaunchCommand::Play, true));
    EXPECT_TRUE(needsRecordFile(LaunchCommand::Editor, true));
    EXPECT_FALSE(needsRecordFile(LaunchCommand::PositionEdit, false));
}

TEST(LaunchCommandTest, DefaultViewerPrefersTheOneBesideTheProgram) {
    std::vector<std::string> asked;
    auto present = [&](const std::string& p) {
        asked.push_back(p);
        return true;
    };
    EXPECT_EQ(defaultViewer("/usr/local/bin", present), "/usr/local/bin/tavrel");
    EXPECT_EQ(asked, Args{"/usr/local/bin/tavrel"});
    EXPECT_EQ(defaultViewer("/usr/local/bin/", [](const std::string&) { return false; }), "tavrel");
    EXPECT_EQ(defaultViewer("", present), "tavrel");
}

TEST(LaunchCommandTest, Messages) {
    EXPECT_EQ(launchFailedMessage("tavrel", "/B"), "起動に失敗しました。(tavrel /B)");
    EXPECT_EQ(missingRecordMessage("a.kif"), "棋譜(a.kif)がありません。");
}

}  // namespace
}  // namespace dalmir
