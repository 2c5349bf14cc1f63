#include "core/templates/text_exports.h"

#include <cstdio>
#include <vector>

#include "core/base/version.h"
#include "core/formats/kif_writer.h"
#include "core/notation/notation.h"
#include "core/notation/piece_text.h"
#include "core/templates/position_text.h"
#include "core/templates/template_expander.h"
#include "core/text/sjis.h"

namespace core {

namespace {
constexpr std::string_view kEol = "\r\n";
}  // namespace

std::string dharmaWinText(const RecordStore& store) {
    std::string out = "dharma/Win";
    out += kEol;
    out += "T:" + std::to_string(store.handicap());
    out += kEol;
    out += "+:" + store.playerName(PlayerField::Black);
    out += kEol;
    out += "-:" + store.playerName(PlayerField::White);
    out += kEol;
    int number = 0;
    for (NodeIndex n = store.node(kRootNode).next; n != kNoNode; n = store.node(n).next) {
        const MoveNode& m = store.node(n);
        ++number;
        const bool terminal = m.isTerminal();
        char line[96];
        std::snprintf(line, sizeof line, "%04d,%d,%02d,%02d,%02d,%d,%04d,%06lu", number,
                      moverOf(m) == kSideBlack ? 0 : 1, terminal ? 0 : pieceType(m.piece),
                      terminal || m.isDrop() ? 0 : m.from, m.destination(), m.promotes() ? 1 : 0,
                      m.seconds, static_cast<unsigned long>(store.cumulativeSeconds(n)));
        out += line;
        out += kEol;
    }
    return out;
}

std::string positionHtmlText(TemplateExpander& expander) {
    return positionClipboardText(expander, true);
}

namespace {

// The move of one tree entry: terminal words bare, moves with the mover's mark.
std::string treeMoveText(const RecordStore& store, const TextOutputOptions& options, NodeIndex node,
                         bool compact, MarkStyle marks) {
    const MoveNode& m = store.node(node);
    if (m.isTerminal()) return std::string(terminalWord(m.to));
    if (!compact) {
        return std::string(sideMark(moverOf(m), marks)) +
               moveText(store, options, node, SameSquare::Allowed, MarkStyle::None);
    }
    int previous = 0;
    if (m.parent != kRootNode && m.parent != kNoNode) {
        const MoveNode& p = store.node(m.parent);
        if (!p.isTerminal()) previous = p.destination();
    }
    return traditionalText(m, previous, DestinationForm::HalfWidth, marks, 0, options.notation);
}

}  // namespace

std::string variationDiagramText(TemplateExpander& expander, const VariationTreeOptions& tree,
                                 const VariationProgress& progress) {
    const RecordStore& store = expander.store();
    const TextOutputOptions& options = expander.options();
    const MarkStyle marks = markStyleOf(options, options.userMarksFor(GlyphTarget::Clipboard));
    DateTimeSnapshot& now = expander.snapshot();

    std::string out;
    out += std::string(kProgramName) + " " + std::string(kProgramVersion) + " " +
           std::string("棋譜変化図");
    out += kEol;
    out += std::string("日時：") + now.date() + " " + now.time();
    out += kEol;
    out += std::string("棋譜：") + expander.environment().recordPath;
    out += kEol;
    out += kEol;
    out += positionClipboardText(expander, false);
    out += kEol;

    const NodeIndex current = store.current();
    const int ply = store.currentPly();
    if (ply > 0) {
        char head[32];
        std::snprintf(head, sizeof head, "%d", ply);
        out += std::string("第") + head + std::string("手、") +
               std::string(sideMark(moverOf(store.node(current)), marks)) +
               moveText(store, options, current, SameSquare::Allowed, MarkStyle::None) +
               std::string(kWordUpTo);
        out += kEol;
        out += kEol;
    }
    std::string_view comment = store.node(current).commentText();
    if (!comment.empty()) {
        appendCommentLines(out, comment, options.writer);
        out += kEol;
    }

    const int width = tree.width() > 0 ? tree.width() : 1;
    const int maxDepth = tree.maxDepth;
    struct Entry {
        NodeIndex node;
        int depth;
    };
    std::vector<Entry> stack;
    const NodeIndex first = store.node(current).next;
    if (first != kNoNode && maxDepth > 0) stack.push_back({first, 0});
    std::size_t column = 0;
    bool lineStart = true;
    while (!stack.empty()) {
        const Entry e = stack.back();
        stack.pop_back();
        const MoveNode& m = store.node(e.node);
        if (m.sibling != kNoNode) stack.push_back({m.sibling, e.depth});
        if (e.depth == 0 && progress) progress(store.alternativeIndex(e.node));

        const std::size_t target = static_cast<std::size_t>(e.depth) * width;
        bool dashed = false;
        if (lineStart) {
            if (e.depth > 0) {
                out.append(target - 1, ' ');
                out += '|';
            }
            out += kEol;
            if (target > 0) {
                out.append(target - 1, ' ');
                out += '+';
            }
            column = target;
        } else {
            // At least one "-", so that a long move text never runs into the next one.
            std::size_t dashes = column < target ? target - column : 1;
            out.append(dashes, '-');
            column += dashes;
            dashed = true;
        }
        if (m.isTerminal() && !dashed) {
            out += ' ';
            ++column;
        }
        std::string text = treeMoveText(store, options, e.node, tree.compact, marks);
        out += text;
        column += cp932Width(text);
        lineStart = false;
        if (m.next != kNoNode && e.depth + 1 < maxDepth) {
            stack.push_back({m.next, e.depth + 1});
        } else {
            out += kEol;
            column = 0;
            lineStart = true;
        }
    }
    return out;
}

}  // namespace core
