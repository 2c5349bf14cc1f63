// The main window's navigation: the 棋譜再現 menu with its keys, continuous replay and its keys,
// the step-wise replay dialog, and the record and branch windows' menus and clicks. What each
// command does is decided in tavrel/logic; this file wires it to menus, keys and windows.
#include <QActionGroup>
#include <QApplication>
#include <QInputDialog>
#include <QScreen>

#include "core/text/sjis.h"
#include "tavrel/app/main_window.h"
#include "tavrel/logic/view/branch_list.h"
#include "tavrel/logic/view/navigation.h"
#include "tavrel/logic/view/record_window_menu.h"

namespace tavrel {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }
QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

QKeySequence key(int k) { return QKeySequence(k); }

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
            [this](int row) { navigate([this, row] { (void)playBranch(m_doc, m_clock, row); }); });
    connect(m_branchWindow, &BranchWindow::rowMenuWanted, this, [this](const QPoint& at, int row) {
        QMenu* menu = buildBranchMenu(row);
        if (!m_quiet && !menu->isEmpty()) menu->popup(at);
    });
    connect(m_replayDriver, &ReplayDriver::runningChanged, this,
            [this](bool running) { replayRunningChanged(running); });

    // While a continuous replay runs: Backspace and Enter stop it, Up and Down change its speed.
    ContinuousReplay& replay = m_replayDriver->replay();
    auto runningKey = [this](QList<QKeySequence> keys, std::function<void()> run) {
        auto* a = new QAction(this);
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::ApplicationShortcut);
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, [run] { run(); });
        addAction(a);
        m_replayKeys << a;
    };
    runningKey({key(Qt::Key_Backspace), key(Qt::Key_Return), key(Qt::Key_Enter)},
               [&replay] { replay.requestStop(StopRequest::Stop); });
    runningKey({key(Qt::Key_Up)}, [&replay] { replay.faster(); });
    runningKey({key(Qt::Key_Down)}, [&replay] { replay.slower(); });

    // Digits choose a variation, on the main keys and on the numeric pad.
    for (int n = 1; n <= 9; ++n) {
        auto* a = new QAction(this);
        a->setObjectName(QStringLiteral("variation%1").arg(n));
        a->setShortcuts({key(Qt::Key_0 + n), QKeySequence(Qt::KeypadModifier | (Qt::Key_0 + n))});
        a->setShortcutContext(Qt::ApplicationShortcut);
        connect(a, &QAction::triggered, this,
                [this, n] { navigate([this, n] { chooseVariation(m_doc, m_clock, n); }); });
        addAction(a);
        m_navigationActions << a;
    }
}

void MainWindow::navigate(const std::function<void()>& command) {
    ContinuousReplay& replay = m_replayDriver->replay();
    if (replay.running()) return;
    replay.clearPauseMessage();
    command();
}

void MainWindow::buildReplayMenu(QMenu* menu) {
    ContinuousReplay& replay = m_replayDriver->replay();
    auto nav = [this, menu](const char* text, const char* name, QList<QKeySequence> keys,
                            std::function<void()> run) {
        QAction* a = addCommand(menu, text, keys, [this, run] { navigate(run); });
        a->setObjectName(QString::fromLatin1(name));
        m_navigationActions << a;
        return a;
    };
    nav("開始局面へ(&T)", "toStart",
        {key(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_Left),
         QKeySequence(Qt::SHIFT | Qt::Key_A)},
        [this] { step(m_doc, Step::ToStart); });
    nav("連続して戻す(&P)", "replayBack", {QKeySequence(Qt::SHIFT | Qt::Key_Left), key(Qt::Key_A)},
        [&replay] { (void)replay.start(ReplayDirection::Backward); });
    m_stepBackAction =
        nav("１手戻す(&B)", "stepBack",
            {key(Qt::Key_Left), key(Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_B)}, [this] {
                m_board->finishAnimation();
                if (m_doc.mode() == ViewerMode::Playing) {
                    stepBackInPlay(m_doc, m_clock);
                } else {
                    step(m_doc, Step::Back);
                }
            });
    QAction* stop = addCommand(menu, "再現停止(&S)", {key(Qt::Key_Space)}, [this, &replay] {
        if (!replay.running() && !m_doc.store().lineEnd()) return;
        replay.toggle();
    });
    stop->setObjectName(QStringLiteral("replayStop"));
    m_stepForwardAction =
        nav("１手進める(&F)", "stepForward",
            {key(Qt::Key_Right), key(Qt::Key_D), QKeySequence(Qt::CTRL | Qt::Key_F)}, [this] {
                m_board->finishAnimation();
                if (m_doc.mode() == ViewerMode::Playing) {
                    stepForwardInPlay(m_doc, m_clock);
                } else {
                    step(m_doc, Step::Forward);
                }
            });
    nav("連続して進める(&N)", "replayForward",
        {QKeySequence(Qt::SHIFT | Qt::Key_Right), key(Qt::Key_F)},
        [&replay] { (void)replay.start(ReplayDirection::Forward); });
    nav("最終局面へ(&E)", "toEnd", {key(Qt::Key_End), QKeySequence(Qt::SHIFT | Qt::Key_F)},
        [this] { step(m_doc, Step::ToEnd); });
    nav("前の分岐まで戻す(&M)", "previousBranch",
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left)},
        [this] { step(m_doc, Step::PreviousBranch); });
    nav("次の分岐まで進める(&A)", "nextBranch",
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right)},
        [this] { step(m_doc, Step::NextBranch); });
    nav("指定手数へ(&J)...", "jumpToPly", {},
        [this] { jumpToPlyDialog(m_doc.store().currentPly()); });
}

