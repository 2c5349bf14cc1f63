#include "tavrel/logic/document/document.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/base/safe_file.h"
#include "core/formats/usi_reader.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"
#include "tavrel/logic/document/save_as.h"
#include "tavrel/logic/view/info_lines.h"
#include "tests/support/interop.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

class DocumentTest : public testsupport::DocumentFixture {
protected:
    std::string line(int k) {
        auto lines = informationLines(store, settings,
                                      InfoContext{doc.templateEnvironment(), nullptr, {}, {}});
        const auto& text = lines[static_cast<std::size_t>(k)];
        if (!text) return "<none>";
        std::string utf8 = core::toUtf8Lossy(*text);
        while (k >= 8 && !utf8.empty() && utf8.back() == ' ') utf8.pop_back();
        return utf8;
    }
};

const char* const kSample = testsupport::kSampleRecord;

TEST_F(DocumentTest, LoadSetsNamesFolderRecentAndEndPosition) {
    std::string path = write("sample.KIF", std::string(kSample));
    ASSERT_EQ(doc.loadRecordFile(path), CommandResult::Done);
    EXPECT_EQ(doc.recordName(), "sample");
    EXPECT_EQ(doc.recordFileName(), "sample.KIF");
    EXPECT_EQ(settings.recordFolder, dir.string() + "/");
    EXPECT_EQ(doc.recentFiles().entries().front(), path);
    EXPECT_EQ(store.currentPly(), 2);  // 棋譜読込局面 2: the record ends with 中断
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(line(0), "▲先手の人");
    EXPECT_EQ(line(2), "△後手の人");
    EXPECT_EQ(line(4), "手合割：平手　　");
    EXPECT_EQ(line(5), "手　数：  2     ");
    EXPECT_EQ(line(6), "△３四歩まで　");
    EXPECT_EQ(line(7), "先手番");
    EXPECT_EQ(line(8), "2026/12/01");
    EXPECT_EQ(line(9), "見本対局");
    EXPECT_EQ(doc.title(), "sample.KIF - Tavrel");
}

TEST_F(DocumentTest, SideToMoveAfterATerminalEntryIsTheSideThatWouldMove) {
    // White resigns after Black's first move: White would move, not Black.
    std::string path =
        write("resign.kif", std::string("手合割：平手\r\n手数----指手---------消費時間--\r\n"
                                        "   1 ７六歩(77)\r\n   2 投了\r\n"));
    settings.positionAfterLoad = PositionAfterLoad::End;
    ASSERT_EQ(doc.loadRecordFile(path), CommandResult::Done);
    // A step onto the entry, as a replay or a game's end shows it.
    if (!store.node(store.current()).isTerminal()) {
        ASSERT_EQ(store.stepForward(), core::EditResult::Ok);
    }
    ASSERT_TRUE(store.node(store.current()).isTerminal());
    EXPECT_EQ(line(6), "△投了まで　");
    EXPECT_EQ(line(7), "後手番");
    ASSERT_TRUE(store.backOne());
    EXPECT_EQ(line(7), "後手番");  // the same position without the entry
    ASSERT_EQ(store.goToPly(0), core::EditResult::Ok);
    EXPECT_EQ(line(7), "先手番");
}

TEST_F(DocumentTest, LoadMessages) {
    EXPECT_EQ(doc.loadRecordFile((dir / "a.doc").string()), CommandResult::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, std::string("ファイル(") + (dir / "a.doc").string() +
                                        std::string(")は、読めません。"));
    EXPECT_EQ(ui.messages[0].second, "Tavrel");

    ui.messages.clear();
    EXPECT_EQ(doc.loadRecordFile((dir / "missing.kif").string()), CommandResult::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].second, std::string("棋譜読込みエラー"));
    EXPECT_TRUE(doc.recentFiles().entries().empty());
    EXPECT_TRUE(doc.recordName().empty());
    EXPECT_EQ(ui.beeps, 2);
}

