#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cli/common/cli_test_support.h"
#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "tests/support/temp_folder.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

class TavrelCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tavrel-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Writes a record file from UTF-8 text (stored as Shift-JIS with CR LF).
    std::string record(const std::string& name, const std::string& utf8) {
        std::string text;
        for (char c : std::string(utf8)) {
            if (c == '\n') text += '\r';
            text += c;
        }
        std::string path = (m_dir / name).string();
        fs::create_directories(fs::path(path).parent_path());
        EXPECT_EQ(core::writeFileAtomically(path, text), core::WriteResult::Ok);
        return path;
    }
    RunReport tavrel(const std::vector<std::string>& args) {
        return runProgram("tavrel-cli", args);
    }

    fs::path m_dir;
};

const char* kGame =
    "開始日時：2026/12/01\n"
    "先手：先手の人\n"
    "後手：後手の人\n"
    "手数----指手---------消費時間--\n"
    "   1 ７六歩(77)   ( 0:03/00:00:03)\n"
    "   2 ３四歩(33)   ( 0:02/00:00:02)\n"
    "   3 ２二角成(88) ( 0:05/00:00:08)\n"
    "   4 同　銀(31)   ( 0:04/00:00:06)\n"
    "   5 ５五角打     ( 0:01/00:00:09)\n"
    "   6 中断         ( 0:00/00:00:06)\n";

