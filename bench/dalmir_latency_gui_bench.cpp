// How long Dalmir's window goes without answering while a large binary database is opened,
// saved, has 10,000 records deleted and is put into its list's order: a timer on the GUI thread
// ticks every 5 ms and the longest gap between two ticks is the longest time the thread was
// busy (counter gui_max_ms, the tick's 5 ms included). Beside each, the same model call made
// on the calling thread, as the window made it before the work went to the worker: the time it
// takes is the time such a window stayed frozen.
//
// The databases are generated (records with three moves each); DALMIR_LATENCY_RECORDS sets a
// size of its own beside 100,000 (such as 1000000).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "bench/corpus.h"
#include "bench/dalmir_gui_data.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/logic/list_commands.h"
#include "dalmir/logic/sort_order.h"
#include "dalmir/logic/undo.h"

namespace {

using benchdalmir::app;
using benchdalmir::binaryDatabase;
using benchdalmir::context;
using benchdalmir::generatedEntry;
using benchdalmir::tempPath;

// The longest gap between two ticks of a 5 ms timer on the GUI thread.
class LatencyProbe {
public:
    LatencyProbe() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            m_worst = std::max(m_worst, now - m_last);
            m_last = now;
        });
    }
    void start() {
        m_worst = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    qint64 stop() {
        m_timer.stop();
        // The gap up to the end counts too.
        return std::max(m_worst, m_clock.elapsed() - m_last);
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_worst = 0;
};

QAction* menuAction(dalmir::MainWindow& window, const QString& text) {
    for (QAction* menu : window.menuBar()->actions()) {
        if (!menu->menu()) continue;
        for (QAction* a : menu->menu()->actions()) {
            if (a->text().startsWith(text)) return a;
        }
    }
    return nullptr;
}

// Triggers a menu command and processes events until the operation it started has ended.
bool runCommand(dalmir::MainWindow& window, const QString& text) {
    QAction* action = menuAction(window, text);
    if (!action || !action->isEnabled()) return false;
    QSignalSpy done(&window, &dalmir::MainWindow::operationDone);
    action->trigger();
    return !window.isBusy() || done.wait(600000);
}

// Through the window: open, save (after a change), delete 10,000 records, take the list order.
void BM_WindowLatency(benchmark::State& state) {
    app();
    const int records = static_cast<int>(state.range(0));
    const std::string& path = binaryDatabase(records);
    if (path.empty()) return state.SkipWithError("database not written");
    dalmir::AppSettings settings;
    dalmir::MainWindow window(context(settings, records));
    window.resize(1000, 700);
    window.show();
    LatencyProbe probe;
    const QString qpath = dalmir::fromFsPath(path);
    double open = 0, save = 0, remove = 0, reorder = 0;
    for (auto _ : state) {
        probe.start();
        if (!window.openFile(qpath)) return state.SkipWithError("open failed");
        QApplication::processEvents();
        open = static_cast<double>(probe.stop());

        window.database().setModified();
        probe.start();
        if (!window.saveFile()) return state.SkipWithError("save failed");
        QApplication::processEvents();
        save = static_cast<double>(probe.stop());

        QTableView* view = window.listView();
        view->selectionModel()->select(
            QItemSelection(window.listModel()->index(0, 0), window.listModel()->index(9999, 0)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        probe.start();
        if (!runCommand(window, QString::fromUtf8("削除(&D)"))) {
            return state.SkipWithError("delete failed");
        }
        QApplication::processEvents();
        remove = static_cast<double>(probe.stop());

        // The list in another order, then that order taken as the registration order.
        window.setSortOrder(6);
        probe.start();
        if (!runCommand(window, QString::fromUtf8("棋譜登録順の変更"))) {
            return state.SkipWithError("reorder failed");
        }
        QApplication::processEvents();
        reorder = static_cast<double>(probe.stop());
    }
    state.counters["open_gui_max_ms"] = open;
    state.counters["save_gui_max_ms"] = save;
    state.counters["delete_gui_max_ms"] = remove;
    state.counters["reorder_gui_max_ms"] = reorder;
    state.counters["records"] = window.database().table().size();
    state.counters["peak_MB"] = benchcorpus::peakMegabytes();
}

// The same work called directly, as the window did it on its own thread before.
void BM_CallingThread(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string& path = binaryDatabase(records);
    if (path.empty()) return state.SkipWithError("database not written");
    double open = 0, save = 0, remove = 0, reorder = 0;
    for (auto _ : state) {
        dalmir::model::Database db(std::max(records, 200000));
        auto start = std::chrono::steady_clock::now();
        if (dalmir::model::openDatabase(db, path).code != dalmir::model::OpenResult::Ok) {
            return state.SkipWithError("open failed");
        }
        open = benchcorpus::secondsSince(start) * 1000;
        db.setModified();
        start = std::chrono::steady_clock::now();
        if (dalmir::model::saveDatabase(db, path) != core::WriteResult::Ok) {
            return state.SkipWithError("save failed");
        }
        save = benchcorpus::secondsSince(start) * 1000;
        dalmir::UndoKeeper undo;
        std::vector<int> slots(10000);
        for (int i = 0; i < 10000; ++i) slots[static_cast<std::size_t>(i)] = i;
        start = std::chrono::steady_clock::now();
        undo.keep(db);
        dalmir::deleteSlots(db, slots);
        remove = benchcorpus::secondsSince(start) * 1000;
        (void)dalmir::sortDisplayOrder(db.table(), 6);
        start = std::chrono::steady_clock::now();
        undo.keep(db);
        (void)dalmir::adoptListOrder(db);
        reorder = benchcorpus::secondsSince(start) * 1000;
    }
    state.counters["open_ms"] = open;
    state.counters["save_ms"] = save;
    state.counters["delete_ms"] = remove;
    state.counters["reorder_ms"] = reorder;
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000);
    if (const char* n = std::getenv("DALMIR_LATENCY_RECORDS")) b->Arg(std::atoi(n));
}
BENCHMARK(BM_WindowLatency)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CallingThread)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
