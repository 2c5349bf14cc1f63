#include "dalmir/model/store/list_replay.h"

#include "core/notation/notation.h"

namespace dalmir::model {

void ReplayBoard::load(const core::Position& pos) {
    cells.fill(0);
    for (auto& h : hand) h.fill(0);
    for (int sq = 11; sq <= 99; ++sq) {
        if (core::isSquare(sq)) cells[static_cast<std::size_t>(sq)] = pos.cells[sq];
    }
    for (int slot = core::kFirstHandSlot; slot < pos.handEnd && slot < core::kHandSlotEnd; ++slot) {
        core::PieceByte p = pos.cells[static_cast<std::size_t>(slot)];
        if (p == 0 || p == core::kWall) continue;
        int type = core::pieceType(p) == core::kKing ? core::kKing : (p & 0x07);
        ++hand[static_cast<std::size_t>(handIndex(core::sideOf(p)))]
              [static_cast<std::size_t>(type)];
    }
    sideToMove = pos.sideToMove;
}

bool playListMove(ReplayBoard& board, ListMove move, ReplayStep& step) {
    const core::SideByte side = board.sideToMove;
    step = ReplayStep{};
    step.side = side;
    if (move.isClosing()) {
        step.closing = true;
        step.from = move.origin;
        step.to = move.destination;
        return true;
    }
    const int to = move.destination & ~core::kPromoteFlag;
    if (!core::isSquare(to) || core::belongsTo(board.cells[static_cast<std::size_t>(to)], side)) {
        return false;
    }
    core::PieceByte& target = board.cells[static_cast<std::size_t>(to)];
    auto& own = board.hand[static_cast<std::size_t>(ReplayBoard::handIndex(side))];
    if (move.isDrop()) {
        int kind = move.origin;
        if (kind < core::kPawn || kind > core::kRook || own[static_cast<std::size_t>(kind)] == 0) {
            return false;
        }
        --own[static_cast<std::size_t>(kind)];
        step.moved = core::makePiece(side, kind);
        step.drop = true;
    } else {
        if (!core::isSquare(move.origin)) return false;
        core::PieceByte& origin = board.cells[move.origin];
        if (!core::belongsTo(origin, side)) return false;
        step.moved = origin;
        origin = 0;
    }
    step.captured = target;
    if (target != 0) {
        core::PieceByte inHand = core::capturedForm(target);
        int type = core::pieceType(inHand) == core::kKing ? core::kKing : (inHand & 0x07);
        ++own[static_cast<std::size_t>(type)];
    }
    step.promotes = !step.drop && (move.destination & core::kPromoteFlag) != 0;
    target =
        step.promotes ? static_cast<core::PieceByte>(step.moved | core::kPromotedBit) : step.moved;
    step.from = move.origin;
    step.to = static_cast<uint8_t>(to);
    board.sideToMove = core::opponent(side);
    return true;
}

namespace {

// The start board of every handicap code, set up once: a search takes one per record.
struct StartBoards {
    std::array<ReplayBoard, 256> board{};
    std::array<bool, 256> known{};
    StartBoards() {
        for (int code = 0; code < 256; ++code) {
            core::Position pos;
            core::clearPosition(pos);
            if (!core::setupHandicap(pos, code)) continue;
            board[static_cast<std::size_t>(code)].load(pos);
            known[static_cast<std::size_t>(code)] = true;
        }
    }
};

}  // namespace

bool startBoard(uint8_t handicap, ReplayBoard& board) {
    static const StartBoards boards;
    if (!boards.known[handicap]) return false;
    board = boards.board[handicap];
    return true;
}

std::string nextMoveText(const ReplayStep& step, int previousDestination) {
    core::MoveNode node;
    node.piece = step.closing ? step.side : step.moved;
    node.from = step.drop ? core::encodeDrop(step.moved) : step.from;
    node.to = step.closing    ? step.to
              : step.promotes ? static_cast<uint8_t>(step.to | core::kPromoteFlag)
                              : step.to;
    return core::originFormText(node, previousDestination, core::MarkStyle::None, 0);
}

void setHit(IndexEntry& entry, int ply, const ReplayStep* step, ListMove move,
            int previousDestination) {
    entry.hitPly = static_cast<uint16_t>(ply);
    if (step == nullptr) {
        entry.setText(IndexText::NextMove, {});
        entry.nextFrom = 0;
        entry.nextTo = 0;
        return;
    }
    entry.setText(IndexText::NextMove, nextMoveText(*step, previousDestination));
    entry.nextFrom = move.origin;
    entry.nextTo = move.destination;
}

}  // namespace dalmir::model
