#include "tavrel/logic/output/print_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "core/formats/kif_writer.h"
#include "core/notation/piece_text.h"
#include "core/templates/template_expander.h"
#include "core/text/sjis.h"
#include "tavrel/settings/engine_options.h"

namespace tavrel {

int mmToPixels(double mm, double dpi) { return static_cast<int>(std::lround(mm * dpi / 25.4)); }

double mmToUnits(double mm) { return mm * 100.0 / 25.4; }

int printLineHeight(int fontHeight, int leading, int spacingTenthsMm, double dpiY) {
    return fontHeight + leading + mmToPixels(spacingTenthsMm / 10.0, dpiY);
}

int centredStart(int left, int width, int textWidth) {
    return left + std::max(0, (width - textWidth) / 2);
}

PrintRecordOptions printRecordOptions(const Settings& settings, bool withHeader) {
    PrintRecordOptions o;
    o.columns = std::max(1, settings.printColumns);
    o.comments = settings.printComments != 0;
    o.withHeader = withHeader;
    return o;
}

namespace {

// Comment text as its lines, without line ends.
void appendComment(std::vector<std::string>& lines, std::string_view comment) {
    while (!comment.empty()) {
        std::size_t end = comment.find('\n');
        std::string_view line = comment.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        comment.remove_prefix(end + 1);
    }
}

class RecordPrinter {
public:
    RecordPrinter(const core::RecordStore& store, const core::TextOutputOptions& text,
                  const PrintRecordOptions& options)
        : m_store(store),
          m_text(text),
          m_options(options),
          m_marks(core::markStyleOf(text, text.userMarksFor(core::GlyphTarget::Printing))) {}

    std::vector<std::string> lines() {
        header();
        m_lines.emplace_back();
        if (m_options.comments) appendComment(m_lines, m_store.node(core::kRootNode).commentText());
        tree();
        return std::move(m_lines);
    }

private:
    void header() {
        const bool handicap = m_store.handicap() != core::kHandicapEven;
        if (m_options.withHeader) {
            std::string block;
            core::appendHeaderLines(block, m_store, m_text.writer);
            appendComment(m_lines, block);
        }
        if (handicap) {
            m_lines.push_back(std::string("手合割：") +
                              std::string(core::handicapName(m_store.handicap())));
        }
        if (!m_options.withHeader) return;
        const std::string& black = m_store.playerName(core::PlayerField::Black);
        const std::string& white = m_store.playerName(core::PlayerField::White);
        if (!black.empty()) m_lines.push_back(std::string(handicap ? "下手：" : "先手：") + black);
        if (!white.empty()) m_lines.push_back(std::string(handicap ? "上手：" : "後手：") + white);
    }

    void flush() {
        if (!m_line.empty()) m_lines.push_back(std::move(m_line));
        m_line.clear();
        m_column = 0;
    }

    void move(core::NodeIndex x) {
        const core::MoveNode& n = m_store.node(x);
        if (m_column == m_options.columns) flush();
        const std::size_t slot = static_cast<std::size_t>(m_column) * kPrintSlotBytes;
        // Slots are measured in Shift-JIS bytes: a full-width space is two, a space one.
        std::size_t width = core::cp932Width(m_line);
        for (; width + 2 <= slot; width += 2) m_line += core::kFullWidthSpace;
        if (width < slot) m_line += ' ';
        m_line += core::moveText(m_store, m_text, x, core::SameSquare::Allowed, m_marks);
        ++m_column;
        if (m_options.comments && !n.commentText().empty()) {
            flush();
            appendComment(m_lines, n.commentText());
        }
    }

    // Depth first, as the record file lists its lines: a line to its end, then the alternatives
    // of its deepest branch point first.
    void tree() {
        std::vector<std::pair<core::NodeIndex, int>> pending;
        core::NodeIndex x = m_store.node(core::kRootNode).next;
        int ply = 1;
        while (x != core::kNoNode) {
            const core::MoveNode& n = m_store.node(x);
            if (n.sibling != core::kNoNode) pending.emplace_back(n.sibling, ply);
            if (!n.isTerminal()) move(x);
            if (n.next != core::kNoNode) {
                x = n.next;
                ++ply;
                continue;
            }
            flush();
            std::string result = core::endOfLineText(m_store, x, ply);
            if (!result.empty()) m_lines.push_back(std::move(result));
            if (pending.empty()) break;
            std::tie(x, ply) = pending.back();
            pending.pop_back();
            m_lines.emplace_back();
            m_lines.push_back(core::variationLine(ply));
        }
        flush();
    }

