// The main lines of a binary database: one compact list of two-byte moves per slot of the
// index table, built from a record just read and replayed into a record store for searching
// and showing. The database owns the lists; the table's slots and the lists correspond by
// number.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/record/record_store.h"

namespace database {

// One element of a list. origin: the origin square 11..99 of a board move, the unpromoted kind
// 1..7 of a dropped piece, or for a closing entry the origin byte the record store holds.
// destination: the square 11..99 plus 0x80 when the move promotes, or 0..10 for a closing entry
// (its terminal code).
struct ListMove {
    uint8_t origin = 0;
    uint8_t destination = 0;

    bool operator==(const ListMove&) const = default;
    bool isClosing() const { return core::isTerminalCode(destination); }
    bool isDrop() const { return !isClosing() && origin < 11; }
};

// The longest list a record can have: its main line as Dalmir reads it.
inline constexpr int kMaxListMoves = 2000;

// Builds the list of the main line the store holds (entries 1..N). A drop keeps the kind of the
// dropped piece as its origin.
void buildList(const core::RecordStore& store, std::vector<ListMove>& out);

enum class [[nodiscard]] ReplayResult : int{
    Ok = 0,
    NoList = -1,       // the list is empty
    BadHandicap = -2,  // the handicap has no set-up of its own (その他, 詰将棋)
    BadMove = -3,      // an element could not be played; the store holds the moves before it
};

// Sets up the start position of the index handicap code in the store (emptied first) and
// appends the list to it as its main line, closing entries included. A drop takes its piece
// from the first hand slot holding that kind for the side to move. The root is current after.
[[nodiscard]] ReplayResult replayList(std::span<const ListMove> list, uint8_t handicap,
                                      core::RecordStore& store);

// The lists of a database, one per slot (an empty list for a slot without one).
class MoveList {
public:
    int size() const { return static_cast<int>(m_lists.size()); }
    bool empty() const { return m_lists.empty(); }
    std::span<const ListMove> list(int slot) const;
    bool hasList(int slot) const { return !list(slot).empty(); }
    // Total of all elements.
    std::size_t moveCount() const;

    // Counts every change to the lists, so that what was derived from them (a position index)
    // can tell whether it still describes them.
    uint64_t revision() const { return m_revision; }

    // Sets the list of a slot, growing the table of lists when the slot lies beyond its end.
    void set(int slot, std::vector<ListMove> moves);
    void clearSlot(int slot);
    // Appends a list for the next slot.
    void append(std::vector<ListMove> moves) {
        ++m_revision;
        m_lists.push_back(std::move(moves));
    }
    // Removes a slot's list; later lists move down by one, as the table's slots do.
    void remove(int slot);
    // Keeps the lists of these slots, in this order (the table was rearranged the same way).
    void reorder(std::span<const int32_t> slots);
    void resize(int slots) {
        ++m_revision;
        m_lists.resize(static_cast<std::size_t>(std::max(slots, 0)));
    }
    // Frees every list.
    void clear() {
        ++m_revision;
        m_lists.clear();
    }

private:
    std::vector<std::vector<ListMove>> m_lists;
    uint64_t m_revision = 0;
};

}  // namespace database
