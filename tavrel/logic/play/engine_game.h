// A game in which engines play one side or both: the game clocks of both sides with their time
// control, the "go" of an engine whose turn came, its best move entered through playMove with
// its measured thinking time, resign and win as terminal entries, and the end of the game told
// to the engines. The sessions (UsiEngine) belong to whoever runs the programs; they report to
// the events this game hands out for each side. Time comes from an injectable clock; nothing
// here waits: every step is a reaction to an engine's answer or to a change of the record.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/record/record_store.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/play/play_move.h"
#include "usi/usi_engine.h"

namespace tavrel {

// The time each side has (seconds): 持ち時間, then 秒読み per move once it is spent, or 加算 added
// after every move (an increment replaces the byoyomi).
inline constexpr int kMaxControlSeconds = 36000;  // what the sheet lets a control reach

struct TimeControl {
    int initialSeconds = 600;
    int byoyomiSeconds = 10;
    int incrementSeconds = 0;

    friend bool operator==(const TimeControl&, const TimeControl&) = default;
};

// Who plays each side: the name of a registered engine (UTF-8), or empty for a human at the
// board; and the time control.
struct GamePlayers {
    std::string blackEngine;
    std::string whiteEngine;
    TimeControl time;

    bool anyEngine() const { return !blackEngine.empty() || !whiteEngine.empty(); }
    friend bool operator==(const GamePlayers&, const GamePlayers&) = default;
};

// The "go" of a game: btime/wtime with byoyomi, or with binc/winc when the control has an
// increment.
usi::GoLimits gameGoLimits(const TimeControl& time, std::int64_t blackMs, std::int64_t whiteMs);

// The terminal entry that ended the game at the record's current position: the current node
// itself (投了) or the entry stored after it; nullopt without one.
std::optional<core::TerminalCode> endingEntry(const core::RecordStore& store);

// The USI result an engine of side gets for a game ended by the terminal entry code recorded on
// mover's turn (投了 by mover: mover loses; 入玉勝ち: mover wins; 千日手, 持将棋, 中断: a draw).
usi::GameOutcome gameOutcomeFor(core::TerminalCode code, core::SideByte mover, core::SideByte side);

class EngineGame {
public:
    using Clock = std::function<std::int64_t()>;  // milliseconds

    EngineGame(Document& doc, MoveClock& moveClock, Clock clock);
    EngineGame(const EngineGame&) = delete;
    EngineGame& operator=(const EngineGame&) = delete;

    // Where the session playing side reports.
    usi::UsiEvents& events(core::SideByte side);
    // The session playing side (nullptr: a human).
    void attach(core::SideByte side, usi::UsiEngine* engine);

    // The game begins (the document is in play): both clocks hold the initial time.
    void begin(const TimeControl& time);
    // The record or the mode changed: charges the time of a move made, starts the search of an
    // engine whose turn came, and at the end of the game sends "gameover" and "quit".
    void update();

    bool active() const { return m_active; }
    // An engine is to move: the board takes no input.
    bool engineToMove() const;
    // The time left to side (milliseconds, the running turn not charged yet).
    std::int64_t remaining(core::SideByte side) const { return m_remaining[index(side)]; }

private:
    struct SideEvents : usi::UsiEvents {
        EngineGame* game = nullptr;
        core::SideByte side = core::kSideBlack;
        void engineBestMove(const usi::UsiBestMove& best) override { game->bestMove(side, best); }
        void engineWarning(const std::string& m) override { game->warning(side, m); }
        void engineFailed(const std::string& m) override { game->failed(side, m); }
    };

    static std::size_t index(core::SideByte side) { return side == core::kSideBlack ? 0 : 1; }
    bool ourSearch(core::SideByte side) const;
    void bestMove(core::SideByte side, const usi::UsiBestMove& best);
    void warning(core::SideByte side, const std::string& message);
    void failed(core::SideByte side, const std::string& message);
    void stopWithEntry(core::TerminalCode code, const std::string& message);
    void finish();

    Document& m_doc;
    MoveClock& m_moveClock;
    Clock m_clock;
    TimeControl m_time;
    std::array<SideEvents, 2> m_events;
    std::array<usi::UsiEngine*, 2> m_engines{nullptr, nullptr};
    std::array<std::int64_t, 2> m_remaining{0, 0};
    bool m_active = false;
    // The turn running: its node, ply, side and start.
    core::NodeIndex m_turnNode = core::kNoNode;
    int m_turnPly = -1;
    core::SideByte m_turnSide = core::kSideBlack;
    std::int64_t m_turnStart = 0;
    // The node an engine searches (kNoNode: none).
    core::NodeIndex m_searchNode = core::kNoNode;
};

}  // namespace tavrel
