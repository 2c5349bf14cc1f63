#include "tavrel/settings/history.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> values(std::initializer_list<const char*> list) {
    return std::vector<std::string>(list.begin(), list.end());
}

History filled(int maximum, std::initializer_list<const char*> oldestFirst) {
    History h(maximum);
    for (const char* v : oldestFirst) (void)h.add(v);
    return h;
}

class HistoryFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tavrel-his-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl + "/";
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string m_dir;
};

TEST(History, FullHistoryDropsTheOldest) {
    History h = filled(5, {"a", "b", "c", "d", "e"});
    EXPECT_EQ(h.entries(), values({"e", "d", "c", "b", "a"}));
    EXPECT_EQ(h.add("f"), HistoryAddResult::Inserted);
    EXPECT_EQ(h.entries(), values({"f", "e", "d", "c", "b"}));
    EXPECT_FALSE(h.contains("a"));
}

TEST(History, ExistingValueMovesToFront) {
    History h = filled(5, {"a", "b", "c"});
    EXPECT_EQ(h.add("a"), HistoryAddResult::MovedToFront);
    EXPECT_EQ(h.entries(), values({"a", "c", "b"}));
    EXPECT_EQ(h.add("a"), HistoryAddResult::MovedToFront);
    EXPECT_EQ(h.count(), 3);
}

TEST(History, CapacityIsTwenty) {
    History h(50);
    EXPECT_EQ(h.maximum(), History::kCapacity);
    for (int i = 0; i < 30; ++i) (void)h.add(std::to_string(i));
    EXPECT_EQ(h.count(), 20);
    EXPECT_EQ(h.value(0), "29");
    EXPECT_EQ(h.value(19), "10");
    EXPECT_EQ(h.value(20), "");
    EXPECT_EQ(h.value(-1), "");
}

TEST(History, ValuesAreCutToOneLineOf255Bytes) {
    History h;
    EXPECT_EQ(h.add(std::string(300, 'x')), HistoryAddResult::Inserted);
    EXPECT_EQ(h.value(0), std::string(255, 'x'));
    std::string japanese;
    for (int i = 0; i < 150; ++i) japanese += std::string("表");
    (void)h.add(japanese);
    EXPECT_EQ(core::cp932Width(h.value(0)), 254u);
    (void)h.add("first\r\nsecond");
    EXPECT_EQ(h.value(0), "first");
    // The cut value is what is compared: a longer text with the same first 255 bytes is present.
    EXPECT_EQ(h.add(std::string(400, 'x')), HistoryAddResult::MovedToFront);
}

TEST(History, NothingIsAddedWhenIgnored) {
    History h;
    EXPECT_EQ(h.add(""), HistoryAddResult::Ignored);
    EXPECT_EQ(h.add("\nx"), HistoryAddResult::Ignored);
    History none(0);
    EXPECT_EQ(none.add("a"), HistoryAddResult::Ignored);
    EXPECT_EQ(none.count(), 0);
    EXPECT_EQ(History(-3).maximum(), 0);
}

TEST_F(HistoryFileTest, WriteAndReadBack) {
    History h = filled(20, {"a", "b", "c"});
    (void)h.add(std::string("名人戦"));
    const std::string path = historyFilePath(m_dir, HistoryField::Event);
    EXPECT_EQ(path, m_dir + "棋戦.his");
    ASSERT_EQ(h.write(path), core::WriteResult::Ok);
    EXPECT_EQ(core::readFile(path), core::utf8ToCp932("名人戦\r\nc\r\nb\r\na\r\n").text);
    History read;
    ASSERT_EQ(read.read(path), core::ReadResult::Ok);
    EXPECT_EQ(read, h);
}

TEST_F(HistoryFileTest, ReadSkipsCommentsAndBlankLinesAndCapsCount) {
    const std::string path = m_dir + "x.his";
    ASSERT_EQ(core::writeFileAtomically(
                  path, "# note\r\na\r\n\r\nb\nc\nd\n" + std::string(300, 'e') + "\n"),
              core::WriteResult::Ok);
    History three(3);
    ASSERT_EQ(three.read(path), core::ReadResult::Ok);
    EXPECT_EQ(three.entries(), values({"a", "b", "c"}));
    History all;
    ASSERT_EQ(all.read(path), core::ReadResult::Ok);
    EXPECT_EQ(all.count(), 5);
    EXPECT_EQ(all.value(4), std::string(255, 'e'));
}

TEST_F(HistoryFileTest, ZeroMaximumNeitherReadsNorWrites) {
    const std::string path = m_dir + "x.his";
    ASSERT_EQ(core::writeFileAtomically(path, "a\n"), core::WriteResult::Ok);
    History h(0);
    EXPECT_EQ(h.read(path), core::ReadResult::Ok);
    EXPECT_EQ(h.count(), 0);
    EXPECT_EQ(h.write(path), core::WriteResult::Ok);
    EXPECT_EQ(core::readFile(path), "a\n");
}

TEST_F(HistoryFileTest, MissingFileGivesEmptyHistory) {
    History h = filled(20, {"a"});
    EXPECT_EQ(h.read(m_dir + "none.his"), core::ReadResult::CannotOpen);
    EXPECT_EQ(h.count(), 0);
}

TEST_F(HistoryFileTest, AllFieldsHaveTheirOwnFile) {
    Histories all(10);
    all[HistoryField::Players].add(std::string("羽生"));
    all[HistoryField::User5].add("u5");
    ASSERT_EQ(all.writeAll(m_dir), core::WriteResult::Ok);
    EXPECT_TRUE(fs::exists(m_dir + "対局者.his"));
    EXPECT_TRUE(fs::exists(m_dir + "user5.his"));
    EXPECT_TRUE(fs::exists(m_dir + "保存棋譜初期名.his"));
    Histories read(10);
    read.readAll(m_dir);
    EXPECT_EQ(read[HistoryField::Players].value(0), std::string("羽生"));
    EXPECT_EQ(read[HistoryField::User5].value(0), "u5");
    EXPECT_EQ(read[HistoryField::Event].count(), 0);
    EXPECT_EQ(historyFileName(HistoryField::Remarks), "備考");
    EXPECT_EQ(historyFileName(HistoryField::User1), "user1");
}

TEST_F(HistoryFileTest, MalformedFileNeverCrashes) {
    const std::string path = m_dir + "bad.his";
    std::string bytes = std::string("\x95\0\x81\n\r\r\n", 7) + std::string(5000, '\x81') + "\n";
    ASSERT_EQ(core::writeFileAtomically(path, bytes), core::WriteResult::Ok);
    History h;
    ASSERT_EQ(h.read(path), core::ReadResult::Ok);
    EXPECT_EQ(h.count(), 2);                // the lone CR ends an empty line
    EXPECT_EQ(h.value(0), "\xEF\xBF\xBD");  // a byte that is no Shift-JIS is shown, not dropped
    EXPECT_EQ(core::cp932Width(h.value(1)), 254u);
}

}  // namespace
}  // namespace tavrel
