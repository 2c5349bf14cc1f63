// The main window's panes: the record list and the branch list as docks beside the board (the
// analysis pane, the graph and the comment pane are docks of their own parts), kept from one run
// to the next in the profile with a command that puts them back; the board size choice; F6 and
// Shift+F6 between the panes; and what is stored when the window closes.
#include <QApplication>
#include <QDockWidget>
#include <QEvent>
#include <QScreen>

#include "core/text/translation.h"
#include "desktop/qt_text.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/main_window_engine.h"
#include "tavrel/logic/view/pane_layout.h"
#include "tavrel/logic/view/window_placement.h"
#include "tavrel/settings/environment_file.h"

namespace tavrel {

namespace {

// A pane shown or hidden by its own code (the branch list by its setting, the record list by its
// command) takes its dock along; a dock closed with its button says so.
class DockFollower : public QObject {
public:
    DockFollower(QObject* owner, QDockWidget* dock, std::function<void()> closed)
        : QObject(owner), m_dock(dock), m_pane(dock->widget()), m_closed(std::move(closed)) {
        m_pane->installEventFilter(this);
        dock->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == m_pane) {
            if (e->type() == QEvent::ShowToParent) m_dock->show();
            if (e->type() == QEvent::HideToParent) m_dock->hide();
        } else if (watched == m_dock && e->type() == QEvent::Close && m_closed) {
            m_closed();
        }
        return false;
    }

private:
    QDockWidget* m_dock;
    QWidget* m_pane;
    std::function<void()> m_closed;
};

QDockWidget* paneDock(QMainWindow* window, QWidget* pane, const char* title, const char* name) {
    auto* dock = new QDockWidget(desktop::translated(title), window);
    dock->setObjectName(QString::fromLatin1(name));
    pane->setWindowFlags(Qt::Widget);
    pane->hide();
    dock->setWidget(pane);
    dock->hide();
    return dock;
}

}  // namespace

void MainWindow::setUpPanes() {
    m_layout = loadWindowLayout(m_context.profileName);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks |
                   QMainWindow::AllowTabbedDocks);
    // The record list and the branch list at the right of the board, one above the other.
    m_recordDock = paneDock(this, m_recordWindow, TR_NOOP("棋譜"), "recordDock");
    connect(m_recordWindow, &QWidget::windowTitleChanged, m_recordDock, &QWidget::setWindowTitle);
    m_recordDock->setWindowTitle(m_recordWindow->windowTitle());
    // Owned by the window and deleted before the docks go (~MainWindow).
    m_dockFollowers.push_back(new DockFollower(this, m_recordDock, {}));
    addDockWidget(Qt::RightDockWidgetArea, m_recordDock);
    m_branchDock = paneDock(this, m_branchWindow, TR_NOOP("分岐"), "branchDock");
    m_dockFollowers.push_back(new DockFollower(this, m_branchDock, [this] {
        // Closing the pane while it is always shown turns it off, as closing the window did.
        if (m_settings.branchWindow.mode == BranchWindowMode::Always) {
            m_settings.branchWindow.mode = BranchWindowMode::Never;
        }
    }));
    addDockWidget(Qt::RightDockWidgetArea, m_branchDock);
    splitDockWidget(m_recordDock, m_branchDock, Qt::Vertical);
    // The analysis pane and the graph under the board, side by side: opening them takes height,
    // which the board gives up by scaling, never its whole width.
    if (m_engines) {
        addDockWidget(Qt::BottomDockWidgetArea, m_engines->analysisDock());
        addDockWidget(Qt::BottomDockWidgetArea, m_engines->graphDock());
        splitDockWidget(m_engines->analysisDock(), m_engines->graphDock(), Qt::Horizontal);
    }
    if (m_commentDock) {
        auto* comment = static_cast<QDockWidget*>(m_commentDock);
        comment->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    }
    m_board->setSizeChoice(m_layout.boardSize);
    m_firstLayout = saveState();
    if (!m_layout.paneState.isEmpty()) restoreState(m_layout.paneState);
    m_recordDock->setFloating(m_layout.recordSeparate);

    using C = Command;
    for (int i = 0; i <= offsetOf(C::BoardSize200, C::BoardSizeFit); ++i) {
        const int choice = i == 0 ? kBoardSizeFit : kBoardSizeChoices[i - 1];
        bind(
            commandAt(C::BoardSizeFit, i),
            [this, choice] {
                m_board->setSizeChoice(choice);
                m_layout.boardSize = choice;
            },
            [this, choice] { return m_board->sizeChoice() == choice; });
    }
    bind(
        C::RecordSeparate,
        [this] {
            m_layout.recordSeparate = !m_recordDock->isFloating();
            m_recordDock->setFloating(m_layout.recordSeparate);
            showRecordWindow(true);
        },
        [this] { return m_recordDock->isFloating(); });
    bind(C::ResetLayout, [this] { resetLayout(); });
    m_input.setDragWhileViewing(m_layout.dragWhileViewing);
    m_input.setPromotionOnBoard(m_layout.promotionOnBoard);
    bind(
        C::DragWhileViewing,
        [this] {
            m_layout.dragWhileViewing = !m_input.dragWhileViewing();
            m_input.setDragWhileViewing(m_layout.dragWhileViewing);
        },
        [this] { return m_input.dragWhileViewing(); });
    bind(
        C::PromotionOnBoard,
        [this] {
            m_layout.promotionOnBoard = !m_input.promotionOnBoard();
            m_input.setPromotionOnBoard(m_layout.promotionOnBoard);
        },
        [this] { return m_input.promotionOnBoard(); });
    bind(C::NextPane, [this] { focusPane(false); });
    bind(C::PreviousPane, [this] { focusPane(true); });
}

