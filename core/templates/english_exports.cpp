#include "core/templates/english_exports.h"

#include <cstdio>

#include "core/formats/kif_writer.h"
#include "core/notation/english_notation.h"
#include "core/templates/template_expander.h"
#include "core/text/sjis.h"

namespace core {

namespace {

constexpr std::string_view kEol = "\r\n";

std::string number(const char* fmt, int n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, fmt, n);
    return buf;
}

}  // namespace

std::string englishPositionText(TemplateExpander& expander) {
    return expander.expand(expander.options().englishTemplate, TemplateContext::EnglishBoard);
}

std::string englishRecordText(const RecordStore& store, const TextOutputOptions& options) {
    std::string out;
    const HandicapType handicap = store.handicap();
    if (handicap != kHandicapEven) {
        out += "Handicap: ";
        out += englishHandicapName(handicap);
        out += kEol;
    }
    if (store.customStart()) {
        Position start;
        store.restoreStartPosition(start);
        appendEnglishDiagram(out, start, {}, {}, EnglishMarkers::Letters);
        if (handicap != kHandicapEven && store.firstMover() == kSideBlack) {
            out += "Black to Move";
            out += kEol;
        } else if (handicap == kHandicapEven && store.firstMover() == kSideWhite) {
            out += "White to Move";
            out += kEol;
        }
    }
    const std::string& black = store.playerName(PlayerField::Black);
    const std::string& white = store.playerName(PlayerField::White);
    if (!black.empty()) {
        out += "Black: " + black;
        out += kEol;
    }
    if (!white.empty()) {
        out += "White: " + white;
        out += kEol;
    }
    out += kEol;
    std::string_view startComment = store.node(kRootNode).commentText();
    if (!startComment.empty()) appendCommentLines(out, startComment, options.writer);

    const EnglishNumbering style = options.englishNumbering;
    const int columns = options.englishColumns > 0 ? options.englishColumns : 1;
    const bool whiteFirst = store.firstMover() == kSideWhite;
    const std::size_t slot = style == EnglishNumbering::None ? 8 : 10;
    std::string line;
    int inLine = 0;
    int i = 0;
    for (NodeIndex n = store.node(kRootNode).next; n != kNoNode; n = store.node(n).next) {
        const MoveNode& node = store.node(n);
        ++i;
        if (style == EnglishNumbering::Chess) {
            if (i == 1 && whiteFirst) {
                line += "  1. ...   ";
                if (++inLine >= columns) {
                    out += line;
                    out += kEol;
                    line.clear();
                    inLine = 0;
                }
            }
            if (!whiteFirst && i % 2 == 1) line += number("%3d.", (i + 1) / 2);
            if (whiteFirst && i % 2 == 0) line += number("%3d.", i / 2 + 1);
            line += englishMoveText(node, 7);
        } else {
            const std::size_t start = slot * static_cast<std::size_t>(inLine);
            if (line.size() < start) line.append(start - line.size(), ' ');
            if (style == EnglishNumbering::Shogi) {
                line += number(line.size() > start && i < 100 ? "%2d." : "%3d.", i);
            }
            line += englishMoveText(node, 0);
        }
        ++inLine;
        const bool last = node.next == kNoNode;
        const bool hasComment = !node.commentText().empty();
        if (inLine >= columns || last || hasComment) {
            out += line;
            out += kEol;
            line.clear();
            inLine = 0;
        } else if (style != EnglishNumbering::Chess) {
            line += ' ';
        }
        if (hasComment) appendCommentLines(out, node.commentText(), options.writer);
    }
    out += kEol;
    return out;
}

WriteResult saveEnglishPosition(TemplateExpander& expander, const std::string& path) {
    std::optional<std::string> bytes = cp932Bytes(englishPositionText(expander));
    if (!bytes) return WriteResult::Unencodable;
    return writeFileAtomically(path, *bytes);
}

WriteResult saveEnglishRecord(const RecordStore& store, const TextOutputOptions& options,
                              const std::string& path) {
    std::optional<std::string> bytes = cp932Bytes(englishRecordText(store, options));
    if (!bytes) return WriteResult::Unencodable;
    return writeFileAtomically(path, *bytes);
}

}  // namespace core
