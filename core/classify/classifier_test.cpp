#include "core/classify/classifier.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/formats/usi_reader.h"
#include "core/text/sjis.h"

namespace core {
namespace {

// Quiet White moves that stay in White's camp, for tests about Black's pieces alone.
const std::vector<std::string> kWhiteFillers = {"1c1d", "9c9d", "1d1e", "9d9e", "4a3b", "6a5b",
                                                "5c5d", "7a6b", "3a4b", "4c4d", "1a1b", "9a9b",
                                                "6c6d", "2c2d", "8c8d", "4d4e"};

std::string u(std::string_view cp932) { return toUtf8Lossy(cp932); }

// Reads a USI move list from the start position (the read must succeed) and classifies it.
Classification classifyUsi(const std::string& moves) {
    RecordStore store(400);
    ReadReport report = readUsiText(store, "position startpos moves " + moves, {});
    EXPECT_EQ(report.result, ReadResult::Ok) << moves;
    return classifyRecord(store);
}

// Black plays these moves, White the fillers in between.
Classification blackPlays(const std::vector<std::string>& black) {
    std::ostringstream line;
    for (std::size_t i = 0; i < black.size(); ++i) {
        line << black[i] << ' ' << kWhiteFillers.at(i) << ' ';
    }
    return classifyUsi(line.str());
}

struct SideCase {
    const char* name;
    std::vector<std::string> black;
    const char* strategy;  // UTF-8
    const char* castle;    // UTF-8, "" for none
};

TEST(ClassifierCastles, EachCastleFromItsMovesAndNearMissesDoNot) {
    const SideCase cases[] = {
        {"mino",
         {"7g7f", "6g6f", "2h6h", "5i4h", "4h3h", "3h2h", "3i3h", "1g1f"},
         "四間飛車",
         "美濃囲い"},
        {"mino without the silver",
         {"7g7f", "6g6f", "2h6h", "5i4h", "4h3h", "3h2h", "1g1f", "9g9f"},
         "四間飛車",
         ""},
        {"high mino",
         {"7g7f", "6g6f", "2h6h", "5i4h", "4h3h", "3h2h", "3i3h", "6i5h", "4g4f", "5h4g"},
         "四間飛車",
         "高美濃囲い"},
        {"silver crown",
         {"7g7f", "6g6f", "2h6h", "5i4h", "4h3h", "3h2h", "3i3h", "6i5h", "4g4f", "5h4g", "2g2f",
          "3h2g", "4i3h"},
         "四間飛車",
         "銀冠"},
        {"ranging anaguma",
         {"7g7f", "6g6f", "2h6h", "1g1f", "1i1h", "5i4h", "4h3h", "3h2h", "2h1i", "1f1e"},
         "四間飛車",
         "振り飛車穴熊"},
        {"static anaguma",
         {"7g7f", "8h7g", "9g9f", "9i9h", "5i6h", "6h7h", "7h8h", "8h9i", "1g1f", "2g2f"},
         "居飛車",
         "居飛車穴熊"},
        {"anaguma king without the lance moved is not anaguma",
         {"7g7f", "8h7g", "9g9f", "5i6h", "6h7h", "7h8h", "1g1f", "2g2f", "2f2e", "4g4f"},
         "居飛車",
         ""},
        {"yagura",
         {"7g7f", "6g6f", "7i6h", "6h7g", "6i7h", "4i5h", "5h6g", "8h7i", "7i6h", "5i6i", "6i7i",
          "7i8h"},
         "居飛車",
         "矢倉囲い"},
        {"funa",
         {"7g7f", "5i6h", "6h7h", "4i5h", "2g2f", "2f2e", "1g1f", "9g9f"},
         "居飛車",
         "舟囲い"},
        {"elmo",
         {"7g7f", "5i6h", "6h7h", "7i6h", "6i7i", "2g2f", "2f2e", "1g1f"},
         "居飛車",
         "エルモ囲い"},
        {"left mino",
         {"7g7f", "8h7g", "5i6h", "6h7h", "7h8h", "7i7h", "2g2f", "2f2e"},
         "居飛車",
         "左美濃"},
        {"millennium",
         {"7g7f", "8i7g", "7i6h", "6i7h", "5i6i", "6i7i", "7i8i", "2g2f"},
         "居飛車",
         "ミレニアム"},
        {"gangi",
         {"6g6f", "7i6h", "6h6g", "5g5f", "3i4h", "4h5g", "6i7h", "5i6i", "2g2f", "2f2e"},
         "居飛車",
         "雁木囲い"},
        {"central king",
         {"5i5h", "6i7h", "4i3h", "2g2f", "2f2e", "7g7f", "1g1f", "9g9f"},
         "居飛車",
         "中住まい"},
        {"king at home",
         {"7g7f", "2g2f", "2f2e", "6i7h", "4i5h", "1g1f", "9g9f", "3g3f"},
         "居飛車",
         "居玉"},
    };
    for (const SideCase& c : cases) {
        Classification got = blackPlays(c.black);
        ASSERT_EQ(got.status, ClassifyStatus::Classified) << c.name;
        EXPECT_EQ(u(strategyName(got.black.strategy)), c.strategy) << c.name;
        EXPECT_EQ(u(castleName(got.black.castle)), c.castle) << c.name;
    }
}

TEST(ClassifierStrategies, TheFileTheRookSettlesOnNamesTheStrategy) {
    const SideCase cases[] = {
        {"central", {"7g7f", "2h5h", "5i4h", "4h3h", "1g1f", "9g9f"}, "中飛車", ""},
        {"third", {"7g7f", "2h7h", "5i4h", "4h3h", "1g1f", "9g9f"}, "三間飛車", ""},
        {"opposing", {"7g7f", "8h7g", "2h8h", "5i4h", "4h3h", "1g1f", "9g9f"}, "向かい飛車", ""},
        {"right fourth", {"2g2f", "2h4h", "5i6h", "1g1f", "9g9f", "3g3f"}, "右四間飛車", ""},
        {"side rook", {"2g2f", "2h3h", "5i6h", "1g1f", "9g9f", "4g4f"}, "袖飛車", ""},
        // The rook visits the fourth file and goes back: still static rook.
        {"visit and leave",
         {"7g7f", "2h6h", "6h2h", "2g2f", "2f2e", "5i6h", "6h7h", "1g1f", "9g9f"},
         "居飛車",
         ""},
        // A rook that goes up the file and out of its camp does not range.
        {"rook up the file",
         {"2g2f", "2f2e", "2e2d", "2h2e", "2e5e", "1g1f", "9g9f", "7g7f"},
         "居飛車",
         ""},
    };
    for (const SideCase& c : cases) {
        Classification got = blackPlays(c.black);
        ASSERT_EQ(got.status, ClassifyStatus::Classified) << c.name;
        EXPECT_EQ(u(strategyName(got.black.strategy)), c.strategy) << c.name;
    }
}

struct GameCase {
    const char* name;
    const char* moves;
    const char* opening;  // openingText, UTF-8
    const char* summary;  // summaryText, UTF-8; null: not checked
};

TEST(ClassifierOpenings, NamedOpeningsAndTheirNearMisses) {
    const GameCase cases[] = {
        {"static against fourth file",
         "7g7f 8c8d 6g6f 3c3d 2h6h 8d8e 8h7g 5a4b 5i4h 4b3b 4h3h 6a5b 3h2h 7a6b 3i3h 6c6d 6i5h "
         "1c1d 1g1f 9c9d",
         "四間飛車", "▲四間飛車(美濃囲い) △居飛車(舟囲い)"},
        {"bishop exchange",
         "7g7f 8c8d 2g2f 8d8e 8h7g 3c3d 7i8h 4a3b 7g2b+ 3a2b 3i3h 7a7b 1g1f 1c1d", "角換わり",
         "角換わり ▲居飛車(居玉) △居飛車(居玉)"},
        {"one bishop taken is no exchange",
         "7g7f 8c8d 2g2f 8d8e 8h7g 3c3d 7i8h 4a3b 7g2b+ 9c9d 3i3h 7a7b 1g1f 1c1d", "力戦", nullptr},
        {"side pawn",
         "7g7f 3c3d 2g2f 8c8d 2f2e 8d8e 6i7h 4a3b 2e2d 2c2d 2h2d 8e8f 8g8f 8b8f 2d3d 2b3c",
         "横歩取り", nullptr},
        {"double wing without the side pawn",
         "7g7f 3c3d 2g2f 8c8d 2f2e 8d8e 6i7h 4a3b 2e2d 2c2d 2h2d 8e8f 8g8f 8b8f 1g1f 2b3c",
         "相掛かり", nullptr},
        {"yagura",
         "7g7f 8c8d 6g6f 3c3d 7i6h 8d8e 6h7g 7a6b 6i7h 6a5b 4i5h 4a3b 5h6g 5a4a 8h7i 6c6d 7i6h "
         "1c1d 5i6i 9c9d 6i7i 6b6c 7i8h 5c5d",
         "矢倉", nullptr},
        {"yagura not finished is unclassified",
         "7g7f 8c8d 6g6f 3c3d 7i6h 8d8e 6h7g 7a6b 6i7h 6a5b 4i5h 4a3b 5h6g 5a4a 8h7i 6c6d 7i6h "
         "1c1d 5i6i 9c9d 6i7i 6b6c 1g1f 5c5d",
         "力戦", nullptr},
        {"gangi",
         "6g6f 8c8d 7i6h 3c3d 6h6g 8d8e 5g5f 7a6b 3i4h 6a5b 4h5g 4a3b 6i7h 5a4a 5i6i 6c6d "
         "2g2f 1c1d 2f2e 9c9d 7g7f 6b6c 1g1f 5c5d",
         "雁木", nullptr},
        {"gokigen central rook",
         "7g7f 3c3d 2g2f 5c5d 2f2e 8b5b 3i4h 5d5e 5i6h 5a6b 6h7h 6b7b 4i5h 7b8b", "ゴキゲン中飛車",
         "▲居飛車(舟囲い) △ゴキゲン中飛車"},
        {"central rook with a late pawn is not gokigen",
         "7g7f 3c3d 2g2f 1c1d 2f2e 8b5b 3i4h 9c9d 5i6h 5a6b 6h7h 6b7b 4i5h 7b8b", "中飛車",
         "▲居飛車(舟囲い) △中飛車"},
        {"early ishida", "7g7f 3c3d 7f7e 8c8d 2h7h 8d8e 8h7g 5a4b 5i4h 4b3b 4h3h 6a5b 3h2h 7a6b",
         "早石田", nullptr},
        {"ishida", "7g7f 3c3d 2h7h 8c8d 5i4h 8d8e 4h3h 5a4b 3h2h 4b3b 3i3h 6a5b 7f7e 7a6b",
         "石田流", "▲石田流(美濃囲い) △居飛車(舟囲い)"},
        {"third file without the pawn is plain",
         "7g7f 3c3d 2h7h 8c8d 5i4h 8d8e 4h3h 5a4b 3h2h 4b3b 3i3h 6a5b 1g1f 7a6b", "三間飛車",
         nullptr},
        {"bishop exchange fourth file",
         "7g7f 3c3d 8h2b+ 3a2b 2h6h 8c8d 5i4h 8d8e 4h3h 5a4b 3h2h 4b3b 3i3h 7a6b", "角交換振り飛車",
         "角交換振り飛車 ▲四間飛車(美濃囲い) △居飛車"},
        {"bishop dropped at once", "7g7f 3c3d 8h2b+ 3a2b B*4e 8c8d 2g2f 8d8e 2f2e 8e8f 8g8f 8b8f",
         "筋違い角", nullptr},
        {"double ranging", "7g7f 3c3d 2h7h 8b4b 5i4h 5a6b 4h3h 6b7b 3h2h 7b8b 1g1f 1c1d",
         "相振り飛車", "相振り飛車 ▲三間飛車 △四間飛車"},
        {"both anaguma",
         "7g7f 3c3d 8h7g 8b4b 9g9f 9c9d 9i9h 9a9b 5i6h 5a6b 6h7h 6b7b 7h8h 7b8b 8h9i 8b9a",
         "四間飛車", "▲居飛車穴熊 △四間飛車(振り飛車穴熊)"},
    };
    for (const GameCase& c : cases) {
        Classification got = classifyUsi(c.moves);
        ASSERT_EQ(got.status, ClassifyStatus::Classified) << c.name;
        EXPECT_EQ(u(openingText(got)), c.opening) << c.name;
        if (c.summary != nullptr) {
            EXPECT_EQ(u(summaryText(got)), c.summary) << c.name;
        }
    }
}

TEST(ClassifierGameType, FollowsBothSidesStrategies) {
    Classification opposing =
        classifyUsi("7g7f 8c8d 6g6f 3c3d 2h6h 8d8e 8h7g 5a4b 5i4h 4b3b 4h3h 6a5b");
    EXPECT_EQ(opposing.type, GameType::StaticRanging);
    EXPECT_EQ(u(gameTypeName(opposing.type)), "対抗形");
    Classification both =
        classifyUsi("7g7f 3c3d 2h7h 8b4b 5i4h 5a6b 4h3h 6b7b 3h2h 7b8b 1g1f 1c1d");
    EXPECT_EQ(both.type, GameType::DoubleRanging);
    // A static rook's own fourth file (右四間) against static rook stays a static game.
    Classification rightFourth =
        classifyUsi("2g2f 8c8d 2h4h 8d8e 5i6h 3c3d 1g1f 1c1d 9g9f 9c9d 3g3f 7a7b");
    EXPECT_EQ(rightFourth.type, GameType::DoubleStatic);
    EXPECT_EQ(u(sideLabel(rightFourth.black)), "右四間飛車");
}

TEST(ClassifierScope, HandicapCustomStartAndShortLines) {
    std::vector<LineMove> line(20, LineMove{77, 76});
    Classification handicap = classifyLine(line, 1, false);
    EXPECT_EQ(handicap.status, ClassifyStatus::Handicap);
    EXPECT_EQ(u(summaryText(handicap)), "香落ち");
    EXPECT_EQ(u(openingText(handicap)), "香落ち");
    EXPECT_TRUE(castlesText(handicap).empty());

    Classification custom = classifyLine(line, kHandicapEven, true);
    EXPECT_EQ(custom.status, ClassifyStatus::CustomStart);
    EXPECT_TRUE(summaryText(custom).empty());
    EXPECT_EQ(reasons(custom).size(), 1u);
    EXPECT_EQ(classifyLine(line, kHandicapOther, false).status, ClassifyStatus::CustomStart);

    // A record read from a position of its own is not classified either.
    RecordStore store(100);
    ASSERT_EQ(readUsiText(store,
                          "position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/"
                          "LNSGKGSNL w - 2 moves 3c3d 2h6h 8c8d 6h2h 8d8e 2h6h 5a4b 6h2h 4b3b "
                          "2h6h 6a5b 6h2h",
                          {})
                  .result,
              ReadResult::Ok);
    EXPECT_EQ(classifyRecord(store).status, ClassifyStatus::CustomStart);

    Classification shortGame = classifyUsi("7g7f 3c3d 2h6h 8c8d");
    EXPECT_EQ(shortGame.status, ClassifyStatus::TooShort);
    EXPECT_TRUE(summaryText(shortGame).empty());
}

TEST(ClassifierReasons, NameTheRulesThatFired) {
    Classification c =
        classifyUsi("7g7f 3c3d 8h2b+ 3a2b 2h6h 8c8d 5i4h 8d8e 4h3h 5a4b 3h2h 4b3b 3i3h 7a6b");
    std::vector<std::string> why = reasons(c);
    std::string all;
    for (const std::string& line : why) all += u(line) + "\n";
    EXPECT_NE(all.find("▲四間飛車: 飛車が6筋"), std::string::npos) << all;
    EXPECT_NE(all.find("▲美濃囲い: 玉２八 銀３八 金４九（13手目）"), std::string::npos) << all;
    EXPECT_NE(all.find("角交換振り飛車: 対抗形で、角を30手目までに交換した"), std::string::npos)
        << all;
    // White's squares are its own: a castle rule reads from White's side of the board.
    Classification w = classifyUsi(
        "7g7f 3c3d 8h7g 8b4b 9g9f 9c9d 9i9h 9a9b 5i6h 5a6b 6h7h 6b7b 7h8h 7b8b 8h9i 8b9a");
    std::string wall;
    for (const std::string& line : reasons(w)) wall += u(line) + "\n";
    EXPECT_NE(wall.find("△振り飛車穴熊: 玉９一 香９二"), std::string::npos) << wall;
}

TEST(ClassifierInput, BrokenLinesNeverCrashAndStopWhereTheyBreak) {
    // A move from an empty square ends the line: what came before is classified.
    std::vector<LineMove> line;
    RecordStore store(200);
    ASSERT_EQ(readUsiText(store,
                          "position startpos moves 7g7f 8c8d 6g6f 3c3d 2h6h 8d8e 8h7g 5a4b 5i4h "
                          "4b3b 4h3h 6a5b 3h2h 7a6b",
                          {})
                  .result,
              ReadResult::Ok);
    mainLineMoves(store, line);
    ASSERT_EQ(line.size(), 14u);
    line.insert(line.begin() + 12, LineMove{55, 54});  // nothing stands on 55
    Classification cut = classifyLine(line, kHandicapEven, false);
    EXPECT_EQ(cut.plies, 12);
    EXPECT_EQ(cut.black.strategy, Strategy::Fourth);

    std::mt19937 random(43);
    for (int round = 0; round < 2000; ++round) {
        std::vector<LineMove> noise(static_cast<std::size_t>(random() % 80));
        for (LineMove& m : noise) {
            m.origin = static_cast<std::uint8_t>(random());
            m.destination = static_cast<std::uint8_t>(random());
        }
        Classification c = classifyLine(noise, kHandicapEven, false);
        EXPECT_LE(c.plies, noise.size());
        (void)summaryText(c);
        (void)reasons(c);
    }
}

// A database keeps only the summary; the castles it shows are read back from it and must be the
// classifier's own for every combination of label, variant and castle.
TEST(ClassifierCastles, CastlesReadBackFromTheSummaryAreTheClassifiers) {
    auto sideOf = [](int strategy, int variant, int castle) {
        SideClass side;
        side.strategy = static_cast<Strategy>(strategy);
        side.variant = static_cast<Opening>(variant);
        side.castle = static_cast<Castle>(castle);
        return side;
    };
    int checked = 0;
    for (int strategy = 1; strategy <= static_cast<int>(Strategy::FarRanging); ++strategy) {
        for (int variant = 0; variant <= static_cast<int>(Opening::DoubleRanging); ++variant) {
            for (int castle = 0; castle <= static_cast<int>(Castle::KingAtHome); ++castle) {
                Classification c;
                c.black = sideOf(strategy, variant, castle);
                c.white =
                    sideOf(static_cast<int>(Strategy::StaticRook), 0,
                           (castle * 5 + variant) % (static_cast<int>(Castle::KingAtHome) + 1));
                c.opening = static_cast<Opening>((strategy + castle) % 13);
                EXPECT_EQ(castlesOfSummary(summaryText(c)), castlesText(c)) << summaryText(c);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 1000);
    EXPECT_EQ(castlesOfSummary("角換わり ▲居飛車(矢倉囲い) △居飛車穴熊"), "▲矢倉囲い △居飛車穴熊");
    EXPECT_EQ(castlesOfSummary("▲四間飛車 △居飛車(舟囲い)"), "△舟囲い");
    // A handicap's name, nothing, and texts another program wrote give no castles.
    for (const char* text : {"香落ち", "", "▲", "▲四間飛車(美濃囲い", "△(", "美濃囲い"}) {
        EXPECT_EQ(castlesOfSummary(text), "") << text;
    }
}

}  // namespace
}  // namespace core
