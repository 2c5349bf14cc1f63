// Writing and reading back the index file of a database of 10,000 records.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/text/sjis.h"
#include "dalmir/model/table/dls_file.h"
#include "dalmir/model/table/index_table.h"

namespace {

constexpr int kRecords = 10000;

dalmir::model::IndexTable generatedTable() {
    using dalmir::model::IndexText;
    const std::string players[] = {std::string("羽生善治"), std::string("谷川浩司"),
                                   std::string("森内俊之"), std::string("佐藤康光"),
                                   std::string("渡辺明")};
    const std::string openings[] = {std::string("矢倉"), std::string("四間飛車"),
                                    std::string("角換わり"), std::string("横歩取り")};
    dalmir::model::IndexTable table(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        dalmir::model::IndexEntry e;
        e.setText(IndexText::Path,
                  "/home/user/kifu/" + std::to_string(i / 100) + "/" + std::to_string(i) + ".KIF");
        e.setText(IndexText::BlackPlayer, players[i % 5]);
        e.setText(IndexText::WhitePlayer, players[(i + 2) % 5]);
        e.handicap = static_cast<uint8_t>(i % 16);
        e.start = {static_cast<uint16_t>(1980 + i % 40), static_cast<uint8_t>(1 + i % 12),
                   static_cast<uint8_t>(1 + i % 28)};
        e.setText(IndexText::Event,
                  std::string("第") + std::to_string(i % 70) + std::string("期名人戦"));
        e.setText(IndexText::Opening, openings[i % 4]);
        e.setText(IndexText::Title,
                  std::string("七番勝負第") + std::to_string(1 + i % 7) + std::string("局"));
        e.moveCount = static_cast<uint16_t>(60 + i % 150);
        e.result = static_cast<uint8_t>(i % 8);
        e.marks = static_cast<uint8_t>(i % 16);
        e.setText(IndexText::TimeLimit, std::string("各９時間"));
        e.setText(IndexText::Place, std::string("東京・将棋会館"));
        (void)table.append(std::move(e));
    }
    table.rebuildDisplayOrder();
    return table;
}

void BM_WriteAndReadDls10000(benchmark::State& state) {
    dalmir::model::IndexTable table = generatedTable();
    auto path = (std::filesystem::temp_directory_path() /
                 ("dls_bench_" + std::to_string(getpid()) + ".DLS"))
                    .string();
    dalmir::model::IndexTable back(kRecords);
    for (auto _ : state) {
        if (dalmir::model::writeDls(table, path) != core::WriteResult::Ok) {
            state.SkipWithError("write failed");
            break;
        }
        auto result = dalmir::model::readDls(back, path);
        if (result.code != core::ReadResult::Ok || back.size() != kRecords) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(back.entries().data());
    }
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WriteAndReadDls10000)->Unit(benchmark::kMillisecond);

void BM_FormatDls10000(benchmark::State& state) {
    dalmir::model::IndexTable table = generatedTable();
    for (auto _ : state) benchmark::DoNotOptimize(dalmir::model::formatDls(table));
}
BENCHMARK(BM_FormatDls10000)->Unit(benchmark::kMillisecond);

void BM_LoadDls10000(benchmark::State& state) {
    std::string text = dalmir::model::formatDls(generatedTable());
    dalmir::model::IndexTable back(kRecords);
    for (auto _ : state) {
        auto result = dalmir::model::loadDls(back, "/tmp/x.DLS", text);
        benchmark::DoNotOptimize(result.records);
    }
}
BENCHMARK(BM_LoadDls10000)->Unit(benchmark::kMillisecond);

}  // namespace
