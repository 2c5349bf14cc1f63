// 棋譜の解析 from the window: the listed or the selected records' main lines analysed by a USI
// engine on a worker, with progress in the status bar and Cancel, the results kept in the
// database's evaluation store as they come (a cancelled or failed run keeps everything done).
// The engine programs are run by whoever gives the sessions (the window: child processes).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dalmir/logic/app_settings.h"
#include "dalmir/logic/dalmir_ui.h"
#include "dalmir/model/analysis/database_analysis.h"
#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/store/database.h"

namespace dalmir {

// What the analysis dialog asks for.
struct AnalysisRequest {
    std::string engine;  // the engine program (file-system path)
    bool byNodes = false;
    std::int64_t byoyomiMs = 1000;
    std::int64_t nodes = 100000;
    int jobs = 0;     // 0: one per core
    int maxPly = -1;  // -1: to the end of the main line
    bool redo = false;
    bool selectedOnly = false;
    std::vector<std::pair<std::string, std::string>> options;  // USI options set at the start
};

// The dialog opens with the last choices; what it was given is kept for the next time.
AnalysisRequest analysisRequestOf(const AnalysisSettings& settings);
void rememberAnalysisRequest(const AnalysisRequest& request, AnalysisSettings& settings);

// Why a request can't run (UTF-8): no engine, a program that is missing or can't be run, a
// budget or a number of engines out of range. nullopt when it can.
std::optional<std::string> analysisRequestProblem(const AnalysisRequest& request);

// The status bar's line while the run goes: records and positions through, the share done,
// positions per second and the time left.
std::string analysisProgressText(const model::AnalysisProgress& p, std::int64_t elapsedMs);

// The engines a run starts: as many as asked (the cores when 0), never more than the positions.
std::size_t analysisJobCount(int asked, std::size_t positions, unsigned cores);

class DatabaseAnalysisCommand {
public:
    using Clock = std::function<std::int64_t()>;  // milliseconds, steady
    // A session of the engine program with these start options, for one job.
    using Sessions = std::function<model::EngineSessionRunner(
        const std::string& program, const std::vector<std::pair<std::string, std::string>>&)>;
    // The store the run leaves, on the GUI thread at its end (for the list's figures).
    using StoreChanged = std::function<void(std::shared_ptr<const model::EvaluationStore>)>;

    DatabaseAnalysisCommand(model::Database& db, DalmirUi& ui, Sessions sessions, Clock clock,
                            unsigned cores);
    void setStoreChanged(StoreChanged changed) { m_storeChanged = std::move(changed); }

    // Starts the analysis of the records in slots (their list order); false, with a message
    // saying why, when nothing was started.
    bool start(const AnalysisRequest& request, const std::vector<std::int32_t>& slots);

private:
    model::Database& m_db;
    DalmirUi& m_ui;
    Sessions m_sessions;
    Clock m_clock;
    unsigned m_cores;
    StoreChanged m_storeChanged;
};

}  // namespace dalmir
