// A record read with the evaluations its database keeps: the scores of its main line from
// Black's view (what the evaluation graph draws), and the analysis lines of the comments written
// from the store, in the very form the whole-record analysis writes, without running an engine.
#pragma once

#include <optional>
#include <vector>

#include "core/notation/notation.h"
#include "core/record/record_store.h"
#include "dalmir/model/analysis/evaluation_store.h"
#include "usi/analysis_lines.h"

namespace dalmir::model {

// The stored evaluation of each position of the main line, ply 0 first (null where none).
std::vector<const Evaluation*> storedEvaluations(const core::RecordStore& record,
                                                 const EvaluationStore& evaluations);

// The main line's scores from Black's view as usi::mainLineScores gives them from comments.
std::vector<std::optional<int>> storedMainLineScores(const core::RecordStore& record,
                                                     const EvaluationStore& evaluations);

// The line an evaluation gives an analysis comment: score, depth and PV as USI words.
usi::AnalysisLine analysisLineOf(const Evaluation& e);

// Writes the analysis line of every main-line position the store holds into its comment
// (replacing an earlier analysis line); the current position stays. Returns how many were
// written.
int writeStoredAnalysis(core::RecordStore& record, const EvaluationStore& evaluations,
                        const core::NotationOptions& notation);

}  // namespace dalmir::model