    const core::RecordStore& m_store;
    const core::TextOutputOptions& m_text;
    const PrintRecordOptions& m_options;
    core::MarkStyle m_marks;
    std::vector<std::string> m_lines;
    std::string m_line;
    int m_column = 0;
};

core::NodeIndex mainLineLast(const core::RecordStore& store, int& ply) {
    core::NodeIndex last = core::kRootNode;
    ply = 0;
    for (core::NodeIndex x = store.node(core::kRootNode).next; x != core::kNoNode;
         x = store.node(x).next) {
        last = x;
        ++ply;
    }
    return last;
}

}  // namespace

std::vector<std::string> printedRecordLines(const core::RecordStore& store,
                                            const core::TextOutputOptions& text,
                                            const PrintRecordOptions& options) {
    return RecordPrinter(store, text, options).lines();
}

int formSheetCount(int moves) {
    return std::max(1, (moves + kFormMovesPerSheet - 1) / kFormMovesPerSheet);
}

int mainLineMoves(const core::RecordStore& store) {
    int n = 0;
    for (core::NodeIndex x = store.node(core::kRootNode).next; x != core::kNoNode;
         x = store.node(x).next) {
        if (!store.node(x).isTerminal()) ++n;
    }
    return n;
}

std::string formResultLine(const core::RecordStore& store) {
    const int n = mainLineMoves(store);
    int ply = 0;
    const core::NodeIndex last = mainLineLast(store, ply);
    const bool handicap = store.handicap() != core::kHandicapEven;
    auto sideWord = [&](core::SideByte side) {
        if (side == core::kSideBlack) return std::string(handicap ? "下" : "先");
        return std::string(handicap ? "上" : "後");
    };
    auto format = [](const char* utf8, int moves, const std::string& word) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%3d", moves);
        std::string s = std::string(utf8);
        std::size_t at = s.find("%3d");
        s.replace(at, 3, digits);
        at = s.find("%s");
        if (at != std::string::npos) s.replace(at, 2, word);
        return s;
    };
    if (last != core::kRootNode && store.node(last).isTerminal()) {
        // The side that made the last real move: the one not to move at the terminal entry.
        const core::SideByte terminalSide = store.moverOfPly(ply);
        const core::SideByte lastMover =
            terminalSide == core::kSideBlack ? core::kSideWhite : core::kSideBlack;
        switch (static_cast<core::TerminalCode>(store.node(last).to)) {
            case core::TerminalCode::Resign:
            case core::TerminalCode::TimeLoss:
                return format("　　　%3d手で%s手の勝ち", n, sideWord(lastMover));
            case core::TerminalCode::FoulLoss:
                return format("　　　%3d手で%s手の反則負け", n, sideWord(terminalSide));
            case core::TerminalCode::FoulWin:
                // The side to move wins: the one that moved last committed the foul.
                return format("　　　%3d手で%s手の反則負け", n - 1, sideWord(lastMover));
            case core::TerminalCode::Repetition:
                return format("　　　%3d手で千日手", n, {});
            case core::TerminalCode::Impasse:
                return format("　　　%3d手で持将棋", n, {});
            default:
                break;
        }
    }
    return format("手数　　　%3d手　", n, {});
}

std::string formTimeUsed(const core::RecordStore& store, int side) {
    if (store.sideTotal(core::kSideBlack) != 0 || store.sideTotal(core::kSideWhite) != 0) {
        const std::uint32_t total =
            store.sideTotal(side == 0 ? core::kSideBlack : core::kSideWhite);
        char buf[48];
        std::snprintf(buf, sizeof buf, "%u", static_cast<unsigned>(total / 3600));
        std::string s = buf + std::string("時間");
        std::snprintf(buf, sizeof buf, "%02u", static_cast<unsigned>(total % 3600 / 60));
        return s + buf + std::string("分");
    }
    // "▲1時間05分△0時間30分": the part after each side's mark.
    const std::string& field = store.header(core::HeaderField::TimeUsed);
    const std::string black = std::string("▲");
    std::size_t white = field.find(std::string("△"));
    if (white == std::string::npos) white = field.find(std::string("▽"));
    std::size_t blackAt = field.find(black);
    if (side == 0) {
        if (blackAt == std::string::npos) return {};
        std::size_t from = blackAt + black.size();
        std::size_t to = white != std::string::npos && white > from ? white : field.size();
        return field.substr(from, to - from);
    }
    if (white == std::string::npos) return {};
    std::size_t from = white + core::charLength(field, white);
    std::size_t to = blackAt != std::string::npos && blackAt > from ? blackAt : field.size();
    return field.substr(from, to - from);
}

std::string formPageCaption(int sheet, int sheets) {
    if (sheets <= 1) return {};
    char buf[48];
    std::snprintf(buf, sizeof buf, "Page %d / %d", sheet, sheets);
    return buf;
}

}  // namespace tavrel
