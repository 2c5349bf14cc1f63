#include "core/formats/diagram_block.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text/sjis.h"

namespace core {
namespace {

std::string utf8(std::string_view cp932) { return toUtf8Lossy(cp932); }

TEST(DiagramBlockTest, EvenStartWithNames) {
    Position pos;
    setupHandicap(pos, kHandicapEven);
    std::string out;
    std::string black = std::string("先手氏");
    std::string white = std::string("後手氏");
    DiagramNames names{black, white};
    appendDiagramBlock(out, pos, kHandicapEven, &names);
    EXPECT_EQ(utf8(out),
              "後手：後手氏\r\n"
              "後手の持駒：なし\r\n"
              "  ９ ８ ７ ６ ５ ４ ３ ２ １\r\n"
              "+---------------------------+\r\n"
              "|v香v桂v銀v金v玉v金v銀v桂v香|一\r\n"
              "| ・v飛 ・ ・ ・ ・ ・v角 ・|二\r\n"
              "|v歩v歩v歩v歩v歩v歩v歩v歩v歩|三\r\n"
              "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\r\n"
              "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\r\n"
              "| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\r\n"
              "| 歩 歩 歩 歩 歩 歩 歩 歩 歩|七\r\n"
              "| ・ 角 ・ ・ ・ ・ ・ 飛 ・|八\r\n"
              "| 香 桂 銀 金 玉 金 銀 桂 香|九\r\n"
              "+---------------------------+\r\n"
              "先手：先手氏\r\n"
              "先手の持駒：なし\r\n");
    // Empty names suppress the name lines, never the hand lines.
    std::string without;
    DiagramNames empty;
    appendDiagramBlock(without, pos, kHandicapEven, &empty);
    std::string plain;
    appendDiagramBlock(plain, pos, kHandicapEven);
    EXPECT_EQ(without, plain);
    EXPECT_TRUE(utf8(plain).starts_with("後手の持駒：なし\r\n"));
}

TEST(DiagramBlockTest, HandCountsInKanjiRookFirst) {
    struct Case {
        int pawns;
        int rooks;
        int golds;
        const char* line;
    };
    const Case cases[] = {
        {2, 1, 0, "先手の持駒：飛　歩二　"}, {10, 0, 0, "先手の持駒：歩十　"},
        {11, 0, 0, "先手の持駒：歩十一　"},  {18, 2, 4, "先手の持駒：飛二　金四　歩十八　"},
        {0, 0, 0, "先手の持駒：なし"},
    };
    for (const Case& c : cases) {
        Position pos;
        clearPosition(pos);
        auto add = [&](int type, int n) {
            for (int i = 0; i < n; ++i) pos.cells[pos.handEnd++] = makePiece(kSideBlack, type);
        };
        add(kPawn, c.pawns);
        add(kRook, c.rooks);
        add(kGold, c.golds);
        EXPECT_EQ(utf8(handLine(pos, kSideBlack, kHandicapEven)), c.line);
        EXPECT_EQ(utf8(handLine(pos, kSideWhite, 3)), "上手の持駒：なし");
    }
}

TEST(DiagramBlockTest, RecordBoardBlockStatesAnUnusualFirstMoverOnly) {
    struct Case {
        HandicapType handicap;
        SideByte first;
        const char* tail;  // after Black's hand line
    };
    const Case cases[] = {
        {kHandicapEven, kSideBlack, ""},
        {kHandicapEven, kSideWhite, "後手番\r\n"},
        {1, kSideWhite, ""},
        {1, kSideBlack, "下手番\r\n"},
    };
    for (const Case& c : cases) {
        RecordStore store;
        store.setHandicap(c.handicap);
        store.setFirstMover(c.first);
        setupHandicap(store.position(), c.handicap, false);
        store.saveStartPosition();
        store.setCustomStart(true);
        std::string out;
        appendRecordBoardBlock(out, store);
        std::string hand =
            c.handicap == kHandicapEven ? "先手の持駒：なし\r\n" : "下手の持駒：なし\r\n";
        EXPECT_TRUE(utf8(out).ends_with("+\r\n" + hand + c.tail)) << utf8(out);
        EXPECT_TRUE(utf8(out).starts_with(c.handicap == kHandicapEven ? "後手の持駒：なし\r\n"
                                                                      : "上手の持駒：なし\r\n"));
    }
}

}  // namespace
}  // namespace core
