// The engine analysis of a database: the positions of the listed records' main lines that the
// evaluation store does not hold yet (each position once, however many records reach it), handed
// out to any number of engine sessions, each result put into the store and appended to its file
// as it comes. Whoever runs the engine programs (the command-line tool's threads, a window's
// worker) drives one AnalysisJob per program; the queue they share is thread-safe.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/rules/position.h"
#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/store/database.h"
#include "usi/usi_engine.h"

namespace dalmir::model {

// The budget of each search: a byoyomi in milliseconds or a number of nodes.
struct AnalysisLimits {
    std::int64_t byoyomiMs = 1000;
    std::int64_t nodes = -1;  // when set, replaces the byoyomi
    // The longest a search of a fixed number of nodes may take before it is stopped.
    std::int64_t nodesSearchCapMs = 600000;

    usi::GoLimits goLimits() const;
    // "byoyomi 1000", "nodes 100000": what the store keeps with the engine's name.
    std::string text() const;
};

// The positions a run analyses, in the order the records first reach them.
struct AnalysisPlan {
    struct Item {
        std::string packed;  // packBoard
        std::uint64_t key = 0;
    };
    std::vector<Item> items;
    // Per listed record (that has positions), the last item it needs; -1 when it needs none.
    std::vector<std::int32_t> lastItem;
    int records = 0;            // listed records that were looked at
    std::vector<int> skipped;   // slots without a line to replay (no moves, no set-up)
    std::size_t positions = 0;  // positions on the main lines, repeats counted
    std::size_t known = 0;      // of them, the ones the store held already

    // The records all of whose positions are among the first `done` items.
    int recordsDoneAfter(std::size_t done) const;
};

// Plans the analysis of the given slots (in that order): positions from ply 0 to maxPly (-1: to
// the end of the main line), without those the store holds unless redo is set.
AnalysisPlan planAnalysis(const Database& db, std::span<const std::int32_t> slots,
                          const EvaluationStore& store, int maxPly, bool redo);

// The position of a board with its piece list, for a search.
core::Position positionOfBoard(const ReplayBoard& board);

struct AnalysisProgress {
    std::size_t done = 0;    // items analysed and stored
    std::size_t failed = 0;  // items an engine gave no usable answer for
    std::size_t total = 0;   // items of the plan
    int recordsDone = 0;     // records all of whose positions are through
    int records = 0;
};

// How fast a run goes `elapsedMs` into it: items through (analysed or failed), items per second,
// and the time left as "1:02:03" or "2:03" ("?" before anything is through).
struct AnalysisPace {
    std::size_t through = 0;
    double perSecond = 0;
    std::string left;
};
AnalysisPace analysisPace(const AnalysisProgress& p, std::int64_t elapsedMs);

// The items of a plan handed out to the jobs; results go into the store and its file.
class AnalysisQueue {
public:
    // appender may be null (no file: a dry run or a test).
    AnalysisQueue(const AnalysisPlan& plan, EvaluationStore& store, EvaluationAppender* appender);

    // The next item to analyse; nullopt when all are handed out or the run is stopped.
    std::optional<std::size_t> take();
    // The result of an item: put into the store and appended to its file. False when the file
    // could not be written (the run then stops: nothing more would be kept).
    bool done(std::size_t item, Evaluation e, const EngineSetting& engine);
    // An item an engine gave no usable answer for.
    void failed(std::size_t item);

    // Stops handing out items; searches under way are dropped.
    void cancel() { m_cancelled.store(true); }
    bool cancelled() const { return m_cancelled.load(); }
    bool writeFailed() const;

    AnalysisProgress progress() const;
    const AnalysisPlan& plan() const { return m_plan; }

private:
    void through(std::size_t item);

    const AnalysisPlan& m_plan;
    EvaluationStore& m_store;
    EvaluationAppender* m_appender;
    mutable std::mutex m_mutex;
    std::atomic<bool> m_cancelled{false};
    std::size_t m_next = 0;
    std::vector<bool> m_through;
    std::size_t m_prefix = 0;  // items 0..m_prefix-1 are all through
    std::size_t m_done = 0;
    std::size_t m_failed = 0;
    bool m_writeFailed = false;
};

// One engine's part of a run: searches the items it takes from the queue, one after the other,
// and quits the engine when none is left or the run is stopped. Attach it to the engine whose
// events come here before the engine starts.
class AnalysisJob : public usi::UsiEvents {
public:
    using Clock = std::function<std::int64_t()>;
    AnalysisJob(AnalysisQueue& queue, AnalysisLimits limits, Clock clock);

    void attach(usi::UsiEngine& engine) { m_engine = &engine; }
    // Call it now and then while the engine runs: drops the search under way of a stopped run,
    // and stops a node-limited search that takes too long.
    void poll();

    // The last problem the engine reported; empty when none.
    const std::string& message() const { return m_message; }
    bool engineFailed() const { return m_failed; }
    // Positions this job stored.
    int stored() const { return m_stored; }

    void engineReady() override;
    void engineInfo(const usi::UsiInfo& info) override;
    void engineBestMove(const usi::UsiBestMove& best) override;
    void engineWarning(const std::string& message) override;
    void engineFailed(const std::string& message) override;

private:
    void next();

    AnalysisQueue& m_queue;
    AnalysisLimits m_limits;
    Clock m_clock;
    usi::UsiEngine* m_engine = nullptr;
    std::optional<std::size_t> m_item;
    ReplayBoard m_board;
    core::Position m_position;
    std::int64_t m_started = 0;
    bool m_capStopped = false;
    usi::UsiScore m_score;
    int m_depth = -1;
    std::int64_t m_nodes = -1;
    std::int64_t m_timeMs = -1;
    std::vector<std::string> m_pv;
    std::string m_message;
    bool m_failed = false;
    int m_stored = 0;
};

// Runs one session of an engine program for a job: starts the program with the job as the
// session's events (attach it to the session before starting), runs the session to its end and
// calls job.poll() now and then meanwhile. False, with the system's reason, when the program
// could not be started. Called on the job's own thread.
using EngineSessionRunner = std::function<bool(AnalysisJob& job, std::string& reason)>;

struct AnalysisJobOutcome {
    std::string problem;  // why the program could not run, or the last thing its engine said
    bool failed = false;  // the program could not start, or failed at least once
};

// How often in a row an engine may fail (crash, hang, leave) without storing a position before
// its job gives up; each failure costs the position it was searching.
inline constexpr int kMaxEngineFailuresInARow = 3;

// One engine program working through the queue until it is empty or the run stops; a program
// that fails is started again, so that one position that crashes it does not end the job.
AnalysisJobOutcome runAnalysisJob(AnalysisQueue& queue, const AnalysisLimits& limits,
                                  const AnalysisJob::Clock& clock,
                                  const EngineSessionRunner& session);

// Runs `jobs` engine programs on threads of their own until the queue is empty or the run is
// stopped, calling tick on the calling thread about every tickMs meanwhile (to show progress
// and pass on a cancel) and once more when all have ended. Gives each job's outcome.
std::vector<AnalysisJobOutcome> runAnalysisJobs(AnalysisQueue& queue, const AnalysisLimits& limits,
                                                const AnalysisJob::Clock& clock,
                                                const EngineSessionRunner& session,
                                                std::size_t jobs, int tickMs,
                                                const std::function<void()>& tick);

}  // namespace dalmir::model
