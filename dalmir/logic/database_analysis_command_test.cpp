// The window's analysis of a database with a scripted engine in the test's own process: every
// position of the chosen records stored in the file beside the database, a second run that has
// nothing left to do, Cancel keeping what was analysed, the requests refused before anything
// runs, and the progress line.
#include "dalmir/logic/database_analysis_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <deque>
#include <map>
#include <mutex>

#include "core/base/safe_file.h"
#include "dalmir/logic/dalmir_test_fixture.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/tree/tree_test_fixture.h"

namespace dalmir {
namespace {

using testsupport::DalmirFixture;

// An engine that answers every search at once with a score; it can press the window's Cancel
// while it searches the position numbered cancelAt (counting from 1 over all its sessions).
struct ScriptedEngines {
    std::atomic<int> searches{0};
    std::atomic<int> sessions{0};
    int cancelAt = 0;
    std::atomic<bool>* cancel = nullptr;

    DatabaseAnalysisCommand::Sessions factory() {
        return [this](const std::string&, const std::vector<std::pair<std::string, std::string>>&) {
            return [this](model::AnalysisJob& job, std::string&) {
                ++sessions;
                run(job);
                return true;
            };
        };
    }

    void run(model::AnalysisJob& job) {
        struct Link : usi::UsiLink {
            std::deque<std::string> replies;
            bool quit = false;
            bool holding = false;  // a search left unanswered
            ScriptedEngines* engines = nullptr;
            void send(std::string_view line) override {
                if (line == "usi") {
                    replies.insert(replies.end(), {"id name Scripted", "usiok"});
                } else if (line == "isready") {
                    replies.emplace_back("readyok");
                } else if (line.starts_with("go")) {
                    const int n = ++engines->searches;
                    if (n == engines->cancelAt) {
                        engines->cancel->store(true);
                        holding = true;
                        return;
                    }
                    replies.insert(replies.end(), {"info depth 5 nodes 100 score cp " +
                                                       std::to_string(n) + " pv 7g7f",
                                                   "bestmove resign"});
                } else if (line == "quit") {
                    quit = true;
                }
            }
            void kill() override { quit = true; }
        } link;
        link.engines = this;
        const auto clock = [] { return std::int64_t{0}; };
        usi::UsiEngine engine(link, job, clock);
        job.attach(engine);
        engine.start();
        while (!link.quit) {
            if (link.replies.empty()) {
                // Held: the run's tick passes the Cancel on, and the job ends the session.
                job.poll();
                std::this_thread::yield();
                continue;
            }
            const std::string line = link.replies.front();
            link.replies.pop_front();
            engine.receive(line);
            job.poll();
        }
        engine.exited(0, false);
    }
};

class DatabaseAnalysisCommandTest : public DalmirFixture {
protected:
    DatabaseAnalysisCommandTest() {
        db.reset(true);
        dbPath = folder.file("games.dlb");
        db.table().setPath(*model::storedFromFileSystem(dbPath));
        add({"7g7f", "3c3d", "2g2f", "8c8d"});
        add({"2g2f", "8c8d", "7g7f", "3c3d", "2f2e"});  // reaches the first's ply 4 position
        add({"5i4h"});
        engine = folder.file("engine");
        folder.writeBytes("engine", "#!/bin/sh\n");
        ::chmod(engine.c_str(), 0755);
        request.engine = engine;
        request.jobs = 1;
    }
    void add(std::initializer_list<const char*> words) {
        model::IndexEntry e;
        e.setText(model::IndexText::Path, "g.kif");
        ASSERT_GE(db.append(std::move(e), model::treetest::usiLine(words)), 0);
    }
    std::vector<std::int32_t> all() const { return db.table().displayOrder(); }
    model::EvaluationStore storeOnDisk() const {
        model::EvaluationStore s;
        (void)s.read(model::evaluationStorePath(dbPath));
        return s;
    }

    std::string dbPath;
    std::string engine;
    AnalysisRequest request;
    ScriptedEngines engines;
    std::shared_ptr<const model::EvaluationStore> changed;
    DatabaseAnalysisCommand command{db, ui, engines.factory(), [] { return std::int64_t{0}; }, 2};
};

// Start, 7g7f, 3c3d, 2g2f, 8c8d (5); 2g2f, 2g2f 8c8d, 2g2f 8c8d 7g7f, the shared one, 2f2e (4
// new); 5i4h (1 new).
constexpr int kPositions = 10;

TEST_F(DatabaseAnalysisCommandTest, StoresEveryPositionOnceAndASecondRunFindsNothingToDo) {
    command.setStoreChanged([this](auto store) { changed = std::move(store); });
    request.jobs = 3;
    ASSERT_TRUE(command.start(request, all()));
    EXPECT_EQ(eventsStartingWith("analysing: "), std::vector<std::string>{dbPath});
    EXPECT_EQ(engines.searches.load(), kPositions);
    EXPECT_EQ(storeOnDisk().size(), static_cast<std::size_t>(kPositions));
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->size(), static_cast<std::size_t>(kPositions));
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
    EXPECT_EQ(ui.status,
              "解析が終わりました。10局面のうち10局面を解析しました(解析済みの0局面を除く)。");

    // Resumed: nothing is searched again, not even by an engine that would be started.
    ASSERT_TRUE(command.start(request, all()));
    EXPECT_EQ(engines.searches.load(), kPositions);
    EXPECT_EQ(storeOnDisk().size(), static_cast<std::size_t>(kPositions));
    EXPECT_EQ(ui.status,
              "解析が終わりました。0局面のうち0局面を解析しました(解析済みの13局面を除く)。");

