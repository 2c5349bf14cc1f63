// dalmir-cli run on small record folders: adding, listing, updating, removing, converting.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/common/cli_test_support.h"
#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "tests/support/test_records.h"

namespace {

using testsupport::kifRecord;
using testsupport::TempFolder;

const std::vector<std::string> kGame = {"７六歩(77)", "３四歩(33)", "２六歩(27)", "投了"};

class DalmirCliTest : public ::testing::Test {
protected:
    DalmirCliTest() : files("dalmir_cli") {
        // The error log goes to the per-user data folder; keep it inside the test folder.
        ::setenv("XDG_DATA_HOME", files.file("data").c_str(), 1);
    }

    cli::RunReport run(std::vector<std::string> args) {
        return cli::runProgram("dalmir-cli", args);
    }
    std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            out.push_back(text.substr(pos, end - pos));
            pos = end == std::string::npos ? text.size() : end + 1;
        }
        return out;
    }

    TempFolder files;
};

TEST_F(DalmirCliTest, AddListsAndUpdatesOnTheSecondAdd) {
    files.write("g/a.kif", kifRecord(kGame, "2013/06/01", "羽生善治", "谷川浩司"));
    files.write("g/sub/b.kif", kifRecord({"７六歩(77)", "投了"}, "1996/2/14", "森内俊之"));
    std::string db = files.file("games.dls");

    cli::RunReport added = run({"add", db, files.file("g"), "--subfolders", "--kind", "0"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(added.out, "追加終了　新規追加：2 更新：0（計：2）\n");

    cli::RunReport again = run({"add", db, files.file("g"), "--subfolders", "--kind", "0"});
    EXPECT_EQ(again.out, "追加終了　新規追加：0 更新：2（計：2）\n");

    cli::RunReport listed = run({"list", db});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    std::vector<std::string> rows = lines(listed.out);
    ASSERT_EQ(rows.size(), 2u);
    std::sort(rows.begin(), rows.end(), [](const std::string& a, const std::string& b) {
        return a.substr(a.find('\t')) < b.substr(b.find('\t'));
    });
    // No., file name, players, start date, event, opening, moves, result, next move.
    EXPECT_EQ(rows[0].substr(rows[0].find('\t')),
              "\ta.kif\t羽生善治\t谷川浩司\t13/06/01\t名人戦\t矢倉\t3\t先手の勝ち\t");
    EXPECT_EQ(rows[1].substr(rows[1].find('\t')),
              "\tb.kif\t森内俊之\t谷川浩司\t96/02/14\t名人戦\t矢倉\t1\t先手の勝ち\t");

    std::string everyColumn = lines(run({"list", db, "--all-columns"}).out)[0];
    EXPECT_EQ(std::count(everyColumn.begin(), everyColumn.end(), '\t'), 21);
}

TEST_F(DalmirCliTest, FiltersAndKindsChooseTheFiles) {
    files.write("g/a.kif", kifRecord(kGame, "2013/06/01", "羽生善治", "谷川浩司"));
    files.write("g/b.kif", kifRecord(kGame, "2013/06/01", "森内俊之", "佐藤康光"));
    files.write("g/c.ki2", kifRecord(kGame, "2013/06/01", "羽生善治", "佐藤康光"));
    std::string db = files.file("f.dls");
    cli::RunReport r = run({"add", db, files.file("g"), "--kind", "2", "--player", "羽生"});
    EXPECT_EQ(r.out, "追加終了　新規追加：2 更新：0（計：2）\n");
    // A registered record is a duplicate of itself: only b.kif, a game of other players, is new.
    r = run({"add", db, files.file("g"), "--kind", "5", "--skip-duplicates"});
    EXPECT_EQ(r.out, "追加終了　新規追加：1 更新：0（計：1）\n");
    // The run's choices are kept in the database as the dialog keeps them.
    std::optional<std::string> text = core::readFile(db);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find(*core::cp932Bytes("$追加種類    :5")), std::string::npos);
}

TEST_F(DalmirCliTest, AddWithoutAKindTakesEveryRecordTypeAndKeepsTheWindowsKind) {
    files.write("g/a.kif", kifRecord(kGame));
    files.write("g/b.csa", {"PI", "+", "+7776FU", "%TORYO"});
    files.writeBytes("g/c.jkf", R"({"moves":[{},{"move":{"to":{"x":7,"y":6},"piece":"FU"}}]})");
    files.writeBytes("g/notes.txt.bak", "x");
    std::string db = files.file("k.dls");
    cli::RunReport r = run({"add", db, files.file("g")});
    EXPECT_EQ(r.out, "追加終了　新規追加：3 更新：0（計：3）\n") << r.err;
    std::optional<std::string> text = core::readFile(db);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find(*core::cp932Bytes("$追加種類    :0")), std::string::npos);

    // A run that finds nothing for the chosen kind says so.
    r = run({"add", db, files.file("g"), "--kind", "4"});
    EXPECT_EQ(r.out, "追加終了　新規追加：0 更新：0（計：0）\n");
    EXPECT_NE(r.err.find("に追加種類の棋譜ファイルがありません。（種類の違うファイル：4）"),
              std::string::npos)
        << r.err;
}

