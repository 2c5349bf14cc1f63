#include "viewer/logic/file_rules.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace viewer {
namespace {

TEST(FileRules, SaveAsExtensionRule) {
    struct Case {
        const char* name;
        int filter;
        const char* expected;
    } cases[] = {
        {"game", 1, "game.kif"},         {"game.kif", 2, "game.kif"},  // KI2 written into .kif
        {"game.KI2", 1, "game.KI2"},     {"game.gam", 2, "game.gam"}, {"game.kif", 5, "game.kif"},
        {"game.kif", 3, "game.kif.csa"}, {"game.CSA", 3, "game.CSA"}, {"pos", 4, "pos.bod"},
        {"pos.kif", 4, "pos.kif.bod"},   {"pos.txt", 6, "pos.txt"},   {"pos.gam", 6, "pos.gam.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(applySaveExtension(c.name, c.filter), c.expected) << c.name << " " << c.filter;
    }
}

TEST(FileRules, InitialSaveFilter) {
    EXPECT_EQ(initialSaveFilter(ViewerMode::Editing, 3, "/a.kif", 0), 4);
    EXPECT_EQ(initialSaveFilter(ViewerMode::Viewing, 3, "/a.kif", 0), 3);
    EXPECT_EQ(initialSaveFilter(ViewerMode::Viewing, 0, "/a.KI2", 0), 2);
    EXPECT_EQ(initialSaveFilter(ViewerMode::Viewing, 0, "/a.csa", 1), 2);
    EXPECT_EQ(initialSaveFilter(ViewerMode::Viewing, 0, "/a.kif", 1), 1);
    EXPECT_EQ(initialSaveFilter(ViewerMode::Viewing, 0, "/a.csa", 0), 1);
    EXPECT_EQ(initialOpenFilter(1), 2);
    EXPECT_EQ(initialOpenFilter(0), 1);
}

TEST(FileRules, RecordNames) {
    EXPECT_EQ(recordNameFromPath("/r/game.KIF"), "game");
    EXPECT_EQ(recordNameFromPath("/r/game.csa"), "game.csa");
    EXPECT_EQ(recordNameFromPath("/r/pos.bod"), "pos");
    EXPECT_TRUE(hasNoFile(""));
    EXPECT_TRUE(hasNoFile(core::sjis("新規棋譜")));
    EXPECT_FALSE(hasNoFile("game"));
    EXPECT_EQ(dateName(2013, 2, 7), "13Feb07");
    EXPECT_EQ(dateName(2009, 12, 31), "09Dec31");
    EXPECT_EQ(folderOf("/r/s/game.kif"), "/r/s/");
    EXPECT_EQ(primaryBackupPath("/r/game.kif"), "/r/bak/game.kif.bak");
    EXPECT_EQ(fallbackBackupPath("/r/game.kif"), "/r/game.kif.bak");
}

TEST(FileRules, NextAndPreviousFile) {
    std::vector<std::string> names{"b.kif", "A.KIF", "c.ki2", "c.kif", "d.kif", "note.txt"};
    EXPECT_EQ(siblingFile(names, "b.kif", true), "c.kif");
    EXPECT_EQ(siblingFile(names, "b.kif", false), "A.KIF");
    EXPECT_FALSE(siblingFile(names, "d.kif", true));
    EXPECT_FALSE(siblingFile(names, "A.KIF", false));
    EXPECT_EQ(siblingFile(names, "c.ki2", true), std::nullopt);
}

}  // namespace
}  // namespace viewer