TEST_F(DocumentTest, CapacityOverflowKeepsWhatWasRead) {
    core::RecordStore small(3);
    Document d(small, settings, ui);
    std::string path = write("big.kif", std::string(kSample));
    EXPECT_EQ(d.loadRecordFile(path), CommandResult::Failed);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages.back().first.find(std::string("棋譜サイズオーバ")), std::string::npos);
    EXPECT_EQ(d.recordName(), "big");
}

// A record read only in part keeps its file safe: every way of saving over that file asks first,
// says what would be lost, and takes No for an answer; the title says the record is incomplete.
TEST_F(DocumentTest, PartlyReadRecordIsNeverSavedOverItsFileUnasked) {
    core::RecordStore small(3);
    Document d(small, settings, ui);
    const std::string original = std::string(kSample);
    std::string path = write("big.kif", original);
    EXPECT_EQ(d.loadRecordFile(path), CommandResult::Failed);
    EXPECT_EQ(d.title(), std::string("big.kif（一部のみ読込） - Tavrel"));
    auto unchanged = [&] { return core::readFile(path) == original; };

    // Ctrl+S on an unmodified record: asked, default No, file kept.
    ui.answer = Answer::No;
    EXPECT_NE(d.saveInPlace(), core::WriteResult::Ok);
    ASSERT_EQ(ui.defaultNoQuestions.size(), 1u);
    EXPECT_NE(ui.defaultNoQuestions[0].find(std::string("一部しか読み込めていません")),
              std::string::npos);
    EXPECT_NE(ui.defaultNoQuestions[0].find(std::string("棋譜サイズオーバ")), std::string::npos);
    EXPECT_TRUE(unchanged());

    // The close question: Yes to saving, then No to losing the rest: the record stays.
    small.markDirty();
    ui.answers = {Answer::Yes, Answer::No};
    EXPECT_EQ(d.askSaveBeforeDiscard(false), Answer::Cancel);
    EXPECT_TRUE(unchanged());
    EXPECT_TRUE(d.modified());

    // Save As onto the same file asks the same question.
    ui.answers = {Answer::No};
    EXPECT_EQ(saveAsFile(d, path, SaveFormat::Kif), SaveAsResult::KeptExisting);
    EXPECT_EQ(ui.defaultNoQuestions.size(), 3u);
    EXPECT_TRUE(unchanged());

    // Saved elsewhere: no question; the file read in part is still guarded.
    const std::size_t asked = ui.questions.size();
    ASSERT_EQ(saveAsFile(d, (dir / "copy.kif").string(), SaveFormat::Kif), SaveAsResult::Saved);
    EXPECT_EQ(ui.questions.size(), asked);
    EXPECT_EQ(d.title(), "copy.kif - Tavrel");
    ui.answers = {Answer::No};
    EXPECT_EQ(saveAsFile(d, path, SaveFormat::Kif), SaveAsResult::KeptExisting);
    EXPECT_TRUE(unchanged());

    // An explicit Yes overwrites, and the file then holds what the user chose to keep.
    ui.answers = {Answer::Yes};
    EXPECT_EQ(saveAsFile(d, path, SaveFormat::Kif), SaveAsResult::Saved);
    EXPECT_FALSE(unchanged());
    EXPECT_FALSE(d.incomplete());
    EXPECT_EQ(d.title(), "big.kif - Tavrel");
}

TEST_F(DocumentTest, RecordWithAFailedLineIsIncompleteAndAWholeOneIsNot) {
    std::string text = std::string(kSample);
    text.insert(text.find(std::string("   3 中断")),
                std::string("   3 ９九玉(11)   ( 0:01/00:00:04)\r\n"));
    std::string path = write("bad line.kif", text);
    EXPECT_EQ(doc.loadRecordFile(path), CommandResult::Failed);
    EXPECT_TRUE(doc.incomplete());
    EXPECT_EQ(store.moveCount(), 2);
    ui.answer = Answer::No;
    EXPECT_NE(doc.saveInPlace(), core::WriteResult::Ok);
    EXPECT_EQ(core::readFile(path), text);
    // Loading a whole record ends it.
    ASSERT_EQ(doc.loadRecordFile(write("whole.kif", std::string(kSample))), CommandResult::Done);
    EXPECT_FALSE(doc.incomplete());
    ASSERT_EQ(doc.saveInPlace(), core::WriteResult::Ok);
    EXPECT_EQ(ui.defaultNoQuestions.size(), 1u);
}

