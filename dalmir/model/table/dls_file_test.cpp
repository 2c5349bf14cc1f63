#include "dalmir/model/table/dls_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"

namespace dalmir::model {
namespace {

IndexEntry sampleEntry(int i) {
    IndexEntry e;
    e.setText(IndexText::Path, "/games/" + std::to_string(i) + ".KIF");
    e.setText(IndexText::BlackPlayer, std::string("先手") + std::to_string(i));
    e.setText(IndexText::WhitePlayer, std::string("後手十段"));  // 十 has 0x5C as its second byte
    e.handicap = static_cast<uint8_t>(i % 16);
    e.start = {static_cast<uint16_t>(1990 + i), 6, 1};
    e.end = {static_cast<uint16_t>(1990 + i), 6, 2};
    e.setText(IndexText::Event, std::string("名人戦,第1局"));  // a comma inside a text
    e.setText(IndexText::Opening, std::string("矢倉"));
    e.setText(IndexText::Title, std::string("表題") + std::to_string(i));
    e.moveCount = static_cast<uint16_t>(100 + i);
    e.result = static_cast<uint8_t>(i % 8);
    e.setText(IndexText::User2, std::string("ユーザー"));
    e.marks = static_cast<uint8_t>(i % 16);
    e.setText(IndexText::TimeLimit, std::string("各６時間"));
    e.setText(IndexText::Place, std::string("東京"));
    e.setText(IndexText::PublishedIn, std::string("新聞"));
    return e;
}

IndexTable sampleTable(int records) {
    IndexTable table;
    table.setPath("/db/main.DLS");
    for (int i = 0; i < records; ++i) EXPECT_EQ(table.append(sampleEntry(i)), i);
    table.rebuildDisplayOrder();
    IndexSettings& s = table.settings();
    s.columnShown[1] = 1;
    s.columnWidth[2] = 250;
    s.relativePaths = true;
    s.sortOrder = 15;
    s.fileNameStyle = 2;
    s.fileNameExtension = false;
    s.yearStyle = 2;
    s.addPath = std::string("/home/u/棋譜");
    s.addSubfolders = true;
    s.addKind = 5;
    s.addPlayer = std::string("羽生");
    s.addEvent = std::string("竜王戦");
    s.addOpening = std::string("角換わり");
    s.addYear = 2001;
    s.addMonth = 2;
    s.addDay = 3;
    s.autoReplayCount = 4;
    s.autoUpdate = true;
    s.replayMark = true;
    return table;
}

// A record line with the given fields after the serial number.
std::string line(std::string_view fields) { return "000001," + std::string(fields) + "\r\n"; }

const std::string kFullLine = std::string(
    "\"/g/a.KIF\",\"先手\",\"後手\",2,1999,12,31,0,0,0,\"棋戦\",\"戦型\",\"表題\",87,1,"
    "\"u1\",\"u2\",\"u3\",\"u4\",\"u5\",c,\"持ち時間\",\"場所\",\"掲載\"");

// An empty file (no bytes at all, as an empty read gives them) reads as an empty table.
TEST(DlsReadTest, EmptyContentReadsAsNoRecords) {
    IndexTable table;
    DlsReadReport r = loadDls(table, "/db/empty.DLS", std::string_view());
    EXPECT_EQ(r.records, 0);
    EXPECT_EQ(table.size(), 0);
    core::LargeBytes none;
    none.append(nullptr, 0);
    EXPECT_TRUE(none.view().empty());
}

// A text is an index file when it holds a known settings line or a whole record line; text of
// another kind (a record file, random bytes) is recognised as none, however it is named.
TEST(DlsReadTest, TellsAnIndexFileFromAnyOtherText) {
    IndexTable table;
    EXPECT_FALSE(loadDls(table, "", std::string_view()).noIndexFile());
    EXPECT_FALSE(loadDls(table, "", "# comment\r\n\r\n").noIndexFile());
    EXPECT_FALSE(loadDls(table, "", formatDls(IndexTable{})).noIndexFile());
    EXPECT_FALSE(loadDls(table, "", formatDls(sampleTable(2))).noIndexFile());
    EXPECT_TRUE(loadDls(table, "", std::string("先手：甲\r\n▲７六歩\r\n")).noIndexFile());
    EXPECT_TRUE(loadDls(table, "", "\x01\xff\x80\"\x10\r\n\xfe\x22").noIndexFile());
    EXPECT_TRUE(loadDls(table, "", "$no such key :1\r\nrubbish\r\n").noIndexFile());
}

TEST(DlsWriteTest, WritesEveryLineInItsLayout) {
    IndexTable table = sampleTable(1);
    std::string expected = std::string(
        "# Dalmir V6.20\r\n"
        "$ファイル名  :/db/main.DLS\r\n"
        "$バージョン  :6.20\r\n"
        "$表示項目    :1 1 1 1 1 0 1 0 1 1 1 1 0 0 0 0 1 1 1 1 1 1 \r\n"
        "$表示項目幅  :040 036 250 075 075 050 063 063 075 075 040 075 075 075 075 075 075 "
        "075 075 075 075 075 \r\n"
        "$棋譜相対パス   :1\r\n"
        "$表示順         :15\r\n"
        "$ファイル名パス :2\r\n"
        "$ファイル名拡張子 :0\r\n"
        "$年４桁         :2\r\n"
        "$追加パス    :\"/home/u/棋譜\"\r\n"
        "$追加サブ    :1\r\n"
        "$追加種類    :5\r\n"
        "$追加対局者  :\"羽生\"\r\n"
        "$追加棋戦    :\"竜王戦\"\r\n"
        "$追加戦型    :\"角換わり\"\r\n"
        "$追加年      :2001\r\n"
        "$追加月      :2\r\n"
        "$追加日      :3\r\n"
        "$自動再現数  :4\r\n"
        "$自動更新    :1\r\n"
        "$再現マーク  :1\r\n"
        "$棋譜数      :1\r\n"
        "000001,\"/games/0.KIF\",\"先手0\",\"後手十段\",0,1990,6,1,1990,6,2,\"名人戦,第1局\","
        "\"矢倉\",\"表題0\",100,0,\"\",\"ユーザー\",\"\",\"\",\"\",0,\"各６時間\",\"東京\","
        "\"新聞\"\r\n");
    EXPECT_EQ(formatDls(table), expected);
}

TEST(DlsWriteTest, RoundTripKeepsEntriesSettingsAndBytes) {
    IndexTable table = sampleTable(40);
    std::string first = formatDls(table);
    IndexTable back;
    DlsReadReport r = loadDls(back, "/db/main.DLS", first);
    EXPECT_EQ(r.code, core::ReadResult::Ok);
    EXPECT_EQ(r.records, 40);
    EXPECT_EQ(back.entries(), table.entries());
    EXPECT_EQ(back.settings(), table.settings());
    EXPECT_EQ(back.displayOrder().size(), 40u);
    EXPECT_EQ(formatDls(back), first);
}

TEST(DlsWriteTest, ModesChooseTheSlotsAndNumberTheWrittenLines) {
    IndexTable table = sampleTable(4);
    const uint8_t skip[] = {1, 0, 1};  // slot 3 lies beyond the flags and is written
    std::string text = formatDls(table, DlsWriteMode::Unskipped, skip);
    EXPECT_NE(text.find(std::string("$棋譜数      :4\r\n")), std::string::npos);
    EXPECT_NE(text.find("000001,\"/games/1.KIF\""), std::string::npos);
    EXPECT_NE(text.find("000002,\"/games/3.KIF\""), std::string::npos);
    EXPECT_EQ(text.find("/games/0.KIF"), std::string::npos);
    EXPECT_EQ(text.find("000003,"), std::string::npos);
    EXPECT_EQ(formatDls(table, DlsWriteMode::AllSlots, skip), formatDls(table));
}

TEST(DlsWriteTest, ATextCannotCarryAQuoteOrALineEndIntoTheFile) {
    IndexTable table;
    IndexEntry e = sampleEntry(0);
    e.setText(IndexText::Title, "ab\"cd");
    e.setText(IndexText::Event, "one\r\ntwo");
    e.setText(IndexText::Opening, "x\xE5");  // a lead byte without the bytes after it
    ASSERT_EQ(table.append(e), 0);
    IndexTable back;
    ASSERT_EQ(loadDls(back, "", formatDls(table)).code, core::ReadResult::Ok);
    const IndexEntry& b = back.entry(0);
    EXPECT_EQ(b.title(), "ab");  // the field ends at the quote
    EXPECT_EQ(b.event(), "one");
    EXPECT_EQ(b.opening().substr(0, 1), "x");
    // The fields after them are still read.
    EXPECT_EQ(b.moveCount, 100);
    EXPECT_EQ(b.publishedIn(), std::string("新聞"));
}

TEST(DlsWriteTest, APathWithALineEndStaysOnItsLine) {
    IndexTable table = sampleTable(1);
    table.setPath("/db/a\n000001,\"/evil.KIF\".DLS");
    IndexTable back;
    ASSERT_EQ(loadDls(back, "", formatDls(table)).code, core::ReadResult::Ok);
    EXPECT_EQ(back.entries(), table.entries());
}

TEST(DlsWriteTest, WidthsOfFourDigitsAreLimitedSoTheColumnsStayInStep) {
    IndexTable table;
    table.settings().columnWidth[0] = 1200;
    table.settings().columnWidth[1] = 30;
    IndexTable back;
    ASSERT_EQ(loadDls(back, "", formatDls(table)).code, core::ReadResult::Ok);
    EXPECT_EQ(back.settings().columnWidth[0], 999);
    EXPECT_EQ(back.settings().columnWidth[1], 30);
}

// Whatever a damaged file gives, the table read is the table written: saving it and opening the
// save again changes nothing (texts with bytes the file can't hold, widths it can't write).
TEST(DlsReadTest, WhatIsReadIsWhatIsWrittenBack) {
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"a path of a lone lead byte", "000001,\"\x95"},
        {"a lead byte before a control byte",
         "000001,\"a\x95\x01"
         "b\",\"p\",\"q\""},
        {"a lead byte before the closing quote", line("\"/g/\x82\",\"x\x82\",\"y\"")},
        {"a lead byte ending a settings text", "$" + std::string("追加パス") + "    :\"/a\x82"},
        {"a width of four digits", "$" + std::string("表示項目幅") + "  :6200 040"},
        {"a negative width", "$" + std::string("表示項目幅") + "  :-12 040"},
    };
    for (const Case& c : cases) {
        IndexTable first;
        (void)loadDls(first, "/db/x.DLS", c.text);
        const std::string written = formatDls(first);
        IndexTable second;
        EXPECT_EQ(loadDls(second, "/db/x.DLS", written).code, core::ReadResult::Ok) << c.what;
        EXPECT_EQ(second.entries(), first.entries()) << c.what;
        EXPECT_EQ(second.settings(), first.settings()) << c.what;
        EXPECT_EQ(formatDls(second), written) << c.what;
    }
    IndexTable table;
    (void)loadDls(table, "", "$" + std::string("表示項目幅") + "  :6200 -12 040");
    EXPECT_EQ(table.settings().columnWidth[0], 999);
    EXPECT_EQ(table.settings().columnWidth[1], 0);
    EXPECT_EQ(table.settings().columnWidth[2], 40);
}

