#include "viewer/logic/open_commands.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "viewer/logic/document_test_fixture.h"

namespace viewer {
namespace {

using core::sjis;
using Events = std::vector<std::string>;

class OpenCommandsTest : public testing_support::DocumentFixture {
protected:
    std::string sample(const std::string& name) {
        return write(name, sjis(testing_support::kSampleRecord));
    }
    CommandLine commandLine(std::vector<std::string> args) {
        return parseCommandLine(argumentTokens(args));
    }
    std::string notYet(const std::string& feature) {
        return "message: " + feature + "は、この版ではまだ使用できません。";
    }
};

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
    ASSERT_EQ(doc.pasteRecord(sjis(testing_support::kSampleRecord)), 0);
    store.markDirty();
    ui.events.clear();
    ui.answer = Answer::Cancel;
    dropFile(doc, path);
    std::string question = "ask: 棋譜(" + dir.string() + "/" + core::toUtf8Lossy(todayName()) +
                           ".KIF)を保存しますか？";
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
    ui.clipboard = sjis(testing_support::kSampleRecord);
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
    EXPECT_EQ(settings.positionAfterLoad, 2);  // only this load ignores it
    EXPECT_EQ(ui.events, (Events{"changed"}));

    processCommandLine(doc, commandLine({"/C", "+1"}));  // an empty clipboard
    EXPECT_EQ(ui.messages.back().first, sjis("クリップボードが使用できません。"));
    ui.clipboard = sjis(testing_support::kSampleRecord);
    processCommandLine(doc, commandLine({"/C", "+2"}));
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_EQ(doc.recordName(), sjis("新規棋譜"));
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
        {{"/B", "/P", path}, "盤面編集"},
        {{"/P", path}, "印刷"},
    };
    for (const auto& [args, feature] : cases) {
        ui.events.clear();
        processCommandLine(doc, commandLine(args));
        EXPECT_EQ(ui.events, (Events{"changed", "beep", notYet(feature)})) << feature;
    }
    // Resuming needs a record that was read.
    ui.events.clear();
    processCommandLine(doc, commandLine({"/G", path + ".missing.kif"}));
    EXPECT_EQ(ui.events.back(), "changed");
    EXPECT_EQ(ui.events.size(), 3u);  // beep, the reading error, changed
}

}  // namespace
}  // namespace viewer