// Bytes that are no record, whatever their extension, are refused with the reason, and the
// record shown before stays with its names.
TEST_F(DocumentTest, FileThatIsNoRecordKeepsTheRecordShown) {
    std::string path = write("sample.kif", std::string(kSample));
    ASSERT_EQ(doc.loadRecordFile(path), CommandResult::Done);
    std::string noise;
    std::uint32_t x = 12345;
    for (int i = 0; i < 500; ++i) {
        x = x * 1103515245u + 12345u;
        noise += static_cast<char>((x >> 16) & 0xFF);
    }
    for (const char* name : {"bad.kif", "bad.ki2", "bad.csa", "bad.jkf", "bad.usi"}) {
        ui.messages.clear();
        EXPECT_EQ(doc.loadRecordFile(write(name, noise)), CommandResult::Failed) << name;
        ASSERT_EQ(ui.messages.size(), 1u) << name;
        EXPECT_NE(ui.messages[0].first.find(std::string("から棋譜を読み込めませんでした。\n")),
                  std::string::npos)
            << name;
        EXPECT_GT(ui.messages[0].first.size(),
                  ui.messages[0].first.find('\n') + 1)  // a reason follows
            << name;
        EXPECT_EQ(ui.messages[0].second, std::string("棋譜読込みエラー"));
        EXPECT_EQ(store.moveCount(), 2) << name;
        EXPECT_EQ(doc.recordName(), "sample") << name;
        EXPECT_EQ(doc.recordPath(), path) << name;
        EXPECT_EQ(doc.recentFiles().entries().front(), path) << name;
    }
    // An empty file is an empty record, not a fault.
    EXPECT_EQ(doc.loadRecordFile(write("empty.kif", "")), CommandResult::Done);
    EXPECT_EQ(doc.recordName(), "empty");
}

