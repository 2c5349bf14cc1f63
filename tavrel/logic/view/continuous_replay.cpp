#include "tavrel/logic/view/continuous_replay.h"

#include <algorithm>
#include <cstdio>

#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

namespace {

StopDecision byOneSetting(ReplayStop setting, int waitMs) {
    if (setting == ReplayStop::Pause) return {StopDecision::Kind::Stop, 0};
    if (setting == ReplayStop::Wait && waitMs > 0) return {StopDecision::Kind::Pause, waitMs};
    return {};
}

// Never while a position is edited or the preview is shown.
bool replayAllowed(ViewerMode mode) { return !isEditing(mode) && mode != ViewerMode::PrintPreview; }

StopDecision pauseFor(int ms) {
    if (ms <= 0) return {};
    return {StopDecision::Kind::Pause, ms};
}

}  // namespace

int clampedInterval(int interval) {
    return std::clamp(interval, kMinReplayInterval, kMaxReplayInterval);
}

int fasterInterval(int interval) {
    interval = clampedInterval(interval);
    if (interval <= kMinReplayInterval) return interval;
    return interval < 60 ? interval - 1 : interval - 10;
}

int slowerInterval(int interval) {
    interval = clampedInterval(interval);
    if (interval > 240) return interval;
    return interval < 50 ? interval + 1 : interval + 10;
}

std::string replaySpeedText(int interval) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%2.1f", clampedInterval(interval) * 0.1);
    return std::string(core::translate("再現速度： ")) + buf +
           std::string(core::translate(" 秒／手"));
}

int replayDisplayFlag(int interval) {
    return clampedInterval(interval) < 4 ? kDisplayByHand : kDisplayAnimated;
}

std::string replayPauseMessage() {
    return std::string(core::translate("一時停止（スペースキーで連続再現を再開）"));
}

ReplayStops replayStops(const Settings& settings) {
    return {settings.stopAtComments, settings.commentWaitMs, settings.stopAtBranches,
            settings.branchWaitMs};
}

StopDecision stopDecision(bool comment, bool branch, const ReplayStops& s) {
    if (comment && branch) {
        if (s.atComments == ReplayStop::Pause || s.atBranches == ReplayStop::Pause) {
            return {StopDecision::Kind::Stop, 0};
        }
        if (s.atComments == ReplayStop::Wait) {
            return pauseFor(s.atBranches == ReplayStop::Wait
                                ? std::max(s.commentWaitMs, s.branchWaitMs)
                                : s.commentWaitMs);
        }
        if (s.atBranches == ReplayStop::Wait) return pauseFor(s.branchWaitMs);
        return {};
    }
    if (comment) return byOneSetting(s.atComments, s.commentWaitMs);
    if (branch) return byOneSetting(s.atBranches, s.branchWaitMs);
    return {};
}

StopDecision stopDecisionHere(const Document& doc) {
    const core::RecordStore& store = doc.store();
    const core::MoveNode& here = store.node(store.current());
    bool comment =
        doc.settings().commentWindow.mode != CommentDisplay::None && here.comment != nullptr;
    bool branch = here.next != core::kNoNode && store.node(here.next).sibling != core::kNoNode;
    return stopDecision(comment, branch, replayStops(doc.settings()));
}

ContinuousReplay::ContinuousReplay(Document& doc, MoveClock& clock, ReplayHost& host)
    : m_doc(doc), m_clock(clock), m_host(host) {}

int ContinuousReplay::interval() const { return clampedInterval(m_doc.settings().replaySpeed); }

bool ContinuousReplay::start(ReplayDirection direction) {
    if (running() || !replayAllowed(m_doc.mode())) return false;
    m_direction = direction;
    if (isPlaying(m_doc.mode())) m_clock.stop();
    m_phase = Phase::Interval;  // running from here on
    m_host.replayRunningChanged(true);
    begin();
    return true;
}

bool ContinuousReplay::startAfter(int delayMs) {
    if (running() || !replayAllowed(m_doc.mode())) return false;
    m_direction = ReplayDirection::Forward;
    if (isPlaying(m_doc.mode())) m_clock.stop();
    m_phase = Phase::Delay;
    noteLeft();
    m_host.replayRunningChanged(true);
    m_host.startReplayTimer(std::max(delayMs, 0));
    return true;
}

