// What the document and the commands in tavrel/logic need from the windows: message boxes,
// questions, the Open and Save As file dialogs, the clipboard, the status line, the warning sound,
// the wait cursor, a file shown by the desktop (the help) and a redraw after the record changed.
// The main window implements it; tests use a recording fake.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/rules/position.h"

namespace tavrel {

enum class Answer { Yes, No, Cancel };

// What a command that shows its own messages did. The caller shows nothing more; it only decides
// whether to go on.
enum class [[nodiscard]] CommandResult : int{
    Done = 0,
    Failed = -1,    // a message said why
    Cancelled = 1,  // the user said no to a question or closed a dialog; nothing changed
};

// The buttons of the dialog "棋譜の保存" at the end of a game.
enum class GameSaveChoice { Save, SaveAs, DontSave };

// One end of a move drawn travelling: a square, or the stand slot of a kind in a side's hand.
struct BoardSpot {
    int square = 0;  // 11..99; 0 for a stand
    core::SideByte side = core::kSideBlack;
    int handType = 0;  // 1..7 on a stand
};

// A move to draw travelling over the position now shown: the piece leaves `from` and lands on
// `to`; `hands` are the hands the stand ends are placed with.
struct AnimatedMove {
    core::PieceByte piece = 0;
    BoardSpot from;
    BoardSpot to;
    core::HandCounts hands;
};

// What a file dialog shows.
struct FileDialogRequest {
    std::string title;
    std::string folder;  // ends with '/', or empty
    std::string name;    // the file name proposed (Save As only)
    std::vector<std::string> filters;
    int selected = 0;  // index into filters
};

// The name chosen: the path (file system's bytes) and the index of the filter chosen, -1 when the
// dialog reports none of the filters.
struct FileChoice {
    std::string path;
    int filter = -1;
};

class DocumentUi {
public:
    virtual ~DocumentUi() = default;
    // A modal message with an OK button.
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;
    // A Yes/No (withCancel: Yes/No/Cancel) question.
    virtual Answer ask(const std::string& text, const std::string& caption, bool withCancel) = 0;
    // A Yes/No question about a step that loses something: No is the default button, so Enter
    // or closing the box keeps what there is.
    virtual Answer askDefaultNo(const std::string& text, const std::string& caption) = 0;
    // A message with a list too long for a message box (every bad line of a file): the text
    // above, the lines in a scrollable list below.
    virtual void showMessageList(const std::string& text, const std::string& caption,
                                 const std::vector<std::string>& lines) = 0;
    // The dialog "棋譜の保存" after a game: "棋譜を保存しますか？", the record's name and
    // the buttons "上書き保存(&S)", "名前を付けて保存(&A)" and "保存しない(&N)".
    virtual GameSaveChoice askGameSave(const std::string& recordName) = 0;
    // The Open dialog, for an existing file. nullopt when cancelled.
    virtual std::optional<FileChoice> chooseOpenFile(const FileDialogRequest& request) = 0;
    // The Save As dialog; it never asks about an existing file itself. nullopt when cancelled.
    virtual std::optional<FileChoice> chooseSaveFile(const FileDialogRequest& request) = 0;
    // The clipboard's text; nullopt when the clipboard holds no text.
    virtual std::optional<std::string> clipboardText() = 0;
    // The status bar's message line (SetStatusText).
    virtual void setStatusText(const std::string& text) = 0;
    // The warning sound itself; the document checks the setting 警告音 first.
    virtual void beep() = 0;
    virtual void setBusy(bool busy) = 0;
    // Shows a local file with the desktop's program for it (the browser for HTML); false when
    // that could not be started.
    virtual bool openWithDesktop(const std::string& path) = 0;
    // The record, its names or the mode changed: board, information, record window, title and
    // command states are drawn again.
    virtual void documentChanged() = 0;
    // The piece sound (駒音種類). Until sounds exist it makes none.
    virtual void pieceSound() {}
    // Draws a move travelling over the position just changed; the window shows the piece at its
    // destination until then. Windows without animation ignore it.
    virtual void animateMove(const AnimatedMove&) {}
};

}  // namespace tavrel