TEST_F(DocumentTest, ThousandsOfWarningsGiveOneMessageWithAList) {
    std::string text = kSample;  // UTF-8, as a .kifu file holds it
    for (int i = 0; i < 3000; ++i) text += "*\xff\xfe\r\n";
    ASSERT_NE(doc.loadRecordFile(write("noisy.kifu", text)), CommandResult::Cancelled);
    ASSERT_EQ(ui.lists.size(), 1u);
    EXPECT_GE(ui.lists[0].size(), 3000u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, core::formatMessageUtf8("警告が%s件あります。",
                                                            {std::to_string(ui.lists[0].size())}));
    // A few warnings stay one plain message.
    ui.messages.clear();
    text = kSample;
    text += "*\xff\r\n";
    ASSERT_NE(doc.loadRecordFile(write("quiet.kifu", text)), CommandResult::Cancelled);
    EXPECT_EQ(ui.lists.size(), 1u);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(DocumentTest, EditingDropsLoadedMoves) {
    doc.setMode(ViewerMode::Editing);
    ASSERT_EQ(doc.loadRecordFile(write("e.kif", std::string(kSample))), CommandResult::Done);
    EXPECT_EQ(store.moveCount(), 0);
    EXPECT_EQ(ui.messages.back().first, std::string("局面編集中なので、棋譜は消しました。"));
    EXPECT_EQ(ui.messages.back().second, std::string("警告"));
}

TEST_F(DocumentTest, BookmarkPositionMissingIsAFailure) {
    settings.positionAfterLoad = PositionAfterLoad::FirstBookmark;
    EXPECT_EQ(doc.loadRecordFile(write("b.kif", std::string(kSample))), CommandResult::Failed);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(doc.recordName(), "b");
}

TEST_F(DocumentTest, PasteNamesNewRecord) {
    ASSERT_EQ(doc.pasteRecord(std::string(kSample)), CommandResult::Done);
    EXPECT_EQ(doc.recordName(), std::string("新規棋譜"));
    EXPECT_EQ(ui.status, std::string("クリップボードから棋譜、局面を読み込みました。"));
    EXPECT_EQ(doc.pasteRecord(std::nullopt), CommandResult::Failed);
    EXPECT_EQ(ui.messages.back().first, std::string("クリップボードが使用できません。"));
    EXPECT_EQ(ui.messages.back().second, std::string("エラー"));
}

TEST_F(DocumentTest, PasteTakesUsiAndJsonKifuText) {
    ASSERT_EQ(doc.pasteRecord(std::string("position startpos moves 7g7f 3c3d\r\n")),
              CommandResult::Done);
    EXPECT_EQ(store.moveCount(), 2);
    ASSERT_EQ(doc.pasteRecord(std::string(R"({"header":{"先手":"甲"},"moves":[{},
        {"move":{"from":{"x":2,"y":7},"to":{"x":2,"y":6},"piece":"FU"}}]})")),
              CommandResult::Done);
    EXPECT_EQ(store.moveCount(), 1);
    EXPECT_EQ(store.playerName(core::PlayerField::Black), std::string("甲"));
    EXPECT_EQ(doc.pasteRecord(std::string("position startpos moves 7g7f 7g7f")),
              CommandResult::Failed);
    EXPECT_NE(ui.messages.back().first.find(std::string("2手目")), std::string::npos);
}

TEST_F(DocumentTest, AskSaveWritesTheOpenedFileUnderItsOwnName) {
    settings.recordFolder = dir.string() + "/";
    std::string path = write("m.kif", std::string(kSample));
    ASSERT_EQ(doc.loadRecordFile(path), CommandResult::Done);
    EXPECT_EQ(doc.askSaveBeforeDiscard(false), Answer::No);  // not modified: no question
    EXPECT_TRUE(ui.questions.empty());
    store.markDirty();
    settings.confirmSave = 0;
    EXPECT_EQ(doc.askSaveBeforeDiscard(true), Answer::No);
    EXPECT_TRUE(ui.questions.empty());
    store.setHeader(core::HeaderField::Event, std::string("書き直した棋戦"));
    store.markDirty();
    EXPECT_NE(doc.title().find(" *"), std::string::npos);
    ui.answer = Answer::Yes;
    const int changes = ui.changes;
    EXPECT_EQ(doc.askSaveBeforeDiscard(false), Answer::Yes);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], std::string("棋譜(") + path + std::string(")を保存しますか？"));
    // The file that was opened holds the change; no second file beside it.
    auto bytes = core::readFile(path);
    ASSERT_TRUE(bytes);
    EXPECT_NE(bytes->find(*core::cp932Bytes("書き直した棋戦")), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
    EXPECT_FALSE(doc.modified());
    EXPECT_GT(ui.changes, changes);
    EXPECT_EQ(doc.title(), "m.kif - Tavrel");
}

TEST_F(DocumentTest, AskSaveNamesARecordWithoutFileByDateInLowerCase) {
    settings.recordFolder = dir.string() + "/";
    ASSERT_EQ(doc.pasteRecord(std::string(kSample)), CommandResult::Done);
    store.markDirty();
    ui.answer = Answer::Yes;
    EXPECT_EQ(doc.askSaveBeforeDiscard(false), Answer::Yes);
    const std::string name = todayName() + ".kif";
    EXPECT_EQ(ui.questions.back(),
              std::string("棋譜(") + dir.string() + "/" + name + std::string(")を保存しますか？"));
    EXPECT_TRUE(fs::exists(dir / name));
    EXPECT_FALSE(doc.modified());
    // A save that fails must not let the caller discard the record.
    ASSERT_EQ(doc.pasteRecord(std::string(kSample)), CommandResult::Done);
    store.markDirty();
    settings.recordFolder = (dir / "no such folder").string() + "/";
    EXPECT_EQ(doc.askSaveBeforeDiscard(false), Answer::Cancel);
    EXPECT_TRUE(doc.modified());
}

