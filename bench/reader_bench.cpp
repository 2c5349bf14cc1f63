// Reading the corpus folders of KIF and KI2 records with rule checking on (parse, resolve and
// check every move, build the tree), as opening files or registering a folder does.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <memory>

#include "bench/corpus.h"
#include "core/base/parallel_for.h"
#include "core/formats/kif_reader.h"

namespace {

// Reads every file of the folder on `workers` threads, each with its own record.
void readFolder(benchmark::State& state, const char* kind, unsigned workers = 1) {
    std::vector<std::string> files = benchcorpus::files(kind);
    if (files.empty()) {
        state.SkipWithError("no corpus: run bench/run.sh");
        return;
    }
    std::vector<std::unique_ptr<core::RecordStore>> stores;
    for (unsigned w = 0; w < workers; ++w) stores.push_back(std::make_unique<core::RecordStore>());
    core::ReadOptions options;
    std::atomic<std::size_t> moves{0};
    for (auto _ : state) {
        moves = 0;
        core::parallelFor(files.size(), workers, [&](unsigned worker, std::size_t i) {
            core::ReadReport r = core::readRecordFile(*stores[worker], files[i], options);
            benchmark::DoNotOptimize(r.result);
            moves += static_cast<std::size_t>(stores[worker]->moveCount());
        });
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["records"] = static_cast<double>(files.size());
    state.counters["moves"] = static_cast<double>(moves.load());
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ReadKifFolder(benchmark::State& state) { readFolder(state, "kif"); }
void BM_ReadKi2Folder(benchmark::State& state) { readFolder(state, "ki2"); }

// The folder read on both cores, as tavrel-cli check does it.
void BM_ReadKifFolderTwoThreads(benchmark::State& state) { readFolder(state, "kif", 2); }
void BM_ReadKi2FolderTwoThreads(benchmark::State& state) { readFolder(state, "ki2", 2); }

BENCHMARK(BM_ReadKifFolder)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadKi2Folder)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadKifFolderTwoThreads)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ReadKi2FolderTwoThreads)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
