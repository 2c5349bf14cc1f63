// PlayMove without windows: the silent step (kind 4) the replay uses to fast-forward, and a move
// entered by hand (kind 0) with its storing, thinking time and repetition count, on a 300-ply
// record.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/record/record_store.h"
#include "tavrel/logic/play/play_move.h"
#include "tests/support/random_record.h"

namespace {

constexpr int kPlies = 300;

struct QuietUi : tavrel::DocumentUi {
    void showMessage(const std::string&, const std::string&) override {}
    tavrel::Answer ask(const std::string&, const std::string&, bool) override {
        return tavrel::Answer::Yes;
    }
    tavrel::Answer askDefaultNo(const std::string&, const std::string&) override {
        return tavrel::Answer::No;
    }
    void showMessageList(const std::string&, const std::string&,
                         const std::vector<std::string>&) override {}
    tavrel::GameSaveChoice askGameSave(const std::string&) override {
        return tavrel::GameSaveChoice::DontSave;
    }
    std::optional<tavrel::FileChoice> chooseOpenFile(const tavrel::FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<tavrel::FileChoice> chooseSaveFile(const tavrel::FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> clipboardText() override { return std::nullopt; }
    void setStatusText(const std::string&) override {}
    void beep() override {}
    void setBusy(bool) override {}
    bool openWithDesktop(const std::string&) override { return false; }
    void documentChanged() override {}
};

// The move of the current node's first child as a caller gives it (a drop from its hand slot).
core::PackedMove nextMove(const core::RecordStore& store) {
    const core::MoveNode& n = store.node(store.node(store.current()).next);
    int origin = n.from;
    if (n.isDrop()) {
        core::PieceByte p = core::dropPiece(n.from);
        origin = core::findHandSlot(store.position(), core::sideOf(p), core::pieceType(p));
    }
    return core::packMove(origin, n.to);
}

void BM_SilentStep(benchmark::State& state) {
    core::RecordStore store;
    testsupport::makeLegalLine(store, kPlies, 0);
    store.backTo(0);
    tavrel::Settings settings;
    QuietUi ui;
    tavrel::Document doc(store, settings, ui);
    tavrel::MoveClock clock([] { return std::int64_t{0}; });
    for (auto _ : state) {
        for (int k = 0; k < kPlies; ++k) {
            if (tavrel::playMove(doc, clock, tavrel::PlayKind::Silent, nextMove(store), 0) !=
                tavrel::PlayResult::Done) {
                state.SkipWithError("step refused");
            }
        }
        state.PauseTiming();
        store.backTo(0);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPlies);
}
BENCHMARK(BM_SilentStep);

void BM_EnteredMoveAtPly300(benchmark::State& state) {
    core::RecordStore store;
    testsupport::makeLegalLine(store, kPlies, 0);
    store.backTo(0);
    while (store.node(store.current()).next != core::kNoNode) (void)store.stepForward();
    tavrel::Settings settings;
    QuietUi ui;
    tavrel::Document doc(store, settings, ui);
    doc.setMode(tavrel::ViewerMode::Playing);
    tavrel::MoveClock clock([] { return std::int64_t{0}; });
    std::mt19937 rng(7);
    core::PackedMove move = testsupport::randomLegalMove(store.position(), rng);
    core::NodeIndex at = store.current();
    for (auto _ : state) {
        if (tavrel::playMove(doc, clock, tavrel::PlayKind::Entered, move, 1) ==
            tavrel::PlayResult::Refused) {
            state.SkipWithError("refused");
        }
        state.PauseTiming();
        (void)store.backOne();
        (void)store.deleteChildMove(at, move);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EnteredMoveAtPly300);

}  // namespace
