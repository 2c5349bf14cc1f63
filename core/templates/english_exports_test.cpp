#include "core/templates/english_exports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/notation/english_notation.h"
#include "core/templates/template_test_fixture.h"

namespace core {
namespace {

using testsupport::kGame;
using testsupport::TemplateTest;

class EnglishTest : public TemplateTest {
protected:
    std::string record() { return toUtf8Lossy(englishRecordText(store, options)); }
    // The move lines of the record: what follows the empty line after the names.
    std::string moves() {
        std::string r = record();
        for (std::size_t at = 0; at < r.size();) {
            std::size_t end = r.find("\r\n", at);
            if (end == std::string::npos) break;
            if (end == at) return r.substr(at + 2);
            at = end + 2;
        }
        return r;
    }
};

// 1.７六歩 2.３四歩 ... 9.２四歩 10.同歩 11.投了 (Black resigns after move 10).
const std::vector<std::string> kTenMoves = {
    "   1 ７六歩(77)", "   2 ３四歩(33)", "   3 ２六歩(27)", "   4 ８四歩(83)",
    "   5 ２五歩(26)", "   6 ８五歩(84)", "   7 ７八金(69)", "   8 ３二金(41)",
    "   9 ２四歩(25)", "  10 同　歩(23)", "  11 投了",
};

TEST(EnglishMoveTest, MoveForms) {
    struct Case {
        MoveNode node;
        const char* expected;
    };
    auto move = [](int from, int to, PieceByte piece, PieceByte captured, std::uint8_t hint) {
        MoveNode n;
        n.from = static_cast<std::uint8_t>(from);
        n.to = static_cast<std::uint8_t>(to);
        n.piece = piece;
        n.captured = captured;
        n.notation = hint;
        return n;
    };
    const PieceByte bPawn = makePiece(kSideBlack, kPawn);
    const PieceByte bBishop = makePiece(kSideBlack, kBishop);
    const PieceByte wSilver = makePiece(kSideWhite, kSilver);
    const PieceByte bGold = makePiece(kSideBlack, kGold);
    const PieceByte wHorse = makePiece(kSideWhite, kHorse);
    const Case cases[] = {
        {move(77, 76, bPawn, 0, kHintUnique), "P-7f"},
        {move(88, 22 | kPromoteFlag, bBishop, makePiece(kSideWhite, kBishop), kHintUnique),
         "Bx2b+"},
        {move(encodeDrop(makePiece(kSideBlack, kSilver)), 55, makePiece(kSideBlack, kSilver), 0,
              kHintUnique),
         "S*5e"},
        // A drop names no origin even when a board piece could reach the square.
        {move(encodeDrop(wSilver), 55, wSilver, 0, kHintAmbiguous), "S*5e"},
        {move(69, 58, bGold, 0, 8), "G6i-5h"},
        {move(43, 34, makePiece(kSideBlack, kSilver), 0, kHintUnique | kHintNoPromotion), "S-3d="},
        {move(11, 22, wHorse, bPawn, kHintUnique), "+Bx2b"},
        {move(1, 0, kSideBlack, 0, kHintUnique), "resigns"},
        {move(1, 9, kSideWhite, 0, kHintUnique), "time out"},
    };
    for (const Case& c : cases) EXPECT_EQ(englishMoveText(c.node), c.expected);
    EXPECT_EQ(englishMoveText(cases[0].node, 7), "P-7f   ");
    EXPECT_EQ(englishSquare(76), "7f");
    EXPECT_EQ(englishSquare(91), "9a");
    EXPECT_EQ(englishSquare(70), "");
}

TEST_F(EnglishTest, AmbiguousGoldFromARecordNamesItsOrigin) {
    load({"   1 ５八金(69)", "   2 ５二金(61)"});
    EXPECT_EQ(englishMoveText(store.node(store.nodeAtPly(1))), "G6i-5h");
    EXPECT_EQ(englishMoveText(store.node(store.node(store.nodeAtPly(1)).next)), "G6a-5b");
}

TEST_F(EnglishTest, DiagramOfTheStartPosition) {
    load(kGame);
    std::string out;
    appendEnglishDiagram(out, store.position(), "B", "", EnglishMarkers::Letters);
    const std::string expected =
        "White in hand: nothing\r\n"
        "  9  8  7  6  5  4  3  2  1\r\n"
        "+---------------------------+\r\n"
        "|wL wN wS wG wK wG wS wN wL |a\r\n"
        "| * wR  *  *  *  *  * wB  * |b\r\n"
        "|wP wP wP wP wP wP wP wP wP |c\r\n"
        "| *  *  *  *  *  *  *  *  * |d\r\n"
        "| *  *  *  *  *  *  *  *  * |e\r\n"
        "| *  *  *  *  *  *  *  *  * |f\r\n"
        "|bP bP bP bP bP bP bP bP bP |g\r\n"
        "| * bB  *  *  *  *  * bR  * |h\r\n"
        "|bL bN bS bG bK bG bS bN bL |i\r\n"
        "+---------------------------+\r\n"
        "Black: B\r\n"
        "Black in hand: nothing\r\n";
    EXPECT_EQ(out, expected);
}

TEST_F(EnglishTest, PositionTextWithTheDefaultTemplate) {
    load(kGame);
    go(5);
    std::string text = toUtf8Lossy(englishPositionText(expander));
    EXPECT_EQ(text.rfind("White: 後手花子\r\nWhite in hand: B \r\n", 0), 0u) << text;
    EXPECT_NE(text.find("|wL wN wS wG wK wG  * wN wL |a\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("| * wR  *  *  *  *  * wS  * |b\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("| *  *  *  * bB  *  *  *  * |e\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Black in hand: nothing\r\nup to 3.B*5e.\r\n"), std::string::npos);
    go(4);
    text = toUtf8Lossy(englishPositionText(expander));
    EXPECT_NE(text.find("Black in hand: B \r\nup to"), std::string::npos) << text;
    EXPECT_NE(text.find("up to 2...Sx2b.\r\n"), std::string::npos) << text;
}

TEST_F(EnglishTest, EnglishLetters) {
    load(kGame);
    struct Case {
        int ply;
        const char* tpl;
        const char* expected;
    };
    const Case cases[] = {
        {0, "%n|%N|%a|%A|%p", "0|0|||"},
        {1, "%n|%N|%l|%L", "1|1|P-7f|P-7f"},
        {2, "%n|%a|%A|%p|%P", "1|..P-3d|P-3d|P-7f|P-7f"},
        {3, "%n|%p|%P|%h|%o", "2|..P-3d|P-3d|先手太郎|後手花子"},
        {4, "%n|%a|%p", "2|..Sx2b|Bx2b+"},
    };
    for (const Case& c : cases) {
        go(c.ply);
        EXPECT_EQ(expand(c.tpl, TemplateContext::EnglishBoard), c.expected) << c.tpl;
    }
    std::string alt = expand("%v", TemplateContext::EnglishBoard);
    EXPECT_NE(alt.find("|vL vN vS vG vK vG  * vN vL |a"), std::string::npos) << alt;
    EXPECT_NE(alt.find("| L  N  S  G  K  G  S  N  L |i"), std::string::npos) << alt;
    EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(EnglishTest, ChessNumberWhenWhiteMovesFirst) {
    load({"手合割：香落ち", "   1 ３四歩(33)", "   2 ７六歩(77)", "   3 ８四歩(83)"});
    go(1);
    EXPECT_EQ(expand("%n.%l", TemplateContext::EnglishBoard), "1...P-3d");
    go(2);
    EXPECT_EQ(expand("%n.%l", TemplateContext::EnglishBoard), "2.P-7f");
}

TEST_F(EnglishTest, RecordInChessStyle) {
    load(kGame);
    EXPECT_EQ(record(),
              "Black: 先手太郎\r\nWhite: 後手花子\r\n\r\n"
              "  1.P-7f   \r\n"
              "*初手のコメント\r\n"
              "P-3d     2.Bx2b+  Sx2b     3.B*5e   resigns\r\n"
              "\r\n");
}

TEST_F(EnglishTest, RecordWithoutMovesOrNames) { EXPECT_EQ(record(), "\r\n\r\n"); }

TEST_F(EnglishTest, RecordStylesAndColumns) {
    load(kTenMoves);
    EXPECT_EQ(moves(),
              "  1.P-7f   P-3d     2.P-2f   P-8d     3.P-2e   P-8e     4.G-7h   G-3b   \r\n"
              "  5.P-2d   Px2d     6.resigns\r\n\r\n");
    options.englishNumbering = EnglishNumbering::Shogi;
    options.englishColumns = 4;
    EXPECT_EQ(moves(),
              "  1.P-7f    2.P-3d    3.P-2f    4.P-8d\r\n"
              "  5.P-2e    6.P-8e    7.G-7h    8.G-3b\r\n"
              "  9.P-2d   10.Px2d   11.resigns\r\n\r\n");
    options.englishNumbering = EnglishNumbering::None;
    options.englishColumns = 8;
    EXPECT_EQ(moves(),
              "P-7f    P-3d    P-2f    P-8d    P-2e    P-8e    G-7h    G-3b\r\n"
              "P-2d    Px2d    resigns\r\n\r\n");
}

TEST_F(EnglishTest, ShogiStyleNumberSqueezedAfterALongMove) {
    load({"   1 ５八金(69)", "   2 ３四歩(33)"});
    options.englishNumbering = EnglishNumbering::Shogi;
    EXPECT_EQ(moves(), "  1.G6i-5h  2.P-3d\r\n\r\n");
    load({"   1 ５八金(69)", "   2 ５二金(61)", "   3 ７六歩(77)"});
    EXPECT_EQ(moves(), "  1.G6i-5h  2.G6a-5b  3.P-7f\r\n\r\n");
}

TEST_F(EnglishTest, HandicapRecordWhiteFirst) {
    load({"手合割：香落ち", "下手：下手一郎", "   1 ３四歩(33)", "   2 ７六歩(77)",
          "   3 ８四歩(83)"});
    EXPECT_EQ(record(),
              "Handicap: Lance   \r\n"
              "Black: 下手一郎\r\n\r\n"
              "  1. ...   P-3d     2.P-7f   P-8d   \r\n\r\n");
    options.englishColumns = 1;
    EXPECT_EQ(moves(), "  1. ...   \r\nP-3d   \r\n  2.P-7f   \r\nP-8d   \r\n\r\n");
}

TEST_F(EnglishTest, CustomStartWritesItsDiagram) {
    Position p;
    clearPosition(p);
    p.cells[51] = makePiece(kSideWhite, kKing);
    p.cells[111] = makePiece(kSideBlack, kGold);
    p.cells[112] = makePiece(kSideBlack, kGold);
    p.handEnd = 113;
    buildPieceList(p);
    p.sideToMove = kSideWhite;
    store.setFirstMover(kSideWhite);
    store.setCustomStart(true);
    store.position() = p;
    store.saveStartPosition(p);
    const std::string r = record();
    EXPECT_EQ(r.rfind("White in hand: nothing\r\n", 0), 0u) << r;
    EXPECT_NE(r.find("| *  *  *  * wK  *  *  *  * |a\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find("Black in hand: G2 \r\nWhite to Move\r\n\r\n"), std::string::npos) << r;
}

TEST_F(EnglishTest, SavedFilesHoldTheTexts) {
    load(kGame);
    go(1);
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "eng";
    std::filesystem::create_directories(dir);
    const std::string pos = (dir / "pos.txt").string();
    const std::string gam = (dir / "rec.gam").string();
    ASSERT_EQ(saveEnglishPosition(expander, pos), WriteResult::Ok);
    ASSERT_EQ(saveEnglishRecord(store, options, gam), WriteResult::Ok);
    EXPECT_EQ(readFile(pos), cp932Bytes(englishPositionText(expander)));
    EXPECT_EQ(readFile(gam), cp932Bytes(englishRecordText(store, options)));
    EXPECT_EQ(saveEnglishRecord(store, options, (dir / "no/such/x.gam").string()),
              WriteResult::CannotCreate);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace core
