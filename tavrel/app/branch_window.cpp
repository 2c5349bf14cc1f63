#include "tavrel/app/branch_window.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

#include "core/text/sjis.h"
#include "desktop/qt_text.h"
#include "tavrel/platform/setting_font.h"

namespace tavrel {

namespace {

QString qtext(const std::string& cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }

}  // namespace

BranchWindow::BranchWindow(const core::RecordStore& store, Settings& settings, int instance,
                           QWidget* parent)
    : QWidget(parent, Qt::Tool), m_store(store), m_settings(settings), m_instance(instance) {
    setWindowTitle(desktop::translated("分岐"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    setFont(settingFont(settings.recordFont));
}

int BranchWindow::rowHeight() const {
    QFontMetrics fm(font());
    return fm.height() + fm.leading() + 2;
}

QSize BranchWindow::sizeHint() const {
    return QSize(fontMetrics().averageCharWidth() * 24, rowHeight() * 6);
}

QPoint BranchWindow::rowPoint(int row) const {
    return QPoint(4, row * rowHeight() + rowHeight() / 2);
}

void BranchWindow::placeFromSettings(const Desktop& desktop) {
    const auto& p = m_settings.branchWindow;
    WindowRect r = branchWindowPlacement({p.x, p.y, p.width, p.height}, m_instance, desktop);
    m_placing = true;
    setGeometry(r.x, r.y, r.width, r.height);
    m_placing = false;
}

void BranchWindow::refresh() {
    setFont(settingFont(m_settings.recordFont));
    m_rows = branchRows(m_store, recordListStyle(m_settings));
    bool shown = branchWindowShown(m_settings.branchWindow.mode, m_store);
    // As set, not as drawn: a pane is drawn only while its dock is.
    if (shown == isHidden()) setVisible(shown);
    update();
}

void BranchWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    QFontMetrics fm(font());
    int h = rowHeight();
    int textX = 3 * fm.averageCharWidth() + 1;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        int top = static_cast<int>(i) * h;
        if (top > height()) break;
        int baseline = top + fm.ascent();
        p.drawText(0, baseline, qtext(m_rows[i].label));
        p.drawText(textX, baseline, qtext(m_rows[i].moveText));
    }
}

void BranchWindow::mousePressEvent(QMouseEvent* event) {
    int row = static_cast<int>(event->position().y()) / std::max(1, rowHeight());
    if (event->button() == Qt::LeftButton) {
        if (row < static_cast<int>(m_rows.size())) Q_EMIT rowClicked(row);
    } else if (event->button() == Qt::RightButton) {
        if (row < static_cast<int>(m_rows.size())) {
            Q_EMIT rowMenuWanted(event->globalPosition().toPoint(), row);
        }
    }
}

void BranchWindow::storeRect() {
    // Only a window of its own has a place on the desktop; a pane's place is the layout's.
    if (m_placing || !isVisible() || !isWindow()) return;
    QRect g = geometry();
    WindowRect stored = storedPlacement({g.x(), g.y(), g.width(), g.height()}, m_instance);
    m_settings.branchWindow.x = stored.x;
    m_settings.branchWindow.y = stored.y;
    m_settings.branchWindow.width = stored.width;
    m_settings.branchWindow.height = stored.height;
}

void BranchWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    storeRect();
}

void BranchWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    storeRect();
}

void BranchWindow::closeEvent(QCloseEvent* event) {
    if (m_settings.branchWindow.mode == BranchWindowMode::Always) {
        m_settings.branchWindow.mode = BranchWindowMode::Never;
    }
    event->accept();
}

}  // namespace tavrel
