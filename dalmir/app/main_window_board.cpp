// The window's board pane and the list's keys: the pane follows the current record, the arrow
// keys step it, Enter opens the record in the viewer (at the pane's ply when the pane shows it),
// and Home/End (Ctrl too) go to the first and the last row.
#include <QAction>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>

#include "dalmir/app/board_dock.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/tree_dock.h"
#include "dalmir/logic/record_launch.h"
#include "desktop/qt_text.h"

namespace dalmir {

namespace {

// Forwards the list's keys to the window's handler; keys it leaves go to the list.
class ListKeys : public QObject {
public:
    ListKeys(QObject* parent, std::function<bool(const QKeyEvent&)> handle)
        : QObject(parent), m_handle(std::move(handle)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && m_handle(*static_cast<QKeyEvent*>(event))) {
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(const QKeyEvent&)> m_handle;
};

}  // namespace

int MainWindow::currentSlot() const {
    const QModelIndex current = m_view->currentIndex();
    const auto& order = m_db.table().displayOrder();
    if (!current.isValid() || current.row() >= static_cast<int>(order.size())) return -1;
    return order[static_cast<std::size_t>(current.row())];
}

void MainWindow::setUpBoardDock() {
    m_boardDock = new BoardDock(this);
    addDockWidget(Qt::RightDockWidgetArea, m_boardDock);
    if (m_treeDock != nullptr) splitDockWidget(m_boardDock, m_treeDock, Qt::Vertical);
    // The list keeps most of the width; the board gets a pane of its own size beside it.
    resizeDocks({m_boardDock}, {m_boardDock->board()->sizeHint().width() + 16}, Qt::Horizontal);
    QAction* toggle = m_boardDock->toggleViewAction();
    toggle->setText(desktop::translated("盤面(&B)"));
    m_viewMenu->addAction(toggle);
    auto follow = [this] {
        if (m_boardDock->isHidden() || isBusy()) return;
        const int slot = currentSlot();
        if (slot == m_boardDock->pane().slot() && slot >= 0) return;
        m_boardDock->showFor(m_db, slot);
    };
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, follow);
    connect(m_boardDock, &QDockWidget::visibilityChanged, this, follow);
    // After an operation the records may be others: the pane reads the current one again.
    connect(this, &MainWindow::operationDone, this, [this] {
        if (m_boardDock->isHidden() || isBusy()) return;
        m_boardDock->showFor(m_db, currentSlot());
    });
    connect(m_boardDock, &BoardDock::openRequested, this, [this](int slot, int ply) {
        if (isBusy()) return;
        (void)launchReplayAt(m_db, *this, slot, ply, launchTools());
        m_view->viewport()->update();
        refreshState();
    });

    m_view->installEventFilter(new ListKeys(this, [this](const QKeyEvent& key) {
        const int rows = m_model->rowCount();
        switch (key.key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter: {
                const int slot = currentSlot();
                if (slot >= 0 && slot == m_boardDock->pane().slot() && selectedRows().size() == 1) {
                    Q_EMIT m_boardDock->openRequested(slot, m_boardDock->pane().ply());
                } else {
                    launchSelected(LaunchCommand::Replay);
                }
                return true;
            }
            case Qt::Key_Home:
            case Qt::Key_End: {
                if (rows == 0) return true;
                const int row = key.key() == Qt::Key_Home ? 0 : rows - 1;
                const QModelIndex index =
                    m_model->index(row, std::max(0, m_view->currentIndex().column()));
                const auto flags = key.modifiers() & Qt::ShiftModifier
                                       ? QItemSelectionModel::SelectCurrent
                                       : QItemSelectionModel::ClearAndSelect;
                m_view->selectionModel()->setCurrentIndex(index, flags | QItemSelectionModel::Rows);
                m_view->scrollTo(index);
                return true;
            }
            case Qt::Key_Left:
            case Qt::Key_Right:
                if (m_boardDock->isHidden()) return false;
                m_boardDock->step(key.key() == Qt::Key_Left ? -1 : 1);
                return true;
            default:
                return false;
        }
    }));
}

}  // namespace dalmir
