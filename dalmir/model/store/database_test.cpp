#include "dalmir/model/store/database.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace dalmir::model
