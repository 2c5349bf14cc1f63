#include "core/base/spill_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace core {
namespace {

std::vector<std::string> readAll(SpillSorter& sorter) {
    std::vector<std::string> out;
    auto reader = sorter.read();
    EXPECT_NE(reader, nullptr);
    if (!reader) return out;
    std::string_view r;
    while (reader->next(r)) out.emplace_back(r);
    EXPECT_FALSE(reader->failed());
    return out;
}

bool folderEmpty(const std::string& path) {
    return std::filesystem::is_empty(std::filesystem::path(path));
}

// Records of every length from empty to past the reading buffers, with NUL and high bytes,
// many equal: the order is the bytes', in memory and over many runs alike.
TEST(SpillSorter, SortsLikeTheBytesWhateverTheChunkSize) {
    testsupport::TempFolder folder;
    std::mt19937 rng(5);
    std::vector<std::string> records;
    for (int i = 0; i < 3000; ++i) {
        std::string r(rng() % 40 == 0 ? 5000 + rng() % 9000 : rng() % 30, '\0');
        for (char& c : r) c = static_cast<char>(rng() % 4 == 0 ? 0 : rng() % 256);
        records.push_back(r);
        if (rng() % 5 == 0) records.push_back(r);
    }
    std::vector<std::string> sorted = records;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t chunk : {std::size_t{1} << 26, std::size_t{4096}, std::size_t{64}}) {
        SpillSorter sorter(folder.path(), chunk);
        for (const std::string& r : records) ASSERT_TRUE(sorter.add(r));
        EXPECT_EQ(sorter.records(), records.size());
        EXPECT_EQ(readAll(sorter), sorted) << "chunk " << chunk;
        if (chunk == 64) {
            EXPECT_GT(sorter.runs(), 1000u);
        }
        if (chunk == (std::size_t{1} << 26)) {
            EXPECT_EQ(sorter.runs(), 0u);
        }
        // The runs' file has no name in the folder, while sorting or after.
        EXPECT_TRUE(folderEmpty(folder.path()));
    }
}

TEST(SpillSorter, PresortedRecordsComeBackInTheirOrder) {
    testsupport::TempFolder folder;
    SpillSorter sorter(folder.path(), 100, true);
    std::vector<std::string> records;
    for (int i = 0; i < 500; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "%08d", i * 7);
        records.emplace_back(key);
        ASSERT_TRUE(sorter.add(key));
    }
    EXPECT_GT(sorter.runs(), 10u);
    EXPECT_EQ(readAll(sorter), records);

    SpillSorter none(folder.path(), 100);
    EXPECT_TRUE(readAll(none).empty());
}

TEST(SpillSorter, AFolderThatCannotTakeTheRunsFailsTheSortAndSaysWhy) {
    testsupport::TempFolder folder;
    SpillSorter sorter(folder.file("missing"), 64);
    bool added = true;
    for (int i = 0; i < 100 && added; ++i) added = sorter.add("record number " + std::to_string(i));
    EXPECT_FALSE(added);
    EXPECT_TRUE(sorter.failed());
    EXPECT_NE(sorter.problem().find("missing"), std::string::npos) << sorter.problem();
    EXPECT_FALSE(sorter.add("more"));
    EXPECT_EQ(sorter.read(), nullptr);

    // Held in memory, the same records need no folder.
    SpillSorter small(folder.file("missing"), 1 << 20);
    ASSERT_TRUE(small.add("b"));
    ASSERT_TRUE(small.add("a"));
    EXPECT_EQ(readAll(small), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace core
