// The tool's engine runs against hostile scripted engines: a closed output, a trickle of bytes, a
// flood of lines, an ignored quit, children left behind. Each run is bounded by the short
// deadlines given to the session, whatever the engine does.
#include "cli/common/engine_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "tests/support/process_state.h"
#include "tests/support/temp_folder.h"
#include "usi/usi_test_support.h"

namespace cli {
namespace {

using testsupport::pidInFile;
using testsupport::processGone;

std::int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Quits once the first best move came.
struct QuittingEvents : testsupport::RecordingEvents {
    usi::UsiEngine* engine = nullptr;
    void engineBestMove(const usi::UsiBestMove& best) override {
        RecordingEvents::engineBestMove(best);
        engine->quit();
    }
};

class EngineRunTest : public ::testing::Test {
protected:
    void SetUp() override { ::unsetenv("FAKE_USI_ARGS"); }

    // Runs the fake engine with args through one search of stopAfterMs and returns the
    // milliseconds the run took.
    std::int64_t run(std::vector<std::string> args, std::int64_t stopAfterMs = 50) {
        args.insert(args.begin(), FAKE_USI_ENGINE);
        std::string reason;
        EXPECT_TRUE(child.start(FAKE_USI_ENGINE, args, "", reason)) << reason;
        usi::UsiTimeouts quick;
        quick.usiOk = 2000;
        quick.readyOk = 2000;
        quick.stop = 200;
        quick.quit = 200;
        ChildLink link(child);
        usi::UsiEngine engine(link, events, steadyMs, quick);
        events.engine = &engine;
        engine.start();
        core::Position start;
        core::setupHandicap(start, core::kHandicapEven);
        usi::GoLimits limits;
        limits.infinite = true;
        limits.stopAfter = stopAfterMs;
        engine.go(start, "position startpos", limits);
        const std::int64_t begin = steadyMs();
        runEngine(child, engine, steadyMs, 100);
        EXPECT_EQ(engine.state(), usi::UsiEngine::State::Ended);
        EXPECT_FALSE(child.running());
        return steadyMs() - begin;
    }

    ChildProcess child;
    QuittingEvents events;
};

// The bound of a run against an engine that never answers: stop, quit and kill deadlines with
// room for a slow machine; far below the session's usual timeouts.
constexpr std::int64_t kBoundMs = 5000;

TEST_F(EngineRunTest, AnEngineThatClosesItsOutputButStaysOnIsEnded) {
    EXPECT_LT(run({"--close-on-go"}), kBoundMs);
    EXPECT_EQ(events.failures, (std::vector<std::string>{"エンジンが出力を閉じました"}));
}

// The engine that never answers is stopped, told to quit and killed with its child.
TEST_F(EngineRunTest, ATrickleOrAFloodDoesNotPutTheDeadlineOff) {
    testsupport::TempFolder folder("engine-run");
    const std::string pidFile = folder.file("forked.pid");
    for (const char* mode : {"--trickle-on-go", "--flood-on-go"}) {
        SCOPED_TRACE(mode);
        events = QuittingEvents();
        std::vector<std::string> args{"--fork", pidFile, mode};
        if (std::string(mode) == "--trickle-on-go") args.push_back("20");
        EXPECT_LT(run(args), kBoundMs);
        ASSERT_EQ(events.failures.size(), 1u);
        EXPECT_NE(events.failures[0].find("bestmove"), std::string::npos) << events.failures[0];
        EXPECT_TRUE(events.bestMoves.empty());
        const pid_t forked = pidInFile(pidFile);
        ASSERT_GT(forked, 0);
        EXPECT_TRUE(processGone(forked));
    }
}

TEST_F(EngineRunTest, AnIgnoredQuitEndsInAKill) {
    EXPECT_LT(run({"--ignore-quit"}), kBoundMs);
    EXPECT_EQ(events.bestMoves.size(), 1u);
    EXPECT_EQ(events.quits, 1);
    EXPECT_TRUE(events.failures.empty());
}

// The engine quits as asked, but a child of its holds the output open: its end is seen all the
// same, and the child does not outlive it.
TEST_F(EngineRunTest, ChildrenLeftBehindDoNotHoldTheRunOrOutliveIt) {
    testsupport::TempFolder folder("engine-run");
    const std::string pidFile = folder.file("forked.pid");
    EXPECT_LT(run({"--fork", pidFile, "--banner"}), kBoundMs);
    EXPECT_EQ(events.bestMoves.size(), 1u);
    EXPECT_EQ(events.quits, 1);
    EXPECT_TRUE(events.failures.empty());
    EXPECT_TRUE(events.warnings.empty());
    EXPECT_EQ(events.unknownLines.size(), 1u);
    const pid_t forked = pidInFile(pidFile);
    ASSERT_GT(forked, 0);
    EXPECT_TRUE(processGone(forked));
}

}  // namespace
}  // namespace cli
