#include "dalmir/model/analysis/database_analysis.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <thread>
#include <unordered_map>

#include "core/formats/usi.h"
#include "dalmir/model/tree/opening_tree.h"

namespace dalmir::model {

namespace {

constexpr const char* kNoScoreMessage =
    "the engine answered some positions without a score (from its book?); they were not stored";

}  // namespace

usi::GoLimits AnalysisLimits::goLimits() const {
    usi::GoLimits g;
    if (nodes > 0) {
        g.nodes = nodes;
    } else {
        g.blackTime = 0;
        g.whiteTime = 0;
        g.byoyomi = std::max<std::int64_t>(byoyomiMs, 0);
    }
    return g;
}

std::string AnalysisLimits::text() const {
    return nodes > 0 ? "nodes " + std::to_string(nodes)
                     : "byoyomi " + std::to_string(std::max<std::int64_t>(byoyomiMs, 0));
}

int AnalysisPlan::recordsDoneAfter(std::size_t done) const {
    // lastItem is kept sorted by planAnalysis for this count.
    const auto end =
        std::lower_bound(lastItem.begin(), lastItem.end(), static_cast<std::int64_t>(done),
                         [](std::int32_t a, std::int64_t b) { return a < b; });
    return static_cast<int>(end - lastItem.begin());
}

AnalysisPlan planAnalysis(const Database& db, std::span<const std::int32_t> slots,
                          const EvaluationStore& store, int maxPly, bool redo) {
    AnalysisPlan plan;
    std::unordered_multimap<std::uint64_t, std::uint32_t> planned;
    const IndexTable& table = db.table();
    for (const std::int32_t slot : slots) {
        if (slot < 0 || slot >= table.size()) continue;
        ++plan.records;
        ReplayBoard board;
        const std::span<const ListMove> list =
            slot < db.lists().size() ? db.lists().list(slot) : std::span<const ListMove>();
        if (list.empty() || !startBoard(table.entry(slot).handicap, board)) {
            plan.skipped.push_back(slot);
            continue;
        }
        std::int32_t last = -1;
        const auto visit = [&] {
            ++plan.positions;
            std::string packed = packBoard(board);
            const std::uint64_t key = evaluationKey(board);
            if (!redo && store.find(key, packed) != nullptr) {
                ++plan.known;
                return;
            }
            auto [from, to] = planned.equal_range(key);
            for (auto it = from; it != to; ++it) {
                if (plan.items[it->second].packed == packed) {
                    last = std::max<std::int32_t>(last, static_cast<std::int32_t>(it->second));
                    return;
                }
            }
            const auto index = static_cast<std::uint32_t>(plan.items.size());
            planned.emplace(key, index);
            plan.items.push_back({std::move(packed), key});
            last = static_cast<std::int32_t>(index);
        };
        visit();
        ReplayStep step;
        int ply = 0;
        for (const ListMove m : list) {
            if (maxPly >= 0 && ply >= maxPly) break;
            if (m.isClosing() || !playListMove(board, m, step)) break;
            ++ply;
            visit();
        }
        plan.lastItem.push_back(last);
    }
    std::sort(plan.lastItem.begin(), plan.lastItem.end());
    return plan;
}

core::Position positionOfBoard(const ReplayBoard& board) {
    core::Position pos;
    core::clearPosition(pos);
    for (int sq = 11; sq <= 99; ++sq) {
        if (core::isSquare(sq))
            pos.cells[static_cast<std::size_t>(sq)] = board.cells[static_cast<std::size_t>(sq)];
    }
    int slot = core::kFirstHandSlot;
    for (int side = 1; side >= 0; --side) {
        const core::SideByte owner = side == 1 ? core::kSideBlack : core::kSideWhite;
        for (int type = 1; type <= 8; ++type) {
            const int n =
                board.hand[static_cast<std::size_t>(side)][static_cast<std::size_t>(type)];
            for (int i = 0; i < n && slot < core::kHandSlotEnd; ++i) {
                pos.cells[static_cast<std::size_t>(slot++)] = core::makePiece(owner, type);
            }
        }
    }
    pos.handEnd = static_cast<std::uint8_t>(slot);
    core::buildPieceList(pos);
    pos.sideToMove = board.sideToMove;
    return pos;
}

AnalysisQueue::AnalysisQueue(const AnalysisPlan& plan, EvaluationStore& store,
                             EvaluationAppender* appender)
    : m_plan(plan), m_store(store), m_appender(appender), m_through(plan.items.size(), false) {}

std::optional<std::size_t> AnalysisQueue::take() {
    std::lock_guard lock(m_mutex);
    if (m_cancelled.load() || m_next >= m_plan.items.size()) return std::nullopt;
    return m_next++;
}

void AnalysisQueue::through(std::size_t item) {
    m_through[item] = true;
    while (m_prefix < m_through.size() && m_through[m_prefix]) ++m_prefix;
}

bool AnalysisQueue::done(std::size_t item, Evaluation e, const EngineSetting& engine) {
    std::lock_guard lock(m_mutex);
    const std::size_t known = m_store.engines().size();
    e.engine = m_store.engineIndex(engine);
    bool written = true;
    if (m_appender != nullptr) {
        if (m_store.engines().size() > known) {
            written = m_appender->appendEngine(e.engine, m_store.engines()[e.engine]);
        }
        written = written && m_appender->append(e);
    }
    if (!written) {
        m_writeFailed = true;
        m_cancelled.store(true);
        return false;
    }
    m_store.put(std::move(e));
    ++m_done;
    through(item);
    return true;
}

void AnalysisQueue::failed(std::size_t item) {
    std::lock_guard lock(m_mutex);
    ++m_failed;
    through(item);
}

bool AnalysisQueue::writeFailed() const {
    std::lock_guard lock(m_mutex);
    return m_writeFailed;
}

AnalysisPace analysisPace(const AnalysisProgress& p, std::int64_t elapsedMs) {
    AnalysisPace pace;
    pace.through = p.done + p.failed;
    pace.perSecond =
        elapsedMs > 0 ? 1000.0 * static_cast<double>(pace.through) / static_cast<double>(elapsedMs)
                      : 0.0;
    pace.left = "?";
    if (pace.perSecond > 0 && p.total >= pace.through) {
        const auto seconds =
            static_cast<long long>(static_cast<double>(p.total - pace.through) / pace.perSecond);
        char text[32];
        if (seconds >= 3600) {
            std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600,
                          seconds / 60 % 60, seconds % 60);
        } else {
            std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
        }
        pace.left = text;
    }
    return pace;
}

