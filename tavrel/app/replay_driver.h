// The window side of continuous replay: one single-shot QTimer whose ticks drive the replay's
// state machine, the Shift key read from the keyboard, and a signal when the replay starts or
// ends. Owned by the main window, which owns the document and clock it borrows.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "tavrel/logic/view/continuous_replay.h"

namespace tavrel {

class ReplayDriver : public QObject, public ReplayHost {
    Q_OBJECT
public:
    ReplayDriver(Document& doc, MoveClock& clock, QObject* parent);
    ContinuousReplay& replay() { return m_replay; }
    QTimer& timer() { return m_timer; }
    // Tests hold Shift through this instead of the keyboard.
    void setShiftSource(std::function<bool()> source) { m_shift = std::move(source); }
    // What the timer's tick does.
    void tick() { m_replay.timerFired(); }

    void startReplayTimer(int ms) override { m_timer.start(ms); }
    void stopReplayTimer() override { m_timer.stop(); }
    bool shiftHeld() const override;
    void replayRunningChanged(bool running) override { Q_EMIT runningChanged(running); }

Q_SIGNALS:
    void runningChanged(bool running);

private:
    QTimer m_timer;
    ContinuousReplay m_replay;
    std::function<bool()> m_shift;
};

}  // namespace tavrel
