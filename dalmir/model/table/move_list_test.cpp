#include "dalmir/model/table/move_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

namespace dalmir::model {
namespace {

using Lists = std::vector<std::vector<ListMove>>;

void expectSame(const MoveList& lists, const Lists& want) {
    ASSERT_EQ(lists.size(), static_cast<int>(want.size()));
    std::size_t total = 0;
    for (std::size_t slot = 0; slot < want.size(); ++slot) {
        std::span<const ListMove> got = lists.list(static_cast<int>(slot));
        ASSERT_TRUE(std::equal(got.begin(), got.end(), want[slot].begin(), want[slot].end()))
            << "slot " << slot;
        total += want[slot].size();
    }
    EXPECT_EQ(lists.moveCount(), total);
}

std::vector<ListMove> randomList(std::mt19937& rng, std::size_t longest) {
    std::vector<ListMove> out(rng() % (longest + 1));
    for (ListMove& m : out) {
        m = {static_cast<uint8_t>(rng() % 100), static_cast<uint8_t>(rng() % 200)};
    }
    return out;
}

// The pooled lists behave as one vector per slot under every change, through enough
// replacements for the pool to be compacted several times, and a copy stays apart.
TEST(MoveListTest, EveryChangeMatchesOneListPerSlot) {
    std::mt19937 rng(3);
    MoveList lists;
    Lists want;
    std::vector<int32_t> origins;  // where each list was at the last markOrigins()
    uint64_t revision = lists.revision();
    for (int round = 0; round < 4000; ++round) {
        const int slots = static_cast<int>(want.size());
        const auto pick = [&] { return slots == 0 ? 0 : static_cast<int>(rng() % slots); };
        const unsigned change = static_cast<unsigned>(rng() % 9);
        // Changes of a slot that isn't there are left out.
        if ((change == 4 && slots < 2) || ((change == 5 || change == 6) && slots == 0)) continue;
        switch (change) {
            case 0:
            case 1: {  // long lists, so that the gaps outgrow the lists now and then
                std::vector<ListMove> l = randomList(rng, 2000);
                lists.append(l);
                want.push_back(l);
                origins.push_back(-1);
                break;
            }
            case 2:
            case 3: {
                const int slot = pick() + static_cast<int>(rng() % 3);  // at times past the end
                std::vector<ListMove> l = randomList(rng, 2000);
                lists.set(slot, l);
                if (slot >= slots) want.resize(static_cast<std::size_t>(slot) + 1);
                want[static_cast<std::size_t>(slot)] = l;
                origins.resize(want.size(), -1);
                origins[static_cast<std::size_t>(slot)] = -1;
                break;
            }
            case 4: {  // another slot's list, which lies in the pool itself
                const int from = pick();
                const int to = pick();
                lists.set(to, lists.list(from));
                want[static_cast<std::size_t>(to)] = want[static_cast<std::size_t>(from)];
                origins[static_cast<std::size_t>(to)] = -1;
                break;
            }
            case 5: {
                if (rng() % 2) {
                    const int slot = pick();
                    lists.remove(slot);
                    want.erase(want.begin() + slot);
                    origins.erase(origins.begin() + slot);
                    break;
                }
                // Several at once, in any order, repeats and slots past the end among them.
                std::vector<int> gone = {pick(), pick(), pick(), slots + 1, -1};
                gone.push_back(gone[0]);
                lists.remove(gone);
                std::sort(gone.begin(), gone.end(), std::greater<>());
                gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
                for (const int slot : gone) {
                    if (slot < 0 || slot >= slots) continue;
                    want.erase(want.begin() + slot);
                    origins.erase(origins.begin() + slot);
                }
                break;
            }
            case 6: {
                const int slot = pick();
                lists.clearSlot(slot);
                want[static_cast<std::size_t>(slot)].clear();
                origins[static_cast<std::size_t>(slot)] = -1;
                break;
            }
            case 7: {
                std::vector<int32_t> order(want.size());
                for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
                std::shuffle(order.begin(), order.end(), rng);
                if (order.size() > 2) order.pop_back();  // a slot left out loses its list
                lists.reorder(order);
                Lists next;
                std::vector<int32_t> nextOrigins;
                for (int32_t s : order) {
                    next.push_back(want[static_cast<std::size_t>(s)]);
                    nextOrigins.push_back(origins[static_cast<std::size_t>(s)]);
                }
                want = std::move(next);
                origins = std::move(nextOrigins);
                break;
            }
            default: {
                const int size = slots > 3 && rng() % 2 ? slots - 2 : slots + 1;
                lists.resize(size);
                want.resize(static_cast<std::size_t>(size));
                origins.resize(want.size(), -1);
                break;
            }
        }
        ASSERT_TRUE(lists.isConsistent()) << round;
        ASSERT_GT(lists.revision(), revision) << round;
        revision = lists.revision();
        if (round % 50 == 0) {
            SCOPED_TRACE(round);
            expectSame(lists, want);
            ASSERT_EQ(lists.origins(), origins);
        }
        if (round % 300 == 0) {
            lists.markOrigins();
            for (std::size_t s = 0; s < origins.size(); ++s) origins[s] = static_cast<int32_t>(s);
        }
    }
    expectSame(lists, want);

    MoveList copy = lists;
    ASSERT_GT(lists.size(), 0);
    lists.clearSlot(0);
    lists.append({{77, 76}});
    expectSame(copy, want);
    EXPECT_TRUE(copy.isConsistent());
    lists.clear();
    EXPECT_TRUE(lists.isConsistent());
    EXPECT_EQ(lists.size(), 0);
    EXPECT_EQ(lists.moveCount(), 0u);
    expectSame(copy, want);
}

// Bytes taken as the pool become the lists in place; lists beyond the bytes are refused.
TEST(MoveListTest, ABufferTakenAsThePool) {
    core::LargeBytes bytes;
    const char raw[] = {'\x4d', '\x4c', '\x21', '\x22', '\x07', '\x55'};
    bytes.append(raw, sizeof raw);
    MoveList lists;
    lists.append({{11, 12}});
    lists.resize(3);
    lists.usePool(std::move(bytes));
    EXPECT_EQ(lists.size(), 3);
    EXPECT_EQ(lists.moveCount(), 0u);
    lists.setInPool(0, 0, 2);
    lists.setInPool(2, 2, 1);
    lists.setInPool(1, 2, 2);  // past the end: nothing
    EXPECT_EQ(lists.moveCount(), 3u);
    EXPECT_TRUE(lists.isConsistent());
    expectSame(lists, {{{77, 76}, {33, 34}}, {}, {{7, 0x55}}});
    // A later change copies what it sets after the taken bytes.
    lists.set(1, lists.list(0));
    expectSame(lists, {{{77, 76}, {33, 34}}, {{77, 76}, {33, 34}}, {{7, 0x55}}});
}

}  // namespace
}  // namespace dalmir::model
