// Positions for rules tests: piece bytes by side and a position built from a diagram.
#pragma once

#include <initializer_list>
#include <utility>

#include "core/rules/position.h"

namespace testsupport {

constexpr core::PieceByte B(int type) { return core::makePiece(core::kSideBlack, type); }
constexpr core::PieceByte W(int type) { return core::makePiece(core::kSideWhite, type); }

// A position from a diagram: the cells given filled (hand slots from 111 grow the hand), then
// the piece list built. Black to move.
inline core::Position diagram(std::initializer_list<std::pair<int, core::PieceByte>> cells) {
    core::Position pos;
    for (auto [cell, piece] : cells) {
        pos.cells[static_cast<std::size_t>(cell)] = piece;
        if (core::isHandSlot(cell) && cell >= pos.handEnd) {
            pos.handEnd = static_cast<std::uint8_t>(cell + 1);
        }
    }
    core::buildPieceList(pos);
    return pos;
}

}  // namespace testsupport
