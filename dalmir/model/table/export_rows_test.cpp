#include "dalmir/model/table/export_rows.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/text/sjis.h"
#include "tests/support/test_records.h"

namespace dalmir::model {
namespace {

IndexEntry awkwardEntry() {
    IndexEntry e;
    e.setText(IndexText::Path, std::string("/棋譜/a,b.KIF"));
    e.setText(IndexText::AutoOpening, std::string("▲四間飛車(美濃囲い) △居飛車穴熊"));
    e.setText(IndexText::AutoOpeningName, std::string("四間飛車"));
    e.setText(IndexText::BlackPlayer, std::string("羽生善治"));
    e.setText(IndexText::WhitePlayer, std::string("谷川\"浩司\""));
    e.setText(IndexText::Title, std::string("表題"));
    e.setText(IndexText::Event, std::string("名人戦, 第1局\r\n二行目"));
    e.setText(IndexText::Opening, std::string("矢倉"));
    e.setText(IndexText::TimeLimit, std::string("各9時間"));
    e.setText(IndexText::Place, std::string("東京"));
    e.setText(IndexText::PublishedIn, std::string("将棋世界"));
    for (int k = 0; k < kUserFieldCount; ++k) {
        e.setText(userField(k), std::string("ユーザ") + std::to_string(k + 1) + "\t\\");
    }
    e.handicap = 0;
    e.result = static_cast<uint8_t>(IndexResult::BlackWins);
    e.marks = kMarkComments | kMarkUser1;
    e.start = {2013, 6, 1};
    e.end = {2013, 6, 0};
    e.moveCount = 97;
    return e;
}

std::string exported(const IndexEntry& e, ExportFormat format, ExportMoves moves,
                     std::string_view mainLine = {}) {
    std::string out;
    ExportRowWriter w(format, moves, [&](std::string_view s) {
        out += s;
        return true;
    });
    EXPECT_TRUE(w.begin());
    EXPECT_TRUE(w.row(e, 7, mainLine));
    return out;
}

TEST(ExportRowsTest, DatesAreIso8601WhereTheyParse) {
    struct Case {
        IndexDate date;
        const char* iso;
    };
    const Case cases[] = {
        {{2013, 6, 1}, "2013-06-01"}, {{1996, 12, 0}, "1996-12"},
        {{1700, 0, 0}, "1700"},       {{0, 6, 1}, ""},
        {{2013, 13, 1}, ""},          {{2013, 0, 5}, ""},
        {{2013, 2, 32}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(isoDate(c.date), c.iso) << c.iso;
}

TEST(ExportRowsTest, CsvQuotesCommasQuotesAndLineBreaks) {
    std::string csv = exported(awkwardEntry(), ExportFormat::Csv, ExportMoves::None);
    EXPECT_EQ(csv,
              "no,black,white,start,end,title,event,opening,time_limit,place,published_in,user1,"
              "user2,user3,user4,user5,handicap,result,moves,marks,path,auto_opening,auto_opening_"
              "name,auto_castles\r\n"
              "7,羽生善治,\"谷川\"\"浩司\"\"\",2013-06-01,2013-06,表題,\"名人戦, 第1局\r\n二行目\","
              "矢倉,各9時間,東京,将棋世界,ユーザ1\t\\,ユーザ2\t\\,ユーザ3\t\\,ユーザ4\t\\,"
              "ユーザ5\t\\,平手,先手の勝ち,97,*C,\"/棋譜/a,b.KIF\",▲四間飛車(美濃囲い) △居飛車穴熊,"
              "四間飛車,▲美濃囲い △居飛車穴熊\r\n");
}

// A text a spreadsheet would run as a formula gets a leading "'" in CSV; the raw CSV and JSON
// Lines keep it exactly. Numbers and dates are never changed.
TEST(ExportRowsTest, CsvDefusesFormulasUnlessRaw) {
    IndexEntry e = awkwardEntry();
    e.setText(IndexText::BlackPlayer, std::string("=HYPERLINK(\"http://x\")"));
    e.setText(IndexText::WhitePlayer, "-5");
    e.setText(IndexText::Title, "+1");
    e.setText(IndexText::Place, "@SUM(A1)");
    e.setText(IndexText::Opening, "a=b");
    const std::string csv = exported(e, ExportFormat::Csv, ExportMoves::None);
    EXPECT_NE(csv.find("\r\n7,\"'=HYPERLINK(\"\"http://x\"\")\",'-5,2013-06-01,2013-06,'+1,"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find(",a=b,各9時間,'@SUM(A1),"), std::string::npos) << csv;

    const std::string raw = exported(e, ExportFormat::CsvRaw, ExportMoves::None);
    EXPECT_NE(raw.find("\r\n7,\"=HYPERLINK(\"\"http://x\"\")\",-5,2013-06-01,2013-06,+1,"),
              std::string::npos)
        << raw;
    EXPECT_EQ(raw.find('\''), std::string::npos);
    const std::string json = exported(e, ExportFormat::Jsonl, ExportMoves::None);
    EXPECT_NE(json.find("\"white\":\"-5\""), std::string::npos) << json;
}

TEST(ExportRowsTest, JsonLinesCarryEveryFieldAsUtf8) {
    IndexEntry e = awkwardEntry();
    std::string text = exported(e, ExportFormat::Jsonl, ExportMoves::Usi, "position startpos");
    ASSERT_EQ(text.back(), '\n');
    ASSERT_EQ(text.find('\n'), text.size() - 1) << "one row, one line";
    nlohmann::json row = nlohmann::json::parse(text);
    EXPECT_EQ(row["no"], 7);
    EXPECT_EQ(row["moves"], 97);
    const std::pair<const char*, IndexText> texts[] = {
        {"black", IndexText::BlackPlayer},
        {"white", IndexText::WhitePlayer},
        {"title", IndexText::Title},
        {"event", IndexText::Event},
        {"opening", IndexText::Opening},
        {"time_limit", IndexText::TimeLimit},
        {"place", IndexText::Place},
        {"published_in", IndexText::PublishedIn},
        {"user1", IndexText::User1},
        {"user5", IndexText::User5},
        {"path", IndexText::Path},
        {"auto_opening", IndexText::AutoOpening},
        {"auto_opening_name", IndexText::AutoOpeningName},
    };
    for (const auto& [key, field] : texts) {
        EXPECT_EQ(row[key], core::toUtf8Lossy(e.text(field))) << key;
    }
    EXPECT_EQ(row["auto_castles"], "▲美濃囲い △居飛車穴熊");
    EXPECT_EQ(row["start"], "2013-06-01");
    EXPECT_EQ(row["result"], "先手の勝ち");
    EXPECT_EQ(row["marks"], "*C");
    EXPECT_EQ(row["main_line"], "position startpos");
}

TEST(ExportRowsTest, ListedRowsFollowTheDisplayOrderAndStopWithTheSink) {
    IndexTable table;
    for (const char* name : {"a", "b", "c"}) {
        IndexEntry e;
        e.setText(IndexText::BlackPlayer, name);
        ASSERT_GE(table.append(e), 0);
    }
    table.displayOrder() = {2, 0};
    std::string out;
    ExportReport r = exportListedRows(
        table, ExportFormat::Jsonl, ExportMoves::Kif,
        [&](std::string_view s) {
            out += s;
            return true;
        },
        [](const IndexEntry& e) -> std::optional<std::string> {
            if (e.blackPlayer() == "a") return std::nullopt;
            return std::string("line");
        });
    EXPECT_EQ(r.rows, 2);
    EXPECT_EQ(r.unreadable, 1);
    EXPECT_FALSE(r.stopped);
    EXPECT_LT(out.find("\"black\":\"c\""), out.find("\"black\":\"a\""));
    EXPECT_NE(out.find("\"no\":2"), std::string::npos);

    int calls = 0;
    r = exportListedRows(table, ExportFormat::Csv, ExportMoves::None,
                         [&](std::string_view) { return ++calls < 2; });
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.rows, 0);
}

TEST(ExportRowsTest, MainLinesAreReadFromTheRecordFiles) {
    testsupport::TempFolder folder("export_rows");
    folder.write("r.kif", {"手合割：平手", "手数----指手---------消費時間--",
                           "   1 ７六歩(77)   ( 0:00/00:00:00)",
                           "   2 ３四歩(33)   ( 0:00/00:00:00)", "   3 投了"});
    IndexEntry e;
    e.setText(IndexText::Path, "r.KIF");  // relative to the index folder, extension upper-cased
    MainLineReader usi(folder.path() + "/", ExportMoves::Usi);
    EXPECT_EQ(usi(e), "position startpos moves 7g7f 3c3d");
    MainLineReader kif(folder.path() + "/", ExportMoves::Kif);
    EXPECT_EQ(kif(e), "７六歩(77) ３四歩(33) 投了");
    e.setText(IndexText::Path, "missing.KIF");
    EXPECT_EQ(kif(e), std::nullopt);
}

}  // namespace
}  // namespace dalmir::model
