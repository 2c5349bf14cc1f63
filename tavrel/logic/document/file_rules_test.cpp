#include "tavrel/logic/document/file_rules.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace tavrel {
namespace {

TEST(FileRules, SaveAsExtensionRule) {
    struct Case {
        const char* name;
        SaveFormat filter;
        const char* expected;
    } cases[] = {
        {"game", SaveFormat::Kif, "game.kif"},
        {"game.kif", SaveFormat::Ki2, "game.kif"},  // KI2 written into .kif
        {"game.KI2", SaveFormat::Kif, "game.KI2"},
        {"game.gam", SaveFormat::Ki2, "game.gam"},
        {"game.kif", SaveFormat::EnglishRecord, "game.kif"},
        {"game.kif", SaveFormat::Csa, "game.kif.csa"},
        {"game.CSA", SaveFormat::Csa, "game.CSA"},
        {"pos", SaveFormat::Bod, "pos.bod"},
        {"pos.kif", SaveFormat::Bod, "pos.kif.bod"},
        {"pos.txt", SaveFormat::EnglishPosition, "pos.txt"},
        {"pos.gam", SaveFormat::EnglishPosition, "pos.gam.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(applySaveExtension(c.name, c.filter), c.expected)
            << c.name << " " << static_cast<int>(c.filter);
    }
}

TEST(FileRules, JkfIsTheSeventhSaveFilter) {
    for (int n = 1; n <= kSaveFilterCount; ++n) {
        EXPECT_EQ(saveFilterNumber(saveFilterFormat(n)), n);
    }
    EXPECT_EQ(saveFilterFormat(7), SaveFormat::Jkf);
    EXPECT_EQ(saveFilterFormat(8), SaveFormat::KifUtf8);  // the UTF-8 forms follow
    EXPECT_EQ(saveFilterFormat(9), SaveFormat::Ki2Utf8);
    EXPECT_EQ(applySaveExtension("game", SaveFormat::Jkf), "game.jkf");
    EXPECT_EQ(applySaveExtension("game.JKF", SaveFormat::Jkf), "game.JKF");
    EXPECT_EQ(overwriteFormat("/r/game.Jkf"), SaveFormat::Jkf);
    EXPECT_EQ(
        initialSaveFilter(ViewerMode::Viewing, SaveFormat::Jkf, "/a.kif", StandardFormat::Kif),
        SaveFormat::Jkf);
}

TEST(FileRules, InitialSaveFilter) {
    EXPECT_EQ(
        initialSaveFilter(ViewerMode::Editing, SaveFormat::Csa, "/a.kif", StandardFormat::Kif),
        SaveFormat::Bod);
    EXPECT_EQ(
        initialSaveFilter(ViewerMode::Viewing, SaveFormat::Csa, "/a.kif", StandardFormat::Kif),
        SaveFormat::Csa);
    EXPECT_EQ(initialSaveFilter(ViewerMode::Viewing, std::nullopt, "/a.KI2", StandardFormat::Kif),
              SaveFormat::Ki2);
    EXPECT_EQ(initialSaveFilter(ViewerMode::Viewing, std::nullopt, "/a.csa", StandardFormat::Ki2),
              SaveFormat::Ki2);
    EXPECT_EQ(initialSaveFilter(ViewerMode::Viewing, std::nullopt, "/a.kif", StandardFormat::Ki2),
              SaveFormat::Kif);
    EXPECT_EQ(initialSaveFilter(ViewerMode::Viewing, std::nullopt, "/a.csa", StandardFormat::Kif),
              SaveFormat::Kif);
    EXPECT_EQ(initialOpenFilter(StandardFormat::Ki2), OpenFilter::Ki2);
    EXPECT_EQ(initialOpenFilter(StandardFormat::Kif), OpenFilter::Kif);
}

TEST(FileRules, RecordNames) {
    EXPECT_EQ(recordNameFromPath("/r/game.KIF"), "game");
    EXPECT_EQ(recordNameFromPath("/r/game.csa"), "game.csa");
    EXPECT_EQ(recordNameFromPath("/r/pos.bod"), "pos");
    EXPECT_TRUE(hasNoFile(""));
    EXPECT_TRUE(hasNoFile(std::string("新規棋譜")));
    EXPECT_FALSE(hasNoFile("game"));
    EXPECT_EQ(dateName(2013, 2, 7), "13Feb07");
    EXPECT_EQ(dateName(2009, 12, 31), "09Dec31");
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
}  // namespace tavrel
