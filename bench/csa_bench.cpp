// Reading CSA records: 10,000 generated games of about 100 plies with times, read one after the
// other into one store, as Dalmir registering a folder and Tavrel opening files do.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/formats/csa_reader.h"
#include "core/formats/csa_writer.h"
#include "core/record/record_store.h"
#include "core/rules/move_generator.h"
#include "core/text/sjis.h"

namespace {

constexpr int kRecords = 10000;
constexpr int kPlies = 100;
// Distinct games generated; the corpus repeats them (generating 10,000 games takes longer than
// reading them, and reading does not care which game it is).
constexpr int kDistinctGames = 200;

std::string generateGame(std::uint32_t seed) {
    std::mt19937 rng(seed);
    core::RecordStore store(1000);
    store.setPlayerName(core::PlayerField::Black, std::string("先手") + std::to_string(seed));
    store.setPlayerName(core::PlayerField::White, std::string("後手") + std::to_string(seed));
    store.setHeader(core::HeaderField::Event, std::string("棋戦"));
    store.setHeader(core::HeaderField::StartDateTime, "2024/01/01 10:00:00");
    core::setupHandicap(store.position(), core::kHandicapEven);
    store.saveStartPosition();
    std::vector<core::PackedMove> moves;
    while (store.currentPly() < kPlies) {
        moves.clear();
        if (core::legalMoves(store.position(), store.position().sideToMove, moves) == 0) break;
        if (store.addAndAdvance(core::kAddStoreAll, moves[rng() % moves.size()],
                                static_cast<std::uint16_t>(rng() % 300)) != core::AddResult::Ok) {
            break;
        }
    }
    (void)store.addAndAdvance(core::kAddStoreAll, core::terminalMove(core::TerminalCode::Resign),
                              1);
    return core::csaText(store);
}

const std::vector<std::string>& corpus() {
    static const std::vector<std::string> games = [] {
        std::vector<std::string> g;
        for (int i = 0; i < kDistinctGames; ++i) g.push_back(generateGame(1000u + i));
        return g;
    }();
    return games;
}

void BM_ReadCsa10000(benchmark::State& state) {
    const std::vector<std::string>& games = corpus();
    core::RecordStore store;
    core::ReadOptions options;
    options.database = state.range(0) != 0;
    long moves = 0;
    for (auto _ : state) {
        for (int i = 0; i < kRecords; ++i) {
            core::ReadReport r = core::readCsaLines(
                store, games[static_cast<std::size_t>(i % kDistinctGames)], options);
            if (r.result != core::ReadResult::Ok) state.SkipWithError("reading failed");
            moves += store.lineEnd();
        }
    }
    benchmark::DoNotOptimize(moves);
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ReadCsa10000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WriteCsa(benchmark::State& state) {
    core::RecordStore store;
    core::ReadOptions options;
    (void)core::readCsaLines(store, corpus()[0], options);
    for (auto _ : state) benchmark::DoNotOptimize(core::csaText(store));
}
BENCHMARK(BM_WriteCsa);

}  // namespace
