// What the document needs from the windows: message boxes, questions, the status line, the
// warning sound and the wait cursor. The main window implements it; tests use a recording fake.
#pragma once

#include <string>

namespace viewer {

enum class Answer { Yes, No, Cancel };

class DocumentUi {
public:
    virtual ~DocumentUi() = default;
    // A modal message with an OK button (texts CP932).
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;
    // A Yes/No (withCancel: Yes/No/Cancel) question.
    virtual Answer ask(const std::string& text, const std::string& caption, bool withCancel) = 0;
    // The status bar's message line (SetStatusText).
    virtual void setStatusText(const std::string& text) = 0;
    // The warning sound itself; the document checks the setting 警告音 first.
    virtual void beep() = 0;
    virtual void setBusy(bool busy) = 0;
};

}  // namespace viewer
