// Registering a folder of 10,000 generated KIF records into a text database, and writing and
// reading back the index that results. The records are written once per run into a temporary
// folder: 100 games of legal moves chosen with a fixed seed, each saved under 100 headers.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/formats/kif_writer.h"
#include "core/record/record_store.h"
#include "core/rules/move_generator.h"
#include "core/text/sjis.h"
#include "dalmir/model/registration/registration.h"
#include "dalmir/model/store/database.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 10000;
constexpr int kGames = 100;
constexpr int kPlies = 110;

// Plays up to kPlies random legal moves from the start; ends with 投了 when a side has none.
void playGame(core::RecordStore& store, std::mt19937& rng) {
    store.reset();
    (void)store.goTo(core::kRootNode);
    std::vector<core::PackedMove> moves;
    while (store.currentPly() < kPlies) {
        moves.clear();
        core::legalMoves(store.position(), store.position().sideToMove, moves);
        if (moves.empty()) break;
        if (store.addAndAdvance(core::kAddStoreAll, moves[rng() % moves.size()],
                                static_cast<uint16_t>(rng() % 90)) != core::AddResult::Ok) {
            break;
        }
    }
    (void)store.addAndAdvance(core::kAddStoreAll, core::terminalMove(core::TerminalCode::Resign),
                              0);
    (void)store.goTo(core::kRootNode);
}

class Corpus {
public:
    Corpus() {
        m_folder = fs::temp_directory_path() / ("registration_bench_" + std::to_string(getpid()));
        fs::create_directories(m_folder);
        const std::vector<std::string> players = {std::string("羽生善治"), std::string("谷川浩司"),
                                                  std::string("森内俊之"), std::string("佐藤康光"),
                                                  std::string("渡辺明"),   std::string("藤井聡太")};
        std::mt19937 rng(20240601);
        core::RecordStore store;
        core::RecordWriteOptions options;
        for (int g = 0; g < kGames; ++g) {
            playGame(store, rng);
            for (int k = 0; k < kRecords / kGames; ++k) {
                int i = g * (kRecords / kGames) + k;
                store.clearHeader();
                store.setPlayerName(core::PlayerField::Black, players[i % players.size()]);
                store.setPlayerName(core::PlayerField::White, players[(i + 1) % players.size()]);
                store.setHeader(core::HeaderField::StartDateTime,
                                std::to_string(1990 + i % 30) + "/" + std::to_string(1 + i % 12) +
                                    "/" + std::to_string(1 + i % 28));
                store.setHeader(
                    core::HeaderField::Event,
                    std::string("第") + std::to_string(i % 80) + std::string("期名人戦"));
                store.setHeader(core::HeaderField::Opening, std::string("矢倉"));
                fs::path file =
                    m_folder / (std::to_string(i / 1000)) / (std::to_string(i) + ".kif");
                fs::create_directories(file.parent_path());
                std::ofstream(file, std::ios::binary)
                    << core::utf8ToCp932(core::kifText(store, options)).text;
            }
        }
    }
    ~Corpus() {
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }
    std::string folder() const { return m_folder.string(); }

private:
    fs::path m_folder;
};

const Corpus& corpus() {
    static const Corpus c;
    return c;
}

dalmir::model::RunReport registerCorpus(dalmir::model::Database& db, int threads = 0,
                                        bool labels = true) {
    dalmir::model::RecordExtractor extractor;
    extractor.setLabelOpenings(labels);
    dalmir::model::ErrorLog log;
    dalmir::model::OperationHost host;
    dalmir::model::RegistrationOptions options;
    options.threads = threads;
    dalmir::model::Registrar registrar(db, extractor, log, host, options);
    dalmir::model::FolderAdd request;
    request.folder = corpus().folder();
    request.subfolders = true;
    request.kind = dalmir::model::AddKind::Kif;
    return registrar.addFolder(request);
}

void BM_RegisterFolder10000(benchmark::State& state) {
    (void)corpus();
    for (auto _ : state) {
        dalmir::model::Database db(kRecords * 2);
        dalmir::model::RunReport run = registerCorpus(db);
        if (run.counts.added != kRecords) {
            state.SkipWithError("not every record was added");
            break;
        }
        benchmark::DoNotOptimize(db.table().entries().data());
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_RegisterFolder10000)->Unit(benchmark::kMillisecond)->Iterations(3);

// One reading thread, with and without the 自動戦型 labels, to see what labelling costs.
void BM_RegisterFolder10000OneThread(benchmark::State& state) {
    (void)corpus();
    const bool labels = state.range(0) != 0;
    for (auto _ : state) {
        dalmir::model::Database db(kRecords * 2);
        dalmir::model::RunReport run = registerCorpus(db, 1, labels);
        if (run.counts.added != kRecords) {
            state.SkipWithError("not every record was added");
            break;
        }
        benchmark::DoNotOptimize(db.table().entries().data());
    }
    state.SetLabel(labels ? "labels" : "no labels");
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_RegisterFolder10000OneThread)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_WriteAndReadRegisteredDls(benchmark::State& state) {
    dalmir::model::Database db(kRecords * 2);
    if (registerCorpus(db).counts.added != kRecords) {
        state.SkipWithError("not every record was added");
        return;
    }
    std::string path = corpus().folder() + "/registered.DLS";
    dalmir::model::Database back(kRecords * 2);
    for (auto _ : state) {
        if (dalmir::model::saveDatabase(db, path) != core::WriteResult::Ok) {
            state.SkipWithError("write failed");
            break;
        }
        dalmir::model::OpenReport r = dalmir::model::openDatabase(back, path);
        if (r.code != dalmir::model::OpenResult::Ok || back.table().size() != kRecords) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(back.table().entries().data());
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WriteAndReadRegisteredDls)->Unit(benchmark::kMillisecond);

}  // namespace
