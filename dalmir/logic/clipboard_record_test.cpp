#include "dalmir/logic/clipboard_record.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace dalmir {
namespace {

TEST(ClipboardRecordTest, RebuildsTheRecordFromItsList) {
    model::Database db;
    db.reset(true);
    model::IndexEntry e;
    e.setText(model::IndexText::BlackPlayer, std::string("羽生"));
    e.start = {2013, 6, 1};
    ASSERT_EQ(db.append(std::move(e), {{77, 76}, {33, 34}}), 0);
    ASSERT_EQ(db.append(model::IndexEntry{}), 1);  // no list

    const auto text = clipboardRecordText(db, 0, std::string("名局 *"));
    ASSERT_TRUE(text.has_value());
    const std::string utf8 = core::toUtf8Lossy(*text);
    EXPECT_NE(utf8.find("名局 No.1"), std::string::npos) << utf8;
    EXPECT_NE(utf8.find("羽生"), std::string::npos);
    EXPECT_NE(utf8.find("2013/06/01"), std::string::npos);
    EXPECT_NE(utf8.find("７六歩"), std::string::npos);
    EXPECT_NE(utf8.find("３四歩"), std::string::npos);
    EXPECT_EQ(utf8.find("名局 * No."), std::string::npos);

    EXPECT_FALSE(clipboardRecordText(db, 1, "x").has_value());
    EXPECT_FALSE(clipboardRecordText(db, 5, "x").has_value());
    db.setBinary(false);
    EXPECT_FALSE(clipboardRecordText(db, 0, "x").has_value());
}

}  // namespace
}  // namespace dalmir
