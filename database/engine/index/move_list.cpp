#include "database/engine/index/move_list.h"

#include <algorithm>

namespace database {

using core::NodeIndex;

void buildList(const core::RecordStore& store, std::vector<ListMove>& out) {
    out.clear();
    for (NodeIndex x = store.node(core::kRootNode).next; x != core::kNoNode;
         x = store.node(x).next) {
        const core::MoveNode& n = store.node(x);
        uint8_t origin = n.from;
        // A drop is stored by its piece: the store keeps it encoded (0x80 and up), a hand slot
        // would be 111 and up.
        if (!n.isTerminal() && origin >= 100) origin = static_cast<uint8_t>(origin & 0x07);
        out.push_back({origin, n.to});
        if (out.size() >= static_cast<std::size_t>(kMaxListMoves)) break;
    }
}

ReplayResult replayList(std::span<const ListMove> list, uint8_t handicap,
                        core::RecordStore& store) {
    store.reset();
    store.clearHeader();
    store.setCustomStart(false);
    core::Position& pos = store.position();
    core::clearPosition(pos);
    core::HandicapType type = handicap;
    if (!core::setupHandicap(pos, type)) {
        store.setHandicap(core::kHandicapOther);
        store.saveStartPosition(pos);
        return list.empty() ? ReplayResult::NoList : ReplayResult::BadHandicap;
    }
    store.setHandicap(type);
    store.setFirstMover(core::firstMoverOf(type));
    store.saveStartPosition(pos);
    if (list.empty()) return ReplayResult::NoList;

    ReplayResult result = ReplayResult::Ok;
    core::SideByte first = store.firstMover();
    for (std::size_t i = 0; i < list.size(); ++i) {
        ListMove m = list[i];
        core::SideByte side = (i % 2 == 0) ? first : core::opponent(first);
        int origin = m.origin;
        if (m.isDrop()) {
            origin = core::findHandSlot(pos, side, m.origin);
            if (origin == 0) {
                result = ReplayResult::BadMove;
                break;
            }
        } else if (!m.isClosing() &&
                   (!core::isSquare(origin) || !core::belongsTo(pos.cells[origin], side))) {
            result = ReplayResult::BadMove;
            break;
        }
        int to = m.destination & ~core::kPromoteFlag;
        if (!m.isClosing() && (!core::isSquare(to) || core::belongsTo(pos.cells[to], side))) {
            result = ReplayResult::BadMove;
            break;
        }
        core::AddResult added =
            store.addAndAdvance(core::kAddStoreAll, core::packMove(origin, m.destination), 0);
        if (added != core::AddResult::Ok) {
            result = ReplayResult::BadMove;
            break;
        }
        // A closing entry other than 投了 stays behind the current move; nothing may follow.
        if (m.isClosing()) break;
    }
    store.restoreStartPosition(store.position());
    (void)store.goTo(core::kRootNode);
    store.markClean();
    return result;
}

std::span<const ListMove> MoveList::list(int slot) const {
    if (slot < 0 || slot >= size()) return {};
    return m_lists[static_cast<std::size_t>(slot)];
}

std::size_t MoveList::moveCount() const {
    std::size_t n = 0;
    for (const auto& l : m_lists) n += l.size();
    return n;
}

void MoveList::set(int slot, std::vector<ListMove> moves) {
    if (slot < 0) return;
    ++m_revision;
    if (slot >= size()) resize(slot + 1);
    m_lists[static_cast<std::size_t>(slot)] = std::move(moves);
}

void MoveList::clearSlot(int slot) {
    ++m_revision;
    if (slot >= 0 && slot < size()) {
        std::vector<ListMove>().swap(m_lists[static_cast<std::size_t>(slot)]);
    }
}

void MoveList::remove(int slot) {
    ++m_revision;
    if (slot >= 0 && slot < size()) m_lists.erase(m_lists.begin() + slot);
}

void MoveList::reorder(std::span<const int32_t> slots) {
    ++m_revision;
    std::vector<std::vector<ListMove>> out;
    out.reserve(slots.size());
    for (int32_t s : slots) {
        out.push_back(s >= 0 && s < size() ? std::move(m_lists[static_cast<std::size_t>(s)])
                                           : std::vector<ListMove>());
    }
    m_lists = std::move(out);
}

}  // namespace database
