// The position index of a binary database: a sidecar file "NAME.DPX" beside the DLB that lists,
// for every position a slot's move list passes through, which slots reach it, so that a position
// search replays only the slots that can hold the target instead of all of them.
//
// Every position is hashed twice: in full (board and hands, not the side to move), and without
// its pawns and promoted pawns (board and hands). A target that accounts for every piece of the
// set can only match a position whose full key equals its own; with edge pawns left out of the
// comparison, only one whose pawnless key does. The hash picks one of 2^bits buckets, and a
// bucket holds the ascending slots of the positions in it, so the index never misses a slot; the
// search still compares every candidate in full. A target short of pieces gets no narrowing.
//
// File layout (little-endian): a 64-byte header (magic "DPX1", version, slots, bucket bits, a
// fingerprint of the lists and handicaps it was built from, entry counts of the two keys, a
// checksum of everything after the header and one of the header), the handicap code of every
// slot (padded to 8 bytes), then per key the bucket offsets (2^bits + 1 uint32) and the slots.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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
    uint64_t entries(PositionKey key) const { return m_entries[static_cast<std::size_t>(key)]; }
    // The handicap codes the index was built with, slot for slot.
    std::span<const uint8_t> handicaps() const { return {m_handicaps, m_slots}; }

    // The ascending slots of the bucket of a key: a superset of the slots reaching a position
    // with that key. nullopt when the bucket's entries are out of range (a damaged file whose
    // checksums were made to agree): the search then scans.
    std::optional<std::span<const uint32_t>> slotsOf(PositionKey key, uint64_t hash) const;

private:
    PositionIndex() = default;
    static std::shared_ptr<const PositionIndex> buildOn(const PositionIndex* earlier,
                                                        const IndexTable& table,
                                                        const MoveList& lists);
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
    uint64_t m_fingerprint = 0;
    std::array<uint64_t, 2> m_entries{};
    const uint8_t* m_handicaps = nullptr;
    std::array<const uint32_t*, 2> m_offsets{};
    std::array<const uint32_t*, 2> m_slotLists{};
};

// "NAME.DPX" beside the DLB or KIX at fsPath (any extension is replaced).
std::string positionIndexPath(std::string_view fsPath);

// Writes the index crash-safe beside the pair at fsPath.
[[nodiscard]] core::WriteResult writePositionIndex(const std::string& fsPath,
                                                   const PositionIndex& index);

// The status text for an index that was found but not used: "局面インデックス(%s)が
// 壊れているため、使わずに検索します。" or "...が古いため、...".
std::string positionIndexNotice(PositionIndexReadResult result, std::string_view storedPath);

}  // namespace dalmir::model
