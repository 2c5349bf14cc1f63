// The opening classifier on one core: records per second from the compact main lines the
// databases keep, and from records already read into a store (as registration has them).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/classify/classifier.h"
#include "core/record/record_store.h"
#include "tests/support/random_record.h"

namespace {

constexpr int kLines = 1000;

const std::vector<std::vector<core::LineMove>>& lines() {
    static const std::vector<std::vector<core::LineMove>> all = [] {
        std::vector<std::vector<core::LineMove>> out;
        core::RecordStore store(400);
        for (int i = 0; i < kLines; ++i) {
            testsupport::makeLegalLine(store, 60 + i % 80, 0);
            out.emplace_back();
            core::mainLineMoves(store, out.back());
        }
        return out;
    }();
    return all;
}

void BM_ClassifyLine(benchmark::State& state) {
    const auto& all = lines();
    std::size_t i = 0;
    for (auto _ : state) {
        core::Classification c = core::classifyLine(all[i], core::kHandicapEven, false);
        benchmark::DoNotOptimize(c);
        i = (i + 1) % all.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClassifyLine);

// Classifying and making the texts a database keeps, from a record read into a store.
void BM_ClassifyRecordAndLabel(benchmark::State& state) {
    std::vector<std::unique_ptr<core::RecordStore>> stores;
    for (int i = 0; i < 64; ++i) {
        stores.push_back(std::make_unique<core::RecordStore>(400));
        testsupport::makeLegalLine(*stores.back(), 60 + i, 0);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        core::Classification c = core::classifyRecord(*stores[i]);
        std::string label = core::summaryText(c);
        std::string name = core::openingText(c);
        benchmark::DoNotOptimize(label.data());
        benchmark::DoNotOptimize(name.data());
        i = (i + 1) % stores.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClassifyRecordAndLabel);

}  // namespace
