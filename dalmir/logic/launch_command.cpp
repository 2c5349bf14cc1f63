#include "dalmir/logic/launch_command.h"

namespace dalmir {

std::string expandTemplate(std::string_view templ, std::string_view recordPath,
                           std::string_view indexFolder, int move) {
    std::string out;
    for (std::size_t i = 0; i < templ.size(); ++i) {
        const char c = templ[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (++i >= templ.size()) break;
        switch (templ[i]) {
            case 'f':
            case 'F':
                if (!recordPath.empty() && recordPath.front() != '/') out += indexFolder;
                out += recordPath;
                break;
            case 'n':
            case 'N':
                out += std::to_string(move);
                break;
            case '%':
                out += '%';
                break;
            default:
                break;
        }
    }
    return out;
}

std::vector<std::string> splitArguments(std::string_view arguments) {
    std::vector<std::string> out;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (const char c : arguments) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument) out.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) out.push_back(std::move(current));
    return out;
}

LaunchPlan launchPlan(LaunchCommand command, const ToolSettings& tools, std::string_view recordPath,
                      std::string_view indexFolder, int move) {
    LaunchPlan plan;
    plan.program = tools.replayCommand;
    std::string_view templ;
    switch (command) {
        case LaunchCommand::Replay:
            templ = tools.replayOptions;
            break;
        case LaunchCommand::Play:
            templ = tools.playOptions;
            move = 0;
            break;
        case LaunchCommand::Print:
            templ = tools.printOptions;
            move = 0;
            break;
        case LaunchCommand::PositionEdit:
            templ = tools.diagramOptions;
            recordPath = {};
            move = 0;
            break;
        case LaunchCommand::Editor:
            plan.program = tools.editCommand;
            templ = tools.editOptions;
            if (plan.program.empty()) {
                // The desktop's opener takes the file alone; the editor's options are not its.
                plan.program = kDesktopOpener;
                templ = "\"%f\"";
            }
            move = 0;
            break;
        case LaunchCommand::ClipboardReplay:
            templ = "/C +%n";
            recordPath = {};
            break;
    }
    plan.arguments = expandTemplate(templ, recordPath, indexFolder, move);
    plan.argv = splitArguments(plan.arguments);
    return plan;
}

int replayMove(const model::IndexEntry& entry) {
    return entry.nextMove().empty() ? 0 : entry.hitPly;
}

bool needsRecordFile(LaunchCommand command, bool binaryDatabase) {
    switch (command) {
        case LaunchCommand::PositionEdit:
        case LaunchCommand::ClipboardReplay:
            return false;
        case LaunchCommand::Replay:
            return !binaryDatabase;
        default:
            return true;
    }
}

std::string defaultViewer(std::string_view programFolder,
                          const std::function<bool(const std::string&)>& exists) {
    std::string beside(programFolder);
    if (!beside.empty() && beside.back() != '/') beside += '/';
    beside += "tavrel";
    if (!programFolder.empty() && exists(beside)) return beside;
    return "tavrel";
}

std::string newInstanceFailedMessage(std::string_view program) {
    return "起動に失敗しました。(" + std::string(program) + ")";
}

std::string launchFailedMessage(std::string_view program, std::string_view arguments) {
    std::string out = "起動に失敗しました。(";
    out += program;
    out += ' ';
    out += arguments;
    out += ')';
    return out;
}

std::string missingRecordMessage(std::string_view path) {
    return "棋譜(" + std::string(path) + ")がありません。";
}

}  // namespace dalmir
