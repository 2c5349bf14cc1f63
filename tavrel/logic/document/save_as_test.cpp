#include "tavrel/logic/document/save_as.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/base/safe_file.h"
#include "core/formats/record_loader.h"
#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using Events = std::vector<std::string>;

const char* const kWithVariation =
    "手合割：平手\r\n"
    "   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n"
    "変化：2手\r\n   2 ８四歩(83)\r\n";

class SaveAsTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override { settings.recordFolder = dir.string() + "/"; }
    void load(const std::string& name, const char* record = testsupport::kSampleRecord) {
        ASSERT_EQ(doc.loadRecordFile(write(name, std::string(record))), CommandResult::Done);
        ui.events.clear();
        ui.changes = 0;
    }
    void choose(const std::string& name, int filter) {
        ui.choices.push_back(FileChoice{path(name), filter});
    }
    std::string saved(const std::string& name) {
        return "status: 棋譜ファイル(" + path(name) + ")を保存しました。";
    }
    std::string overwrite(const std::string& what, const std::string& name) {
        return "ask: 同名の" + what + "(" + path(name) + ")があります。書き換えますか？";
    }
    const std::string kTitle = "dialog: 棋譜・局面ファイルの保存";
};

TEST(SaveAsFilters, TextsOfTheSixFilters) {
    EXPECT_EQ(saveFilterText(SaveFormat::Kif), std::string("棋譜(*.kif)"));
    EXPECT_EQ(saveFilterText(SaveFormat::Csa), std::string("CSA棋譜(*.csa)"));
    EXPECT_EQ(saveFilterText(SaveFormat::EnglishPosition), std::string("英語表記局面(*.txt)"));
    EXPECT_EQ(saveFilterText(static_cast<SaveFormat>(0)), "");
    EXPECT_EQ(saveFilterText(SaveFormat::KifUtf8), std::string("棋譜 UTF-8(*.kifu)"));
    EXPECT_EQ(saveFilterText(SaveFormat::Ki2Utf8), std::string("棋譜 UTF-8(*.ki2u)"));
    EXPECT_EQ(saveFilterText(SaveFormat::Usi), "");
}

TEST_F(SaveAsTest, NewRecordGetsTodaysNameAndTheFilterIsRemembered) {
    choose("game", 1);  // 棋譜(*.ki2)
    saveAs(doc, SaveAsKind::AnyFormat);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    const FileDialogRequest& first = ui.dialogs[0];
    EXPECT_EQ(first.title, std::string("棋譜・局面ファイルの保存"));
    EXPECT_EQ(first.folder, dir.string() + "/");
    EXPECT_EQ(first.name, todayName());
    ASSERT_EQ(first.filters.size(), 10u);
    EXPECT_EQ(first.filters[1], std::string("棋譜(*.ki2)"));
    EXPECT_EQ(first.filters[6], std::string("JSON棋譜(*.jkf)"));
    EXPECT_EQ(first.selected, 0);
    EXPECT_EQ(ui.events, (Events{kTitle, saved("game.ki2"), "changed"}));
    EXPECT_TRUE(fs::exists(dir / "game.ki2"));
    EXPECT_EQ(doc.recordFileName(), "game.ki2");
    EXPECT_EQ(doc.saveFilter(), SaveFormat::Ki2);

    saveAs(doc, SaveAsKind::AnyFormat);  // cancelled
    ASSERT_EQ(ui.dialogs.size(), 2u);
    EXPECT_EQ(ui.dialogs[1].selected, 1);
    EXPECT_EQ(ui.dialogs[1].name, "game.ki2");
    EXPECT_EQ(ui.changes, 1);
}

TEST_F(SaveAsTest, ExistingFileIsOverwrittenOnlyWhenTheUserSaysSo) {
    load("old.kif");
    std::string before = core::readFile(path("old.kif")).value();
    store.markDirty();
    choose("old", 0);
    choose("new", 0);
    saveAs(doc, SaveAsKind::AnyFormat);
    EXPECT_EQ(ui.events,
              (Events{kTitle, overwrite("棋譜", "old.kif"), kTitle, saved("new.kif"), "changed"}));
    ASSERT_EQ(ui.dialogs.size(), 2u);
    EXPECT_EQ(ui.dialogs[1].name, "old.kif");  // the declined name is offered again
    EXPECT_EQ(core::readFile(path("old.kif")), before);
    EXPECT_FALSE(doc.modified());

    ui.events.clear();
    ui.answer = Answer::Yes;
    choose("old.kif", 0);
    saveAs(doc, SaveAsKind::AnyFormat);
    EXPECT_EQ(ui.events,
              (Events{kTitle, overwrite("棋譜", "old.kif"), saved("old.kif"), "changed"}));
    EXPECT_EQ(doc.recordFileName(), "old.kif");
}

TEST_F(SaveAsTest, FolderIsNoNameAndTheDialogComesAgain) {
    fs::create_directories(dir / "sub.kif");
    choose("sub.kif", 0);
    saveAs(doc, SaveAsKind::AnyFormat);
    EXPECT_EQ(ui.events,
              (Events{kTitle, "message: ファイル名(" + path("sub.kif") + ")が無効です。", kTitle}));
    EXPECT_EQ(ui.messages[0].second, "Tavrel");
    ASSERT_EQ(ui.dialogs.size(), 2u);
    EXPECT_EQ(ui.dialogs[1].name, todayName());
}

