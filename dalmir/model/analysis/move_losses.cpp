#include "dalmir/model/analysis/move_losses.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "usi/analysis_lines.h"

namespace dalmir::model {

std::string_view moveMarkText(MoveMark mark) {
    switch (mark) {
        case MoveMark::Slack:
            return "緩手";
        case MoveMark::Dubious:
            return "疑問手";
        case MoveMark::Blunder:
            return "悪手";
        case MoveMark::None:
            break;
    }
    return {};
}

bool MarkThresholds::valid() const {
    return slack > 0 && slack <= dubious && dubious <= blunder && blunder <= cap;
}

MoveMark markOf(int loss, const MarkThresholds& t) {
    if (loss >= t.blunder) return MoveMark::Blunder;
    if (loss >= t.dubious) return MoveMark::Dubious;
    if (loss >= t.slack) return MoveMark::Slack;
    return MoveMark::None;
}

std::optional<int> sideToMoveScore(const Evaluation& e) {
    switch (e.score.kind) {
        case usi::UsiScore::Kind::Centipawns:
            return e.score.value;
        case usi::UsiScore::Kind::Mate: {
            const int moves = std::min(std::abs(e.score.value), usi::kMateScore / 2);
            return e.score.value >= 0 ? usi::kMateScore - moves : -(usi::kMateScore - moves);
        }
        case usi::UsiScore::Kind::None:
            break;
    }
    if (e.best == BestMoveKind::Resign) return -usi::kMateScore;
    if (e.best == BestMoveKind::Win) return usi::kMateScore;
    return std::nullopt;
}

std::vector<MoveLoss> moveLosses(const EvaluationStore& store, uint8_t handicap,
                                 std::span<const ListMove> moves, const MarkThresholds& t) {
    std::vector<MoveLoss> out;
    ReplayBoard board;
    if (!startBoard(handicap, board)) return out;
    const auto scoreAt = [&](const ReplayBoard& b) -> std::optional<int> {
        const Evaluation* e = store.find(b);
        if (e == nullptr) return std::nullopt;
        std::optional<int> s = sideToMoveScore(*e);
        if (s) s = std::clamp(*s, -t.cap, t.cap);
        return s;
    };
    std::optional<int> before = scoreAt(board);
    ReplayStep step;
    int ply = 0;
    for (const ListMove m : moves) {
        const core::SideByte mover = board.sideToMove;
        if (m.isClosing() || !playListMove(board, m, step)) break;
        const std::optional<int> after = scoreAt(board);
        MoveLoss loss;
        loss.ply = ++ply;
        loss.mover = mover;
        if (before && after) {
            // The score after is the opponent's: turned round, it is the mover's.
            loss.loss = std::clamp(*before + *after, 0, t.cap);
            loss.mark = markOf(*loss.loss, t);
        }
        out.push_back(loss);
        before = after;
    }
    return out;
}

std::optional<double> SideSummary::averageLoss() const {
    if (scored == 0) return std::nullopt;
    return static_cast<double>(lossSum) / scored;
}

RecordLossSummary summariseLosses(std::span<const MoveLoss> losses) {
    RecordLossSummary s;
    for (const MoveLoss& l : losses) {
        if (!l.loss) {
            ++s.unscored;
            continue;
        }
        SideSummary& side = l.mover == core::kSideBlack ? s.black : s.white;
        ++side.scored;
        side.lossSum += *l.loss;
        ++side.marks[static_cast<std::size_t>(l.mark)];
    }
    return s;
}

ExtraColumns analysisColumns(const Database& db, const EvaluationStore& store,
                             const MarkThresholds& t) {
    ExtraColumns c;
    for (const char* side : {"black", "white"}) {
        for (const char* what : {"blunders", "dubious", "slack", "average_loss"}) {
            c.names.push_back(std::string(side) + "_" + what);
        }
    }
    c.names.push_back("unscored_moves");
    c.cells = [&db, &store, t](int32_t slot) {
        std::vector<std::string> cells;
        if (slot < 0 || slot >= db.table().size() || slot >= db.lists().size()) return cells;
        const std::vector<MoveLoss> losses =
            moveLosses(store, db.table().entry(slot).handicap, db.lists().list(slot), t);
        const RecordLossSummary s = summariseLosses(losses);
        if (s.black.scored + s.white.scored == 0) return cells;
        for (const SideSummary* side : {&s.black, &s.white}) {
            for (MoveMark m : {MoveMark::Blunder, MoveMark::Dubious, MoveMark::Slack}) {
                cells.push_back(std::to_string(side->marks[static_cast<std::size_t>(m)]));
            }
            char average[32] = "";
            if (auto a = side->averageLoss()) std::snprintf(average, sizeof average, "%.1f", *a);
            cells.emplace_back(average);
        }
        cells.push_back(std::to_string(s.unscored));
        return cells;
    };
    return c;
}

std::optional<int> storedScoreAfter(const EvaluationStore& store, const ReplayBoard& board,
                                    ListMove move, const MarkThresholds& t) {
    ReplayBoard after = board;
    ReplayStep step;
    if (move.isClosing() || !playListMove(after, move, step)) return std::nullopt;
    const Evaluation* e = store.find(after);
    if (e == nullptr) return std::nullopt;
    const std::optional<int> score = sideToMoveScore(*e);
    if (!score) return std::nullopt;
    return -std::clamp(*score, -t.cap, t.cap);
}

void evaluateBookMoves(const EvaluationStore& store, const ReplayBoard& board,
                       std::span<BookMove> moves, const MarkThresholds& t) {
    for (BookMove& m : moves) {
        const std::optional<int> value = storedScoreAfter(store, board, m.move, t);
        if (!value) continue;
        ReplayBoard after = board;
        ReplayStep step;
        (void)playListMove(after, m.move, step);
        const Evaluation* e = store.find(after);
        m.value = *value;
        m.depth = e != nullptr ? std::max(e->depth, 0) : 0;
    }
}

std::string markThresholdsText(const MarkThresholds& t) {
    return std::to_string(t.slack) + ',' + std::to_string(t.dubious) + ',' +
           std::to_string(t.blunder) + ',' + std::to_string(t.cap);
}

std::optional<MarkThresholds> parseMarkThresholds(std::string_view text) {
    std::vector<int> numbers;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view word = text.substr(0, comma);
        int n = 0;
        auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
        if (ec != std::errc() || end != word.data() + word.size() || word.empty()) {
            return std::nullopt;
        }
        numbers.push_back(n);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (numbers.size() != 3 && numbers.size() != 4) return std::nullopt;
    MarkThresholds t;
    t.slack = numbers[0];
    t.dubious = numbers[1];
    t.blunder = numbers[2];
    t.cap = numbers.size() == 4 ? numbers[3] : std::max(t.cap, t.blunder);
    if (!t.valid()) return std::nullopt;
    return t;
}

}  // namespace dalmir::model
