// The move dialog (CSasiteDlg): one line of text for a move ("7677", "55ka", "2324n") or a word
// (make, quit, ret, back), opened with Shift+Enter in play. What the text means is decided by
// tavrel/logic/play/typed_move; the dialog only asks for it.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <optional>
#include <string>

namespace tavrel {

// The typed-move dialog (CSasiteDlg).
class TypedMoveDialog : public QDialog {
    Q_OBJECT
public:
    explicit TypedMoveDialog(QWidget* parent);
    // The text typed; nullopt when cancelled.
    std::optional<std::string> ask();
    QLineEdit* edit() { return m_edit; }

private:
    QLineEdit* m_edit;
};

}  // namespace tavrel
