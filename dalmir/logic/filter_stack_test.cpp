#include "dalmir/logic/filter_stack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "dalmir/logic/sort_order.h"

namespace dalmir {
namespace {

using model::HeaderCriteria;
using model::IndexEntry;
using model::IndexTable;
using model::IndexText;

const char* const kPlayers[] = {"羽生 善治", "谷川浩司", "佐藤", "Abe", "森内"};
const char* const kOpenings[] = {"矢倉", "四間飛車", "角換わり", ""};
const char* const kEvents[] = {"名人戦", "竜王戦", "王位戦"};

IndexTable randomTable(std::mt19937& rng, int records) {
    IndexTable table(records);
    auto pick = [&](const auto& list) {
        return list[std::uniform_int_distribution<std::size_t>(0, std::size(list) - 1)(rng)];
    };
    for (int i = 0; i < records; ++i) {
        IndexEntry e;
        e.setText(IndexText::BlackPlayer, pick(kPlayers));
        e.setText(IndexText::WhitePlayer, pick(kPlayers));
        e.setText(IndexText::Opening, pick(kOpenings));
        e.setText(IndexText::Event, pick(kEvents));
        e.start = {static_cast<uint16_t>(std::uniform_int_distribution<int>(1990, 2010)(rng)),
                   static_cast<uint8_t>(std::uniform_int_distribution<int>(1, 12)(rng)), 1};
        e.result = static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 4)(rng));
        e.handicap = static_cast<uint8_t>(i % 7 == 0 ? 4 : 0);
        EXPECT_GE(table.append(std::move(e)), 0);
    }
    table.rebuildDisplayOrder();
    return table;
}

// A few definitions of every kind the stack evaluates itself.
std::vector<FilterDefinition> definitions() {
    std::vector<FilterDefinition> out;
    FilterDefinition d;
    d.header.playerA = "羽生";
    out.push_back(d);
    d = {};
    d.header.opening = "飛車";
    out.push_back(d);
    d = {};
    d.header.fromOn = true;
    d.header.from = {2000, 1, 1};
    d.header.toOn = true;
    d.header.to = {2005, 12, 31};
    out.push_back(d);
    d = {};
    d.kind = FilterKind::Result;
    d.result = 1;
    out.push_back(d);
    d = {};
    d.header.event = "名人";
    d.header.handicap = 1;  // 平手
    out.push_back(d);
    return out;
}

// What narrowing the list by each definition in turn gives, tested record by record.
std::vector<int32_t> direct(const IndexTable& table, const std::vector<int32_t>& order,
                            const std::vector<FilterDefinition>& defs) {
    std::vector<int32_t> out;
    for (int32_t slot : order) {
        const IndexEntry& e = table.entry(slot);
        bool keep = true;
        for (const FilterDefinition& d : defs) {
            keep = keep && (d.kind == FilterKind::Result ? e.result == d.result
                                                         : model::matchesHeader(e, d.header));
        }
        if (keep) out.push_back(slot);
    }
    return out;
}

Filter filterOf(const FilterDefinition& d, const IndexTable& table) {
    Filter f;
    f.definition = d;
    f.label = filterLabel(d);
    f.hits = *evaluateFilter(d, table);
    return f;
}

TEST(FilterStack, EveryPairAndTripleMatchesDirectFilteringAndSwitchingOneOff) {
    std::mt19937 rng(44);
    for (int round = 0; round < 3; ++round) {
        IndexTable table = randomTable(rng, 400 + round * 77);
        // The base order is the list sorted (here by black player, descending by date).
        ASSERT_TRUE(sortDisplayOrder(table, 2));
        const std::vector<int32_t> base = table.displayOrder();
        const std::vector<FilterDefinition> defs = definitions();
        const std::size_t n = defs.size();
        for (std::size_t mask = 0; mask < (1U << n); ++mask) {
            const int bits = std::popcount(mask);
            if (bits != 2 && bits != 3) continue;
            FilterStack stack;
            stack.setBase(base);
            std::vector<FilterDefinition> chosen;
            for (std::size_t i = 0; i < n; ++i) {
                if ((mask >> i) & 1U) {
                    chosen.push_back(defs[i]);
                    stack.add(filterOf(defs[i], table));
                }
            }
            EXPECT_EQ(stack.apply(table.size()), direct(table, base, chosen)) << mask;
            // Switching each one off gives the others' list; on again, the whole stack's.
            for (std::size_t off = 0; off < chosen.size(); ++off) {
                ASSERT_TRUE(stack.setEnabled(off, false));
                std::vector<FilterDefinition> rest = chosen;
                rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(off));
                EXPECT_EQ(stack.apply(table.size()), direct(table, base, rest)) << mask;
                ASSERT_TRUE(stack.setEnabled(off, true));
            }
            EXPECT_EQ(stack.apply(table.size()), direct(table, base, chosen)) << mask;
            // Removing the first leaves the rest.
            ASSERT_TRUE(stack.remove(0));
            EXPECT_EQ(stack.apply(table.size()),
                      direct(table, base, {chosen.begin() + 1, chosen.end()}));
        }
    }
}

