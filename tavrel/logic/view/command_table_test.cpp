#include "tavrel/logic/view/command_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "core/text/translation.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

void walk(const std::vector<MenuItem>& items, const std::string& path,
          const std::function<void(const std::vector<MenuItem>&, const std::string&)>& visit) {
    visit(items, path);
    for (const MenuItem& i : items) {
        if (i.kind == MenuItem::Kind::Submenu) walk(i.items, path + " > " + i.text, visit);
    }
}

// The text a menu shows for an item: the table's, in the program's language.
std::string textOf(const MenuItem& i) {
    const std::string& text =
        i.kind == MenuItem::Kind::Submenu ? i.text : commandEntry(i.command).text;
    return core::translate(text.c_str());
}

// Every command of the menus is there once, with a text; no letter chooses two entries of one
// menu (a shared letter only highlights); the menu bar's own letters included.
void checkMenus() {
    for (int i = 0; i < kCommandCount; ++i) {
        EXPECT_EQ(static_cast<int>(commandTable()[static_cast<std::size_t>(i)].command), i);
    }
    for (int oldReplay : {0, 1}) {
        Settings settings;
        settings.oldReplay = oldReplay;
        std::map<Command, int> seen;
        const std::vector<MenuItem> menus = mainMenus(settings);
        walk(menus, "", [&](const std::vector<MenuItem>& items, const std::string& path) {
            std::map<char32_t, std::string> letters;
            for (const MenuItem& i : items) {
                if (i.kind == MenuItem::Kind::Command) {
                    ++seen[i.command];
                    EXPECT_FALSE(commandEntry(i.command).text.empty());
                }
                if (i.kind != MenuItem::Kind::Command && i.kind != MenuItem::Kind::Submenu) {
                    continue;
                }
                const std::string text = textOf(i);
                const char32_t letter = mnemonicOf(text);
                if (letter == 0) continue;
                auto [at, fresh] = letters.emplace(letter, text);
                EXPECT_TRUE(fresh) << path << ": " << text << " and " << at->second;
            }
        });
        for (const auto& [command, count] : seen) {
            EXPECT_EQ(count, 1) << commandEntry(command).text;
        }
        EXPECT_EQ(seen.count(Command::OldReplay), oldReplay ? 1u : 0u);
        EXPECT_EQ(seen.count(Command::TypedMove), 0u);
        EXPECT_TRUE(seen.count(Command::TruncateAfter) && seen.count(Command::CreateBranch) &&
                    seen.count(Command::ReplayToolbar));
    }
}

TEST(CommandTable, MenusHoldEachCommandOnceWithOwnMnemonics) { checkMenus(); }

// In English every menu text comes from the catalogue (no Japanese left), and the letters still
// choose one entry each.
TEST(CommandTable, EnglishMenusAreWholeAndKeepTheirMnemonics) {
    ASSERT_TRUE(core::useLanguage(core::Language::English, "tavrel",
                                  std::string(TAVREL_BINARY_DIR) + "/tavrel/locale"));
    checkMenus();
    walk(mainMenus(Settings{}), "", [](const std::vector<MenuItem>& items, const std::string&) {
        for (const MenuItem& i : items) {
            if (i.kind != MenuItem::Kind::Command && i.kind != MenuItem::Kind::Submenu) continue;
            // The tools' entries show the names the user gave them.
            const int command = static_cast<int>(i.command);
            if (i.kind == MenuItem::Kind::Command && command >= static_cast<int>(Command::Tool1) &&
                command <= static_cast<int>(Command::Tool5)) {
                continue;
            }
            const std::string text = textOf(i);
            // Japanese characters are three bytes in UTF-8, led by 0xE3..0xE9 or 0xEF.
            const bool japanese = std::any_of(text.begin(), text.end(), [](char c) {
                const auto b = static_cast<unsigned char>(c);
                return (b >= 0xE3 && b <= 0xE9) || b == 0xEF;
            });
            EXPECT_FALSE(japanese) << text;
        }
    });
    ASSERT_TRUE(core::useLanguage(core::Language::Japanese, "tavrel", ""));
}

