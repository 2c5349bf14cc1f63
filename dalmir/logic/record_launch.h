// Starting the viewer or the editor for records of the list: the file each is started with, the
// replay from the clipboard of a binary record whose file is gone, and マーク1 on the records a
// replay was started for.
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

}  // namespace dalmir
