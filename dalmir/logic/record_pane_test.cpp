#include "dalmir/logic/record_pane.h"

#include <gtest/gtest.h>

#include "dalmir/model/store/list_replay.h"

namespace dalmir {
namespace {

model::Database binaryDatabase() {
    model::Database db;
    db.reset(true);
    // ▲７六歩 △３四歩 ▲２二角成 △同銀, then a bishop drop.
    EXPECT_EQ(db.append(model::IndexEntry{},
                        {{77, 76}, {33, 34}, {88, 22 | 0x80}, {31, 22}, {core::kBishop, 55}}),
              0);
    model::IndexEntry handicapped;
    handicapped.handicap = 14;  // その他: no set-up of its own
    EXPECT_EQ(db.append(std::move(handicapped), {{77, 76}}), 1);
    return db;
}

TEST(RecordPane, ShowsTheFinalPositionAndStepsThroughTheLine) {
    model::Database db = binaryDatabase();
    model::RecordExtractor extractor;
    RecordPane pane;
    ASSERT_TRUE(pane.load(db, extractor, 0));
    ASSERT_EQ(pane.lastPly(), 5);
    EXPECT_EQ(pane.ply(), 5);
    EXPECT_EQ(pane.lastSquare(), 55);
    EXPECT_EQ(pane.board().cells[55], core::makePiece(core::kSideBlack, core::kBishop));
    EXPECT_EQ(pane.hands().count(core::kSideBlack, core::kBishop), 0);
    ASSERT_EQ(pane.moveTexts().size(), 5U);
    EXPECT_EQ(pane.moveTexts()[0], "1 ▲７六歩(77)");
    EXPECT_EQ(pane.moveTexts()[3], "4 △同　銀(31)");

    EXPECT_TRUE(pane.step(-2));  // before ▲２二角成: the bishops still on the board
    EXPECT_EQ(pane.ply(), 3);
    EXPECT_EQ(pane.hands().count(core::kSideBlack, core::kBishop), 1);
    EXPECT_EQ(pane.lastSquare(), 22);
    EXPECT_TRUE(pane.setPly(-7));
    EXPECT_EQ(pane.ply(), 0);
    EXPECT_EQ(pane.lastSquare(), 0);
    EXPECT_FALSE(pane.step(-1));
    EXPECT_TRUE(pane.setPly(99));
    EXPECT_EQ(pane.ply(), 5);
    EXPECT_FALSE(pane.step(1));
}

TEST(RecordPane, OpensAtTheSearchHitIncludingAHitAtTheStart) {
    model::Database db = binaryDatabase();
    model::RecordExtractor extractor;
    RecordPane pane;
    model::ReplayStep step;
    model::ReplayBoard board;
    ASSERT_TRUE(model::startBoard(0, board));
    ASSERT_TRUE(model::playListMove(board, {77, 76}, step));
    model::setHit(db.table().entry(0), 0, &step, {77, 76}, 0);
    ASSERT_TRUE(pane.load(db, extractor, 0));
    EXPECT_EQ(pane.ply(), 0);
    db.table().entry(0).hitPly = 2;
    ASSERT_TRUE(pane.load(db, extractor, 0));
    EXPECT_EQ(pane.ply(), 2);
}

TEST(RecordPane, RecordsItCannotShowLeaveItEmptyWithAReason) {
    model::Database db = binaryDatabase();
    model::RecordExtractor extractor;
    RecordPane pane;
    ASSERT_TRUE(pane.load(db, extractor, 0));
    EXPECT_FALSE(pane.load(db, extractor, 1));
    EXPECT_TRUE(pane.empty());
    EXPECT_FALSE(pane.message().empty());
    EXPECT_FALSE(pane.load(db, extractor, 7));
    EXPECT_FALSE(pane.setPly(1));

    // A text database reads the record's file; a missing one says so.
    model::Database text;
    text.reset(false);
    model::IndexEntry e;
    e.setText(model::IndexText::Path, std::string("/nonexistent/記録.kif"));
    ASSERT_EQ(text.append(std::move(e)), 0);
    EXPECT_FALSE(pane.load(text, extractor, 0));
    EXPECT_NE(pane.message().find("記録.kif"), std::string::npos) << pane.message();
}

}  // namespace
}  // namespace dalmir