AnalysisProgress AnalysisQueue::progress() const {
    std::lock_guard lock(m_mutex);
    AnalysisProgress p;
    p.done = m_done;
    p.failed = m_failed;
    p.total = m_plan.items.size();
    p.records = static_cast<int>(m_plan.lastItem.size());
    p.recordsDone = m_plan.recordsDoneAfter(m_prefix);
    return p;
}

AnalysisJob::AnalysisJob(AnalysisQueue& queue, AnalysisLimits limits, Clock clock)
    : m_queue(queue), m_limits(limits), m_clock(std::move(clock)) {}

void AnalysisJob::engineReady() { next(); }

void AnalysisJob::next() {
    m_item.reset();
    if (m_engine == nullptr || m_failed) return;
    m_item = m_queue.take();
    if (!m_item) {
        m_engine->quit();
        return;
    }
    const AnalysisPlan::Item& item = m_queue.plan().items[*m_item];
    if (!unpackBoard(item.packed, m_board)) {
        m_queue.failed(*m_item);  // never: the plan packed it
        return next();
    }
    m_position = positionOfBoard(m_board);
    m_score = {};
    m_depth = -1;
    m_nodes = -1;
    m_timeMs = -1;
    m_pv.clear();
    m_capStopped = false;
    m_started = m_clock();
    m_engine->go(m_position, "position sfen " + core::sfen(m_position, 1), m_limits.goLimits());
}

void AnalysisJob::engineInfo(const usi::UsiInfo& info) {
    if (!m_item || info.multiPv > 1) return;
    if (info.score.kind != usi::UsiScore::Kind::None) {
        m_score = info.score;
        m_depth = info.depth;
    }
    if (!info.pv.empty()) m_pv = info.pv;
    if (info.nodes >= 0) m_nodes = info.nodes;
    if (info.timeMs >= 0) m_timeMs = info.timeMs;
}

