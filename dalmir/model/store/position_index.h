// The position index of a binary database: a sidecar file "NAME.DPX" beside the DLB that lists,
// for every position a slot's move list passes through, which slots reach it, so that a position
// search replays only the slots that can hold the target instead of all of them.
//
// Every position is hashed twice: in full (board and hands, not the side to move), and without
// its pawns and promoted pawns (board and hands). A target that accounts for every piece of the
// set can only match a position whose full key equals its own; with edge pawns left out of the
// comparison, only one whose pawnless key does. The pawnless key picks one of 2^bits buckets
// (about 4,096 entries each), and a bucket holds a value per slot and tag, ascending: the slot
// times 16 plus the top 4 bits of the full key of a position of that slot in the bucket. A
// search with the full key takes the slots whose tag agrees, one with the pawnless key every
// slot of the bucket; the index never misses a slot, and the search still compares every
// candidate in full. A target short of pieces gets no narrowing.
//
// The values of a bucket are stored as the distances between them, Rice-coded with one
// parameter k for the file (near the mean distance): distance >> k one bits, a zero bit, then
// the k low bits, from the lowest bit of each byte up; each bucket starts on a byte.
//
// File layout (little-endian): a 64-byte header (magic "DPX1", version 3, slots, bucket bits, a
// fingerprint of the lists and handicaps it was built from, the entry count, k, the tag bits, a
// checksum of everything after the header and one of the header), the handicap code of every
// slot (padded to 8 bytes), the byte offset of every bucket in the data (2^bits + 1 uint64),
// the entry count of every bucket (uint32, padded), then the data (padded, and 8 zero bytes).
// Files of an earlier version read as out of date.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"
#include "core/rules/position.h"
#include "dalmir/model/store/list_replay.h"
#include "dalmir/model/table/index_table.h"
#include "dalmir/model/table/move_list.h"

namespace dalmir::model {

enum class PositionKey : uint8_t { Full = 0, WithoutPawns = 1 };

// The two keys of a board.
std::array<uint64_t, 2> positionKeys(const ReplayBoard& board);
// The board turned round: square s to 110 - s, the sides and the hands exchanged.
ReplayBoard reversedBoard(const ReplayBoard& board);
// Whether the board and hands hold every piece of the set (18 pawns, 4 lances ... 2 kings),
// promoted pieces counted as their kind: only then does the index narrow a search.
bool holdsEveryPiece(const ReplayBoard& board);

// A checksum of the lists and the handicap codes of the table's slots (what the positions of
// the slots follow from).
uint64_t listsFingerprint(const IndexTable& table, const MoveList& lists);
// The same of the first `slots` slots alone, as an index of those slots holds it.
uint64_t listsFingerprint(const IndexTable& table, const MoveList& lists, int slots);

enum class [[nodiscard]] PositionIndexReadResult : int{
    Ok = 0,
    Missing = 1,     // no index file: the database searches without one
    Damaged = -1,    // truncated, a bad checksum or an unknown layout
    Stale = -2,      // built from other lists than the database holds now
    CannotRead = -3  // the file exists but could not be opened or mapped
};

class PositionIndex {
public:
    ~PositionIndex();
    PositionIndex(const PositionIndex&) = delete;
    PositionIndex& operator=(const PositionIndex&) = delete;

    // Builds the index of the table's slots. Null when the positions exceed what the layout can
    // count.
    static std::shared_ptr<const PositionIndex> build(const IndexTable& table,
                                                      const MoveList& lists);
    // The index of the table's slots from an earlier one of its first slots (records were
    // appended since): only the new slots are replayed. Built afresh when earlier does not
    // describe the first slots as they are now or the slots no longer fit its buckets; the
    // outcome is byte for byte that of build().
    static std::shared_ptr<const PositionIndex> extend(const PositionIndex& earlier,
                                                       const IndexTable& table,
                                                       const MoveList& lists);
    // The index of the table's slots from an earlier one, given where each slot's list was when
    // the earlier one was made: origins[slot] is that earlier slot, or -1 for a list set since
    // (MoveList::origins). The earlier entries are renumbered without replaying their games;
    // only the new lists (and those whose handicap changed) are replayed. Built afresh when the
    // earlier index can't be read or has fewer buckets than the slots need now; the outcome is
    // byte for byte that of build().
    static std::shared_ptr<const PositionIndex> update(const PositionIndex& earlier,
                                                       std::span<const int32_t> origins,
                                                       const IndexTable& table,
                                                       const MoveList& lists);
    // Maps the file at fsPath and checks it against the table and lists.
    static std::shared_ptr<const PositionIndex> open(const std::string& fsPath,
                                                     const IndexTable& table, const MoveList& lists,
                                                     PositionIndexReadResult& result);

    // The file's bytes.
    std::string_view bytes() const { return {m_data, m_size}; }
    // Whether the file an opened index maps is as it was when opened (always true for a built
    // one). A file rewritten in place (a backup copied over it) may have shrunk under the mapping:
    // its pages must not be read then, and the index is not used.
    bool fileUnchanged() const;
    int slots() const { return static_cast<int>(m_slots); }
    uint64_t fingerprint() const { return m_fingerprint; }
    uint64_t entries() const { return m_entries; }
    // The file an opened index maps (empty for a built one).
    const std::string& sourcePath() const { return m_path; }
    // The handicap codes the index was built with, slot for slot.
    std::span<const uint8_t> handicaps() const { return {m_handicaps, m_slots}; }

    // The ascending slots that may reach a position with these keys (positionKeys), compared by
    // the given key: a superset of those that do. nullopt when the bucket's codes don't read (a
    // damaged file whose checksums were made to agree): the search then scans.
    std::optional<std::vector<uint32_t>> slotsOf(PositionKey key,
                                                 const std::array<uint64_t, 2>& keys) const;

private:
    PositionIndex() = default;
    // Calls visit(value) for each value of a bucket, ascending; false when its codes don't read.
    template <class Visit>
    bool eachValue(std::size_t bucket, Visit&& visit) const;
    // Takes the bytes of an index after checking its header and layout, and its checksum unless
    // the caller sums the file itself.
    bool attach(const char* data, std::size_t size, bool sumBody = true);

    core::LargeBytes m_owned;   // a built index
    void* m_mapping = nullptr;  // an opened one
    int m_fd = -1;              // the mapped file, kept open to notice a change in place
    struct timespec m_mtime {};
    const char* m_data = nullptr;
    std::size_t m_size = 0;
    uint32_t m_slots = 0;
    uint32_t m_bits = 0;
    uint32_t m_k = 0;
    uint64_t m_fingerprint = 0;
    uint64_t m_entries = 0;
    const uint8_t* m_handicaps = nullptr;
    std::size_t m_offsetsAt = 0, m_countsAt = 0, m_dataAt = 0, m_dataBytes = 0;
    std::string m_path;
};

// "NAME.DPX" beside the DLB or KIX at fsPath (any extension is replaced).
std::string positionIndexPath(std::string_view fsPath);

// Writes the index crash-safe beside the pair at fsPath (nothing when it is the unchanged file
// the index was read from).
[[nodiscard]] core::WriteResult writePositionIndex(const std::string& fsPath,
                                                   const PositionIndex& index,
                                                   const core::WriteStep& step = {});

// The status text for an index that was found but not used: "局面インデックス(%s)が
// 壊れているため、使わずに検索します。" or "...が古いため、...".
std::string positionIndexNotice(PositionIndexReadResult result, std::string_view storedPath);

}  // namespace dalmir::model