TEST_F(SaveAsTest, CsaAsksBeforeDroppingVariations) {
    load("v.kif", kWithVariation);
    choose("v", 2);
    saveAs(doc, SaveAsKind::AnyFormat);
    EXPECT_EQ(ui.events,
              (Events{kTitle, "ask: CSA形式では分岐を保存できませんが、継続しますか？"}));
    EXPECT_FALSE(fs::exists(dir / "v.csa"));

    ui.events.clear();
    ui.answers = {Answer::Yes};
    choose("v", 2);
    saveAs(doc, SaveAsKind::AnyFormat);
    EXPECT_EQ(ui.events, (Events{kTitle, "ask: CSA形式では分岐を保存できませんが、継続しますか？",
                                 saved("v.csa"), "changed"}));
    EXPECT_EQ(ui.dialogs.back().selected, 2);
}

TEST_F(SaveAsTest, PositionFilesHaveTheirOwnWordsAndKeepTheRecordFile) {
    load("r.kif");
    write("p.bod", "old");
    ui.answer = Answer::Yes;
    choose("p", 3);
    saveAs(doc, SaveAsKind::AnyFormat);
    EXPECT_EQ(ui.events,
              (Events{kTitle, overwrite("局面", "p.bod"),
                      "status: 局面ファイル(" + path("p.bod") + ")を出力しました。", "changed"}));
    EXPECT_NE(core::readFile(path("p.bod")), "old");
    EXPECT_EQ(doc.recordPath(), path("r.kif"));
}

TEST_F(SaveAsTest, FailedWriteWarnsAndStops) {
    choose("missing/x", 0);
    choose("x", 0);
    saveAs(doc, SaveAsKind::AnyFormat);
    EXPECT_EQ(ui.events,
              (Events{kTitle, "beep", "message: 棋譜保存エラー(" + path("missing/x.kif") + ")"}));
    EXPECT_EQ(ui.choices.size(), 1u);  // no second dialog
}

TEST_F(SaveAsTest, Ki2OnlyWritesKi2WhateverTheName) {
    load("k.kif");
    doc.setSaveFilter(SaveFormat::Bod);
    choose("k.kif", 0);
    saveAs(doc, SaveAsKind::Ki2Only);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].title, std::string("KI2形式棋譜ファイルの保存"));
    EXPECT_EQ(ui.dialogs[0].filters, std::vector<std::string>{std::string("棋譜(*.ki2)")});
    EXPECT_EQ(ui.dialogs[0].selected, 0);
    EXPECT_EQ(ui.dialogs[0].name, "k.kif");
    auto text = core::readFile(path("k.kif.ki2"));
    ASSERT_TRUE(text);
    EXPECT_NE(text->find(*core::cp932Bytes("▲７六歩")), std::string::npos);
    EXPECT_EQ(doc.saveFilter(), SaveFormat::Bod);

    choose("K.KI2", 5);
    saveAs(doc, SaveAsKind::Ki2Only);
    EXPECT_TRUE(fs::exists(dir / "K.KI2"));
}

TEST_F(SaveAsTest, SaveWritesInPlaceOrFallsBackToSaveAs) {
    doc.setMode(ViewerMode::Playing);
    save(doc);
    EXPECT_EQ(ui.events, (Events{"beep"}));
    doc.setMode(ViewerMode::Viewing);

    ui.events.clear();
    save(doc);  // no file yet
    EXPECT_EQ(ui.events, (Events{kTitle}));

    load("s.kif");
    store.markDirty();
    save(doc);
    EXPECT_EQ(ui.events, (Events{saved("s.kif"), "changed"}));
    EXPECT_FALSE(doc.modified());

    ui.events.clear();
    doc.setMode(ViewerMode::Editing);
    save(doc);
    EXPECT_EQ(ui.events, (Events{kTitle}));
    EXPECT_EQ(ui.dialogs.back().selected, 3);  // 局面(*.bod)
}

// A record Shift-JIS cannot hold: the KIF save names the field and the character and offers the
// UTF-8 form; yes writes that beside, no writes nothing and says no more.
TEST_F(SaveAsTest, AShiftJisSaveThatCannotHoldACharacterOffersTheUtf8Form) {
    load("a.kif");
    store.setPlayerName(core::PlayerField::Black, "김철수");
    store.markDirty();
    choose("b", 0);  // 棋譜(*.kif)
    ui.answers = {Answer::Yes};
    saveAs(doc, SaveAsKind::AnyFormat);
    ASSERT_EQ(ui.questions.size(), 1u);
    const std::string& question = ui.questions[0];
    EXPECT_NE(question.find("「先手」"), std::string::npos) << question;
    EXPECT_NE(question.find("「김」"), std::string::npos) << question;
    EXPECT_NE(question.find(path("b.kifu")), std::string::npos) << question;
    EXPECT_FALSE(fs::exists(path("b.kif")));
    ASSERT_TRUE(fs::exists(path("b.kifu")));
    EXPECT_FALSE(doc.modified());
    EXPECT_EQ(doc.recordPath(), path("b.kifu"));
    core::RecordStore back;
    ASSERT_EQ(core::loadRecordFile(back, path("b.kifu"), {}).result, core::ReadResult::Ok);
    EXPECT_EQ(back.playerName(core::PlayerField::Black), "김철수");

    store.markDirty();
    ui.messages.clear();
    choose("c", 0);
    ui.answers = {Answer::No};
    saveAs(doc, SaveAsKind::AnyFormat);
    EXPECT_FALSE(fs::exists(path("c.kif")));
    EXPECT_FALSE(fs::exists(path("c.kifu")));
    EXPECT_TRUE(ui.messages.empty()) << "no error after the user said no";
    EXPECT_TRUE(doc.modified());
}

}  // namespace
}  // namespace tavrel
