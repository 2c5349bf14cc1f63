// The researcher's window: the time from selecting a row to the board pane's picture (the
// record's list replayed and the board drawn), and from switching a filter chip off to the list
// shown again (the stack combined, the list model reset and the visible rows painted).
//
// The databases are generated (records with three moves each); DALMIR_FILTER_RECORDS sets the
// size of the filter benchmark (1,000,000 unless given).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <cstdlib>
#include <map>

#include "bench/dalmir_gui_data.h"
#include "dalmir/app/board_dock.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"

namespace {

using benchdalmir::app;
using benchdalmir::binaryDatabase;
using benchdalmir::context;
using benchdalmir::tempPath;

// Selecting rows one after another: each time until the board pane's picture is drawn.
void BM_SelectRowToBoardPicture(benchmark::State& state) {
    app();
    const int records = static_cast<int>(state.range(0));
    const std::string& path = binaryDatabase(records);
    if (path.empty()) return state.SkipWithError("database not written");
    dalmir::AppSettings settings;
    dalmir::MainWindow window(context(settings, records));
    window.resize(1400, 1000);
    window.show();
    if (!window.openFile(dalmir::fromFsPath(path))) return state.SkipWithError("open failed");
    QApplication::processEvents();
    QTableView* list = window.listView();
    dalmir::BoardDock* dock = window.boardDock();
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % records;
        QElapsedTimer clock;
        clock.start();
        list->selectRow(row);
        const QPixmap picture = dock->board()->grab();
        benchmark::DoNotOptimize(picture.cacheKey());
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    }
    if (dock->pane().slot() < 0) state.SkipWithError("the pane showed nothing");
}
BENCHMARK(BM_SelectRowToBoardPicture)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

// Two chips (a player and a result); switching the player's off until the list is painted.
void BM_FilterOffToListShown(benchmark::State& state) {
    app();
    const int records = static_cast<int>(state.range(0));
    const std::string& path = binaryDatabase(records);
    if (path.empty()) return state.SkipWithError("database not written");
    dalmir::AppSettings settings;
    dalmir::MainWindow window(context(settings, records));
    window.resize(1400, 1000);
    window.show();
    if (!window.openFile(dalmir::fromFsPath(path))) return state.SkipWithError("open failed");
    dalmir::FilterDefinition player;
    player.header.black = "羽生";
    dalmir::FilterDefinition result;
    result.kind = dalmir::FilterKind::Result;
    result.result = 2;
    if (!window.addFilter(player) || !window.addFilter(result)) {
        return state.SkipWithError("filters not added");
    }
    QApplication::processEvents();
    const int narrowed = window.listModel()->rowCount();
    int shown = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        window.setFilterEnabled(0, false);
        window.listView()->viewport()->repaint();
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        shown = window.listModel()->rowCount();
        window.setFilterEnabled(0, true);
        QApplication::processEvents();
    }
    state.counters["rows_on"] = narrowed;
    state.counters["rows_off"] = shown;
}

void filterSizes(benchmark::internal::Benchmark* b) {
    const char* n = std::getenv("DALMIR_FILTER_RECORDS");
    b->Arg(n ? std::atoi(n) : 1000000);
}
BENCHMARK(BM_FilterOffToListShown)
    ->Apply(filterSizes)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace
