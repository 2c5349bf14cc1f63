#include "viewer/app/record_window.h"

#include <QVBoxLayout>

#include "core/text/sjis.h"
#include "viewer/logic/record_list_text.h"
#include "viewer/logic/title.h"
#include "viewer/platform/setting_font.h"

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
    m_list->setFont(settingFont(settings.recordFont));
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_refreshing && row >= 0) Q_EMIT plyChosen(row);
    });
    setWindowTitle(QString::fromStdString(core::toUtf8Lossy(recordWindowCaption(0, 0))));
}

void RecordWindow::refresh() {
    m_refreshing = true;
    m_list->clear();
    // One line per ply of the current line, line 0 the start position.
    RecordListForm form =
        m_settings.recordWindow.form == 1 ? RecordListForm::Branches : RecordListForm::Times;
    for (const std::string& line : recordListLines(m_store, form, recordListStyle(m_settings))) {
        m_list->addItem(QString::fromStdString(core::toUtf8Lossy(line)));
    }
    m_list->setCurrentRow(m_store.currentPly());
    setWindowTitle(QString::fromStdString(
        core::toUtf8Lossy(recordWindowCaption(m_store.currentPly(), m_store.lineEndOfMoves()))));
    m_refreshing = false;
}

}  // namespace viewer
