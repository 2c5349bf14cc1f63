#include "dalmir/logic/record_launch.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "dalmir/logic/clipboard_record.h"
#include "dalmir/logic/dalmir_test_fixture.h"

namespace dalmir {
namespace {

using Args = std::vector<std::string>;

class RecordLaunchTest : public testsupport::DalmirFixture {
protected:
    void SetUp() override { tools.replayCommand = "viewer"; }
    ToolSettings tools;
};

// A replay starts the viewer with the record's file at its move; with 再現マーク on, each
// record a replay started for gets マーク1 once, and one that did not start gets none.
TEST_F(RecordLaunchTest, ReplaysMarkTheRecordsStarted) {
    const std::string a = folder.writeBytes("a.kif", "x");
    const std::string b = folder.writeBytes("b.kif", "x");
    const int first = addRecord(a);
    const int second = addRecord(b, model::kMarkUser1);
    db.table().settings().replayMark = true;
    launchRecords(db, ui, LaunchCommand::Replay, {first, second}, tools);
    EXPECT_EQ(ui.started,
              (std::vector<Args>{{"viewer", "/R", a, "+0"}, {"viewer", "/R", b, "+0"}}));
    EXPECT_TRUE(db.table().entry(first).marks & model::kMarkUser1);
    EXPECT_TRUE(db.isModified());

    db.setModified(false);
    db.table().entry(first).marks = 0;
    ui.startsPrograms = false;
    launchRecords(db, ui, LaunchCommand::Replay, {first}, tools);
    EXPECT_EQ(db.table().entry(first).marks, 0);
    EXPECT_FALSE(db.isModified());
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(ui.messages.back(), "起動に失敗しました。(viewer /R \"" + a + "\" +0)");

    // Other commands never mark.
    ui.startsPrograms = true;
    launchRecords(db, ui, LaunchCommand::Play, {first}, tools);
    EXPECT_EQ(db.table().entry(first).marks, 0);
}

// A binary record whose file is gone replays from its move list on the clipboard; the other
// commands need the file and say it is missing.
TEST_F(RecordLaunchTest, AMissingFileReplaysFromTheClipboard) {
    db.reset(true);
    const int slot = addRecord("/nowhere/gone.KIF");
    ASSERT_GE(slot, 0);
    ASSERT_TRUE(launchRecord(db, ui, LaunchCommand::Replay, slot, 5, tools));
    EXPECT_EQ(ui.started, (std::vector<Args>{{"viewer", "/C", "+5"}}));
    EXPECT_EQ(ui.clipboard,
              core::toUtf8Lossy(*clipboardRecordText(db, slot, core::sjis("無題(バイナリ)"))));
    EXPECT_EQ(ui.status, clipboardRecordStatus());

    EXPECT_FALSE(launchRecord(db, ui, LaunchCommand::Play, slot, 0, tools));
    EXPECT_EQ(ui.messages, Args{"棋譜(/nowhere/gone.KIF)がありません。"});
    EXPECT_EQ(ui.started.size(), 1u);
}

// Position editing starts once and for no record, whatever is selected.
TEST_F(RecordLaunchTest, PositionEditingNeedsNoRecord) {
    launchRecords(db, ui, LaunchCommand::PositionEdit, {}, tools);
    EXPECT_EQ(ui.started, (std::vector<Args>{{"viewer", "/B"}}));
    EXPECT_FALSE(launchRecord(db, ui, LaunchCommand::Replay, 7, 0, tools));
    EXPECT_EQ(ui.started.size(), 1u);
}

}  // namespace
}  // namespace dalmir
