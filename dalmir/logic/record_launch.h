// Starting the viewer or the editor for records of the list: the file each is started with, the
// replay from the clipboard of a binary record whose file is gone, マーク1 on the records a
// replay was started for, two records compared side by side, and another copy of Dalmir.
#pragma once

#include <vector>

#include "dalmir/logic/dalmir_ui.h"
#include "dalmir/logic/launch_command.h"
#include "dalmir/model/store/database.h"

namespace dalmir {

// Starts the command for one record (position editing needs none: slot is ignored). A replay
// of a record whose file is gone hands the record over on the clipboard when its move list
// replays. Shows its own message (and beeps when the start failed); false when nothing started.
bool launchRecord(model::Database& db, DalmirUi& ui, LaunchCommand command, int slot, int move,
                  const ToolSettings& tools);

// The command for the slots' records in turn; position editing starts once, for no record.
// When the list's setting 再現マーク is on, every record a replay started for gets
// マーク1 and the database is marked modified.
void launchRecords(model::Database& db, DalmirUi& ui, LaunchCommand command,
                   const std::vector<int>& slots, const ToolSettings& tools);

// The viewer for one record at a move (the board pane's ply), with 再現マーク as
// launchRecords gives it. False when nothing started.
bool launchReplayAt(model::Database& db, DalmirUi& ui, int slot, int move,
                    const ToolSettings& tools);

// 二つの棋譜の違いを調べる on the first two rows: identical records beep and say so on the
// status line; different ones open in the viewer at their first difference, the second a
// moment after the first, which takes its record from the clipboard at its start.
void launchComparison(model::Database& db, DalmirUi& ui, const std::vector<int>& rows,
                      const ToolSettings& tools);

// The pause between the two starts of launchComparison, in milliseconds.
inline constexpr int kSecondViewerDelayMs = 500;

// Dalmirを新たに起動する: starts program (this program) once more. Shows its own message and
// beeps when it did not start.
bool startNewInstance(DalmirUi& ui, const std::string& program);

}  // namespace dalmir
