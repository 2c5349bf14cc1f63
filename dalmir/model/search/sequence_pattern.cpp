#include "dalmir/model/search/sequence_pattern.h"

#include <array>

#include "core/notation/piece_text.h"
#include "core/rules/legality.h"
#include "core/rules/move_node.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"

namespace dalmir::model {

namespace {

struct Words {
    std::string king = std::string("王");
    std::array<std::string, 3> promotedMinor{std::string(core::kPromotedLanceName),
                                             std::string(core::kPromotedKnightName),
                                             std::string(core::kPromotedSilverName)};
    std::string dragon{core::kDragonRyu};
    std::array<std::string, 4> anyPiece = {std::string("＊"), "X", std::string("×"),
                                           std::string("＃")};
    std::string kinds = std::string("歩香桂銀金角飛玉と杏圭全金馬龍");
    std::string same{core::kWordSame};
    std::string mate = std::string("詰");
    std::string resign = std::string("投");
    std::string blank{core::kFullWidthSpace};
    std::string promote{core::kWordPromote};
    std::string decline = std::string("不");
    std::string declineFull{core::kWordNoPromote};
    std::string drop{core::kWordDrop};
    std::string capture = std::string("取");
    std::string interpose = std::string("合");
    std::string interposeByMoving = std::string("移動合");
    std::string boardMove = std::string("移");
    std::string badPiece = std::string("駒の指定が間違っています。(%s)");
    std::string help = std::string(
        "<指し手> = [<手番>]<移動先><駒>[<手の種類>]\r\n\r\n"
        "<手の種類> = 成、不(成)、打、移、取、合、移動合\r\n\r\n"
        "指し手は、\",\"で区切り、８手まで指定可\r\n");
};

const Words& words() {
    static const Words w;
    return w;
}

bool startsWith(std::string_view text, std::string_view word) { return text.starts_with(word); }

// Splits off the next step; blanks are ASCII white space and the double-byte space.
std::vector<std::string_view> splitSteps(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    auto flush = [&](std::size_t end) {
        if (end > start) out.push_back(text.substr(start, end - start));
    };
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = core::charLength(text, i);
        std::string_view c = text.substr(i, n);
        if (c == "," || c == " " || c == "\t" || c == "\r" || c == "\n" || c == words().blank) {
            flush(i);
            start = i + n;
        }
        i += n;
    }
    flush(text.size());
    return out;
}

int squareDigit(char c) {
    if (c >= '1' && c <= '9') return c - '0';
    if (c == '*' || c == '#') return 0;
    return -1;
}

bool parseStep(std::string_view text, PatternStep& step) {
    const Words& w = words();
    step = PatternStep{};
    if (text == w.mate || text == w.resign) {
        step.endMarker = true;
        return true;
    }
    if (startsWith(text, "+") || startsWith(text, core::kMarkBlack)) {
        step.side = 1;
        text.remove_prefix(startsWith(text, "+") ? 1 : core::kMarkBlack.size());
    } else if (startsWith(text, "-") || startsWith(text, core::kMarkWhiteAlt) ||
               startsWith(text, core::kMarkWhite)) {
        step.side = 2;
        text.remove_prefix(startsWith(text, "-") ? 1 : core::kMarkWhite.size());
    }
    if (startsWith(text, w.same)) {
        step.file = kSameSquare;
        text.remove_prefix(w.same.size());
    } else {
        if (text.size() < 2) return false;
        int file = squareDigit(text[0]);
        int rank = squareDigit(text[1]);
        if (file < 0 || rank < 0) return false;
        step.file = static_cast<uint8_t>(file);
        step.rank = static_cast<uint8_t>(rank);
        text.remove_prefix(2);
    }
    std::size_t length = 0;
    int kind = pieceKindOfWord(text, length);
    if (kind < 0) return false;
    step.piece = static_cast<uint8_t>(kind);
    text.remove_prefix(length);
    if (text.empty()) return true;
    if (text == w.promote) {
        step.kind = MoveKind::Promotes;
    } else if (text == w.decline || text == w.declineFull) {
        step.kind = MoveKind::Declines;
    } else if (text == w.drop) {
        step.kind = MoveKind::Drop;
    } else if (text == w.capture) {
        step.kind = MoveKind::Captures;
    } else if (text == w.interpose) {
        step.kind = MoveKind::Interposition;
    } else if (text == w.interposeByMoving) {
        step.kind = MoveKind::InterpositionByMoving;
    } else if (text == w.boardMove) {
        step.kind = MoveKind::BoardMove;
    } else {
        return false;
    }
    return true;
}

}  // namespace

int pieceKindOfWord(std::string_view text, std::size_t& length) {
    const Words& w = words();
    if (startsWith(text, w.king)) {
        length = w.king.size();
        return core::kKing;
    }
    for (std::size_t i = 0; i < w.promotedMinor.size(); ++i) {
        if (startsWith(text, w.promotedMinor[i])) {
            length = w.promotedMinor[i].size();
            return core::kPromotedLance + static_cast<int>(i);
        }
    }
    if (startsWith(text, w.dragon)) {
        length = w.dragon.size();
        return core::kDragon;
    }
    for (const std::string& any : w.anyPiece) {
        if (startsWith(text, any)) {
            length = any.size();
            return 0;
        }
    }
    if (!text.empty() && core::isLeadByte(text[0])) {
        const std::string_view first = text.substr(0, core::charLength(text, 0));
        const std::string_view kinds(w.kinds);
        int kind = 1;
        for (std::size_t k = 0; k < kinds.size(); k += core::charLength(kinds, k), ++kind) {
            if (kinds.substr(k, core::charLength(kinds, k)) == first) {
                length = first.size();
                return kind;
            }
        }
    }
    return -1;
}

