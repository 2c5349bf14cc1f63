#include "cli/dalmir/dalmir_analyse.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>

#include "cli/common/cli_common.h"
#include "cli/common/engine_run.h"
#include "core/base/path_text.h"
#include "dalmir/model/analysis/database_analysis.h"
#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/tree/opening_tree.h"

namespace cli {

namespace {

namespace fs = std::filesystem;
using namespace dalmir::model;

constexpr const char* kProgram = "dalmir-cli";
constexpr int kMaxJobs = 256;

std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int) { g_interrupted.store(true); }

int usageProblem(const std::string& problem) {
    std::fprintf(stderr, "%s: %s\n", kProgram, problem.c_str());
    std::fprintf(stderr, "Try '%s analyse --help'.\n", kProgram);
    return kExitUsage;
}

std::int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void say(const std::string& utf8, bool sjis) {
    std::fprintf(stderr, "%s: %s\n", kProgram,
                 printable(utf8, sjis ? Encoding::Sjis : Encoding::Utf8).c_str());
}

// The progress line: records and positions through, positions per second and the time left.
std::string progressLine(const AnalysisProgress& p, std::int64_t elapsedMs) {
    const AnalysisPace pace = analysisPace(p, elapsedMs);
    char text[160];
    std::snprintf(text, sizeof text, "records %d/%d  positions %zu/%zu  %.1f/s  left %s",
                  p.recordsDone, p.records, pace.through, p.total, pace.perSecond,
                  pace.left.c_str());
    return text;
}

// Opens the database and gives a text database its main lines from the records' files.
bool openForAnalysis(Database& db, const AnalyseCommandLine& c, int& unread) {
    const DatabaseKind kind = databaseKindOf(c.dbPath);
    if (kind == DatabaseKind::Unknown) {
        say(openErrorMessage(OpenResult::NotDatabase, std::string(c.dbPath)), c.sjis);
        return false;
    }
    const std::string base(core::withoutExtension(c.dbPath));
    const bool exists =
        fs::exists(c.dbPath) ||
        (kind == DatabaseKind::Binary && (fs::exists(base + ".KIX") || fs::exists(base + ".kix")));
    OpenReport r;
    if (exists) r = openDatabase(db, c.dbPath);
    if (!exists || r.code != OpenResult::Ok) {
        std::fprintf(
            stderr, "%s\n",
            printable(withSystemReason(openErrorMessage(exists ? r.code : OpenResult::CannotOpen,
                                                        argumentText(c.dbPath)),
                                       c.dbPath),
                      c.sjis ? Encoding::Sjis : Encoding::Utf8)
                .c_str());
        return false;
    }
    for (const std::string& notice : r.notices) say(notice, c.sjis);
    for (const DlsMessage& m : r.index.messages) say(m.text, c.sjis);
    const std::vector<int> missed = readMainLines(db);
    for (int slot : missed)
        say("cannot read " + std::string(db.table().entry(slot).path()), c.sjis);
    unread = static_cast<int>(missed.size());
    return true;
}

// Says what reading the store found; false when the run cannot go on.
bool openStore(const std::string& path, EvaluationStore& store, EvaluationAppender& appender,
               bool sjis) {
    EvaluationReadReport report;
    const AppendOpenResult r = appender.open(path, store, report);
    const std::string reason = std::generic_category().message(errno);
    switch (r) {
        case AppendOpenResult::Ok:
            break;
        case AppendOpenResult::Busy:
            say(path + " is being written by another analysis", sjis);
            return false;
        case AppendOpenResult::CannotLock:
            say("cannot lock " + path + ": " + reason, sjis);
            return false;
        case AppendOpenResult::CannotWrite:
            say("cannot write " + path + ": " + reason, sjis);
            return false;
        case AppendOpenResult::CannotRead:
            say("cannot read " + path + ": " + reason, sjis);
            return false;
        case AppendOpenResult::NotStore:
            say(path + " is no evaluation store of this version; it is left as it is", sjis);
            return false;
    }
    if (report.tornBytes > 0) {
        say(path + ": the unfinished last record of a stopped run (" +
                std::to_string(report.tornBytes) + " bytes) was left out",
            sjis);
    }
    if (report.result == EvaluationReadResult::Damaged) {
        say(path + ": " + std::to_string(report.damagedBytes) + " damaged bytes from offset " +
                std::to_string(report.firstDamage) + " could not be read; the file was kept as " +
                appender.damagedCopy() + " and written again without them",
            sjis);
    }
    return true;
}

// One session of the engine program as a child process, fed until it ends.
EngineSessionRunner childSession(const AnalyseCommandLine& c, const fs::path& program) {
    return [&c, program](AnalysisJob& job, std::string& reason) {
        ChildProcess child;
        if (!child.start(program.string(), {program.string()}, program.parent_path().string(),
                         reason)) {
            reason = c.engine + ": " + reason;
            return false;
        }
        ChildLink link(child);
        usi::UsiEngine engine(link, job, steadyMs);
        engine.setStartOptions(c.options);
        job.attach(engine);
        engine.start();
        runEngine(child, engine, steadyMs, 1000, [&job] { job.poll(); });
        return true;
    };
}

int runAnalyse(const AnalyseCommandLine& c) {
    std::error_code ec;
    const fs::path program = fs::absolute(c.engine, ec);
    if (ec || ::access(program.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, c.engine.c_str(),
                     (ec ? ec : std::error_code(errno, std::generic_category())).message().c_str());
        return kExitFile;
    }
    Database db;
    int unread = 0;
    if (!openForAnalysis(db, c, unread)) return kExitFile;

    const std::string storePath = evaluationStorePath(c.dbPath);
    EvaluationStore store;
    EvaluationAppender appender;
    if (!openStore(storePath, store, appender, c.sjis)) return kExitFile;

    const std::vector<std::int32_t> listed = db.table().displayOrder();
    const AnalysisPlan plan = planAnalysis(db, listed, store, c.maxPly, c.redo);
    std::fprintf(stderr,
                 "%s: %d records, %zu positions on their main lines, %zu analysed before, %zu "
                 "to analyse\n",
                 kProgram, plan.records, plan.positions, plan.known, plan.items.size());
    if (!plan.skipped.empty()) {
        std::fprintf(stderr, "%s: %zu records have no line to analyse (no moves or no set-up)\n",
                     kProgram, plan.skipped.size());
    }

    AnalysisLimits limits;
    if (c.byoyomi) limits.byoyomiMs = *c.byoyomi;
    if (c.nodes) limits.nodes = *c.nodes;
    AnalysisQueue queue(plan, store, &appender);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const std::size_t jobs = std::min<std::size_t>(
        static_cast<std::size_t>(c.jobs > 0 ? c.jobs : cores), plan.items.size());

    struct sigaction action {};
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &oldInt);
    ::sigaction(SIGTERM, &action, &oldTerm);

