// Automatic replay (連続して進める / 連続して戻す): one step per replay interval, stopping or
// pausing at comments and branches as the settings ask. It runs as a small state machine driven
// by one single-shot timer that the window owns (ReplayHost), so the window stays responsive and
// nothing re-enters: every wait, the interval and the pauses alike, is a timer period. The
// document and the move clock belong to the main window; the replay only borrows them.
#pragma once

#include <cstdint>
#include <string>

#include "tavrel/logic/document/document.h"
#include "tavrel/logic/play/play_move.h"

namespace tavrel {

// 再現速度 in tenths of a second.
inline constexpr int kMinReplayInterval = 1;
inline constexpr int kMaxReplayInterval = 250;
// The pause after a change of speed, so that a held key does not race through the table.
inline constexpr int kSpeedChangePauseMs = 200;

// The interval kept in range.
int clampedInterval(int interval);
// Up: one tenth faster below 6 seconds, else one second; nothing at the fastest.
int fasterInterval(int interval);
// Down: one tenth slower below 5 seconds, else one second; nothing above 24 seconds.
int slowerInterval(int interval);
// "再現速度： %2.1f 秒／手".
std::string replaySpeedText(int interval);
// The display flag of a replay step: no animation below 0.4 seconds a move.
int replayDisplayFlag(int interval);

// "一時停止（スペースキーで連続再現を再開）".
std::string replayPauseMessage();

// What the replay does after a step.
struct StopDecision {
    enum class Kind { Go, Stop, Pause };
    Kind kind = Kind::Go;
    int pauseMs = 0;  // for Pause, above 0
    friend bool operator==(const StopDecision&, const StopDecision&) = default;
};

// コメント停止 and 分岐停止 with their waiting times.
struct ReplayStops {
    ReplayStop atComments = ReplayStop::Wait;
    int commentWaitMs = 1000;
    ReplayStop atBranches = ReplayStop::Pause;
    int branchWaitMs = 1000;
};
ReplayStops replayStops(const Settings& settings);

// The decision for a position that has a comment (comment) and/or precedes a branch (branch).
// A pause of 0 ms or less is no pause.
StopDecision stopDecision(bool comment, bool branch, const ReplayStops& stops);
// The decision at the position shown: comment when comments are displayed (the comment display
// mode is not 0) and the position has one; branch when the next ply has alternatives.
StopDecision stopDecisionHere(const Document& doc);

// What the replay needs from the window.
class ReplayHost {
public:
    virtual ~ReplayHost() = default;
    // Starts the one single-shot timer (replacing a running one); its tick calls timerFired.
    virtual void startReplayTimer(int ms) = 0;
    virtual void stopReplayTimer() = 0;
    // Whether Shift is held now (the stop check is then skipped).
    virtual bool shiftHeld() const = 0;
    // The replay started or ended: the window enables or disables its controls.
    virtual void replayRunningChanged(bool running) = 0;
};

enum class ReplayDirection : std::uint8_t { Forward, Backward };

// How a stop is asked for: Stop ends silently, Pause also shows the pause message.
enum class StopRequest : std::uint8_t { Stop = 1, Pause = 2 };

class ContinuousReplay {
public:
    ContinuousReplay(Document& doc, MoveClock& clock, ReplayHost& host);

    bool running() const { return m_phase != Phase::Idle; }
    ReplayDirection direction() const { return m_direction; }

    // Starts replaying; false (and nothing happens) when already running, or while a position
    // is edited or the preview shown. The stop check runs
    // once at the position shown before the first step, except at the position where the last
    // replay was stopped by it (so that resuming goes on).
    bool start(ReplayDirection direction);
    // Waits delayMs, then starts forwards (the branch window's 連続再現).
    bool startAfter(int delayMs);
    // Ends the replay at once.
    void requestStop(StopRequest request);
    // Space: a running replay pauses (with the message); otherwise it resumes in the direction
    // used last.
    void toggle();
    // Up and Down while running: the interval changes, the waiting restarts with the new one and
    // the speed is shown in the status bar.
    void faster();
    void slower();
    // The host's timer ticked.
    void timerFired();
    // The record was changed, replaced or closed by anything but the replay: it ends silently.
    void documentChanged();

    // Whether the status bar shows the pause message; clearPauseMessage empties it.
    bool pauseMessageShown() const { return m_pauseShown; }
    void clearPauseMessage();

private:
    enum class Phase : std::uint8_t {
        Idle,
        Delay,     // waiting before the start
        Interval,  // a step was made; the stop check follows the tick
        Pause,     // the stop check asked for a pause; a step follows the tick
    };
    void begin();
    void afterInterval();
    // The stop check (Shift skips it), then a pause, a stop or the next step.
    void checkThenStep();
    void stepOnce();
    void finish(bool showPause);
    void changeSpeed(int interval);
    int interval() const;
    // Whether the record is still as the replay left it.
    bool recordAsLeft() const;
    void noteLeft();

    Document& m_doc;
    MoveClock& m_clock;
    ReplayHost& m_host;
    Phase m_phase = Phase::Idle;
    ReplayDirection m_direction = ReplayDirection::Forward;
    bool m_stepping = false;
    bool m_pauseShown = false;
    core::NodeIndex m_leftAt = core::kNoNode;
    std::uint32_t m_leftDirty = 0;
    // Where the last replay was stopped by the stop check, kNoNode if it was not.
    core::NodeIndex m_stoppedAt = core::kNoNode;
};

}  // namespace tavrel
