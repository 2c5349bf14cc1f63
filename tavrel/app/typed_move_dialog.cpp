#include "tavrel/app/typed_move_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/text/sjis.h"
#include "desktop/qt_text.h"

namespace tavrel {

TypedMoveDialog::TypedMoveDialog(QWidget* parent) : QDialog(parent), m_edit(new QLineEdit(this)) {
    setWindowTitle(desktop::translated("指し手入力"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(desktop::translated("指し手（例 7677, 55ka, 2324n）："), this));
    layout->addWidget(m_edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::optional<std::string> TypedMoveDialog::ask() {
    m_edit->clear();
    m_edit->setFocus();
    if (exec() != QDialog::Accepted) return std::nullopt;
    return m_edit->text().toStdString();
}

}  // namespace tavrel
