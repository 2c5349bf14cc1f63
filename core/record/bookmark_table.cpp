#include "core/record/bookmark_table.h"

#include <algorithm>

#include "core/text/sjis.h"

namespace core {

BookmarkTable::BookmarkTable() { m_entries.reserve(kMaxBookmarks); }

BookmarkResult BookmarkTable::set(NodeIndex node, std::string_view name, bool allowDuplicates) {
    std::string_view cut = cutToBytes(name, kBookmarkNameBytes);
    if (!allowDuplicates) {
        for (const Bookmark& b : m_entries) {
            if (b.node != node && b.name == cut) return BookmarkResult::DuplicateName;
        }
    }
    int i = indexOf(node);
    if (i >= 0) {
        m_entries[static_cast<std::size_t>(i)].name.assign(cut);
        return BookmarkResult::Ok;
    }
    if (count() >= kMaxBookmarks) return BookmarkResult::TableFull;
    m_entries.push_back(Bookmark{node, std::string(cut)});
    return BookmarkResult::Ok;
}

int BookmarkTable::indexOf(NodeIndex node) const {
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [node](const Bookmark& b) { return b.node == node; });
    return it == m_entries.end() ? -1 : static_cast<int>(it - m_entries.begin());
}

NodeIndex BookmarkTable::nodeByName(std::string_view name) const {
    std::string_view cut = cutToBytes(name, kBookmarkNameBytes);
    for (const Bookmark& b : m_entries) {
        if (b.name == cut) return b.node;
    }
    return kNoNode;
}

const Bookmark* BookmarkTable::at(int i) const {
    if (i < 0 || i >= count()) return nullptr;
    return &m_entries[static_cast<std::size_t>(i)];
}

bool BookmarkTable::eraseAt(int i) {
    if (i < 0 || i >= count()) return false;
    m_entries.erase(m_entries.begin() + i);
    return true;
}

bool BookmarkTable::eraseOf(NodeIndex node) { return eraseAt(indexOf(node)); }

bool BookmarkTable::eraseByName(std::string_view name) {
    std::string_view cut = cutToBytes(name, kBookmarkNameBytes);
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [cut](const Bookmark& b) { return b.name == cut; });
    if (it == m_entries.end()) return false;
    m_entries.erase(it);
    return true;
}

bool BookmarkTable::move(int from, int to) {
    if (from < 0 || from >= count() || to < 0 || to >= count()) return false;
    auto first = m_entries.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else if (from > to) {
        std::rotate(first + to, first + from, first + from + 1);
    }
    return true;
}

}  // namespace core