    // Redone on the selected record only: its five positions.
    request.redo = true;
    ASSERT_TRUE(command.start(request, {0}));
    EXPECT_EQ(engines.searches.load(), kPositions + 5);
    EXPECT_EQ(storeOnDisk().size(), static_cast<std::size_t>(kPositions));
}

TEST_F(DatabaseAnalysisCommandTest, CancelKeepsWhatWasAnalysedAndTheNextRunDoesTheRest) {
    engines.cancelAt = 4;
    engines.cancel = &ui.backgroundHost.cancel;
    ASSERT_TRUE(command.start(request, all()));
    ui.backgroundHost.cancel = false;
    EXPECT_EQ(storeOnDisk().size(), 3u);  // the fourth was under way: dropped
    EXPECT_EQ(ui.status, "解析を中止しました。10局面のうち3局面を解析し、保存しました。");
    EXPECT_TRUE(ui.messages.empty());

    engines.cancelAt = 0;
    ASSERT_TRUE(command.start(request, all()));
    EXPECT_EQ(storeOnDisk().size(), static_cast<std::size_t>(kPositions));
    EXPECT_EQ(engines.searches.load(), 4 + kPositions - 3);
}

TEST_F(DatabaseAnalysisCommandTest, RequestsThatCannotRunAreRefusedBeforeAnythingStarts) {
    const auto refused = [&](const AnalysisRequest& r, std::vector<std::int32_t> slots,
                             const std::string& message) {
        ui.messages.clear();
        EXPECT_FALSE(command.start(r, slots));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], message);
    };
    AnalysisRequest none = request;
    none.engine.clear();
    refused(none, all(), "エンジンを選んでください。");
    AnalysisRequest missing = request;
    missing.engine = folder.file("no-such-engine");
    refused(missing, all(), "エンジン(" + missing.engine + ")を実行できません。");
    AnalysisRequest plain = request;
    plain.engine = folder.file("plain");
    folder.writeBytes("plain", "x");
    refused(plain, all(), "エンジン(" + plain.engine + ")を実行できません。");
    AnalysisRequest nodes = request;
    nodes.byNodes = true;
    nodes.nodes = 0;
    refused(nodes, all(), "ノード数は 1 以上にしてください。");
    refused(request, {}, "解析する棋譜がありません。");
    db.table().setPath("");
    refused(request, all(), "データベースを保存してから解析してください。");
    EXPECT_TRUE(eventsStartingWith("analysing: ").empty());
    EXPECT_EQ(engines.sessions.load(), 0);
}

TEST_F(DatabaseAnalysisCommandTest, AStoreOfAnotherKindIsLeftAsItIs) {
    const std::string store = model::evaluationStorePath(dbPath);
    folder.writeBytes("games.DEV", "not a store");
    ASSERT_TRUE(command.start(request, all()));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("評価値ファイルではありません"), std::string::npos);
    EXPECT_EQ(engines.sessions.load(), 0);
    EXPECT_EQ(core::readFile(store), std::optional<std::string>("not a store"));
}

TEST(AnalysisProgressTest, TheLineTellsRecordsPositionsShareSpeedAndTimeLeft) {
    model::AnalysisProgress p;
    p.done = 90;
    p.failed = 10;
    p.total = 400;
    p.recordsDone = 3;
    p.records = 12;
    EXPECT_EQ(analysisProgressText(p, 4000),
              "解析中 棋譜 3/12 局面 100/400 (25%) 25.0局面/秒 残り 0:12");
    EXPECT_EQ(analysisProgressText(p, 0), "解析中 棋譜 3/12 局面 100/400 (25%) 0.0局面/秒 残り ?");
    EXPECT_EQ(analysisJobCount(0, 100, 8), 8u);
    EXPECT_EQ(analysisJobCount(0, 100, 0), 1u);
    EXPECT_EQ(analysisJobCount(4, 2, 8), 2u);
}

TEST(AnalysisSettingsTest, TheDialogsChoicesAndTheThresholdsSurviveTheSettingsStore) {
    std::map<std::string, std::string> values;
    const SettingsStore store{[&](const std::string& k) -> std::optional<std::string> {
                                  auto it = values.find(k);
                                  if (it == values.end()) return std::nullopt;
                                  return it->second;
                              },
                              [&](const std::string& k, const std::string& v) { values[k] = v; }};
    AppSettings s;
    AnalysisRequest r;
    r.engine = "/opt/engine";
    r.byNodes = true;
    r.nodes = 5000;
    r.jobs = 2;
    r.maxPly = 80;
    rememberAnalysisRequest(r, s.analysis);
    s.analysis.thresholds = {50, 150, 300, 2000};
    writeSettings(s, store);
    const AppSettings back = readSettings(store);
    EXPECT_EQ(back.analysis, s.analysis);
    const AnalysisRequest again = analysisRequestOf(back.analysis);
    EXPECT_EQ(again.engine, "/opt/engine");
    EXPECT_TRUE(again.byNodes);
    EXPECT_EQ(again.nodes, 5000);
    EXPECT_EQ(again.maxPly, 80);

    // Thresholds out of order are not taken: the defaults stay.
    values["Analysis/thresholds"] = "300,200,100";
    EXPECT_EQ(readSettings(store).analysis.thresholds, model::MarkThresholds{});
}

}  // namespace
}  // namespace dalmir
