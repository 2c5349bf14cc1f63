#include "viewer/app/record_window.h"

#include <QVBoxLayout>

#include "core/notation.h"
#include "core/sjis.h"
#include "viewer/logic/info_lines.h"
#include "viewer/logic/title.h"

namespace viewer {

RecordWindow::RecordWindow(const core::RecordStore& store, const Settings& settings,
                           QWidget* parent)
    : QWidget(parent, Qt::Tool),
      m_store(store),
      m_settings(settings),
      m_list(new QListWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    QFont font(QString::fromStdString(core::toUtf8Lossy(settings.recordFont.face)));
    font.setPixelSize(std::max(6, std::abs(settings.recordFont.height)));
    m_list->setFont(font);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_refreshing && row >= 0) Q_EMIT plyChosen(row);
    });
    setWindowTitle(QString::fromStdString(core::toUtf8Lossy(recordWindowCaption(0, 0))));
}

void RecordWindow::refresh() {
    m_refreshing = true;
    m_list->clear();
    m_list->addItem(QString::fromStdString(core::toUtf8Lossy(core::sjis("=== 開始局面 ==="))));
    bool down = m_settings.moveTextStyle == 1 || m_settings.moveTextStyle == 3;
    int previous = 0;
    int end = m_store.lineEnd();
    for (int ply = 1; ply <= end; ++ply) {
        core::NodeIndex n = m_store.nodeAtPly(ply);
        if (n == core::kNoNode) break;
        const core::MoveNode& node = m_store.node(n);
        bool black = core::moverOf(node) == core::kSideBlack;
        std::string mark = core::sjis(black ? "▲" : (down ? "▽" : "△"));
        std::string text = displayMoveText(node, previous, m_settings);
        char label[16];
        std::snprintf(label, sizeof label, "%3d%c ", ply, node.comment ? '*' : ' ');
        if (m_store.hasAlternativeAt(ply)) text += "+";
        m_list->addItem(QString::fromStdString(core::toUtf8Lossy(label + mark + text)));
        previous = node.isTerminal() ? 0 : node.destination();
    }
    m_list->setCurrentRow(m_store.currentPly());
    setWindowTitle(QString::fromStdString(
        core::toUtf8Lossy(recordWindowCaption(m_store.currentPly(), m_store.lineEndOfMoves()))));
    m_refreshing = false;
}

}  // namespace viewer
