// The record window's list in the time form for a very long record: 100,000 plies of rooks
// moving back and forth, each with a thinking time, as `tavrel-cli show` prints it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/record/record_store.h"
#include "tavrel/logic/view/record_list_text.h"

namespace {

constexpr int kPlies = 100000;

void buildRecord(core::RecordStore& store) {
    // Black's rook 28-38-28, White's rook 82-72-82: legal forever from the even start.
    const int moves[4][2] = {{28, 38}, {82, 72}, {38, 28}, {72, 82}};
    for (int ply = 0; ply < kPlies; ++ply) {
        const int* m = moves[ply % 4];
        if (store.addAndAdvance(core::kAddStoreAll, core::packMove(m[0], m[1]),
                                static_cast<std::uint16_t>(ply % 97)) != core::AddResult::Ok) {
            return;
        }
    }
}

void BM_TimeListOf100000Plies(benchmark::State& state) {
    core::RecordStore store(kPlies + 10);
    buildRecord(store);
    if (store.currentPly() != kPlies) {
        state.SkipWithError("the record could not be built");
        return;
    }
    for (auto _ : state) {
        std::vector<std::string> lines =
            tavrel::recordListLines(store, tavrel::RecordListForm::Times, {});
        benchmark::DoNotOptimize(lines);
    }
    state.SetItemsProcessed(state.iterations() * kPlies);
}
BENCHMARK(BM_TimeListOf100000Plies)->Unit(benchmark::kMillisecond);

}  // namespace
