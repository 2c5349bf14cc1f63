// The tree index of a binary database: an optional sidecar file "NAME.DTR" beside the DLB that
// holds, for every position that many records reach, each of those records with the ply of its
// first visit and the move it played next. The tree of such a position is then read off instead
// of replaying hundreds of thousands of main lines; a position that fewer records reach is found
// through the position index (or a scan) as before. Built from the lists and handicap codes, it
// is stale as soon as they change, which opening detects like the position index's staleness.
//
// Positions are told apart by treeKey (64 bits of board, hands and side to move).
//
// File layout (little-endian): a 64-byte header (magic "DTR1", version, slots, the fewest
// records a kept position has, the fingerprint of the lists and handicaps it was built from, the
// numbers of positions and hits, a checksum of everything after the header and one of the
// header), then per position its key, first hit and hit count (16 bytes, ascending by key), then
// the hits (slot, ply, next move's two bytes; 0 0 for a record that ended there), ascending by
// slot within a position.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"
#include "dalmir/model/store/position_index.h"
#include "dalmir/model/table/index_table.h"
#include "dalmir/model/table/move_list.h"
#include "dalmir/model/tree/opening_tree.h"

namespace dalmir::model {

// A position is kept when at least this many records reach it.
inline constexpr uint32_t kTreeIndexLeastRecords = 512;

class TreeIndex {
public:
    // Builds the index of the table's slots. Null when the table is too large for the layout.
    static std::shared_ptr<const TreeIndex> build(const IndexTable& table, const MoveList& lists,
                                                  uint32_t leastRecords = kTreeIndexLeastRecords);
    // Reads the file at fsPath whole and checks it and that it describes the table and lists.
    // The outcome in result: Ok, Missing, Damaged, Stale or CannotRead (as the position index's).
    static std::shared_ptr<const TreeIndex> open(const std::string& fsPath, const IndexTable& table,
                                                 const MoveList& lists,
                                                 PositionIndexReadResult& result);

    std::string_view bytes() const { return m_bytes.view(); }
    int slots() const { return static_cast<int>(m_slots); }
    uint64_t fingerprint() const { return m_fingerprint; }
    uint64_t positions() const { return m_positions; }
    uint64_t hits() const { return m_hits; }
    uint32_t leastRecords() const { return m_least; }
    // Whether the index describes these lists (its slots and fingerprint agree).
    bool describes(const IndexTable& table, const MoveList& lists) const;

    // The hits of the position with this key, when the index keeps it (replacing out). False
    // when it does not: fewer records reach the position than the index keeps.
    bool hitsOf(uint64_t key, std::vector<TreeHit>& out) const;

private:
    TreeIndex() = default;
    bool attach();

    core::LargeBytes m_bytes;
    uint32_t m_slots = 0;
    uint32_t m_least = 0;
    uint64_t m_fingerprint = 0;
    uint64_t m_positions = 0;
    uint64_t m_hits = 0;
    const char* m_keys = nullptr;
    const char* m_hitBytes = nullptr;
};

// "NAME.DTR" beside the DLB or KIX at fsPath (any extension is replaced).
std::string treeIndexPath(std::string_view fsPath);

// Writes the index crash-safe beside the pair at fsPath.
[[nodiscard]] core::WriteResult writeTreeIndex(const std::string& fsPath, const TreeIndex& index);

// The status text for a tree index that was found but not used, empty for the others.
std::string treeIndexNotice(PositionIndexReadResult result, std::string_view storedPath);

}  // namespace dalmir::model
