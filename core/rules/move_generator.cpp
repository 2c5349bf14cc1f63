#include "core/rules/move_generator.h"

#include "core/rules/legality.h"

namespace core {

int legalMoves(const Position& pos, SideByte side, std::vector<PackedMove>& moves) {
    std::size_t before = moves.size();
    auto tryMove = [&](int origin, int destination) {
        if (checkMove(pos, origin, destination, side) == MoveCheckResult::Legal) {
            moves.push_back(packMove(origin, destination));
        }
    };
    for (int sq = 11; sq <= 99; ++sq) {
        PieceByte p = pos.cells[static_cast<std::size_t>(sq)];
        if (p == 0 || p == kWall || !belongsTo(p, side)) continue;
        for (int to : destinations(pos, sq, side)) {
            Promotion state = promotionState(sq, to, p);
            if (state != Promotion::Compulsory) tryMove(sq, to);
            if (state != Promotion::Impossible) tryMove(sq, to | kPromoteFlag);
        }
    }
    for (int type = kPawn; type <= kRook; ++type) {
        int slot = findHandSlot(pos, side, type);
        if (slot == 0) continue;
        for (int sq = 11; sq <= 99; ++sq) {
            if (pos.cells[static_cast<std::size_t>(sq)] == 0) tryMove(slot, sq);
        }
    }
    return static_cast<int>(moves.size() - before);
}

}  // namespace core
