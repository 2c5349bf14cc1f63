// dalmir-cli analyse against the scripted engine of the tests (and the packaged real engine when
// it is installed): each position searched once however many records reach it, a second run
// doing only what is missing, a killed or interrupted run resumed without a position lost or
// searched twice, and several jobs giving the very store one job gives.
#include "cli/dalmir/dalmir_analyse.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli/common/cli_test_support.h"
#include "core/base/safe_file.h"
#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/store/binary_store.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/tree/opening_book.h"
#include "tests/support/random_record.h"
#include "tests/support/test_records.h"

namespace {

using namespace dalmir::model;
using testsupport::kifRecord;
using testsupport::TempFolder;

class DalmirAnalyseTest : public ::testing::Test {
protected:
    DalmirAnalyseTest() : files("dalmir_analyse_cli") {
        ::setenv("XDG_DATA_HOME", files.file("data").c_str(), 1);
    }
    ~DalmirAnalyseTest() override { ::unsetenv("FAKE_USI_ARGS"); }

    cli::RunReport run(std::vector<std::string> args) {
        return cli::runProgram("dalmir-cli", args);
    }
    cli::RunReport analyse(const std::string& db, std::vector<std::string> more = {}) {
        std::vector<std::string> args{"analyse", db, "--engine", FAKE_USI_ENGINE};
        args.insert(args.end(), more.begin(), more.end());
        return run(args);
    }
    // The engine's arguments for the runs to come.
    static void engineArgs(const std::string& args) { ::setenv("FAKE_USI_ARGS", args.c_str(), 1); }

    // Three games: two reach the same position after four plies in other move orders; ten
    // positions in all.
    std::string textDatabase(const std::string& name) {
        files.write("g/a.kif", kifRecord({"７六歩(77)", "３四歩(33)", "２六歩(27)", "８四歩(83)",
                                          "２五歩(26)", "投了"}));
        files.write("g/b.kif",
                    kifRecord({"２六歩(27)", "８四歩(83)", "７六歩(77)", "３四歩(33)", "投了"}));
        files.write("g/c.kif", kifRecord({"５六歩(57)", "投了"}));
        const std::string db = files.file(name);
        cli::RunReport added = run({"add", db, files.file("g")});
        EXPECT_EQ(added.exitCode, 0) << added.err;
        return db;
    }

    // A binary database of random games.
    std::string binaryDatabase(const std::string& name, int records, unsigned seed) {
        Database db;
        db.reset(true);
        std::mt19937 rng(seed);
        testsupport::RandomRecordOptions options;
        options.minPlies = 20;
        options.maxPlies = 60;
        options.handicapPercent = 0;
        core::RecordStore store;
        for (int i = 0; i < records; ++i) {
            testsupport::makeRandomRecord(store, rng, options);
            IndexEntry entry;
            entry.handicap = static_cast<uint8_t>(store.handicap());
            entry.setText(IndexText::Path, "g" + std::to_string(i) + ".kif");
            std::vector<ListMove> list;
            buildList(store, list);
            EXPECT_GE(db.append(std::move(entry), std::move(list)), 0);
        }
        const std::string path = files.file(name);
        EXPECT_EQ(saveBinary(db, path), core::WriteResult::Ok);
        return path;
    }

