// The record window's context menu: which entries a right click on a line offers and what they
// name, and the record changes two of them make (先頭へ, 削除). The window shows the entries and
// forwards the choice; dialogs of other commands stay the window's.
#pragma once

#include <string>
#include <vector>

#include "core/record/record_store.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/view/record_list_text.h"

namespace tavrel {

enum class RecordMenuCommand {
    Separator,
    JumpToPly,     // 指定手数へ(&J)...
    GoToBookmark,  // しおりへ移動(&B)...
    SwitchForm,    // 消費時間を表示する(&S) / 分岐を表示する(&H)
    MakeFirst,     // 先頭へ(&T) %s
    EditComment,   // コメントの編集(&C)... %s
    EditTime,      // 消費時間の編集(&T)... %s
    Delete,        // 削除(&D) %s
};

struct RecordMenuEntry {
    RecordMenuCommand command;
    std::string text;  // empty for the separator
};

// The line clicked: its ply and the move it stands for (in the branch form an alternative chosen
// by its column, else the line's own node; the root for line 0).
struct RecordMenuTarget {
    int ply = 0;
    core::NodeIndex node = core::kRootNode;
};

// The move of a line chosen by a click at character column `column` (see alternativeColumnAt).
RecordMenuTarget recordMenuTarget(const core::RecordStore& store, RecordListForm form, int ply,
                                  int column);

std::vector<RecordMenuEntry> recordMenuEntries(ViewerMode mode, const core::RecordStore& store,
                                               RecordListForm form, const RecordMenuTarget& target,
                                               const RecordListStyle& style);

// 先頭へ: the move becomes the main continuation of its position. 削除: the move and everything
// after it go. Both redraw; the record counts as modified. False when nothing changed.
bool makeMoveFirst(Document& doc, core::NodeIndex node);
bool deleteMove(Document& doc, core::NodeIndex node);

}  // namespace tavrel
