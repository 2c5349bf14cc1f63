#include "dalmir/logic/database_analysis_command.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <string_view>
#include <system_error>

#include "core/base/path_text.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "dalmir/logic/database_session.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/tree/opening_tree.h"

namespace dalmir {

namespace {

constexpr std::int64_t kMostByoyomiMs = 24LL * 3600 * 1000;
constexpr std::int64_t kMostNodes = 2000000000LL;
constexpr int kMostJobs = 256;
// How often the status bar's line is written while the run goes.
constexpr int kProgressMs = 500;

// The text with "%1", "%2"… replaced by the arguments in turn.
std::string fill(const char* text, std::initializer_list<std::string_view> args) {
    std::string out = text;
    int n = 1;
    for (std::string_view arg : args) {
        const std::string mark = "%" + std::to_string(n++);
        const std::size_t at = out.find(mark);
        if (at != std::string::npos) out.replace(at, mark.size(), arg);
    }
    return out;
}

// What a run leaves for the GUI thread.
struct AnalysisRun {
    explicit AnalysisRun(std::size_t records)
        : snapshot(static_cast<int>(std::max<std::size_t>(records, 1))) {}
    model::Database snapshot;
    std::vector<std::int32_t> slots;
    std::string storePath;
    std::string storeProblem;  // the store could not be opened: nothing ran
    std::vector<std::string> notes;
    std::vector<int> unread;  // snapshot slots whose files could not be read
    model::AnalysisProgress progress;
    std::size_t planned = 0;
    std::size_t known = 0;
    bool cancelled = false;
    bool writeFailed = false;
    std::vector<std::string> problems;  // the engines' (UTF-8), each once
    std::shared_ptr<model::EvaluationStore> store = std::make_shared<model::EvaluationStore>();
};

std::string storeOpenProblem(model::AppendOpenResult r, const std::string& path) {
    const std::string reason = std::generic_category().message(errno);
    const std::string shown = core::toUtf8Lossy(path);
    switch (r) {
        case model::AppendOpenResult::Ok:
            return {};
        case model::AppendOpenResult::Busy:
            return fill(core::translate("評価値ファイル(%1)は、ほかの解析が書き込み中です。"),
                        {shown});
        case model::AppendOpenResult::NotStore:
            return fill(core::translate("ファイル(%1)は、この版の評価値ファイルではありません。"),
                        {shown}) +
                   core::translate("そのままにしておきます。");
        case model::AppendOpenResult::CannotLock:
        case model::AppendOpenResult::CannotWrite:
        case model::AppendOpenResult::CannotRead:
            break;
    }
    return fill(core::translate("評価値ファイル(%1)を開けませんでした。(%2)"), {shown, reason});
}

}  // namespace

AnalysisRequest analysisRequestOf(const AnalysisSettings& s) {
    AnalysisRequest r;
    r.engine = s.engine;
    r.byNodes = s.byNodes;
    r.byoyomiMs = s.byoyomiMs;
    r.nodes = s.nodes;
    r.jobs = s.jobs;
    r.maxPly = s.maxPly;
    return r;
}

void rememberAnalysisRequest(const AnalysisRequest& r, AnalysisSettings& s) {
    s.engine = r.engine;
    s.byNodes = r.byNodes;
    s.byoyomiMs = static_cast<int>(std::clamp<std::int64_t>(r.byoyomiMs, 1, kMostByoyomiMs));
    s.nodes = static_cast<int>(std::clamp<std::int64_t>(r.nodes, 1, kMostNodes));
    s.jobs = std::clamp(r.jobs, 0, kMostJobs);
    s.maxPly = std::max(r.maxPly, -1);
}

std::optional<std::string> analysisRequestProblem(const AnalysisRequest& r) {
    if (r.engine.empty()) return core::translate("エンジンを選んでください。");
    std::error_code ec;
    const std::string shown = core::toUtf8Lossy(r.engine);
    if (!std::filesystem::is_regular_file(r.engine, ec) || ::access(r.engine.c_str(), X_OK) != 0) {
        return fill(core::translate("エンジン(%1)を実行できません。"), {shown});
    }
    if (r.byNodes ? (r.nodes < 1 || r.nodes > kMostNodes)
                  : (r.byoyomiMs < 1 || r.byoyomiMs > kMostByoyomiMs)) {
        return r.byNodes ? core::translate("ノード数は 1 以上にしてください。")
                         : core::translate("秒読みは 1 ミリ秒以上、24 時間以下にしてください。");
    }
    if (r.jobs < 0 || r.jobs > kMostJobs) {
        return fill(core::translate("エンジンの数は 0 から %1 までにしてください。"),
                    {std::to_string(kMostJobs)});
    }
    if (r.maxPly < -1) return core::translate("最大手数が正しくありません。");
    return std::nullopt;
}

std::string analysisProgressText(const model::AnalysisProgress& p, std::int64_t elapsedMs) {
    const model::AnalysisPace pace = model::analysisPace(p, elapsedMs);
    const std::size_t through = pace.through;
    const std::string& left = pace.left;
    const int percent = p.total > 0 ? static_cast<int>(100 * through / p.total) : 100;
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.1f", pace.perSecond);
    return fill(core::translate("解析中 棋譜 %1/%2 局面 %3/%4 (%5%) %6局面/秒 残り %7"),
                {std::to_string(p.recordsDone), std::to_string(p.records), std::to_string(through),
                 std::to_string(p.total), std::to_string(percent), speed, left});
}

std::size_t analysisJobCount(int asked, std::size_t positions, unsigned cores) {
    const std::size_t wanted =
        asked > 0 ? static_cast<std::size_t>(asked) : std::max<std::size_t>(1, cores);
    return std::min(wanted, positions);
}

DatabaseAnalysisCommand::DatabaseAnalysisCommand(model::Database& db, DalmirUi& ui,
                                                 Sessions sessions, Clock clock, unsigned cores)
    : m_db(db),
      m_ui(ui),
      m_sessions(std::move(sessions)),
      m_clock(std::move(clock)),
      m_cores(cores) {}

bool DatabaseAnalysisCommand::start(const AnalysisRequest& request,
                                    const std::vector<std::int32_t>& slots) {
    if (auto problem = analysisRequestProblem(request)) {
        m_ui.showMessage(*problem);
        return false;
    }
    const std::string dbPath = model::fileSystemFromStored(m_db.table().path());
    if (dbPath.empty()) {
        // The store lies beside the database's file: a new database has none yet.
        m_ui.showMessage(core::translate("データベースを保存してから解析してください。"));
        return false;
    }
    if (slots.empty()) {
        m_ui.showMessage(core::translate("解析する棋譜がありません。"));
        return false;
    }

    // The worker reads a copy of the records asked for, so that the window's database stays
    // its own while the run goes (the engines may take hours).
    auto run = std::make_shared<AnalysisRun>(slots.size());
    run->snapshot.reset(m_db.isBinary());
    run->snapshot.table().setPath(m_db.table().path());
    for (std::int32_t slot : slots) {
        if (slot < 0 || slot >= m_db.table().size()) continue;
        std::vector<model::ListMove> list;
        if (m_db.isBinary()) {
            const auto moves = m_db.lists().list(slot);
            list.assign(moves.begin(), moves.end());
        }
        const int copy = run->snapshot.append(m_db.table().entry(slot), std::move(list));
        if (copy >= 0) run->slots.push_back(copy);
    }
    run->storePath = model::evaluationStorePath(dbPath);

    model::AnalysisLimits limits;
    if (request.byNodes) {
        limits.nodes = request.nodes;
    } else {
        limits.byoyomiMs = request.byoyomiMs;
    }
    BackgroundJob job;
    job.kind = BackgroundWork::Analysing;
    job.path = core::toUtf8Lossy(dbPath);
    job.cancellable = true;
    job.work = [run, request, limits, session = m_sessions(request.engine, request.options),
                clock = m_clock, cores = m_cores](model::OperationHost& host) {
        model::EvaluationAppender appender;
        model::EvaluationReadReport report;
        const model::AppendOpenResult opened = appender.open(run->storePath, *run->store, report);
        if (opened != model::AppendOpenResult::Ok) {
            run->storeProblem = storeOpenProblem(opened, run->storePath);
            return;
        }
        if (report.tornBytes > 0) {
            run->notes.push_back(fill(
                core::translate(
                    "評価値ファイルの最後の書きかけの記録(%1バイト)は、読み込みませんでした。"),
                {std::to_string(report.tornBytes)}));
        }
        if (report.result == model::EvaluationReadResult::Damaged) {
            run->notes.push_back(
                fill(core::translate("評価値ファイルの壊れた部分(%1バイト)は読めませんでした。"),
                     {std::to_string(report.damagedBytes)}) +
                fill(core::translate("元のファイルは %1 として残しました。"),
                     {core::toUtf8Lossy(appender.damagedCopy())}));
        }
        if (!run->snapshot.isBinary()) {
            run->unread = model::readMainLines(run->snapshot, run->slots);
        }
        const model::AnalysisPlan plan = model::planAnalysis(run->snapshot, run->slots, *run->store,
                                                             request.maxPly, request.redo);
        run->planned = plan.items.size();
        run->known = plan.known;
        model::AnalysisQueue queue(plan, *run->store, &appender);
        const std::int64_t started = clock();
        std::int64_t shown = started;
        const auto outcomes = model::runAnalysisJobs(
            queue, limits, clock, session, analysisJobCount(request.jobs, plan.items.size(), cores),
            100, [&] {
                if (host.cancelRequested()) queue.cancel();
                const std::int64_t now = clock();
                if (now - shown >= kProgressMs) {
                    shown = now;
                    host.status(analysisProgressText(queue.progress(), now - started));
                }
            });
        run->progress = queue.progress();
        run->cancelled = queue.cancelled();
        run->writeFailed = queue.writeFailed();
        std::set<std::string> told;
        for (const model::AnalysisJobOutcome& o : outcomes) {
            if (!o.problem.empty() && told.insert(o.problem).second) {
                run->problems.push_back(core::toUtf8Lossy(o.problem));
            }
        }
        if (run->writeFailed) {
            appender.close();  // what was appended stays
        } else if (appender.finish(*run->store) != core::WriteResult::Ok) {
            run->writeFailed = true;
        }
    };
    job.done = [this, run] {
        if (!run->storeProblem.empty()) {
            m_ui.showMessage(run->storeProblem);
            m_ui.stateChanged();
            return;
        }
        std::vector<std::string> lines = run->notes;
        for (int slot : run->unread) {
            lines.push_back(fill(core::translate("棋譜(%1)を読めませんでした。"),
                                 {core::toUtf8Lossy(model::fileSystemFromStored(
                                     run->snapshot.table().entry(slot).path()))}));
        }
        for (const std::string& p : run->problems) lines.push_back(p);
        if (run->writeFailed) {
            lines.push_back(fill(core::translate("評価値ファイル(%1)に書き込めませんでした。"),
                                 {core::toUtf8Lossy(run->storePath)}) +
                            core::translate("書き込めた局面は残っています。"));
        }
        const model::AnalysisProgress& p = run->progress;
        const char* stopped = core::translate("%1局面のうち%2局面を解析し、保存しました。");
        const char* finished =
            core::translate("%1局面のうち%2局面を解析しました(解析済みの%3局面を除く)。");
        const std::string summary =
            run->cancelled ? core::translate("解析を中止しました。") +
                                 fill(stopped, {std::to_string(p.total), std::to_string(p.done)})
                           : core::translate("解析が終わりました。") +
                                 fill(finished, {std::to_string(p.total), std::to_string(p.done),
                                                 std::to_string(run->known)});
        m_ui.setStatusText(summary);
        const bool missing = !run->cancelled && p.done < p.total;
        if (missing) {
            lines.push_back(fill(core::translate("%1局面を解析できませんでした。"),
                                 {std::to_string(p.total - p.done)}));
        }
        if (!lines.empty()) {
            if (lines.size() <= kMessagesInOneBox) {
                std::string text = summary;
                for (const std::string& line : lines) text += "\n" + line;
                m_ui.showMessage(text);
            } else {
                m_ui.showMessageList(summary, lines);
            }
        }
        if (m_storeChanged) m_storeChanged(run->store);
        m_ui.stateChanged();
    };
    if (!m_ui.runInBackground(std::move(job))) {
        m_ui.beep();
        return false;
    }
    return true;
}

}  // namespace dalmir