TEST(DlsFileTest, WritesAndReadsAFileAndReportsFailures) {
    auto dir = std::filesystem::temp_directory_path() / ("dls_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string path = (dir / "a.DLS").string();
    IndexTable table = sampleTable(3);
    ASSERT_EQ(writeDls(table, path), core::WriteResult::Ok);
    EXPECT_EQ(table.path(), path);

    IndexTable back;
    DlsReadReport r = readDls(back, path, 7);
    EXPECT_EQ(r.code, core::ReadResult::Ok);
    EXPECT_EQ(back.path(), path);
    EXPECT_EQ(back.entries(), table.entries());
    EXPECT_EQ(back.settings().sortOrder, 15);  // the file sets it

    // A file that can't be read leaves the table as it was.
    EXPECT_EQ(readDls(back, (dir / "missing.DLS").string()).code, core::ReadResult::CannotOpen);
    EXPECT_EQ(back.size(), 3);
    EXPECT_EQ(back.path(), path);

    EXPECT_EQ(writeDls(table, (dir / "no/such/b.DLS").string()), core::WriteResult::CannotCreate);
    std::filesystem::remove_all(dir);
}

// The file is Shift-JIS: every byte of it is the text converted, and a character Shift-JIS cannot
// hold stops the save with the line and the character named, the old file untouched.
TEST(DlsFileTest, TheFileIsShiftJisAndRefusesWhatShiftJisCannotHold) {
    auto dir = std::filesystem::temp_directory_path() / ("dls_sjis_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "a.DLS").string();
    IndexTable table = sampleTable(3);
    ASSERT_EQ(writeDls(table, path), core::WriteResult::Ok);
    const std::optional<std::string> bytes = core::readFile(path);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, core::utf8ToCp932(formatDls(table)).text);
    EXPECT_NE(bytes->find("\x8C\xE3\x8E\xE8\x8F\x5C\x92\x69"), std::string::npos);  // 後手十段

    IndexEntry korean = sampleEntry(3);
    korean.setText(IndexText::BlackPlayer, "김철수");
    ASSERT_GE(table.append(std::move(korean)), 0);
    EXPECT_EQ(writeDls(table, path), core::WriteResult::Unencodable);
    EXPECT_EQ(core::readFile(path), bytes);  // nothing written
    std::string problem;
    EXPECT_FALSE(dlsFileBytes(formatDls(table), &problem).has_value());
    EXPECT_NE(problem.find("「김」（U+AE40）"), std::string::npos) << problem;
    EXPECT_NE(problem.find("Shift-JIS"), std::string::npos) << problem;
    // Read back, a Shift-JIS file gives the same texts.
    IndexTable back;
    ASSERT_EQ(readDls(back, path).code, core::ReadResult::Ok);
    EXPECT_EQ(back.entry(0).whitePlayer(), "後手十段");
    std::filesystem::remove_all(dir);
}

TEST(DlsReadTest, ReadingResetsTheFiltersButKeepsTheColumns) {
    IndexTable table = sampleTable(2);
    table.settings().addDateFilter = true;
    std::string text = "# x\r\n$" + std::string("追加年      :1999\r\n") + line(kFullLine);
    DlsReadReport r = loadDls(table, "/db/b.DLS", text, 3);
    EXPECT_EQ(r.code, core::ReadResult::Ok);
    const IndexSettings& s = table.settings();
    EXPECT_EQ(table.size(), 1);
    EXPECT_TRUE(s.addPlayer.empty() && s.addEvent.empty() && s.addOpening.empty());
    EXPECT_FALSE(s.addDateFilter || s.relativePaths || s.autoUpdate);
    EXPECT_EQ(s.sortOrder, 3);
    EXPECT_EQ(s.addYear, 1999);
    EXPECT_EQ(s.columnWidth[2], 250);  // kept from before: the file does not set it
    EXPECT_EQ(s.addPath, std::string("/home/u/棋譜"));
}

TEST(DlsReadTest, SettingsLinesTakeTheirValueForms) {
    struct Case {
        const char* lineUtf8;
        std::string IndexSettings::*text;
        const char* expectedUtf8;
    };
    const Case cases[] = {
        {"追加パス    :\"/a b/c\" rest", &IndexSettings::addPath, "/a b/c"},
        {"追加パス    : /x y", &IndexSettings::addPath, "/x y"},
        {"追加対局者  :\"open", &IndexSettings::addPlayer, "open"},
        {"追加棋戦    :", &IndexSettings::addEvent, ""},
        {"追加戦型:\"十\"", &IndexSettings::addOpening, "十"},
    };
    for (const Case& c : cases) {
        IndexSettings s;
        s.addPath = s.addPlayer = s.addEvent = s.addOpening = "old";
        EXPECT_EQ(applySettingsLine(std::string(c.lineUtf8), s), SettingsLineResult::Applied)
            << c.lineUtf8;
        EXPECT_EQ(s.*c.text, std::string(c.expectedUtf8)) << c.lineUtf8;
    }

    IndexSettings s;
    EXPECT_EQ(applySettingsLine(std::string("表示項目    :0 1 0"), s), SettingsLineResult::Applied);
    EXPECT_EQ(s.columnShown[0], 0);
    EXPECT_EQ(s.columnShown[1], 1);
    EXPECT_EQ(s.columnShown[2], 0);
    EXPECT_EQ(s.columnShown[3], 1);  // not set: default
    EXPECT_EQ(applySettingsLine(std::string("表示項目幅  :100 020 x   "), s),
              SettingsLineResult::Applied);
    EXPECT_EQ(s.columnWidth[0], 100);
    EXPECT_EQ(s.columnWidth[1], 20);
    EXPECT_EQ(s.columnWidth[2], 100);  // no number there: reading stops
    IndexSettings before = s;
    for (const char* ignored :
         {"棋譜数      :5", "ファイル名  :/x", "未知の鍵 :1", "表示順", "表示順 :", "", "   "}) {
        EXPECT_EQ(applySettingsLine(std::string(ignored), s), SettingsLineResult::Ignored)
            << ignored;
    }
    EXPECT_EQ(s, before);
}

TEST(DlsReadTest, VersionsBefore52ConvertHandicapCodes) {
    struct Case {
        const char* version;
        int storedHandicap;
        int expected;
        bool old;
    };
    for (Case c : {Case{"5.10", 2, 3, true}, Case{"5.20", 2, 2, false}, Case{"6.20", 2, 2, false},
                   Case{"4.00", 6, 8, true}, Case{"5.10", 11, 0, true}, Case{"5.10", 20, 14, true},
                   Case{"6.20", 20, 14, false}}) {
        std::string fields = kFullLine;
        fields.replace(fields.find(",2,1999"), 2, "," + std::to_string(c.storedHandicap));
        std::string text =
            std::string("$バージョン  :") + c.version + "\r\n" + line(fields) + line(fields);
        IndexTable table;
        DlsReadReport r = loadDls(table, "", text);
        EXPECT_EQ(r.code, core::ReadResult::Ok);
        EXPECT_EQ(r.oldVersion, c.old);
        ASSERT_EQ(table.size(), 2);
        EXPECT_EQ(table.entry(1).handicap, c.expected) << c.version << " " << c.storedHandicap;
        // The notice comes once, before the records.
        EXPECT_EQ(r.messages.size(), c.old ? 1u : 0u);
        if (c.old) {
            EXPECT_EQ(r.messages[0].line, 1);
            EXPECT_EQ(r.messages[0].text,
                      std::string("旧バージョンのデータなので、新バージョン用に変換します。"));
        }
    }
}

TEST(DlsReadTest, FieldsOfAllKindsAreReadAndCut) {
    std::string longText(100, 'x');
    std::string fields = kFullLine;
    fields.replace(fields.find(std::string("\"棋戦\"")), std::string("\"棋戦\"").size(),
                   "\"" + longText + "\"");
    IndexTable table;
    ASSERT_EQ(loadDls(table, "", line(fields) + "LF only\n").code, core::ReadResult::Ok);
    const IndexEntry& e = table.entry(0);
    EXPECT_EQ(e.path(), "/g/a.KIF");
    EXPECT_EQ(e.blackPlayer(), std::string("先手"));
    EXPECT_EQ(e.handicap, 2);
    EXPECT_EQ(e.start, (IndexDate{1999, 12, 31}));
    EXPECT_EQ(e.end, IndexDate{});
    EXPECT_EQ(e.event(), std::string(59, 'x'));
    EXPECT_EQ(e.opening(), std::string("戦型"));  // read after the cut field
    EXPECT_EQ(e.moveCount, 87);
    EXPECT_EQ(e.result, 1);
    EXPECT_EQ(e.user(0), "u1");
    EXPECT_EQ(e.user(4), "u5");
    EXPECT_EQ(e.marks, 0x0C);
    EXPECT_EQ(e.publishedIn(), std::string("掲載"));
}

TEST(DlsReadTest, LinesOfOlderVersionsEndEarly) {
    // Without the last three texts; without the marks; without the user fields.
    for (std::string cut :
         {std::string(",\"持ち時間\""), std::string(",c,"), std::string(",\"u1\"")}) {
        std::string fields = kFullLine.substr(0, kFullLine.find(cut));
        IndexTable table;
        DlsReadReport r = loadDls(table, "", line(fields));
        EXPECT_EQ(r.code, core::ReadResult::Ok) << fields;
        ASSERT_EQ(table.size(), 1);
        EXPECT_EQ(table.entry(0).title(), std::string("表題"));
        EXPECT_EQ(table.entry(0).moveCount, 87);
        EXPECT_TRUE(table.entry(0).timeLimit().empty());
        EXPECT_TRUE(table.entry(0).place().empty());
    }
}

TEST(DlsReadTest, MissingTextFieldsAreReportedAndTheRecordKeepsWhatWasRead) {
    struct Case {
        std::string fields;
        DlsNote note;
        const char* messageUtf8;
    };
    const Case cases[] = {
        {"\"/a\",\"b\",\"w\",0,1999", DlsNote::EventMissing, "kisen error"},
        {"\"/a\",\"b\",\"w\",0,1999,1,1,0,0,0", DlsNote::EventMissing, "kisen error"},
        {"\"/a\",\"b\",\"w\",0,1999,1,1,0,0,0,\"e\"", DlsNote::OpeningMissing, "戦型error"},
        {"\"/a\",\"b\",\"w\",0,1999,1,1,0,0,x,\"e\"", DlsNote::EventMissing, "kisen error"},
        {"\"/a\",\"b\",\"w\",0,1999,1,1,0,0,0,\"e\",\"o\"", DlsNote::TitleMissing, "表題error"},
    };
    for (const Case& c : cases) {
        IndexTable table;
        DlsReadReport r = loadDls(table, "", "# c\r\n" + line(c.fields) + line(kFullLine));
        EXPECT_EQ(r.code, core::ReadResult::LineFailed) << c.fields;
        ASSERT_EQ(r.messages.size(), 1u);
        EXPECT_EQ(r.messages[0].line, 2);
        EXPECT_EQ(r.messages[0].note, c.note);
        EXPECT_EQ(r.messages[0].text, std::string(c.messageUtf8));
        ASSERT_EQ(table.size(), 2);  // the record stays, and reading goes on
        EXPECT_EQ(table.entry(0).path(), "/a");
        EXPECT_EQ(table.entry(0).blackPlayer(), "b");
        EXPECT_EQ(table.entry(0).moveCount, 0);
        EXPECT_EQ(table.entry(1).title(), std::string("表題"));
    }
}

TEST(DlsReadTest, ALineWithoutAQuoteEndsTheReading) {
    IndexTable table;
    DlsReadReport r = loadDls(table, "", line(kFullLine) + "\r\n" + line(kFullLine));
    EXPECT_EQ(table.size(), 1);
    EXPECT_EQ(r.code, core::ReadResult::LineFailed);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].note, DlsNote::ReadingStopped);
    EXPECT_FALSE(r.whole());
    EXPECT_EQ(r.messages[0].line, 2);

    // Trailing empty lines lose nothing and say nothing.
    r = loadDls(table, "", line(kFullLine) + "\r\n\r\n");
    EXPECT_EQ(r.code, core::ReadResult::Ok);
    EXPECT_EQ(table.size(), 1);
}

