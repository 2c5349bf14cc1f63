#include "dalmir/app/tree_dock.h"

#include <QVBoxLayout>

#include "dalmir/app/qt_text.h"
#include "dalmir/logic/tree_view.h"

namespace dalmir {

namespace {
QString qs(const char* utf8) { return QString::fromUtf8(utf8); }
}  // namespace

TreeDock::TreeDock(QWidget* parent)
    : QDockWidget(qs("ツリー"), parent),
      m_caption(new QLabel),
      m_lines(new QListWidget),
      m_listButton(new QPushButton(qs("この手の棋譜を一覧"))) {
    setObjectName(QStringLiteral("TreeDock"));
    m_listButton->setObjectName(QStringLiteral("treeList"));
    m_caption->setWordWrap(true);
    auto* layout = new QVBoxLayout;
    layout->addWidget(m_caption);
    layout->addWidget(m_lines, 1);
    layout->addWidget(m_listButton);
    auto* body = new QWidget;
    body->setLayout(layout);
    setWidget(body);
    m_listButton->setEnabled(false);
    connect(m_lines, &QListWidget::currentRowChanged, this,
            [this](int row) { m_listButton->setEnabled(row >= 0); });
    connect(m_listButton, &QPushButton::clicked, this, &TreeDock::listRequested);
    connect(m_lines, &QListWidget::itemDoubleClicked, this, &TreeDock::listRequested);
}

void TreeDock::showFor(const model::Database& db, int slot) {
    m_lines->clear();
    m_tree = {};
    m_board = treePositionOf(db, slot);
    if (!m_board || !db.isBinary()) {
        m_caption->setText(db.isBinary() || slot < 0
                               ? QString()
                               : qs("ツリーはバイナリ形式のデータベースで表示します。"));
        m_board.reset();
        return;
    }
    model::TreeMaker maker(db);
    m_tree = maker.treeOf(*m_board, {});
    m_caption->setText(
        qs("%1 手目の局面：%2 局").arg(db.table().entry(slot).hitPly).arg(m_tree.records));
    for (const std::string& text : treeRowTexts(m_tree, *m_board)) {
        m_lines->addItem(fromCp932(text));
    }
}

int TreeDock::listChosen(model::Database& db) {
    const int row = m_lines->currentRow();
    if (!m_board || row < 0) return 0;
    return listRecordsBehind(db, m_tree, *m_board, static_cast<std::size_t>(row));
}

}  // namespace dalmir
