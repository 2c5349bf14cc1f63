// Exporting the index for analysis tools: 100,000 generated entries written as CSV and as JSON
// Lines into a sink that only counts bytes (the rows themselves, without the disk). The time per
// row gives the figure for a million records.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "core/text/sjis.h"
#include "dalmir/model/table/export_rows.h"

namespace {

constexpr int kRows = 100000;

const dalmir::model::IndexTable& table() {
    static const dalmir::model::IndexTable t = [] {
        dalmir::model::IndexTable table(kRows);
        std::mt19937 rng(11);
        const std::string players[] = {std::string("羽生善治"), std::string("谷川浩司"),
                                       std::string("森内俊之"), std::string("佐藤康光")};
        const std::string events[] = {std::string("名人戦"), std::string("竜王戦, 第3局"),
                                      std::string("王位戦 \"挑戦者決定戦\"")};
        for (int i = 0; i < kRows; ++i) {
            dalmir::model::IndexEntry e;
            e.setText(dalmir::model::IndexText::Path,
                      std::string("/棋譜/") + std::to_string(i) + ".KIF");
            e.setText(dalmir::model::IndexText::BlackPlayer, players[rng() % 4]);
            e.setText(dalmir::model::IndexText::WhitePlayer, players[rng() % 4]);
            e.setText(dalmir::model::IndexText::Event, events[rng() % 3]);
            e.setText(dalmir::model::IndexText::Opening, std::string("矢倉"));
            e.start = {static_cast<uint16_t>(1950 + rng() % 70),
                       static_cast<uint8_t>(1 + rng() % 12), static_cast<uint8_t>(1 + rng() % 28)};
            e.moveCount = static_cast<uint16_t>(rng() % 200);
            e.result = static_cast<uint8_t>(rng() % 8);
            (void)table.append(std::move(e));
        }
        table.rebuildDisplayOrder();
        return table;
    }();
    return t;
}

void exportRows(benchmark::State& state, dalmir::model::ExportFormat format) {
    const dalmir::model::IndexTable& t = table();
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        dalmir::model::ExportReport r = dalmir::model::exportListedRows(
            t, format, dalmir::model::ExportMoves::None, [&](std::string_view s) {
                bytes += s.size();
                return true;
            });
        benchmark::DoNotOptimize(r.rows);
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetItemsProcessed(state.iterations() * kRows);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_ExportCsv100000(benchmark::State& state) {
    exportRows(state, dalmir::model::ExportFormat::Csv);
}
BENCHMARK(BM_ExportCsv100000)->Unit(benchmark::kMillisecond);

void BM_ExportJsonl100000(benchmark::State& state) {
    exportRows(state, dalmir::model::ExportFormat::Jsonl);
}
BENCHMARK(BM_ExportJsonl100000)->Unit(benchmark::kMillisecond);

}  // namespace