TEST_F(DocumentTest, SaveInPlaceWithBackupAndKi2IntoKif) {
    std::string path = write("s.kif", std::string(kSample));
    ASSERT_EQ(doc.loadRecordFile(path), CommandResult::Done);
    settings.backup = 1;
    fs::create_directories(dir / "bak");
    ASSERT_EQ(doc.saveInPlace(), core::WriteResult::Ok);
    EXPECT_TRUE(fs::exists(dir / "bak" / "s.kif.bak"));
    EXPECT_EQ(ui.status, std::string("棋譜ファイル(") + path + std::string(")を保存しました。"));
    // Save As with filter 2 onto a .kif name writes KI2 into it.
    std::string target = (dir / applySaveExtension("t.kif", SaveFormat::Ki2)).string();
    ASSERT_EQ(doc.writeRecord(SaveFormat::Ki2, target), core::WriteResult::Ok);
    auto bytes = core::readFile(target);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->find(*core::cp932Bytes("７六歩(77)")), std::string::npos);
    EXPECT_NE(bytes->find(*core::cp932Bytes("▲７六歩")), std::string::npos);
    EXPECT_EQ(doc.recordFileName(), "t.kif");
}

// With 棋譜読込局面 3 a record saved as KIF or KI2 (either encoding) opens again at the
// position shown when it was saved.
TEST_F(DocumentTest, SavedPositionComesBackInEveryRecordFormat) {
    for (SaveFormat format :
         {SaveFormat::Kif, SaveFormat::Ki2, SaveFormat::KifUtf8, SaveFormat::Ki2Utf8}) {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        ASSERT_EQ(doc.loadRecordFile(write("m.kif", std::string(kSample))), CommandResult::Done)
            << static_cast<int>(format);
        ASSERT_EQ(doc.store().goToPly(2), core::EditResult::Ok);
        settings.positionAfterLoad = PositionAfterLoad::LoadBookmark;
        const std::string target = (dir / applySaveExtension("saved", format)).string();
        ASSERT_EQ(doc.writeRecord(format, target), core::WriteResult::Ok);
        ASSERT_EQ(doc.loadRecordFile(target), CommandResult::Done) << target;
        EXPECT_EQ(doc.store().currentPly(), 2) << target;
    }
}

TEST_F(DocumentTest, PositionAndEnglishFilesLeaveTheRecordUnsaved) {
    std::string path = write("p.kif", std::string(kSample));
    ASSERT_EQ(doc.loadRecordFile(path), CommandResult::Done);
    store.markDirty();
    for (SaveFormat f : {SaveFormat::Bod, SaveFormat::EnglishRecord, SaveFormat::EnglishPosition}) {
        std::string target = (dir / applySaveExtension("out", f)).string();
        ASSERT_EQ(doc.writeRecord(f, target), core::WriteResult::Ok);
        EXPECT_TRUE(fs::exists(target)) << target;
    }
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(doc.recordPath(), path);
    auto bod = core::readFile((dir / "out.bod").string());
    ASSERT_TRUE(bod);
    EXPECT_NE(bod->find(*core::cp932Bytes("手数＝2")), std::string::npos);
}

