// The board redrawn at window sizes from a small laptop to a large screen: the whole picture
// (board, stands, pieces, information box) painted offscreen into an image of the widget's size,
// with the pieces drawn at the size the scale asks for. A frame must stay under 16 ms at every
// size, and under 8 ms at 1400 x 1000.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "tavrel/app/board_widget.h"
#include "tests/support/random_record.h"

namespace {

void BM_BoardRedraw(benchmark::State& state) {
    tavrel::Settings settings;
    core::RecordStore store;
    testsupport::makeLegalLine(store, 60, 3);
    tavrel::BoardWidget board(store, settings);
    (void)board.reloadPictures();
    board.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    board.setSizeChoice(static_cast<int>(state.range(2)));
    QImage frame(board.size(), QImage::Format_RGB32);
    // The first frame draws the pieces at the new size; a resize pays it once.
    static_cast<QWidget&>(board).render(&frame);
    for (auto _ : state) {
        QPainter p(&frame);
        static_cast<QWidget&>(board).render(&p);
        p.end();
        benchmark::DoNotOptimize(frame.bits());
    }
    state.counters["scale"] = board.geometry().scale();
}
BENCHMARK(BM_BoardRedraw)
    ->Args({640, 420, tavrel::kBoardSizeFit})
    ->Args({800, 600, tavrel::kBoardSizeFit})
    ->Args({1400, 1000, tavrel::kBoardSizeFit})
    ->Args({1920, 1080, tavrel::kBoardSizeFit})
    ->Args({2560, 1440, tavrel::kBoardSizeFit})
    ->Args({3840, 2160, tavrel::kBoardSizeFit})
    ->Args({1400, 1000, 100})
    ->Args({1400, 1000, 200})
    ->Unit(benchmark::kMillisecond);

// A resize step: the scale changes, so the pieces are drawn anew before the frame.
void BM_BoardResizeStep(benchmark::State& state) {
    tavrel::Settings settings;
    core::RecordStore store;
    testsupport::makeLegalLine(store, 60, 3);
    tavrel::BoardWidget board(store, settings);
    (void)board.reloadPictures();
    int w = 1000;
    QImage frame(2600, 1500, QImage::Format_RGB32);
    for (auto _ : state) {
        w = w >= 2500 ? 1000 : w + 7;
        board.resize(w, w * 10 / 16);
        QPainter p(&frame);
        static_cast<QWidget&>(board).render(&p);
        p.end();
        benchmark::DoNotOptimize(frame.bits());
    }
}
BENCHMARK(BM_BoardResizeStep)->Unit(benchmark::kMillisecond);

}  // namespace