TEST_F(TavrelCliTest, UsageErrorsExitTwo) {
    EXPECT_EQ(tavrel({}).exitCode, 2);
    EXPECT_EQ(tavrel({"frobnicate"}).exitCode, 2);
    RunReport r = tavrel({"usi", "a.kif", "--colour"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown option --colour"), std::string::npos);
    EXPECT_EQ(tavrel({"usi"}).exitCode, 2);
    EXPECT_EQ(tavrel({"env", "--set", "novalue"}).exitCode, 2);
    EXPECT_EQ(tavrel({"env", "--set", "存在しない=1"}).exitCode, 2);
    EXPECT_EQ(tavrel({"usi", "a.kif", "--ply", "x"}).exitCode, 2);
}

TEST_F(TavrelCliTest, UsiAndSfen) {
    std::string path = record("game.kif", kGame);
    RunReport r = tavrel({"usi", path});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "position startpos moves 7g7f 3c3d 8h2b+ 3a2b B*5e\n");
    r = tavrel({"sfen", path});
    EXPECT_EQ(r.out,
              "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1\n"
              "lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2\n"
              "lnsgkgsnl/1r5b1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL b - 3\n"
              "lnsgkgsnl/1r5+B1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/7R1/LNSGKGSNL w B 4\n"
              "lnsgkg1nl/1r5s1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/7R1/LNSGKGSNL b Bb 5\n"
              "lnsgkg1nl/1r5s1/pppppp1pp/6p2/4B4/2P6/PP1PPPPPP/7R1/LNSGKGSNL w b 6\n");
    std::string handicap = record("h.ki2", "手合割：角落ち\n△３四歩▲７六歩\n");
    r = tavrel({"usi", handicap});
    EXPECT_EQ(r.out,
              "position sfen lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1 moves "
              "3c3d 7g7f\n");
}

TEST_F(TavrelCliTest, ShowPrintsHeaderDiagramAndList) {
    std::string path = record("game.kif", kGame);
    RunReport r = tavrel({"show", path, "--ply", "2"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("開始日時：2026/12/01\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("後手の持駒：なし\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("|v香v桂v銀v金v玉v金v銀v桂v香|一\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("| ・ ・ ・ ・ ・ ・v歩 ・ ・|四\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  5 ▲５五角      00:01 / 00:00:09\n"), std::string::npos) << r.out;
    // Without --ply the record ending with 中断 opens at its end; Shift-JIS keeps CR LF.
    RunReport sjisOut = tavrel({"show", path, "--encoding", "sjis"});
    EXPECT_NE(sjisOut.out.find(*core::cp932Bytes("後手の持駒：角　\r\n")), std::string::npos);
}

TEST_F(TavrelCliTest, ConvertToEveryFormatKeepsTheMainLine) {
    std::string path = record("game.kif", kGame);
    std::string usi = tavrel({"usi", path}).out;
    for (const char* ext : {"kif", "ki2", "csa", "kifu", "ki2u", "jkf", "usi"}) {
        std::string out = (m_dir / (std::string("out.") + ext)).string();
        RunReport r = tavrel({"convert", path, out});
        ASSERT_EQ(r.exitCode, 0) << ext << r.err;
        EXPECT_EQ(tavrel({"usi", out}).out, usi) << ext;
    }
    // Back from JKF the KIF file is the one written from the original.
    ASSERT_EQ(
        tavrel({"convert", (m_dir / "out.jkf").string(), (m_dir / "back.kif").string()}).exitCode,
        0);
    EXPECT_EQ(core::readFile((m_dir / "back.kif").string()),
              core::readFile((m_dir / "out.kif").string()));
    // A bare SFEN reads as a start position.
    std::string sfen = (m_dir / "p.sfen").string();
    ASSERT_EQ(core::writeFileAtomically(sfen, "4k4/9/9/9/9/9/9/9/4K4 b G 1\n"),
              core::WriteResult::Ok);
    EXPECT_EQ(tavrel({"usi", sfen}).out, "position sfen 4k4/9/9/9/9/9/9/9/4K4 b G 1\n");
    // The position diagram reads back as the position shown.
    std::string bod = (m_dir / "out.bod").string();
    ASSERT_EQ(tavrel({"convert", path, bod, "--ply", "3"}).exitCode, 0);
    EXPECT_EQ(tavrel({"sfen", bod}).out,
              "lnsgkgsnl/1r5+B1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/7R1/LNSGKGSNL w B 1\n");
    // English record and position.
    std::string gam = (m_dir / "out.gam").string();
    ASSERT_EQ(tavrel({"convert", path, gam}).exitCode, 0);
    auto english = core::readFile(gam);
    ASSERT_TRUE(english.has_value());
    EXPECT_NE(english->find("P-7f"), std::string::npos) << *english;
    EXPECT_NE(english->find("Bx2b+"), std::string::npos) << *english;
    ASSERT_EQ(tavrel({"convert", path, (m_dir / "out.txt").string()}).exitCode, 0);
    EXPECT_EQ(tavrel({"convert", path, (m_dir / "out.xyz").string()}).exitCode, 2);
    EXPECT_EQ(tavrel({"convert", path, "/no/such/folder/out.kif"}).exitCode, 1);
}

TEST_F(TavrelCliTest, CheckReportsWarningsAndErrors) {
    record("good.kif", kGame);
    record("sub/.keep", "");
    record("twopawns.ki2",
           "▲７六歩△３四歩▲２六歩△８四歩▲２五歩△８五歩▲２四歩△同歩▲同飛\n"
           "△２三歩▲２八飛△３二金▲７七歩\n");
    std::string bad = record("broken.kif", "   1 ７六歩(77)\n   2 ４二銀不成(55)\n");
    RunReport r = tavrel({"check", m_dir.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find(bad + ": 棋譜読込みエラー(" + bad + ")\n2手目:\"４二銀不成(55)\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("twopawns.ki2: 警告：ルールエラー（二歩）：twopawns.ki2 13手目 ７七歩"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("good.kif"), std::string::npos);
    RunReport good = tavrel({"check", (m_dir / "good.kif").string()});
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_EQ(good.out, "");
    RunReport missing = tavrel({"check", (m_dir / "none.kif").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("ファイルがありません。"), std::string::npos);
}

// A reading error is a failure of every command: exit 1. What was read is still shown, but
// convert writes no record that the error cut short.
TEST_F(TavrelCliTest, AReadingErrorExitsOneAndConvertWritesNothing) {
    std::string bad = record("broken.kif", "   1 ７六歩(77)\n   2 ４二銀不成(55)\n");
    for (const char* command : {"show", "usi", "sfen"}) {
        RunReport r = tavrel({command, bad});
        EXPECT_EQ(r.exitCode, 1) << command;
        EXPECT_NE(r.err.find("棋譜読込みエラー(" + bad + ")"), std::string::npos) << r.err;
        EXPECT_FALSE(r.out.empty()) << command;
    }
    std::string out = (m_dir / "out.kif").string();
    RunReport r = tavrel({"convert", bad, out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(fs::exists(out));
}

// A file that cannot be read says so with the system's reason after the message.
TEST_F(TavrelCliTest, AnUnreadableFileGivesTheSystemsReason) {
    struct Case {
        const char* command;
        std::string path;
        const char* reason;
    };
    fs::create_directories(m_dir / "folder.kif");
    const std::string none = (m_dir / "none.kif").string();
    for (const Case& c : {Case{"show", none, "No such file or directory"},
                          Case{"check", none, "No such file or directory"},
                          Case{"usi", (m_dir / "folder.kif").string(), "Is a directory"}}) {
        RunReport r = tavrel({c.command, c.path});
        EXPECT_EQ(r.exitCode, 1) << c.command;
        std::string expected = "ファイルがありません。(" + c.path + ") (" + c.reason + ")";
        EXPECT_NE((r.err + r.out).find(expected), std::string::npos) << r.err << r.out;
    }
}

// A UTF-8 record with bytes that are not UTF-8 converts whole, with the warning and exit 1.
TEST_F(TavrelCliTest, ConvertWarnsAboutInvalidUtf8AndKeepsTheRest) {
    std::string in = (m_dir / "bad.kifu").string();
    ASSERT_EQ(core::writeFileAtomically(in, "先手：太郎\xFF\n▲７六歩△３四歩▲２六歩\n"),
              core::WriteResult::Ok);
    std::string out = (m_dir / "out.kif").string();
    RunReport r = tavrel({"convert", in, out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(in + ": 警告：UTF-8でないバイトを「？」に置き換えました（1行目）"),
              std::string::npos)
        << r.err;
    auto written = core::readFile(out);
    ASSERT_TRUE(written.has_value());
    EXPECT_NE(written->find(*core::cp932Bytes("２六歩")), std::string::npos)
        << "the record was cut";
}

// Runs tavrel-cli as the unprivileged user when the tests run as root, so that a folder without
// permissions really cannot be read; otherwise as runProgram does. The build folder may lie
// below one that user cannot enter (root's home), so a copy of the program is run from a folder
// of its own under /tmp.
RunReport tavrelUnprivileged(const std::vector<std::string>& args) {
    if (::geteuid() != 0) return runProgram("tavrel-cli", args);
    testsupport::TempFolder programFolder;
    const auto openPerms = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec;
    std::string exe = programFolder.file("tavrel-cli");
    std::error_code ec;
    fs::permissions(programFolder.path(), openPerms, ec);
    fs::copy_file(std::string(TAVREL_CLI_DIR) + "/tavrel-cli", exe, ec);
    fs::permissions(exe, openPerms, ec);
    std::string outPath = "/tmp/tavrel-cli-out-" + std::to_string(::getpid());
    std::vector<char*> argv{exe.data()};
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    RunReport r;
    pid_t pid = ::fork();
    if (pid == 0) {
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int null = ::open("/dev/null", O_RDWR);
        if (out < 0 || null < 0 || ::dup2(null, 0) < 0 || ::dup2(out, 1) < 0 ||
            ::dup2(null, 2) < 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(99);
        }
        ::execv(exe.c_str(), argv.data());
        ::_exit(98);
    }
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        r.exitCode = WEXITSTATUS(status);
    }
    r.out = slurp(outPath);
    ::unlink(outPath.c_str());
    return r;
}

// A folder that cannot be read is reported like a file that cannot be, and the walk goes on
// with the folders beside it.
TEST_F(TavrelCliTest, CheckReportsUnreadableFoldersAndGoesOn) {
    for (const char* folder : {"a", "b", "c", "d"}) {
        record(std::string(folder) + "/good.kif", kGame);
        record(std::string(folder) + "/locked/inside.kif", kGame);
    }
    std::string bad = record("c/broken.kif", "   1 ７六歩(77)\n   2 ４二銀不成(55)\n");
    std::vector<std::string> locked;
    for (const char* folder : {"a", "b", "c", "d"}) {
        locked.push_back((m_dir / folder / "locked").string());
        fs::permissions(locked.back(), fs::perms::none);
    }
    fs::permissions(m_dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    RunReport r = tavrelUnprivileged({"check", m_dir.string()});
    for (const std::string& folder : locked) fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(r.exitCode, 1);
    for (const std::string& folder : locked) {
        EXPECT_NE(r.out.find(folder + ": " + std::strerror(EACCES) + "\n"), std::string::npos)
            << r.out;
    }
    EXPECT_NE(r.out.find(bad + ": "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("good.kif"), std::string::npos) << r.out;
}

TEST_F(TavrelCliTest, EnvPrintsTheEnvironmentFile) {
    RunReport r = tavrel({"env"});
    EXPECT_EQ(r.exitCode, 0);
    auto golden = core::readFile(std::string(TAVREL_TEST_DATA) + "/settings/default.env");
    ASSERT_TRUE(golden.has_value());
    // The file is Shift-JIS; the command prints UTF-8.
    golden = core::cp932ToUtf8(*golden);
    ASSERT_TRUE(golden.has_value());
    EXPECT_EQ(r.out, *golden);
    RunReport changed = tavrel({"env", "--set", "KI2半角形式=1"});
    EXPECT_NE(changed.out, *golden);
    EXPECT_NE(changed.out.find(std::string("KI2半角形式")), std::string::npos);
    // A file written by --set reads back through --env.
    std::string env = (m_dir / "x.env").string();
    ASSERT_EQ(core::writeFileAtomically(env, changed.out), core::WriteResult::Ok);
    EXPECT_EQ(tavrel({"env", "--env", env}).out, changed.out);
    EXPECT_EQ(tavrel({"env", "--env", (m_dir / "missing.env").string()}).exitCode, 1);
}

}  // namespace
}  // namespace cli

namespace cli {
namespace {

TEST_F(TavrelCliTest, ClassifyPrintsOneLinePerRecordAndReportsUnreadableOnes) {
    std::string fourth = record("a/fourth.usi",
                                "position startpos moves 7g7f 8c8d 6g6f 3c3d 2h6h 8d8e 8h7g 5a4b "
                                "5i4h 4b3b 4h3h 6a5b 3h2h 7a6b 3i3h 6c6d 6i5h 1c1d 1g1f 9c9d\n");
    std::string handicap = record("a/handicap.ki2", "手合割：角落ち\n△３四歩▲７六歩\n");
    std::string shortGame = record("a/short.kif", kGame);
    RunReport r = tavrel({"classify", (m_dir / "a").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, fourth +
                         "\t四間飛車(美濃囲い)\t居飛車(舟囲い)\t対抗形\t▲美濃囲い "
                         "△舟囲い\t\n" +
                         handicap + "\t\t\t角落ち\t\t\n" + shortGame + "\t\t\t\t\t\n");

    r = tavrel({"classify", "--why", fourth});
    EXPECT_NE(r.out.find("  ▲美濃囲い: 玉２八 銀３八 金４九（15手目）\n"), std::string::npos)
        << r.out;

    // A file that is not there: its error, the others still printed, exit 1.
    r = tavrel({"classify", (m_dir / "missing.kif").string(), fourth});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("missing.kif"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find(fourth + "\t"), std::string::npos);
    EXPECT_EQ(tavrel({"classify"}).exitCode, 2);
}

}  // namespace
}  // namespace cli
