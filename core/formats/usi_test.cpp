#include "core/formats/usi.h"

#include <gtest/gtest.h>

#include "core/formats/kif_reader.h"
#include "core/text/sjis.h"

namespace core {
namespace {

RecordStore& read(RecordStore& store, const std::string& utf8) {
    EXPECT_EQ(readRecordLines(store, std::string(utf8), {}).result, ReadResult::Ok);
    return store;
}

TEST(UsiTest, StartPositionsAsSfen) {
    Position pos;
    setupHandicap(pos, kHandicapEven);
    EXPECT_EQ(sfen(pos), "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1");
    setupHandicap(pos, 6);  // 二枚落ち: White moves first
    EXPECT_EQ(sfen(pos), "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
    setupHandicap(pos, 13);
    EXPECT_EQ(sfen(pos, 1), "4k4/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1");
}

TEST(UsiTest, MovesAndHandsAfterPlay) {
    RecordStore store;
    read(store, "▲７六歩\n△３四歩\n▲２二角成\n△同銀\n▲５五角\n△８八角\n▲同銀\n");
    EXPECT_EQ(usiPositionCommand(store),
              "position startpos moves 7g7f 3c3d 8h2b+ 3a2b B*5e B*8h 7i8h");
    (void)store.goToPly(6);
    EXPECT_EQ(sfen(store.position(), 7),
              "lnsgkg1nl/1r5s1/pppppp1pp/6p2/4B4/2P6/PP1PPPPPP/1b5R1/LNSGKGSNL b - 7");
    (void)store.goToPly(4);
    EXPECT_EQ(sfen(store.position(), 5),
              "lnsgkg1nl/1r5s1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/7R1/LNSGKGSNL b Bb 5");
}

TEST(UsiTest, HandicapAndCustomStartsUseSfen) {
    RecordStore store;
    read(store, "手合割：香落ち\n△３四歩\n▲７六歩\nまで2手で中断\n");
    EXPECT_EQ(usiPositionCommand(store),
              "position sfen lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1 "
              "moves 3c3d 7g7f");
    read(store,
         "| ・ ・ ・ ・v玉 ・ ・ ・ ・|一\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n"
         "| ・ ・ ・ ・ 歩 ・ ・ ・ ・|三\n先手の持駒：金２ 歩３\n後手の持駒：なし\n");
    EXPECT_EQ(usiPositionCommand(store), "position sfen 4k4/9/4P4/9/9/9/9/9/9 b 2G3P 1");
}

}  // namespace
}  // namespace core
