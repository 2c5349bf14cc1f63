#include "dalmir/model/table/dls_clipboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text/sjis.h"

namespace dalmir::model {
namespace {

IndexEntry record(const std::string& path, const char* blackUtf8 = "先手") {
    IndexEntry e;
    e.setText(IndexText::Path, path);
    e.setText(IndexText::BlackPlayer, std::string(blackUtf8));
    e.setText(IndexText::Event, std::string("棋戦"));
    e.moveCount = 42;
    e.marks = kMarkUser1 | kMarkComments;
    return e;
}

class DlsClipboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        source.setPath("/src/one.DLS");
        ASSERT_EQ(source.append(record("a.KIF")), 0);  // relative to /src/
        ASSERT_EQ(source.append(record("/other/b.KIF", "十段")), 1);
        ASSERT_EQ(source.append(record("/other/c.KIF")), 2);
        target.setPath("/dst/two.DLS");
        ASSERT_EQ(target.append(record("/dst/x.KIF")), 0);
        ASSERT_EQ(target.append(record("/dst/y.KIF")), 1);
        target.rebuildDisplayOrder();
    }

    std::string copy(std::vector<int32_t> slots) { return copyRecordsAsText(source, slots); }

    IndexTable source;
    IndexTable target;
};

TEST_F(DlsClipboardTest, CopyNumbersBySlotWithAbsolutePaths) {
    std::string text = copy({2, 0});
    EXPECT_EQ(text.substr(0, 5), "DLS\r\n");
    EXPECT_NE(text.find("000003,\"/other/c.KIF\""), std::string::npos);
    EXPECT_NE(text.find("000001,\"/src/a.KIF\""), std::string::npos);
    EXPECT_LT(text.find("000003,"), text.find("000001,"));
}

TEST_F(DlsClipboardTest, PasteAddsNewRecordsWhereThePasteWasMade) {
    PasteReport r = pasteRecordsFromText(target, copy({0, 1, 2}), 1);
    EXPECT_EQ(r.code, PasteResult::Ok);
    EXPECT_EQ(r.added, 3);
    ASSERT_EQ(target.size(), 5);
    EXPECT_EQ(target.entry(2).path(), "/src/a.KIF");
    EXPECT_EQ(target.entry(3).blackPlayer(), std::string("十段"));
    EXPECT_EQ(target.entry(3).marks, kMarkUser1 | kMarkComments);
    EXPECT_EQ(target.entry(4).moveCount, 42);
    EXPECT_EQ(target.displayOrder(), (std::vector<int32_t>{0, 2, 3, 4, 1}));
}

TEST_F(DlsClipboardTest, RegisteredFilesAreNotAddedTwice) {
    std::string text =
        copy({1}) + "000009,\"/dst/x.kif\",\"\",\"\",0,0,0,0,0,0,0,\"\",\"\",\"\"\r\n";
    ASSERT_EQ(pasteRecordsFromText(target, text, 99).added, 1);
    PasteReport again = pasteRecordsFromText(target, copy({1, 1}), 0);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.alreadyRegistered, 2);
    EXPECT_EQ(target.size(), 3);
}

TEST_F(DlsClipboardTest, AFullTableEndsThePasteWithTheCapacityMessage) {
    target.setCapacity(3);
    PasteReport r = pasteRecordsFromText(target, copy({0, 1, 2}), 2);
    EXPECT_EQ(r.code, PasteResult::TableFull);
    EXPECT_EQ(r.added, 1);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].line, 3);
    EXPECT_EQ(r.messages[0].text, std::string("登録が最大数(3)を超えました。"));
    EXPECT_EQ(target.size(), 3);
}

TEST_F(DlsClipboardTest, PathsInsideTheIndexFolderAreStoredRelativeWhenTheDatabaseDoesSo) {
    target.settings().relativePaths = true;
    std::string text =
        "DLS\n# comment\n000001,\"/dst/sub/new.kif\",\"\",\"\",0,0,0,0,0,0,0,"
        "\"e\",\"o\",\"t\"\n" +
        copy({1}).substr(5);
    PasteReport r = pasteRecordsFromText(target, text, 0);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(target.entry(2).path(), "sub/new.kif");
    EXPECT_EQ(target.entry(3).path(), "/other/b.KIF");
}

TEST_F(DlsClipboardTest, TheAcceptFunctionSeesAbsolutePathsAndMayRefuse) {
    std::vector<std::string> seen;
    PasteReport r = pasteRecordsFromText(target, copy({0, 1}), 0, [&](IndexEntry& e) {
        seen.emplace_back(e.path());
        return e.path() != "/src/a.KIF";
    });
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.refused, 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"/src/a.KIF", "/other/b.KIF"}));
}

TEST_F(DlsClipboardTest, OtherTextsAndBrokenLinesAreHandled) {
    EXPECT_EQ(pasteRecordsFromText(target, "", 0).code, PasteResult::NotRecords);
    EXPECT_EQ(pasteRecordsFromText(target, std::string("先手：\"x\"\r\n"), 0).code,
              PasteResult::NotRecords);
    std::string text = copy({0}) + "000002,\"/q.KIF\",\"b\"\r\n" + "no quote\r\n" + copy({2});
    PasteReport r = pasteRecordsFromText(target, text, 0);
    EXPECT_EQ(r.code, PasteResult::Ok);
    EXPECT_EQ(r.added, 2);  // a line without a quote ends the paste
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].note, DlsNote::EventMissing);
    EXPECT_EQ(r.messages[0].line, 3);
}

}  // namespace
}  // namespace dalmir::model
