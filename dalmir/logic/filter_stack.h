// The filters above the list: each search, a statistics row, a date range or a result adds one,
// shown as a chip that can be switched off or removed; the list shows the records every switched
// on filter keeps. Each filter keeps the set of slots it matches over the whole database, so
// switching one off or on is one AND of bit sets and one pass over the full list order, never a
// search again. A stack can be saved by name (its definitions as text) and recalled: header
// filters are evaluated again at once; position and sequence filters need their search run
// again by the window.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dalmir/model/search/search.h"
#include "dalmir/model/table/index_table.h"

namespace dalmir {

// A set of slots 0..size-1.
class SlotSet {
public:
    SlotSet() = default;
    // Every slot in (full) or none.
    explicit SlotSet(int size, bool full = false);

    int size() const { return m_size; }
    bool test(int slot) const {
        return slot >= 0 && slot < m_size &&
               ((m_words[static_cast<std::size_t>(slot) >> 6] >> (slot & 63)) & 1U) != 0;
    }
    void set(int slot);
    int count() const;
    // Keeps only the slots both hold; a set of another size keeps the shorter's range.
    void andWith(const SlotSet& other);
    static SlotSet of(int size, std::span<const int32_t> slots);

    bool operator==(const SlotSet&) const = default;

private:
    int m_size = 0;
    std::vector<uint64_t> m_words;
};

enum class FilterKind : uint8_t {
    Header,    // 条件検索's criteria, or a statistics row as the equivalent criteria
    Result,    // one result code
    Position,  // a position search (target as SFEN)
    Sequence,  // a sequence search (the pattern's text)
};

struct FilterDefinition {
    FilterKind kind = FilterKind::Header;
    model::HeaderCriteria header;
    int result = 0;
    // Position: the target's SFEN with its search options; Sequence: the pattern.
    std::string text;
    model::PositionSearchOptions options;

    bool operator==(const FilterDefinition& o) const;
};

struct Filter {
    FilterDefinition definition;
    std::string label;  // the chip's text (UTF-8)
    bool enabled = true;
    SlotSet hits;  // over every slot of the database
    // False when the definition does not say everything the hits came from (a header search
    // narrowed further by game end, material or comments): such a filter is not saved.
    bool savable = true;
};

// The slots of the table a header or result definition keeps; nullopt for a position or a
// sequence, which only a search can answer.
std::optional<SlotSet> evaluateFilter(const FilterDefinition& definition,
                                      const model::IndexTable& table);

// A chip's text: the criteria that are set, joined ("先手:羽生 戦型:矢倉 2001/01/01〜").
std::string filterLabel(const FilterDefinition& definition);

class FilterStack {
public:
    bool empty() const { return m_filters.empty(); }
    const std::vector<Filter>& filters() const { return m_filters; }

    // The full list order the filters narrow: every slot in the list's sort order. Set when the
    // first filter is added and again after a sort or a change of the records.
    void setBase(std::vector<int32_t> order) {
        m_base = std::move(order);
        m_baseSort = -1;
    }
    const std::vector<int32_t>& base() const { return m_base; }

    void add(Filter filter);
    // False for an index out of range.
    bool setEnabled(std::size_t index, bool enabled);
    bool remove(std::size_t index);
    void clear();

    // Makes the table's list the stack's: every slot in the table's sort order (sorted again
    // only when the order or the records changed since the last time), narrowed by the
    // switched on filters.
    void show(model::IndexTable& table);
    // The base must be sorted again (records were added, removed or changed).
    void invalidateBase() { m_baseSort = -1; }

    // The slots every switched on filter keeps (all of size slots when none is on).
    SlotSet combined(int size) const;
    // The base order narrowed to the combined set, in base order.
    std::vector<int32_t> apply(int size) const;

private:
    std::vector<Filter> m_filters;
    std::vector<int32_t> m_base;
    int m_baseSort = -1;  // the sort order m_base was made with; -1: none
};

// A stack's definitions as one line of text each, for the settings; and back. Lines that can't
// be read are reported in `bad` (1-based line numbers), never dropped silently. Filters that are
// not savable are left out and counted in *skipped.
std::string saveFilterStack(const std::vector<Filter>& filters, int* skipped = nullptr);
struct FilterStackRead {
    std::vector<Filter> filters;  // hits empty: evaluate them against the database
    std::vector<int> bad;
};
FilterStackRead readFilterStack(std::string_view text);

}  // namespace dalmir