// The first template line that shows nothing carries the opening of the record's main line
// whichever position is shown; it follows an edit of the line and never displaces a line with
// text.
TEST_F(DocumentTest, TheInformationBoxShowsTheAutomaticOpening) {
    const std::string fourthFile =
        "position startpos moves 7g7f 8c8d 6g6f 3c3d 2h6h 8d8e 8h7g 5a4b 5i4h 4b3b 4h3h 6a5b "
        "3h2h 7a6b 3i3h 6c6d 6i5h 1c1d 1g1f 9c9d";
    ASSERT_EQ(core::readUsiText(store, fourthFile, {}).result, core::ReadResult::Ok);
    // Neither a date (%g) nor an event (%i): the first line takes it, the others stay blank.
    EXPECT_EQ(line(8), "▲四間飛車 △居飛車");
    EXPECT_EQ(line(9), "");
    EXPECT_EQ(line(10), "");
    ASSERT_EQ(store.goToPly(3), core::EditResult::Ok);
    EXPECT_EQ(line(8), "▲四間飛車 △居飛車");
    store.setHeader(core::HeaderField::StartDateTime, "2026/12/01");
    EXPECT_EQ(line(8), "2026/12/01");
    EXPECT_EQ(line(9), "▲四間飛車 △居飛車");
    // Cut to three moves, the line is too short to say anything.
    ASSERT_EQ(store.truncateAfter(3), core::EditResult::Ok);
    EXPECT_EQ(line(9), "");
    // A handicap game shows its handicap on its own line only; a position of its own nothing.
    ASSERT_EQ(core::readUsiText(store,
                                "position sfen lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/"
                                "LNSGKGSNL w - 1 moves 3c3d 7g7f 8c8d 2g2f 8d8e 6i7h",
                                {})
                  .result,
              core::ReadResult::Ok);
    EXPECT_EQ(line(8), "");
    // Lines with text keep it.
    ASSERT_EQ(core::readUsiText(store, fourthFile, {}).result, core::ReadResult::Ok);
    settings.infoFormats = {"戦型：%s", "対局", "先手：%b"};
    EXPECT_EQ(line(8), "戦型：");
    EXPECT_EQ(line(9), "対局");
    EXPECT_EQ(line(10), "先手：");
}

TEST_F(DocumentTest, MatingProblemUsesItsInformationTemplates) {
    std::string text = std::string("作者：山田\r\n作品名：習作\r\n") + std::string(kSample);
    ASSERT_EQ(doc.loadRecordFile(write("q.kif", text)), CommandResult::Done);
    EXPECT_EQ(line(8), "作者：山田");
    EXPECT_EQ(line(10), "作品：習作");
}

TEST_F(DocumentTest, NoFileRecordHasNoSaveInPlace) {
    ASSERT_EQ(doc.pasteRecord(std::string(kSample)), CommandResult::Done);
    EXPECT_FALSE(doc.saveInPlace());
}

// Every interop record loads with names set and the information lines filled.
using DocumentInteropTest = testsupport::WithInterop<DocumentTest>;

TEST_F(DocumentInteropTest, RecordsLoad) {
    settings.positionAfterLoad = PositionAfterLoad::End;
    int loaded = 0;
    for (const char* sub : {"kif", "ki2", "csa"}) {
        for (const auto& file : testsupport::interopFiles(sub)) {
            std::string path = file.string();
            ui.messages.clear();
            const CommandResult r = doc.loadRecordFile(path);
            SCOPED_TRACE(path);
            EXPECT_EQ(r, CommandResult::Done);
            for (const auto& m : ui.messages) ADD_FAILURE() << core::toUtf8Lossy(m.first);
            EXPECT_EQ(doc.recordPath(), path);
            EXPECT_EQ(line(4).rfind("手合割：", 0), 0u);
            EXPECT_EQ(line(5).rfind("手　数：", 0), 0u);
            EXPECT_TRUE(line(7) == "先手番" || line(7) == "後手番" || line(7) == "上手番" ||
                        line(7) == "下手番");
            if (store.currentPly() > 0) {
                EXPECT_TRUE(line(6).ends_with("まで　")) << line(6);
            }
            ++loaded;
        }
    }
    EXPECT_GE(loaded, 30);
}

}  // namespace
}  // namespace tavrel