// A key bound to two commands would choose neither.
TEST(CommandTable, NoKeyServesTwoCommands) {
    std::map<std::string, std::string> owner;
    for (const CommandEntry& e : commandTable()) {
        for (const std::string& key : e.keys) {
            auto [at, fresh] = owner.emplace(key, e.text);
            EXPECT_TRUE(fresh) << key << ": " << e.text << " and " << at->second;
        }
    }
    EXPECT_EQ(owner.count("Shift+Return"), 1u);
}

TEST(CommandTable, MnemonicIsTheLetterAfterTheSingleAmpersand) {
    EXPECT_EQ(mnemonicOf("時間付き（KI&F形式）"), U'F');
    EXPECT_EQ(mnemonicOf("a&&b(&x)"), U'X');
    EXPECT_EQ(mnemonicOf("メール"), 0u);
    EXPECT_EQ(mnemonicOf("ユーザ定義(&1)"), U'1');
}

class CommandStateTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        ASSERT_EQ(doc.loadRecordFile(write("p.kif", std::string(testsupport::kSampleRecord))),
                  CommandResult::Done);
    }
    bool enabled(Command c, bool running = false) {
        return isEnabled(c, doc, CommandActivity{running, false});
    }
};

TEST_F(CommandStateTest, RecordChangesOnlyWhileViewingWhereMovesFollow) {
    for (Command c : {Command::TruncateAfter, Command::CreateBranch}) {
        EXPECT_TRUE(enabled(c));
        EXPECT_FALSE(enabled(c, true)) << "while a continuous replay runs";
        for (ViewerMode mode :
             {ViewerMode::Playing, ViewerMode::Editing, ViewerMode::PrintPreview}) {
            doc.setMode(mode);
            EXPECT_FALSE(enabled(c));
        }
        doc.setMode(ViewerMode::Viewing);
    }
    ASSERT_EQ(store.stepForward(), core::EditResult::Ok);
    ASSERT_EQ(store.stepForward(), core::EditResult::Ok);
    ASSERT_TRUE(enabled(Command::TruncateAfter));  // 中断 follows
    ASSERT_TRUE(truncateAfterCurrent(doc));
    EXPECT_FALSE(enabled(Command::TruncateAfter));
    EXPECT_FALSE(enabled(Command::CreateBranch));
}

TEST_F(CommandStateTest, KeysFollowTheModeAndTheReplay) {
    EXPECT_FALSE(enabled(Command::TypedMove));
    EXPECT_TRUE(enabled(Command::Save));
    EXPECT_TRUE(enabled(Command::StepForward));
    EXPECT_FALSE(enabled(Command::StopReplay));
    EXPECT_FALSE(enabled(Command::StepForward, true));
    EXPECT_FALSE(enabled(commandAt(Command::Variation1, 3), true));
    EXPECT_TRUE(enabled(Command::StopReplay, true));
    EXPECT_TRUE(enabled(Command::ReplayStop, true));
    settings.oldReplay = 0;
    EXPECT_FALSE(enabled(Command::OldReplay));
    settings.oldReplay = 1;
    EXPECT_TRUE(enabled(Command::OldReplay));
    doc.setMode(ViewerMode::Playing);
    EXPECT_TRUE(enabled(Command::TypedMove));
    EXPECT_FALSE(enabled(Command::Save));
    EXPECT_TRUE(enabled(Command::Suspend));
    EXPECT_FALSE(enabled(Command::EvenSetup));
    doc.setMode(ViewerMode::PlayingPieceHeld);
    EXPECT_FALSE(enabled(Command::TypedMove));
}

// Everything after the position shown goes, the alternatives of the next ply with it.
TEST_F(CommandStateTest, TruncateDropsTheRestOfTheLineAndItsAlternatives) {
    store.setAddMode(core::AddMode::Branch);
    ASSERT_EQ(store.addAndAdvance(core::kAddStoreAll, core::packMove(27, 26), 0),
              core::AddResult::Ok);
    store.backTo(0);
    ASSERT_TRUE(store.hasVariations());
    const int changes = ui.changes;
    ASSERT_TRUE(truncateAfterCurrent(doc));
    EXPECT_EQ(store.lineEnd(), 0);
    EXPECT_EQ(store.moveCount(), 0);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(ui.changes, changes + 1);
    EXPECT_FALSE(truncateAfterCurrent(doc));
    EXPECT_EQ(ui.events.back(), "beep");
}

}  // namespace
}  // namespace tavrel
