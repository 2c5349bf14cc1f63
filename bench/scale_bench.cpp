// The large benchmarks: a folder of make_corpus --scale records (TAVREL_SCALE_CORPUS) registered
// into a binary database, saved as DLB/KIX with its position index and as a DLS, opened again,
// searched, counted and checked for duplicates. Each benchmark skips when the corpus is not
// given, so the default run stays short; bench/run.sh --scale N runs them one per process (the
// peak memory counter is then that benchmark's own) after BM_ScaleRegister has written the files
// into TAVREL_SCALE_WORK.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/corpus.h"
#include "core/text/sjis.h"
#include "dalmir/model/registration/registration.h"
#include "dalmir/model/search/duplicate_check.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/search/statistics.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/position_index.h"
#include "dalmir/model/table/record_extractor.h"

namespace {

namespace fs = std::filesystem;
using namespace dalmir::model;

constexpr int kCapacity = 4000000;

std::string corpusFolder() { return benchcorpus::scaleCorpus(); }
fs::path workFolder() { return benchcorpus::scaleWork(); }
std::string dlbPath() { return benchcorpus::scaleDlbPath(); }
std::string dlsPath() { return (workFolder() / "scale.DLS").string(); }

using benchcorpus::peakMegabytes;
using benchcorpus::secondsSince;

bool haveCorpus(benchmark::State& state) {
    if (corpusFolder().empty()) {
        state.SkipWithError("TAVREL_SCALE_CORPUS not set (bench/run.sh --scale N)");
        return false;
    }
    return true;
}

// The saved binary database, opened once per process.
Database* opened(benchmark::State& state) {
    static std::unique_ptr<Database> db;
    static std::string notice;
    if (!db) {
        auto d = std::make_unique<Database>(kCapacity);
        OpenReport r = openDatabase(*d, dlbPath());
        if (r.code != OpenResult::Ok) {
            state.SkipWithError("no saved database: run BM_ScaleRegister first");
            return nullptr;
        }
        notice = r.indexNotice;
        db = std::move(d);
    }
    return db.get();
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

// A position of record i's list after ply moves, as a search target.
core::Position targetOf(const Database& db, int record, int ply) {
    const int slot = slotOfRecord(db, record);
    ReplayBoard b;
    (void)startBoard(db.table().entry(slot).handicap, b);
    ReplayStep step;
    std::span<const ListMove> list = db.lists().list(slot);
    for (int k = 0; k < ply && k < static_cast<int>(list.size()); ++k) {
        if (!playListMove(b, list[static_cast<std::size_t>(k)], step) || step.closing) break;
    }
    core::Position target;
    core::clearPosition(target);
    for (int sq = 11; sq <= 99; ++sq) {
        if (core::isSquare(sq)) target.cells[static_cast<std::size_t>(sq)] = b.cells[sq];
    }
    int hand = core::kFirstHandSlot;
    for (int side = 0; side < 2; ++side) {
        for (int type = 1; type <= 8; ++type) {
            for (int n = 0; n < b.hand[side][type]; ++n) {
                target.cells[static_cast<std::size_t>(hand++)] =
                    core::makePiece(side ? core::kSideBlack : core::kSideWhite, type);
            }
        }
    }
    target.handEnd = static_cast<uint8_t>(hand);
    target.sideToMove = b.sideToMove;
    return target;
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// The changes as the window makes them.
void removeEveryHundredth(Database& db) {
    std::vector<int> gone;
    for (int slot = 0; slot < db.table().size(); slot += 100) gone.push_back(slot);
    db.removeSlots(gone);
}
void reverseOrder(Database& db) {
    std::vector<int32_t> slots(static_cast<std::size_t>(db.table().size()));
    for (std::size_t i = 0; i < slots.size(); ++i) {
        slots[i] = static_cast<int32_t>(slots.size() - 1 - i);
    }
    db.keepSlots(slots);
    db.setModified();
}
// The index as saving makes it, attached so that the save that follows writes it as it is
// rather than making it a second time.
std::shared_ptr<const PositionIndex> updatedIndex(Database& db) {
    if (db.positionIndex()) return db.attachedPositionIndex();
    auto earlier = db.attachedPositionIndex();
    auto index = earlier
                     ? PositionIndex::update(*earlier, db.lists().origins(), db.table(), db.lists())
                     : PositionIndex::build(db.table(), db.lists());
    db.setPositionIndex(index);
    return index;
}

void BM_ScaleRegister(benchmark::State& state) {
    if (!haveCorpus(state)) return;
    fs::create_directories(workFolder());
    for (auto _ : state) {
        Database db(kCapacity);
        db.reset(true);
        RecordExtractor extractor;
        ErrorLog log;
        OperationHost host;
        Registrar registrar(db, extractor, log, host);
        FolderAdd request;
        request.folder = corpusFolder();
        request.subfolders = true;
        request.kind = AddKind::AnyRecord;
        RunReport run = registrar.addFolder(request);
        state.PauseTiming();
        state.counters["records"] = run.counts.added;
        state.counters["peak_MB"] = peakMegabytes();
        auto t = std::chrono::steady_clock::now();
        auto index = PositionIndex::build(db.table(), db.lists());
        state.counters["index_build_s"] = secondsSince(t);
        state.counters["index_MB"] = index ? index->bytes().size() / 1e6 : 0;
        index.reset();
        t = std::chrono::steady_clock::now();
        if (saveDatabase(db, dlbPath()) != core::WriteResult::Ok) {
            state.SkipWithError("saving the binary database failed");
            break;
        }
        state.counters["save_dlb_with_index_s"] = secondsSince(t);
        state.counters["moves"] = static_cast<double>(db.lists().moveCount());
        db.setBinary(false);
        t = std::chrono::steady_clock::now();
        if (saveDatabase(db, dlsPath()) != core::WriteResult::Ok) {
            state.SkipWithError("saving the DLS failed");
            break;
        }
        state.counters["save_dls_s"] = secondsSince(t);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ScaleRegister)->Unit(benchmark::kSecond)->Iterations(1);

void openAndList(benchmark::State& state, bool binary) {
    if (!haveCorpus(state)) return;
    int records = 0;
    for (auto _ : state) {
        Database db(kCapacity);
        OpenReport r = openDatabase(db, binary ? dlbPath() : dlsPath());
        if (r.code != OpenResult::Ok) {
            state.SkipWithError("no saved database: run BM_ScaleRegister first");
            return;
        }
        db.table().rebuildDisplayOrder();
        records = db.table().size();
        state.counters["index_used"] = db.positionIndex() != nullptr;
        benchmark::DoNotOptimize(db.table().displayOrder().data());
        // What the opened database holds, beside the peak of opening it.
        state.counters["open_MB"] = benchcorpus::residentMegabytes();
    }
    state.counters["records"] = records;
    state.counters["peak_MB"] = peakMegabytes();
}
void BM_ScaleOpenDlbAndList(benchmark::State& state) { openAndList(state, true); }
BENCHMARK(BM_ScaleOpenDlbAndList)->Unit(benchmark::kSecond)->Iterations(1);
void BM_ScaleOpenDlsAndList(benchmark::State& state) { openAndList(state, false); }
BENCHMARK(BM_ScaleOpenDlsAndList)->Unit(benchmark::kSecond)->Iterations(1);

// Building the position index of the saved database afresh, as saving does after deletions or
// a new order (appends only extend it).
void BM_ScaleIndexBuild(benchmark::State& state) {
    if (!haveCorpus(state)) return;
    Database* db = opened(state);
    if (!db) return;
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto index = PositionIndex::build(db->table(), db->lists());
        bytes = index ? index->bytes().size() : 0;
    }
    state.counters["index_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ScaleIndexBuild)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// Position search for a position of a shared opening (record 0 opens with one; many hits) or
// from the middle of one game (few hits), with the index or as a full scan.
void positionSearch(benchmark::State& state, int record, int ply, bool useIndex) {
    if (!haveCorpus(state)) return;
    Database* db = opened(state);
    if (!db) return;
    auto index = db->attachedPositionIndex();
    if (!useIndex) db->setPositionIndex(nullptr);
    const core::Position target = targetOf(*db, record, ply);
    RecordExtractor extractor;
    OperationHost host;
    Searcher searcher(*db, extractor, host);
    PositionSearchOptions options;
    options.alsoReversed = true;
    int hits = 0;
    for (auto _ : state) {
        db->table().rebuildDisplayOrder();
        hits = searcher.findPosition(target, options).hits;
    }
    state.counters["hits"] = hits;
    state.counters["index_used"] = searcher.usedPositionIndex();
    state.counters["peak_MB"] = peakMegabytes();
    db->setPositionIndex(index);
}
void BM_ScalePositionSearchOpeningIndexed(benchmark::State& s) { positionSearch(s, 0, 12, true); }
BENCHMARK(BM_ScalePositionSearchOpeningIndexed)->Unit(benchmark::kMillisecond)->Iterations(3);
void BM_ScalePositionSearchMiddleIndexed(benchmark::State& s) { positionSearch(s, 1, 50, true); }
BENCHMARK(BM_ScalePositionSearchMiddleIndexed)->Unit(benchmark::kMillisecond)->Iterations(3);
void BM_ScalePositionSearchMiddleScan(benchmark::State& s) { positionSearch(s, 1, 50, false); }
BENCHMARK(BM_ScalePositionSearchMiddleScan)->Unit(benchmark::kMillisecond)->Iterations(1);

// The changes whose position index is brought up to date on saving: 1,000 records appended,
// 10,000 removed (every hundredth), and a new order (the slots reversed), each on a freshly
// opened copy of the saved database. op_s: the change itself; index_s: the index made to
// describe it, as saving does; save_s: the writing of the pair with that index beside the
// original; save_with_index_s: the two together, as the window's save does them.
enum class Change { Add, Remove, Reorder };

void changeAndSave(benchmark::State& state, Change change) {
    if (!haveCorpus(state)) return;
    for (auto _ : state) {
        state.PauseTiming();
        Database db(kCapacity);
        if (openDatabase(db, dlbPath()).code != OpenResult::Ok || !db.positionIndex()) {
            state.SkipWithError("no saved database with an index: run BM_ScaleRegister first");
            return;
        }
        state.ResumeTiming();
        auto t = std::chrono::steady_clock::now();
        const int n = db.table().size();
        switch (change) {
            case Change::Add:
                for (int i = 0; i < 1000 && i < n; ++i) {
                    IndexEntry e = db.table().entry(i);
                    e.setText(IndexText::Path, "added/" + std::to_string(i) + ".kif");
                    std::span<const ListMove> list = db.lists().list(i);
                    (void)db.append(std::move(e), std::vector<ListMove>(list.begin(), list.end()));
                }
                break;
            case Change::Remove:
                removeEveryHundredth(db);
                break;
            case Change::Reorder:
                reverseOrder(db);
                break;
        }
        state.counters["op_s"] = secondsSince(t);
        t = std::chrono::steady_clock::now();
        const double cpu = processCpuSeconds();
        auto index = updatedIndex(db);
        state.counters["index_s"] = secondsSince(t);
        // The processor time of every thread: what the index costs on a machine of its own.
        state.counters["index_cpu_s"] = processCpuSeconds() - cpu;
        state.counters["index_MB"] = index ? static_cast<double>(index->bytes().size()) / 1e6 : 0;
        state.counters["records"] = db.table().size();
        t = std::chrono::steady_clock::now();
        if (saveDatabase(db, (workFolder() / "changed.DLB").string()) != core::WriteResult::Ok) {
            state.SkipWithError("saving failed");
            return;
        }
        state.counters["save_s"] = secondsSince(t);
        // What the window's save takes in all: the index brought up to date, then the writing.
        state.counters["save_with_index_s"] = state.counters["save_s"] + state.counters["index_s"];
        state.counters["peak_MB"] = peakMegabytes();
    }
}
void BM_ScaleAdd1000(benchmark::State& s) { changeAndSave(s, Change::Add); }
BENCHMARK(BM_ScaleAdd1000)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
void BM_ScaleRemove10000(benchmark::State& s) { changeAndSave(s, Change::Remove); }
BENCHMARK(BM_ScaleRemove10000)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
void BM_ScaleReorder(benchmark::State& s) { changeAndSave(s, Change::Reorder); }
BENCHMARK(BM_ScaleReorder)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_ScaleNextMoveSearchIndexed(benchmark::State& state) {
    if (!haveCorpus(state)) return;
    Database* db = opened(state);
    if (!db) return;
    RecordExtractor extractor;
    OperationHost host;
    Searcher searcher(*db, extractor, host);
    PositionSearchOptions options;
    options.alsoReversed = true;
    const core::Position target = targetOf(*db, 0, 10);
    int hits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        db->table().rebuildDisplayOrder();
        (void)searcher.findPosition(target, options);
        state.ResumeTiming();
        hits = searcher.findNextPosition(0).hits;
    }
    state.counters["hits"] = hits;
    state.counters["index_used"] = searcher.usedPositionIndex();
}
BENCHMARK(BM_ScaleNextMoveSearchIndexed)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ScaleSequenceSearch(benchmark::State& state) {
    if (!haveCorpus(state)) return;
    Database* db = opened(state);
    if (!db) return;
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
BENCHMARK(BM_ScaleSequenceSearch)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ScaleAllStatistics(benchmark::State& state) {
    if (!haveCorpus(state)) return;
    Database* db = opened(state);
    if (!db) return;
    RecordExtractor extractor;
    OperationHost host;
    Searcher searcher(*db, extractor, host);
    db->table().rebuildDisplayOrder();
    core::Position empty;
    core::clearPosition(empty);
    (void)searcher.findPosition(empty, {});  // the next moves become the first moves
    PlayerStatistics player;
    const std::string name = std::string("山田太郎");
    for (auto _ : state) {
        std::size_t bytes = resultsReport(db->table()).size();
        bytes += player.compute(db->table(), name, true).size();
        bytes += openingsReport(db->table()).size();
        bytes += handicapsReport(db->table()).size();
        bytes += nextMoveReport(db->table()).size();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ScaleAllStatistics)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ScaleDuplicateCheck(benchmark::State& state) {
    if (!haveCorpus(state)) return;
    Database* db = opened(state);
    if (!db) return;
    OperationHost host;  // answers "次へ" to every pair
    DuplicateCriteria criteria;
    criteria.compareMoves = true;
    criteria.moveTolerance = 5;
    int pairs = 0;
    for (auto _ : state) pairs = checkDuplicates(*db, criteria, host).pairs;
    state.counters["pairs"] = pairs;
}
BENCHMARK(BM_ScaleDuplicateCheck)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
