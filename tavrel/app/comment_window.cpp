#include "tavrel/app/comment_window.h"

#include <QVBoxLayout>

#include "tavrel/platform/qt_text.h"

namespace tavrel {

CommentWindow::CommentWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_text(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("CommentWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    m_text->setReadOnly(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
}

void CommentWindow::showView(const CommentView& view) {
    setWindowTitle(fromUtf8(view.caption));
    const QString text = fromUtf8(view.text);
    if (m_text->toPlainText() != text) m_text->setPlainText(text);
}

}  // namespace tavrel
