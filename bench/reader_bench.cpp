// Reading the corpus folders of KIF and KI2 records with rule checking on (parse, resolve and
// check every move, build the tree), as opening files or registering a folder does.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "bench/corpus.h"
#include "core/record_reader.h"

namespace {

void readFolder(benchmark::State& state, const char* kind) {
    std::vector<std::string> files = benchcorpus::files(kind);
    if (files.empty()) {
        state.SkipWithError("no corpus: run bench/run.sh");
        return;
    }
    core::RecordStore store;
    core::ReadOptions options;
    std::size_t moves = 0;
    for (auto _ : state) {
        moves = 0;
        for (const std::string& f : files) {
            core::ReadReport r = core::readRecordFile(store, f, options);
            benchmark::DoNotOptimize(r.result);
            moves += static_cast<std::size_t>(store.moveCount());
        }
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["records"] = static_cast<double>(files.size());
    state.counters["moves"] = static_cast<double>(moves);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ReadKifFolder(benchmark::State& state) { readFolder(state, "kif"); }
void BM_ReadKi2Folder(benchmark::State& state) { readFolder(state, "ki2"); }

BENCHMARK(BM_ReadKifFolder)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadKi2Folder)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
