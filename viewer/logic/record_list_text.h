// The text lines of the record window: one line per ply of the line through the current node,
// with comment, branch and bookmark marks and, in the time form, each move's thinking time and
// the running total of its side; in the branch form the alternatives beside each move.
#pragma once

#include <string>
#include <vector>

#include "core/notation/notation.h"
#include "core/record/record_store.h"
#include "viewer/settings/settings.h"

namespace viewer {

// How moves are written in the list ("指し手表記", "外字使用" display flag, "ルール確認",
// "しおり名表示", "棋譜竜表記").
struct RecordListStyle {
    int moveTextStyle = 2;  // 0/1 origin form with △/▽, 2/3 traditional form with △/▽
    bool userMarks = false;
    bool ruleCheck = true;
    bool bookmarkNames = false;
    bool dragonAsRyu = false;
};

// The style the settings ask for: "指し手表記", the display flag of "外字使用", "ルール確認",
// "棋譜竜表記".
RecordListStyle recordListStyle(const Settings& settings);

enum class RecordListForm : int { Times = 0, Branches = 1 };

// The move text of a node in the display style (traditional forms need rule checking; without it
// the origin form is shown). previousDestination: the parent move's destination, 0 if none.
std::string displayMoveText(const core::MoveNode& node, int previousDestination,
                            const RecordListStyle& style);

// Line 0 (the start position) and one line per ply, CP932, no line ends.
std::vector<std::string> recordListLines(const core::RecordStore& store, RecordListForm form,
                                         const RecordListStyle& style);

}  // namespace viewer
