#include "dalmir/model/table/index_table.h"

#include <algorithm>
#include <cstdio>

#include "core/base/path_text.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/index_paths.h"

namespace dalmir::model {

std::string tableFullMessage(int capacity) {
    static const std::string kFormat = std::string("登録が最大数(%d)を超えました。");
    return core::formatMessage(kFormat, {std::to_string(capacity)});
}

IndexTable::IndexTable(int capacity) : m_capacity(std::max(capacity, 1)) {}

void IndexTable::setCapacity(int capacity) { m_capacity = std::max(capacity, 1); }

int IndexTable::append(IndexEntry entry) {
    if (isFull()) return -3;
    m_entries.push_back(std::move(entry));
    return size() - 1;
}

void IndexTable::appendLoaded(IndexEntry entry) { m_entries.push_back(std::move(entry)); }

void IndexTable::removeSlot(int slot) {
    if (slot < 0 || slot >= size()) return;
    m_entries.erase(m_entries.begin() + slot);
    std::erase(m_displayOrder, slot);
    for (int32_t& s : m_displayOrder) {
        if (s > slot) --s;
    }
    assert(isConsistent());
}

void IndexTable::removeSlots(std::span<const int> slots) {
    std::vector<int32_t> renumbered(m_entries.size(), 0);
    for (const int slot : slots) {
        if (slot >= 0 && slot < size()) renumbered[static_cast<std::size_t>(slot)] = -1;
    }
    std::size_t kept = 0;
    for (std::size_t s = 0; s < m_entries.size(); ++s) {
        if (renumbered[s] < 0) continue;
        renumbered[s] = static_cast<int32_t>(kept);
        if (kept != s) m_entries[kept] = std::move(m_entries[s]);
        ++kept;
    }
    m_entries.resize(kept);
    std::erase_if(m_displayOrder,
                  [&](int32_t s) { return renumbered[static_cast<std::size_t>(s)] < 0; });
    for (int32_t& s : m_displayOrder) s = renumbered[static_cast<std::size_t>(s)];
    assert(isConsistent());
}

void IndexTable::clear() {
    m_entries.clear();
    m_displayOrder.clear();
    assert(isConsistent());
}

bool IndexTable::isConsistent() const {
    std::vector<bool> shown(m_entries.size(), false);
    for (int32_t slot : m_displayOrder) {
        if (slot < 0 || slot >= size() || shown[static_cast<std::size_t>(slot)]) return false;
        shown[static_cast<std::size_t>(slot)] = true;
    }
    return true;
}

void IndexTable::rebuildDisplayOrder() {
    m_displayOrder.resize(m_entries.size());
    for (std::size_t i = 0; i < m_displayOrder.size(); ++i) {
        m_displayOrder[i] = static_cast<int32_t>(i);
    }
    assert(isConsistent());
}

std::string_view IndexTable::folder() const { return core::folderOf(m_path); }

std::string IndexTable::resolve(std::string_view storedPath) const {
    return resolvePath(folder(), storedPath);
}

int IndexTable::findPath(std::string_view path) const {
    std::string wanted = pathKey(resolve(path));
    for (int slot = 0; slot < size(); ++slot) {
        if (pathKey(resolve(entry(slot).path())) == wanted) return slot;
    }
    return -1;
}

}  // namespace dalmir::model