    const std::int64_t started = steadyMs();
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    std::int64_t lastShown = started;
    bool shown = false;
    const std::vector<AnalysisJobOutcome> outcomes =
        runAnalysisJobs(queue, limits, steadyMs, childSession(c, program), jobs, 100, [&] {
            if (g_interrupted.load()) queue.cancel();
            const std::int64_t now = steadyMs();
            if (now - lastShown >= (terminal ? 500 : 5000)) {
                lastShown = now;
                shown = true;
                std::fprintf(stderr, terminal ? "\r%s\033[K" : "%s\n",
                             progressLine(queue.progress(), now - started).c_str());
            }
        });
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
    if (shown && terminal) std::fputc('\n', stderr);
    const AnalysisProgress p = queue.progress();
    std::fprintf(stderr, "%s: %s\n", kProgram, progressLine(p, steadyMs() - started).c_str());

    bool failed = unread > 0;
    std::set<std::string> told;
    for (const AnalysisJobOutcome& o : outcomes) {
        failed = failed || o.failed;
        if (!o.problem.empty() && told.insert(o.problem).second) say(o.problem, c.sjis);
    }
    if (queue.writeFailed()) {
        say("cannot write " + storePath + ": " + std::generic_category().message(errno), c.sjis);
        appender.close();
        return kExitFile;
    }
    if (appender.finish(store) != core::WriteResult::Ok) {
        // The records appended during the run are in the file all the same.
        say("cannot write " + storePath + " afresh; its records are kept as they were appended",
            c.sjis);
        failed = true;
    }
    const std::size_t missing = p.total - p.done;
    if (missing > 0) {
        std::fprintf(stderr, "%s: %zu of %zu positions were not analysed%s\n", kProgram, missing,
                     p.total, g_interrupted.load() ? " (stopped)" : "");
    }
    if (g_interrupted.load()) return kExitStopped;
    return failed || missing > 0 ? kExitFile : kExitOk;
}

}  // namespace

