#include "core/formats/ki2_writer.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/formats/diagram_block.h"
#include "core/formats/kif_writer.h"
#include "core/formats/record_encoding.h"
#include "core/notation/notation.h"
#include "core/notation/piece_text.h"
#include "core/text/sjis.h"

namespace core {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr int kFullWidthColumn = 12;
constexpr int kHalfWidthColumn = 8;

struct Words {
    std::string flipped{kKeyFlipped};
    std::string handicap{kKeyHandicap};
    std::string black{kKeyBlack};
    std::string white{kKeyWhite};
    std::string lower{kKeyLower};
    std::string upper{kKeyUpper};
    std::string comma = std::string("、");
    std::string copied = std::string("クリップボードへ棋譜(KI2形式)を出力しました。");
    std::string copiedProblem = std::string("クリップボードへ棋譜(詰将棋形式)を出力しました。");
    std::string copiedLine =
        std::string("クリップボードへ棋譜(KI2形式、現変化だけ)を出力しました。");
    std::string none;
};

const Words& words() {
    static const Words w;
    return w;
}

enum class Layout { File, Clipboard, MatingProblem, CurrentLine };

class Ki2Writer {
public:
    Ki2Writer(const RecordStore& store, const RecordWriteOptions& options, Layout layout)
        : m_store(store), m_options(options), m_layout(layout) {
        m_notation.dragonAsRyu = options.dragonAsRyu;
        bool userMarks =
            layout == Layout::File ? options.userMarksInFiles : options.userMarksOnClipboard;
        if (options.ki2Style == 2) {
            m_marks = userMarks ? MarkStyle::UserUp : MarkStyle::Up;
        } else {
            m_marks = userMarks ? MarkStyle::UserDown : MarkStyle::Down;
        }
        m_form = options.ki2HalfWidth ? DestinationForm::HalfWidthAlt : DestinationForm::FullWidth;
        m_traditional = options.ki2Style < 4 && options.ruleCheck;
        m_width = options.ki2HalfWidth ? kHalfWidthColumn : kFullWidthColumn;
        m_perLine =
            std::max(1, options.ki2HalfWidth ? options.ki2HalfWidthColumns : options.ki2Columns);
        if (layout == Layout::MatingProblem) {
            m_marks = MarkStyle::None;
            m_form = DestinationForm::HalfWidthAlt;
            m_traditional = true;
            m_padded = false;
            m_bookmarks = false;
        }
    }

    std::string text() {
        writeHead();
        if (m_layout == Layout::CurrentLine) {
            writeCurrentLine();
        } else {
            writeTree();
        }
        return std::move(m_out);
    }

private:
    void line(std::string_view s) {
        m_out += s;
        m_out += kEol;
    }

    void nameLine(SideByte side) {
        const Words& w = words();
        bool handicap = m_store.handicap() != kHandicapEven;
        const std::string& name =
            m_store.playerName(side == kSideBlack ? PlayerField::Black : PlayerField::White);
        if (name.empty()) return;
        if (side == kSideBlack) {
            line((handicap ? w.lower : w.black) + name);
        } else {
            line((handicap ? w.upper : w.white) + name);
        }
    }

    void writeHead() {
        const Words& w = words();
        if (m_layout == Layout::File && m_store.flipped()) line(w.flipped);
        appendHeaderLines(m_out, m_store, m_options);
        if (m_store.handicap() != kHandicapEven) {
            line(w.handicap + std::string(handicapName(m_store.handicap())));
        }
        if (m_store.customStart()) {
            nameLine(kSideWhite);
            appendRecordBoardBlock(m_out, m_store);
            nameLine(kSideBlack);
        } else {
            nameLine(kSideBlack);
            nameLine(kSideWhite);
        }
        line("");
        appendCommentLines(m_out, m_store.node(kRootNode).commentText(), m_options);
        if (m_bookmarks) appendBookmarkLine(m_out, m_store, kRootNode);
    }

    std::string moveText(const MoveNode& n) const {
        int previous = n.parent == kNoNode ? 0 : m_store.node(n.parent).to;
        if (m_traditional) return traditionalText(n, previous, m_form, m_marks, 0, m_notation);
        return originFormText(n, previous, m_marks, 0, m_notation);
    }

