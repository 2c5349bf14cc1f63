// The main window's navigation: the 棋譜再現 commands with their keys, continuous replay and its
// keys, the step-wise replay dialog, and the record and branch windows' menus and clicks. What each
// command does is decided in tavrel/logic; this file wires it to menus, keys and windows.
#include <QApplication>
#include <QInputDialog>
#include <QScreen>

#include "core/text/sjis.h"
#include "desktop/qt_text.h"
#include "tavrel/app/main_window.h"
#include "tavrel/logic/view/branch_list.h"
#include "tavrel/logic/view/navigation.h"
#include "tavrel/logic/view/record_window_menu.h"

namespace tavrel {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }

}  // namespace

void MainWindow::setUpNavigation() {
    m_branchWindow = new BranchWindow(m_doc.store(), m_settings, m_context.instance, this);
    Desktop desk;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        desk = Desktop{screen->availableGeometry().width(), screen->availableGeometry().height()};
    }
    m_branchWindow->placeFromSettings(desk);
    connect(m_recordWindow, &RecordWindow::plyChosen, this,
            [this](int ply) { navigate([this, ply] { showChosenPly(m_doc, ply); }); });
    connect(m_recordWindow, &RecordWindow::contextMenuWanted, this,
            [this](const QPoint& at, int ply, int column) {
                QMenu* menu = buildRecordMenu(ply, column);
                if (!m_quiet && !menu->isEmpty()) menu->popup(at);
            });
    connect(m_branchWindow, &BranchWindow::rowClicked, this,
            // A refused step beeps by itself.
            [this](int row) { navigate([this, row] { (void)playBranch(m_doc, m_clock, row); }); });
    connect(m_branchWindow, &BranchWindow::rowMenuWanted, this, [this](const QPoint& at, int row) {
        QMenu* menu = buildBranchMenu(row);
        if (!m_quiet && !menu->isEmpty()) menu->popup(at);
    });
    connect(m_replayDriver, &ReplayDriver::runningChanged, this,
            [this](bool running) { replayRunningChanged(running); });

    // While a continuous replay runs: Backspace and Enter stop it, Up and Down change its speed.
    ContinuousReplay& replay = m_replayDriver->replay();
    bind(Command::StopReplay, [&replay] { replay.requestStop(StopRequest::Stop); });
    bind(Command::FasterReplay, [&replay] { replay.faster(); });
    bind(Command::SlowerReplay, [&replay] { replay.slower(); });
    // Digits choose a variation, on the main keys and on the numeric pad.
    for (int n = 1; n <= 9; ++n) {
        bind(commandAt(Command::Variation1, n - 1),
             [this, n] { navigate([this, n] { chooseVariation(m_doc, m_clock, n); }); });
    }
    bindReplayCommands();
}

void MainWindow::navigate(const std::function<void()>& command) {
    ContinuousReplay& replay = m_replayDriver->replay();
    if (replay.running()) return;
    replay.clearPauseMessage();
    command();
}

void MainWindow::bindReplayCommands() {
    using C = Command;
    ContinuousReplay& replay = m_replayDriver->replay();
    auto nav = [this](C command, std::function<void()> run) {
        bind(command, [this, run] { navigate(run); });
    };
    nav(C::ToStart, [this] { step(m_doc, Step::ToStart); });
    // A replay that cannot start beeps by itself.
    nav(C::ReplayBack, [&replay] { (void)replay.start(ReplayDirection::Backward); });
    nav(C::StepBack, [this] {
        m_board->finishAnimation();
        step(m_doc, m_clock, Step::Back);
    });
    bind(C::ReplayStop, [this, &replay] {
        if (!replay.running() && !m_doc.store().lineEnd()) return;
        replay.toggle();
    });
    nav(C::StepForward, [this] {
        m_board->finishAnimation();
        step(m_doc, m_clock, Step::Forward);
    });
    // A replay that cannot start beeps by itself.
    nav(C::ReplayForward, [&replay] { (void)replay.start(ReplayDirection::Forward); });
    nav(C::ToEnd, [this] { step(m_doc, m_clock, Step::ToEnd); });
    nav(C::PreviousBranch, [this] { step(m_doc, Step::PreviousBranch); });
    nav(C::NextBranch, [this] { step(m_doc, m_clock, Step::NextBranch); });
    nav(C::JumpToPly, [this] { jumpToPlyDialog(m_doc.store().currentPly()); });
}

void MainWindow::updateNavigationStates() {
    // The arrow keys step only where the board does not take them as its pointer keys; the arrow
    // is the first key of each step, and without it the menu shows Ctrl+F and Ctrl+B.
    const bool arrows = arrowKeysStep(m_doc.mode());
    for (Command c : {Command::StepForward, Command::StepBack}) {
        QList<QKeySequence> keys;
        for (const std::string& key : commandEntry(c).keys) {
            keys << QKeySequence(QString::fromStdString(key), QKeySequence::PortableText);
        }
        if (!arrows) keys.removeFirst();
        action(c)->setShortcuts(keys);
    }
    action(Command::StepForward)->setText(qtext(stepForwardMenuText(arrows)));
    action(Command::StepBack)->setText(qtext(stepBackMenuText(arrows)));
}

