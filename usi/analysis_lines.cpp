#include "usi/analysis_lines.h"

#include <algorithm>
#include <optional>

#include "core/formats/usi.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace usi {

std::string scoreText(const UsiScore& score, core::SideByte sideToMove, bool blackView) {
    static const std::string mate = std::string("詰");
    static const std::string lower = std::string("以上");
    static const std::string upper = std::string("以下");
    if (score.kind == UsiScore::Kind::None) return "";
    const bool flip = blackView && sideToMove == core::kSideWhite;
    int value = flip ? -score.value : score.value;
    UsiScore::Bound bound = score.bound;
    if (flip && bound != UsiScore::Bound::Exact) {
        bound = bound == UsiScore::Bound::Lower ? UsiScore::Bound::Upper : UsiScore::Bound::Lower;
    }
    std::string s;
    if (score.kind == UsiScore::Kind::Mate) {
        s = (value < 0 ? "-" : "+") + mate;
        if (!score.signOnly) s += std::to_string(value < 0 ? -value : value);
    } else {
        s = value > 0 ? "+" + std::to_string(value) : std::to_string(value);
    }
    if (bound == UsiScore::Bound::Lower) s += lower;
    if (bound == UsiScore::Bound::Upper) s += upper;
    return s;
}

int blackScore(const UsiScore& score, core::SideByte sideToMove) {
    int value = 0;
    if (score.kind == UsiScore::Kind::Centipawns) {
        value = std::clamp(score.value, -kMateScore + 1000, kMateScore - 1000);
    } else if (score.kind == UsiScore::Kind::Mate) {
        const int moves = std::min(score.value < 0 ? -score.value : score.value, 999);
        value = score.value < 0 ? -(kMateScore - moves) : kMateScore - moves;
    }
    return sideToMove == core::kSideWhite ? -value : value;
}

std::vector<core::MoveNode> pvNodes(const core::Position& pos, const std::vector<std::string>& pv,
                                    int* illegalAt) {
    std::vector<core::MoveNode> nodes;
    if (illegalAt) *illegalAt = -1;
    core::Position p = pos;
    for (std::size_t i = 0; i < pv.size(); ++i) {
        std::optional<core::PackedMove> move = core::legalUsiMove(p, pv[i]);
        if (!move) {
            if (illegalAt) *illegalAt = static_cast<int>(i);
            break;
        }
        nodes.push_back(core::moveNodeOf(p, *move));
        const int to = core::moveDestination(*move);
        // LegalUsiMove only gives moves that can be made.
        (void)core::applyMove(p, core::moveOrigin(*move), to & ~core::kPromoteFlag,
                              (to & core::kPromoteFlag) != 0);
        p.sideToMove = core::opponent(p.sideToMove);
    }
    return nodes;
}

std::string pvText(const core::Position& pos, const std::vector<std::string>& pv,
                   int previousDestination, const core::NotationOptions& options,
                   std::size_t maxBytes) {
    std::string s;
    int previous = previousDestination;
    for (const core::MoveNode& n : pvNodes(pos, pv)) {
        std::string move = core::traditionalText(n, previous, core::DestinationForm::FullWidth,
                                                 core::MarkStyle::Up, 0, options);
        if (maxBytes > 0 && core::cp932Width(s) + core::cp932Width(move) > maxBytes) break;
        s += move;
        previous = n.destination();
    }
    return s;
}

int addPvAsVariation(core::RecordStore& store, const std::vector<std::string>& pv) {
    const core::NodeIndex start = store.current();
    const core::AddMode mode = store.options().addMode;
    store.setAddMode(core::AddMode::Branch);
    int added = 0;
    for (const std::string& word : pv) {
        std::optional<core::PackedMove> move = core::legalUsiMove(store.position(), word);
        if (!move) break;
        if (store.addAndAdvance(core::kAddNoSeconds, *move, 0) != core::AddResult::Ok) break;
        ++added;
    }
    store.setAddMode(mode);
    // `start` was in use before and adding frees no node.
    (void)store.goTo(start);
    return added;
}

void AnalysisLines::reset(const core::Position& pos, int previousDestination) {
    m_position = pos;
    m_previousDestination = previousDestination;
    m_lines.clear();
    m_depth = m_selDepth = -1;
    m_nodes = m_nps = -1;
    m_text.clear();
    m_changed = true;
}

void AnalysisLines::add(const UsiInfo& info) {
    if (info.depth >= 0) m_depth = info.depth;
    if (info.selDepth >= 0) m_selDepth = info.selDepth;
    if (info.nodes >= 0) m_nodes = info.nodes;
    if (info.nps >= 0) m_nps = info.nps;
    if (!info.text.empty()) m_text = info.text;
    m_changed = true;
    if (info.pv.empty() && info.score.kind == UsiScore::Kind::None) return;
    const std::size_t index = static_cast<std::size_t>(info.multiPv - 1);
    // A rank far beyond the lines shown is not worth a table that size.
    if (index >= 64) return;
    if (index >= m_lines.size()) m_lines.resize(index + 1);
    AnalysisLine& line = m_lines[index];
    line.multiPv = info.multiPv;
    line.depth = info.depth;
    line.selDepth = info.selDepth;
    line.nodes = info.nodes;
    line.nps = info.nps;
    if (info.score.kind != UsiScore::Kind::None) line.score = info.score;
    if (!info.pv.empty()) line.pv = info.pv;
}

std::string AnalysisLines::totalsText() const {
    static const std::string depth = std::string(core::translate("深さ "));
    static const std::string nodes = std::string(core::translate("  ノード "));
    std::string s = depth + (m_depth >= 0 ? std::to_string(m_depth) : std::string("-"));
    if (m_selDepth >= 0) s += "/" + std::to_string(m_selDepth);
    s += nodes + (m_nodes >= 0 ? std::to_string(m_nodes) : std::string("-"));
    s += "  NPS " + (m_nps >= 0 ? std::to_string(m_nps) : std::string("-"));
    return s;
}

}  // namespace usi
