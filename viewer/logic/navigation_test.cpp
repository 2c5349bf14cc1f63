#include "viewer/logic/navigation.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "viewer/logic/document_test_fixture.h"

namespace viewer {
namespace {

using core::sjis;

class NavigationTest : public testing_support::DocumentFixture {
protected:
    void SetUp() override {
        settings.positionAfterLoad = 0;
        ASSERT_EQ(doc.loadRecordFile(write("n.kif", sjis(testing_support::kSampleRecord))), 0);
        ASSERT_EQ(store.currentPly(), 0);
    }
};

// The line is 1.７六歩 2.３四歩 and the entry 中断, which counts as ply 3.
TEST_F(NavigationTest, StepsWarnOnlyAtTheEnds) {
    step(doc, Step::Back);
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_EQ(ui.beeps, 1);
    for (int i = 0; i < 3; ++i) step(doc, Step::Forward);
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(ui.beeps, 1);
    step(doc, Step::Forward);
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(ui.beeps, 2);
    step(doc, Step::ToStart);
    EXPECT_EQ(store.currentPly(), 0);
    step(doc, Step::ToEnd);
    EXPECT_EQ(store.currentPly(), 3);
    step(doc, Step::Back);
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_EQ(ui.beeps, 2);
    EXPECT_EQ(ui.changes, 8);  // every step redraws, also one that could not move

    settings.warningSound = 0;
    step(doc, Step::ToStart);
    step(doc, Step::Back);
    EXPECT_EQ(ui.beeps, 2);
}

TEST_F(NavigationTest, NoMovingWhilePlayingOrEditing) {
    for (ViewerMode mode : {ViewerMode::Editing, ViewerMode::Playing}) {
        doc.setMode(mode);
        ui.beeps = 0;
        for (Step s : {Step::ToStart, Step::Back, Step::Forward, Step::ToEnd}) step(doc, s);
        showChosenPly(doc, 2);
        EXPECT_EQ(store.currentPly(), 0);
        EXPECT_EQ(ui.beeps, 4);  // the record window's choice is ignored silently
        EXPECT_EQ(ui.changes, 0);
    }
}

TEST_F(NavigationTest, RecordWindowChoiceAndReplayMode) {
    showChosenPly(doc, 2);
    EXPECT_EQ(store.currentPly(), 2);
    showChosenPly(doc, 7);  // beyond the line: stays
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_EQ(ui.changes, 2);

    toggleReplay(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Replaying);
    toggleReplay(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(ui.changes, 4);
    store.reset();  // nothing to replay
    toggleReplay(doc);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(ui.changes, 4);
}

}  // namespace
}  // namespace viewer
