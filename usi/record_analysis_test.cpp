#include "usi/record_analysis.h"

#include <gtest/gtest.h>

#include <deque>

#include "core/formats/ki2_writer.h"
#include "core/formats/kif_reader.h"
#include "core/formats/kif_writer.h"
#include "core/formats/usi.h"
#include "core/formats/usi_reader.h"
#include "core/rules/move_generator.h"
#include "core/text/sjis.h"
#include "usi/usi_test_support.h"

namespace usi {
namespace {

using core::toUtf8Lossy;

// An engine answering in the same thread: the first legal move at a score that grows by ten each
// search, with a reply in its PV; scripted failures by search number.
class InlineEngine : public UsiLink {
public:
    void send(std::string_view line) override {
        const std::string l(line);
        sent.push_back(l);
        if (l == "usi") queue.push_back("usiok");
        if (l == "isready") queue.push_back("readyok");
        if (l.starts_with("position")) {
            core::RecordStore store;
            (void)core::readUsiText(store, l, {});
            (void)store.goToPly(store.lineEnd());
            position = store.position();
        }
        if (l.starts_with("go")) answer();
    }
    void kill() override { ++kills; }

    void answer() {
        ++searches;
        if (searches == crashAt) {
            crashed = true;
            return;
        }
        std::vector<core::PackedMove> moves;
        core::legalMoves(position, position.sideToMove, moves);
        std::string first = core::usiMove(core::moveNodeOf(position, moves.front()));
        score += 10;
        queue.push_back("info depth 7 score cp " + std::to_string(score) + " pv " + first);
        queue.push_back(searches == illegalAt ? "bestmove 5e5d" : "bestmove " + first);
    }

    // Feeds the queued lines until none are left.
    void pump(UsiEngine& engine) {
        while (!queue.empty() || crashed) {
            if (crashed) {
                crashed = false;
                engine.exited(0, true);
                continue;
            }
            std::string l = queue.front();
            queue.pop_front();
            engine.receive(l);
        }
    }

    std::vector<std::string> sent;
    std::deque<std::string> queue;
    core::Position position;
    int searches = 0;
    int score = 0;
    int crashAt = -1;
    int illegalAt = -1;
    bool crashed = false;
    int kills = 0;
};

class RecordAnalysisTest : public ::testing::Test {
protected:
    void load(std::string_view usi) {
        ASSERT_EQ(core::readUsiText(store, usi, {}).result, core::ReadResult::Ok);
    }
    RecordAnalysis& analyse(RecordAnalysisOptions options = {}) {
        analysis = std::make_unique<RecordAnalysis>(store, options);
        engine = std::make_unique<UsiEngine>(link, *analysis, clock.clock());
        analysis->run(*engine);
        engine->start();
        link.pump(*engine);
        return *analysis;
    }
    std::string comment(core::NodeIndex n) { return toUtf8Lossy(store.node(n).commentText()); }
    core::NodeIndex ply(int n) { return store.nodeAtPly(n); }

