// The main lines of a binary database: one compact list of two-byte moves per slot of the
// index table, built from a record just read and replayed into a record store for searching
// and showing. The database owns the lists; the table's slots and the lists correspond by
// number.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "core/base/safe_file.h"
#include "core/record/record_store.h"

namespace dalmir::model {

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

// The lists of a database, one per slot (an empty list for a slot without one). They lie one
// after the other in one pool of memory, so that a million lists cost neither a million
// allocations nor their overhead; a list that is replaced or removed leaves a gap that is
// reclaimed once the gaps outgrow the lists. A span from list() holds until the next change.
class MoveList {
public:
    int size() const { return static_cast<int>(m_extents.size()); }
    bool empty() const { return m_extents.empty(); }
    std::span<const ListMove> list(int slot) const;
    bool hasList(int slot) const { return !list(slot).empty(); }
    // Total of all elements.
    std::size_t moveCount() const { return m_live; }

    // Counts every change to the lists, so that what was derived from them (a position index)
    // can tell whether it still describes them.
    uint64_t revision() const { return m_revision; }

    // Where each slot's list was at the last markOrigins(): that slot, or -1 for a list set or
    // cleared since (or a slot added since). Removals and reorders carry it along, so that what
    // was derived from the lists then (a position index) can be renumbered instead of rebuilt.
    std::vector<int32_t> origins() const;
    void markOrigins();

    // Sets the list of a slot, growing the table of lists when the slot lies beyond its end.
    void set(int slot, std::span<const ListMove> moves);
    void set(int slot, std::initializer_list<ListMove> moves) {
        set(slot, std::span<const ListMove>(moves.begin(), moves.size()));
    }
    // Sets the list of a slot to n elements for the caller to fill in through the span returned.
    // REQUIRES: the span is filled before the next change of the lists.
    std::span<ListMove> setUnfilled(int slot, std::size_t n);
    void clearSlot(int slot);
    // Appends a list for the next slot.
    void append(std::span<const ListMove> moves) { set(size(), moves); }
    void append(std::initializer_list<ListMove> moves) { set(size(), moves); }
    // Removes a slot's list; later lists move down by one, as the table's slots do.
    void remove(int slot);
    // Removes the lists of these slots (any order, repeats and slots out of range ignored) in
    // one pass; the others move down as removing them one by one would.
    void remove(std::span<const int> slots);
    // Keeps the lists of these slots, in this order (the table was rearranged the same way).
    void reorder(std::span<const int32_t> slots);
    void resize(int slots);
    // Takes bytes as the pool of the lists (two bytes an element), every list emptied; the lists
    // are then set with setInPool. A file read whole thus becomes the lists without a copy.
    void usePool(core::LargeBytes bytes);
    // Sets the list of a slot to the n elements of the pool from element `at` (nothing when they
    // lie beyond it).
    void setInPool(int slot, std::size_t at, std::size_t n);
    // Makes room for this many elements in all.
    void reserve(std::size_t moves);
    // Frees every list.
    void clear();

    // Whether the bookkeeping holds: every list lies within the used part of the pool, the pool
    // holds that part, and the lengths add up to moveCount(). One pass over the lists; asserted
    // in Debug builds after the changes that pass over the lists anyway (the others assert the
    // list they touched) and called by the tests.
    bool isConsistent() const;

private:
    struct Extent {
        std::size_t at = 0;  // first element in the pool
        std::size_t size = 0;
        int32_t origin = -1;  // the slot at the last markOrigins()
    };
    ListMove* pool() { return reinterpret_cast<ListMove*>(m_pool.data()); }
    const ListMove* pool() const { return reinterpret_cast<const ListMove*>(m_pool.data()); }
    void drop(Extent& e);
    // Whether e lies within the used part of the pool.
    bool holds(const Extent& e) const {
        return e.size == 0 || (e.at <= m_used && e.size <= m_used - e.at);
    }
    std::size_t poolElements() const { return m_pool.size() / sizeof(ListMove); }
    // Rewrites the pool without its gaps when they outgrow the lists.
    void compactIfSparse();

    std::vector<Extent> m_extents;
    core::LargeBytes m_pool;  // ListMove elements
    std::size_t m_used = 0;   // elements of the pool in use, gaps included
    std::size_t m_live = 0;   // elements of the lists
    uint64_t m_revision = 0;
};

}  // namespace dalmir::model
