#include "core/formats/ki2_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/formats/writer_test_fixture.h"
#include "core/notation/piece_text.h"

namespace core {
namespace {

using testsupport::golden;
using testsupport::readable;
using testsupport::RecordBuilder;

class Ki2WriterTest : public ::testing::Test {
protected:
    RecordStore store;
    RecordBuilder play{store};
    RecordWriteOptions options;

    std::string ki2() { return ki2Text(store, options); }

    // Thirteen moves with a comment after the third; White resigns.
    void buildColumns() {
        store.setPlayerName(PlayerField::Black, "A");
        store.setPlayerName(PlayerField::White, "B");
        play.move(77, 76);
        play.move(33, 34);
        play.move(27, 26);
        play.comment("三手目のコメント");
        play.move(83, 84);
        play.move(26, 25);
        play.move(84, 85);
        play.move(69, 78);
        play.move(41, 32);
        play.move(25, 24);
        play.move(23, 24);
        play.move(28, 24);
        play.drop(kPawn, 23);
        play.move(24, 28);
        play.end(TerminalCode::Resign);
    }

    // White's king alone on 51, Black with two golds, the rest in White's hand; a mate in 4
    // (after the king takes twice) with a shorter alternative at ply 3.
    void buildMatingProblem() {
        testsupport::setUpMatingProblem(store);
        play.drop(kGold, 52);
        play.bookmark("飛ばされる");
        play.move(51, 52);
        play.drop(kGold, 53);
        play.move(52, 53);
        play.end(TerminalCode::Mate);
        play.back(2);
        play.drop(kGold, 62);
        play.end(TerminalCode::Mate);
    }
};

TEST_F(Ki2WriterTest, MovesInTwelveByteColumnsWithACommentEndingTheLine) {
    buildColumns();
    EXPECT_EQ(readable(ki2()), readable(golden("even_columns.ki2")));
    EXPECT_EQ(ki2(), golden("even_columns.ki2"));
}

TEST_F(Ki2WriterTest, HalfWidthFormUsesEightByteColumnsAndEightMovesPerLine) {
    buildColumns();
    options.ki2HalfWidth = true;
    EXPECT_EQ(readable(ki2()), readable(golden("even_columns_half.ki2")));
    EXPECT_EQ(ki2(), golden("even_columns_half.ki2"));
}

TEST_F(Ki2WriterTest, MatingProblemFormHasNoMarksNoColumnsAndNoBookmarks) {
    buildMatingProblem();
    std::string text = ki2ClipboardText(store, Ki2ClipboardMode::MatingProblem, options);
    EXPECT_EQ(readable(text), readable(golden("mating_problem.ki2")));
    EXPECT_EQ(text, golden("mating_problem.ki2"));
}

TEST_F(Ki2WriterTest, StyleDecidesTheWhiteMarkAndUserMarksFollowTheirFlag) {
    play.move(77, 76);
    play.move(33, 34);
    struct Case {
        int style;
        bool userMarks;
        const char* moves;
    };
    const Case cases[] = {
        {2, false, "▲７六歩    △３四歩"},     {0, false, "▲７六歩    ▽３四歩"},
        {1, false, "▲７六歩    ▽３四歩"},     {3, false, "▲７六歩    ▽３四歩"},
        {4, false, "▲７六歩(77)▽３四歩(33)"},  // origin form from style 4 on
    };
    for (const Case& c : cases) {
        options.ki2Style = c.style;
        EXPECT_EQ(ki2(), "\r\n" + std::string(c.moves) + "\r\n")
            << c.style << ": " << readable(ki2());
    }
    options.ki2Style = 2;
    options.ruleCheck = false;
    EXPECT_TRUE(ki2().ends_with(std::string("▲７六歩(77)△３四歩(33)\r\n")));
    options.ruleCheck = true;
    options.userMarksInFiles = true;
    std::string user = std::string(kMarkBlackUser) + std::string("７六歩    ") +
                       std::string(kMarkWhiteUser1) + std::string("３四歩\r\n");
    EXPECT_TRUE(ki2().ends_with(user));
    // The clipboard follows its own flag.
    EXPECT_TRUE(ki2ClipboardText(store, Ki2ClipboardMode::Whole, options)
                    .ends_with(std::string("▲７六歩    △３四歩\r\n")));
    options.ki2Style = 0;
    EXPECT_NE(ki2().find(std::string(kMarkWhiteUser2)), std::string::npos);
}

TEST_F(Ki2WriterTest, SeventhMoveStartsANewLineAndFortyOneMovesEndWithTheResult) {
    // Rooks out and back: 40 plies, then 41.７六歩 and White resigns.
    for (int i = 0; i < 10; ++i) {
        play.move(28, 38);
        play.move(82, 72);
        play.move(38, 28);
        play.move(72, 82);
    }
    play.move(77, 76);
    play.end(TerminalCode::Resign);
    std::string text = ki2();
    std::string first =
        std::string("▲３八飛    △７二飛    ▲２八飛    △８二飛    ▲３八飛    △７二飛\r\n");
    EXPECT_EQ(text.substr(2, first.size()), first) << readable(text);
    EXPECT_TRUE(text.ends_with(std::string("△８二飛    ▲７六歩\r\nまで41手で先手の勝ち\r\n")))
        << readable(text);
}

TEST_F(Ki2WriterTest, SameSquareKeepsItsSpaceOnlyBeforeAOneKanjiPiece) {
    // Both golds can take on 67, so the one from 58 is "右" and "同" loses its space.
    Position p;
    clearPosition(p);
    p.cells[59] = makePiece(kSideBlack, kKing);
    p.cells[51] = makePiece(kSideWhite, kKing);
    p.cells[58] = makePiece(kSideBlack, kGold);
    p.cells[78] = makePiece(kSideBlack, kGold);
    p.cells[64] = makePiece(kSideWhite, kSilver);
    p.cells[66] = makePiece(kSideBlack, kPawn);
    buildPieceList(p);
    fillWhiteHandWithRest(p);
    buildPieceList(p);
    p.sideToMove = kSideWhite;
    store.setCustomStart(true);
    store.setFirstMover(kSideWhite);
    store.position() = p;
    store.saveStartPosition(p);
    play.move(64, 65);
    play.move(66, 65);
    play.drop(kSilver, 67);
    play.move(58, 67);
    play.drop(kSilver, 68);
    play.move(78, 68);
    std::string text = ki2();
    EXPECT_NE(text.find(std::string("後手番\r\n\r\n△６五銀    ▲同　歩    △６七銀    ▲同金右    "
                                    "△６八銀    ▲同金寄\r\n")),
              std::string::npos)
        << readable(text);
}

TEST_F(Ki2WriterTest, TerminalWithACommentIsWrittenAsAMove) {
    play.move(77, 76);
    play.move(33, 34);
    play.end(TerminalCode::Suspend);
    ASSERT_EQ(store.appendCommentTo(store.node(store.nodeAtPly(2)).next, std::string("封じ手")),
              CommentResult::Ok);
    EXPECT_TRUE(
        ki2().ends_with(std::string("▲７六歩    △３四歩    ▲中断\r\n*封じ手\r\nまで2手で中断\r\n")))
        << readable(ki2());
}

TEST_F(Ki2WriterTest, CurrentLineStopsBeforeTheTerminalAndEndsWithItsText) {
    store.setPlayerName(PlayerField::Black, "A");
    play.move(77, 76);
    play.move(33, 34);
    play.move(27, 26);
    play.move(83, 84);
    play.end(TerminalCode::Resign);
    play.back(2);
    play.move(88, 22 + kPromoteFlag);
    play.comment("角交換");
    std::string text = ki2ClipboardText(store, Ki2ClipboardMode::CurrentLine, options);
    EXPECT_EQ(readable(text),
              "先手：A\r\n\r\n▲７六歩    △３四歩    ▲２二角成\r\n*角交換\r\n\r\n\r\n");
    ASSERT_EQ(store.goTo(store.nodeAtPly(0)), EditResult::Ok);
    text = ki2ClipboardText(store, Ki2ClipboardMode::CurrentLine, options);
    EXPECT_EQ(readable(text),
              "先手：A\r\n\r\n▲７六歩    △３四歩    ▲２六歩    △８四歩\r\n\r\n"
              "まで4手で後手の勝ち\r\n");
    EXPECT_EQ(ki2ClipboardText(store, Ki2ClipboardMode::Mail, options),
              ki2ClipboardText(store, Ki2ClipboardMode::Whole, options));
}

TEST_F(Ki2WriterTest, HandicapCustomStartPutsNamesAroundTheBoard) {
    store.setHandicap(1);
    store.setFirstMover(kSideBlack);
    setupHandicap(store.position(), 1, false);
    store.position().sideToMove = kSideBlack;
    store.saveStartPosition();
    store.setCustomStart(true);
    store.setFlipped(true);
    store.setPlayerName(PlayerField::Black, std::string("下手氏"));
    store.setPlayerName(PlayerField::White, std::string("上手氏"));
    play.move(77, 76);
    std::string text = ki2();
    EXPECT_TRUE(text.starts_with(
        std::string("盤面回転\r\n手合割：香落ち　\r\n上手：上手氏\r\n上手の持駒：なし\r\n")))
        << readable(text);
    EXPECT_NE(
        text.find(std::string("下手の持駒：なし\r\n下手番\r\n下手：下手氏\r\n\r\n▲７六歩\r\n")),
        std::string::npos)
        << readable(text);
    EXPECT_EQ(
        ki2ClipboardText(store, Ki2ClipboardMode::Whole, options).find(std::string("盤面回転")),
        std::string::npos);
}

TEST_F(Ki2WriterTest, WriteFileCleansTheStoreAndReportsAFolderThatCannotBeWritten) {
    buildColumns();
    std::string path = ::testing::TempDir() + "ki2_writer_test.ki2";
    ASSERT_EQ(writeKi2File(store, path, options), WriteResult::Ok);
    EXPECT_EQ(store.dirty(), 0u);
    EXPECT_EQ(readFile(path).value_or(""), testsupport::goldenBytes("even_columns.ki2"));
    std::filesystem::remove(path);
    store.markDirty();
    EXPECT_EQ(writeKi2File(store, "/nonexistent-folder/x.ki2", options), WriteResult::CannotCreate);
    EXPECT_GT(store.dirty(), 0u);
    EXPECT_EQ(readable(msgKi2Copied(Ki2ClipboardMode::MatingProblem)),
              "クリップボードへ棋譜(詰将棋形式)を出力しました。");
    EXPECT_TRUE(msgKi2Copied(Ki2ClipboardMode::Mail).empty());
}

}  // namespace
}  // namespace core
