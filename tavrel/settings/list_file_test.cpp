#include "tavrel/settings/list_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class ListFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tavrel-list-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl + "/";
    }
    void TearDown() override { fs::remove_all(m_dir); }
    void put(const std::string& name, std::string_view bytes) {
        ASSERT_EQ(core::writeFileAtomically(m_dir + name, bytes), core::WriteResult::Ok);
    }
    std::string m_dir;
};

TEST(ListFile, OneValuePerLineWithoutCommentsAndBlanks) {
    EXPECT_EQ(parseListFile(std::string("# 対局者\r\n羽生\r\n\r\n  \r\n谷川\n")),
              (Lines{std::string("羽生"), "  ", std::string("谷川")}));
    EXPECT_TRUE(parseListFile("").empty());
}

TEST_F(ListFileTest, JapaneseNameThenEnglishAlternative) {
    put("kisen.txt", "english\n");
    EXPECT_EQ(readListFile(m_dir, ListField::Event), Lines{"english"});
    put("棋戦.txt", "japanese\n");
    EXPECT_EQ(readListFile(m_dir, ListField::Event), Lines{"japanese"});
    EXPECT_TRUE(readListFile(m_dir, ListField::Place).empty());
    EXPECT_EQ(listFilePath(m_dir, ListField::User3), m_dir + "ユーザ3.txt");
    EXPECT_EQ(listFilePath(m_dir, ListField::Title, true), m_dir + "subj.txt");
    EXPECT_EQ(listFileEnglishName(ListField::Bookmarks), "");
}

TEST(FieldChoices, HistoryFirstThenListLines) {
    History h;
    (void)h.add("b");
    (void)h.add(std::string("（自動設定）"));
    (void)h.add("a");
    const Lines list{"x", "a", "y"};
    EXPECT_EQ(fieldChoices(&h, 1, list), (Lines{"a", "b", "x", "a", "y"}));
    EXPECT_EQ(fieldChoices(&h, 2, list), (Lines{"a", "b", "x", "y"}));
    EXPECT_EQ(fieldChoices(&h, 0, list), list);
    EXPECT_EQ(fieldChoices(nullptr, 1, list), list);
}

TEST_F(ListFileTest, EditTriesJapaneseThenEnglishName) {
    std::vector<std::string> tried;
    auto failing = [&](const std::string& file, const std::string& folder) {
        EXPECT_EQ(folder, m_dir);
        tried.push_back(file);
        return false;
    };
    std::string failed;
    EXPECT_EQ(EditListFile(m_dir, ListField::Players, failing, &failed), -1);
    EXPECT_EQ(tried, (Lines{m_dir + "対局者.txt", m_dir + "player.txt"}));
    EXPECT_EQ(failed, m_dir + "対局者.txt");
    EXPECT_EQ(listEditFailedMessage("x.txt"),
              std::string("テキストファイル(x.txt)の編集に失敗しました。"));

    tried.clear();
    EXPECT_EQ(EditListFile(m_dir, ListField::Place, failing, nullptr), -1);
    EXPECT_EQ(tried.size(), 1u);

    auto englishOnly = [&](const std::string& file, const std::string&) {
        return file == m_dir + "senkei.txt";
    };
    EXPECT_EQ(EditListFile(m_dir, ListField::Opening, englishOnly, nullptr), 0);
}

}  // namespace
}  // namespace tavrel
