// The branch window (分岐): the moves that can follow the position shown, one row each, when the
// window is shown, where it goes, its right-click menu and what a click on a row does. The window
// draws the rows and forwards clicks; the settings own its place.
#pragma once

#include <string>
#include <vector>

#include "core/record/record_store.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/play/play_move.h"
#include "tavrel/logic/view/record_list_text.h"
#include "tavrel/logic/view/window_placement.h"

namespace tavrel {

struct BranchRow {
    std::string label;     // "%2d%c": the row number, "*" when the move has a comment
    std::string moveText;  // in the display style, with the side mark
    core::NodeIndex node = core::kNoNode;
    bool terminal = false;
};

// The current node's first continuation and its alternatives, in order.
std::vector<BranchRow> branchRows(const core::RecordStore& store, const RecordListStyle& style);

// Whether the branch window shows in this mode (WhenBranches: when the next ply has alternatives).
bool branchWindowShown(BranchWindowMode setting, const core::RecordStore& store);

// The window's rectangle at creation: the stored one moved by the instance offset; for the first
// instance kept on the desktop (a left edge in its last 10 pixels becomes 10, a top edge there
// 350, a window reaching below is moved up); at least 10 pixels stay on screen.
WindowRect branchWindowPlacement(const WindowRect& saved, int instance, const Desktop& desktop);

enum class BranchMenuCommand { Replay, MakeFirst, Delete };
struct BranchMenuEntry {
    BranchMenuCommand command;
    std::string text;
};
// The right-click menu of row `row` (0-based); empty when there is no such row.
std::vector<BranchMenuEntry> branchMenuEntries(const core::RecordStore& store, int row,
                                               const RecordListStyle& style);

// A left click on row `row`: a real move is played as the next move (animated, with the piece
// sound). False when nothing was played.
bool playBranch(Document& doc, MoveClock& clock, int row);

// The node of row `row`, kNoNode when there is none.
core::NodeIndex branchNode(const core::RecordStore& store, int row);

}  // namespace tavrel
