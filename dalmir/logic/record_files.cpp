#include "dalmir/logic/record_files.h"

#include <filesystem>
#include <string_view>
#include <utility>

#include "dalmir/logic/list_commands.h"
#include "dalmir/model/table/fs_paths.h"

namespace dalmir {

namespace {

// Without the blanks, tabs and line ends around it.
std::string trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(kBlanks) - first + 1));
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec);
}

}  // namespace

std::string recordFilePath(const model::IndexTable& table, int slot) {
    std::string path = model::fileSystemFromStored(table.entry(slot).path());
    if (!path.empty() && path.front() != '/') {
        path = model::fileSystemFromStored(std::string(table.folder())) + path;
    }
    return model::locateFile(path);
}

void openRecordFolders(const model::IndexTable& table, const std::vector<int>& slots,
                       DalmirUi& ui) {
    for (const int slot : slots) {
        std::error_code ec;
        std::filesystem::path file = std::filesystem::absolute(recordFilePath(table, slot), ec);
        const std::string folder = file.parent_path().string();
        if (!ui.openWithDesktop(folder)) {
            ui.beep();
            ui.showMessage("フォルダ(" + folder + ")が開けませんでした。");
        }
    }
}

void askToRegisterClipboardFile(DalmirUi& ui,
                                std::function<void(const std::string&)> registerFile) {
    const std::string path = trimmed(ui.clipboardText());
    if (path.empty()) return;
    Question question;
    question.text = "棋譜(" + path + ")を登録しますか？";
    question.caption = "棋譜登録の確認";
    ui.askLater(question, [path, registerFile = std::move(registerFile)](Answer answer) {
        if (answer == Answer::Yes) registerFile(path);
    });
}

bool deleteWithFiles(model::Database& db, UndoKeeper& undo, DalmirUi& ui,
                     const std::vector<int>& slots, bool confirm) {
    if (confirm) {
        Question question;
        question.text = std::to_string(slots.size()) + " 個の棋譜ファイルをごみ箱に移動しますか？";
        question.unattended = Answer::Yes;
        if (ui.ask(question) != Answer::Yes) return false;
    }
    for (const int slot : slots) {
        const std::string file = recordFilePath(db.table(), slot);
        if (fileExists(file) && !ui.moveToTrash(file)) {
            ui.showMessage("ファイル(" + file + ")をごみ箱に移動できませんでした。");
        }
    }
    // The files are in the trash: taking the entries back would list records without files.
    undo.forget();
    deleteSlots(db, slots);
    ui.listReplaced();
    return true;
}

}  // namespace dalmir