// A file holding more records than the capacity is read whole: the table is then over its
// capacity and refuses additions, and saving it writes every record again.
TEST(DlsReadTest, RecordsBeyondTheCapacityAreAllRead) {
    std::string text;
    for (int i = 0; i < 1999; ++i) {
        text += line("\"/g/" + std::to_string(i) + ".KIF\"" + kFullLine.substr(10));
    }
    IndexTable table(1000);
    DlsReadReport r = loadDls(table, "", text);
    EXPECT_EQ(r.code, core::ReadResult::Ok);
    EXPECT_TRUE(r.whole());
    EXPECT_EQ(r.records, 1999);
    ASSERT_EQ(table.size(), 1999);
    EXPECT_EQ(table.entry(1998).path(), "/g/1998.KIF");
    EXPECT_EQ(table.displayOrder().size(), 1999u);
    EXPECT_TRUE(table.isFull());
    EXPECT_EQ(table.append(IndexEntry{}), -3);

    IndexTable again(1000);
    (void)loadDls(again, "", formatDls(table));
    EXPECT_EQ(again.size(), 1999);
}

TEST(DlsReadTest, NulBytesAndInvalidTextNeverBreakTheReader) {
    std::string withNul = line(kFullLine);
    withNul.insert(withNul.find(std::string("\"戦型\"")), std::string("\0", 1));
    IndexTable table;
    DlsReadReport r = loadDls(table, "", line(kFullLine) + withNul + line(kFullLine));
    ASSERT_EQ(table.size(), 3);
    EXPECT_EQ(r.messages.at(0).note, DlsNote::OpeningMissing);  // the line ends at the NUL
    EXPECT_EQ(table.entry(1).event(), std::string("棋戦"));

    // Random bytes after a good line: the good record is kept whatever follows.
    std::mt19937 random(11);
    std::uniform_int_distribution<int> byte(0, 255);
    const char alphabet[] = {'"', ',', '$', '#', '\r', '\n', '\0', '\x82', '\x5C', ':', '1'};
    for (int round = 0; round < 300; ++round) {
        std::string junk;
        for (int i = 0; i < 200; ++i) {
            int b = byte(random);
            junk += b < 128 ? alphabet[static_cast<std::size_t>(b) % sizeof alphabet]
                            : static_cast<char>(b);
        }
        IndexTable t;
        (void)loadDls(t, "", line(kFullLine) + junk);
        ASSERT_GE(t.size(), 1);
        EXPECT_EQ(t.entry(0).path(), "/g/a.KIF");
        EXPECT_EQ(t.displayOrder().size(), static_cast<std::size_t>(t.size()));
        for (const IndexEntry& e : t.entries()) {
            EXPECT_LE(e.path().size(), 259u);
            EXPECT_LE(e.handicap, 15);
            EXPECT_LE(e.result, 7);
        }
    }
}

TEST(DlsReadTest, OverlongLinesAreCutAndKeepTheirRecord) {
    std::string fields = kFullLine;
    fields.replace(1, 8, "/" + std::string(5000, 'p'));  // replaces /g/a.KIF
    IndexTable table;
    ASSERT_EQ(loadDls(table, "", line(fields)).code, core::ReadResult::LineFailed);
    EXPECT_EQ(table.entry(0).path().size(), 259u);
}

}  // namespace
}  // namespace dalmir::model
