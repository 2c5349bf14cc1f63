#include "tavrel/logic/play/engine_game.h"

#include <algorithm>

#include "core/formats/usi.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "usi/record_analysis.h"

namespace tavrel {

namespace {

const std::string& gameCaption() {
    static const std::string caption = std::string(core::translate("対局"));
    return caption;
}

}  // namespace

std::optional<core::TerminalCode> endingEntry(const core::RecordStore& store) {
    const core::NodeIndex current = store.current();
    if (current != core::kRootNode && store.node(current).isTerminal()) {
        return static_cast<core::TerminalCode>(store.node(current).to);
    }
    // Entries other than 投了 are stored after the position without moving to them.
    for (core::NodeIndex n = store.node(current).next; n != core::kNoNode;
         n = store.node(n).sibling) {
        if (store.node(n).isTerminal()) return static_cast<core::TerminalCode>(store.node(n).to);
    }
    return std::nullopt;
}

usi::GoLimits gameGoLimits(const TimeControl& time, std::int64_t blackMs, std::int64_t whiteMs) {
    usi::GoLimits limits;
    limits.blackTime = std::max<std::int64_t>(blackMs, 0);
    limits.whiteTime = std::max<std::int64_t>(whiteMs, 0);
    if (time.incrementSeconds > 0) {
        limits.blackIncrement = std::int64_t{time.incrementSeconds} * 1000;
        limits.whiteIncrement = limits.blackIncrement;
    } else {
        limits.byoyomi = std::int64_t{std::max(time.byoyomiSeconds, 0)} * 1000;
    }
    return limits;
}

usi::GameOutcome gameOutcomeFor(core::TerminalCode code, core::SideByte mover,
                                core::SideByte side) {
    using core::TerminalCode;
    switch (code) {
        case TerminalCode::Resign:
        case TerminalCode::FoulLoss:
        case TerminalCode::Mate:
        case TerminalCode::TimeLoss:
            return side == mover ? usi::GameOutcome::Lose : usi::GameOutcome::Win;
        case TerminalCode::FoulWin:
        case TerminalCode::EnteringKingWin:
            return side == mover ? usi::GameOutcome::Win : usi::GameOutcome::Lose;
        default:
            return usi::GameOutcome::Draw;
    }
}

EngineGame::EngineGame(Document& doc, MoveClock& moveClock, Clock clock)
    : m_doc(doc), m_moveClock(moveClock), m_clock(std::move(clock)) {
    m_events[0].game = this;
    m_events[0].side = core::kSideBlack;
    m_events[1].game = this;
    m_events[1].side = core::kSideWhite;
}

usi::UsiEvents& EngineGame::events(core::SideByte side) { return m_events[index(side)]; }

void EngineGame::attach(core::SideByte side, usi::UsiEngine* engine) {
    m_engines[index(side)] = engine;
}

void EngineGame::begin(const TimeControl& time) {
    m_time = time;
    const std::int64_t initial = std::int64_t{std::max(time.initialSeconds, 0)} * 1000;
    m_remaining = {initial, initial};
    m_active = true;
    m_turnNode = core::kNoNode;
    m_turnPly = -1;
    m_searchNode = core::kNoNode;
    update();
}

bool EngineGame::engineToMove() const {
    return m_active && isPlaying(m_doc.mode()) &&
           m_engines[index(m_doc.store().position().sideToMove)] != nullptr;
}

bool EngineGame::ourSearch(core::SideByte side) const {
    const core::RecordStore& store = m_doc.store();
    return m_active && isPlaying(m_doc.mode()) && m_searchNode != core::kNoNode &&
           store.current() == m_searchNode && store.position().sideToMove == side;
}

void EngineGame::update() {
    if (!m_active) return;
    if (!isPlaying(m_doc.mode())) {
        finish();
        return;
    }
    const core::RecordStore& store = m_doc.store();
    if (store.current() != m_turnNode) {
        const std::int64_t now = m_clock();
        // A move made on the running turn (not a take-back or a step through the record).
        if (m_turnNode != core::kNoNode && store.currentPly() == m_turnPly + 1) {
            std::int64_t& left = m_remaining[index(m_turnSide)];
            left = std::max<std::int64_t>(left - (now - m_turnStart), 0);
            left += std::int64_t{std::max(m_time.incrementSeconds, 0)} * 1000;
        }
        // A search of the position left behind is of no use any more.
        if (m_searchNode != core::kNoNode) {
            for (usi::UsiEngine* engine : m_engines) {
                if (engine) engine->stop();
            }
            m_searchNode = core::kNoNode;
        }
        m_turnNode = store.current();
        m_turnPly = store.currentPly();
        m_turnSide = store.position().sideToMove;
        m_turnStart = now;
    }
    usi::UsiEngine* engine = m_engines[index(m_turnSide)];
    if (!engine || m_searchNode == m_turnNode) return;
    m_searchNode = m_turnNode;
    engine->go(store.position(), usi::usiPositionCommandAt(store, m_turnNode),
               gameGoLimits(m_time, m_remaining[0], m_remaining[1]));
}

void EngineGame::bestMove(core::SideByte side, const usi::UsiBestMove& best) {
    if (!ourSearch(side)) return;  // the answer to a search dropped since
    m_searchNode = core::kNoNode;
    switch (best.kind) {
        case usi::UsiBestMove::Kind::Resign:
            enterTerminal(m_doc, m_moveClock, core::TerminalCode::Resign);
            break;
        case usi::UsiBestMove::Kind::Win:
            enterTerminal(m_doc, m_moveClock, core::TerminalCode::EnteringKingWin);
            break;
        case usi::UsiBestMove::Kind::Move: {
            std::optional<core::PackedMove> move =
                core::legalUsiMove(m_doc.store().position(), best.move);
            if (!move) {
                // The session checks the move against the position it searched; this one is
                // the record's, so a mismatch is still possible in principle.
                warning(side, std::string(core::translate("エンジンの指し手が正しくありません：")) +
                                  best.move);
                return;
            }
            // A piece the user was holding goes back first.
            m_doc.setMode(afterPutDown(m_doc.mode()));
            PlayResult r = playMove(m_doc, m_moveClock, PlayKind::Entered, *move, kDisplayAnimated);
            finishEntry(m_doc, m_moveClock, r);
            break;
        }
    }
    update();
}

void EngineGame::warning(core::SideByte side, const std::string& message) {
    // A garbage line leaves the search running; an illegal best move ends it.
    usi::UsiEngine* engine = m_engines[index(side)];
    if (!ourSearch(side) || !engine || engine->searching()) return;
    m_searchNode = core::kNoNode;
    stopWithEntry(core::TerminalCode::FoulLoss, message);
}

void EngineGame::failed(core::SideByte side, const std::string& message) {
    m_engines[index(side)] = nullptr;
    if (!m_active || !isPlaying(m_doc.mode())) return;
    if (m_searchNode != core::kNoNode && m_doc.store().position().sideToMove == side) {
        m_searchNode = core::kNoNode;
    }
    stopWithEntry(core::TerminalCode::Suspend, message);
}

void EngineGame::stopWithEntry(core::TerminalCode code, const std::string& message) {
    m_doc.warningSound();
    m_doc.ui().showMessage(message, gameCaption());
    if (isPlaying(m_doc.mode())) enterTerminal(m_doc, m_moveClock, code);
    update();
}

void EngineGame::finish() {
    m_active = false;
    m_searchNode = core::kNoNode;
    const core::TerminalCode code =
        endingEntry(m_doc.store()).value_or(core::TerminalCode::Suspend);
    for (std::size_t i = 0; i < m_engines.size(); ++i) {
        usi::UsiEngine* engine = m_engines[i];
        if (!engine) continue;
        const core::SideByte side = i == 0 ? core::kSideBlack : core::kSideWhite;
        engine->gameOver(gameOutcomeFor(code, m_turnSide, side));
        engine->quit();
        m_engines[i] = nullptr;
    }
}

}  // namespace tavrel