    // The boards the engine was asked to search, from its log ("position sfen ...").
    static std::vector<std::string> searched(const std::string& log) {
        std::vector<std::string> out;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("position sfen ", 0) != 0) continue;
            ReplayBoard board;
            EXPECT_TRUE(boardOfSfen(line.substr(14), board)) << line;
            out.push_back(packBoard(board));
        }
        return out;
    }

    static EvaluationStore storeOf(const std::string& db, EvaluationReadReport* report = nullptr) {
        EvaluationStore store;
        EvaluationReadReport r = store.read(evaluationStorePath(db));
        EXPECT_TRUE(r.result == EvaluationReadResult::Ok) << static_cast<int>(r.result);
        if (report) *report = r;
        return store;
    }

    // Starts dalmir-cli without waiting for it.
    static pid_t start(std::vector<std::string> args) {
        std::string exe = std::string(TAVREL_CLI_DIR) + "/dalmir-cli";
        std::vector<char*> argv{exe.data()};
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    // Waits until the store holds at least n evaluations (or the program has ended).
    static void waitForEntries(const std::string& db, std::size_t n, pid_t pid) {
        for (int i = 0; i < 3000; ++i) {
            EvaluationStore s;
            if (s.read(evaluationStorePath(db)).result == EvaluationReadResult::Ok &&
                s.size() >= n) {
                return;
            }
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) FAIL() << "the run ended too early";
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        FAIL() << "no evaluations appeared";
    }
    static int waitExit(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Checks that a run interrupted after some positions and then resumed searched every
    // position exactly once: none of the first run's results searched again, none missing.
    void expectResumedWhole(const std::string& db, const std::set<std::string>& before,
                            const std::string& secondLog, std::size_t total) {
        std::set<std::string> again;
        for (const std::string& p : searched(secondLog)) {
            EXPECT_EQ(before.count(p), 0u) << "a position analysed before was searched again";
            EXPECT_TRUE(again.insert(p).second) << "a position was searched twice";
        }
        const EvaluationStore after = storeOf(db);
        EXPECT_EQ(after.size(), total);
        EXPECT_EQ(before.size() + again.size(), total);
    }

    TempFolder files;
};

TEST_F(DalmirAnalyseTest, EachPositionIsSearchedOnceAndASecondRunDoesOnlyWhatIsMissing) {
    const std::string db = textDatabase("games.dls");
    engineArgs("--log " + files.file("first.log"));
    cli::RunReport r = analyse(db, {"--jobs", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("3 records, 13 positions on their main lines, 0 analysed before, 10 "
                         "to analyse"),
              std::string::npos)
        << r.err;
    const std::vector<std::string> first = searched(files.file("first.log"));
    EXPECT_EQ(first.size(), 10u);
    EXPECT_EQ(std::set<std::string>(first.begin(), first.end()).size(), 10u);
    const EvaluationStore store = storeOf(db);
    ASSERT_EQ(store.size(), 10u);
    ASSERT_EQ(store.engines().size(), 1u);
    EXPECT_EQ(store.engines()[0].name, "FakeEngine");
    EXPECT_EQ(store.engines()[0].limits, "byoyomi 1000");
    for (const Evaluation& e : store.entries()) {
        EXPECT_EQ(e.score.value, 100);  // the fake engine's first line
        EXPECT_EQ(e.depth, 10);
        EXPECT_EQ(e.best, BestMoveKind::Move);
        EXPECT_EQ(e.pv.size(), 2u);
        EXPECT_EQ(e.pv.front(), e.bestMove);
    }

    engineArgs("--log " + files.file("second.log"));
    r = analyse(db);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("13 analysed before, 0 to analyse"), std::string::npos) << r.err;
    EXPECT_TRUE(searched(files.file("second.log")).empty());

    // --redo searches them all again; --max-ply keeps to the first plies.
    engineArgs("--log " + files.file("third.log"));
    r = analyse(db, {"--redo", "--max-ply", "1", "--nodes", "500"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(searched(files.file("third.log")).size(), 4u);  // start, 7g7f, 2g2f, 5g5f
    EXPECT_EQ(storeOf(db).engines().size(), 2u);
}

TEST_F(DalmirAnalyseTest, SeveralJobsGiveTheStoreOneJobGives) {
    const std::string one = binaryDatabase("one.dlb", 12, 5);
    const std::string many = binaryDatabase("many.dlb", 12, 5);
    cli::RunReport r = analyse(one, {"--jobs", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = analyse(many, {"--jobs", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::optional<std::string> a = core::readFile(evaluationStorePath(one));
    const std::optional<std::string> b = core::readFile(evaluationStorePath(many));
    ASSERT_TRUE(a && b);
    EXPECT_GT(storeOf(one).size(), 200u);
    EXPECT_EQ(*a, *b);
}

TEST_F(DalmirAnalyseTest, AKilledRunResumesWithNoPositionLostOrSearchedTwice) {
    const std::string db = binaryDatabase("games.dlb", 6, 11);
    engineArgs("--delay 3");
    const pid_t pid = start({"analyse", db, "--engine", FAKE_USI_ENGINE, "--jobs", "2"});
    waitForEntries(db, 20, pid);
    ::kill(pid, SIGKILL);
    (void)waitExit(pid);

    // Read as a reader finds it: at most a torn last record.
    EvaluationStore killed;
    const EvaluationReadReport r = killed.read(evaluationStorePath(db));
    ASSERT_EQ(r.result, EvaluationReadResult::Ok);
    std::set<std::string> before;
    for (const Evaluation& e : killed.entries()) before.insert(e.position);

    engineArgs("--log " + files.file("resumed.log"));
    const cli::RunReport resumed = analyse(db, {"--jobs", "2"});
    ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
    engineArgs("--log " + files.file("all.log"));
    const cli::RunReport all = analyse(binaryDatabase("fresh.dlb", 6, 11), {"--jobs", "2"});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    expectResumedWhole(db, before, files.file("resumed.log"),
                       searched(files.file("all.log")).size());
}

TEST_F(DalmirAnalyseTest, CtrlCStopsCleanlyAndKeepsWhatWasDone) {
    const std::string db = binaryDatabase("games.dlb", 6, 12);
    engineArgs("--delay 3");
    const pid_t pid = start({"analyse", db, "--engine", FAKE_USI_ENGINE, "--jobs", "2"});
    waitForEntries(db, 10, pid);
    ::kill(pid, SIGINT);
    EXPECT_EQ(waitExit(pid), 130);
    EvaluationReadReport report;
    const EvaluationStore stopped = storeOf(db, &report);
    EXPECT_EQ(report.tornBytes, 0u);  // written afresh on the way out
    std::set<std::string> before;
    for (const Evaluation& e : stopped.entries()) before.insert(e.position);

    engineArgs("--log " + files.file("resumed.log"));
    const cli::RunReport resumed = analyse(db);
    ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
    engineArgs("--log " + files.file("all.log"));
    ASSERT_EQ(analyse(binaryDatabase("fresh.dlb", 6, 12)).exitCode, 0);
    expectResumedWhole(db, before, files.file("resumed.log"),
                       searched(files.file("all.log")).size());
}

TEST_F(DalmirAnalyseTest, PositionsWithoutAUsableAnswerAreNotStoredAndFailTheRun) {
    const std::string db = textDatabase("games.dls");
    engineArgs("--bestmove 5e5d");  // illegal everywhere: no piece stands on 5e
    const cli::RunReport r = analyse(db);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("10 of 10 positions were not analysed"), std::string::npos) << r.err;
    EXPECT_EQ(storeOf(db).size(), 0u);
}

// The engine crashes on every fourth search: it is started again each time, and only the
// positions it crashed on are left for the next run.
TEST_F(DalmirAnalyseTest, AnEngineThatCrashesIsStartedAgain) {
    const std::string db = textDatabase("games.dls");
    engineArgs("--abort-after 3");
    cli::RunReport r = analyse(db, {"--jobs", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("2 of 10 positions were not analysed"), std::string::npos) << r.err;
    EXPECT_EQ(storeOf(db).size(), 8u);
    r = analyse(db, {"--jobs", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(storeOf(db).size(), 10u);

    // An engine that fails at once every time is given up after a few tries.
    engineArgs("--exit-on-go 3");
    r = analyse(db, {"--jobs", "1", "--redo"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("10 of 10 positions were not analysed"), std::string::npos) << r.err;
}

TEST_F(DalmirAnalyseTest, AMoveWithoutAScoreIsNoAnalysis) {
    const std::string db = textDatabase("games.dls");
    engineArgs("--flood 0 --no-info");
    const cli::RunReport r = analyse(db);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("without a score"), std::string::npos) << r.err;
    EXPECT_EQ(storeOf(db).size(), 0u);
}

// The scripted engine scores every position +100 for the side to move, so every move loses 200.
TEST_F(DalmirAnalyseTest, TheExportGainsEachSidesMarkedMovesAndAverageLoss) {
    const std::string db = textDatabase("games.dls");
    cli::RunReport r = run({"export", db});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("black_blunders"), std::string::npos);  // nothing analysed yet

    ASSERT_EQ(analyse(db).exitCode, 0);
    r = run({"export", db, "--format", "jsonl"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // c.kif: one move of Black's, a 疑問手 by the default thresholds; White made none.
    EXPECT_NE(r.out.find("\"black_blunders\":0,\"black_dubious\":1,\"black_slack\":0,"
                         "\"black_average_loss\":200.0,\"white_blunders\":0,\"white_dubious\":0,"
                         "\"white_slack\":0,\"white_average_loss\":null,\"unscored_moves\":0}"),
              std::string::npos)
        << r.out;
    r = run({"export", db, "--marks", "50,100,200"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(",black_blunders,black_dubious,black_slack,black_average_loss,"),
              std::string::npos);
    EXPECT_NE(r.out.find(",1,0,0,200.0,0,0,0,,0\r\n"), std::string::npos) << r.out;
    EXPECT_EQ(run({"export", db, "--marks", "300,200,100"}).exitCode, 2);
}

// The same engine: every move of either player is a 疑問手 that loses 200.
TEST_F(DalmirAnalyseTest, ThePlayerReportGainsThePlayersAnalysedMoves) {
    const std::string db = textDatabase("games.dls");
    cli::RunReport r = run({"report", db, "--player", "谷川浩司"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("解析"), std::string::npos);  // nothing analysed yet

    ASSERT_EQ(analyse(db).exitCode, 0);
    r = run({"report", db, "--player", "谷川浩司"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // c.kif has no move of White's.
    EXPECT_NE(r.out.find("\n解析\n  2局 4手  平均損失 200.0  悪手 0  疑問手 4  緩手 0\n"),
              std::string::npos)
        << r.out;
    r = run({"report", db, "--player", "羽生善治", "--format", "json", "--marks", "50,100,150"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"analysis\":{\"games\":3,\"scored_moves\":6,\"average_loss\":200.0,"
                         "\"blunders\":6,\"dubious\":0,\"slack\":0}"),
              std::string::npos)
        << r.out;
}

TEST_F(DalmirAnalyseTest, ProblemsOfTheCall) {
    const std::string db = textDatabase("games.dls");
    EXPECT_EQ(run({"analyse", db}).exitCode, 2);
    EXPECT_EQ(analyse(db, {"--byoyomi", "100", "--nodes", "1000"}).exitCode, 2);
    EXPECT_EQ(analyse(db, {"--jobs", "0"}).exitCode, 2);
    EXPECT_EQ(analyse(db, {"--option", "=1"}).exitCode, 2);
    EXPECT_EQ(run({"analyse", db, "--engine", files.file("no-such-engine")}).exitCode, 1);
    // A file in the store's place that is no store is left as it is.
    files.writeBytes("games.DEV", "something else");
    const cli::RunReport r = analyse(db);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no evaluation store"), std::string::npos) << r.err;
    EXPECT_EQ(core::readFile(files.file("games.DEV")).value_or(""), "something else");
    EXPECT_NE(run({"analyse", "--help"}).out.find("--byoyomi MS"), std::string::npos);

    cli::AnalyseCommandLine line;
    ASSERT_FALSE(cli::parseAnalyseCommandLine(
        {"analyse", "x.dlb", "--engine", "e", "--option", "USI_Hash=64", "--option", "A=b=c"},
        line));
    EXPECT_EQ(line.options,
              (std::vector<std::pair<std::string, std::string>>{{"USI_Hash", "64"}, {"A", "b=c"}}));
}

TEST_F(DalmirAnalyseTest, ARealEngineScoresEveryPosition) {
#ifndef REAL_USI_ENGINE
    GTEST_SKIP() << "no USI engine packaged for Debian is installed (gpsshogi)";
#else
    const std::string db = binaryDatabase("games.dlb", 2, 3);
    const cli::RunReport r =
        run({"analyse", db, "--engine", REAL_USI_ENGINE, "--byoyomi", "100", "--max-ply", "6",
             "--jobs", "1", "--option", "BookDepth=0", "--option", "LimitDepth=4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const EvaluationStore store = storeOf(db);
    EXPECT_GE(store.size(), 7u);
    for (const Evaluation& e : store.entries()) {
        EXPECT_NE(e.score.kind, usi::UsiScore::Kind::None);
        EXPECT_EQ(e.best, BestMoveKind::Move);
    }
#endif
}

}  // namespace
