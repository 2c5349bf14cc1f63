#include "core/formats/usi.h"

#include <array>

#include "core/notation/notation.h"
#include "core/rules/legality.h"

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

int letterType(char c) {
    for (int type = kPawn; type <= kRook; ++type) {
        if (kLetters[static_cast<std::size_t>(type)] == c) return type;
    }
    return 0;
}

int squareOf(std::string_view s) {
    if (s.size() != 2 || s[0] < '1' || s[0] > '9' || s[1] < 'a' || s[1] > 'i') return 0;
    return makeSquare(s[0] - '0', s[1] - 'a' + 1);
}

}  // namespace

std::optional<PackedMove> legalUsiMove(const Position& pos, std::string_view word) {
    const SideByte side = pos.sideToMove;
    int origin = 0;
    int destination = 0;
    if (word.size() == 4 && word[1] == '*') {
        const int type = letterType(word[0]);
        destination = squareOf(word.substr(2));
        if (type == 0 || destination == 0) return std::nullopt;
        origin = findHandSlot(pos, side, type);
        if (origin == 0) return std::nullopt;
    } else if (word.size() == 4 || (word.size() == 5 && word[4] == '+')) {
        origin = squareOf(word.substr(0, 2));
        destination = squareOf(word.substr(2, 2));
        if (origin == 0 || destination == 0) return std::nullopt;
        if (word.size() == 5) destination |= kPromoteFlag;
    } else {
        return std::nullopt;
    }
    if (checkMove(pos, origin, destination, side) != MoveCheckResult::Legal) return std::nullopt;
    return packMove(origin, destination);
}

MoveNode moveNodeOf(const Position& pos, PackedMove move) {
    MoveNode n;
    const int origin = moveOrigin(move);
    const int destination = moveDestination(move);
    const PieceByte piece = pos.cells[static_cast<std::size_t>(origin)];
    n.from = isHandSlot(origin) ? encodeDrop(piece) : static_cast<std::uint8_t>(origin);
    n.to = static_cast<std::uint8_t>(destination);
    n.piece = piece;
    n.captured = pos.cells[static_cast<std::size_t>(destination & ~kPromoteFlag)];
    n.notation = computeNotationHint(pos, origin, destination);
    return n;
}

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
