#include "viewer/logic/navigation.h"

namespace viewer {

namespace {

bool stepsRefused(ViewerMode mode) { return isPlaying(mode) || isEditing(mode); }

bool hasNextMove(const core::RecordStore& store) {
    return store.node(store.current()).next != core::kNoNode;
}

}  // namespace

void step(CTavrelDoc& doc, Step how) {
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
            while (hasNextMove(store) && store.stepForward() == core::EditResult::Ok) {
            }
            break;
    }
    doc.ui().documentChanged();
}

void showChosenPly(CTavrelDoc& doc, int ply) {
    if (stepsRefused(doc.mode())) return;
    (void)doc.store().goToPly(ply);
    doc.ui().documentChanged();
}

void toggleReplay(CTavrelDoc& doc) {
    if (doc.store().lineEnd() == 0) return;
    doc.setMode(doc.mode() == ViewerMode::Replaying ? ViewerMode::Viewing : ViewerMode::Replaying);
    doc.ui().documentChanged();
}

}  // namespace viewer
