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

// The board pane opens the viewer at the ply it shows, with the same mark.
TEST_F(RecordLaunchTest, ReplayAtAPlyPassesThePlyAndMarks) {
    const std::string a = folder.writeBytes("a.kif", "x");
    const int first = addRecord(a);
    db.table().settings().replayMark = true;
    EXPECT_TRUE(launchReplayAt(db, ui, first, 37, tools));
    EXPECT_EQ(ui.started, (std::vector<Args>{{"viewer", "/R", a, "+37"}}));
    EXPECT_TRUE(db.table().entry(first).marks & model::kMarkUser1);
    EXPECT_FALSE(launchReplayAt(db, ui, 99, 1, tools));
    EXPECT_EQ(ui.started.size(), 1u);
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
              core::toUtf8Lossy(*clipboardRecordText(db, slot, std::string("無題(バイナリ)"))));
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

// Two different records open at their first difference, the second a moment later and only
// while it is still there; two identical ones beep and say so.
TEST_F(RecordLaunchTest, ComparisonOpensBothAtTheDifference) {
    db.reset(true);
    const std::string a = folder.writeBytes("a.kif", "x");
    const std::string b = folder.writeBytes("b.kif", "x");
    for (const auto& [path, last] :
         {std::pair{a, model::ListMove{27, 26}}, std::pair{b, model::ListMove{83, 84}},
          std::pair{a, model::ListMove{27, 26}}}) {
        model::IndexEntry e;
        e.setText(model::IndexText::Path, path);
        e.moveCount = 2;
        ASSERT_GE(db.append(std::move(e), {model::ListMove{77, 76}, last}), 0);
    }
    db.table().rebuildDisplayOrder();

    launchComparison(db, ui, {0, 1}, tools);
    EXPECT_EQ(ui.started, (std::vector<Args>{{"viewer", "/R", a, "+2"}}));
    ASSERT_EQ(ui.later.size(), 1u);
    EXPECT_EQ(ui.events.back(), "later: 500");
    ui.later[0]();
    EXPECT_EQ(ui.started.back(), (Args{"viewer", "/R", b, "+2"}));

    // The second record went away before its turn: nothing more starts.
    launchComparison(db, ui, {0, 1}, tools);
    db.reset(true);
    ui.later[1]();
    EXPECT_EQ(ui.started.size(), 3u);

    ui.events.clear();
    launchComparison(db, ui, {0}, tools);
    EXPECT_TRUE(ui.events.empty());
}

TEST_F(RecordLaunchTest, IdenticalRecordsAreNotOpened) {
    db.reset(true);
    ASSERT_GE(addRecord("/r/a.kif"), 0);
    ASSERT_GE(addRecord("/r/b.kif"), 0);
    db.table().rebuildDisplayOrder();
    launchComparison(db, ui, {0, 1}, tools);
    EXPECT_EQ(ui.events, (Args{"beep", "status: 違いは、ありません。"}));
}

TEST_F(RecordLaunchTest, AnotherInstance) {
    EXPECT_TRUE(startNewInstance(ui, "/opt/dalmir"));
    EXPECT_EQ(ui.started, (std::vector<Args>{{"/opt/dalmir"}}));
    ui.startsPrograms = false;
    EXPECT_FALSE(startNewInstance(ui, "/opt/dalmir"));
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(ui.messages, Args{"起動に失敗しました。(/opt/dalmir)"});
}

}  // namespace
}  // namespace dalmir
