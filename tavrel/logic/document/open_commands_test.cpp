#include "tavrel/logic/document/open_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

using Events = std::vector<std::string>;

class OpenCommandsTest : public testsupport::DocumentFixture {
protected:
    std::string sample(const std::string& name) {
        return write(name, std::string(testsupport::kSampleRecord));
    }
    CommandLine commandLine(std::vector<std::string> args) {
        return parseCommandLine(argumentTokens(args));
    }
    std::string notYet(const std::string& feature) {
        return "message: " + feature + "は、この版ではまだ使用できません。";
    }
};

TEST_F(OpenCommandsTest, OpenAsksFirstAndStartsWithTheFilterChosenLast) {
    settings.recordFolder = dir.string() + "/";
    settings.standardFormat =
        StandardFormat::Ki2;  // KI2: the first dialog starts with 棋譜(*.ki2 *.KI2)
    std::string path = sample("o.kif");
    ASSERT_EQ(doc.pasteRecord(std::string(testsupport::kSampleRecord)), CommandResult::Done);
    store.markDirty();
    ui.events.clear();
    ui.answer = Answer::Cancel;
    EXPECT_EQ(openRecord(doc), CommandResult::Cancelled);
    ASSERT_EQ(ui.events.size(), 1u);
    EXPECT_EQ(ui.events[0].rfind("ask: 棋譜(", 0), 0u);
    EXPECT_TRUE(ui.dialogs.empty());

    ui.answer = Answer::No;
    EXPECT_EQ(openRecord(doc), CommandResult::Cancelled);  // the dialog is closed: nothing is read
    ASSERT_EQ(ui.dialogs.size(), 1u);
    const FileDialogRequest& first = ui.dialogs[0];
    EXPECT_EQ(first.title, std::string("棋譜・局面ファイルの読み込み"));
    EXPECT_EQ(first.folder, dir.string() + "/");
    ASSERT_EQ(first.filters.size(), 8u);
    EXPECT_EQ(first.filters[0], std::string("棋譜(*.kif *.KIF)"));
    EXPECT_EQ(first.filters[5], std::string("JSON棋譜(*.jkf *.JKF)"));
    EXPECT_EQ(first.filters[7], std::string("すべてのﾌｧｲﾙ (*)"));
    EXPECT_EQ(first.selected, 1);
    EXPECT_EQ(doc.recordName(), std::string("新規棋譜"));

    ui.choices = {FileChoice{path, 3}, FileChoice{path, -1}};
    EXPECT_EQ(openRecord(doc), CommandResult::Done);
    EXPECT_EQ(doc.recordPath(), path);
    EXPECT_EQ(ui.events.back(), "changed");
    // A filter the dialog does not report keeps the last one.
    EXPECT_EQ(openRecord(doc), CommandResult::Done);
    EXPECT_EQ(openRecord(doc), CommandResult::Cancelled);
    ASSERT_EQ(ui.dialogs.size(), 4u);
    EXPECT_EQ(ui.dialogs[2].selected, 3);
    EXPECT_EQ(ui.dialogs[3].selected, 3);
}

TEST_F(OpenCommandsTest, RecentFileAsksOnlyWithTheConfirmSetting) {
    std::string path = sample("r.kif");
    store.markDirty();
    ui.answer = Answer::Cancel;
    openRecentFile(doc, path);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(doc.recordPath().empty());
    settings.confirmSave = 0;
    openRecentFile(doc, path);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(doc.recordPath(), path);
    EXPECT_EQ(ui.events.back(), "changed");
}

// The folder holds a.kif, B.KIF, c.ki2, d.kif, a folder c.kif and a broken link bc.kif: the kif
// files in name order, letters compared in upper case, are a, B, d.
TEST_F(OpenCommandsTest, NextAndPreviousFileOfTheFolder) {
    for (const char* name : {"a.kif", "B.KIF", "c.ki2", "d.kif"}) sample(name);
    std::filesystem::create_directory(dir / "c.kif");
    std::filesystem::create_symlink(dir / "missing.kif", dir / "bc.kif");
    openSiblingFile(doc, true);  // no file yet
    EXPECT_EQ(ui.events, (Events{"beep"}));

    ASSERT_EQ(doc.loadRecordFile(path("B.KIF")), CommandResult::Done);
    openSiblingFile(doc, true);
    EXPECT_EQ(doc.recordPath(), path("d.kif"));
    openSiblingFile(doc, false);
    openSiblingFile(doc, false);
    EXPECT_EQ(doc.recordPath(), path("a.kif"));
    ui.events.clear();
    openSiblingFile(doc, false);
    EXPECT_EQ(ui.events, (Events{"beep"}));
    EXPECT_EQ(doc.recordPath(), path("a.kif"));

    // A modified record is offered for saving even with 棋譜保存確認 off.
    settings.confirmSave = 0;
    store.markDirty();
    ui.events.clear();
    ui.answer = Answer::Cancel;
    openSiblingFile(doc, true);
    ASSERT_EQ(ui.events.size(), 1u);
    EXPECT_EQ(ui.events[0].rfind("ask: ", 0), 0u);
    EXPECT_EQ(doc.recordPath(), path("a.kif"));
}

TEST_F(OpenCommandsTest, DropLoadsAndNamesTheFile) {
    std::string path = sample("d.kif");
    dropFile(doc, path);
    EXPECT_EQ(ui.events,
              (Events{"changed", "status: " + path + " がドロップされました。", "beep"}));
    EXPECT_EQ(doc.recordPath(), path);
    EXPECT_EQ(store.currentPly(), 2);
}

