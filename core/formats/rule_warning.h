// The warning a reader gives for a move that breaks a rule but is kept, in the KIF reader's
// words: "警告：ルールエラー（二歩）：FILE 12手目 ..." in the report, the short form in the store's
// reading error. Shared by the readers that add moves one by one (JKF, USI).
#pragma once

#include "core/formats/record_reader.h"
#include "core/record/record_store.h"
#include "core/rules/legality.h"

namespace core {

// REQUIRES: the move of store.current() is the one checked (it was just added at ply).
void warnRuleViolation(RecordStore& store, ReadReport& report, const ReadOptions& options,
                       MoveCheckResult code, int ply);

}  // namespace core