void MainWindow::buildListWindowMenus(QMenu* rw, QMenu* branch) {
    auto form = [this](RecordListForm value) {
        m_settings.recordWindow.form = value;
        m_recordWindow->refresh();
    };
    addCommand(rw, "消費時間を表示する(&S)", {}, [form] { form(RecordListForm::Times); });
    addCommand(rw, "分岐の指し手を表示する(&B)", {}, [form] { form(RecordListForm::Branches); });
    QAction* names = addCommand(rw, "しおり名を表示する(&N)", {}, [this] {
        m_settings.showBookmarkNames = m_settings.showBookmarkNames == 1 ? 0 : 1;
        m_recordWindow->refresh();
    });
    names->setCheckable(true);
    names->setChecked(m_settings.showBookmarkNames == 1);

    auto* group = new QActionGroup(this);
    const char* texts[] = {"表示しない(&0)", "表示する(&1)", "分岐があるとき表示する(&2)"};
    for (int value = 0; value < 3; ++value) {
        QAction* a = addCommand(branch, texts[value], {}, [this, value] {
            m_settings.branchWindow.mode = static_cast<BranchWindowMode>(value);
            m_branchWindow->refresh();
        });
        a->setCheckable(true);
        a->setChecked(m_settings.branchWindow.mode == static_cast<BranchWindowMode>(value));
        a->setObjectName(QStringLiteral("branchWindow%1").arg(value));
        group->addAction(a);
    }
    connect(branch, &QMenu::aboutToShow, this, [this, group] {
        const QList<QAction*> actions = group->actions();
        const int mode = static_cast<int>(m_settings.branchWindow.mode);
        if (mode >= 0 && mode < actions.size()) actions[mode]->setChecked(true);
    });
}

void MainWindow::updateNavigationStates() {
    if (!m_replayDriver || !m_stepForwardAction) return;
    bool running = m_replayDriver->replay().running();
    for (QAction* a : m_navigationActions) a->setEnabled(!running);
    for (QAction* a : m_replayKeys) a->setEnabled(running);
    if (running) {
        for (QAction* a : m_recentActions) a->setEnabled(false);
    }
    // The arrow keys step only where the board does not take them as its pointer keys.
    bool arrows = arrowKeysStep(m_doc.mode());
    m_stepForwardAction->setText(qtext(stepForwardMenuText(arrows)));
    m_stepBackAction->setText(qtext(stepBackMenuText(arrows)));
    // Without the arrows the menu shows the first key left: Ctrl+F and Ctrl+B.
    QList<QKeySequence> forward{QKeySequence(Qt::CTRL | Qt::Key_F), key(Qt::Key_D)};
    QList<QKeySequence> back{QKeySequence(Qt::CTRL | Qt::Key_B), key(Qt::Key_S)};
    if (arrows) {
        forward.prepend(key(Qt::Key_Right));
        back.prepend(key(Qt::Key_Left));
    }
    m_stepForwardAction->setShortcuts(forward);
    m_stepBackAction->setShortcuts(back);
}

void MainWindow::followNavigationWindows() {
    if (m_branchWindow) m_branchWindow->refresh();
    bool replaying = m_doc.mode() == ViewerMode::Replaying;
    if (replaying && !m_replayDlg) {
        m_replayDlg = new ReplayControlDialog(m_settings, m_context.instance, this);
        auto run = [this](QPushButton* b, std::function<void()> f) {
            connect(b, &QPushButton::clicked, this, [f] { f(); });
        };
        ContinuousReplay& replay = m_replayDriver->replay();
        run(m_replayDlg->back(), [this] { navigate([this] { step(m_doc, Step::Back); }); });
        run(m_replayDlg->next(), [this] { navigate([this] { step(m_doc, Step::Forward); }); });
        run(m_replayDlg->backRun(), [this, &replay] {
            navigate([&replay] { (void)replay.start(ReplayDirection::Backward); });
        });
        run(m_replayDlg->nextRun(), [this, &replay] {
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
    int ply = QInputDialog::getInt(this, qs("指定手数へ"), qs("手数："), proposed, 0,
                                   m_doc.store().lineEnd(), 1, &ok);
    if (ok) jumpToPly(m_doc, ply);
}

QMenu* MainWindow::buildRecordMenu(int ply, int column) {
    delete m_recordMenu;
    m_recordMenu = new QMenu(this);
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
    const core::RecordStore& store = m_doc.store();
    core::NodeIndex node = branchNode(store, row);
    for (const BranchMenuEntry& e : branchMenuEntries(store, row, recordListStyle(m_settings))) {
        QAction* a = m_branchMenu->addAction(qtext(e.text));
        switch (e.command) {
            case BranchMenuCommand::Replay:
                connect(a, &QAction::triggered, this, [this, row] {
                    navigate([this, row] {
                        if (!playBranch(m_doc, m_clock, row)) return;
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