void MainWindow::followNavigationWindows() {
    if (m_branchWindow) m_branchWindow->refresh();
    if (m_branchDock) m_branchDock->setVisible(!m_branchWindow->isHidden());
    bool replaying = m_doc.mode() == ViewerMode::Replaying;
    if (replaying && !m_replayDlg) {
        m_replayDlg = new ReplayControlDialog(m_settings, m_context.instance, this);
        auto run = [this](QPushButton* b, std::function<void()> f) {
            connect(b, &QPushButton::clicked, this, [f] { f(); });
        };
        ContinuousReplay& replay = m_replayDriver->replay();
        run(m_replayDlg->back(), [this] {
            navigate([this] {
                m_board->finishAnimation();
                step(m_doc, m_clock, Step::Back);
            });
        });
        run(m_replayDlg->next(), [this] {
            navigate([this] {
                m_board->finishAnimation();
                step(m_doc, m_clock, Step::Forward);
            });
        });
        run(m_replayDlg->backRun(), [this, &replay] {
            // A replay that cannot start beeps by itself.
            navigate([&replay] { (void)replay.start(ReplayDirection::Backward); });
        });
        run(m_replayDlg->nextRun(), [this, &replay] {
            // A replay that cannot start beeps by itself.
            navigate([&replay] { (void)replay.start(ReplayDirection::Forward); });
        });
        run(m_replayDlg->stop(), [&replay] { replay.requestStop(StopRequest::Pause); });
    }
    if (m_replayDlg && replaying != m_replayDlg->isVisible()) {
        if (replaying) m_replayDlg->showSpeed();
        m_replayDlg->setVisible(replaying);
    }
}

void MainWindow::replayRunningChanged(bool running) {
    updateCommandStates();
    if (m_replayDlg) m_replayDlg->showSpeed();
    if (!running && m_closeAfterReplay) {
        m_closeAfterReplay = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
}

void MainWindow::startAutoReplay(bool closeAfter) {
    m_closeAfterReplay = closeAfter;
    if (!m_replayDriver->replay().start(ReplayDirection::Forward)) m_closeAfterReplay = false;
    // A replay that ended at once (nothing to play) closes the program all the same.
    if (closeAfter && !m_replayDriver->replay().running()) {
        QTimer::singleShot(0, this, [this] { close(); });
    }
}

void MainWindow::jumpToPlyDialog(int proposed) {
    if (m_quiet) return;
    bool ok = false;
    int ply =
        QInputDialog::getInt(this, desktop::translated("指定手数へ"), desktop::translated("手数："),
                             proposed, 0, m_doc.store().lineEnd(), 1, &ok);
    if (ok) jumpToPly(m_doc, ply);
}

QMenu* MainWindow::buildRecordMenu(int ply, int column) {
    delete m_recordMenu;
    m_recordMenu = new QMenu(this);
    takeMenuLetters(m_recordMenu);
    RecordListForm form = m_recordWindow->form();
    RecordMenuTarget target = recordMenuTarget(m_doc.store(), form, ply, column);
    for (const RecordMenuEntry& e : recordMenuEntries(m_doc.mode(), m_doc.store(), form, target,
                                                      recordListStyle(m_settings))) {
        if (e.command == RecordMenuCommand::Separator) {
            m_recordMenu->addSeparator();
            continue;
        }
        QAction* a = m_recordMenu->addAction(qtext(e.text));
        core::NodeIndex node = target.node;
        switch (e.command) {
            case RecordMenuCommand::JumpToPly:
                connect(a, &QAction::triggered, this,
                        [this, ply] { navigate([this, ply] { jumpToPlyDialog(ply); }); });
                break;
            case RecordMenuCommand::SwitchForm:
                connect(a, &QAction::triggered, this, [this] {
                    m_settings.recordWindow.form =
                        m_settings.recordWindow.form == RecordListForm::Branches
                            ? RecordListForm::Times
                            : RecordListForm::Branches;
                    m_recordWindow->refresh();
                });
                break;
            case RecordMenuCommand::MakeFirst:
                connect(a, &QAction::triggered, this,
                        [this, node] { navigate([this, node] { makeMoveFirst(m_doc, node); }); });
                break;
            case RecordMenuCommand::Delete:
                connect(a, &QAction::triggered, this,
                        [this, node] { navigate([this, node] { deleteMove(m_doc, node); }); });
                break;
            case RecordMenuCommand::GoToBookmark:
                connect(a, &QAction::triggered, this,
                        [this] { navigate([this] { goToBookmarkDialog(); }); });
                break;
            case RecordMenuCommand::EditComment:
                connect(a, &QAction::triggered, this,
                        [this, node] { navigate([this, node] { editCommentDialog(node); }); });
                break;
            case RecordMenuCommand::EditTime:
                connect(a, &QAction::triggered, this,
                        [this, node] { navigate([this, node] { editTimeDialog(node); }); });
                break;
            default:
                break;
        }
    }
    return m_recordMenu;
}

QMenu* MainWindow::buildBranchMenu(int row) {
    delete m_branchMenu;
    m_branchMenu = new QMenu(this);
    takeMenuLetters(m_branchMenu);
    const core::RecordStore& store = m_doc.store();
    core::NodeIndex node = branchNode(store, row);
    for (const BranchMenuEntry& e : branchMenuEntries(store, row, recordListStyle(m_settings))) {
        QAction* a = m_branchMenu->addAction(qtext(e.text));
        switch (e.command) {
            case BranchMenuCommand::Replay:
                connect(a, &QAction::triggered, this, [this, row] {
                    navigate([this, row] {
                        if (!playBranch(m_doc, m_clock, row)) return;
                        // A replay that cannot start beeps by itself.
                        (void)m_replayDriver->replay().startAfter(
                            clampedInterval(m_settings.replaySpeed) * 100);
                    });
                });
                break;
            case BranchMenuCommand::MakeFirst:
                connect(a, &QAction::triggered, this,
                        [this, node] { navigate([this, node] { makeMoveFirst(m_doc, node); }); });
                break;
            case BranchMenuCommand::Delete:
                connect(a, &QAction::triggered, this,
                        [this, node] { navigate([this, node] { deleteMove(m_doc, node); }); });
                break;
        }
    }
    return m_branchMenu;
}

}  // namespace tavrel
