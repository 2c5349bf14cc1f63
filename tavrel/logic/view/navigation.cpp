#include "tavrel/logic/view/navigation.h"

#include <algorithm>

#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/open_commands.h"

namespace tavrel {

namespace {

bool stepsRefused(ViewerMode mode) { return isPlaying(mode) || isEditing(mode); }

bool hasNextMove(const core::RecordStore& store) {
    return store.node(store.current()).next != core::kNoNode;
}

// The first continuation is a real move (not a terminal entry).
bool nextIsMove(const core::RecordStore& store) {
    core::NodeIndex next = store.node(store.current()).next;
    return next != core::kNoNode && !store.node(next).isTerminal();
}

// The ply after the one shown has more than one move to choose from.
bool nextHasAlternatives(const core::RecordStore& store) {
    core::NodeIndex next = store.node(store.current()).next;
    return next != core::kNoNode && store.node(next).sibling != core::kNoNode;
}

// The node shown is one of several alternatives at its ply.
bool hereHasAlternatives(const core::RecordStore& store) {
    core::NodeIndex here = store.current();
    if (here == core::kRootNode) return false;
    core::NodeIndex first = store.node(store.parentOf(here)).next;
    return first != here || store.node(here).sibling != core::kNoNode;
}

}  // namespace

void step(Document& doc, Step how) {
    if (stepsRefused(doc.mode())) {
        doc.warningSound();
        return;
    }
    core::RecordStore& store = doc.store();
    switch (how) {
        case Step::ToStart:
            store.backTo(0);
            break;
        case Step::Back:
            if (!store.backOne()) doc.warningSound();
            break;
        case Step::Forward:
            if (!hasNextMove(store) || store.stepForward() != core::EditResult::Ok) {
                doc.warningSound();
            }
            break;
        case Step::ToEnd:
            while (nextIsMove(store) && store.stepForward() == core::EditResult::Ok) {
            }
            break;
        case Step::PreviousBranch:
            while (store.backOne() && store.currentPly() > 0 && !hereHasAlternatives(store)) {
            }
            break;
        case Step::NextBranch:
            while (nextIsMove(store) && store.stepForward() == core::EditResult::Ok &&
                   !nextHasAlternatives(store)) {
            }
            break;
    }
    doc.ui().documentChanged();
}

void step(Document& doc, MoveClock& clock, Step how) {
    const ViewerMode mode = doc.mode();
    if (how == Step::Forward || how == Step::Back) {
        if (mode == ViewerMode::Playing) {
            how == Step::Forward ? stepForwardInPlay(doc, clock) : stepBackInPlay(doc, clock);
            return;
        }
        if (stepsRefused(mode)) {
            doc.warningSound();
            return;
        }
        // Shows its own message (a repetition); a step past either end beeps.
        (void)playMove(doc, clock, PlayKind::Replay,
                       how == Step::Forward ? kNextMoveMarker : kStepBackMarker, kDisplayAnimated);
        return;
    }
    if (mode == ViewerMode::Playing && (how == Step::ToEnd || how == Step::NextBranch)) {
        core::RecordStore& store = doc.store();
        clock.stop();
        while (nextIsMove(store) && store.stepForward() == core::EditResult::Ok &&
               (how == Step::ToEnd || !nextHasAlternatives(store))) {
        }
        clock.restart();
        doc.ui().documentChanged();
        return;
    }
    step(doc, how);
}

bool playChild(Document& doc, MoveClock& clock, core::NodeIndex child) {
    core::RecordStore& store = doc.store();
    if (child == core::kNoNode || store.parentOf(child) != store.current()) return false;
    const core::MoveNode& m = store.node(child);
    if (m.isTerminal()) return false;
    int origin = m.from;
    if (m.isDrop()) {
        core::PieceByte p = core::dropPiece(m.from);
        origin = core::findHandSlot(store.position(), core::sideOf(p), core::pieceType(p));
        if (origin == 0) return false;
    }
    core::NodeIndex before = store.current();
    // Shows its own message; the caller compares the current move.
    (void)playMove(doc, clock, PlayKind::Replay, core::packMove(origin, m.to), kDisplayAnimated);
    return store.current() != before;
}

void chooseVariation(Document& doc, MoveClock& clock, int n) {
    if (stepsRefused(doc.mode()) || n < 1) return;
    core::RecordStore& store = doc.store();
    core::NodeIndex child = store.node(store.current()).next;
    for (int i = 1; i < n && child != core::kNoNode; ++i) child = store.node(child).sibling;
    // Shows its own message.
    (void)playChild(doc, clock, child);
}

void jumpToPly(Document& doc, int n) {
    if (stepsRefused(doc.mode())) {
        doc.warningSound();
        return;
    }
    core::RecordStore& store = doc.store();
    int target = std::clamp(n, 0, store.lineEnd());
    // The ply is clamped to the line: cannot fail.
    (void)store.goToPly(target);
    doc.ui().documentChanged();
}

std::string stepForwardMenuText(bool arrowsAct) {
    return std::string(arrowsAct ? core::translate("１手進める(&F)\t→")
                                 : core::translate("１手進める(&F)"));
}

std::string stepBackMenuText(bool arrowsAct) {
    return std::string(arrowsAct ? core::translate("１手戻す(&B)\t←")
                                 : core::translate("１手戻す(&B)"));
}

bool arrowKeysStep(ViewerMode mode) {
    return mode == ViewerMode::Viewing || mode == ViewerMode::Replaying;
}

void chooseReplayMode(Document& doc) {
    if (doc.mode() == ViewerMode::Replaying) {
        doc.setMode(ViewerMode::Viewing);
        doc.ui().documentChanged();
        return;
    }
    if (doc.mode() != ViewerMode::Viewing) {
        doc.warningSound();
        return;
    }
    if (doc.store().moveCount() > 0) {
        if (doc.settings().offerReplayAfterLoad == 1) {
            Answer a = doc.ui().ask(std::string(core::translate("新しい棋譜を読み込みますか？")),
                                    std::string(core::translate("再現")), true);
            if (a == Answer::Cancel) return;
            if (a == Answer::Yes && openRecord(doc) != CommandResult::Done) return;
        }
    } else {
        (void)openRecord(doc);  // shows its own message; an empty record is not replayed
    }
    if (doc.store().moveCount() > 0) {
        doc.setMode(ViewerMode::Replaying);
        doc.ui().documentChanged();
    } else {
        doc.ui().setStatusText(std::string(core::translate("指し手がありません。")));
        doc.warningSound();
    }
}

void showChosenPly(Document& doc, int ply) {
    if (stepsRefused(doc.mode())) return;
    // A ply beyond the line leaves the position as it is.
    (void)doc.store().goToPly(ply);
    doc.ui().documentChanged();
}

void toggleReplay(Document& doc) {
    if (doc.store().lineEnd() == 0) return;
    doc.setMode(doc.mode() == ViewerMode::Replaying ? ViewerMode::Viewing : ViewerMode::Replaying);
    doc.ui().documentChanged();
}

}  // namespace tavrel
