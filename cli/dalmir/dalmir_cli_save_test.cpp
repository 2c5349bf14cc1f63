// dalmir-cli saving a database: nothing loaded is ever dropped, refusals fail the run, and two
// writers of one database take turns.
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/common/cli_test_support.h"
#include "core/base/safe_file.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/database_lock.h"
#include "tests/support/test_records.h"

namespace {

using testsupport::kifRecord;
using testsupport::TempFolder;

const std::vector<std::string> kGame = {"７六歩(77)", "３四歩(33)", "投了"};

std::string recordLine(const std::string& path) {
    return "000001,\"" + path + "\",\"a\",\"b\",0,2000,1,1,0,0,0," +
           "\"e\",\"o\",\"t\",10,1,\"\",\"\",\"\",\"\",\"\",0,\"\",\"\",\"\"\r\n";
}

class DalmirCliSaveTest : public ::testing::Test {
protected:
    DalmirCliSaveTest() : files("dalmir_cli_save") {
        ::setenv("XDG_DATA_HOME", files.file("data").c_str(), 1);
    }

    cli::RunReport run(std::vector<std::string> args) {
        return cli::runProgram("dalmir-cli", args);
    }
    // The records of a DLS as another program sees them.
    int records(const std::string& db) {
        dalmir::model::Database d(1 << 20);
        return dalmir::model::openDatabase(d, db).code == dalmir::model::OpenResult::Ok
                   ? d.table().size()
                   : -1;
    }
    // A DLS of n records naming files that do not exist.
    std::string bigDatabase(int n) {
        std::string text = "# Dalmir V6.20\r\n";
        for (int i = 0; i < n; ++i)
            text += recordLine(files.file("gone/" + std::to_string(i) + ".KIF"));
        return files.writeBytes("big.dls", text);
    }

    TempFolder files;
};

// A database over the record limit is loaded and saved whole by every saving command; only the
// additions are refused, and that fails the run.
TEST_F(DalmirCliSaveTest, ADatabaseOverTheLimitKeepsEveryRecord) {
    const std::string db = bigDatabase(1999);
    const std::string one = files.write("one.kif", kifRecord(kGame));

    const std::string limit = "Option/max_records=1000";
    cli::RunReport r = run({"add", db, one, "--set", limit});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("登録が最大数(1000)を超えました。"), std::string::npos) << r.err;
    EXPECT_EQ(records(db), 1999);

    r = run({"update", db, "--set", limit});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(records(db), 1999);

    r = run({"remove", db, files.file("elsewhere"), "--set", limit});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(records(db), 1999);

