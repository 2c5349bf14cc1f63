// The engine analysis of a database: `dalmir-cli analyse` with the scripted engine of the tests,
// which answers at once, so that what is measured is the machinery alone (planning, the engine
// sessions, the pipes, the store's appends and its rewrite), in positions per second; and the
// size of the evaluation store per million positions.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/corpus.h"
#include "core/base/safe_file.h"
#include "dalmir/model/analysis/database_analysis.h"
#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/store/binary_store.h"
#include "dalmir/model/store/database.h"
#include "tests/support/random_record.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace dalmir::model;

// A binary database of random games (about 120 plies each).
void fillDatabase(Database& db, int records, unsigned seed) {
    db.reset(true);
    std::mt19937 rng(seed);
    testsupport::RandomRecordOptions options;
    options.handicapPercent = 0;
    core::RecordStore store;
    for (int i = 0; i < records; ++i) {
        testsupport::makeRandomRecord(store, rng, options);
        IndexEntry entry;
        entry.handicap = static_cast<uint8_t>(store.handicap());
        entry.setText(IndexText::Path, "g" + std::to_string(i) + ".kif");
        std::vector<ListMove> list;
        buildList(store, list);
        (void)db.append(std::move(entry), std::move(list));
    }
}

int run(std::vector<std::string> args) { return benchcorpus::runProgram(std::move(args), 2); }

// Every position of 300 games (about 30,000), with --redo so that each iteration searches them
// all; Arg is the number of engine programs.
void BM_AnalyseDatabaseWithTheScriptedEngine(benchmark::State& state) {
    testsupport::TempFolder folder("analysis-bench");
    const std::string path = folder.file("games.dlb");
    Database db;
    fillDatabase(db, 300, 17);
    if (saveBinary(db, path) != core::WriteResult::Ok) {
        state.SkipWithError("cannot write the database");
        return;
    }
    EvaluationStore empty;
    const std::vector<std::int32_t> listed = db.table().displayOrder();
    const std::size_t positions = planAnalysis(db, listed, empty, -1, true).items.size();
    const std::string exe = std::string(TAVREL_CLI_DIR) + "/dalmir-cli";
    const std::string jobs = std::to_string(state.range(0));
    // The processor time of the programs run (the tool and the engines), beside the wall time:
    // on a busy machine the wall time says more of the others than of the machinery.
    const auto childSeconds = [] {
        rusage u{};
        getrusage(RUSAGE_CHILDREN, &u);
        return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    const double cpuBefore = childSeconds();
    for (auto _ : state) {
        if (run({exe, "analyse", path, "--engine", FAKE_USI_ENGINE, "--jobs", jobs, "--redo"}) !=
            0) {
            state.SkipWithError("the run failed");
            return;
        }
    }
    const double searched =
        static_cast<double>(positions) * static_cast<double>(state.iterations());
    state.counters["cpu_us/position"] = (childSeconds() - cpuBefore) * 1e6 / searched;
    state.counters["positions"] = static_cast<double>(positions);
    state.counters["positions/s"] =
        benchmark::Counter(static_cast<double>(positions) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AnalyseDatabaseWithTheScriptedEngine)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

// The store of every position of 1,000 games, as the scripted engine would leave it (two-move
// PVs) and as a strong engine would (eight-move PVs): bytes per position and per million.
void BM_EvaluationStoreSize(benchmark::State& state) {
    Database db;
    fillDatabase(db, 1000, 23);
    EvaluationStore empty;
    const std::vector<std::int32_t> listed = db.table().displayOrder();
    const AnalysisPlan plan = planAnalysis(db, listed, empty, -1, true);
    const std::size_t pvMoves = static_cast<std::size_t>(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        EvaluationStore store;
        const auto engine = store.engineIndex({"Engine", "byoyomi 1000"});
        for (const AnalysisPlan::Item& item : plan.items) {
            Evaluation e;
            e.position = item.packed;
            e.score = {usi::UsiScore::Kind::Centipawns, 123, false, usi::UsiScore::Bound::Exact};
            e.depth = 20;
            e.nodes = 1000000;
            e.timeMs = 1000;
            e.best = BestMoveKind::Move;
            e.bestMove = ListMove{77, 76};
            e.pv.assign(pvMoves, ListMove{77, 76});
            e.engine = engine;
            store.put(std::move(e));
        }
        bytes = store.bytes().size();
        benchmark::DoNotOptimize(bytes);
    }
    const double perPosition = static_cast<double>(bytes) / static_cast<double>(plan.items.size());
    state.counters["positions"] = static_cast<double>(plan.items.size());
    state.counters["bytes/position"] = perPosition;
    state.counters["MB/million"] = perPosition;  // bytes per position = MB per million positions
}
BENCHMARK(BM_EvaluationStoreSize)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
