#include "core/notation/english_notation.h"

#include <array>

#include "core/notation/notation.h"

namespace core {

namespace {

constexpr std::string_view kEol = "\r\n";

constexpr std::array<std::string_view, 16> kMoveLetters{
    "", "P", "L", "N", "S", "G", "B", "R", "K", "+P", "+L", "+N", "+S", "", "+B", "+R"};

constexpr std::array<std::string_view, 16> kDiagramCodes{
    "  ", "P ", "L ", "N ", "S ", "G ", "B ", "R ", "K ", "P+", "L+", "N+", "S+", "  ", "B+", "R+"};

// The codes 2, 4, 8 and 10 have no traditional English word; these are this program's.
constexpr std::array<std::string_view, 11> kTerminalWords{
    "resigns", "quit",       "foul loss", "",         "foul win",         "jishogi",
    "mated",   "sennichite", "no mate",   "time out", "entering king win"};

constexpr std::array<std::string_view, 15> kHandicapNames{
    "Even     ",     "Lance   ", "Right Lance", "Bishop  ",  "Rook    ",
    "Lance&Rook",    "2 pieces", "3 pieces",    "4 pieces",  "5 pieces",
    "Left 5 pieces", "6 pieces", "8 pieces",    "10 pieces", "Other   "};

constexpr std::array<int, 7> kHandOrder{kRook, kBishop, kGold, kSilver, kKnight, kLance, kPawn};
constexpr std::array<char, 8> kHandLetters{' ', 'P', 'L', 'N', 'S', 'G', 'B', 'R'};

void padTo(std::string& s, int width) {
    if (width > 0 && s.size() < static_cast<std::size_t>(width)) {
        s.append(static_cast<std::size_t>(width) - s.size(), ' ');
    }
}

}  // namespace

std::string_view englishPieceLetter(int type) {
    return type >= 0 && type < 16 ? kMoveLetters[static_cast<std::size_t>(type)] : "";
}

std::string_view englishTerminalWord(int code) {
    return code >= 0 && code <= kLastTerminalCode ? kTerminalWords[static_cast<std::size_t>(code)]
                                                  : "";
}

std::string_view englishHandicapName(HandicapType type) {
    return type >= 0 && type < static_cast<int>(kHandicapNames.size())
               ? kHandicapNames[static_cast<std::size_t>(type)]
               : "";
}

std::string englishSquare(int sq) {
    if (!isSquare(sq)) return {};
    return {static_cast<char>('0' + fileOf(sq)), static_cast<char>('a' + rankOf(sq) - 1)};
}

std::string englishMoveText(const MoveNode& node, int minWidth) {
    std::string s;
    if (node.isTerminal()) {
        s = englishTerminalWord(node.to);
    } else {
        s = englishPieceLetter(pieceType(node.piece));
        const int code = node.notation & kHintCodeMask;
        // A board move that another piece of its kind could also make names its origin. Code 0
        // on a board move means no direction word separates the two: the origin is the only
        // way to tell them apart in this notation.
        if (!node.isDrop() && code != kHintUnique) s += englishSquare(node.from);
        s += node.isDrop() ? "*" : (node.captured != 0 ? "x" : "-");
        s += englishSquare(node.destination());
        if (node.promotes()) {
            s += '+';
        } else if (node.notation & kHintNoPromotion) {
            s += '=';
        }
    }
    padTo(s, minWidth);
    return s;
}

std::string englishHandLine(const Position& pos, SideByte side) {
    std::string line = side == kSideBlack ? "Black in hand: " : "White in hand: ";
    HandCounts counts = countHand(pos);
    bool any = false;
    for (int type : kHandOrder) {
        int n = counts.count(side, type);
        if (n <= 0) continue;
        any = true;
        line += kHandLetters[static_cast<std::size_t>(type)];
        if (n > 1) line += std::to_string(n);
        line += ' ';
    }
    if (!any) line += "nothing";
    return line;
}

void appendEnglishDiagram(std::string& out, const Position& pos, std::string_view blackName,
                          std::string_view whiteName, EnglishMarkers markers) {
    const bool letters = markers == EnglishMarkers::Letters;
    if (!whiteName.empty()) {
        out += "White: ";
        out += whiteName;
        out += kEol;
    }
    out += englishHandLine(pos, kSideWhite);
    out += kEol;
    out += "  9  8  7  6  5  4  3  2  1";
    out += kEol;
    out += "+---------------------------+";
    out += kEol;
    for (int rank = 1; rank <= 9; ++rank) {
        out += '|';
        for (int file = 9; file >= 1; --file) {
            PieceByte p = pos.cells[makeSquare(file, rank)];
            if (p == 0 || p == kWall) {
                out += " * ";
                continue;
            }
            bool black = sideOf(p) == kSideBlack;
            out += letters ? (black ? 'b' : 'w') : (black ? ' ' : 'v');
            out += kDiagramCodes[static_cast<std::size_t>(pieceType(p))];
        }
        out += '|';
        out += static_cast<char>('a' + rank - 1);
        out += kEol;
    }
    out += "+---------------------------+";
    out += kEol;
    if (!blackName.empty()) {
        out += "Black: ";
        out += blackName;
        out += kEol;
    }
    out += englishHandLine(pos, kSideBlack);
    out += kEol;
}

}  // namespace core
