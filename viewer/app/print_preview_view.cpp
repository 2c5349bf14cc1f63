#include "viewer/app/print_preview_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "viewer/logic/image_export.h"

namespace viewer {

namespace {
constexpr double kA4Width = 210;
constexpr double kA4Height = 297;
constexpr int kPageGap = 4;
}  // namespace

PrintPreviewView::PrintPreviewView(CTavrelDoc& doc, PrintKind kind, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_kind(kind) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
}

PageArea PrintPreviewView::pageArea() const {
    const int availableH = std::max(1, height() - kPreviewBand - 2 * kPageGap);
    const int availableW = std::max(1, width() - 2 * kPageGap);
    int h = availableH;
    int w = static_cast<int>(h * kA4Width / kA4Height);
    if (w > availableW) {
        w = availableW;
        h = static_cast<int>(w * kA4Height / kA4Width);
    }
    PageArea area;
    area.rect = QRect(kPageGap, kPreviewBand + kPageGap, w, h);
    area.dpiX = w / (kA4Width / 25.4);
    area.dpiY = h / (kA4Height / 25.4);
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
        case Qt::Key_PageDown:
            setPage(m_page + 1);
            return;
        case Qt::Key_PageUp:
            setPage(m_page - 1);
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void PrintPreviewView::contextMenuEvent(QContextMenuEvent* event) {
    Q_EMIT contextMenuWanted(event->globalPos());
}

}  // namespace viewer
