#include "tests/support/random_record.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/rules/move_generator.h"
#include "core/text/sjis.h"

namespace testsupport {

namespace {

int draw(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

bool chance(std::mt19937& rng, int percent) { return draw(rng, 0, 99) < percent; }

const std::vector<std::string>& names() {
    static const std::vector<std::string> n = {std::string("山田太郎"), std::string("佐藤花子"),
                                               std::string("鈴木一郎"), std::string("高橋次郎"),
                                               std::string("田中三郎"), std::string("伊藤四郎")};
    return n;
}

const std::vector<std::string>& events() {
    static const std::vector<std::string> e = {std::string("練習対局"), std::string("順位戦"),
                                               std::string("名人戦"), std::string("新人戦")};
    return e;
}

// Plays random legal moves after `current` until the line is plies long or no move is left.
void playLine(core::RecordStore& store, std::mt19937& rng, int plies, bool times) {
    while (store.currentPly() < plies) {
        core::PackedMove m = randomLegalMove(store.position(), rng);
        if (m == 0) break;
        auto seconds = static_cast<std::uint16_t>(times ? draw(rng, 0, 300) : 0);
        if (store.addAndAdvance(core::kAddStoreAll, m, seconds) != core::AddResult::Ok) break;
    }
}

}  // namespace

core::PackedMove randomLegalMove(const core::Position& pos, std::mt19937& rng) {
    thread_local std::vector<core::PackedMove> moves;
    moves.clear();
    if (core::legalMoves(pos, pos.sideToMove, moves) == 0) return 0;
    return moves[static_cast<std::size_t>(draw(rng, 0, static_cast<int>(moves.size()) - 1))];
}

void makeRandomRecord(core::RecordStore& store, std::mt19937& rng,
                      const RandomRecordOptions& options) {
    using core::HeaderField;
    store.reset();
    store.clearHeader();
    store.setCustomStart(false);
    store.setFlipped(false);
    core::HandicapType handicap =
        chance(rng, options.handicapPercent) ? draw(rng, 1, 13) : core::kHandicapEven;
    store.setHandicap(handicap);
    store.setFirstMover(core::firstMoverOf(handicap));
    core::setupHandicap(store.position(), handicap);
    store.saveStartPosition();

    if (options.headers) {
        const auto& n = names();
        store.setPlayerName(core::PlayerField::Black, n[static_cast<std::size_t>(draw(rng, 0, 5))]);
        store.setPlayerName(core::PlayerField::White, n[static_cast<std::size_t>(draw(rng, 0, 5))]);
        store.setHeader(HeaderField::Event, events()[static_cast<std::size_t>(draw(rng, 0, 3))]);
        char date[32];
        std::snprintf(date, sizeof date, "%04d/%02d/%02d", draw(rng, 1990, 2026), draw(rng, 1, 12),
                      draw(rng, 1, 28));
        store.setHeader(HeaderField::StartDateTime, date);
    }

    bool times = chance(rng, options.timesPercent);
    int plies = draw(rng, options.minPlies, options.maxPlies);
    playLine(store, rng, plies, times);
    int end = store.currentPly();

    // The ending of the main line.
    switch (draw(rng, 0, 3)) {
        case 0:
            (void)store.addMove(core::kAddStoreAll, core::terminalMove(core::TerminalCode::Resign),
                                0);
            break;
        case 1:
            (void)store.addMove(core::kAddStoreAll, core::terminalMove(core::TerminalCode::Suspend),
                                0);
            break;
        case 2:
            (void)store.addMove(core::kAddStoreAll,
                                core::terminalMove(core::TerminalCode::TimeLoss), 0);
            break;
        default:
            break;
    }

    if (chance(rng, options.commentPercent)) {
        for (int i = 0; i < 3; ++i) {
            int ply = draw(rng, 0, end);
            (void)store.appendComment(ply, std::string("ここが好手。") + std::to_string(ply));
        }
    }
    if (chance(rng, options.bookmarkPercent) && end > 0) {
        int ply = draw(rng, 1, end);
        (void)store.setBookmark(store.nodeAtPly(ply), std::string("しおり") + std::to_string(ply));
    }
    if (chance(rng, options.variationPercent) && end > 4) {
        core::RecordOptions saved = store.options();
        store.setAddMode(core::AddMode::Branch);
        for (int v = draw(rng, 1, 3); v > 0; --v) {
            (void)store.goTo(core::kRootNode);
            int from = draw(rng, 1, end - 1);
            (void)store.goTo(store.nodeAtPly(from));
            playLine(store, rng, from + draw(rng, 1, 12), times);
        }
        store.setAddMode(saved.addMode);
    }
    (void)store.goTo(core::kRootNode);
    store.markClean();
}

void makeLegalLine(core::RecordStore& store, int plies, std::uint16_t seconds) {
    for (std::uint32_t seed = 1;; ++seed) {
        std::mt19937 rng(seed);
        store.reset();
        store.restoreStartPosition(store.position());
        while (store.currentPly() < plies) {
            core::PackedMove m = randomLegalMove(store.position(), rng);
            if (m == 0 ||
                store.addAndAdvance(core::kAddStoreAll, m, seconds) != core::AddResult::Ok) {
                break;
            }
        }
        if (store.currentPly() == plies) break;
    }
}

}  // namespace testsupport
