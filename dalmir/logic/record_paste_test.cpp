#include "dalmir/logic/record_paste.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tests/support/test_records.h"

namespace dalmir {
namespace {

using model::Database;
using model::IndexEntry;
using model::IndexText;
using testsupport::kifRecord;
using testsupport::TempFolder;

// Records copied from a text database: the clipboard form of the given files with marks.
std::string copiedRecords(const std::vector<std::string>& paths) {
    Database source;
    std::vector<int32_t> slots;
    for (const std::string& path : paths) {
        IndexEntry e;
        e.setText(IndexText::Path, path);
        e.moveCount = 99;  // what the line says; a binary paste reads the file instead
        e.marks = model::kMarkUser2;
        slots.push_back(source.append(std::move(e)));
    }
    return model::copyRecordsAsText(source.table(), slots);
}

TEST(RecordPasteTest, RecognisesTheClipboardForm) {
    EXPECT_TRUE(holdsRecords("DLS\r\n1,\"a.kif\""));
    EXPECT_TRUE(holdsRecords("DLS"));
    EXPECT_FALSE(holdsRecords("DLSX\r\n"));
    EXPECT_FALSE(holdsRecords("先手：a"));
    EXPECT_FALSE(holdsRecords(""));
}

// A binary database takes only records whose files read with moves from the handicap's own
// set-up; each gets the entry read now and its list, inserted where the paste was made.
TEST(RecordPasteTest, BinaryDatabaseReadsEachFileAgain) {
    TempFolder folder("record_paste");
    const std::string good =
        folder.write("good.kif", kifRecord({"７六歩(77)", "３四歩(33)", "２六歩(27)"}));
    const std::string empty = folder.write("empty.kif", kifRecord({}));
    const std::string broken = folder.writeBytes("broken.csa", "garbage\r\n+9999ZZ\r\n");
    const std::string other = folder.write("other.kif", kifRecord({"２六歩(27)"}));

    Database db(100);
    db.reset(true);
    IndexEntry first;
    first.setText(IndexText::Path, other);
    first.moveCount = 1;
    ASSERT_EQ(db.append(std::move(first), {{27, 26}}), 0);
    IndexEntry second;
    second.setText(IndexText::Path, "/elsewhere/x.kif");
    second.moveCount = 1;
    ASSERT_EQ(db.append(std::move(second), {{77, 76}}), 1);
    db.setModified(false);

    model::OperationHost host;
    model::RecordExtractor extractor;
    const std::string text = copiedRecords({good, empty, broken, folder.file("gone.kif"), other});
    const model::PasteReport r = pasteRecords(db, text, 1, extractor, host);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.refused, 3);
    EXPECT_EQ(r.alreadyRegistered, 1);
    EXPECT_TRUE(db.isModified());

    ASSERT_EQ(db.table().size(), 3);
    ASSERT_EQ(db.lists().size(), 3);
    const IndexEntry& pasted = db.table().entry(2);
    EXPECT_EQ(pasted.path(), good);  // the name as it is on disk
    EXPECT_EQ(pasted.moveCount, 3);
    EXPECT_EQ(pasted.marks & model::kMarkUser2, model::kMarkUser2);
    ASSERT_EQ(db.lists().list(2).size(), 3u);
    EXPECT_EQ(db.lists().list(2).front(), (model::ListMove{77, 76}));
    EXPECT_EQ(db.lists().list(0).front(), (model::ListMove{27, 26}));
    EXPECT_EQ(db.table().displayOrder(), (std::vector<int32_t>{0, 2, 1}));
}

TEST(RecordPasteTest, TextDatabaseTakesTheLinesAndCancelStopsBinaryReading) {
    TempFolder folder("record_paste");
    const std::string good = folder.write("good.kif", kifRecord({"７六歩(77)"}));
    const std::string text = copiedRecords({good, folder.file("gone.kif")});
    model::RecordExtractor extractor;
    model::OperationHost host;

    Database textDb(100);
    const model::PasteReport r = pasteRecords(textDb, text, 0, extractor, host);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(textDb.table().entry(0).moveCount, 99);

    struct Cancelled : model::OperationHost {
        bool cancelRequested() override { return true; }
    } cancelled;
    Database binary(100);
    binary.reset(true);
    const model::PasteReport none = pasteRecords(binary, text, 0, extractor, cancelled);
    EXPECT_EQ(none.added, 0);
    EXPECT_FALSE(binary.isModified());
    EXPECT_EQ(binary.table().size(), 0);
    EXPECT_EQ(binary.lists().size(), 0);
}

}  // namespace
}  // namespace dalmir
