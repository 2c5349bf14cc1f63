#include "core/notation/notation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

#include "core/formats/kif_reader.h"
#include "core/notation/piece_text.h"
#include "core/rules/legality.h"
#include "core/rules/move_generator.h"
#include "core/text/sjis.h"
#include "tests/support/interop.h"
#include "tests/support/positions.h"

namespace core {
namespace {

using testsupport::B;
using testsupport::diagram;
using testsupport::W;

// The node addMove would store for the move on pos, hint included.
MoveNode nodeFor(const Position& pos, int origin, int destination) {
    MoveNode n;
    PieceByte p = pos.cells[static_cast<std::size_t>(origin)];
    n.from = origin >= 100 ? encodeDrop(p) : static_cast<std::uint8_t>(origin);
    n.to = static_cast<std::uint8_t>(destination);
    n.piece = p;
    n.captured = pos.cells[static_cast<std::size_t>(destination & ~kPromoteFlag)];
    n.notation = computeNotationHint(pos, origin, destination);
    return n;
}

std::string ki2(const Position& pos, int origin, int destination, int previous = 0) {
    return toUtf8Lossy(traditionalText(nodeFor(pos, origin, destination), previous,
                                       DestinationForm::FullWidth, MarkStyle::None, 0));
}

std::string kif(const Position& pos, int origin, int destination, int previous = 0,
                NotationOptions options = {}) {
    return toUtf8Lossy(
        originFormText(nodeFor(pos, origin, destination), previous, MarkStyle::None, 0, options));
}

TEST(NotationTest, GoldsSeparatedByLeftAndRight) {
    Position pos = diagram({{58, B(kGold)}, {78, B(kGold)}});
    EXPECT_EQ(computeNotationHint(pos, 78, 68), 8);
    EXPECT_EQ(computeNotationHint(pos, 58, 68), 7);
    EXPECT_EQ(ki2(pos, 78, 68), "６八金左");
    EXPECT_EQ(ki2(pos, 58, 68), "６八金右");
    EXPECT_EQ(kif(pos, 78, 68), "６八金(78)");
}

struct WordCase {
    const char* name;
    std::vector<std::pair<int, PieceByte>> pieces;
    int origin;
    int destination;
    const char* text;
};

TEST(NotationTest, DirectionWords) {
    const PieceByte g = B(kGold);
    const PieceByte s = B(kSilver);
    const std::vector<WordCase> cases{
        {"straight", {{58, g}, {48, g}}, 58, 57, "５七金直"},
        {"up", {{68, g}, {56, g}}, 68, 57, "５七金上"},
        {"back", {{68, g}, {56, g}}, 56, 57, "５七金引"},
        {"sideways", {{67, g}, {58, g}}, 67, 57, "５七金寄"},
        {"silver left", {{68, s}, {48, s}}, 68, 57, "５七銀左"},
        {"silver right", {{68, s}, {48, s}}, 48, 57, "５七銀右"},
        {"right among three", {{68, g}, {48, g}, {58, g}}, 48, 57, "５七金右"},
        {"straight among three", {{68, g}, {48, g}, {58, g}}, 58, 57, "５七金直"},
        {"right and up", {{48, g}, {47, g}, {68, g}}, 48, 57, "５七金右上"},
        {"sideways among three", {{48, g}, {47, g}, {68, g}}, 47, 57, "５七金寄"},
        {"right and sideways", {{47, g}, {67, g}, {48, g}}, 47, 57, "５七金右寄"},
        {"right and back", {{46, s}, {66, s}, {48, s}}, 46, 57, "５七銀右引"},
        {"left and back", {{46, s}, {66, s}, {68, s}}, 66, 57, "５七銀左引"},
        {"left and sideways", {{67, g}, {47, g}, {68, g}}, 67, 57, "５七金左寄"},
        {"left and up", {{68, g}, {48, g}, {67, g}}, 68, 57, "５七金左上"},
        {"alone", {{58, g}, {99, g}}, 58, 57, "５七金"},
    };
    for (const auto& c : cases) {
        Position pos;
        clearPosition(pos);
        for (auto [sq, p] : c.pieces) pos.cells[static_cast<std::size_t>(sq)] = p;
        buildPieceList(pos);
        EXPECT_EQ(ki2(pos, c.origin, c.destination), c.text) << c.name;
        // Read back, the words lead to the same piece.
        std::string rest = std::string(c.text).substr(std::string("５七金").size());
        EXPECT_EQ(
            findOrigin(pos, c.destination, pos.cells[static_cast<std::size_t>(c.origin)], rest),
            c.origin)
            << c.name;
    }
}

// Each word reads back to its code whatever follows it; no other character reads as a word, and
// after "右" or "左" only "引", "寄" and "上" make the longer word.
TEST(NotationTest, DirectionWordsAndNothingElseRead) {
    for (int code = 2; code < kDirectionWordCount; ++code) {
        const std::string word(directionWord(code));
        for (const char* after : {"", "成", "不成", "生", "打", "右", "x"}) {
            std::size_t length = 99;
            EXPECT_EQ(readDirectionWord(word + std::string(after), length), code) << code << after;
            EXPECT_EQ(length, word.size()) << code << after;
        }
    }
    const std::string right(directionWord(7));
    const std::string left(directionWord(8));
    int words = 0;
    for (unsigned c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::string t = core::utf8Of(c);
        int code = 0;
        for (int k = 2; k <= 8; ++k) {
            if (directionWord(k) == t) code = k;
        }
        std::size_t length = 99;
        ASSERT_EQ(readDirectionWord(t, length), code) << std::hex << c;
        EXPECT_EQ(length, code == 0 ? 0u : t.size()) << std::hex << c;
        words += code != 0;
        int longer = 7;
        for (int k = 9; k <= 11; ++k) {
            if (directionWord(k) == right + t) longer = k;
        }
        ASSERT_EQ(readDirectionWord(right + t, length), longer) << std::hex << c;
        ASSERT_EQ(readDirectionWord(left + t, length), longer == 7 ? 8 : longer + 3)
            << std::hex << c;
    }
    EXPECT_EQ(words, 7);
    std::size_t length = 99;
    EXPECT_EQ(readDirectionWord(right.substr(0, 1), length), 0);
    EXPECT_EQ(length, 0u);
}

// A text without the word that would tell the pieces apart takes the first that fits, looking back
// from the destination in a fixed order of directions (seen from the mover).
TEST(NotationTest, TextWithoutTheNeededWordTakesTheFirstPieceInAFixedOrder) {
    Position golds = diagram({{68, B(kGold)}, {58, B(kGold)}, {48, B(kGold)}});
    EXPECT_EQ(findOrigin(golds, 57, B(kGold), ""), 68);
    Position silvers = diagram({{46, B(kSilver)}, {48, B(kSilver)}});
    EXPECT_EQ(findOrigin(silvers, 57, B(kSilver), ""), 48);
    EXPECT_EQ(findOrigin(silvers, 57, B(kSilver), std::string("右")), 48);
    EXPECT_EQ(findOrigin(silvers, 57, B(kSilver), std::string("引")), 46);
    Position white = diagram({{46, W(kGold)}, {56, W(kGold)}, {67, W(kGold)}});
    EXPECT_EQ(findOrigin(white, 57, W(kGold), ""), 46);
    EXPECT_EQ(findOrigin(white, 57, W(kGold), std::string("寄")), 67);
    // Sliding pieces are found at any distance, the nearer piece first along each line.
    Position rooks = diagram({{51, B(kRook)}, {59, B(kRook)}, {52, B(kPawn)}});
    EXPECT_EQ(findOrigin(rooks, 55, B(kRook), ""), 59);
    EXPECT_EQ(findOrigin(rooks, 55, B(kRook), std::string("上")), 59);
    EXPECT_EQ(findOrigin(rooks, 55, B(kRook), std::string("引")), 0);
}

TEST(NotationTest, WhiteWordsAreSeenFromWhite) {
    // White's right is the side of the larger file numbers.
    Position pos = diagram({{62, W(kGold)}, {42, W(kGold)}});
    EXPECT_EQ(ki2(pos, 62, 52), "５二金右");
    EXPECT_EQ(ki2(pos, 42, 52), "５二金左");
    Position up = diagram({{42, W(kGold)}, {54, W(kGold)}});
    EXPECT_EQ(ki2(up, 42, 53), "５三金上");
    EXPECT_EQ(ki2(up, 54, 53), "５三金引");
}

TEST(NotationTest, HorsesAndDragons) {
    // Both dragons slide along rank 8 to 58: the one on the right is "右".
    Position dragons = diagram({{28, B(kDragon)}, {88, B(kDragon)}});
    EXPECT_EQ(ki2(dragons, 28, 58), "５八龍右");
    EXPECT_EQ(ki2(dragons, 88, 58), "５八龍左");
    // The destination lies beyond both horses' ranks: right and left by file.
    Position horses = diagram({{37, B(kHorse)}, {77, B(kHorse)}});
    EXPECT_EQ(ki2(horses, 37, 55), "５五馬右");
    EXPECT_EQ(ki2(horses, 77, 55), "５五馬左");
    EXPECT_EQ(findOrigin(horses, 55, B(kHorse), std::string("右")), 37);
    EXPECT_EQ(findOrigin(horses, 55, B(kHorse), std::string("左")), 77);
    // Between their ranks: up and back.
    Position between = diagram({{45, B(kHorse)}, {63, B(kHorse)}});
    EXPECT_EQ(ki2(between, 45, 54), "５四馬上");
    EXPECT_EQ(ki2(between, 63, 54), "５四馬引");
    // White's "右" is Black's left.
    Position white = diagram({{37, W(kHorse)}, {77, W(kHorse)}});
    EXPECT_EQ(ki2(white, 77, 55), "５五馬右");
    EXPECT_EQ(findOrigin(white, 55, W(kHorse), std::string("右")), 77);
}

TEST(NotationTest, RepeatedDestination) {
    Position pos = diagram({{57, B(kPawn)}, {56, W(kPawn)}, {67, B(kGold)}, {47, B(kGold)}});
    EXPECT_EQ(ki2(pos, 57, 56, 56), "同　歩");
    EXPECT_EQ(kif(pos, 57, 56, 56), "同　歩(57)");
    Position golds = diagram({{67, B(kGold)}, {47, B(kGold)}, {56, W(kPawn)}});
    EXPECT_EQ(ki2(golds, 47, 56, 56), "同金右");
    // Promotion bits of either destination do not matter.
    EXPECT_EQ(ki2(golds, 47, 56, 56 | kPromoteFlag), "同金右");
    MoveNode n = nodeFor(golds, 47, 56);
    EXPECT_EQ(toUtf8Lossy(traditionalText(n, 56, DestinationForm::SquareAndSame, MarkStyle::Up, 0)),
              "▲５六同金右");
    EXPECT_EQ(toUtf8Lossy(traditionalText(n, 56, DestinationForm::HalfWidth, MarkStyle::None, 0)),
              "同金右");
    EXPECT_EQ(toUtf8Lossy(traditionalText(n, 0, DestinationForm::HalfWidth, MarkStyle::None, 0)),
              "56金右");
}

TEST(NotationTest, PromotionAndNonPromotion) {
    Position pos = diagram({{44, B(kSilver)}, {28, B(kRook)}});
    MoveNode silver = nodeFor(pos, 44, 33);
    EXPECT_EQ(silver.notation, kHintUnique | kHintNoPromotion);
    EXPECT_EQ(ki2(pos, 44, 33), "３三銀不成");
    EXPECT_EQ(kif(pos, 44, 33), "３三銀(44)");
    EXPECT_EQ(ki2(pos, 44, 33 | kPromoteFlag), "３三銀成");
    EXPECT_EQ(kif(pos, 44, 33 | kPromoteFlag), "３三銀成(44)");
    EXPECT_EQ(kif(pos, 28, 23), "２三飛(28)");
    // A move that cannot promote never gets "不成".
    EXPECT_EQ(ki2(pos, 28, 26), "２六飛");
    // "不成" read back only accepts an origin from which the piece could promote.
    EXPECT_EQ(findOrigin(pos, 33, B(kSilver), std::string("不成")), 44);
    Position far = diagram({{46, B(kSilver)}});
    EXPECT_EQ(findOrigin(far, 35, B(kSilver), std::string("成")), 0);
    EXPECT_EQ(findOrigin(far, 35, B(kSilver), ""), 46);
}

TEST(NotationTest, DragonWordFollowsTheSetting) {
    Position pos = diagram({{28, B(kDragon)}});
    NotationOptions ryu{.dragonAsRyu = true};
    EXPECT_EQ(kif(pos, 28, 23, 0, ryu), "２三竜(28)");
    EXPECT_EQ(kif(pos, 28, 23), "２三龍(28)");
    Position promoted = diagram({{19, B(kPromotedLance)}});
    EXPECT_EQ(kif(promoted, 19, 18), "１八成香(19)");
}

TEST(NotationTest, Drops) {
    Position pos = diagram({{51, W(kKing)}, {62, B(kGold)}, {111, B(kPawn)}, {112, B(kGold)}});
    // No board pawn could reach 55: no "打".
    EXPECT_EQ(computeNotationHint(pos, 111, 55), kHintUnique);
    EXPECT_EQ(ki2(pos, 111, 55), "５五歩");
    EXPECT_EQ(kif(pos, 111, 55), "５五歩打");
    // The gold on 62 could also move to 52: "打".
    EXPECT_EQ(computeNotationHint(pos, 112, 52), kHintAmbiguous);
    EXPECT_EQ(ki2(pos, 112, 52), "５二金打");
    // The last-move display writes "打" on every drop when asked to.
    MoveNode n = nodeFor(pos, 111, 55);
    NotationOptions options{.dropMarkOnLast = true};
    EXPECT_EQ(toUtf8Lossy(traditionalText(n, 0, DestinationForm::SquareAndSame, MarkStyle::None, 0,
                                          options)),
              "５五歩打");
    // A drop is found as no origin.
    EXPECT_EQ(findOrigin(pos, 55, B(kPawn), ""), 0);
}

TEST(NotationTest, MarksTerminalsAndPadding) {
    MoveNode resign;
    resign.from = 1;
    resign.to = 0;
    resign.piece = kSideWhite;
    EXPECT_EQ(toUtf8Lossy(originFormText(resign, 0, MarkStyle::Up, 0)), "△投了");
    EXPECT_EQ(
        toUtf8Lossy(traditionalText(resign, 0, DestinationForm::FullWidth, MarkStyle::Down, 0)),
        "▽投了");
    EXPECT_EQ(originFormText(resign, 0, MarkStyle::UserDown, 0),
              "\xEE\x81\xA5" + std::string("投了"));
    EXPECT_EQ(terminalWord(3), "");
    EXPECT_EQ(toUtf8Lossy(std::string(terminalWord(10))), "入玉勝ち");

    Position pos = diagram({{77, B(kPawn)}});
    std::string padded = originFormText(nodeFor(pos, 77, 76), 0, MarkStyle::None, 12);
    EXPECT_EQ(padded, std::string("７六歩(77)") + "  ");
    EXPECT_EQ(originFormText(nodeFor(pos, 77, 76), 0, MarkStyle::UserUp, 0),
              "\xEE\x81\xA6" + std::string("７六歩(77)"));
}

TEST(NotationTest, DirectionOfAMove) {
    EXPECT_EQ(moveDirection(19, 11), -1);  // a slide over the whole file, not a knight jump
    EXPECT_EQ(moveDirection(11, 19), 1);
    EXPECT_EQ(moveDirection(29, 17), -12);
    EXPECT_EQ(moveDirection(29, 37), 8);
    EXPECT_EQ(moveDirection(11, 99), 11);  // the long diagonal
    EXPECT_EQ(moveDirection(91, 19), -9);
    EXPECT_EQ(moveDirection(28, 58), 10);
    EXPECT_EQ(moveDirection(28, 57), 100);
}

// A rook sliding from rank 9 to rank 1 is written and read back like any other move.
TEST(NotationTest, FullFileSlide) {
    Position pos = diagram({{19, B(kRook)}});
    EXPECT_EQ(ki2(pos, 19, 11 | kPromoteFlag), "１一飛成");
    EXPECT_EQ(findOrigin(pos, 11, B(kRook), std::string("成")), 19);
    Position two = diagram({{19, B(kRook)}, {31, B(kRook)}});
    // 19 slides up the file, 31 along the rank: "上" separates them.
    EXPECT_EQ(ki2(two, 19, 11), "１一飛上不成");
    EXPECT_EQ(ki2(two, 31, 11), "１一飛寄不成");
    EXPECT_EQ(findOrigin(two, 11, B(kRook), std::string("上不成")), 19);
}

// Reads the traditional text of a node back on the position before it, as the KI2 reader does:
// the origin found, 0 for a drop.
int readBack(const Position& before, const MoveNode& node, int previous) {
    std::string text =
        traditionalText(node, previous, DestinationForm::FullWidth, MarkStyle::None, 0);
    std::string_view rest(text);
    if (rest.starts_with(std::string("同　"))) {
        rest.remove_prefix(std::string("同　").size());
    } else if (rest.starts_with(std::string("同"))) {
        rest.remove_prefix(std::string("同").size());
    } else {
        rest.remove_prefix(std::string("７六").size());
    }
    std::size_t wordLength = 0;
    int type = pieceTypeFromText(rest, wordLength);
    EXPECT_EQ(type, pieceType(node.piece)) << toUtf8Lossy(text);
    rest.remove_prefix(wordLength);
    // "打" says drop; otherwise the board is searched, and no origin means a drop.
    if (rest.starts_with(std::string("打"))) return 0;
    return findOrigin(before, node.destination(), node.piece, rest);
}

// The records of other programs: every move of every line reads back to itself.
using NotationInteropTest = testsupport::InteropTest;

TEST_F(NotationInteropTest, RecordsReadBack) {
    int checked = 0;
    RecordStore store;
    Position before;
    for (const char* folder : {"kif", "ki2"}) {
        for (const auto& file : testsupport::interopFiles(folder)) {
            ASSERT_EQ(readRecordFile(store, file.string(), {}).result, ReadResult::Ok) << file;
            for (NodeIndex n = 1; n < store.capacity(); ++n) {
                if (!store.isInUse(n) || store.node(n).isTerminal()) continue;
                NodeIndex parent = store.parentOf(n);
                ASSERT_EQ(store.positionAt(parent, before), EditResult::Ok);
                const MoveNode& node = store.node(n);
                int previous = parent == kRootNode ? 0 : store.node(parent).destination();
                int expected = node.isDrop() ? 0 : node.from;
                EXPECT_EQ(readBack(before, node, previous), expected) << file;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 300);
}

// Over many generated games: the traditional text of every move, read back with findOrigin on
// the position before it, names the same move.
TEST(NotationTest, TraditionalTextReadsBackToTheSameMove) {
    std::mt19937 rng(20261208);
    std::vector<PackedMove> moves;
    int checked = 0;
    for (int game = 0; game < 60; ++game) {
        Position pos;
        setupHandicap(pos, game % 10 == 0 ? 6 : 0);
        int previous = 0;
        for (int ply = 0; ply < 160; ++ply) {
            moves.clear();
            if (legalMoves(pos, pos.sideToMove, moves) == 0) break;
            PackedMove m = moves[rng() % moves.size()];
            int origin = moveOrigin(m);
            int destination = moveDestination(m);
            MoveNode node = nodeFor(pos, origin, destination);
            int dest = destination & ~kPromoteFlag;
            int found = readBack(pos, node, previous);
            EXPECT_EQ(found, node.isDrop() ? 0 : origin) << " game " << game << " ply " << ply;
            ++checked;
            previous = dest;
            ASSERT_TRUE(applyMove(pos, origin, dest, (destination & kPromoteFlag) != 0));
            pos.sideToMove = opponent(pos.sideToMove);
        }
    }
    EXPECT_GT(checked, 5000);
}

// Plays games of random legal moves from the even start (a handicap start now and then) and calls
// visit(pos, moves) with every position reached and its legal moves.
template <class Visit>
void forEachPlayedPosition(unsigned seed, int games, int plies, Visit&& visit) {
    std::mt19937 rng(seed);
    std::vector<PackedMove> moves;
    for (int game = 0; game < games; ++game) {
        Position pos;
        setupHandicap(pos, game % 8 == 0 ? 4 : 0);
        for (int ply = 0; ply < plies; ++ply) {
            moves.clear();
            if (legalMoves(pos, pos.sideToMove, moves) == 0) break;
            visit(pos, moves);
            PackedMove m = moves[rng() % moves.size()];
            ASSERT_TRUE(applyMove(pos, moveOrigin(m), moveDestination(m) & ~kPromoteFlag,
                                  (moveDestination(m) & kPromoteFlag) != 0));
            pos.sideToMove = opponent(pos.sideToMove);
        }
    }
}

// Folds one more value into a check number.
void foldIn(std::uint64_t& fold, std::uint64_t value) { fold = (fold ^ value) * 0x100000001B3ULL; }

// The hints of every legal move over many generated positions, folded into one number: any change
// in what the KI2 texts would say shows here.
TEST(NotationTest, HintsOfEveryLegalMoveStayTheSame) {
    std::uint64_t fold = 0;
    int counted = 0;
    forEachPlayedPosition(20261209, 40, 180, [&](const Position& pos, const auto& moves) {
        for (PackedMove m : moves) {
            std::uint8_t hint = computeNotationHint(pos, moveOrigin(m), moveDestination(m));
            foldIn(fold, static_cast<std::uint64_t>(m) << 8 | hint);
            ++counted;
        }
    });
    EXPECT_GT(counted, 200000);
    EXPECT_EQ(fold, 10053700472316584966ULL);
}

// The origin found for every legal board move's destination and piece, under every direction
// word and promotion word, over many generated positions, folded into one number: any change in
// how KI2 texts are read shows here.
TEST(NotationTest, OriginsFoundForEveryWordStayTheSame) {
    std::vector<std::string> texts;
    for (int code = 0; code < kDirectionWordCount; ++code) {
        for (const char* after : {"", "成", "不成"}) {
            texts.push_back(std::string(directionWord(code)) + std::string(after));
        }
    }
    std::uint64_t fold = 0;
    int counted = 0;
    forEachPlayedPosition(20261210, 16, 160, [&](const Position& pos, const auto& moves) {
        for (PackedMove m : moves) {
            if (moveOrigin(m) >= 100) continue;
            const PieceByte piece = pos.cells[moveOrigin(m)];
            for (std::size_t t = 0; t < texts.size(); ++t) {
                const int origin = findOrigin(pos, moveDestination(m), piece, texts[t]);
                foldIn(fold, static_cast<std::uint64_t>(m) << 16 | t << 8 |
                                 static_cast<std::uint64_t>(origin));
                ++counted;
            }
        }
    });
    EXPECT_GT(counted, 1000000);
    EXPECT_EQ(fold, 4349288548918950506ULL);
}

}  // namespace
}  // namespace core
