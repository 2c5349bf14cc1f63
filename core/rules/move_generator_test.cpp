#include "core/rules/move_generator.h"

#include <gtest/gtest.h>

#include <random>

#include "core/rules/legality.h"
#include "tests/support/random_record.h"

namespace core {
namespace {

TEST(MoveGeneratorTest, CountsTheStartAndAHandicap) {
    Position pos;
    setupHandicap(pos, kHandicapEven);
    std::vector<PackedMove> moves;
    EXPECT_EQ(legalMoves(pos, kSideBlack, moves), 30);
    moves.clear();
    setupHandicap(pos, 6);  // 二枚落ち: White to move
    EXPECT_EQ(pos.sideToMove, kSideWhite);
    EXPECT_GT(legalMoves(pos, kSideWhite, moves), 0);
    for (PackedMove m : moves) {
        EXPECT_EQ(checkMove(pos, moveOrigin(m), moveDestination(m), kSideWhite),
                  MoveCheckResult::Legal);
    }
}

// The generated records the tests and benchmarks share are reproducible and replay cleanly.
TEST(MoveGeneratorTest, RandomRecordsAreReproducibleAndValid) {
    RecordStore a;
    RecordStore b;
    int variations = 0;
    int handicaps = 0;
    for (int i = 0; i < 40; ++i) {
        std::mt19937 rngA(1000 + i);
        std::mt19937 rngB(1000 + i);
        testsupport::makeRandomRecord(a, rngA);
        testsupport::makeRandomRecord(b, rngB);
        ASSERT_EQ(a.moveCount(), b.moveCount());
        EXPECT_EQ(a.currentPly(), 0);
        EXPECT_GE(a.lineEnd(), 1);
        variations += a.hasVariations() ? 1 : 0;
        handicaps += a.handicap() != kHandicapEven ? 1 : 0;
        // Every node replays on the board.
        Position pos;
        for (NodeIndex n = 1; n < a.capacity(); ++n) {
            if (a.isInUse(n)) {
                ASSERT_EQ(a.positionAt(n, pos), EditResult::Ok);
            }
        }
    }
    EXPECT_GT(variations, 0);
    EXPECT_GT(handicaps, 0);
}

}  // namespace
}  // namespace core
