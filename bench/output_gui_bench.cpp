// The record's outputs a user waits for: a picture of the view encoded as GIF (exact colours and
// quantised), the record page of a 300-ply record printed to a PDF file, one previewed page
// painted, and the variation diagram and printed record lines built.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdint>
#include <random>

#include "tavrel/app/main_window.h"
#include "tavrel/app/print_painter.h"
#include "tavrel/logic/output/copy_commands.h"
#include "tavrel/logic/output/print_layout.h"
#include "tavrel/logic/output/text_options.h"
#include "tavrel/platform/gif_writer.h"
#include "tests/support/random_record.h"

namespace {

constexpr int kPlies = 300;

// A quiet main window over a 300-ply record, shown offscreen.
struct Fixture {
    Fixture() {
        testsupport::makeLegalLine(store, kPlies, 7);
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
        QApplication::processEvents();
    }
    QTemporaryDir folder;
    tavrel::Settings settings;
    core::RecordStore store;
    std::unique_ptr<tavrel::MainWindow> window;
};

void BM_GifOfTheBoardView(benchmark::State& state) {
    Fixture f;
    const QImage picture = f.window->exports().captureView();
    for (auto _ : state) benchmark::DoNotOptimize(tavrel::encodeGif(picture));
    state.SetLabel(std::to_string(picture.width()) + "x" + std::to_string(picture.height()));
}
BENCHMARK(BM_GifOfTheBoardView)->Unit(benchmark::kMillisecond);

void BM_GifQuantised640x480(benchmark::State& state) {
    QImage picture(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) picture.setPixel(x, y, qRgb(x % 256, y % 256, (x ^ y) % 256));
    }
    for (auto _ : state) benchmark::DoNotOptimize(tavrel::encodeGif(picture));
}
BENCHMARK(BM_GifQuantised640x480)->Unit(benchmark::kMillisecond);

void BM_PrintRecordToPdf(benchmark::State& state) {
    Fixture f;
    const QString pdf = f.folder.filePath(QStringLiteral("out.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        if (tavrel::printDocument(printer, f.window->document(), tavrel::PrintKind::Record) != 0) {
            state.SkipWithError("print failed");
        }
    }
}
BENCHMARK(BM_PrintRecordToPdf)->Unit(benchmark::kMillisecond);

void BM_PreviewPage(benchmark::State& state) {
    Fixture f;
    const auto kind = static_cast<tavrel::PrintKind>(state.range(0));
    QImage page(600, 850, QImage::Format_RGB32);
    tavrel::PageArea area;
    area.rect = page.rect();
    area.dpiX = area.dpiY = 600 / (210 / 25.4);
    for (auto _ : state) {
        page.fill(Qt::white);
        QPainter p(&page);
        tavrel::PrintPainter(f.window->document()).drawPage(p, area, kind, 0);
    }
}
BENCHMARK(BM_PreviewPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_PrintedRecordLines(benchmark::State& state) {
    core::RecordStore store;
    testsupport::makeLegalLine(store, kPlies, 7);
    const tavrel::Settings settings;
    const core::TextOutputOptions text = tavrel::textOutputOptions(settings);
    const tavrel::PrintRecordOptions options = tavrel::printRecordOptions(settings, true);
    for (auto _ : state) benchmark::DoNotOptimize(tavrel::printedRecordLines(store, text, options));
}
BENCHMARK(BM_PrintedRecordLines)->Unit(benchmark::kMicrosecond);

void BM_VariationDiagramText(benchmark::State& state) {
    Fixture f;
    f.store.backTo(0);
    f.settings.recordTree[0] = kPlies;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            tavrel::productText(f.window->document(), tavrel::CopyProduct::VariationDiagram));
    }
}
BENCHMARK(BM_VariationDiagramText)->Unit(benchmark::kMicrosecond);

}  // namespace
