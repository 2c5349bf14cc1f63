// The named bookmarks of a record: at most kMaxBookmarks entries in registration order, each a
// node index and a name of at most kBookmarkNameBytes bytes. Owned by the RecordStore, which
// checks node indexes and counts modifications.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/rules/move_node.h"

namespace core {

inline constexpr int kMaxBookmarks = 1024;
inline constexpr std::size_t kBookmarkNameBytes = 255;

struct Bookmark {
    NodeIndex node = kNoNode;
    std::string name;
};

enum class [[nodiscard]] BookmarkResult : int{
    Ok = 0,
    TableFull = -1,      // kMaxBookmarks are in use
    DuplicateName = -2,  // another node already has a bookmark of that name
    NoNode = -4,         // the node index is not a node in use
};

class BookmarkTable {
public:
    BookmarkTable();

    // Cuts name to kBookmarkNameBytes (never inside a two-byte character). Renames the node's
    // bookmark if it has one, else appends. Unless allowDuplicates, refuses a name another node
    // already carries.
    BookmarkResult set(NodeIndex node, std::string_view name, bool allowDuplicates);

    // Table index of the node's bookmark, -1 if none.
    int indexOf(NodeIndex node) const;
    // Node of the first bookmark registered with that name (cut like set() does), -1 if none.
    NodeIndex nodeByName(std::string_view name) const;
    // Null when i is out of range.
    const Bookmark* at(int i) const;
    int count() const { return static_cast<int>(m_entries.size()); }

    bool eraseAt(int i);
    bool eraseOf(NodeIndex node);
    bool eraseByName(std::string_view name);
    // Moves entry `from` to position `to`, shifting the ones between (the order is shown to the
    // user and kept in files).
    bool move(int from, int to);
    void clear() { m_entries.clear(); }

    const std::vector<Bookmark>& entries() const { return m_entries; }

private:
    std::vector<Bookmark> m_entries;
};

}  // namespace core
