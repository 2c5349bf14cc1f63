// The print preview inside the main view (viewer mode PrintPreview): a 20-pixel band at the top,
// then the previewed page in a frame, drawn by the same painter as the printed page. The mouse
// wheel and the Up and Down keys turn pages; Esc asks to close; the right button asks for the
// context menu.
#pragma once

#include <QWidget>

#include "tavrel/app/print_painter.h"

namespace tavrel {

class PrintPreviewView : public QWidget {
    Q_OBJECT
public:
    PrintPreviewView(Document& doc, PrintKind kind, QWidget* parent);

    PrintKind kind() const { return m_kind; }
    int page() const { return m_page; }
    int pageCount() const;
    void setPage(int page);
    // Where the page is drawn in the view: below the band, A4 upright, a page unit (0.01 inch) to
    // a pixel.
    PageArea pageArea() const;

Q_SIGNALS:
    void closeWanted();
    void contextMenuWanted(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    Document& m_doc;
    PrintKind m_kind;
    int m_page = 0;
};

}  // namespace tavrel
