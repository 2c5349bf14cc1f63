#include "database/logic/command_state.h"

#include <gtest/gtest.h>

namespace dalmir {
namespace {

TEST(CommandStateTest, Enabling) {
    WindowState idle{false, 2, 5, 8, false, false};
    EXPECT_TRUE(isEnabled(Command::Replay, idle));
    EXPECT_FALSE(isEnabled(Command::Editor, idle));
    EXPECT_FALSE(isEnabled(Command::EditMarks, idle));
    EXPECT_TRUE(isEnabled(Command::KeepListed, idle));
    EXPECT_FALSE(isEnabled(Command::AdoptListOrder, idle));
    EXPECT_FALSE(isEnabled(Command::Paste, idle));

    WindowState all{false, 1, 8, 8, true, true};
    EXPECT_TRUE(isEnabled(Command::Editor, all));
    EXPECT_TRUE(isEnabled(Command::EditMarks, all));
    EXPECT_FALSE(isEnabled(Command::KeepListed, all));
    EXPECT_TRUE(isEnabled(Command::AdoptListOrder, all));
    EXPECT_TRUE(isEnabled(Command::Paste, all));

    WindowState none{false, 0, 0, 0, true, false};
    EXPECT_FALSE(isEnabled(Command::Replay, none));
    EXPECT_FALSE(isEnabled(Command::AdoptListOrder, none));
    EXPECT_FALSE(isEnabled(Command::PositionSearch, none));
    EXPECT_TRUE(isEnabled(Command::Open, none));
    EXPECT_TRUE(isEnabled(Command::Card, none));

    // While a long operation runs nothing else starts.
    all.busy = true;
    for (int c = 0; c <= static_cast<int>(Command::ColumnsDialog); ++c) {
        EXPECT_FALSE(isEnabled(static_cast<Command>(c), all)) << c;
    }
}

TEST(CommandStateTest, OpenRequestTakesTheFirstDatabase) {
    const OpenRequest r = openRequest({"a.kif", "/d/x.DLS", "/d/y.kix", "", "b.txt"});
    EXPECT_EQ(r.database, "/d/x.DLS");
    EXPECT_EQ(r.messages, (std::vector<std::string>{"ファイル(a.kif)は、読めません。",
                                                    "ファイル(b.txt)は、読めません。"}));
    EXPECT_EQ(openRequest({"x.dlb"}).database, "x.dlb");
}

}  // namespace
}  // namespace dalmir
