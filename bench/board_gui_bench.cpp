// A move entered on the board (PlayMove kind 0) with the redraw it causes: the board widget
// painted and the record window's list rebuilt, offscreen, at the end of a 300-ply record. The
// frame budget is 16 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <random>

#include "tavrel/app/main_window.h"
#include "tavrel/logic/play/play_move.h"
#include "tests/support/random_record.h"

namespace {

constexpr int kPlies = 300;

void BM_EnteredMoveWithRedraw(benchmark::State& state) {
    QTemporaryDir folder;
    tavrel::Settings settings;
    core::RecordStore store;
    testsupport::makeLegalLine(store, kPlies, 0);
    tavrel::AppContext c;
    c.settings = &settings;
    c.store = &store;
    c.programFolder = folder.path() + QStringLiteral("/");
    c.folderWritable = false;
    c.profileName.clear();
    c.quiet = true;
    tavrel::MainWindow window(c);
    window.resize(640, 480);
    window.show();
    window.recordWindow()->show();
    window.document().setMode(tavrel::ViewerMode::Playing);
    QApplication::processEvents();
    std::mt19937 rng(7);
    core::PackedMove move = testsupport::randomLegalMove(store.position(), rng);
    core::NodeIndex at = store.current();
    for (auto _ : state) {
        if (tavrel::playMove(window.document(), window.moveClock(), tavrel::PlayKind::Entered, move,
                             1) == tavrel::PlayResult::Refused) {
            state.SkipWithError("refused");
        }
        window.board()->repaint();
        window.recordWindow()->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        (void)store.backOne();
        (void)store.deleteChildMove(at, move);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EnteredMoveWithRedraw)->Unit(benchmark::kMillisecond);

}  // namespace