void MainWindow::resetLayout() {
    // The first layout, with the panes shown now still shown.
    const bool record = !m_recordDock->isHidden();
    const bool branch = !m_branchDock->isHidden();
    restoreState(m_firstLayout);
    m_recordDock->setFloating(false);
    m_layout.recordSeparate = false;
    m_recordDock->setVisible(record);
    m_branchDock->setVisible(branch);
    fitRecordPane();
    updateCommandStates();
}

void MainWindow::fitRecordPane() {
    if (m_recordDock->isFloating()) return;
    resizeDocks({m_recordDock}, {m_recordWindow->sizeHint().width()}, Qt::Horizontal);
}

std::vector<QWidget*> MainWindow::panes() const {
    // The board, the lists beside it, then the other panes in the order they were made.
    std::vector<QWidget*> list{m_board, m_recordDock, m_branchDock};
    for (QDockWidget* dock : findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (dock->widget() && dock != m_recordDock && dock != m_branchDock) list.push_back(dock);
    }
    return list;
}

void MainWindow::focusPane(bool backwards) {
    const std::vector<QWidget*> list = panes();
    std::vector<bool> shown;
    int current = -1;
    QWidget* focus = QApplication::focusWidget();
    for (std::size_t i = 0; i < list.size(); ++i) {
        shown.push_back(list[i]->isVisible());
        if (focus && (focus == list[i] || list[i]->isAncestorOf(focus))) {
            current = static_cast<int>(i);
        }
    }
    std::optional<int> next = nextPane(shown, current, backwards);
    if (!next) return;
    QWidget* pane = list[static_cast<std::size_t>(*next)];
    if (auto* dock = qobject_cast<QDockWidget*>(pane)) pane = dock->widget();
    // The pane's first widget that takes the keyboard, else the pane itself.
    QWidget* target = pane;
    if (!(pane->focusPolicy() & Qt::TabFocus)) {
        for (QWidget* child : pane->findChildren<QWidget*>()) {
            if ((child->focusPolicy() & Qt::TabFocus) && child->isVisible()) {
                target = child;
                break;
            }
        }
    }
    target->setFocus(Qt::OtherFocusReason);
}

void MainWindow::storeLayout() {
    // Read while every pane and toolbar still shows as the user left it: closing hides them.
    storeWindowPlaces();
    m_layout.paneState = saveState();
    m_layout.boardSize = m_board->sizeChoice();
    m_layout.recordSeparate = m_recordDock->isFloating();
    saveWindowLayout(m_layout, m_context.profileName);
    m_layoutStored = true;
}

}  // namespace tavrel
