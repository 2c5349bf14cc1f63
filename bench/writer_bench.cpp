// Writing records as KIF and as KI2 text: 10,000 generated games of about 100 plies (with the
// generator's share of variations, comments, bookmarks and times), as saving or copying does.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "tests/support/random_record.h"

namespace {

constexpr int kRecords = 10000;
constexpr int kCapacity = 256;  // enough for 110 plies and the generator's variations

const std::vector<std::unique_ptr<core::RecordStore>>& records() {
    static const std::vector<std::unique_ptr<core::RecordStore>> stores = [] {
        std::vector<std::unique_ptr<core::RecordStore>> v;
        std::mt19937 rng(6);
        testsupport::RandomRecordOptions options;
        options.minPlies = 90;
        options.maxPlies = 110;
        v.reserve(kRecords);
        for (int i = 0; i < kRecords; ++i) {
            v.push_back(std::make_unique<core::RecordStore>(kCapacity));
            testsupport::makeRandomRecord(*v.back(), rng, options);
        }
        return v;
    }();
    return stores;
}

template <class Write>
void writeAll(benchmark::State& state, Write write) {
    const auto& stores = records();
    core::RecordWriteOptions options;
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const auto& store : stores) {
            std::string text = write(*store, options);
            bytes += text.size();
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.counters["records"] = kRecords;
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_WriteKif10000(benchmark::State& state) {
    writeAll(state, [](const core::RecordStore& s, const core::RecordWriteOptions& o) {
        return core::kifText(s, o);
    });
}
BENCHMARK(BM_WriteKif10000)->Unit(benchmark::kMillisecond);

void BM_WriteKi210000(benchmark::State& state) {
    writeAll(state, [](const core::RecordStore& s, const core::RecordWriteOptions& o) {
        return core::ki2Text(s, o);
    });
}
BENCHMARK(BM_WriteKi210000)->Unit(benchmark::kMillisecond);

}  // namespace
