// The JSON kifu format: writing and reading 10,000 generated games of about 100 plies (with the
// generator's share of variations, comments, bookmarks and times), as a conversion of a folder
// to or from an analysis tool does.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/formats/jkf_reader.h"
#include "core/formats/jkf_writer.h"
#include "tests/support/random_record.h"

namespace {

constexpr int kRecords = 10000;
constexpr int kCapacity = 256;  // enough for 110 plies and the generator's variations

const std::vector<std::string>& texts() {
    static const std::vector<std::string> v = [] {
        std::vector<std::string> out;
        std::mt19937 rng(6);
        testsupport::RandomRecordOptions options;
        options.minPlies = 90;
        options.maxPlies = 110;
        core::RecordStore store(kCapacity);
        out.reserve(kRecords);
        for (int i = 0; i < kRecords; ++i) {
            testsupport::makeRandomRecord(store, rng, options);
            out.push_back(core::jkfText(store, {}));
        }
        return out;
    }();
    return v;
}

void BM_WriteJkf10000(benchmark::State& state) {
    std::mt19937 rng(6);
    testsupport::RandomRecordOptions options;
    options.minPlies = 90;
    options.maxPlies = 110;
    std::vector<std::unique_ptr<core::RecordStore>> stores;
    for (int i = 0; i < kRecords; ++i) {
        stores.push_back(std::make_unique<core::RecordStore>(kCapacity));
        testsupport::makeRandomRecord(*stores.back(), rng, options);
    }
    core::RecordWriteOptions writeOptions;
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const auto& store : stores) {
            std::string text = core::jkfText(*store, writeOptions);
            bytes += text.size();
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WriteJkf10000)->Unit(benchmark::kMillisecond);

void BM_ReadJkf10000(benchmark::State& state) {
    const auto& all = texts();
    core::RecordStore store(kCapacity);
    core::ReadOptions options;
    std::size_t bytes = 0;
    for (const std::string& t : all) bytes += t.size();
    for (auto _ : state) {
        for (const std::string& t : all) {
            core::ReadReport r = core::readJkfText(store, t, options);
            benchmark::DoNotOptimize(r.result);
        }
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadJkf10000)->Unit(benchmark::kMillisecond);

}  // namespace
