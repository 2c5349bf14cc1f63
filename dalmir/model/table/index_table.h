// The index of one Dalmir database in memory: the registered entries in registration order
// (slots), the display order of the list, the index file's path and the database's settings.
// The document owns one table; its capacity is the user's setting max_records.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dalmir/model/table/index_entry.h"
#include "dalmir/model/table/index_settings.h"

namespace dalmir::model {

// Records a database holds unless the user changes the setting max_records; the window and
// dalmir-cli share it.
inline constexpr int kDefaultMaxRecords = 100000;

// "登録が最大数(%d)を超えました。" with the capacity.
std::string tableFullMessage(int capacity);

class IndexTable {
public:
    explicit IndexTable(int capacity = kDefaultMaxRecords);

    int capacity() const { return m_capacity; }
    // Changes the capacity for later additions; entries already held stay.
    void setCapacity(int capacity);

    int size() const { return static_cast<int>(m_entries.size()); }
    bool empty() const { return m_entries.empty(); }
    bool isFull() const { return size() >= m_capacity; }

    // REQUIRES: 0 <= slot < size()
    const IndexEntry& entry(int slot) const {
        assert(slot >= 0 && slot < size());
        return m_entries[static_cast<std::size_t>(slot)];
    }
    IndexEntry& entry(int slot) {
        assert(slot >= 0 && slot < size());
        return m_entries[static_cast<std::size_t>(slot)];
    }
    const std::vector<IndexEntry>& entries() const { return m_entries; }

    // Puts the entry into the next slot and returns the slot number, or -3 when the table is
    // full. The display order is left as it is.
    [[nodiscard]] int append(IndexEntry entry);
    // Puts an entry read from a stored index into the next slot, beyond the capacity if need
    // be: loading never drops records. A table holding more than its capacity refuses additions
    // until slots are removed.
    void appendLoaded(IndexEntry entry);
    // Makes room for this many entries in all (a file about to be read says how many).
    void reserve(int entries) { m_entries.reserve(static_cast<std::size_t>(std::max(entries, 0))); }

    // Removes a slot: later slots move down by one, the slot leaves the display order and every
    // larger slot number in it decreases by one.
    void removeSlot(int slot);
    // Removes these slots (any order; repeats and slots out of range ignored) in one pass, as
    // removing them one by one would.
    void removeSlots(std::span<const int> slots);

    // Empties the table: no entries, empty display order. Path and settings stay.
    void clear();

    // Whether the display order names only slots the table holds, none of them twice. One pass
    // over the display order; asserted after every change of it (Debug builds: appending
    // cannot break it) and called by the tests. Whoever edits displayOrder() keeps it so.
    bool isConsistent() const;

    // The slot numbers the list shows, in list order.
    const std::vector<int32_t>& displayOrder() const { return m_displayOrder; }
    std::vector<int32_t>& displayOrder() { return m_displayOrder; }
    // Lists every slot in slot order.
    void rebuildDisplayOrder();

    // Full path of the index file; empty for an untitled database.
    const std::string& path() const { return m_path; }
    void setPath(std::string path) { m_path = std::move(path); }
    // The index file's folder including its final "/"; empty when untitled.
    std::string_view folder() const;
    // A stored record path as a path to open.
    std::string resolve(std::string_view storedPath) const;
    // Slot of the record whose path names the same file (stored paths resolved first), or -1.
    int findPath(std::string_view path) const;

    const IndexSettings& settings() const { return m_settings; }
    IndexSettings& settings() { return m_settings; }

private:
    int m_capacity;
    std::vector<IndexEntry> m_entries;
    std::vector<int32_t> m_displayOrder;
    std::string m_path;
    IndexSettings m_settings;
};

}  // namespace dalmir::model