    // Puts a move into the next column of the pending line; a full line is ended.
    void put(const std::string& text) {
        if (m_padded) {
            std::size_t target = static_cast<std::size_t>((m_column - 1) * m_width);
            const std::size_t width = cp932Width(m_line);
            if (width < target) m_line.append(target - width, ' ');
            m_line += text;
        } else {
            m_line += text;
            m_line += words().comma;
        }
        if (++m_column > m_perLine) endLine();
    }

    void endLine() {
        if (m_column > 1) {
            line(m_line);
            m_line.clear();
        }
        m_column = 1;
    }

    void writeNode(NodeIndex x) {
        const MoveNode& n = m_store.node(x);
        bool hasComment = !n.commentText().empty();
        if (!n.isTerminal() || hasComment) put(moveText(n));
        if (hasComment) {
            endLine();
            appendCommentLines(m_out, n.commentText(), m_options);
        }
        if (m_bookmarks && m_store.bookmarkOf(x) >= 0) {
            endLine();
            appendBookmarkLine(m_out, m_store, x);
        }
        if (n.isTerminal()) endLine();
    }

    // After the last node of a line: a terminal's text on its own line; after a real move the
    // line end of the pending line, or an empty line when none is pending.
    void writeEndOfLine(NodeIndex last, int ply) {
        if (m_store.node(last).isTerminal()) {
            endLine();
            line(endOfLineText(m_store, last, ply));
        } else if (m_column > 1) {
            endLine();
        } else {
            line("");
        }
    }

    void writeTree() {
        std::vector<std::pair<NodeIndex, int>> pending;
        NodeIndex x = m_store.node(kRootNode).next;
        int ply = 1;
        while (x != kNoNode) {
            const MoveNode& n = m_store.node(x);
            writeNode(x);
            if (n.sibling != kNoNode) pending.emplace_back(n.sibling, ply);
            if (n.next != kNoNode) {
                x = n.next;
                ++ply;
                continue;
            }
            writeEndOfLine(x, ply);
            if (pending.empty()) break;
            std::tie(x, ply) = pending.back();
            pending.pop_back();
            line("");
            line(variationLine(ply));
        }
    }

    void writeCurrentLine() {
        int lastMove = m_store.lineEndOfMoves();
        for (int ply = 1; ply <= lastMove; ++ply) {
            NodeIndex x = m_store.nodeAtPly(ply);
            if (x == kNoNode) break;
            writeNode(x);
        }
        endLine();
        line("");
        int end = m_store.lineEnd();
        NodeIndex last = m_store.nodeAtPly(end);
        line(last == kNoNode ? std::string() : endOfLineText(m_store, last, end));
    }

    const RecordStore& m_store;
    const RecordWriteOptions& m_options;
    Layout m_layout;
    NotationOptions m_notation;
    MarkStyle m_marks = MarkStyle::Up;
    DestinationForm m_form = DestinationForm::FullWidth;
    bool m_traditional = true;
    bool m_padded = true;
    bool m_bookmarks = true;
    int m_width = kFullWidthColumn;
    int m_perLine = 6;
    int m_column = 1;
    std::string m_line;
    std::string m_out;
};

}  // namespace

std::string ki2Text(const RecordStore& store, const RecordWriteOptions& options) {
    return Ki2Writer(store, options, Layout::File).text();
}

std::string ki2ClipboardText(const RecordStore& store, Ki2ClipboardMode mode,
                             const RecordWriteOptions& options) {
    Layout layout = Layout::Clipboard;
    if (mode == Ki2ClipboardMode::MatingProblem) layout = Layout::MatingProblem;
    if (mode == Ki2ClipboardMode::CurrentLine) layout = Layout::CurrentLine;
    return Ki2Writer(store, options, layout).text();
}

WriteResult writeKi2File(RecordStore& store, const std::string& path,
                         const RecordWriteOptions& options) {
    markLoadPosition(store, options);
    std::optional<std::string> bytes = cp932FileBytes(ki2Text(store, options), store, options);
    if (!bytes) return WriteResult::Unencodable;
    WriteResult r = writeFileAtomically(path, *bytes);
    if (r == WriteResult::Ok) store.markClean();
    return r;
}

const std::string& msgKi2Copied(Ki2ClipboardMode mode) {
    const Words& w = words();
    switch (mode) {
        case Ki2ClipboardMode::Whole:
            return w.copied;
        case Ki2ClipboardMode::MatingProblem:
            return w.copiedProblem;
        case Ki2ClipboardMode::CurrentLine:
            return w.copiedLine;
        case Ki2ClipboardMode::Mail:
            break;
    }
    return w.none;
}

}  // namespace core
