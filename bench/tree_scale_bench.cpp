// The opening tree at scale: over the binary database that BM_ScaleRegister saved from a folder
// of make_corpus --scale records (TAVREL_SCALE_CORPUS, TAVREL_SCALE_WORK), the time and memory to
// build the tree index, and the trees of the start position, of positions with few hits and of
// the first 30 plies of a game stepped one by one, with and without the tree index. Skips
// without the corpus; bench/run.sh --scale N runs each benchmark in a process of its own.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/corpus.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/position_index.h"
#include "dalmir/model/tree/opening_book.h"
#include "dalmir/model/tree/opening_tree.h"
#include "dalmir/model/tree/tree_index.h"

namespace {

namespace fs = std::filesystem;
using namespace dalmir::model;

constexpr int kCapacity = 4000000;

std::string dlbPath() { return benchcorpus::scaleDlbPath(); }

using benchcorpus::peakMegabytes;
using benchcorpus::secondsSince;

// The saved binary database (with its position index), opened once per process.
Database* opened(benchmark::State& state) {
    static std::unique_ptr<Database> db;
    if (benchcorpus::scaleCorpus().empty()) {
        state.SkipWithError("TAVREL_SCALE_CORPUS not set (bench/run.sh --scale N)");
        return nullptr;
    }
    if (!db) {
        auto d = std::make_unique<Database>(kCapacity);
        if (openDatabase(*d, dlbPath()).code != OpenResult::Ok) {
            state.SkipWithError("no saved database: run BM_ScaleRegister first");
            return nullptr;
        }
        db = std::move(d);
    }
    return db.get();
}

// The tree index saved beside the database by BM_TreeScaleIndexBuild.
std::shared_ptr<const TreeIndex> savedTreeIndex(benchmark::State& state, const Database& db) {
    PositionIndexReadResult r = PositionIndexReadResult::Ok;
    auto index = TreeIndex::open(treeIndexPath(dlbPath()), db.table(), db.lists(), r);
    if (!index) state.SkipWithError("no tree index: run BM_TreeScaleIndexBuild first");
    return index;
}

// The slot of the corpus's record i (make_corpus names it %07d), or 0.
int slotOfRecord(const Database& db, int i) {
    char name[32];
    std::snprintf(name, sizeof name, "/%07d.", i);
    for (int slot = 0; slot < db.table().size(); ++slot) {
        if (db.table().entry(slot).path().find(name) != std::string_view::npos) return slot;
    }
    return 0;
}

// The boards of a slot's first plies, the start first.
std::vector<ReplayBoard> boardsOf(const Database& db, int slot, int plies) {
    std::vector<ReplayBoard> out(1);
    (void)startBoard(db.table().entry(slot).handicap, out[0]);
    ReplayStep step;
    std::span<const ListMove> list = db.lists().list(slot);
    for (int k = 0; k < plies && k < static_cast<int>(list.size()); ++k) {
        ReplayBoard next = out.back();
        if (!playListMove(next, list[static_cast<std::size_t>(k)], step) || step.closing) break;
        out.push_back(next);
    }
    return out;
}

void BM_TreeScaleIndexBuild(benchmark::State& state) {
    Database* db = opened(state);
    if (!db) return;
    const double before = peakMegabytes();
    for (auto _ : state) {
        auto t = std::chrono::steady_clock::now();
        auto index = TreeIndex::build(db->table(), db->lists());
        state.counters["build_s"] = secondsSince(t);
        if (!index) {
            state.SkipWithError("the tree index could not be built");
            break;
        }
        state.counters["peak_MB"] = peakMegabytes();
        state.counters["peak_over_open_MB"] = peakMegabytes() - before;
        state.counters["index_MB"] = static_cast<double>(index->bytes().size()) / 1e6;
        state.counters["positions"] = static_cast<double>(index->positions());
        state.counters["hits"] = static_cast<double>(index->hits());
        t = std::chrono::steady_clock::now();
        if (writeTreeIndex(dlbPath(), *index) != core::WriteResult::Ok) {
            state.SkipWithError("writing the tree index failed");
            break;
        }
        state.counters["write_s"] = secondsSince(t);
        t = std::chrono::steady_clock::now();
        PositionIndexReadResult r = PositionIndexReadResult::Ok;
        auto read = TreeIndex::open(treeIndexPath(dlbPath()), db->table(), db->lists(), r);
        state.counters["open_s"] = secondsSince(t);
        if (!read) state.SkipWithError("the written tree index does not read back");
    }
    state.counters["records"] = db->table().size();
}
BENCHMARK(BM_TreeScaleIndexBuild)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// The tree of one position of record `record` after `ply` plies.
void treeOfPosition(benchmark::State& state, int record, int ply, bool useTreeIndex,
                    bool filtered) {
    Database* db = opened(state);
    if (!db) return;
    std::shared_ptr<const TreeIndex> index;
    if (useTreeIndex && !(index = savedTreeIndex(state, *db))) return;
    const ReplayBoard target = boardsOf(*db, slotOfRecord(*db, record), ply).back();
    TreeFilter filter;
    if (filtered) {
        filter.header.fromOn = true;
        filter.header.from = {2000, 1, 1};
    }
    TreeMaker maker(*db, index.get());
    int records = 0;
    for (auto _ : state) records = maker.treeOf(target, filter).records;
    state.counters["records"] = records;
    state.counters["from_tree_index"] = maker.lastSource() == TreeSource::TreeIndex;
    state.counters["from_position_index"] = maker.lastSource() == TreeSource::PositionIndex;
    state.counters["peak_MB"] = peakMegabytes();
}

void BM_TreeScaleStart(benchmark::State& s) { treeOfPosition(s, 0, 0, true, false); }
BENCHMARK(BM_TreeScaleStart)->Unit(benchmark::kMillisecond)->Iterations(5);
void BM_TreeScaleStartFiltered(benchmark::State& s) { treeOfPosition(s, 0, 0, true, true); }
BENCHMARK(BM_TreeScaleStartFiltered)->Unit(benchmark::kMillisecond)->Iterations(5);
void BM_TreeScaleStartNoTreeIndex(benchmark::State& s) { treeOfPosition(s, 0, 0, false, false); }
BENCHMARK(BM_TreeScaleStartNoTreeIndex)->Unit(benchmark::kMillisecond)->Iterations(3);

// The deepest position of record 0's first 30 plies that at least `least` records reach, and
// not more than 10,000 (a shared opening of the corpus: records 0, 10, 20 ... open with one of
// a few lines).
void treeOfFewHits(benchmark::State& state, bool useTreeIndex) {
    Database* db = opened(state);
    if (!db) return;
    std::shared_ptr<const TreeIndex> index;
    if (useTreeIndex && !(index = savedTreeIndex(state, *db))) return;
    TreeMaker maker(*db, index.get());
    const auto boards = boardsOf(*db, slotOfRecord(*db, 0), 30);
    ReplayBoard target = boards.front();
    int ply = 0;
    for (std::size_t k = 0; k < boards.size(); ++k) {
        const int n = maker.treeOf(boards[k], {}).records;
        if (n <= 10000) {
            target = boards[k];
            ply = static_cast<int>(k);
            break;
        }
    }
    int records = 0;
    for (auto _ : state) records = maker.treeOf(target, {}).records;
    state.counters["records"] = records;
    state.counters["ply"] = ply;
    state.counters["from_tree_index"] = maker.lastSource() == TreeSource::TreeIndex;
}
void BM_TreeScaleFewHits(benchmark::State& s) { treeOfFewHits(s, true); }
BENCHMARK(BM_TreeScaleFewHits)->Unit(benchmark::kMillisecond)->Iterations(10);
void BM_TreeScaleFewHitsNoTreeIndex(benchmark::State& s) { treeOfFewHits(s, false); }
BENCHMARK(BM_TreeScaleFewHitsNoTreeIndex)->Unit(benchmark::kMillisecond)->Iterations(10);

// A position from the middle of one game: one record.
void BM_TreeScaleMiddle(benchmark::State& s) { treeOfPosition(s, 1, 50, true, false); }
BENCHMARK(BM_TreeScaleMiddle)->Unit(benchmark::kMillisecond)->Iterations(10);

// Stepping through the first 30 plies of a game with the tree at each ply (31 trees).
void stepThrough(benchmark::State& state, int record, bool useTreeIndex) {
    Database* db = opened(state);
    if (!db) return;
    std::shared_ptr<const TreeIndex> index;
    if (useTreeIndex && !(index = savedTreeIndex(state, *db))) return;
    const auto boards = boardsOf(*db, slotOfRecord(*db, record), 30);
    TreeMaker maker(*db, index.get());
    long long records = 0;
    for (auto _ : state) {
        records = 0;
        for (const ReplayBoard& b : boards) records += maker.treeOf(b, {}).records;
    }
    state.counters["trees"] = static_cast<double>(boards.size());
    state.counters["records_summed"] = static_cast<double>(records);
    state.counters["peak_MB"] = peakMegabytes();
}
void BM_TreeScaleStep30Shared(benchmark::State& s) { stepThrough(s, 0, true); }
BENCHMARK(BM_TreeScaleStep30Shared)->Unit(benchmark::kMillisecond)->Iterations(3);
void BM_TreeScaleStep30Random(benchmark::State& s) { stepThrough(s, 1, true); }
BENCHMARK(BM_TreeScaleStep30Random)->Unit(benchmark::kMillisecond)->Iterations(3);
void BM_TreeScaleStep30SharedNoTreeIndex(benchmark::State& s) { stepThrough(s, 0, false); }
BENCHMARK(BM_TreeScaleStep30SharedNoTreeIndex)->Unit(benchmark::kMillisecond)->Iterations(1);

// The first `wanted` slots of the database (all of them for 0).
std::vector<int32_t> firstSlots(const Database& db, std::size_t wanted) {
    std::vector<int32_t> slots(static_cast<std::size_t>(db.table().size()));
    for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = static_cast<int32_t>(i);
    if (wanted > 0 && wanted < slots.size()) slots.resize(wanted);
    return slots;
}

// A book of the first records (all of them for 0): of their first 16 plies, moves played at
// least 10 times; and with the defaults (40 plies, every move). peak_MB is the process's,
// book_MB_over_db what making the book added to the peak of the opened database.
void makeBookOf(benchmark::State& state, int maxPly, int minCount) {
    Database* db = opened(state);
    if (!db) return;
    const std::vector<int32_t> slots = firstSlots(*db, static_cast<std::size_t>(state.range(0)));
    BookOptions options;
    options.maxPly = maxPly;
    options.minCount = minCount;
    std::size_t bytes = 0;
    std::size_t positions = 0;
    const double before = peakMegabytes();
    for (auto _ : state) {
        const OpeningBook book = makeBook(*db, slots, options);
        positions = book.positions.size();
        bytes = bookText(book).size();
    }
    state.counters["records"] = static_cast<double>(slots.size());
    state.counters["positions"] = static_cast<double>(positions);
    state.counters["book_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["book_MB_over_db"] = peakMegabytes() - before;
}
void BM_TreeScaleBook(benchmark::State& state) { makeBookOf(state, 16, 10); }
void BM_TreeScaleBookDefaults(benchmark::State& state) { makeBookOf(state, 40, 1); }
BENCHMARK(BM_TreeScaleBookDefaults)->Arg(100000)->Unit(benchmark::kSecond)->Iterations(1);

// The same books made as dalmir-cli book makes them: sorted through temporary files, written to
// a file beside the database (removed after).
void writeBookOf(benchmark::State& state, int maxPly, int minCount) {
    Database* db = opened(state);
    if (!db) return;
    const std::vector<int32_t> slots = firstSlots(*db, static_cast<std::size_t>(state.range(0)));
    BookOptions options;
    options.maxPly = maxPly;
    options.minCount = minCount;
    const std::string path = (benchcorpus::scaleWork() / "bench-book.db").string();
    BookStreamResult r;
    // The peak from here on, over what the opened database holds now.
    const bool reset = benchcorpus::resetPeak();
    const double before = reset ? benchcorpus::residentMegabytes() : peakMegabytes();
    for (auto _ : state) {
        r = writeBook(*db, slots, options, path);
        if (r.result != core::WriteResult::Ok) {
            state.SkipWithError(("the book could not be written: " + r.problem).c_str());
            break;
        }
    }
    std::error_code ec;
    state.counters["book_MB"] = static_cast<double>(fs::file_size(path, ec)) / 1e6;
    fs::remove(path, ec);
    state.counters["records"] = static_cast<double>(slots.size());
    state.counters["positions"] = static_cast<double>(r.positions);
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["book_MB_over_db"] = peakMegabytes() - before;
}
void BM_TreeScaleBookStreamed(benchmark::State& state) { writeBookOf(state, 16, 10); }
void BM_TreeScaleBookStreamedDefaults(benchmark::State& state) { writeBookOf(state, 40, 1); }
BENCHMARK(BM_TreeScaleBookStreamedDefaults)
    ->Arg(100000)
    ->Arg(0)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK(BM_TreeScaleBookStreamed)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_TreeScaleBook)->Arg(0)->Arg(100000)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
