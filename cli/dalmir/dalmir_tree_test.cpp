// dalmir-cli tree, book and tree-index run on small databases: the rows, the formats, the exit
// codes, books read back, and the tree index used, refused when stale or damaged.
#include "cli/dalmir/dalmir_tree.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/common/cli_test_support.h"
#include "core/base/safe_file.h"
#include "dalmir/model/tree/opening_book.h"
#include "tests/support/test_records.h"

namespace {

using testsupport::kifRecord;
using testsupport::TempFolder;

class DalmirTreeCliTest : public ::testing::Test {
protected:
    DalmirTreeCliTest() : files("dalmir_tree_cli") {
        ::setenv("XDG_DATA_HOME", files.file("data").c_str(), 1);
    }

    cli::RunReport run(std::vector<std::string> args) {
        return cli::runProgram("dalmir-cli", args);
    }
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            std::string line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            out.push_back(line);
            pos = end == std::string::npos ? text.size() : end + 1;
        }
        return out;
    }
    // Three games: two reach the same position after four plies in other orders, one of them
    // ends there; a third plays something else at once.
    std::string database(const std::string& name) {
        files.write("g/a.kif", kifRecord({"７六歩(77)", "３四歩(33)", "２六歩(27)", "８四歩(83)",
                                          "２五歩(26)", "投了"},
                                         "2013/06/01", "羽生善治", "谷川浩司"));
        files.write("g/b.kif",
                    kifRecord({"２六歩(27)", "８四歩(83)", "７六歩(77)", "３四歩(33)", "投了"},
                              "2015/02/03", "森内俊之", "羽生善治"));
        files.write("g/c.kif",
                    kifRecord({"５六歩(57)", "投了"}, "2001/01/01", "佐藤康光", "谷川浩司"));
        const std::string db = files.file(name);
        cli::RunReport added = run({"add", db, files.file("g")});
        EXPECT_EQ(added.exitCode, 0) << added.err;
        return db;
    }

    TempFolder files;
};

constexpr const char* kCrossed = "startpos moves 7g7f 3c3d 2g2f 8c8d";

TEST_F(DalmirTreeCliTest, TreeRowsCountTranspositionsAndEndings) {
    for (const char* name : {"t.dlb", "t.dls"}) {
        const std::string db = database(name);
        cli::RunReport r = run({"tree", db, "--usi", kCrossed, "--format", "csv"});
        ASSERT_EQ(r.exitCode, 0) << name << r.err;
        const auto rows = lines(r.out);
        ASSERT_EQ(rows.size(), 3u) << name << r.out;
        EXPECT_EQ(rows[0],
                  "move,notation,count,black_wins,white_wins,draws,other,last_date,best_record,"
                  "best_ply");
        EXPECT_EQ(rows[1].substr(0, rows[1].find(",2013")), "2f2e,２五歩(26),1,1,0,0,0");
        EXPECT_EQ(rows[2].substr(0, rows[2].find(",2015")),
                  ",(ended here),1,0,1,0,0");  // Black resigned
        EXPECT_NE(rows[2].find("b.kif,4"), std::string::npos) << rows[2];
    }
}

TEST_F(DalmirTreeCliTest, TheStartSortsByCountAndFormatsAgree) {
    const std::string db = database("s.dlb");
    cli::RunReport text = run({"tree", db});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("records   3"), std::string::npos) << text.out;
    cli::RunReport jsonl = run({"tree", db, "--format", "jsonl"});
    const auto rows = lines(jsonl.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].rfind("{\"move\":\"2g2f\",\"notation\":\"２六歩(27)\",\"count\":1,", 0), 0u)
        << rows[0];
    EXPECT_NE(rows[2].find("\"move\":\"7g7f\""), std::string::npos);
    EXPECT_NE(rows[0].find("\"last_date\":\"2015-02-03\""), std::string::npos);

    // Filters: one player's games, a date range, at least two records.
    EXPECT_EQ(lines(run({"tree", db, "--player", "佐藤", "--format", "csv"}).out).size(), 2u);
    EXPECT_EQ(lines(run({"tree", db, "--from", "2014/01/01", "--format", "csv"}).out).size(), 2u);
    EXPECT_EQ(lines(run({"tree", db, "--min-count", "2", "--format", "csv"}).out).size(), 1u);
}

TEST_F(DalmirTreeCliTest, APositionNoRecordReachesIsAnEmptyTree) {
    const std::string db = database("e.dlb");
    cli::RunReport r =
        run({"tree", db, "--sfen", "4k4/9/9/9/9/9/9/9/4K4 b - 1", "--format", "csv"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.out).size(), 1u);
}

