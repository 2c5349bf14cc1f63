#include "dalmir/model/table/move_list.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace dalmir::model {

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
    // The root is always in use: cannot fail.
    (void)store.goTo(core::kRootNode);
    store.markClean();
    return result;
}

static_assert(sizeof(ListMove) == 2 && alignof(ListMove) == 1,
              "the pool holds lists as their origin and destination bytes");

std::span<const ListMove> MoveList::list(int slot) const {
    if (slot < 0 || slot >= size()) return {};
    const Extent& e = m_extents[static_cast<std::size_t>(slot)];
    if (e.size == 0) return {};
    return {pool() + e.at, e.size};
}

void MoveList::drop(Extent& e) {
    m_live -= e.size;
    e = Extent{};
}

std::span<ListMove> MoveList::setUnfilled(int slot, std::size_t n) {
    if (slot < 0) return {};
    ++m_revision;
    if (slot >= size()) resize(slot + 1);
    Extent& e = m_extents[static_cast<std::size_t>(slot)];
    drop(e);
    if (n == 0) return {};
    if (m_used + n > poolElements()) {
        m_pool.resize(std::max(m_used + n, m_used + m_used / 2) * sizeof(ListMove));
    }
    e = {m_used, n};
    m_used += n;
    m_live += n;
    assert(holds(e) && m_used <= poolElements());
    return {pool() + e.at, n};
}

void MoveList::set(int slot, std::span<const ListMove> moves) {
    // Another slot's list moves with the pool when it grows: copy it out first.
    const char* bytes = reinterpret_cast<const char*>(moves.data());
    if (!moves.empty() && bytes >= m_pool.data() && bytes < m_pool.data() + m_pool.size()) {
        const std::vector<ListMove> copy(moves.begin(), moves.end());
        set(slot, copy);
        return;
    }
    std::span<ListMove> out = setUnfilled(slot, moves.size());
    if (!out.empty()) std::memcpy(out.data(), moves.data(), moves.size() * sizeof(ListMove));
    compactIfSparse();
}

void MoveList::clearSlot(int slot) {
    ++m_revision;
    if (slot >= 0 && slot < size()) drop(m_extents[static_cast<std::size_t>(slot)]);
    compactIfSparse();
}

void MoveList::remove(int slot) {
    ++m_revision;
    if (slot < 0 || slot >= size()) return;
    drop(m_extents[static_cast<std::size_t>(slot)]);
    m_extents.erase(m_extents.begin() + slot);
    compactIfSparse();
    assert(isConsistent());
}

void MoveList::remove(std::span<const int> slots) {
    ++m_revision;
    std::vector<bool> gone(m_extents.size(), false);
    for (const int slot : slots) {
        if (slot >= 0 && slot < size()) gone[static_cast<std::size_t>(slot)] = true;
    }
    std::size_t kept = 0;
    for (std::size_t s = 0; s < m_extents.size(); ++s) {
        if (gone[s]) {
            drop(m_extents[s]);
        } else {
            m_extents[kept++] = m_extents[s];
        }
    }
    m_extents.resize(kept);
    compactIfSparse();
    assert(isConsistent());
}

std::vector<int32_t> MoveList::origins() const {
    std::vector<int32_t> out(m_extents.size());
    for (std::size_t s = 0; s < out.size(); ++s) out[s] = m_extents[s].origin;
    return out;
}

void MoveList::markOrigins() {
    for (std::size_t s = 0; s < m_extents.size(); ++s) {
        m_extents[s].origin = static_cast<int32_t>(s);
    }
}

void MoveList::reorder(std::span<const int32_t> slots) {
    ++m_revision;
    std::vector<Extent> out;
    out.reserve(slots.size());
    std::vector<bool> taken(m_extents.size(), false);
    for (int32_t s : slots) {
        // A slot named twice keeps its list the first time only.
        if (s < 0 || s >= size() || taken[static_cast<std::size_t>(s)]) {
            out.emplace_back();
            continue;
        }
        taken[static_cast<std::size_t>(s)] = true;
        out.push_back(m_extents[static_cast<std::size_t>(s)]);
    }
    for (std::size_t s = 0; s < m_extents.size(); ++s) {
        if (!taken[s]) m_live -= m_extents[s].size;
    }
    m_extents = std::move(out);
    compactIfSparse();
    assert(isConsistent());
}

void MoveList::resize(int slots) {
    ++m_revision;
    const auto n = static_cast<std::size_t>(std::max(slots, 0));
    for (std::size_t s = n; s < m_extents.size(); ++s) m_live -= m_extents[s].size;
    m_extents.resize(n);
    compactIfSparse();
}

void MoveList::usePool(core::LargeBytes bytes) {
    ++m_revision;
    for (Extent& e : m_extents) e = Extent{};
    m_pool = std::move(bytes);
    m_used = poolElements();
    m_live = 0;
    assert(isConsistent());
}

void MoveList::setInPool(int slot, std::size_t at, std::size_t n) {
    if (slot < 0 || at > m_used || n > m_used - at) return;
    ++m_revision;
    if (slot >= size()) resize(slot + 1);
    Extent& e = m_extents[static_cast<std::size_t>(slot)];
    drop(e);
    e = {at, n};
    m_live += n;
    assert(holds(e) && m_live <= m_used);
}

void MoveList::reserve(std::size_t moves) {
    if (m_used + moves > poolElements()) {
        m_pool.resize((m_used + moves) * sizeof(ListMove));
    }
}

void MoveList::clear() {
    ++m_revision;
    m_extents.clear();
    m_pool = core::LargeBytes();
    m_used = 0;
    m_live = 0;
    assert(isConsistent());
}

bool MoveList::isConsistent() const {
    if (m_used > poolElements() || m_live > m_used) return false;
    std::size_t live = 0;
    for (const Extent& e : m_extents) {
        if (!holds(e)) return false;
        live += e.size;
    }
    return live == m_live;
}

void MoveList::compactIfSparse() {
    constexpr std::size_t kSmallGaps = 1 << 20;
    const std::size_t gaps = m_used - m_live;
    if (gaps <= kSmallGaps || gaps <= m_live) return;
    core::LargeBytes packed;
    packed.resize(m_live * sizeof(ListMove));
    auto* out = reinterpret_cast<ListMove*>(packed.data());
    std::size_t at = 0;
    for (Extent& e : m_extents) {
        if (e.size == 0) continue;
        std::memcpy(out + at, pool() + e.at, e.size * sizeof(ListMove));
        e.at = at;
        at += e.size;
    }
    m_pool = std::move(packed);
    m_used = at;
    assert(isConsistent());
}

}  // namespace dalmir::model
