// Move checking and replay speed: checkMove over every pseudo-move of a middle-game position, and
// replaying a 200-ply game from its start snapshot with applyMove.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "core/rules/legality.h"
#include "core/rules/position.h"

namespace {

using namespace core;

struct Move {
    int origin;
    int destination;
};

void fail(const char* what) {
    std::fprintf(stderr, "legality_bench: %s\n", what);
    std::abort();
}

// A fixed opening into a middle game; a drop is written as origin 100 + piece type.
Position middleGame() {
    const Move line[] = {
        {77, 76}, {33, 34}, {27, 26}, {83, 84},  {26, 25}, {84, 85}, {69, 78},  {41, 32},
        {25, 24}, {23, 24}, {28, 24}, {101, 23}, {24, 26}, {71, 62}, {39, 38},  {61, 52},
        {59, 68}, {51, 41}, {38, 27}, {85, 86},  {87, 86}, {82, 86}, {101, 87}, {86, 82},
    };
    Position pos;
    setupHandicap(pos, kHandicapEven);
    for (const Move& m : line) {
        int origin = m.origin > 100 ? findHandSlot(pos, pos.sideToMove, m.origin - 100) : m.origin;
        if (checkMove(pos, origin, m.destination, pos.sideToMove) != MoveCheckResult::Legal ||
            !applyMove(pos, origin, m.destination, false)) {
            fail("the opening line holds an illegal move");
        }
        pos.sideToMove = opponent(pos.sideToMove);
    }
    return pos;
}

// Board moves from destinations (both promotion choices where optional) and drops of each kind
// in hand to every empty square, unchecked.
std::vector<Move> pseudoMoves(const Position& pos, SideByte side) {
    std::vector<Move> moves;
    for (int sq = 11; sq <= 99; ++sq) {
        const PieceByte p = pos.cells[static_cast<std::size_t>(sq)];
        if (!isSquare(sq) || !belongsTo(p, side)) continue;
        for (Square d : destinations(pos, sq, side)) {
            const Promotion state = promotionState(sq, d, p);
            if (state != Promotion::Compulsory) moves.push_back({sq, d});
            if (state != Promotion::Impossible) moves.push_back({sq, d | kPromoteFlag});
        }
    }
    for (int type = kPawn; type <= kRook; ++type) {
        const int slot = findHandSlot(pos, side, type);
        if (slot == 0) continue;
        for (int sq = 11; sq <= 99; ++sq) {
            if (isSquare(sq) && pos.cells[static_cast<std::size_t>(sq)] == 0) {
                moves.push_back({slot, sq});
            }
        }
    }
    return moves;
}

void BM_CheckMoveMiddleGame(benchmark::State& state) {
    const Position pos = middleGame();
    const std::vector<Move> moves = pseudoMoves(pos, pos.sideToMove);
    std::size_t i = 0;
    for (auto _ : state) {
        const Move& m = moves[i];
        benchmark::DoNotOptimize(checkMove(pos, m.origin, m.destination, pos.sideToMove));
        if (++i == moves.size()) i = 0;
    }
    state.counters["pseudo_moves"] = static_cast<double>(moves.size());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CheckMoveMiddleGame);

// A game of `plies` legal moves picked with a fixed seed (a new seed when a game ends early).
std::vector<Move> randomGame(const Position& start, int plies) {
    for (unsigned seed = 1;; ++seed) {
        std::mt19937 rng(seed);
        Position pos = start;
        std::vector<Move> game;
        while (static_cast<int>(game.size()) < plies) {
            std::vector<Move> legal;
            for (const Move& m : pseudoMoves(pos, pos.sideToMove)) {
                if (checkMove(pos, m.origin, m.destination, pos.sideToMove) ==
                    MoveCheckResult::Legal) {
                    legal.push_back(m);
                }
            }
            if (legal.empty()) break;
            const Move m = legal[rng() % legal.size()];
            applyMove(pos, m.origin, m.destination, (m.destination & kPromoteFlag) != 0);
            pos.sideToMove = opponent(pos.sideToMove);
            game.push_back(m);
        }
        if (static_cast<int>(game.size()) == plies) return game;
    }
}

void BM_ReplayGame200(benchmark::State& state) {
    Position start;
    setupHandicap(start, kHandicapEven);
    const StartSnapshot snapshot = saveStart(start);
    constexpr int kPlies = 200;
    const std::vector<Move> game = randomGame(start, kPlies);
    Position pos;
    for (auto _ : state) {
        restoreStart(snapshot, pos);
        for (const Move& m : game) {
            applyMove(pos, m.origin, m.destination, (m.destination & kPromoteFlag) != 0);
        }
        benchmark::DoNotOptimize(pos);
    }
    state.SetItemsProcessed(state.iterations() * kPlies);
    state.counters["time_per_move"] = benchmark::Counter(
        kPlies, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReplayGame200);

}  // namespace