PatternParse parsePattern(std::string_view text) {
    PatternParse result;
    std::size_t comment = core::findByte(text, '#');
    if (comment != std::string_view::npos) text = text.substr(0, comment);
    for (std::string_view part : splitSteps(text)) {
        if (static_cast<int>(result.steps.size()) >= kMaxPatternSteps) break;
        PatternStep step;
        if (!parseStep(part, step)) {
            result.steps.clear();
            result.error = core::formatMessage(words().badPiece, {part});
            return result;
        }
        result.steps.push_back(step);
    }
    return result;
}

bool stepMatches(const PatternStep& step, const ReplayStep& move, const ReplayStep* previous) {
    if (step.side == 1 && move.side != core::kSideBlack) return false;
    if (step.side == 2 && move.side != core::kSideWhite) return false;
    if (step.endMarker) {
        return move.closing && (move.to == core::terminalByte(core::TerminalCode::Resign) ||
                                move.to == core::terminalByte(core::TerminalCode::Mate));
    }
    if (move.closing) return false;
    if (step.file == kSameSquare) {
        if (previous == nullptr || previous->closing || previous->to != move.to) return false;
    } else {
        if (step.file != 0 && core::fileOf(move.to) != step.file) return false;
        if (step.rank != 0 && core::rankOf(move.to) != step.rank) return false;
    }
    const int type = core::pieceType(move.moved);
    if (step.piece != 0 && type != step.piece) return false;
    const bool white = move.side == core::kSideWhite;
    const bool quietNonKing = !move.drop && type != core::kKing && move.captured == 0;
    switch (step.kind) {
        case MoveKind::Any:
            return true;
        case MoveKind::Promotes:
            return move.promotes;
        case MoveKind::Declines:
            return !move.drop && !move.promotes &&
                   core::promotionState(move.from, move.to, move.moved) !=
                       core::Promotion::Impossible;
        case MoveKind::Drop:
            return move.drop;
        case MoveKind::BoardMove:
            return !move.drop;
        case MoveKind::Captures:
            return move.captured != 0;
        case MoveKind::Interposition:
            return white && (move.drop || quietNonKing);
        case MoveKind::InterpositionByMoving:
            return white && quietNonKing;
    }
    return false;
}

namespace {

// Kept inline: it runs for nearly every element of every line a sequence search looks at.
inline bool mayMatch(const PatternStep& step, ListMove move, const ListMove* previous,
                     core::SideByte side) {
    if (step.side == 1 && side != core::kSideBlack) return false;
    if (step.side == 2 && side != core::kSideWhite) return false;
    if (step.endMarker) {
        return move.isClosing() &&
               (move.destination == core::terminalByte(core::TerminalCode::Resign) ||
                move.destination == core::terminalByte(core::TerminalCode::Mate));
    }
    if (move.isClosing()) return false;
    const int to = move.destination & ~core::kPromoteFlag;
    if (step.file == kSameSquare) {
        if (previous == nullptr || previous->isClosing() ||
            (previous->destination & ~core::kPromoteFlag) != to) {
            return false;
        }
    } else {
        if (step.file != 0 && core::fileOf(to) != step.file) return false;
        if (step.rank != 0 && core::rankOf(to) != step.rank) return false;
    }
    const bool drop = move.isDrop();
    if (drop && step.piece != 0 && move.origin != step.piece) return false;
    const bool promotes = !drop && (move.destination & core::kPromoteFlag) != 0;
    switch (step.kind) {
        case MoveKind::Promotes:
            return promotes;
        case MoveKind::Declines:
            return !drop && !promotes;
        case MoveKind::Drop:
            return drop;
        case MoveKind::BoardMove:
            return !drop;
        case MoveKind::Interposition:
            return side == core::kSideWhite;
        case MoveKind::InterpositionByMoving:
            return side == core::kSideWhite && !drop;
        case MoveKind::Any:
        case MoveKind::Captures:
            break;
    }
    return true;
}

}  // namespace

bool stepMayMatch(const PatternStep& step, ListMove move, const ListMove* previous,
                  core::SideByte side) {
    return mayMatch(step, move, previous, side);
}

int firstSequenceMatch(std::span<const PatternStep> pattern, const ReplayBoard& start,
                       std::span<const ListMove> moves, std::vector<ReplayStep>& played) {
    played.clear();
    const std::size_t n = pattern.size();
    if (n == 0 || moves.size() < n) return -1;
    const core::SideByte first = start.sideToMove;
    const core::SideByte second = core::opponent(first);
    ReplayBoard board = start;
    bool ended = false;  // the line ended (a closing entry or an element that can't be played)
    for (std::size_t a = 0; a + n <= moves.size(); ++a) {
        // Element k is played by the side of its ply's parity whenever the line reaches it.
        bool may = true;
        for (std::size_t i = 0; i < n && may; ++i) {
            const std::size_t k = a + i;
            may = mayMatch(pattern[i], moves[k], k > 0 ? &moves[k - 1] : nullptr,
                           k % 2 == 0 ? first : second);
        }
        if (!may) continue;
        while (!ended && played.size() < a + n) {
            ReplayStep step;
            if (!playListMove(board, moves[played.size()], step)) {
                ended = true;
                break;
            }
            played.push_back(step);
            if (step.closing) ended = true;
        }
        if (played.size() < a + n) return -1;  // the line ends before this window does
        bool all = true;
        for (std::size_t i = 0; i < n && all; ++i) {
            const ReplayStep* previous = a + i > 0 ? &played[a + i - 1] : nullptr;
            all = stepMatches(pattern[i], played[a + i], previous);
        }
        if (all) return static_cast<int>(a);
    }
    return -1;
}

const std::string& sequenceHelpText() { return words().help; }

}  // namespace dalmir::model
