// dalmir-cli's opening labels, record searches and player reports, run on small folders.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/common/cli_test_support.h"
#include "core/base/safe_file.h"
#include "core/formats/kif_writer.h"
#include "core/formats/usi_reader.h"
#include "core/text/sjis.h"
#include "tests/support/test_records.h"

namespace {

using testsupport::kifRecord;
using testsupport::TempFolder;

class DalmirCliClassifyTest : public ::testing::Test {
protected:
    DalmirCliClassifyTest() : files("dalmir_cli_classify") {
        ::setenv("XDG_DATA_HOME", files.file("data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", files.file("config").c_str(), 1);
    }
    cli::RunReport run(std::vector<std::string> args) {
        return cli::runProgram("dalmir-cli", args);
    }
    // A KIF file of USI moves, with a comment at ply 3 when given.
    void usiRecord(const std::string& name, const std::string& moves, const char* comment = "") {
        core::RecordStore store(200);
        ASSERT_EQ(core::readUsiText(store, "position startpos moves " + moves, {}).result,
                  core::ReadResult::Ok);
        if (*comment != '\0') {
            ASSERT_EQ(store.appendComment(3, std::string(comment)), core::CommentResult::Ok);
        }
        files.writeBytes(name, core::kifText(store, {}));
    }
    TempFolder files;
};

const char* kFourth =
    "7g7f 8c8d 6g6f 3c3d 2h6h 8d8e 8h7g 5a4b 5i4h 4b3b 4h3h 6a5b 3h2h 7a6b 3i3h 6c6d 6i5h 1c1d "
    "1g1f 9c9d";
const char* kExchange = "7g7f 8c8d 2g2f 8d8e 8h7g 3c3d 7i8h 4a3b 7g2b+ 3a2b 3i3h 7a7b 1g1f 1c1d";

TEST_F(DalmirCliClassifyTest, LabelsAreMadeKeptExportedAndMadeAgainByTheCommand) {
    usiRecord("g/a.kif", kFourth, "四間に振る");
    usiRecord("g/b.kif", kExchange);
    const std::string db = files.file("games.dls");
    ASSERT_EQ(run({"add", db, files.file("g")}).exitCode, 0);
    ASSERT_TRUE(std::filesystem::exists(files.file("games.DOL")));

    auto exported = [&] {
        cli::RunReport r = run({"export", db, "--format", "jsonl"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        std::map<std::string, std::string> labels;
        std::size_t at = 0;
        while (at < r.out.size()) {
            std::size_t end = r.out.find('\n', at);
            nlohmann::json row = nlohmann::json::parse(r.out.substr(at, end - at));
            std::string path = row["path"];
            labels[path.substr(path.size() - 5)] = row["auto_opening"];
            at = end + 1;
        }
        return labels;
    };
    std::map<std::string, std::string> labels = exported();
    EXPECT_EQ(labels["a.kif"], "▲四間飛車(美濃囲い) △居飛車(舟囲い)");
    EXPECT_EQ(labels["b.kif"], "角換わり ▲居飛車(居玉) △居飛車(居玉)");

    // A database from before the labels: the command gives them and keeps them.
    std::filesystem::remove(files.file("games.DOL"));
    EXPECT_EQ(exported()["a.kif"], "");
    cli::RunReport classified = run({"classify", db});
    EXPECT_EQ(classified.exitCode, 0) << classified.err;
    EXPECT_EQ(classified.out, "自動戦型　設定：2　変更なし：0　読めない棋譜：0\n");
    EXPECT_EQ(exported()["a.kif"], "▲四間飛車(美濃囲い) △居飛車(舟囲い)");
    EXPECT_EQ(run({"classify", db}).out, "自動戦型　設定：0　変更なし：2　読めない棋譜：0\n");

    // Searching by the label, by material and by comment.
    cli::RunReport found = run({"find", db, "--opening", "美濃囲い"});
    EXPECT_EQ(found.exitCode, 0);
    EXPECT_NE(found.out.find("a.kif"), std::string::npos);
    EXPECT_EQ(found.out.find("b.kif"), std::string::npos);
    found = run({"find", db, "--material", "角0枚 先手", "--ply", "10"});
    EXPECT_EQ(found.out.find("a.kif"), std::string::npos);
    EXPECT_NE(found.out.find("b.kif"), std::string::npos);
    found = run({"find", db, "--comment", "四間に"});
    EXPECT_NE(found.out.find("a.kif"), std::string::npos);
    EXPECT_EQ(found.out.find("b.kif"), std::string::npos);
    found = run({"find", db, "--end", "投了"});
    EXPECT_EQ(found.out, "");
    EXPECT_EQ(found.err, "検出できませんでした。\n");

    cli::RunReport bad = run({"find", db, "--material", "飛車たくさん"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("飛車たくさん"), std::string::npos) << bad.err;
    EXPECT_EQ(run({"find", db, "--end", "負け"}).exitCode, 2);
    EXPECT_EQ(run({"find", db, "--ply", "3"}).exitCode, 2);
}

TEST_F(DalmirCliClassifyTest, ClassifyCountsRecordFilesItCannotRead) {
    usiRecord("g/a.kif", kFourth);
    const std::string db = files.file("games.dls");
    ASSERT_EQ(run({"add", db, files.file("g")}).exitCode, 0);
    std::filesystem::remove(files.file("g/a.kif"));
    cli::RunReport r = run({"classify", db, "--all"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("読めない棋譜：1"), std::string::npos) << r.out;
}

TEST_F(DalmirCliClassifyTest, ReportJoinsSpellingsAndAliases) {
    const std::vector<std::string> whiteWins = {"７六歩(77)", "３四歩(33)", "投了"};
    const std::vector<std::string> blackWins = {"７六歩(77)", "投了"};
    files.write("g/1.kif", kifRecord(whiteWins, "2013/06/01", "羽生善治", "谷川浩司"));
    files.write("g/2.kif", kifRecord(whiteWins, "2014/06/01", "谷川浩司", "羽生 善治 九段"));
    files.write("g/3.kif", kifRecord(blackWins, "2014/07/01", "はぶ", "谷川浩司"));
    const std::string db = files.file("games.dls");
    ASSERT_EQ(run({"add", db, files.file("g")}).exitCode, 0);

    cli::RunReport r = run({"report", db, "--player", "羽生善治", "--format", "json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["total"]["games"], 2);
    EXPECT_EQ(j["black"]["games"], 1);
    EXPECT_EQ(j["white"]["games"], 1);

    // The user's alias list (in the default place) joins はぶ.
    files.writeBytes("config/dalmir/player_aliases.txt", "羽生善治 = はぶ\n");
    j = nlohmann::json::parse(run({"report", db, "--player", "羽生", "--format", "json"}).out);
    EXPECT_EQ(j["total"]["games"], 0);  // a different name
    r = run({"report", db, "--player", "羽生善治名人", "--format", "json"});
    j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["total"]["games"], 3);
    // 投了 after an odd number of moves: Black resigned (game 1 lost, game 2 won as White);
    // after one move White resigned (game 3 won as はぶ).
    EXPECT_EQ(j["total"]["wins"], 2);
    EXPECT_EQ(j["total"]["losses"], 1);
    EXPECT_EQ(j["longest_win_streak"], 2);
    EXPECT_EQ(j["by_year"].size(), 2u);

    r = run({"report", db, "--player", "羽生善治"});
    EXPECT_NE(r.out.find("対局者：羽生善治\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("相手別\n  谷川浩司"), std::string::npos) << r.out;

    files.writeBytes("bad.txt", "this line has no equals sign\n");
    r = run({"report", db, "--player", "羽生善治", "--aliases", files.file("bad.txt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("1行目"), std::string::npos) << r.err;
    r = run({"report", db, "--player", "羽生善治", "--aliases", files.file("none.txt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(run({"report", db}).exitCode, 2);
}

}  // namespace