    core::RecordStore store;
    InlineEngine link;
    testsupport::ManualClock clock;
    std::unique_ptr<RecordAnalysis> analysis;
    std::unique_ptr<UsiEngine> engine;
};

TEST_F(RecordAnalysisTest, EveryPositionOfTheMainLineGetsItsLine) {
    load("position startpos moves 7g7f 3c3d 2g2f");
    RecordAnalysis& a = analyse();
    EXPECT_TRUE(a.finished());
    EXPECT_EQ(a.done(), 4);
    EXPECT_EQ(a.analysed(), 4);
    EXPECT_FALSE(a.failed());
    // The start position's line goes into the opening comment; scores are Black's view.
    EXPECT_EQ(comment(core::kRootNode), "解析：評価値 +10 深さ 7 読み筋 ▲１六歩\n");
    EXPECT_EQ(comment(ply(1)), "解析：評価値 -20 深さ 7 読み筋 △１二香\n");
    EXPECT_EQ(comment(ply(3)), "解析：評価値 -40 深さ 7 読み筋 △１二香\n");
    EXPECT_EQ(link.sent[link.sent.size() - 3], "position startpos moves 7g7f 3c3d 2g2f");
    EXPECT_EQ(link.sent.back(), "quit");
    std::vector<std::optional<int>> scores = mainLineScores(store);
    EXPECT_EQ(scores, (std::vector<std::optional<int>>{10, -20, 30, -40}));
}

TEST_F(RecordAnalysisTest, ASecondRunReplacesTheLineAndKeepsTheRest) {
    load("position startpos moves 7g7f 3c3d");
    (void)store.appendComment(1, std::string("好手"));
    analyse();
    link.score = 500;
    analyse();
    EXPECT_EQ(comment(ply(1)), "好手\n解析：評価値 -520 深さ 7 読み筋 △１二香\n");
}

TEST_F(RecordAnalysisTest, TheLineSurvivesKifAndKi2) {
    load("position startpos moves 7g7f 3c3d 8h2b+ 3a2b");
    analyse();
    for (bool ki2 : {false, true}) {
        core::RecordWriteOptions options;
        options.commentWrap = true;
        const std::string text =
            ki2 ? core::ki2Text(store, options) : core::kifText(store, options);
        core::RecordStore back;
        ASSERT_EQ(core::readRecordLines(back, text, {}).result, core::ReadResult::Ok);
        for (int n = 0; n <= 4; ++n) {
            EXPECT_EQ(back.node(back.nodeAtPly(n)).commentText(),
                      store.node(store.nodeAtPly(n)).commentText())
                << (ki2 ? "KI2 ply " : "KIF ply ") << n;
        }
        EXPECT_EQ(mainLineScores(back), mainLineScores(store));
    }
}

TEST_F(RecordAnalysisTest, EveryLineTakesTheVariationsToo) {
    load("position startpos moves 7g7f 3c3d");
    (void)store.goToPly(1);
    ASSERT_EQ(store.addMove(core::kAddStoreAll, core::packMove(41, 42), 0), core::AddResult::Ok);
    ASSERT_EQ(store.goTo(core::kRootNode), core::EditResult::Ok);
    RecordAnalysisOptions options;
    options.everyLine = true;
    RecordAnalysis& a = analyse(options);
    EXPECT_EQ(a.total(), 4);
    const core::NodeIndex variation = store.node(ply(2)).sibling;
    ASSERT_NE(variation, core::kNoNode);
    EXPECT_NE(comment(variation).find("解析：評価値"), std::string::npos);
    EXPECT_EQ(std::find(link.sent.begin(), link.sent.end(), "position startpos moves 7g7f 4a4b") !=
                  link.sent.end(),
              true);
}

TEST_F(RecordAnalysisTest, ACrashKeepsWhatWasAnalysed) {
    load("position startpos moves 7g7f 3c3d 2g2f");
    link.crashAt = 3;
    RecordAnalysis& a = analyse();
    EXPECT_TRUE(a.finished());
    EXPECT_TRUE(a.failed());
    EXPECT_EQ(a.done(), 2);
    EXPECT_EQ(toUtf8Lossy(a.message()), "エンジンが異常終了しました");
    EXPECT_FALSE(comment(ply(1)).empty());
    EXPECT_TRUE(comment(ply(2)).empty());
}

TEST_F(RecordAnalysisTest, CancelKeepsWhatWasAnalysedAndQuits) {
    load("position startpos moves 7g7f 3c3d 2g2f");
    RecordAnalysis a(store, {});
    UsiEngine e(link, a, clock.clock());
    a.run(e, [&] {
        if (a.done() == 2) a.cancel();
    });
    e.start();
    link.pump(e);
    EXPECT_TRUE(a.finished());
    EXPECT_TRUE(a.cancelled());
    EXPECT_EQ(a.done(), 2);
    EXPECT_FALSE(comment(ply(1)).empty());
    EXPECT_TRUE(comment(ply(2)).empty());
    EXPECT_EQ(link.sent.back(), "quit");
}

TEST_F(RecordAnalysisTest, AnIllegalBestMoveLeavesThatPositionAndGoesOn) {
    load("position startpos moves 7g7f 3c3d");
    link.illegalAt = 2;
    RecordAnalysis& a = analyse();
    EXPECT_EQ(a.done(), 3);
    EXPECT_EQ(a.analysed(), 2);
    EXPECT_FALSE(a.failed());
    EXPECT_NE(toUtf8Lossy(a.message()).find("5e5d"), std::string::npos);
    EXPECT_TRUE(comment(ply(1)).empty());
    EXPECT_FALSE(comment(ply(2)).empty());
}

// Only the protocol's own forms: an infinite search, stopped when its time is up.
TEST_F(RecordAnalysisTest, EachPositionIsSearchedUntilStopAfterItsTime) {
    load("position startpos moves 7g7f");
    testsupport::RecordingLink quiet;
    RecordAnalysisOptions options;
    options.moveTimeMs = 700;
    RecordAnalysis a(store, options);
    UsiEngine e(quiet, a, clock.clock());
    a.run(e);
    e.start();
    e.receive("usiok");
    e.receive("readyok");
    EXPECT_EQ(quiet.last(), "go infinite");
    clock.now += 699;
    e.tick();
    EXPECT_EQ(quiet.last(), "go infinite");
    clock.now += 1;
    e.tick();
    EXPECT_EQ(quiet.last(), "stop");
    e.receive("info depth 3 score cp 12 pv 7g7f");
    e.receive("bestmove 7g7f");
    EXPECT_EQ(quiet.sent[quiet.sent.size() - 2], "position startpos moves 7g7f");
    EXPECT_EQ(quiet.last(), "go infinite");
    // A best move without any score leaves the position unanalysed.
    clock.now += 700;
    e.tick();
    e.receive("bestmove 3c3d");
    EXPECT_TRUE(a.finished());
    EXPECT_EQ(a.done(), 2);
    EXPECT_EQ(a.analysed(), 1);
}

TEST(AnalysisComment, FormsOfTheScore) {
    core::Position pos;
    core::setupHandicap(pos, core::kHandicapEven);
    AnalysisLine line;
    line.score = {UsiScore::Kind::Mate, 5, false, UsiScore::Bound::Exact};
    line.depth = -1;
    EXPECT_EQ(toUtf8Lossy(analysisLine(pos, line, 0, {})), "解析：評価値 +詰5");
    EXPECT_EQ(analysedScore(analysisLine(pos, line, 0, {})), kMateScore - 5);
    pos.sideToMove = core::kSideWhite;
    EXPECT_EQ(analysedScore(analysisLine(pos, line, 0, {})), -(kMateScore - 5));
    line.score = {UsiScore::Kind::Centipawns, 0, false, UsiScore::Bound::Exact};
    EXPECT_EQ(analysedScore(analysisLine(pos, line, 0, {})), 0);
    EXPECT_FALSE(analysedScore(std::string("解析は後で\n")));
    EXPECT_FALSE(analysedScore(std::string("評価値 +100\n")));
}

TEST(AnalysisComment, ALongBestLineIsCutAtAWholeMove) {
    core::RecordStore store;
    ASSERT_EQ(core::readUsiText(store, "position startpos", {}).result, core::ReadResult::Ok);
    AnalysisLine line;
    line.score = {UsiScore::Kind::Centipawns, 35, false, UsiScore::Bound::Exact};
    line.depth = 20;
    line.pv = {"7g7f", "3c3d", "2g2f", "8c8d", "2f2e", "8d8e", "6i7h", "4a3b", "2e2d", "2c2d"};
    const std::string text = analysisLine(store.position(), line, 0, {});
    EXPECT_LE(core::cp932Width(text), kAnalysisLineBytes);
    EXPECT_EQ(toUtf8Lossy(text),
              "解析：評価値 +35 深さ 20 読み筋 ▲７六歩△３四歩▲２六歩△８四歩▲２五歩");
}

}  // namespace
}  // namespace usi
