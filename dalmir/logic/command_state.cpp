#include "dalmir/logic/command_state.h"

#include "core/text/translation.h"
#include "dalmir/model/store/database.h"

namespace dalmir {

namespace {

// The commands that only read the selected records or the list, and change nothing: they stay
// while a worker opens another database. A save's worker gives the database its file name,
// against which the records' relative paths resolve: then only the selection is free.
bool readsOnly(Command command, BackgroundWork work) {
    if (work == BackgroundWork::Saving) return command == Command::SelectAll;
    switch (command) {
        case Command::Copy:
        case Command::ListInfo:
        case Command::SelectAll:
        case Command::Replay:
        case Command::Play:
        case Command::PrintRecord:
        case Command::Editor:
        case Command::OpenFolder:
        case Command::CompareTwo:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool isEnabled(Command command, const WindowState& s) {
    if (s.background != BackgroundWork::None) {
        if (s.busy || !readsOnly(command, s.background)) return false;
        WindowState idle = s;
        idle.background = BackgroundWork::None;
        return isEnabled(command, idle);
    }
    const bool idle = !s.busy;
    const bool selection = idle && s.selected > 0;
    switch (command) {
        case Command::New:
        case Command::Open:
        case Command::Save:
        case Command::SaveAs:
        case Command::AddFolder:
        case Command::AddFile:
        case Command::DeleteFolder:
        case Command::PositionEdit:
        case Command::Settings:
        case Command::ColumnsDialog:
            return idle;
        case Command::Card:
            return idle;  // the card opens empty without a selection
        case Command::PrintList:
        case Command::PrintPreview:
        case Command::HeaderSearch:
        case Command::PositionSearch:
        case Command::NextMoveSearch:
        case Command::SequenceSearch:
        case Command::UpdateAll:
        case Command::Statistics:
        case Command::Duplicates:
        case Command::ClearMarks:
        case Command::SelectAll:
            return idle && s.listed > 0;
        case Command::ShowAll:
            return idle && s.registered > 0;
        case Command::RelativePaths:
            // Paths are relative to the database's own file: it needs one, and records.
            return idle && s.titled && s.registered > 0;
        case Command::Paste:
            return idle && s.clipboardHasRecords;
        case Command::Cut:
        case Command::Copy:
        case Command::Delete:
        case Command::DeleteWithFiles:
        case Command::ListInfo:
        case Command::UpdateSelected:
        case Command::CopySelectedFiles:
        case Command::ShowOnlySelected:
        case Command::HideSelected:
        case Command::ToggleMark:
        case Command::Replay:
        case Command::Play:
        case Command::PrintRecord:
        case Command::OpenFolder:
            return selection;
        case Command::Editor:
            return selection && s.hasEditor;
        case Command::EditMarks:
            return idle && s.selected == 1;
        case Command::KeepListed:
            return idle && s.listed < s.registered;
        case Command::AdoptListOrder:
            return idle && s.registered > 0 && s.listed == s.registered;
        case Command::CompareTwo:
            return idle && s.binary && s.selected >= 2;
        case Command::Undo:
            return idle && s.canUndo;
        case Command::Analyse:
            // The evaluations are kept beside the database's file.
            return idle && s.titled && s.listed > 0;
    }
    return false;
}

std::string backgroundStatusText(BackgroundWork work, std::string_view path) {
    const std::string name = "データベース(" + std::string(path) + ")";
    switch (work) {
        case BackgroundWork::None:
            break;
        case BackgroundWork::Saving:
            return name +
                   "を保存しています。保存が終わるまで、データベースを変更するコマンドは使え"
                   "ません。";
        case BackgroundWork::Opening:
            return name +
                   "を開いています。開き終わるまで、データベースを変更するコマンドは使え"
                   "ません。";
        case BackgroundWork::Analysing:
            return name + core::translate("の棋譜を解析しています。") +
                   core::translate(
                       "解析が終わるまで、データベースを変更するコマンドは使えません。");
    }
    return {};
}

std::string unreadableFileMessage(std::string_view path) {
    return "ファイル(" + std::string(path) + ")は、読めません。";
}

OpenRequest openRequest(const std::vector<std::string>& files) {
    OpenRequest out;
    for (const auto& file : files) {
        if (file.empty()) continue;
        if (file == "/p" || file == "/P") {
            out.print = true;
            continue;
        }
        if (model::databaseKindOf(file) == model::DatabaseKind::Unknown) {
            out.messages.push_back(unreadableFileMessage(file));
        } else if (out.database.empty()) {
            out.database = file;
        }
    }
    return out;
}

DroppedFiles sortDroppedFiles(const std::vector<std::string>& files) {
    DroppedFiles out;
    for (const auto& file : files) {
        if (model::databaseKindOf(file) != model::DatabaseKind::Unknown) {
            out.databases.push_back(file);
        } else {
            out.records.push_back(file);
        }
    }
    if (!out.databases.empty()) out.records.clear();
    return out;
}

}  // namespace dalmir
