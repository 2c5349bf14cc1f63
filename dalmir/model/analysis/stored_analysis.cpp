#include "dalmir/model/analysis/stored_analysis.h"

#include "dalmir/model/analysis/move_losses.h"
#include "dalmir/model/tree/opening_tree.h"
#include "usi/record_analysis.h"

namespace dalmir::model {

namespace {

// The main line's nodes: the root, then each move up to the closing entry.
std::vector<core::NodeIndex> mainLineNodes(const core::RecordStore& record) {
    std::vector<core::NodeIndex> nodes;
    for (core::NodeIndex n = core::kRootNode; n != core::kNoNode; n = record.node(n).next) {
        if (n != core::kRootNode && record.node(n).isTerminal()) break;
        nodes.push_back(n);
    }
    return nodes;
}

}  // namespace

std::vector<const Evaluation*> storedEvaluations(const core::RecordStore& record,
                                                 const EvaluationStore& evaluations) {
    std::vector<const Evaluation*> out;
    for (core::NodeIndex n : mainLineNodes(record)) {
        core::Position pos;
        const Evaluation* e = nullptr;
        if (record.positionAt(n, pos) == core::EditResult::Ok) {
            ReplayBoard board;
            board.load(pos);
            e = evaluations.find(board);
        }
        out.push_back(e);
    }
    return out;
}

std::vector<std::optional<int>> storedMainLineScores(const core::RecordStore& record,
                                                     const EvaluationStore& evaluations) {
    std::vector<std::optional<int>> out;
    for (const Evaluation* e : storedEvaluations(record, evaluations)) {
        std::optional<int> score;
        if (e != nullptr) {
            // The packed position begins with its side to move.
            const core::SideByte side =
                !e->position.empty() && e->position[0] == 1 ? core::kSideBlack : core::kSideWhite;
            if (e->score.kind != usi::UsiScore::Kind::None) {
                score = usi::blackScore(e->score, side);
            } else if (std::optional<int> s = sideToMoveScore(*e)) {
                score = side == core::kSideBlack ? *s : -*s;
            }
        }
        out.push_back(score);
    }
    return out;
}

usi::AnalysisLine analysisLineOf(const Evaluation& e) {
    usi::AnalysisLine line;
    line.score = e.score;
    line.depth = e.depth;
    line.nodes = e.nodes;
    for (const ListMove m : e.pv) line.pv.push_back(usiMoveText(m));
    return line;
}

int writeStoredAnalysis(core::RecordStore& record, const EvaluationStore& evaluations,
                        const core::NotationOptions& notation) {
    const std::vector<core::NodeIndex> nodes = mainLineNodes(record);
    const std::vector<const Evaluation*> found = storedEvaluations(record, evaluations);
    const core::NodeIndex shown = record.current();
    int written = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const Evaluation* e = found[i];
        if (e == nullptr || e->score.kind == usi::UsiScore::Kind::None) continue;
        core::Position pos;
        if (record.positionAt(nodes[i], pos) != core::EditResult::Ok) continue;
        const int previous = nodes[i] == core::kRootNode ? 0 : record.node(nodes[i]).destination();
        const std::string line = usi::analysisLine(pos, analysisLineOf(*e), previous, notation);
        const std::string comment =
            usi::withAnalysisLine(record.node(nodes[i]).commentText(), line);
        // Comments are written by ply on the current line: go there and come back.
        if (record.goTo(nodes[i]) != core::EditResult::Ok) continue;
        if (record.replaceComment(record.currentPly(), comment) == core::CommentResult::Ok) {
            ++written;
        }
    }
    (void)record.goTo(shown);
    return written;
}

}  // namespace dalmir::model