void ContinuousReplay::begin() {
    bool resuming = m_doc.store().current() == m_stoppedAt;
    m_stoppedAt = core::kNoNode;
    noteLeft();
    if (resuming) {
        stepOnce();
        return;
    }
    checkThenStep();
}

void ContinuousReplay::checkThenStep() {
    if (m_host.shiftHeld()) {
        stepOnce();
        return;
    }
    StopDecision d = stopDecisionHere(m_doc);
    if (d.kind == StopDecision::Kind::Stop) {
        m_stoppedAt = m_doc.store().current();
        finish(true);
    } else if (d.kind == StopDecision::Kind::Pause) {
        m_phase = Phase::Pause;
        m_host.startReplayTimer(d.pauseMs);
    } else {
        stepOnce();
    }
}

void ContinuousReplay::stepOnce() {
    core::RecordStore& store = m_doc.store();
    core::NodeIndex before = store.current();
    bool forward = m_direction == ReplayDirection::Forward;
    if (forward) {
        core::NodeIndex next = store.node(before).next;
        if (next == core::kNoNode || store.node(next).isTerminal()) {
            finish(false);
            return;
        }
    } else if (store.currentPly() == 0) {
        finish(false);
        return;
    }
    m_stepping = true;
    // Shows its own message; the position tells the next step.
    (void)playMove(m_doc, m_clock, PlayKind::Replay, forward ? kNextMoveMarker : kStepBackMarker,
                   replayDisplayFlag(interval()));
    m_stepping = false;
    // A message shown by the step (a repetition) lets the user stop the replay meanwhile.
    if (!running()) return;
    if (isPlaying(m_doc.mode())) m_clock.stop();
    if (store.current() == before) {  // the move could not be made here
        finish(false);
        return;
    }
    noteLeft();
    m_phase = Phase::Interval;
    m_host.startReplayTimer(interval() * 100);
}

void ContinuousReplay::afterInterval() { checkThenStep(); }

void ContinuousReplay::timerFired() {
    if (!running()) return;
    if (!recordAsLeft()) {
        finish(false);
        return;
    }
    switch (m_phase) {
        case Phase::Delay:
            m_phase = Phase::Interval;
            begin();
            return;
        case Phase::Interval:
            afterInterval();
            return;
        case Phase::Pause:
            stepOnce();
            return;
        case Phase::Idle:
            return;
    }
}

void ContinuousReplay::requestStop(StopRequest request) {
    if (!running()) return;
    finish(request == StopRequest::Pause);
}

void ContinuousReplay::toggle() {
    if (running()) {
        requestStop(StopRequest::Pause);
    } else {
        clearPauseMessage();
        // A replay that may not run here simply does not start.
        (void)start(m_direction);
    }
}

void ContinuousReplay::faster() { changeSpeed(fasterInterval(interval())); }
void ContinuousReplay::slower() { changeSpeed(slowerInterval(interval())); }

void ContinuousReplay::changeSpeed(int newInterval) {
    if (!running() || newInterval == interval()) return;
    m_doc.settings().replaySpeed = newInterval;
    m_pauseShown = false;
    m_doc.ui().setStatusText(replaySpeedText(newInterval));
    // The interval starts again from now; the short pause holds back a repeating key.
    if (m_phase == Phase::Interval) {
        m_host.startReplayTimer(std::max(newInterval * 100, kSpeedChangePauseMs));
    }
}

void ContinuousReplay::documentChanged() {
    if (m_stepping || !running()) return;
    finish(false);
}

void ContinuousReplay::clearPauseMessage() {
    if (!m_pauseShown) return;
    m_pauseShown = false;
    m_doc.ui().setStatusText({});
}

void ContinuousReplay::finish(bool showPause) {
    m_host.stopReplayTimer();
    m_phase = Phase::Idle;
    if (showPause) {
        m_doc.ui().setStatusText(replayPauseMessage());
        m_pauseShown = true;
    }
    if (isPlaying(m_doc.mode())) m_clock.restart();
    m_host.replayRunningChanged(false);
}

bool ContinuousReplay::recordAsLeft() const {
    const core::RecordStore& store = m_doc.store();
    return store.current() == m_leftAt && store.dirty() == m_leftDirty &&
           !isEditing(m_doc.mode()) && m_doc.mode() != ViewerMode::PrintPreview;
}

void ContinuousReplay::noteLeft() {
    m_leftAt = m_doc.store().current();
    m_leftDirty = m_doc.store().dirty();
}

}  // namespace tavrel
