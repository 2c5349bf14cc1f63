// The engine process against the scripted engine of the tests: each way the program can answer
// or fail reaches the session. A real process, so the checks wait for its answers.
#include "tavrel/platform/usi_process.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>

#include "core/text/sjis.h"
#include "tavrel/platform/engine_store.h"
#include "tests/support/process_state.h"
#include "tests/support/temp_folder.h"
#include "usi/usi_test_support.h"

namespace tavrel {
namespace {

constexpr int kWaitMs = 10000;

void ensureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

class UsiProcessTest : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
    void TearDown() override { qunsetenv("FAKE_USI_ARGS"); }

    void start(const char* script, usi::UsiTimeouts timeouts = {}) {
        qputenv("FAKE_USI_ARGS", script);
        process = std::make_unique<UsiProcess>(events, nullptr, timeouts);
        usi::EngineEntry entry{"Fake", FAKE_USI_ENGINE, {{"MultiPV", "3"}}};
        process->start(entry);
    }
    void go(bool infinite = false) {
        core::Position start;
        core::setupHandicap(start, core::kHandicapEven);
        usi::GoLimits limits;
        limits.infinite = true;
        if (!infinite) limits.stopAfter = 100;
        process->engine().go(start, "position startpos", limits);
    }

    testsupport::RecordingEvents events;
    std::unique_ptr<UsiProcess> process;
};

TEST_F(UsiProcessTest, HandshakeMultiPvSearchAndQuit) {
    start("--name Scripted");
    go();
    QTRY_COMPARE_WITH_TIMEOUT(events.bestMoves.size(), std::size_t{1}, kWaitMs);
    EXPECT_EQ(process->engine().name(), "Scripted");
    EXPECT_EQ(events.ready, 1);
    // Three lines, each in its rank, all with legal PVs.
    ASSERT_EQ(events.infos.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(events.infos[static_cast<std::size_t>(k)].multiPv, k + 1);
        EXPECT_EQ(events.infos[static_cast<std::size_t>(k)].score.value, 100 - 10 * k);
    }
    process->engine().quit();
    QTRY_COMPARE_WITH_TIMEOUT(events.quits, 1, kWaitMs);
    EXPECT_TRUE(events.failures.empty());
}

TEST_F(UsiProcessTest, MateScoresAndBounds) {
    start("--mate -3");
    go();
    QTRY_COMPARE_WITH_TIMEOUT(events.bestMoves.size(), std::size_t{1}, kWaitMs);
    ASSERT_EQ(events.infos.size(), 3u);
    EXPECT_EQ(events.infos[0].score.kind, usi::UsiScore::Kind::Mate);
    EXPECT_EQ(events.infos[0].score.value, -3);
    EXPECT_EQ(events.infos[1].score.bound, usi::UsiScore::Bound::Lower);
}

TEST_F(UsiProcessTest, AnIllegalBestMoveIsReportedAndGarbageKeptForTheLog) {
    qputenv("FAKE_USI_ARGS", "--bestmove 5e5d --garbage");
    process = std::make_unique<UsiProcess>(events, nullptr);
    std::vector<std::pair<bool, std::string>> traffic;
    process->setTraffic([&](bool sent, std::string_view line) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        traffic.emplace_back(sent, text);
    });
    process->start(usi::EngineEntry{"Fake", FAKE_USI_ENGINE, {}});
    go();
    QTRY_COMPARE_WITH_TIMEOUT(events.warnings.size(), std::size_t{1}, kWaitMs);
    EXPECT_NE(events.warnings[0].find("5e5d"), std::string::npos);
    EXPECT_EQ(events.unknownLines, (std::vector<std::string>{"this is no protocol line"}));
    EXPECT_TRUE(events.bestMoves.empty());
    EXPECT_TRUE(events.failures.empty());
    // The log hears both ways, the line the protocol does not know included.
    ASSERT_FALSE(traffic.empty());
    EXPECT_EQ(traffic.front(), (std::pair<bool, std::string>{true, "usi"}));
    EXPECT_NE(std::find(traffic.begin(), traffic.end(),
                        std::pair<bool, std::string>{false, "this is no protocol line"}),
              traffic.end());
    EXPECT_NE(std::find(traffic.begin(), traffic.end(),
                        std::pair<bool, std::string>{true, "position startpos"}),
              traffic.end());
}

TEST_F(UsiProcessTest, ACrashMidSearchFails) {
    start("--abort-on-go");
    go(true);
    QTRY_COMPARE_WITH_TIMEOUT(events.failures.size(), std::size_t{1}, kWaitMs);
    EXPECT_EQ(events.failures[0], "エンジンが異常終了しました");
    EXPECT_EQ(process->engine().state(), usi::UsiEngine::State::Ended);
}

