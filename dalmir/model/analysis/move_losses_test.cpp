// Losses and marks of a record's moves from stored evaluations: the loss seen from the mover,
// the marks following the thresholds the user sets, the cap on mates, moves without both scores.
#include "dalmir/model/analysis/move_losses.h"

#include <gtest/gtest.h>

#include "dalmir/model/tree/opening_tree.h"
#include "usi/analysis_lines.h"

namespace dalmir::model {
namespace {

// A line from the even start with the side to move's score of each position (nullopt: not
// analysed), put into a store.
struct Scored {
    std::vector<ListMove> moves;
    EvaluationStore store;

    Scored(std::initializer_list<const char*> words, std::vector<std::optional<int>> scores) {
        const auto engine = store.engineIndex({"E", "byoyomi 1"});
        ReplayBoard board;
        EXPECT_TRUE(startBoard(0, board));
        ReplayStep step;
        std::size_t ply = 0;
        const auto put = [&] {
            if (ply >= scores.size() || !scores[ply]) return;
            Evaluation e;
            e.position = packBoard(board);
            e.score = {usi::UsiScore::Kind::Centipawns, *scores[ply], false,
                       usi::UsiScore::Bound::Exact};
            e.engine = engine;
            store.put(e);
        };
        put();
        for (const char* w : words) {
            ListMove m;
            EXPECT_TRUE(listMoveOfUsi(board, w, m)) << w;
            EXPECT_TRUE(playListMove(board, m, step));
            moves.push_back(m);
            ++ply;
            put();
        }
    }
};

std::vector<MoveMark> marksOf(const std::vector<MoveLoss>& losses) {
    std::vector<MoveMark> out;
    for (const MoveLoss& l : losses) out.push_back(l.mark);
    return out;
}

TEST(MoveLossesTest, LossesAreSeenFromTheMoverAndMarksFollowTheThresholds) {
    // Scores for the side to move: Black +50; White -30 (Black +30 after 7g7f: loses 20);
    // Black +250 (White lost 220); White +200 (Black lost 450); Black -80 (White lost 120).
    const Scored s({"7g7f", "3c3d", "2g2f", "8c8d"}, {50, -30, 250, 200, -80});
    MarkThresholds t;  // 100, 200, 400
    std::vector<MoveLoss> losses = moveLosses(s.store, 0, s.moves, t);
    ASSERT_EQ(losses.size(), 4u);
    EXPECT_EQ(losses[0].loss, 20);
    EXPECT_EQ(losses[1].loss, 220);
    EXPECT_EQ(losses[2].loss, 450);
    EXPECT_EQ(losses[3].loss, 120);
    EXPECT_EQ(losses[1].mover, core::kSideWhite);
    EXPECT_EQ(marksOf(losses), (std::vector<MoveMark>{MoveMark::None, MoveMark::Dubious,
                                                      MoveMark::Blunder, MoveMark::Slack}));

    // Other thresholds, other marks; a loss equal to a threshold takes its mark.
    t = {150, 220, 500, 1000};
    EXPECT_EQ(marksOf(moveLosses(s.store, 0, s.moves, t)),
              (std::vector<MoveMark>{MoveMark::None, MoveMark::Dubious, MoveMark::Dubious,
                                     MoveMark::None}));
    // A cap below a loss holds it there.
    t = {10, 20, 30, 100};
    losses = moveLosses(s.store, 0, s.moves, t);
    EXPECT_EQ(losses[2].loss, 100);

    const RecordLossSummary sum =
        summariseLosses(moveLosses(s.store, 0, s.moves, MarkThresholds{}));
    EXPECT_EQ(sum.black.scored, 2);
    EXPECT_EQ(sum.black.marks[static_cast<std::size_t>(MoveMark::Blunder)], 1);
    EXPECT_DOUBLE_EQ(*sum.black.averageLoss(), 235.0);
    EXPECT_EQ(sum.white.marks[static_cast<std::size_t>(MoveMark::Dubious)], 1);
    EXPECT_EQ(sum.white.marks[static_cast<std::size_t>(MoveMark::Slack)], 1);
    EXPECT_DOUBLE_EQ(*sum.white.averageLoss(), 170.0);
    EXPECT_FALSE(MarkThresholds({200, 100, 400, 1000}).valid());
    EXPECT_TRUE(MarkThresholds{}.valid());
}

TEST(MoveLossesTest, AMoveWithoutBothScoresHasNoLossAndNoMark) {
    const Scored s({"7g7f", "3c3d", "2g2f"}, {50, std::nullopt, 250, 900});
    const std::vector<MoveLoss> losses = moveLosses(s.store, 0, s.moves, MarkThresholds{});
    ASSERT_EQ(losses.size(), 3u);
    EXPECT_FALSE(losses[0].loss);
    EXPECT_FALSE(losses[1].loss);
    EXPECT_EQ(losses[2].loss, 1000);  // 250 + 900, held at the cap
    EXPECT_EQ(losses[2].mark, MoveMark::Blunder);
    const RecordLossSummary sum = summariseLosses(losses);
    EXPECT_EQ(sum.unscored, 2);
}

// A book's move is worth the stored score of where it leads to the side that plays it, with that
// score's depth; a move whose position the store lacks keeps 0 and 0.
TEST(MoveLossesTest, BookMovesTakeTheStoredScoreOfWhereTheyLead) {
    Scored s({"7g7f", "3c3d"}, {50, -30, 250});
    ReplayBoard start;
    ASSERT_TRUE(startBoard(0, start));
    std::vector<BookMove> moves(2);
    moves[0].move = s.moves[0];  // 7g7f: White to move at -30, so +30 for Black
    moves[0].count = 3;
    ASSERT_TRUE(listMoveOfUsi(start, "2g2f", moves[1].move));
    evaluateBookMoves(s.store, start, moves, MarkThresholds{});
    EXPECT_EQ(moves[0].value, 30);
    EXPECT_EQ(moves[0].depth, 0);  // the store holds no depth for it
    EXPECT_EQ(moves[0].count, 3);
    EXPECT_EQ(moves[1].value, 0);
    EXPECT_EQ(storedScoreAfter(s.store, start, s.moves[0], MarkThresholds{}), 30);
    EXPECT_FALSE(storedScoreAfter(s.store, start, moves[1].move, MarkThresholds{}));
}

TEST(MoveLossesTest, MatesCountFromTheSideToMoveAndAreCapped) {
    Evaluation e;
    e.score = {usi::UsiScore::Kind::Mate, 3, false, usi::UsiScore::Bound::Exact};
    EXPECT_EQ(sideToMoveScore(e), usi::kMateScore - 3);
    e.score.value = -2;
    EXPECT_EQ(sideToMoveScore(e), -(usi::kMateScore - 2));
    e.score = {};
    EXPECT_FALSE(sideToMoveScore(e));
    e.best = BestMoveKind::Resign;
    EXPECT_EQ(sideToMoveScore(e), -usi::kMateScore);
    EXPECT_EQ(moveMarkText(MoveMark::Blunder), "悪手");
    EXPECT_EQ(moveMarkText(MoveMark::Dubious), "疑問手");
    EXPECT_EQ(moveMarkText(MoveMark::Slack), "緩手");
}

}  // namespace
}  // namespace dalmir::model