    r = run({"add", db, one, "--set", "Option/max_records=3000"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(records(db), 2000);
}

// Without a setting the limit is the window's own, 100,000 records, and the help says so.
TEST_F(DalmirCliSaveTest, TheDefaultLimitIsTheWindows) {
    const std::string db = bigDatabase(1500);
    const std::string one = files.write("one.kif", kifRecord(kGame));
    cli::RunReport r = run({"add", db, one});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(records(db), 1501);
    EXPECT_NE(run({"--help"}).out.find("100,000"), std::string::npos);
}

// A limit far above a million is taken as it stands: a binary pair grows under it, and the pair
// and its position index read back whole.
TEST_F(DalmirCliSaveTest, ALimitAboveAMillionIsAccepted) {
    const std::string db = files.file("many.dlb");
    const std::string limit = "Option/max_records=2500000";
    for (int i = 0; i < 3; ++i) {
        const std::string game = files.write("g" + std::to_string(i) + ".kif", kifRecord(kGame));
        cli::RunReport r = run({"add", db, game, "--set", limit});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    dalmir::model::Database d(2500000);
    dalmir::model::OpenReport opened = dalmir::model::openDatabase(d, db);
    ASSERT_EQ(opened.code, dalmir::model::OpenResult::Ok);
    EXPECT_TRUE(opened.whole);
    EXPECT_EQ(opened.indexNotice, "");
    EXPECT_EQ(d.table().size(), 3);
    EXPECT_EQ(d.table().capacity(), 2500000);
    EXPECT_NE(d.positionIndex(), nullptr);
}

// A file that could not be read whole is left as it is, and the run fails.
TEST_F(DalmirCliSaveTest, AFileReadInPartIsNotSavedOver) {
    const std::string text =
        "# Dalmir V6.20\r\n" + recordLine("/g/a.KIF") + "broken\r\n" + recordLine("/g/b.KIF");
    const std::string db = files.writeBytes("part.dls", text);
    cli::RunReport r = run({"update", db});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ファイル保存エラー"), std::string::npos) << r.err;
    EXPECT_EQ(core::readFile(db), text);
}

// Converting a binary database onto itself is a save as well: a KIX read only in part leaves the
// pair as it is and fails the run.
TEST_F(DalmirCliSaveTest, ABinaryPairReadInPartIsNotConvertedOntoItself) {
    for (int i = 0; i < 3; ++i) {
        files.write("games/" + std::to_string(i) + ".kif", kifRecord(kGame));
    }
    const std::string dlb = files.file("games.DLB");
    ASSERT_EQ(run({"add", dlb, files.file("games")}).exitCode, 0);
    const std::string kix = files.file("games.KIX");
    std::string kixText = *core::readFile(kix);
    const std::size_t second = kixText.find("\r\n000002,");
    ASSERT_NE(second, std::string::npos);
    kixText.insert(second + 2, "broken\r\n");
    files.writeBytes("games.KIX", kixText);
    const std::string dlbBytes = *core::readFile(dlb);

    cli::RunReport r = run({"convert", dlb, dlb});
    EXPECT_NE(r.exitCode, 0) << r.out;
    EXPECT_NE(r.err.find("not read whole"), std::string::npos) << r.err;
    EXPECT_EQ(core::readFile(kix), kixText);
    EXPECT_EQ(core::readFile(dlb), dlbBytes);
}

// A binary pair whose DLB was cut short is refused with "データ異常" and the reading error, the
// texts the window shows for it; no search is answered from what was left.
TEST_F(DalmirCliSaveTest, ADamagedPairIsRefusedAsTheWindowRefusesIt) {
    for (int i = 0; i < 2; ++i)
        files.write("games/" + std::to_string(i) + ".kif", kifRecord(kGame));
    const std::string dlb = files.file("games.DLB");
    ASSERT_EQ(run({"add", dlb, files.file("games")}).exitCode, 0);
    std::filesystem::resize_file(dlb, 20);
    cli::RunReport r = run({"search-sequence", dlb, "+76歩"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("データ異常"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("棋譜情報読込みエラー(" + dlb + ")"), std::string::npos) << r.err;
}

// While another program holds the database's lock, --no-wait fails at once, --wait gives up at
// its end, and a plain add waits for it (saying so), then adds to what the other program saved.
TEST_F(DalmirCliSaveTest, TwoWritersTakeTurns) {
    const std::string db = files.file("turns.dls");
    const std::string a = files.write("a.kif", kifRecord(kGame));
    ASSERT_EQ(run({"add", db, a}).exitCode, 0);

    dalmir::model::DatabaseLock held;
    ASSERT_EQ(dalmir::model::lockDatabase(db, held, false), dalmir::model::LockResult::Ok);
    const std::string b = files.write("b.kif", kifRecord(kGame));
    cli::RunReport busy = run({"add", db, b, "--no-wait"});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_NE(busy.err.find("locked by another program that is changing or saving it"),
              std::string::npos)
        << busy.err;
    EXPECT_EQ(records(db), 1);
    // A wait has its end: the command gives up, saying why, and leaves the database as it was.
    cli::RunReport late = run({"add", db, b, "--wait", "1"});
    EXPECT_EQ(late.exitCode, 1);
    EXPECT_NE(late.err.find("waiting at most 1 seconds"), std::string::npos) << late.err;
    EXPECT_NE(late.err.find("gave up after 1 seconds"), std::string::npos) << late.err;
    EXPECT_EQ(records(db), 1);

    // dalmir-cli add c.kif, its stderr read through a pipe.
    const std::string c = files.write("c.kif", kifRecord(kGame));
    int err[2];
    ASSERT_EQ(::pipe(err), 0);
    std::string exe = std::string(TAVREL_CLI_DIR) + "/dalmir-cli";
    std::vector<std::string> args = {exe, "add", db, c};
    std::vector<char*> argv;
    for (std::string& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(err[1]);
    std::string said;
    char buf[256];
    while (said.find("waiting") == std::string::npos) {
        ssize_t n = ::read(err[0], buf, sizeof buf);
        if (n <= 0) break;  // it ended without waiting
        said.append(buf, static_cast<std::size_t>(n));
    }
    EXPECT_NE(said.find("waiting"), std::string::npos) << said;

    // The holder saves its own change, then lets go.
    dalmir::model::Database mine;
    ASSERT_EQ(dalmir::model::openDatabase(mine, db).code, dalmir::model::OpenResult::Ok);
    dalmir::model::IndexEntry entry = mine.table().entry(0);
    entry.setText(dalmir::model::IndexText::Path, b);
    ASSERT_GE(mine.append(entry), 0);
    ASSERT_EQ(dalmir::model::saveDatabase(mine, db), core::WriteResult::Ok);
    held.release();

    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(err[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(records(db), 3);
}

}  // namespace