TEST_F(UsiProcessTest, AHangFiresTheTimeout) {
    usi::UsiTimeouts quick;
    quick.readyOk = 200;
    start("--no-readyok", quick);
    QTRY_COMPARE_WITH_TIMEOUT(events.failures.size(), std::size_t{1}, kWaitMs);
    EXPECT_NE(events.failures[0].find("readyok"), std::string::npos);
    QTRY_VERIFY_WITH_TIMEOUT(!process->running(), kWaitMs);
}

// A search that never ends is stopped, then the engine told to quit, then its whole group ended:
// the child it forked, which holds the output open, goes with it.
TEST_F(UsiProcessTest, AHungEngineIsEndedWithWhatItStarted) {
    testsupport::TempFolder folder("usi-process");
    const std::string pidFile = folder.file("forked.pid");
    usi::UsiTimeouts quick;
    quick.stop = 200;
    quick.quit = 200;
    start(("--ignore-stop --ignore-quit --fork " + pidFile).c_str(), quick);
    go();
    QTRY_COMPARE_WITH_TIMEOUT(events.failures.size(), std::size_t{1}, kWaitMs);
    ASSERT_EQ(events.failures.size(), 1u);
    EXPECT_NE(events.failures[0].find("bestmove"), std::string::npos);
    const pid_t forked = testsupport::pidInFile(pidFile);
    ASSERT_GT(forked, 0);
    EXPECT_TRUE(testsupport::processGone(forked));
    QTRY_VERIFY_WITH_TIMEOUT(!process->running(), kWaitMs);
}

// The window hears nothing of a closed output while the program runs: the search's deadline
// ends it.
TEST_F(UsiProcessTest, AClosedOutputIsEndedByTheSearchDeadline) {
    usi::UsiTimeouts quick;
    quick.stop = 200;
    quick.quit = 200;
    start("--close-on-go", quick);
    go();
    QTRY_COMPARE_WITH_TIMEOUT(events.failures.size(), std::size_t{1}, kWaitMs);
    ASSERT_EQ(events.failures.size(), 1u);
    EXPECT_NE(events.failures[0].find("bestmove"), std::string::npos);
    QTRY_VERIFY_WITH_TIMEOUT(!process->running(), kWaitMs);
    EXPECT_FALSE(process->running());
}

TEST_F(UsiProcessTest, AFloodOfInfoLinesArrivesWhole) {
    start("--flood 5000");
    go();
    QTRY_COMPARE_WITH_TIMEOUT(events.bestMoves.size(), std::size_t{1}, kWaitMs);
    EXPECT_EQ(events.infos.size(), 5003u);
    EXPECT_TRUE(events.warnings.empty());
}

TEST_F(UsiProcessTest, AMissingProgramGivesTheSystemsReason) {
    ensureApplication();
    process = std::make_unique<UsiProcess>(events);
    process->start(usi::EngineEntry{"None", "/nonexistent/folder/engine", {}});
    QTRY_COMPARE_WITH_TIMEOUT(events.failures.size(), std::size_t{1}, kWaitMs);
    EXPECT_TRUE(events.failures[0].starts_with("エンジンを起動できません：")) << events.failures[0];
    EXPECT_GT(events.failures[0].size(), std::string("エンジンを起動できません：").size());
}

TEST(EngineStore, RoundTripInTheProfile) {
    QStandardPaths::setTestModeEnabled(true);
    std::vector<usi::EngineEntry> list{
        {"一号", "/opt/e/one", {{"USI_Hash", "512"}, {"Book File", "a b.db"}}},
        {"Two", "/opt/e/two", {}},
    };
    saveEngines(list, QStringLiteral("TavrelTest"));
    EXPECT_EQ(loadEngines(QStringLiteral("TavrelTest")), list);
    saveEngines({}, QStringLiteral("TavrelTest"));
    EXPECT_TRUE(loadEngines(QStringLiteral("TavrelTest")).empty());
}

// The players of the last new game come back; a hand-edited time out of range falls back.
TEST(EngineStore, GamePlayersAreRemembered) {
    QStandardPaths::setTestModeEnabled(true);
    const QString product = QStringLiteral("TavrelGameTest");
    EXPECT_EQ(loadGamePlayers(product).time, TimeControl{});
    const GamePlayers chosen{"一号", "", TimeControl{900, 30, 0}};
    saveGamePlayers(chosen, product);
    EXPECT_EQ(loadGamePlayers(product), chosen);
    {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
        s.setValue(QStringLiteral("EngineGame/byoyomiSeconds"), -3);
        s.setValue(QStringLiteral("EngineGame/incrementSeconds"), QStringLiteral("many"));
    }
    const GamePlayers read = loadGamePlayers(product);
    EXPECT_EQ(read.time.byoyomiSeconds, TimeControl{}.byoyomiSeconds);
    EXPECT_EQ(read.time.incrementSeconds, 0);
    EXPECT_EQ(read.time.initialSeconds, 900);
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product).clear();
}

}  // namespace
}  // namespace tavrel
