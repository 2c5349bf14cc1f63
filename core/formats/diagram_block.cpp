#include "core/formats/diagram_block.h"

#include <array>

#include "core/notation/piece_text.h"
#include "core/text/sjis.h"

namespace core {

namespace {

constexpr std::string_view kEol = "\r\n";

struct Words {
    std::string black = std::string("先");
    std::string white = std::string("後");
    std::string lower = std::string("下");
    std::string upper = std::string("上");
    std::string handKey = std::string("手の持駒：");
    std::string nameKey = std::string("手：");
    std::string none{kHandNone};
    std::string fullSpace{kFullWidthSpace};
    std::string fileHeader = std::string("  ９ ８ ７ ６ ５ ４ ３ ２ １");
    std::string frame = "+---------------------------+";
    std::string emptySquare = std::string(" ・");
    std::string lowerFirst{kLowerToMove};
    std::string whiteFirst{kWhiteToMove};
};

const Words& words() {
    static const Words w;
    return w;
}

const std::string& sideWord(SideByte side, HandicapType handicap) {
    const Words& w = words();
    if (handicap != kHandicapEven) return side == kSideBlack ? w.lower : w.upper;
    return side == kSideBlack ? w.black : w.white;
}

// The order hands are written in.
constexpr std::array<int, 7> kHandOrder{kRook, kBishop, kGold, kSilver, kKnight, kLance, kPawn};

// A hand count above 1: "二".."九", "十", "十一".."十八" (and beyond, "十" per ten).
void appendCount(std::string& out, int count) {
    if (count <= 1) return;
    int tens = count / 10;
    int units = count % 10;
    if (tens > 1) out += kRankNumerals[static_cast<std::size_t>(tens)];
    if (tens > 0) out += kRankNumerals[10];
    if (units > 0) out += kRankNumerals[static_cast<std::size_t>(units)];
}

void appendNameLine(std::string& out, SideByte side, HandicapType handicap, std::string_view name) {
    if (name.empty()) return;
    out += sideWord(side, handicap);
    out += words().nameKey;
    out += name;
    out += kEol;
}

}  // namespace

std::string handLine(const Position& pos, SideByte side, HandicapType handicap) {
    const Words& w = words();
    std::string line = sideWord(side, handicap) + w.handKey;
    HandCounts counts = countHand(pos);
    bool any = false;
    for (int type : kHandOrder) {
        int n = counts.count(side, type);
        if (n <= 0) continue;
        any = true;
        line += kPieceKanji[static_cast<std::size_t>(type)];
        appendCount(line, n);
        line += w.fullSpace;
    }
    if (!any) line += w.none;
    return line;
}

void appendDiagramBlock(std::string& out, const Position& pos, HandicapType handicap,
                        const DiagramNames* names) {
    const Words& w = words();
    if (names) appendNameLine(out, kSideWhite, handicap, names->white);
    out += handLine(pos, kSideWhite, handicap);
    out += kEol;
    out += w.fileHeader;
    out += kEol;
    out += w.frame;
    out += kEol;
    for (int rank = 1; rank <= 9; ++rank) {
        out += '|';
        for (int file = 9; file >= 1; --file) {
            PieceByte p = pos.cells[makeSquare(file, rank)];
            int type = pieceType(p);
            if (p == 0 || p == kWall || type == 0 || type == 13) {
                out += w.emptySquare;
                continue;
            }
            out += sideOf(p) == kSideBlack ? ' ' : 'v';
            out += kPieceKanji[static_cast<std::size_t>(type)];
        }
        out += '|';
        out += kRankNumerals[static_cast<std::size_t>(rank)];
        out += kEol;
    }
    out += w.frame;
    out += kEol;
    if (names) appendNameLine(out, kSideBlack, handicap, names->black);
    out += handLine(pos, kSideBlack, handicap);
    out += kEol;
}

void appendRecordBoardBlock(std::string& out, const RecordStore& store) {
    Position start;
    store.restoreStartPosition(start);
    HandicapType handicap = store.handicap();
    appendDiagramBlock(out, start, handicap);
    if (handicap != kHandicapEven && store.firstMover() == kSideBlack) {
        out += words().lowerFirst;
        out += kEol;
    } else if (handicap == kHandicapEven && store.firstMover() == kSideWhite) {
        out += words().whiteFirst;
        out += kEol;
    }
}

std::string sideToMoveLine(const RecordStore& store) {
    const bool handicap = store.handicap() != kHandicapEven;
    if (store.position().sideToMove == kSideWhite) {
        return std::string(handicap ? kUpperToMove : kWhiteToMove);
    }
    return handicap ? std::string(kLowerToMove) : std::string();
}

void appendSideToMoveLine(std::string& text, const RecordStore& store, bool clipboard) {
    if (clipboard) text += kEol;
    std::string line = sideToMoveLine(store);
    if (line.empty()) return;
    if (!text.empty() && text.back() != '\n') text += kEol;
    text += line;
    text += kEol;
}

}  // namespace core