void AnalysisJob::engineBestMove(const usi::UsiBestMove& best) {
    if (!m_item) return;
    if (m_queue.cancelled()) {
        m_item.reset();
        m_engine->quit();
        return;
    }
    Evaluation e;
    e.position = m_queue.plan().items[*m_item].packed;
    e.score = m_score;
    e.depth = m_depth;
    e.nodes = m_nodes;
    e.timeMs = static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(m_timeMs >= 0 ? m_timeMs : m_clock() - m_started, 0, UINT32_MAX));
    if (best.kind == usi::UsiBestMove::Kind::Move && m_score.kind == usi::UsiScore::Kind::None) {
        // A move without a score (from the engine's book, say) says nothing of the position:
        // it stays unanalysed, for a later run.
        m_message = kNoScoreMessage;
        m_queue.failed(*m_item);
        next();
        return;
    }
    switch (best.kind) {
        case usi::UsiBestMove::Kind::Move:
            e.best = listMoveOfUsi(m_board, best.move, e.bestMove) ? BestMoveKind::Move
                                                                   : BestMoveKind::None;
            if (m_pv.empty()) m_pv = {best.move};
            break;
        case usi::UsiBestMove::Kind::Resign:
            e.best = BestMoveKind::Resign;
            break;
        case usi::UsiBestMove::Kind::Win:
            e.best = BestMoveKind::Win;
            break;
    }
    // The legal beginning of the PV, as the lists keep moves.
    const int illegal = usi::firstIllegalPvMove(m_position, m_pv);
    if (illegal >= 0) m_pv.resize(static_cast<std::size_t>(illegal));
    ReplayBoard board = m_board;
    ReplayStep step;
    for (const std::string& word : m_pv) {
        ListMove m;
        if (e.pv.size() >= kShortPvMoves || !listMoveOfUsi(board, word, m) ||
            !playListMove(board, m, step)) {
            break;
        }
        e.pv.push_back(m);
    }
    const std::size_t item = *m_item;
    m_item.reset();
    const std::string name = m_engine->name().empty() ? std::string("?") : m_engine->name();
    if (!m_queue.done(item, std::move(e), EngineSetting{name, m_limits.text()})) {
        m_engine->quit();
        return;
    }
    ++m_stored;
    next();
}

void AnalysisJob::engineWarning(const std::string& message) {
    m_message = message;
    // An answer that ended the search but could not be used: the position goes without.
    if (m_item && m_engine && m_engine->state() == usi::UsiEngine::State::Ready) {
        m_queue.failed(*m_item);
        next();
    }
}

void AnalysisJob::engineFailed(const std::string& message) {
    m_message = message;
    m_failed = true;
    if (m_item) m_queue.failed(*m_item);
    m_item.reset();
}

void AnalysisJob::poll() {
    if (m_engine == nullptr) return;
    const auto state = m_engine->state();
    if (state == usi::UsiEngine::State::Ended || state == usi::UsiEngine::State::Quitting) return;
    if (m_queue.cancelled()) {
        m_item.reset();
        m_engine->quit();
        return;
    }
    if (m_limits.nodes > 0 && m_engine->searching() && !m_capStopped &&
        m_clock() - m_started > m_limits.nodesSearchCapMs) {
        m_capStopped = true;
        m_engine->stop();
    }
}

AnalysisJobOutcome runAnalysisJob(AnalysisQueue& queue, const AnalysisLimits& limits,
                                  const AnalysisJob::Clock& clock,
                                  const EngineSessionRunner& session) {
    AnalysisJobOutcome outcome;
    int failures = 0;
    while (!queue.cancelled()) {
        AnalysisJob job(queue, limits, clock);
        std::string reason;
        if (!session(job, reason)) {
            outcome.problem = reason;
            outcome.failed = true;
            return outcome;
        }
        if (!job.message().empty()) outcome.problem = job.message();
        if (!job.engineFailed()) return outcome;
        outcome.failed = true;
        failures = job.stored() > 0 ? 1 : failures + 1;
        if (failures >= kMaxEngineFailuresInARow) return outcome;
    }
    return outcome;
}

std::vector<AnalysisJobOutcome> runAnalysisJobs(AnalysisQueue& queue, const AnalysisLimits& limits,
                                                const AnalysisJob::Clock& clock,
                                                const EngineSessionRunner& session,
                                                std::size_t jobs, int tickMs,
                                                const std::function<void()>& tick) {
    std::vector<AnalysisJobOutcome> outcomes(jobs);
    std::mutex mutex;
    std::condition_variable ended;
    std::size_t running = jobs;
    std::vector<std::thread> threads;
    threads.reserve(jobs);
    for (std::size_t j = 0; j < jobs; ++j) {
        threads.emplace_back([&, j] {
            outcomes[j] = runAnalysisJob(queue, limits, clock, session);
            const std::lock_guard lock(mutex);
            --running;
            ended.notify_all();
        });
    }
    {
        std::unique_lock lock(mutex);
        while (running > 0) {
            if (ended.wait_for(lock, std::chrono::milliseconds(tickMs),
                               [&running] { return running == 0; })) {
                break;
            }
            lock.unlock();
            if (tick) tick();
            lock.lock();
        }
    }
    for (std::thread& t : threads) t.join();
    if (tick) tick();
    return outcomes;
}

}  // namespace dalmir::model
