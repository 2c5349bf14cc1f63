// Moving through a long record with the windows drawing it, offscreen: 最終局面へ on a
// 10,000-ply record (one redraw of board and record window), the record window with 10,000 lines
// opened and painted, and that list scrolled a page at a time. Budgets: 50 ms for the jump,
// 100 ms for opening, a frame (16 ms) for a scroll step.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>

#include "tavrel/app/main_window.h"
#include "tavrel/logic/view/navigation.h"

namespace {

constexpr int kPlies = 10000;

// Kings stepping to and fro: a legal record of any length.
void buildRecord(core::RecordStore& store) {
    store.reset();
    store.restoreStartPosition(store.position());
    const core::PackedMove cycle[4] = {core::packMove(59, 58), core::packMove(51, 52),
                                       core::packMove(58, 59), core::packMove(52, 51)};
    for (int i = 0; i < kPlies; ++i) {
        if (store.addAndAdvance(core::kAddStoreAll, cycle[i % 4], 3) != core::AddResult::Ok) break;
    }
    store.backTo(0);
}

struct Fixture {
    Fixture() : store(kPlies + 10) {
        buildRecord(store);
        tavrel::AppContext c;
        c.settings = &settings;
        c.store = &store;
        c.programFolder = folder.path() + QStringLiteral("/");
        c.folderWritable = false;
        c.profileName.clear();
        c.quiet = true;
        window = std::make_unique<tavrel::MainWindow>(c);
        window->resize(640, 480);
        window->show();
        window->recordWindow()->resize(240, 400);
        window->recordWindow()->show();
        window->refreshAll();
        QApplication::processEvents();
    }
    QTemporaryDir folder;
    tavrel::Settings settings;
    core::RecordStore store;
    std::unique_ptr<tavrel::MainWindow> window;
};

void BM_ToEndOfLongRecord(benchmark::State& state) {
    Fixture f;
    if (f.store.lineEnd() != kPlies) state.SkipWithError("record not built");
    for (auto _ : state) {
        tavrel::step(f.window->document(), tavrel::Step::ToEnd);
        f.window->board()->repaint();
        f.window->recordWindow()->view()->viewport()->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        if (f.store.currentPly() != kPlies) state.SkipWithError("not at the end");
        f.store.backTo(0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ToEndOfLongRecord)->Unit(benchmark::kMillisecond);

void BM_OpenRecordWindowOf10000Lines(benchmark::State& state) {
    Fixture f;
    f.store.backTo(kPlies / 2);
    for (auto _ : state) {
        tavrel::RecordWindow w(f.store, f.settings, nullptr);
        w.resize(240, 400);
        w.refresh();
        w.show();
        w.view()->viewport()->repaint();
        QApplication::processEvents();
        if (w.model()->rowCount() != kPlies + 1) state.SkipWithError("lines missing");
    }
}
BENCHMARK(BM_OpenRecordWindowOf10000Lines)->Unit(benchmark::kMillisecond);

void BM_ScrollRecordWindowOf10000Lines(benchmark::State& state) {
    Fixture f;
    QScrollBar* bar = f.window->recordWindow()->view()->verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = value + bar->pageStep() > bar->maximum() ? 0 : value + bar->pageStep();
        bar->setValue(value);
        f.window->recordWindow()->view()->viewport()->repaint();
    }
}
BENCHMARK(BM_ScrollRecordWindowOf10000Lines)->Unit(benchmark::kMillisecond);

}  // namespace