TEST_F(DalmirTreeCliTest, WrongCallsAreUsageErrors) {
    const std::string db = database("u.dlb");
    const std::vector<std::vector<std::string>> calls = {
        {"tree", db, "--format", "xml"},
        {"tree", db, "--usi", "startpos moves 5e5d"},
        {"tree", db, "--sfen", "not a position"},
        {"tree", db, "--usi", "startpos", "--sfen", "9/9/9/9/9/9/9/9/9 b - 1"},
        {"tree", db, "--min-count", "0"},
        {"tree", db, "--bogus"},
        {"tree", db, "--usi"},
        {"tree", db, "--max-ply", "3"},
        {"tree"},
        {"book", db},
        {"book", db, "-o", files.file("x.db"), "--side", "up"},
        {"book", db, "-o", files.file("x.db"), "--format", "other"},
        {"tree-index", files.file("t.dls")},
    };
    for (const auto& call : calls) {
        cli::RunReport r = run(call);
        EXPECT_EQ(r.exitCode, 2) << call.back() << r.out;
        EXPECT_FALSE(r.err.empty()) << call.back();
    }
    cli::RunReport missing = run({"tree", files.file("none.dlb")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.err.empty());
}

TEST_F(DalmirTreeCliTest, BookIsWrittenAndReadsBack) {
    const std::string db = database("b.dlb");
    const std::string book = files.file("out/book.db");
    std::filesystem::create_directories(files.file("out"));
    cli::RunReport r = run({"book", db, "-o", book, "--max-ply", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::optional<std::string> text = core::readFile(book);
    ASSERT_TRUE(text);
    dalmir::model::OpeningBook read;
    ASSERT_TRUE(dalmir::model::readBook(*text, read).ok);
    dalmir::model::ReplayBoard start;
    ASSERT_TRUE(dalmir::model::startBoard(0, start));
    const dalmir::model::BookPosition* p = read.find(start);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->moves.size(), 3u);
    for (const auto& [key, pos] : read.positions) EXPECT_LE(pos.moveNumber, 3) << key;

    r = run({"book", db, "-o", book, "--side", "white", "--winner-only"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "2 positions, 2 moves\n");  // White won one game: its two moves

    // An unwritable target: exit 1 and the old file kept.
    r = run({"book", db, "-o", files.file("no/such/folder/book.db")});
    EXPECT_EQ(r.exitCode, 1);
}

TEST_F(DalmirTreeCliTest, TreeIndexIsUsedAndRefusedWhenStaleOrDamaged) {
    const std::string db = database("i.dlb");
    const std::string before = run({"tree", db, "--format", "csv"}).out;
    cli::RunReport built = run({"tree-index", db});
    ASSERT_EQ(built.exitCode, 0) << built.err;
    ASSERT_TRUE(std::filesystem::exists(files.file("i.DTR")));
    cli::RunReport r = run({"tree", db, "--format", "csv"});
    EXPECT_EQ(r.out, before);
    EXPECT_TRUE(r.err.empty()) << r.err;

    // Another record: the index no longer fits and is not used.
    files.write("g/d.kif", kifRecord({"７六歩(77)", "投了"}, "2020/01/01", "a", "b"));
    ASSERT_EQ(run({"add", db, files.file("g")}).exitCode, 0);
    r = run({"tree", db, "--format", "csv"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("ツリー索引"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("古い"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("7g7f,７六歩(77),2,"), std::string::npos) << r.out;

    std::ofstream(files.file("i.DTR"), std::ios::binary | std::ios::trunc) << "DTR1garbage";
    r = run({"tree", db, "--format", "csv"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("壊れている"), std::string::npos) << r.err;
}

TEST(TreeCommandLine, OptionsBelongToTheirCommands) {
    cli::TreeCommandLine line;
    EXPECT_FALSE(cli::parseTreeCommandLine(
        {"tree", "db.dlb", "--usi", "startpos", "--format", "csv", "--ignore-blanks"}, line));
    EXPECT_EQ(line.command, "tree");
    EXPECT_EQ(line.args, std::vector<std::string>{"db.dlb"});
    ASSERT_EQ(line.options.size(), 3u);
    EXPECT_EQ(line.options[0], (std::pair<std::string, std::string>{"--usi", "startpos"}));
    EXPECT_EQ(line.options[2].second, "");

    cli::TreeCommandLine other;
    auto problem = cli::parseTreeCommandLine({"tree", "db.dlb", "--winner-only"}, other);
    ASSERT_TRUE(problem);
    EXPECT_EQ(*problem, "--winner-only is not an option of tree");
    EXPECT_TRUE(cli::parseTreeCommandLine({"list", "db.dlb"}, other));
    cli::TreeCommandLine book;
    EXPECT_FALSE(
        cli::parseTreeCommandLine({"--encoding", "sjis", "book", "d.dlb", "-o", "f"}, book));
    EXPECT_EQ(book.command, "book");
}

}  // namespace
