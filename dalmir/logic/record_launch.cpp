#include "dalmir/logic/record_launch.h"

#include <filesystem>
#include <optional>
#include <string>

#include "core/text/sjis.h"
#include "dalmir/logic/clipboard_record.h"
#include "dalmir/logic/list_commands.h"
#include "dalmir/logic/record_compare.h"
#include "dalmir/logic/record_files.h"
#include "dalmir/model/table/fs_paths.h"

namespace dalmir {

namespace {

bool start(DalmirUi& ui, const LaunchPlan& plan) {
    if (!ui.startProgram(plan.program, plan.argv)) {
        ui.beep();
        ui.showMessage(launchFailedMessage(plan.program, plan.arguments));
        return false;
    }
    return true;
}

}  // namespace

bool launchRecord(model::Database& db, DalmirUi& ui, LaunchCommand command, int slot, int move,
                  const ToolSettings& tools) {
    if (command == LaunchCommand::PositionEdit) {
        return start(ui, launchPlan(command, tools, {}, {}, 0));
    }
    if (slot < 0 || slot >= db.table().size()) return false;
    const std::string file = recordFilePath(db.table(), slot);
    std::error_code ec;
    if (file.empty() || !std::filesystem::exists(file, ec)) {
        // A binary record whose file is gone replays from its move list, handed over on the
        // clipboard.
        std::optional<std::string> text;
        if (command == LaunchCommand::Replay) {
            text = clipboardRecordText(db, slot, std::string(windowTitle(db)));
        }
        if (!text) {
            ui.showMessage(
                missingRecordMessage(model::fileSystemFromStored(db.table().entry(slot).path())));
            return false;
        }
        ui.setClipboardText(core::toUtf8Lossy(*text));
        ui.setStatusText(clipboardRecordStatus());
        command = LaunchCommand::ClipboardReplay;
    }
    return start(ui, launchPlan(command, tools, file, {}, move));
}

void launchRecords(model::Database& db, DalmirUi& ui, LaunchCommand command,
                   const std::vector<int>& slots, const ToolSettings& tools) {
    if (command == LaunchCommand::PositionEdit) {
        // Shows its own message when the viewer does not start.
        (void)launchRecord(db, ui, command, -1, 0, tools);
        return;
    }
    const bool replay = command == LaunchCommand::Replay;
    for (const int slot : slots) {
        if (replay) {
            (void)launchReplayAt(db, ui, slot, replayMove(db.table().entry(slot)), tools);
        } else {
            (void)launchRecord(db, ui, command, slot, 0, tools);
        }
    }
}

bool launchReplayAt(model::Database& db, DalmirUi& ui, int slot, int move,
                    const ToolSettings& tools) {
    if (!launchRecord(db, ui, LaunchCommand::Replay, slot, move, tools)) return false;
    model::IndexEntry& entry = db.table().entry(slot);
    if (db.table().settings().replayMark && !(entry.marks & model::kMarkUser1)) {
        entry.marks |= model::kMarkUser1;
        db.setModified();
    }
    return true;
}

void launchComparison(model::Database& db, DalmirUi& ui, const std::vector<int>& rows,
                      const ToolSettings& tools) {
    const TwoRecordComparison c = compareTwoRecords(db, rows);
    if (!c.compared) return;
    if (c.identical) {
        ui.beep();
        ui.setStatusText(noDifferenceText());
        return;
    }
    // Shows its own message when the viewer does not start.
    (void)launchRecord(db, ui, LaunchCommand::Replay, c.firstSlot, c.move, tools);
    ui.runLater(kSecondViewerDelayMs, [&db, &ui, second = c.secondSlot, move = c.move, tools] {
        if (second < db.table().size()) {
            // Shows its own message when the viewer does not start.
            (void)launchRecord(db, ui, LaunchCommand::Replay, second, move, tools);
        }
    });
}

bool startNewInstance(DalmirUi& ui, const std::string& program) {
    if (ui.startProgram(program, {})) return true;
    ui.beep();
    ui.showMessage(newInstanceFailedMessage(program));
    return false;
}

}  // namespace dalmir
