// The window's tree dock: it follows the selected record, and its list button makes the records
// behind a line the list.
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>

#include "core/text/sjis.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/tree_dock.h"
#include "dalmir/model/tree/tree_index.h"

namespace dalmir {

void MainWindow::setUpTreeDock() {
    m_treeDock = new TreeDock(this);
    addDockWidget(Qt::RightDockWidgetArea, m_treeDock);
    m_treeDock->hide();
    // Shown and hidden from the view menu, after the bars.
    QAction* toggle = m_treeDock->toggleViewAction();
    toggle->setText(QString::fromUtf8("ツリー(&R)"));
    m_viewMenu->addAction(toggle);
    auto follow = [this] {
        if (m_treeDock->isHidden() || isBusy()) return;
        const std::vector<int> rows = selectedRows();
        const auto& order = m_db.table().displayOrder();
        const int slot = rows.empty() || rows.front() >= static_cast<int>(order.size())
                             ? -1
                             : order[static_cast<std::size_t>(rows.front())];
        m_treeDock->showFor(m_db, slot);
    };
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, follow);
    connect(m_treeDock, &QDockWidget::visibilityChanged, this, follow);
    // After an operation changed the database, the tree is asked again.
    connect(this, &MainWindow::operationDone, this, follow);
    connect(m_treeDock, &TreeDock::listRequested, this, [this] {
        if (isBusy()) return;
        settleTree();
        if (m_treeDock->listChosen(m_db) > 0) refreshList();
    });
}

void MainWindow::rebuildTreeIndex(const std::string& fsPath) {
    if (isBusy()) return;  // not while another operation reads the database
    startOperation(
        QString::fromUtf8("ツリーインデックス作成の中止(&Q)"),
        [this, fsPath](model::OperationHost& host) {
            host.status(std::string("ツリーインデックスを作成しています..."));
            const auto index = model::TreeIndex::build(m_db.table(), m_db.lists());
            // One that could not be built or written stays as it was: stale, it goes unused.
            if (!index || model::writeTreeIndex(fsPath, *index) != core::WriteResult::Ok) {
                host.message(std::string("ツリーインデックス(") +
                             std::string(model::treeIndexPath(fsPath)) +
                             std::string(")を作成できませんでした。"));
            } else {
                host.status(std::string("ツリーインデックスを作成しました。"));
            }
        },
        {}, UndoUse::Leave);
}

void MainWindow::settleTree() {
    if (m_treeDock != nullptr) m_treeDock->settle();
}

}  // namespace dalmir
