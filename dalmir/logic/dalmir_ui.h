// What Dalmir's decisions in dalmir/logic need from the window: messages, questions (modal and
// not), the file dialogs, the clipboard, the status line, the warning sound, starting another
// program or the desktop's, a later step, and the redraws after the database changed. The main
// window implements it; tests use a recording fake. Texts are UTF-8, paths the file system's bytes.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dalmir/logic/command_state.h"
#include "dalmir/model/table/operation_host.h"

namespace dalmir {

namespace model {
class EvaluationStore;
}

enum class Answer { Yes, No, Cancel };

struct Question {
    std::string text;
    std::string caption = "Dalmir";
    bool withCancel = false;  // Yes/No/Cancel rather than Yes/No
    bool warning = false;     // the warning icon rather than the question mark
    // What a window without a user (run by tests) answers, without showing the question.
    Answer unattended = Answer::No;
};

// What a file dialog shows: its title and one filter ("名前 (*.a *.b)"); empty for all files.
struct FileDialogRequest {
    std::string title;
    std::string filter;
};

// Work on the database that runs on a worker while the window stays usable for reading: a save
// or an opening. The window shows progress (and Cancel when cancellable), disables the commands
// that would change the database and says why in the status bar.
struct BackgroundJob {
    BackgroundWork kind = BackgroundWork::Saving;
    std::string path;  // the database file, for the status text (UTF-8)
    bool cancellable = false;
    // Runs on the worker; it polls host.cancelRequested() where it may stop.
    std::function<void(model::OperationHost& host)> work;
    // Runs on the GUI thread when work has ended.
    std::function<void()> done;
};

class DalmirUi {
public:
    virtual ~DalmirUi() = default;
    // A message with an OK button and the caption "Dalmir"; it does not wait for the user.
    virtual void showMessage(const std::string& text) = 0;
    // One message over a list too long for a message box (every bad line of a file): the text
    // above, the lines in a scrollable list below (UTF-8).
    virtual void showMessageList(const std::string& text,
                                 const std::vector<std::string>& lines) = 0;
    // A modal question.
    virtual Answer ask(const Question& question) = 0;
    // A Yes/No question that does not wait: answer runs when the user has answered. A window
    // without a user notes the question and never answers.
    virtual void askLater(const Question& question, std::function<void(Answer)> answer) = 0;
    // The Open dialog for an existing file; nullopt when cancelled.
    virtual std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) = 0;
    // The Save As dialog; nullopt when cancelled.
    virtual std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) = 0;
    // A folder dialog for an existing folder; nullopt when cancelled.
    virtual std::optional<std::string> chooseFolder(const std::string& title) = 0;
    // The clipboard's text; empty when it holds none.
    virtual std::string clipboardText() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    // The status bar's first pane.
    virtual void setStatusText(const std::string& text) = 0;
    virtual void beep() = 0;
    // Starts program with the arguments, detached; false when it did not start.
    virtual bool startProgram(const std::string& program,
                              const std::vector<std::string>& arguments) = 0;
    // Moves a file to the desktop's trash; false when that failed.
    virtual bool moveToTrash(const std::string& path) = 0;
    // Shows a local file or folder with the desktop's program for it; false when that could not
    // be started.
    virtual bool openWithDesktop(const std::string& path) = 0;
    // Runs run after ms milliseconds, unless a long operation runs then: it is dropped.
    virtual void runLater(int ms, std::function<void()> run) = 0;
    // The File menu's recent databases changed.
    virtual void recentFilesChanged() = 0;
    // The list holds another database: the selection is dropped and the whole list drawn again.
    virtual void listReplaced() = 0;
    // The title, the status panes and the command states are drawn again (the list stays).
    virtual void stateChanged() = 0;
    // The evaluations kept beside the database just opened, after listReplaced (null when it
    // has none).
    virtual void evaluationsRead(std::shared_ptr<const model::EvaluationStore> /*store*/) {}
    // The database just opened has 自動更新 on: every record file is read again, silently
    // keeping the entries whose files are gone.
    virtual void startAutoUpdate() {}
    // Converts the text database into the binary pair at fsTarget on a worker, with progress and
    // Cancel (every record file is read again); the pair is then opened.
    virtual void convertToBinary(const std::string& fsTarget) = 0;
    // Starts job on the worker; false (nothing runs, done is not called) when another long
    // operation runs.
    virtual bool runInBackground(BackgroundJob job) = 0;
    // A binary database whose tree index lies beside it was saved at fsPath: the index no
    // longer describes it and is built again and written there (a long operation).
    virtual void rebuildTreeIndex(const std::string& fsPath) = 0;
};

}  // namespace dalmir