std::optional<std::string> parseAnalyseCommandLine(const std::vector<std::string>& args,
                                                   AnalyseCommandLine& out) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--engine" || a == "--byoyomi" || a == "--nodes" ||
                                a == "--jobs" || a == "--max-ply" || a == "--option" ||
                                a == "--encoding";
        if (a.size() > 1 && a[0] == '-' && !takesValue && a != "--redo") {
            return "unknown option " + a;
        }
        if (a == "--redo") {
            out.redo = true;
            continue;
        }
        if (!takesValue) {
            words.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) return a + " needs a value";
        const std::string& v = args[++i];
        const auto number = [&](long long least, long long most) -> std::optional<long long> {
            auto n = parseInt(v);
            if (!n || *n < least || *n > most) return std::nullopt;
            return static_cast<long long>(*n);
        };
        if (a == "--engine") {
            out.engine = v;
        } else if (a == "--byoyomi") {
            out.byoyomi = number(1, 24LL * 3600 * 1000);
            if (!out.byoyomi) return "--byoyomi needs milliseconds (1 or more)";
        } else if (a == "--nodes") {
            out.nodes = number(1, 2000000000LL);
            if (!out.nodes) return "--nodes needs a number (1 or more)";
        } else if (a == "--jobs") {
            auto n = number(1, kMaxJobs);
            if (!n) return "--jobs needs a number from 1 to " + std::to_string(kMaxJobs);
            out.jobs = static_cast<int>(*n);
        } else if (a == "--max-ply") {
            auto n = number(0, 100000);
            if (!n) return "--max-ply needs a number";
            out.maxPly = static_cast<int>(*n);
        } else if (a == "--option") {
            const std::size_t eq = v.find('=');
            if (eq == std::string::npos || eq == 0) return "--option needs NAME=VALUE";
            out.options.emplace_back(v.substr(0, eq), v.substr(eq + 1));
        } else if (a == "--encoding") {
            if (v != "utf8" && v != "sjis") return "--encoding is utf8 or sjis";
            out.sjis = v == "sjis";
        }
    }
    if (words.empty() || words[0] != "analyse") return "not the analyse command";
    if (words.size() != 2) return "analyse needs DB (and nothing more)";
    out.dbPath = words[1];
    if (out.engine.empty()) return "analyse needs --engine PATH";
    if (out.byoyomi && out.nodes) return "give --byoyomi or --nodes, not both";
    return std::nullopt;
}

std::optional<int> runAnalyseCommand(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string command;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!a.empty() && a[0] == '-') {
            if (a == "--engine" || a == "--byoyomi" || a == "--nodes" || a == "--jobs" ||
                a == "--max-ply" || a == "--option" || a == "--encoding") {
                ++i;
            }
            continue;
        }
        command = a;
        break;
    }
    if (command != "analyse") return std::nullopt;
    AnalyseCommandLine line;
    if (auto problem = parseAnalyseCommandLine(args, line)) return usageProblem(*problem);
    return runAnalyse(line);
}

}  // namespace cli