TEST_F(OpenCommandsTest, DropRefusals) {
    dropFile(doc, write("d.doc", "x"));
    EXPECT_EQ(ui.events, (Events{"beep"}));

    std::string path = sample("d.kif");
    const std::pair<ViewerMode, const char*> refused[] = {
        {ViewerMode::PlayingPieceHeld, "message: 対局中は、ドロップできません。"},
        {ViewerMode::PrintPreview, "message: プレビュー中は、ドロップできません。"},
    };
    for (const auto& [mode, message] : refused) {
        ui.events.clear();
        doc.setMode(mode);
        dropFile(doc, path);
        EXPECT_EQ(ui.events, (Events{"beep", message}));
        EXPECT_TRUE(doc.recordPath().empty());
    }
}

TEST_F(OpenCommandsTest, DropOnAModifiedRecordOffersToSaveFirst) {
    settings.recordFolder = dir.string() + "/";
    std::string path = sample("d.kif");
    ASSERT_EQ(doc.pasteRecord(std::string(testsupport::kSampleRecord)), CommandResult::Done);
    store.markDirty();
    ui.events.clear();
    ui.answer = Answer::Cancel;
    dropFile(doc, path);
    std::string question = "ask: 棋譜(" + dir.string() + "/" + core::toUtf8Lossy(todayName()) +
                           ".kif)を保存しますか？";
    EXPECT_EQ(ui.events, (Events{"beep", question}));
    EXPECT_TRUE(doc.modified());

    ui.events.clear();
    ui.answer = Answer::No;
    dropFile(doc, path);
    EXPECT_EQ(ui.events, (Events{"beep", question, "changed",
                                 "status: " + path + " がドロップされました。", "beep"}));
    EXPECT_EQ(doc.recordPath(), path);
}

TEST_F(OpenCommandsTest, PasteTakesTheClipboardUnlessBusy) {
    ui.clipboard = std::string(testsupport::kSampleRecord);
    doc.setMode(ViewerMode::PrintPreview);
    paste(doc);
    EXPECT_EQ(ui.events, (Events{"beep"}));
    doc.setMode(ViewerMode::Viewing);
    ui.events.clear();
    paste(doc);
    EXPECT_EQ(ui.events,
              (Events{"status: クリップボードから棋譜、局面を読み込みました。", "changed"}));
    EXPECT_EQ(store.moveCount(), 2);
}

TEST_F(OpenCommandsTest, CommandLineFileAtAPly) {
    std::string path = sample("c.kif");
    processCommandLine(doc, commandLine({path, "+1"}));
    EXPECT_EQ(store.currentPly(), 1);
    EXPECT_EQ(settings.positionAfterLoad,
              PositionAfterLoad::EndIfSuspended);  // only this load ignores it
    EXPECT_EQ(ui.events, (Events{"changed"}));

    processCommandLine(doc, commandLine({"/C", "+1"}));  // an empty clipboard
    EXPECT_EQ(ui.messages.back().first, std::string("クリップボードが使用できません。"));
    ui.clipboard = std::string(testsupport::kSampleRecord);
    processCommandLine(doc, commandLine({"/C", "+2"}));
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_EQ(doc.recordName(), std::string("新規棋譜"));
}

TEST_F(OpenCommandsTest, CommandLineModes) {
    std::string path = sample("c.kif");
    processCommandLine(doc, commandLine({"/R", path}));
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);  // 旧再現 is off
    settings.oldReplay = 1;
    processCommandLine(doc, commandLine({"/R", path}));
    EXPECT_EQ(doc.mode(), ViewerMode::Replaying);
    EXPECT_EQ(ui.changes, 3);
    doc.setMode(ViewerMode::Viewing);

    // The first switch in the order of priority wins; each is not in this version yet.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"/A", "/G", "/B", path}, "連続再現"},
        {{"/a", path}, "連続再現"},
        {{"/G", "/B", path}, "中断局面から再開"},
    };
    for (const auto& [args, feature] : cases) {
        ui.events.clear();
        EXPECT_FALSE(processCommandLine(doc, commandLine(args)));
        EXPECT_EQ(ui.events, (Events{"changed", "beep", notYet(feature)})) << feature;
    }
    // With a replay to start, "/A" and "/a" start it (the latter asking to close afterwards).
    std::vector<bool> started;
    auto replay = [&](bool closeAfter) { started.push_back(closeAfter); };
    processCommandLine(doc, commandLine({"/A", "/G", path}), replay);
    processCommandLine(doc, commandLine({"/a", path}), replay);
    processCommandLine(doc, commandLine({path}), replay);
    EXPECT_EQ(started, (std::vector<bool>{false, true}));

    // "/B" starts position editing on the record's position, before the print request.
    ui.events.clear();
    EXPECT_FALSE(processCommandLine(doc, commandLine({"/B", "/P", path})));
    EXPECT_EQ(doc.mode(), ViewerMode::Editing);
    EXPECT_EQ(store.moveCount(), 0);
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "beep"), 0);
    doc.setMode(ViewerMode::Viewing);

    // "/P" asks the window to print: a record file as the form, with a ply the position.
    EXPECT_EQ(processCommandLine(doc, commandLine({"/P", path})), PrintRequest::Form);
    EXPECT_EQ(processCommandLine(doc, commandLine({"/P", path, "+1"})), PrintRequest::Position);
    EXPECT_EQ(processCommandLine(doc, commandLine({"/P", "/C"})), PrintRequest::Position);

    // Resuming needs a record that was read.
    ui.events.clear();
    processCommandLine(doc, commandLine({"/G", path + ".missing.kif"}));
    EXPECT_EQ(ui.events.back(), "changed");
    EXPECT_EQ(ui.events.size(), 3u);  // beep, the reading error, changed
}

}  // namespace
}  // namespace tavrel
