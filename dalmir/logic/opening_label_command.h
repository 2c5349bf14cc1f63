// The tools menu's command that gives the records of an open database their 自動戦型 labels.
#pragma once

#include <optional>

#include "dalmir/logic/dalmir_ui.h"
#include "dalmir/model/registration/opening_labelling.h"

namespace dalmir {

// Asks whether every record is labelled again or only those without a label: true for every
// record, false for the unlabelled ones, nullopt when the user cancelled.
std::optional<bool> askLabelScope(DalmirUi& ui);

// Tells the outcome: the status text always, a message when record files could not be read.
void tellLabelRun(DalmirUi& ui, const model::LabelRunReport& report);

}  // namespace dalmir
