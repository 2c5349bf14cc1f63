#include "tavrel/app/print_preview_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "tavrel/logic/output/image_export.h"

namespace tavrel {

namespace {
constexpr double kA4Width = 210;
constexpr double kA4Height = 297;
constexpr double kPreviewDpi = 100;
}  // namespace

PrintPreviewView::PrintPreviewView(Document& doc, PrintKind kind, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_kind(kind) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
}

PageArea PrintPreviewView::pageArea() const {
    // One page unit (0.01 inch) to a pixel, whatever the window's size, so that the trimming area
    // in window pixels always takes the same part of the page.
    PageArea area;
    area.dpiX = kPreviewDpi;
    area.dpiY = kPreviewDpi;
    area.rect = QRect(1, kPreviewBand + 1, static_cast<int>(kA4Width / 25.4 * kPreviewDpi),
                      static_cast<int>(kA4Height / 25.4 * kPreviewDpi));
    return area;
}

int PrintPreviewView::pageCount() const {
    return PrintPainter(m_doc).pageCount(pageArea(), m_kind);
}

void PrintPreviewView::setPage(int page) {
    m_page = std::clamp(page, 0, std::max(0, pageCount() - 1));
    update();
}

void PrintPreviewView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.fillRect(QRect(0, 0, width(), kPreviewBand), palette().window());
    p.drawText(QRect(4, 0, width() - 8, kPreviewBand), Qt::AlignVCenter,
               QStringLiteral("%1 / %2").arg(m_page + 1).arg(pageCount()));
    const PageArea area = pageArea();
    p.setPen(Qt::black);
    p.drawRect(area.rect.adjusted(-1, -1, 0, 0));
    p.setClipRect(area.rect);
    PrintPainter(m_doc).drawPage(p, area, m_kind, m_page);
}

void PrintPreviewView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            Q_EMIT closeWanted();
            return;
        case Qt::Key_Down:
            setPage(m_page + 1);
            return;
        case Qt::Key_Up:
            setPage(m_page - 1);
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void PrintPreviewView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y();
    if (steps < 0) setPage(m_page + 1);
    if (steps > 0) setPage(m_page - 1);
    event->accept();
}

void PrintPreviewView::contextMenuEvent(QContextMenuEvent* event) {
    Q_EMIT contextMenuWanted(event->globalPos());
}

}  // namespace tavrel
