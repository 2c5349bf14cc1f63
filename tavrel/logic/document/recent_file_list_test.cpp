#include "tavrel/logic/document/recent_file_list.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(RecentFiles, ShortensFromFortyBytes) {
    std::string p39 = "/home/user/records/2024/abcdefg/xyz.kif";
    ASSERT_EQ(p39.size(), 39u);
    EXPECT_EQ(shortenedPath(p39), p39);
    std::string p40 = "/home/user/records/2024/abcdefgh/xyz.kif";
    ASSERT_EQ(p40.size(), 40u);
    EXPECT_EQ(shortenedPath(p40), "/home/user/records/2024/.../xyz.kif");
}

TEST(RecentFiles, DropsFoldersUntilShortOrFileNameAlone) {
    EXPECT_EQ(shortenedPath("/home/averyveryverylongusername/records/openings/a.kif"),
              "/home/.../a.kif");
    std::string longName(45, 'n');
    EXPECT_EQ(shortenedPath("/home/" + longName + ".kif"), longName + ".kif");
}

TEST(RecentFiles, MenuTexts) {
    EXPECT_EQ(recentMenuText(0, "/a.kif"), "&1 /a.kif");
    EXPECT_EQ(recentMenuText(8, "/a.kif"), "&9 /a.kif");
    EXPECT_EQ(recentMenuText(9, "/a.kif"), "&0 /a.kif");
}

TEST(RecentFiles, MostRecentFirstAtMostTen) {
    RecentFileList list;
    for (int i = 0; i < 12; ++i) list.add("/r/" + std::to_string(i) + ".kif");
    ASSERT_EQ(list.count(), 10);
    EXPECT_EQ(list.entries().front(), "/r/11.kif");
    EXPECT_EQ(list.entries().back(), "/r/2.kif");
    list.add("/r/5.kif");  // an existing entry moves up, nothing drops out
    EXPECT_EQ(list.count(), 10);
    EXPECT_EQ(list.entries()[0], "/r/5.kif");
    EXPECT_EQ(list.entries()[1], "/r/11.kif");
    list.add(std::string(600, 'x'));
    EXPECT_EQ(list.entries()[0], "/r/5.kif");
}

}  // namespace
}  // namespace tavrel
