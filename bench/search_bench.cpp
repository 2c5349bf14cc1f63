// Searching, statistics and the duplicate check over a binary database held in memory: 10,000
// generated records (and 100,000 for the position search, the 10,000 repeated ten times), built
// with the engine's own functions as registration builds them.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/text/sjis.h"
#include "dalmir/model/search/duplicate_check.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/search/statistics.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/table/record_extractor.h"
#include "tests/support/random_record.h"

namespace {

using namespace dalmir::model;

constexpr int kRecords = 10000;

struct Corpus {
    std::vector<IndexEntry> entries;
    std::vector<std::vector<ListMove>> lists;
    core::Position target;  // a position from the middle of one game
};

const Corpus& corpus() {
    static const Corpus c = [] {
        Corpus out;
        std::mt19937 rng(20261208);
        core::RecordStore store;
        testsupport::RandomRecordOptions options;
        for (int i = 0; i < kRecords; ++i) {
            testsupport::makeRandomRecord(store, rng, options);
            IndexEntry e;
            e.setText(IndexText::Path, "/records/" + std::to_string(i) + ".KIF");
            e.setText(IndexText::BlackPlayer, store.playerName(core::PlayerField::Black));
            e.setText(IndexText::WhitePlayer, store.playerName(core::PlayerField::White));
            e.setText(IndexText::Opening, std::string(i % 3 == 0 ? "矢倉" : "四間飛車"));
            e.handicap = static_cast<uint8_t>(store.handicap());
            e.start = {static_cast<uint16_t>(1990 + i % 30), static_cast<uint8_t>(1 + i % 12),
                       static_cast<uint8_t>(1 + i % 28)};
            int entries = 0;
            setResultAndMoveCount(store, e, entries);
            std::vector<ListMove> list;
            buildList(store, list);
            if (i == kRecords / 2) out.target = positionOfRecord(store, 40);
            out.entries.push_back(std::move(e));
            out.lists.push_back(std::move(list));
        }
        return out;
    }();
    return c;
}

std::unique_ptr<Database> database(int copies) {
    const Corpus& c = corpus();
    auto db = std::make_unique<Database>(kRecords * copies);
    db->reset(true);
    for (int k = 0; k < copies; ++k) {
        for (std::size_t i = 0; i < c.entries.size(); ++i) {
            (void)db->append(c.entries[i], c.lists[i]);
        }
    }
    return db;
}

void positionSearch(benchmark::State& state, int copies) {
    auto db = database(copies);
    RecordExtractor extractor;
    OperationHost host;
    Searcher searcher(*db, extractor, host);
    PositionSearchOptions options;
    options.alsoReversed = true;
    int hits = 0;
    for (auto _ : state) {
        db->table().rebuildDisplayOrder();
        hits = searcher.findPosition(corpus().target, options).hits;
    }
    state.counters["hits"] = hits;
}

void BM_PositionSearch10k(benchmark::State& state) { positionSearch(state, 1); }
BENCHMARK(BM_PositionSearch10k)->Unit(benchmark::kMillisecond);

void BM_PositionSearch100k(benchmark::State& state) { positionSearch(state, 10); }
BENCHMARK(BM_PositionSearch100k)->Unit(benchmark::kMillisecond);

void BM_SequenceSearch10k(benchmark::State& state) {
    auto db = database(1);
    RecordExtractor extractor;
    OperationHost host;
    Searcher searcher(*db, extractor, host);
    const std::string pattern = std::string("+**歩,-**歩,+**銀,-同歩");
    int hits = 0;
    for (auto _ : state) {
        db->table().rebuildDisplayOrder();
        hits = searcher.findSequence(pattern).hits;
    }
    state.counters["hits"] = hits;
}
BENCHMARK(BM_SequenceSearch10k)->Unit(benchmark::kMillisecond);

void BM_AllStatistics10k(benchmark::State& state) {
    auto db = database(1);
    RecordExtractor extractor;
    OperationHost host;
    Searcher searcher(*db, extractor, host);
    core::Position empty;
    core::clearPosition(empty);
    // An empty target matches every record at its start: the next moves are the first moves.
    (void)searcher.findPosition(empty, {});
    PlayerStatistics player;
    const std::string name = std::string("山田");
    for (auto _ : state) {
        std::size_t bytes = resultsReport(db->table()).size();
        bytes += player.compute(db->table(), name, true).size();
        bytes += openingsReport(db->table()).size();
        bytes += handicapsReport(db->table()).size();
        bytes += nextMoveReport(db->table()).size();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_AllStatistics10k)->Unit(benchmark::kMillisecond);

void BM_DuplicateCheck10k(benchmark::State& state) {
    auto db = database(1);
    OperationHost host;  // answers "次へ" to every pair
    DuplicateCriteria criteria;
    criteria.compareMoves = true;
    criteria.moveTolerance = 5;
    int pairs = 0;
    for (auto _ : state) pairs = checkDuplicates(*db, criteria, host).pairs;
    state.counters["pairs"] = pairs;
}
BENCHMARK(BM_DuplicateCheck10k)->Unit(benchmark::kMillisecond);

}  // namespace
