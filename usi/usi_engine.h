// One session with a USI engine program: the handshake, options, new games, searches on a
// position and the end of the session, with every answer checked against the position searched.
// The session owns no process: it writes lines through a UsiLink and is fed the engine's lines,
// its exit and clock ticks by whoever runs the program (a QProcess in the window, a spawned child
// in the command-line tool). Time comes from an injectable clock.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/rules/position.h"
#include "usi/usi_protocol.h"

namespace usi {

// Where the session's lines go.
class UsiLink {
public:
    virtual ~UsiLink() = default;
    // Writes one command line (the link adds the line end).
    virtual void send(std::string_view line) = 0;
    // Ends the program at once, with every process it started (a hung or misbehaving engine).
    virtual void kill() = 0;
};

// What the session reports. Texts are UTF-8.
class UsiEvents {
public:
    virtual ~UsiEvents() = default;
    // The handshake is over (after "readyok"); searches may start.
    virtual void engineReady() {}
    // An "info" line of the current search. The PV is not checked here (see firstIllegalPvMove):
    // a flood of lines costs only their reading.
    virtual void engineInfo(const UsiInfo&) {}
    // The search ended with a move legal in the position searched, or with resign or win.
    virtual void engineBestMove(const UsiBestMove&) {}
    // Something went wrong but the session goes on (a broken info line, an illegal best move).
    virtual void engineWarning(const std::string&) {}
    // A line the protocol does not know (a banner, debug text), as the engine printed it: no
    // fault, only for an engine log.
    virtual void engineUnknownLine(std::string_view) {}
    // The session is over: a timeout, a crash, an exit mid-search, output closed. The program
    // has been told to quit and then ended, or is gone.
    virtual void engineFailed(const std::string&) {}
    // The program ended after "quit".
    virtual void engineQuit() {}
};

struct UsiTimeouts {
    std::int64_t usiOk = 30000;    // "usi" -> "usiok" (some engines load before they answer)
    std::int64_t readyOk = 30000;  // "isready" -> "readyok" (engines load their tables here)
    std::int64_t stop = 5000;      // "stop" -> "bestmove"
    std::int64_t quit = 3000;      // "quit" -> the program's exit
};

class UsiEngine {
public:
    enum class State : std::uint8_t {
        NotStarted,
        WaitingUsiOk,
        WaitingReadyOk,
        Ready,
        Searching,
        Stopping,  // "stop" sent, the best move of the old search still to come
        Quitting,
        Ended,  // quit or failed; the session is over
    };
    using Clock = std::function<std::int64_t()>;  // milliseconds

    UsiEngine(UsiLink& link, UsiEvents& events, Clock clock, UsiTimeouts timeouts = {});

    // Options sent after "usiok", before "isready" (name -> value, checked against the engine's
    // option lines; unknown names are sent as they are).
    void setStartOptions(std::vector<std::pair<std::string, std::string>> options);
    // Adds one start option, replacing a value given before for the same name.
    void addStartOption(const std::string& name, const std::string& value);

    // The program has started: sends "usi".
    void start();
    // One line the program printed (without its line end).
    void receive(std::string_view line);
    // The program ended by itself: exitCode, or crashed for a signal.
    void exited(int exitCode, bool crashed);
    // The program closed its output while still running: no answer can come, so the session
    // fails (see tick for how the program is ended).
    void outputClosed();
    // The program could not be started; reason is the system's.
    void startFailed(const std::string& reason);
    // Checks the deadlines; call it now and then (the window's timer, the tool's read loop).
    // Every deadline runs from the request, whatever the engine prints meanwhile. A search past
    // its time is sent "stop"; an answer still missing then (or a missing "usiok" or "readyok")
    // fails the session: "quit" is sent, and a program still running after the quit timeout is
    // killed (with its whole process group, by the link).
    void tick();
    // The next moment tick() has something to check, or -1 when no deadline runs.
    std::int64_t deadline() const { return m_deadline; }

    // Searches pos, which positionCommand ("position ...") describes. A running search is
    // stopped first and its best move dropped; before "readyok" the search waits for it. The
    // first search of a game sends "usinewgame".
    void go(const core::Position& pos, std::string positionCommand, const GoLimits& limits);
    // Ends the running search: its "bestmove" is reported as usual.
    void stop();
    void ponderHit();
    // Ends the game: "gameover ..."; the next search sends "usinewgame" again.
    void gameOver(GameOutcome outcome);
    // Ends the session: "quit", then kills the program when it has not gone within the timeout.
    void quit();

    State state() const { return m_state; }
    bool searching() const { return m_state == State::Searching || m_state == State::Stopping; }
    const std::string& name() const { return m_name; }
    const std::string& author() const { return m_author; }
    const std::vector<UsiOption>& options() const { return m_options; }
    // The position of the search under way or last ended.
    const core::Position& searchedPosition() const { return m_position; }

private:
    struct PendingSearch {
        core::Position position;
        std::string command;
        GoLimits limits;
    };

    void sendSearch(PendingSearch search);
    void searchEnded(std::string_view line);
    void fail(const std::string& message);
    void garbage(std::string_view line);
    void endQuit();

    UsiLink& m_link;
    UsiEvents& m_events;
    Clock m_clock;
    UsiTimeouts m_timeouts;
    State m_state = State::NotStarted;
    std::int64_t m_deadline = -1;
    std::string m_name;
    std::string m_author;
    std::vector<UsiOption> m_options;
    std::vector<std::pair<std::string, std::string>> m_startOptions;
    std::optional<PendingSearch> m_pending;
    core::Position m_position;
    bool m_newGame = true;
    bool m_stopSent = false;
    std::string m_failure;  // why the session is quitting, when it failed
    UsiInfo m_info;         // reused for every info line
};

// The longest a search with these limits may take for the side to move (milliseconds), before
// the engine is asked to stop: stopAfter for an infinite search that has it; -1 for a search
// without end (infinite, ponder, no limits).
std::int64_t searchBudget(const GoLimits& limits, core::SideByte sideToMove);

// The text of a state for messages ("usiok", "readyok", "bestmove" awaited).
std::string_view awaitedAnswer(UsiEngine::State state);

}  // namespace usi
