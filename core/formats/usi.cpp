#include "core/formats/usi.h"

#include <array>

namespace core {

namespace {

// USI letters of the unpromoted types 1..8.
constexpr std::array<char, 9> kLetters{'?', 'P', 'L', 'N', 'S', 'G', 'B', 'R', 'K'};

char squareFile(int sq) { return static_cast<char>('0' + fileOf(sq)); }
char squareRank(int sq) { return static_cast<char>('a' + rankOf(sq) - 1); }

void appendSquare(std::string& s, int sq) {
    s += squareFile(sq);
    s += squareRank(sq);
}

char letter(PieceByte p) {
    int type = pieceType(p);
    int base = type == kKing ? kKing : (type & 7);
    char c = kLetters[static_cast<std::size_t>(base)];
    return sideOf(p) == kSideBlack ? c : static_cast<char>(c - 'A' + 'a');
}

}  // namespace

std::string usiMove(const MoveNode& node) {
    std::string s;
    if (node.isTerminal()) return s;
    if (node.isDrop()) {
        s += kLetters[static_cast<std::size_t>(node.from & 0x07)];
        s += '*';
    } else {
        appendSquare(s, node.from);
    }
    appendSquare(s, node.destination());
    if (node.promotes()) s += '+';
    return s;
}

std::string sfen(const Position& pos, int moveNumber) {
    std::string s;
    for (int rank = 1; rank <= 9; ++rank) {
        int empty = 0;
        for (int file = 9; file >= 1; --file) {
            PieceByte p = pos.cells[static_cast<std::size_t>(makeSquare(file, rank))];
            if (p == 0) {
                ++empty;
                continue;
            }
            if (empty > 0) s += static_cast<char>('0' + empty);
            empty = 0;
            if ((p & kPromotedBit) && pieceType(p) != kKing) s += '+';
            s += letter(p);
        }
        if (empty > 0) s += static_cast<char>('0' + empty);
        if (rank < 9) s += '/';
    }
    s += pos.sideToMove == kSideBlack ? " b " : " w ";
    HandCounts hand = countHand(pos);
    std::string hands;
    for (SideByte side : {kSideBlack, kSideWhite}) {
        for (int type : {kRook, kBishop, kGold, kSilver, kKnight, kLance, kPawn}) {
            int n = hand.count(side, type);
            if (n == 0) continue;
            if (n > 1) hands += std::to_string(n);
            hands += letter(makePiece(side, type));
        }
    }
    s += hands.empty() ? "-" : hands;
    s += ' ';
    s += std::to_string(moveNumber);
    return s;
}

std::string usiPositionCommand(const RecordStore& store) {
    Position start;
    store.restoreStartPosition(start);
    Position even;
    setupHandicap(even, kHandicapEven);
    std::string s = "position ";
    if (comparePositions(start, even) == 0 && start.sideToMove == kSideBlack) {
        s += "startpos";
    } else {
        s += "sfen " + sfen(start, 1);
    }
    bool first = true;
    for (NodeIndex n = store.node(kRootNode).next; n != kNoNode; n = store.node(n).next) {
        const MoveNode& m = store.node(n);
        if (m.isTerminal()) break;
        s += first ? " moves " : " ";
        first = false;
        s += usiMove(m);
    }
    return s;
}

}  // namespace core
