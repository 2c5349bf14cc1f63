#include "dalmir/model/store/database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "tests/support/test_records.h"

namespace dalmir::model {
namespace {

using testsupport::TempFolder;

std::string recordLine(int i) {
    return "000001,\"/g/" + std::to_string(i) + ".KIF\",\"a\",\"b\",0,2000,1,1,0,0,0," +
           "\"e\",\"o\",\"t\",10,1,\"\",\"\",\"\",\"\",\"\",0,\"\",\"\",\"\"\r\n";
}

std::string dlsOf(int records) {
    std::string text = "# Dalmir V6.20\r\n";
    for (int i = 0; i < records; ++i) text += recordLine(i);
    return text;
}

// A database holding more records than the limit loads and saves whole; only additions are
// refused.
TEST(DatabaseTest, RecordsBeyondTheLimitSurviveASave) {
    TempFolder files("db");
    const std::string path = files.writeBytes("big.dls", dlsOf(1999));
    Database db(1000);
    OpenReport opened = openDatabase(db, path);
    ASSERT_EQ(opened.code, OpenResult::Ok);
    EXPECT_TRUE(opened.whole);
    ASSERT_EQ(db.table().size(), 1999);
    EXPECT_EQ(db.append(IndexEntry{}), -3);
    ASSERT_EQ(saveDatabase(db, path), core::WriteResult::Ok);

    Database back(1000);
    ASSERT_EQ(openDatabase(back, path).code, OpenResult::Ok);
    EXPECT_EQ(back.table().size(), 1999);
}

// A file read only in part (a line without a double quote ends the reading) is never saved
// over: the records after that line would be lost. Another file takes the save.
TEST(DatabaseTest, AFileReadInPartIsNeverSavedOver) {
    TempFolder files("db");
    const std::string text = dlsOf(3) + "broken line\r\n" + recordLine(7);
    const std::string path = files.writeBytes("part.dls", text);
    Database db;
    OpenReport opened = openDatabase(db, path);
    EXPECT_FALSE(opened.whole);
    ASSERT_EQ(db.table().size(), 3);

    EXPECT_EQ(saveDatabase(db, path), core::WriteResult::NotReadWhole);
    EXPECT_EQ(core::readFile(path), text);
    EXPECT_EQ(saveDatabase(db, files.file("copy.dls")), core::WriteResult::Ok);
    EXPECT_EQ(core::readFile(path), text);

    db.reset(false);
    EXPECT_EQ(saveDatabase(db, path), core::WriteResult::Ok);
}

// Removing several slots at once leaves the table, the display order and the lists as removing
// them one by one does; keeping slots in a new order takes each once.
TEST(DatabaseTest, SlotsRemovedTogetherOrKeptInANewOrder) {
    auto filled = [] {
        Database db(100);
        db.reset(true);
        for (int i = 0; i < 12; ++i) {
            IndexEntry e;
            e.setText(IndexText::Path, "g" + std::to_string(i) + ".kif");
            const auto b = static_cast<uint8_t>(i);
            EXPECT_GE(db.append(std::move(e), {{b, b}}), 0);
        }
        auto& order = db.table().displayOrder();
        std::reverse(order.begin(), order.end());
        order.erase(order.begin() + 2);  // one slot not listed
        return db;
    };
    auto paths = [](const Database& db) {
        std::vector<std::string> out;
        for (int s = 0; s < db.table().size(); ++s) {
            out.emplace_back(db.table().entry(s).path());
            // Each list moved with its entry.
            EXPECT_EQ(db.lists().list(s)[0].origin, std::stoi(out.back().substr(1)));
        }
        return out;
    };
    Database together = filled();
    Database oneByOne = filled();
    together.removeSlots(std::vector<int>{7, 0, 11, 7, 42, -1, 3});
    for (int slot : {11, 7, 3, 0}) oneByOne.removeSlot(slot);
    EXPECT_EQ(paths(together), paths(oneByOne));
    EXPECT_EQ(together.table().displayOrder(), oneByOne.table().displayOrder());
    EXPECT_TRUE(together.table().isConsistent() && together.lists().isConsistent());

    Database kept = filled();
    kept.keepSlots(std::vector<int32_t>{5, 2, 5, 99, 0});
    EXPECT_EQ(paths(kept), (std::vector<std::string>{"g5.kif", "g2.kif", "g0.kif"}));
    EXPECT_EQ(kept.table().displayOrder(), (std::vector<int32_t>{0, 1, 2}));
}

}  // namespace
}  // namespace dalmir::model
