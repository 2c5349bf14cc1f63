// The comment window (棋譜コメント 2 and 3): a sizeable pop-up whose caption names the current
// position and whose read-only text field, filling it, shows that position's comment.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>

#include "tavrel/logic/view/comment_view.h"

namespace tavrel {

// The comment window (CCommWnd).
class CommentWindow : public QWidget {
    Q_OBJECT
public:
    explicit CommentWindow(QWidget* parent = nullptr);
    // Shows the view's caption and comment.
    void showView(const CommentView& view);
    QPlainTextEdit* text() const { return m_text; }

private:
    QPlainTextEdit* m_text;
};

}  // namespace tavrel
