// The engine's flood: 10,000 "info" lines of a MultiPV search read by the session and taken into
// the analysis lines, as the analysis view receives them between two redraws; and the redraw's
// own work, the texts of the lines (PV in traditional notation).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "usi/analysis_lines.h"
#include "usi/usi_engine.h"

namespace {

constexpr int kLines = 10000;

struct NullLink : usi::UsiLink {
    void send(std::string_view) override {}
    void kill() override {}
};

struct Collect : usi::UsiEvents {
    usi::AnalysisLines* lines = nullptr;
    void engineInfo(const usi::UsiInfo& info) override { lines->add(info); }
};

std::vector<std::string> floodLines() {
    const char* const pvs[] = {"7g7f 3c3d 2g2f 8c8d 2f2e 8d8e 6i7h 4a3b 2e2d 2c2d 2h2d",
                               "2g2f 8c8d 7g7f 8d8e 8h7g 3c3d 7i6h 2b7g+ 6h7g 3a2b",
                               "5g5f 3c3d 2h5h 8c8d 5f5e 8d8e 8h7g 7a6b 7i6h 5a4b"};
    std::vector<std::string> lines;
    for (int i = 0; i < kLines; ++i) {
        const int rank = i % 3;
        lines.push_back("info depth " + std::to_string(i / 300 + 1) + " seldepth " +
                        std::to_string(i / 300 + 5) + " time " + std::to_string(i) + " nodes " +
                        std::to_string(i * 1000) + " nps 2500000 hashfull 120 multipv " +
                        std::to_string(rank + 1) + " score cp " + std::to_string(40 - rank * 25) +
                        " pv " + pvs[rank]);
    }
    return lines;
}

void BM_InfoFlood(benchmark::State& state) {
    const std::vector<std::string> lines = floodLines();
    core::Position start;
    core::setupHandicap(start, core::kHandicapEven);
    std::int64_t now = 0;
    for (auto _ : state) {
        NullLink link;
        Collect collect;
        usi::AnalysisLines analysis;
        collect.lines = &analysis;
        usi::UsiEngine engine(link, collect, [&now] { return now; });
        engine.start();
        engine.receive("usiok");
        engine.receive("readyok");
        usi::GoLimits limits;
        limits.infinite = true;
        engine.go(start, "position startpos", limits);
        analysis.reset(start, 0);
        for (const std::string& l : lines) engine.receive(l);
        benchmark::DoNotOptimize(analysis.takeChanged());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_InfoFlood)->Unit(benchmark::kMillisecond);

void BM_LineTexts(benchmark::State& state) {
    const std::vector<std::string> lines = floodLines();
    core::Position start;
    core::setupHandicap(start, core::kHandicapEven);
    usi::AnalysisLines analysis;
    analysis.reset(start, 0);
    usi::UsiInfo info;
    for (int i = kLines - 3; i < kLines; ++i) {
        (void)usi::parseInfo(lines[static_cast<std::size_t>(i)], info);
        analysis.add(info);
    }
    for (auto _ : state) {
        for (const usi::AnalysisLine& l : analysis.lines()) {
            benchmark::DoNotOptimize(usi::pvText(start, l.pv, 0, {}));
            benchmark::DoNotOptimize(usi::scoreText(l.score, start.sideToMove, true));
        }
    }
}
BENCHMARK(BM_LineTexts)->Unit(benchmark::kMicrosecond);

}  // namespace
