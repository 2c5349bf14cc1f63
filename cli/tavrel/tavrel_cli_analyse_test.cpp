// tavrel-cli analyse against the scripted engine of the tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "cli/common/cli_test_support.h"
#include "core/base/safe_file.h"
#include "core/text/sjis.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

class AnalyseTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tavrel-analyse-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
        ::unsetenv("FAKE_USI_ARGS");
        in = (m_dir / "in.kif").string();
        const std::string game = std::string(
            "手合割：平手\r\n手数----指手---------消費時間--\r\n"
            "   1 ７六歩(77)   ( 0:03/00:00:03)\r\n*好手\r\n"
            "   2 ３四歩(33)   ( 0:02/00:00:02)\r\n"
            "   3 投了\r\n");
        ASSERT_EQ(core::writeFileAtomically(in, game), core::WriteResult::Ok);
    }
    void TearDown() override {
        ::unsetenv("FAKE_USI_ARGS");
        fs::remove_all(m_dir);
    }
    RunReport analyse(const std::string& from, const std::string& to,
                      std::vector<std::string> more = {}) {
        std::vector<std::string> args{"analyse",       from,         to,  "--engine",
                                      FAKE_USI_ENGINE, "--movetime", "50"};
        args.insert(args.end(), more.begin(), more.end());
        return runProgram("tavrel-cli", args);
    }
    // The .kif files written are Shift-JIS.
    std::string utf8(const std::string& path) { return core::decodeCp932(slurp(path)).text; }
    static int count(const std::string& text, const std::string& what) {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    }

    fs::path m_dir;
    std::string in;
};

TEST_F(AnalyseTest, WritesOneAnalysisLinePerPositionAndReplacesItLater) {
    const std::string out = (m_dir / "out.kif").string();
    RunReport r = analyse(in, out, {"--multipv", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string first = utf8(out);
    // Plies 0, 1 and 2 were analysed; the terminal entry has no position of its own.
    EXPECT_EQ(count(first, "*解析：評価値 "), 3) << first;
    EXPECT_NE(first.find("*好手\r\n*解析：評価値 -100 深さ 10 読み筋 △"), std::string::npos)
        << first;
    EXPECT_NE(first.find("投了"), std::string::npos);

    const std::string again = (m_dir / "again.ki2").string();
    r = analyse(out, again);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string second = utf8(again);
    EXPECT_EQ(count(second, "*解析：評価値 "), 3) << second;
    EXPECT_EQ(count(second, "*好手"), 1);
}

TEST_F(AnalyseTest, AnEngineThatDiesKeepsWhatWasDoneAndExitsOne) {
    const std::string out = (m_dir / "out.kif").string();
    ::setenv("FAKE_USI_ARGS", "--abort-on-go", 1);
    RunReport r = analyse(in, out);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("エンジンが異常終了しました"), std::string::npos) << r.err;
    // The record itself is still written whole.
    EXPECT_NE(utf8(out).find("３四歩"), std::string::npos);
}

// Nothing analysed is no success: every best move illegal, the engine still alive.
TEST_F(AnalyseTest, PositionsLeftUnanalysedExitOne) {
    const std::string out = (m_dir / "out.kif").string();
    ::setenv("FAKE_USI_ARGS", "--bestmove 5e5d", 1);
    RunReport r = analyse(in, out);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("5e5d"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("3 of 3 positions were not analysed"), std::string::npos) << r.err;
    EXPECT_EQ(count(utf8(out), "解析："), 0);
}

// Lines no protocol knows are no trouble: quiet, and shown only when asked for.
TEST_F(AnalyseTest, UnknownEngineLinesAreShownOnlyWithVerbose) {
    const std::string out = (m_dir / "out.kif").string();
    ::setenv("FAKE_USI_ARGS", "--banner --garbage", 1);
    RunReport r = analyse(in, out);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    r = analyse(in, out, {"--verbose"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("engine: FakeEngine, a scripted engine"), std::string::npos) << r.err;
    EXPECT_EQ(count(r.err, "engine: this is no protocol line"), 3) << r.err;
}

// An engine written elsewhere, as a user has it: it knows only the protocol's own forms. The
// record starts out of its opening book, where it answers without a score.
TEST_F(AnalyseTest, ARealEngineScoresEveryPosition) {
#ifndef REAL_USI_ENGINE
    GTEST_SKIP() << "no real USI engine installed (Debian's gpsshogi package has one)";
#else
    const std::string record = (m_dir / "short.usi").string();
    ASSERT_EQ(core::writeFileAtomically(
                  record,
                  "position sfen lnsgkgsnl/1r5b1/1ppppppp1/8p/p8/9/PPPPPPPP1/1B5R1/LNSGKGSNL b p 7 "
                  "moves 1i1d 9a9d 5i5h 5a5b\n"),
              core::WriteResult::Ok);
    const std::string out = (m_dir / "out.kif").string();
    RunReport r = runProgram(
        "tavrel-cli", {"analyse", record, out, "--engine", REAL_USI_ENGINE, "--movetime", "200"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(count(utf8(out), "*解析：評価値 "), 5) << utf8(out);
#endif
}

TEST_F(AnalyseTest, ProblemsOfTheCall) {
    const std::string out = (m_dir / "out.kif").string();
    EXPECT_EQ(runProgram("tavrel-cli", {"analyse", in, out}).exitCode, 2);
    EXPECT_EQ(analyse(in, out, {"--multipv", "0"}).exitCode, 2);
    RunReport r = runProgram("tavrel-cli",
                             {"analyse", in, out, "--engine", (m_dir / "no-such-engine").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
    EXPECT_NE(runProgram("tavrel-cli", {"analyse", "--help"}).out.find("--movetime MS"),
              std::string::npos);
}

}  // namespace
}  // namespace cli
