// Replaying a record: the position at the end of a 200-ply game rebuilt from its start, as the
// viewer does on a jump and the database does for every record it searches.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/record/record_store.h"
#include "core/rules/legality.h"
#include "tests/support/random_record.h"

namespace {

constexpr int kPlies = 200;

// A record of kPlies legal moves chosen with a fixed seed (a game that runs out of moves early is
// thrown away and the next seed tried). Leaves the store at the start.
void buildRecord(core::RecordStore& store) {
    for (std::uint32_t seed = 1;; ++seed) {
        std::mt19937 rng(seed);
        store.reset();
        (void)store.goTo(core::kRootNode);
        while (store.currentPly() < kPlies) {
            core::PackedMove m = testsupport::randomLegalMove(store.position(), rng);
            if (m == 0) break;
            if (store.addAndAdvance(core::kAddStoreAll, m,
                                    static_cast<std::uint16_t>(rng() % 120)) !=
                core::AddResult::Ok) {
                break;
            }
        }
        if (store.currentPly() == kPlies) break;
    }
    (void)store.goTo(core::kRootNode);
}

void BM_ReplayTo200thPly(benchmark::State& state) {
    core::RecordStore store;
    buildRecord(store);
    core::NodeIndex last = store.nodeAtPly(kPlies);
    core::Position pos;
    for (auto _ : state) {
        if (store.positionAt(last, pos) != core::EditResult::Ok) state.SkipWithError("replay");
        benchmark::DoNotOptimize(pos);
    }
    state.SetItemsProcessed(state.iterations() * kPlies);
}
BENCHMARK(BM_ReplayTo200thPly);

// Stepping slot 0 through the whole line and back, one ply at a time.
void BM_StepForwardAndBack200(benchmark::State& state) {
    core::RecordStore store;
    buildRecord(store);
    for (auto _ : state) {
        while (store.stepForward() == core::EditResult::Ok) {
        }
        store.backTo(0);
        benchmark::DoNotOptimize(store.position());
    }
    state.SetItemsProcessed(state.iterations() * kPlies * 2);
}
BENCHMARK(BM_StepForwardAndBack200);

void BM_RepetitionCountAt200thPly(benchmark::State& state) {
    core::RecordStore store;
    buildRecord(store);
    (void)store.goToPly(kPlies);
    for (auto _ : state) benchmark::DoNotOptimize(store.repetitionCount());
}
BENCHMARK(BM_RepetitionCountAt200thPly);

}  // namespace
