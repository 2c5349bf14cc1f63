// The text lines of the record window: one line per ply of the line through the current node,
// with comment, branch and bookmark marks and, in the time form, each move's thinking time and
// the running total of its side; in the branch form the alternatives beside each move.
#pragma once

#include <string>
#include <vector>

#include "core/notation/notation.h"
#include "core/record/record_store.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

// How moves are written in the list ("指し手表記", "外字使用" display flag, "ルール確認",
// "しおり名表示", "棋譜竜表記").
struct RecordListStyle {
    MoveTextStyle moveTextStyle = MoveTextStyle::TraditionalUp;
    bool userMarks = false;
    bool ruleCheck = true;
    bool bookmarkNames = false;
    bool dragonAsRyu = false;
};

// The style the settings ask for: "指し手表記", the display flag of "外字使用", "ルール確認",
// "棋譜竜表記".
RecordListStyle recordListStyle(const Settings& settings);

// The move text of a node in the display style (traditional forms need rule checking; without it
// the origin form is shown). previousDestination: the parent move's destination, 0 if none.
std::string displayMoveText(const core::MoveNode& node, int previousDestination,
                            const RecordListStyle& style);

// One line of the list: its text (no line end), whether its move has alternatives, and
// its node (the root for line 0).
struct RecordListRow {
    std::string text;
    bool alternatives = false;
    core::NodeIndex node = core::kRootNode;
};

// Line 0 (the start position) and one line per ply.
std::vector<RecordListRow> recordListRows(const core::RecordStore& store, RecordListForm form,
                                          const RecordListStyle& style);
// The texts of recordListRows.
std::vector<std::string> recordListLines(const core::RecordStore& store, RecordListForm form,
                                         const RecordListStyle& style);

// The background of a line: 最終手の色 for the current line, 棋譜変化の色 for a line whose move has
// alternatives, white otherwise. The current line with alternatives, on a display of more than
// 256 colours, takes 最終手の色 darkened channel by channel by half of what 棋譜変化の色 lacks of
// white.
Rgb recordLineColour(bool current, bool alternatives, Rgb currentColour, Rgb variationColour,
                     bool manyColours = true);

// In the branch form, the other alternative whose column holds character column `column` of a
// line (0-based, in single-byte widths): 1 for the first one listed, ...; 0 left of the columns.
int alternativeColumnAt(int column);
// The alternatives of a line in the order the branch form lists them (the line's move left out).
std::vector<core::NodeIndex> listedAlternatives(const core::RecordStore& store,
                                                core::NodeIndex node);

}  // namespace tavrel
