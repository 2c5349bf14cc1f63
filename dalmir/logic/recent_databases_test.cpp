#include "dalmir/logic/recent_databases.h"

#include <gtest/gtest.h>

namespace dalmir {
namespace {

TEST(RecentDatabasesTest, MostRecentFirstAtMostSixteen) {
    RecentDatabases r;
    for (int i = 0; i < 20; ++i) r.add("/d/" + std::to_string(i) + ".dls");
    ASSERT_EQ(r.entries().size(), 16u);
    EXPECT_EQ(r.entries().front(), "/d/19.dls");
    EXPECT_EQ(r.entries().back(), "/d/4.dls");
    r.add("/d/10.dls");
    EXPECT_EQ(r.entries().front(), "/d/10.dls");
    EXPECT_EQ(r.entries().size(), 16u);
    r.add("");
    EXPECT_EQ(r.entries().front(), "/d/10.dls");
    // An entry of the list itself, as opening the most recent one passes it.
    r.add(r.entries()[3]);
    EXPECT_EQ(r.entries().front(), "/d/17.dls");
    r.add(r.entries().front());
    EXPECT_EQ(r.entries().front(), "/d/17.dls");
    EXPECT_EQ(r.entries().size(), 16u);

    RecentDatabases stored;
    stored.assign({"a", "", "b", "a"});
    EXPECT_EQ(stored.entries(), (std::vector<std::string>{"a", "b"}));
}

TEST(RecentDatabasesTest, MenuTexts) {
    EXPECT_EQ(recentMenuText(0, "/a.dls"), "&1 /a.dls");
    EXPECT_EQ(recentMenuText(9, "/a.dls"), "1&0 /a.dls");
    EXPECT_EQ(recentMenuText(15, "/a.dls"), "1&6 /a.dls");
}

}  // namespace
}  // namespace dalmir
