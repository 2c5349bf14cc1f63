// The database window at scale, offscreen: opening a DLS of 100,000 records and showing the
// list, sorting 100,000 rows by player, scrolling (with the number of cells the view asks for
// per screen), a position search over a binary database run from the window against the
// same search run on the engine directly, and deleting one row of a binary database of 100,000
// records (which keeps the database for undo) and undoing it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <filesystem>

#include "bench/dalmir_gui_data.h"
#include "core/text/sjis.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/logic/list_commands.h"
#include "dalmir/logic/sort_order.h"
#include "dalmir/logic/undo.h"
#include "dalmir/model/search/search.h"

namespace {

using benchdalmir::app;
using benchdalmir::context;
using benchdalmir::generatedEntry;
using benchdalmir::tempPath;

std::string writeDls(int records) {
    dalmir::model::Database db(records);
    for (int i = 0; i < records; ++i) (void)db.append(generatedEntry(i));
    const std::string path = tempPath(std::to_string(records) + ".DLS");
    if (dalmir::model::saveDatabase(db, path) != core::WriteResult::Ok) return {};
    return path;
}

void BM_OpenDls100000AndShowList(benchmark::State& state) {
    app();
    static const std::string path = writeDls(100000);
    dalmir::AppSettings settings;
    dalmir::MainWindow window(context(settings));
    window.resize(1000, 700);
    window.show();
    for (auto _ : state) {
        if (!window.openFile(dalmir::fromFsPath(path))) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(window.listView()->viewport()->grab());
    }
    state.counters["rows"] = window.listModel()->rowCount();
}
BENCHMARK(BM_OpenDls100000AndShowList)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SortByPlayer100000(benchmark::State& state) {
    dalmir::model::IndexTable table(100000);
    for (int i = 0; i < 100000; ++i) (void)table.append(generatedEntry(i));
    table.rebuildDisplayOrder();
    for (auto _ : state) {
        state.PauseTiming();
        (void)dalmir::sortDisplayOrder(table, 0);
        state.ResumeTiming();
        (void)dalmir::sortDisplayOrder(table, 6);
    }
}
BENCHMARK(BM_SortByPlayer100000)->Unit(benchmark::kMillisecond);

// Counts the cells a view asks for.
class CountingModel : public QIdentityProxyModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole) ++cells;
        return QIdentityProxyModel::data(index, role);
    }
    mutable long cells = 0;
};

void BM_ScrollOnePage100000(benchmark::State& state) {
    app();
    static const std::string path = writeDls(100000);
    dalmir::AppSettings settings;
    dalmir::MainWindow window(context(settings));
    window.resize(1000, 700);
    window.show();
    if (!window.openFile(dalmir::fromFsPath(path))) state.SkipWithError("open failed");
    CountingModel counting;
    counting.setSourceModel(window.listModel());
    QTableView view;
    view.setModel(&counting);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(1000, 700);
    view.show();
    QApplication::processEvents();
    (void)view.viewport()->grab();
    QScrollBar* bar = view.verticalScrollBar();
    long screens = 0;
    counting.cells = 0;
    for (auto _ : state) {
        bar->setValue((bar->value() + bar->pageStep()) % std::max(1, bar->maximum()));
        // Renders the viewport as a paint event would.
        benchmark::DoNotOptimize(view.viewport()->grab());
        ++screens;
    }
    state.counters["cells_per_screen"] =
        static_cast<double>(counting.cells) / static_cast<double>(std::max(1L, screens));
}
BENCHMARK(BM_ScrollOnePage100000)->Unit(benchmark::kMillisecond);

std::string writeBinary(int records) {
    dalmir::model::Database db(records);
    benchdalmir::fillBinary(db, records);
    const std::string path = tempPath(std::to_string(records) + ".dlb");
    if (dalmir::model::saveDatabase(db, path) != core::WriteResult::Ok) return {};
    return path;
}

QString targetText() {
    return QStringLiteral("手合割：平手\n手数----指手---------消費時間--\n   1 ７六歩(77)\n");
}

void BM_PositionSearchFromWindow50000(benchmark::State& state) {
    app();
    static const std::string path = writeBinary(50000);
    dalmir::AppSettings settings;
    dalmir::MainWindow window(context(settings));
    if (!window.openFile(dalmir::fromFsPath(path))) state.SkipWithError("open failed");
    for (auto _ : state) {
        QSignalSpy done(&window, &dalmir::MainWindow::operationDone);
        if (!window.startPositionSearch(targetText())) state.SkipWithError("no search");
        if (!done.wait(60000)) state.SkipWithError("timeout");
    }
    state.counters["hits"] = window.listModel()->rowCount();
}
BENCHMARK(BM_PositionSearchFromWindow50000)->Unit(benchmark::kMillisecond);

void BM_PositionSearchEngine50000(benchmark::State& state) {
    static const std::string path = writeBinary(50000);
    dalmir::model::Database db(200000);
    if (dalmir::model::openDatabase(db, path).code != dalmir::model::OpenResult::Ok) {
        state.SkipWithError("open failed");
    }
    dalmir::model::RecordExtractor extractor;
    dalmir::model::OperationHost host;
    dalmir::model::Searcher searcher(db, extractor, host);
    const dalmir::model::TargetRead target =
        dalmir::model::readTarget(dalmir::toUtf8(targetText()));
    dalmir::model::PositionSearchOptions options;
    options.alsoReversed = true;
    options.allRecords = true;
    int hits = 0;
    for (auto _ : state) hits = searcher.findPosition(target.position, options).hits;
    state.counters["hits"] = hits;
}
BENCHMARK(BM_PositionSearchEngine50000)->Unit(benchmark::kMillisecond);

void BM_DeleteAndUndo100000(benchmark::State& state) {
    static const std::string path = writeBinary(100000);
    dalmir::model::Database db(200000);
    if (dalmir::model::openDatabase(db, path).code != dalmir::model::OpenResult::Ok) {
        state.SkipWithError("open failed");
    }
    dalmir::UndoKeeper undo;
    for (auto _ : state) {
        undo.keep(db);
        dalmir::deleteSlots(db, {500});
        if (!undo.undo(db)) state.SkipWithError("nothing kept");
    }
    state.counters["records"] = db.table().size();
}
BENCHMARK(BM_DeleteAndUndo100000)->Unit(benchmark::kMillisecond);

}  // namespace