// The list the stack shows follows the table's sort order, also after it changed.
TEST(FilterStack, ShowsTheListInTheTablesOrder) {
    std::mt19937 rng(3);
    IndexTable table = randomTable(rng, 200);
    FilterStack stack;
    const std::vector<FilterDefinition> defs = definitions();
    stack.add(filterOf(defs[0], table));
    stack.add(filterOf(defs[3], table));
    ASSERT_TRUE(sortDisplayOrder(table, 2));
    std::vector<int32_t> all = table.displayOrder();
    table.displayOrder().resize(3);  // a narrowed list: the stack starts from every record
    stack.show(table);
    EXPECT_EQ(table.displayOrder(), direct(table, all, {defs[0], defs[3]}));
    EXPECT_TRUE(table.isConsistent());
    ASSERT_TRUE(stack.setEnabled(0, false));
    ASSERT_TRUE(sortDisplayOrder(table, 3));
    table.rebuildDisplayOrder();
    ASSERT_TRUE(sortDisplayOrder(table, 3));
    all = table.displayOrder();
    stack.show(table);
    EXPECT_EQ(table.displayOrder(), direct(table, all, {defs[3]}));
}

TEST(FilterStack, SavedStackRecallsTheSameListAndKeepsWhatIsOff) {
    std::mt19937 rng(7);
    IndexTable table = randomTable(rng, 300);
    FilterStack stack;
    stack.setBase(table.displayOrder());
    std::vector<FilterDefinition> defs = definitions();
    // Texts that need escaping and every field survive the round trip.
    defs[1].header.publishedIn = "将棋\t世界\\号\n";
    defs[1].header.fileName = "a=b";
    defs[1].header.ignoreBlanks = true;
    for (const auto& d : defs) stack.add(filterOf(d, table));
    ASSERT_TRUE(stack.setEnabled(2, false));
    const std::vector<int32_t> before = stack.apply(table.size());

    int skipped = -1;
    const FilterStackRead read = readFilterStack(saveFilterStack(stack.filters(), &skipped));
    EXPECT_EQ(skipped, 0);
    EXPECT_TRUE(read.bad.empty());
    // A filter whose definition says less than its hits is counted, not written.
    std::vector<Filter> partial = stack.filters();
    partial[0].savable = false;
    EXPECT_EQ(readFilterStack(saveFilterStack(partial, &skipped)).filters.size(), defs.size() - 1);
    EXPECT_EQ(skipped, 1);
    ASSERT_EQ(read.filters.size(), defs.size());
    FilterStack recalled;
    recalled.setBase(table.displayOrder());
    for (std::size_t i = 0; i < defs.size(); ++i) {
        Filter f = read.filters[i];
        EXPECT_TRUE(f.definition == defs[i]) << i;
        EXPECT_EQ(f.enabled, i != 2);
        EXPECT_EQ(f.label, stack.filters()[i].label);
        f.hits = *evaluateFilter(f.definition, table);
        recalled.add(std::move(f));
    }
    EXPECT_EQ(recalled.apply(table.size()), before);
}

TEST(FilterStack, BadSavedLinesAreReportedNotDropped) {
    const FilterStackRead read = readFilterStack(
        "header\t1\tblack=羽生\n"
        "nonsense\t1\n"
        "header\t2\n"
        "result\t1\tresult=99\n"
        "header\t1\tfrom=2001-13-01\n"
        "header\t1\tblack=a\\q\n"
        "header\t1\tcolour=red\n"
        "\n"
        "sequence\t0\ttext=▲７六歩\n");
    EXPECT_EQ(read.bad, (std::vector<int>{2, 3, 4, 5, 6, 7}));
    ASSERT_EQ(read.filters.size(), 2U);
    EXPECT_EQ(read.filters[0].definition.header.black, "羽生");
    EXPECT_FALSE(read.filters[1].enabled);
    // A sequence needs its search: the stack can't answer it alone.
    EXPECT_FALSE(evaluateFilter(read.filters[1].definition, IndexTable(10)).has_value());
}

TEST(FilterStack, SlotSetsOfOddSizesAndNoFilterOn) {
    SlotSet full(130, true);
    EXPECT_EQ(full.count(), 130);
    EXPECT_FALSE(full.test(130));
    EXPECT_FALSE(full.test(-1));
    SlotSet some = SlotSet::of(130, std::vector<int32_t>{0, 64, 129, 500, -3});
    EXPECT_EQ(some.count(), 3);
    full.andWith(some);
    EXPECT_EQ(full, some);

    FilterStack stack;
    stack.setBase({3, 1, 2, 0});
    Filter off;
    off.enabled = false;
    off.hits = SlotSet(4);
    stack.add(off);
    EXPECT_EQ(stack.apply(4), (std::vector<int32_t>{3, 1, 2, 0}));
    EXPECT_FALSE(stack.setEnabled(1, true));
    EXPECT_FALSE(stack.remove(5));
    // A filter made before records were added keeps none of the new slots.
    ASSERT_TRUE(stack.setEnabled(0, true));
    stack.remove(0);
    Filter older;
    older.hits = SlotSet(2, true);
    stack.add(older);
    EXPECT_EQ(stack.apply(4), (std::vector<int32_t>{1, 0}));
}

TEST(FilterStack, LabelsNameWhatIsSet) {
    FilterDefinition d;
    EXPECT_EQ(filterLabel(d), "全棋譜");
    d.header.black = "羽生";
    d.header.opening = "矢倉";
    d.header.fromOn = true;
    d.header.from = {2001, 1, 1};
    EXPECT_EQ(filterLabel(d), "先手:羽生 戦型:矢倉 日付:2001/01/01〜");
    d = {};
    d.kind = FilterKind::Result;
    d.result = 2;
    EXPECT_EQ(filterLabel(d), "結果:後手の勝ち");
}

}  // namespace
}  // namespace dalmir
