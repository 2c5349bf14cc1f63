// tavrel-cli as a user runs it: `tavrel-cli check` over the corpus's KIF folder in one process,
// process start included.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "bench/corpus.h"

extern char** environ;

namespace {

int run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

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
