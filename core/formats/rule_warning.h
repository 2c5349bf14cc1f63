// The warning a reader gives for a move that breaks a rule but is kept, in the KIF reader's
// words: "警告：ルールエラー（二歩）：FILE 12手目 ..." in the report, the short form in the store's
// reading error. Shared by the KIF, JKF and USI readers.
#pragma once

#include <string_view>

#include "core/formats/kif_reader.h"
#include "core/record/record_store.h"
#include "core/rules/legality.h"

namespace core {

// The move is shown as moveText, the reader's own text of it.
void warnRuleViolation(RecordStore& store, ReadReport& report, const ReadOptions& options,
                       MoveCheckResult code, int ply, std::string_view moveText);

// The move is shown in origin form. REQUIRES: the move of store.current() is the one checked (it
// was just added at ply).
void warnRuleViolation(RecordStore& store, ReadReport& report, const ReadOptions& options,
                       MoveCheckResult code, int ply);

}  // namespace core
