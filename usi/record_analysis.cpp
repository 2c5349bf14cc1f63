#include "usi/record_analysis.h"

#include <charconv>
#include <utility>

#include "core/formats/usi.h"
#include "core/text/sjis.h"

namespace usi {

namespace {

struct Words {
    std::string prefix = std::string("解析：");
    std::string score = std::string("評価値 ");
    std::string depth = std::string(" 深さ ");
    std::string pv = std::string(" 読み筋 ");
    std::string mate = std::string("詰");
};

const Words& words() {
    static const Words w;
    return w;
}

// Calls f(line) for each line of text (without its line end).
template <class F>
void forEachLine(std::string_view text, F&& f) {
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        f(line);
    }
}

bool isAnalysisLine(std::string_view line) { return line.starts_with(analysisPrefix()); }

std::optional<int> scoreOfLine(std::string_view line) {
    const Words& w = words();
    line.remove_prefix(w.prefix.size());
    if (!line.starts_with(w.score)) return std::nullopt;
    line.remove_prefix(w.score.size());
    if (line.empty() || (line[0] != '+' && line[0] != '-')) {
        // "0" has no sign.
        int value = 0;
        auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
        if (ec != std::errc() || end == line.data()) return std::nullopt;
        return value;
    }
    const bool negative = line[0] == '-';
    line.remove_prefix(1);
    int value = 0;
    if (line.starts_with(w.mate)) {
        line.remove_prefix(w.mate.size());
        int moves = 0;
        // No digits: a mate of unknown length, scored as mate in 0.
        (void)std::from_chars(line.data(), line.data() + line.size(), moves);
        value = kMateScore - std::min(moves, 999);
    } else {
        auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
        if (ec != std::errc() || end == line.data()) return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace

std::string_view analysisPrefix() { return words().prefix; }

std::string analysisLine(const core::Position& pos, const AnalysisLine& line,
                         int previousDestination, const core::NotationOptions& options) {
    const Words& w = words();
    std::string s = w.prefix + w.score + scoreText(line.score, pos.sideToMove, true);
    if (line.depth >= 0) s += w.depth + std::to_string(line.depth);
    const std::string head = s + w.pv;
    const std::size_t headWidth =
        core::cp932Width(head);  // the line's length is in Shift-JIS bytes
    if (headWidth >= kAnalysisLineBytes) return s;
    std::string moves =
        pvText(pos, line.pv, previousDestination, options, kAnalysisLineBytes - headWidth);
    return moves.empty() ? s : head + moves;
}

std::string withAnalysisLine(std::string_view comment, std::string_view line) {
    std::string out;
    forEachLine(comment, [&](std::string_view l) {
        if (isAnalysisLine(l)) return;
        out += l;
        out += '\n';
    });
    if (!line.empty()) {
        out += line;
        out += '\n';
    }
    return out;
}

std::optional<int> analysedScore(std::string_view comment) {
    std::optional<int> score;
    forEachLine(comment, [&](std::string_view l) {
        if (!score && isAnalysisLine(l)) score = scoreOfLine(l);
    });
    return score;
}

std::vector<std::optional<int>> mainLineScores(const core::RecordStore& store) {
    std::vector<std::optional<int>> scores;
    for (core::NodeIndex n = core::kRootNode; n != core::kNoNode; n = store.node(n).next) {
        const core::MoveNode& node = store.node(n);
        if (n != core::kRootNode && node.isTerminal()) break;
        scores.push_back(analysedScore(node.commentText()));
    }
    return scores;
}

std::string usiPositionCommandAt(const core::RecordStore& store, core::NodeIndex node) {
    std::vector<core::NodeIndex> path;
    for (core::NodeIndex n = node; n != core::kNoNode && n != core::kRootNode;
         n = store.parentOf(n)) {
        if (!store.node(n).isTerminal()) path.push_back(n);
    }
    core::Position start;
    store.restoreStartPosition(start);
    core::Position even;
    core::setupHandicap(even, core::kHandicapEven);
    std::string s = "position ";
    if (core::comparePositions(start, even) == 0 && start.sideToMove == core::kSideBlack) {
        s += "startpos";
    } else {
        s += "sfen " + core::sfen(start, 1);
    }
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        s += it == path.rbegin() ? " moves " : " ";
        s += core::usiMove(store.node(*it));
    }
    return s;
}

RecordAnalysis::RecordAnalysis(core::RecordStore& store, RecordAnalysisOptions options)
    : m_store(store), m_options(std::move(options)) {
    if (!m_options.everyLine) {
        for (core::NodeIndex n = core::kRootNode; n != core::kNoNode; n = store.node(n).next) {
            if (n != core::kRootNode && store.node(n).isTerminal()) break;
            m_nodes.push_back(n);
        }
        return;
    }
    // Every line, each node once, a line's moves before its alternatives.
    std::vector<core::NodeIndex> stack{core::kRootNode};
    while (!stack.empty()) {
        const core::NodeIndex n = stack.back();
        stack.pop_back();
        const core::MoveNode& node = store.node(n);
        if (n != core::kRootNode && node.isTerminal()) continue;
        m_nodes.push_back(n);
        std::vector<core::NodeIndex> children;
        for (core::NodeIndex c = node.next; c != core::kNoNode; c = store.node(c).sibling) {
            children.push_back(c);
        }
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
}

void RecordAnalysis::run(UsiEngine& engine, std::function<void()> onChange) {
    m_engine = &engine;
    m_onChange = std::move(onChange);
    if (m_options.multiPv > 1) engine.addStartOption("MultiPV", std::to_string(m_options.multiPv));
    next();
}

void RecordAnalysis::next() {
    if (m_finished) return;
    if (m_done >= total()) {
        finish();
        return;
    }
    const core::NodeIndex node = m_nodes[static_cast<std::size_t>(m_done)];
    core::Position pos;
    if (m_store.positionAt(node, pos) != core::EditResult::Ok) {
        ++m_done;
        next();
        return;
    }
    const int previous = node == core::kRootNode ? 0 : m_store.node(node).destination();
    m_lines.reset(pos, previous);
    GoLimits limits;
    limits.infinite = true;
    limits.stopAfter = m_options.moveTimeMs;
    m_engine->go(pos, usiPositionCommandAt(m_store, node), limits);
}

void RecordAnalysis::engineInfo(const UsiInfo& info) { m_lines.add(info); }

void RecordAnalysis::writeResult() {
    if (m_lines.lines().empty() || m_lines.lines().front().score.kind == UsiScore::Kind::None) {
        return;
    }
    const core::NodeIndex node = m_nodes[static_cast<std::size_t>(m_done)];
    const std::string line = analysisLine(m_lines.position(), m_lines.lines().front(),
                                          m_lines.previousDestination(), m_options.notation);
    const std::string comment = withAnalysisLine(m_store.node(node).commentText(), line);
    // Comments are written by ply on the current line: go there and come back.
    const core::NodeIndex shown = m_store.current();
    if (m_store.goTo(node) != core::EditResult::Ok) return;
    if (m_store.replaceComment(m_store.currentPly(), comment) == core::CommentResult::Ok) {
        ++m_analysed;
    }
    // `shown` was in use before and no node was freed since.
    (void)m_store.goTo(shown);
}

void RecordAnalysis::engineBestMove(const UsiBestMove& best) {
    if (m_finished) return;
    if (!m_lines.lines().empty() && m_lines.lines().front().pv.empty() &&
        best.kind == UsiBestMove::Kind::Move) {
        UsiInfo info;
        info.pv = {best.move};
        m_lines.add(info);
    }
    writeResult();
    ++m_done;
    if (m_onChange) m_onChange();
    next();
}

void RecordAnalysis::engineWarning(const std::string& message) {
    m_message = message;
    // An answer that ended the search but could not be used: the position goes without.
    if (!m_finished && m_engine && m_engine->state() == UsiEngine::State::Ready) {
        ++m_done;
        if (m_onChange) m_onChange();
        next();
    }
}

void RecordAnalysis::engineFailed(const std::string& message) {
    m_message = message;
    m_failed = true;
    finish();
}

void RecordAnalysis::engineQuit() {}

void RecordAnalysis::cancel() {
    if (m_finished) return;
    m_cancelled = true;
    finish();
}

void RecordAnalysis::finish() {
    if (m_finished) return;
    m_finished = true;
    if (m_engine) m_engine->quit();
    if (m_onChange) m_onChange();
}

}  // namespace usi