TEST_F(DalmirCliTest, ExportWritesItsFileWholeOrNotAtAll) {
    files.write("g/a.kif", kifRecord(kGame));
    std::string db = files.file("e.dls");
    ASSERT_EQ(run({"add", db, files.file("g")}).exitCode, 0);
    cli::RunReport r =
        run({"export", db, "--format", "jsonl", "--moves", "kif", "-o", files.file("out.jsonl")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::optional<std::string> out = core::readFile(files.file("out.jsonl"));
    ASSERT_TRUE(out);
    EXPECT_NE(out->find(R"("main_line":"７六歩(77) ３四歩(33) ２六歩(27) 投了")"),
              std::string::npos)
        << *out;
    r = run({"export", db, "-o", files.file("missing/out.csv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos);
    EXPECT_EQ(run({"export", db, "--format", "xml"}).exitCode, 2);
    // A record file gone since registration leaves its main line empty and says so.
    std::filesystem::remove(files.file("g/a.kif"));
    r = run({"export", db, "--moves", "usi"});
    EXPECT_EQ(r.exitCode, 1);
    // The path, the three (here empty) label columns, then the empty main line.
    EXPECT_NE(r.out.find("/a.kif,,,,\r"), std::string::npos) << r.out;
}

// A player named like a spreadsheet formula is defused in CSV, kept exactly with --raw.
TEST_F(DalmirCliTest, ExportDefusesFormulasUnlessRaw) {
    files.write("g/a.kif", kifRecord(kGame, "2013/06/01", "=1+2", "@x"));
    std::string db = files.file("f.dls");
    ASSERT_EQ(run({"add", db, files.file("g")}).exitCode, 0);
    cli::RunReport r = run({"export", db});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\n1,'=1+2,'@x,2013-06-01,"), std::string::npos) << r.out;
    r = run({"export", db, "--raw"});
    EXPECT_NE(r.out.find("\n1,=1+2,@x,2013-06-01,"), std::string::npos) << r.out;
    r = run({"list", db, "--format", "csv"});
    EXPECT_NE(r.out.find("\n1,'=1+2,'@x,"), std::string::npos) << r.out;
}

TEST_F(DalmirCliTest, UpdateDeletesMissingFilesOnlyWhenAsked) {
    files.write("g/a.kif", kifRecord(kGame));
    std::string gone = files.write("g/b.kif", kifRecord(kGame));
    std::string db = files.file("u.dls");
    ASSERT_EQ(run({"add", db, files.file("g"), "--kind", "0"}).exitCode, 0);
    std::filesystem::remove(gone);

    EXPECT_EQ(run({"update", db}).exitCode, 0);
    EXPECT_EQ(lines(run({"list", db}).out).size(), 2u);
    EXPECT_EQ(run({"update", db, "--missing", "delete"}).exitCode, 0);
    EXPECT_EQ(lines(run({"list", db}).out).size(), 1u);
    EXPECT_EQ(run({"update", db, "--missing", "maybe"}).exitCode, 2);
}

TEST_F(DalmirCliTest, RemoveTakesAFolderWithOrWithoutSubfolders) {
    files.write("g/a.kif", kifRecord(kGame));
    files.write("g/sub/b.kif", kifRecord(kGame));
    files.write("h/c.kif", kifRecord(kGame));
    std::string db = files.file("r.dls");
    ASSERT_EQ(run({"add", db, files.file("g"), files.file("h"), "--subfolders", "--kind", "0"}).out,
              "追加終了　新規追加：3 更新：0（計：3）\n");
    EXPECT_EQ(run({"remove", db, files.file("g")}).out, "1 棋譜削除しました。\n");
    EXPECT_EQ(run({"remove", db, files.file("g"), "--kind", "1", "--subfolders"}).out,
              "削除棋譜は、ありませんでした。\n");
    EXPECT_EQ(run({"remove", db, files.file("g"), "--subfolders"}).out, "1 棋譜削除しました。\n");
    EXPECT_EQ(lines(run({"list", db}).out).size(), 1u);
}

TEST_F(DalmirCliTest, ConvertWritesTheBinaryPair) {
    files.write("g/a.kif", kifRecord(kGame));
    files.write("g/b.kif", kifRecord({}));  // no moves: no list
    const std::string gone = files.write("g/c.kif", kifRecord(kGame));
    std::string db = files.file("c.dls");
    ASSERT_EQ(run({"add", db, files.file("g"), "--kind", "0"}).exitCode, 0);
    std::filesystem::remove(gone);
    // The records left out are counted with their reasons, and the run fails.
    cli::RunReport r = run({"convert", db, files.file("bin")});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("2 of 3 records were not carried over: 1 could not be read, 1 have no "
                         "move"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "バイナリ棋譜(" + files.file("bin") + ".DLB/KIX)を保存しました。\n");
    EXPECT_TRUE(std::filesystem::exists(files.file("bin.DLB")));
    EXPECT_EQ(lines(run({"list", files.file("bin.DLB")}).out).size(), 1u);

    // A binary database takes only records it can hold.
    std::string binary = files.file("new.dlb");
    r = run({"add", binary, files.file("g"), "--kind", "0"});
    EXPECT_EQ(r.out, "追加終了　新規追加：1 更新：0（計：1）\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("棋譜を登録できませんでした。(" + files.file("g/b.kif") + ")"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(std::filesystem::exists(files.file("new.kix")));
}

// Adding says which files it could not take, and why, and exits 1; the rest are registered.
TEST_F(DalmirCliTest, AddExitsOneWhenAFileWasNotTaken) {
    struct Case {
        std::string file;   // written with a record beside a good one, then the folder is added
        std::string bytes;  // the file's bytes; empty: a good record
        std::string err;    // a part of what stderr must say
        int added;
    };
    std::string kif = "\xEF\xBB\xBF";
    for (const std::string& l : kifRecord(kGame)) kif += l + "\r\n";
    std::string broken = kif;
    broken.insert(broken.find("名人戦"), "\xFF");
    const std::vector<Case> cases = {
        {"minus\u2212.kif", "", "エラーが 1 ありました。", 1},
        {"quote\".kif", "", "エラーが 1 ありました。", 1},
        {"bad.kif", broken, "警告：UTF-8でないバイトを「？」に置き換えました（2行目）", 2},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string folder = "case" + std::to_string(++n) + "/";
        files.write(folder + "good.kif", kifRecord(kGame));
        std::string path = c.bytes.empty() ? files.write(folder + c.file, kifRecord(kGame))
                                           : files.writeBytes(folder + c.file, c.bytes);
        cli::RunReport r = run({"add", files.file("a" + std::to_string(n) + ".dls"),
                                files.file(folder), "--kind", "0"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "追加終了　新規追加：" + std::to_string(c.added) + " 更新：0（計：" +
                             std::to_string(c.added) + "）\n");
    }
    cli::RunReport missing = run({"add", files.file("m.dls"), files.file("none.kif")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("ファイルがありません。(" + files.file("none.kif") +
                               ") (No such file or directory)"),
              std::string::npos)
        << missing.err;
}

// Only adding makes a database; every other command refuses a database that is not there.
TEST_F(DalmirCliTest, AMissingDatabaseIsAnErrorButForAdding) {
    std::string db = files.file("none.dls");
    for (std::vector<std::string> args :
         std::vector<std::vector<std::string>>{{"list", db},
                                               {"update", db},
                                               {"find", db},
                                               {"duplicates", db},
                                               {"remove", db, files.path()},
                                               {"stats", db, "results"}}) {
        SCOPED_TRACE(args[0]);
        cli::RunReport r = run(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("棋譜情報読込みエラー(" + db + ") (No such file or directory)"),
                  std::string::npos)
            << r.err;
        EXPECT_FALSE(std::filesystem::exists(db));
    }
}

TEST_F(DalmirCliTest, ErrorsAndUsage) {
    std::string bad = files.write("bad.kif", kifRecord({"７六歩(77)", "９九竜王"}));
    std::string db = files.file("e.dls");
    cli::RunReport r = run({"add", db, bad});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("棋譜を登録できませんでした。"), std::string::npos);
    std::optional<std::string> log = core::readFile(files.file("data/VESK/Dalmir/errorlog.txt"));
    ASSERT_TRUE(log);
    EXPECT_NE(log->find(bad), std::string::npos);

    EXPECT_EQ(run({"add", db, files.file("none.kif")}).exitCode, 1);
    EXPECT_EQ(run({"list", files.file("x.txt")}).exitCode, 1);
    core::WriteResult w = core::writeFileAtomically(files.file("locked.dls"), "");
    ASSERT_EQ(w, core::WriteResult::Ok);
    EXPECT_EQ(run({"list"}).exitCode, 2);
    EXPECT_EQ(run({"frobnicate", db}).exitCode, 2);
    EXPECT_EQ(run({"add", db}).exitCode, 2);
    EXPECT_EQ(run({"list", db, "--set", "Nowhere/key=1"}).exitCode, 2);
    EXPECT_EQ(run({"add", db, "--kind", "x", bad}).exitCode, 2);
}

TEST_F(DalmirCliTest, CapacityAndEncodingFollowTheOptions) {
    for (int i = 0; i < 3; ++i) files.write("g/" + std::to_string(i) + ".kif", kifRecord(kGame));
    std::string db = files.file("m.dls");
    cli::RunReport r =
        run({"add", db, files.file("g"), "--kind", "0", "--set", "Option/max_records=2"});
    EXPECT_EQ(r.out, "追加終了　新規追加：2 更新：0（計：2）\n");
    EXPECT_NE(r.err.find("登録が最大数(2)を超えました。"), std::string::npos);

    r = run({"list", db, "--encoding", "sjis", "--set", "Env/user1=棋戦名"});
    std::vector<std::string> rows = lines(r.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NE(rows[0].find(*core::cp932Bytes("先手の勝ち")), std::string::npos);  // --encoding sjis
    EXPECT_EQ(std::count(rows[0].begin(), rows[0].end(), '\t'),
              10);  // ten columns and user column 1
}

// Three games: a and b open with 7六歩 3四歩 (b at its third move), c does not.
class DalmirCliSearchTest : public DalmirCliTest {
protected:
    DalmirCliSearchTest() {
        db = files.file("s.dls");
        std::string a =
            files.write("a.kif", kifRecord(kGame, "2013/06/01", "羽生善治", "谷川浩司"));
        std::string b = files.write(
            "b.kif", kifRecord({"２六歩(27)", "８四歩(83)", "７六歩(77)", "３四歩(33)", "投了"},
                               "1996/02/14", "森内俊之", "羽生 善治"));
        std::string c = files.write("c.kif", kifRecord({"７六歩(77)", "８四歩(83)", "投了"},
                                                       "2000/01/01", "佐藤康光", "森内俊之"));
        EXPECT_EQ(run({"add", db, a, b, c}).exitCode, 0);
    }
    // The file-name column of each printed row, and its last column.
    std::vector<std::string> names(const cli::RunReport& r) {
        std::vector<std::string> out;
        for (const std::string& row : lines(r.out)) {
            std::size_t t1 = row.find('\t');
            out.push_back(row.substr(t1 + 1, row.find('\t', t1 + 1) - t1 - 1) + " " +
                          row.substr(row.rfind('\t') + 1));
        }
        return out;
    }

    std::string db;
};

TEST_F(DalmirCliSearchTest, FindByHeaderCriteria) {
    using V = std::vector<std::string>;
    EXPECT_EQ(names(run({"find", db, "--player", "羽生善治", "--ignore-blanks"})),
              (V{"a.kif ", "b.kif "}));
    EXPECT_EQ(names(run({"find", db, "--player", "羽生善治", "--player", "谷川"})), V{"a.kif "});
    EXPECT_EQ(names(run({"find", db, "--from", "2000/1/1", "--to", "2012/12/31"})), V{"c.kif "});
    EXPECT_EQ(names(run({"find", db, "--file", "b.kif"})), V{"b.kif "});
    cli::RunReport none = run({"find", db, "--black", "加藤"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "検出できませんでした。\n");
    EXPECT_EQ(run({"find", db, "--from", "2000-1-1"}).exitCode, 2);
}

TEST_F(DalmirCliSearchTest, SequenceAndPositionSearchesShowTheNextMove) {
    using V = std::vector<std::string>;
    EXPECT_EQ(names(run({"search-sequence", db, "+76歩,-34歩"})),
              (V{"a.kif ７六歩(77)", "b.kif ７六歩(77)"}));
    cli::RunReport bad = run({"search-sequence", db, "+76歩,-34猫"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err, "駒の指定が間違っています。(-34猫)\n");

    std::string target = files.write("t.kif", kifRecord({"７六歩(77)", "３四歩(33)"}));
    EXPECT_EQ(names(run({"search-position", db, target})), V{"a.kif ２六歩(27)"});
    EXPECT_EQ(names(run({"search-position", db, target, "--ply", "1"})),
              (V{"a.kif ３四歩(33)", "c.kif ８四歩(83)"}));
    EXPECT_EQ(run({"search-position", db, files.file("none.kif")}).exitCode, 1);
}

// A damaged position index is left unused: the search still finds the hits, and says why it
// scanned.
TEST_F(DalmirCliSearchTest, ADamagedPositionIndexIsReportedAndIgnored) {
    using V = std::vector<std::string>;
    const std::string binary = files.file("s.dlb");
    const std::vector<std::string> paths = {files.file("a.kif"), files.file("b.kif"),
                                            files.file("c.kif")};
    std::vector<std::string> add = {"add", binary};
    add.insert(add.end(), paths.begin(), paths.end());
    ASSERT_EQ(run(add).exitCode, 0);
    const std::string index = files.file("s.DPX");
    ASSERT_TRUE(std::filesystem::exists(index));
    std::filesystem::resize_file(index, 100);

    std::string target = files.write("t.kif", kifRecord({"７六歩(77)", "３四歩(33)"}));
    cli::RunReport r = run({"search-position", binary, target, "--ply", "1"});
    EXPECT_EQ(names(r), (V{"a.kif ３四歩(33)", "c.kif ８四歩(83)"}));
    EXPECT_NE(r.err.find("局面インデックス("), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("壊れているため、使わずに検索します。"), std::string::npos) << r.err;
}

// A binary pair converted from a text database comes with its position index, and searches
// through it find what the text database finds.
TEST_F(DalmirCliSearchTest, AConvertedPairGetsItsPositionIndex) {
    using V = std::vector<std::string>;
    const std::string binary = files.file("c.dlb");
    ASSERT_EQ(run({"convert", db, binary}).exitCode, 0);
    ASSERT_TRUE(std::filesystem::exists(files.file("c.DPX")));
    std::string target = files.write("t.kif", kifRecord({"７六歩(77)", "３四歩(33)"}));
    cli::RunReport r = run({"search-position", binary, target, "--ply", "1"});
    EXPECT_EQ(names(r), (V{"a.kif ３四歩(33)", "c.kif ８四歩(83)"}));
    EXPECT_EQ(r.err.find("局面インデックス("), std::string::npos) << r.err;
}

TEST_F(DalmirCliSearchTest, StatisticsOverTheListOrASearch) {
    cli::RunReport r = run({"stats", db, "results"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "先手(下手)勝ち：     1\n後手(上手)勝ち：     2\n千日手　　　　：     0\n"
              "持将棋　　　　：     0\n先手(下手)勝率： 0.333\n後手(上手)勝率： 0.667\n"
              "平均手数　　　： 3.000\n");
    r = run({"stats", db, "next", "--sequence", "+76歩"});
    EXPECT_NE(r.out.find(" 1.７六歩(77)     3 (100%)     0.333      1勝      2敗\n"),
              std::string::npos)
        << r.out;
    r = run({"stats", db, "player", "羽生善治", "--ignore-blanks"});
    EXPECT_TRUE(r.out.starts_with("棋譜数：    2\n\n勝ち　：    2\n負け　：    0\n")) << r.out;
    EXPECT_EQ(run({"stats", db, "player"}).exitCode, 2);
    EXPECT_EQ(run({"stats", db, "colours"}).exitCode, 2);
}

TEST_F(DalmirCliTest, DuplicatesInTextAndBinaryDatabases) {
    // Same players, date and move count: a and b have the same moves, c other moves.
    std::string a = files.write("d/a.kif", kifRecord(kGame));
    std::string b = files.write("d/b.kif", kifRecord(kGame));
    std::string c =
        files.write("d/c.kif", kifRecord({"２六歩(27)", "３四歩(33)", "７六歩(77)", "投了"}));
    std::string text = files.file("t.dls");
    ASSERT_EQ(run({"add", text, a, b, c}).exitCode, 0);
    cli::RunReport r = run({"duplicates", text});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> pairs = lines(r.out);
    ASSERT_EQ(pairs.size(), 3u);  // a-b, a-c, b-c: every question is answered "次へ"
    // Paths as registered, with the extension upper-cased.
    EXPECT_EQ(pairs[0], "No.1\tNo.2\t" + files.file("d/a.kif") + "\t" + files.file("d/b.kif"));
    EXPECT_EQ(lines(run({"list", text}).out).size(), 3u);

    std::string binary = files.file("b.dlb");
    ASSERT_EQ(run({"add", binary, a, b, c}).exitCode, 0);
    EXPECT_EQ(lines(run({"duplicates", binary}).out).size(), 1u);  // the moves of c differ
    EXPECT_EQ(lines(run({"duplicates", binary, "--moves", "2"}).out).size(), 3u);

    // "全て2を削除": every later duplicate of a goes.
    r = run({"duplicates", text, "--delete", "second"});
    EXPECT_EQ(lines(r.out).size(), 2u);
    EXPECT_EQ(lines(run({"list", text}).out).size(), 1u);
    EXPECT_EQ(run({"duplicates", text, "--delete", "both"}).exitCode, 2);
}

}  // namespace
