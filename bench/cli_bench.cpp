// tavrel-cli as a user runs it: `tavrel-cli check` over the corpus's KIF folder in one process,
// process start included.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/corpus.h"

namespace {

int run(std::vector<std::string> args) { return benchcorpus::runProgram(std::move(args), 1); }

void BM_CliCheckKifFolder(benchmark::State& state) {
    std::string folder = (benchcorpus::folder() / "kif").string();
    if (benchcorpus::files("kif").empty()) {
        state.SkipWithError("no corpus: run bench/run.sh");
        return;
    }
    std::string exe = std::string(TAVREL_CLI_DIR) + "/tavrel-cli";
    for (auto _ : state) {
        benchmark::DoNotOptimize(run({exe, "check", folder}));
    }
}

BENCHMARK(BM_CliCheckKifFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
