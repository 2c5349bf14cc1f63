#include "tavrel/app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "core/base/path_text.h"
#include "core/base/version.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "desktop/desktop_integration.h"
#include "desktop/qt_text.h"
#include "tavrel/app/main_window_engine.h"
#include "tavrel/app/toolbar_icons.h"
#include "tavrel/app/tree_pane.h"
#include "tavrel/app/typed_move_dialog.h"
#include "tavrel/logic/document/open_commands.h"
#include "tavrel/logic/document/program_commands.h"
#include "tavrel/logic/document/save_as.h"
#include "tavrel/logic/play/position_editor.h"
#include "tavrel/logic/play/typed_move.h"
#include "tavrel/logic/view/comment_view.h"
#include "tavrel/logic/view/navigation.h"
#include "tavrel/logic/view/window_placement.h"
#include "tavrel/platform/clipboard_text.h"
#include "tavrel/platform/program_folder.h"
#include "tavrel/platform/recent_file_store.h"
#include "tavrel/platform/setting_font.h"
#include "tavrel/settings/environment_file.h"

namespace tavrel {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }
std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString fromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QStringList filterTexts(const FileDialogRequest& request) {
    QStringList filters;
    for (const std::string& f : request.filters) filters << qtext(f);
    return filters;
}

// An open menu takes the plain keys it can choose an entry by before the window's keys do: the
// letters, digits and signs of the entries are also the window's single keys (F, 1, ...).
class MenuLetters : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride) return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
        if (plain && !key->text().isEmpty() && key->text().at(0).isPrint()) {
            event->accept();
            return true;
        }
        return false;
    }
};

}  // namespace

void MainWindow::takeMenuLetters(QMenu* menu) {
    if (!m_menuLetters) m_menuLetters = new MenuLetters(this);
    menu->installEventFilter(m_menuLetters);
}

MainWindow::MainWindow(const AppContext& context)
    : m_context(context),
      m_settings(*context.settings),
      m_doc(*context.store, *context.settings, *this),
      m_board(new BoardWidget(*context.store, *context.settings, this)),
      m_recordWindow(new RecordWindow(*context.store, *context.settings, this)),
      m_status(new QLabel(this)),
      m_quiet(context.quiet) {
    setObjectName(QStringLiteral("TavrelClass"));
    setWindowIcon(desktop::programIcon(QStringLiteral("tavrel")));
    m_doc.setEnvironmentName(context.environmentName);
    if (!context.profileName.isEmpty()) {
        loadRecentFiles(m_doc.recentFiles(), context.profileName);
    }
    setCentralWidget(m_board);
    m_status->setFont(settingFont(m_settings.statusFont));
    statusBar()->addWidget(m_status, 1);
    statusBar()->setVisible(m_settings.showStatusBar != 0);
    setAcceptDrops(true);
    m_replayDriver = new ReplayDriver(m_doc, m_clock, this);
    buildMenus();
    m_exports = new ExportActions(this, m_doc, m_board, m_clock, m_quiet);
    m_exports->bindCommands([this](Command c, std::function<void()> run) { bind(c, run); });
    bindCommands();
    bindViewCommands();
    buildToolbars();
    connect(m_exports, &ExportActions::previewContextMenu, this,
            [this](const QPoint& at) { showContextMenu(at, false); });
    setUpNavigation();
    setUpEngines();
    setUpTreePane();
    setUpTools();
    setUpGame();
    setUpAnnotations();
    setUpPanes();
    m_board->attachInput(&m_doc, &m_input);
    connect(m_board, &BoardWidget::contextMenuWanted, this,
            [this](const QPoint& at, bool shift) { showContextMenu(at, shift); });
    m_board->setFocus();
    placeWindows();
    std::string pictureMessage = m_board->reloadPictures();
    if (!pictureMessage.empty()) showMessage(pictureMessage, programCaption());
    refreshAll();
}

MainWindow::~MainWindow() {
    // Destroying the main window ends drops, stores the window places and visibility, writes the
    // environment file (never on a folder that cannot be written) and the recent-file list.
    setAcceptDrops(false);
    if (!m_layoutStored) storeLayout();
    qDeleteAll(m_dockFollowers);
    m_dockFollowers.clear();
    if (m_context.folderWritable) {
        // The program is closing: a settings file that cannot be written is left as it was.
        (void)saveEnvironment(nativePath(m_context.programFolder),
                              m_context.environmentName ? *m_context.environmentName
                                                        : std::string(kDefaultEnvironmentName),
                              m_settings);
    }
    if (!m_context.profileName.isEmpty()) {
        saveRecentFiles(m_doc.recentFiles(), m_context.profileName);
        if (m_treePane) {
            saveTreeSources({desktop::fsPath(m_treePane->databasePath()),
                             desktop::fsPath(m_treePane->bookPath())},
                            m_context.profileName);
        }
    }
}

void MainWindow::storeWindowPlaces() {
    WindowState state;
    QRect main = geometry();
    state.main = {main.x(), main.y(), main.width(), main.height()};
    // A record list of its own window has a place on the desktop; as a pane it keeps the stored
    // one. Visibility is read as set, not as drawn: a closing window hides everything.
    state.record = m_recordPlace;
    if (m_recordDock->isFloating()) {
        QRect record = m_recordDock->geometry();
        state.record = {record.x(), record.y(), record.width(), record.height()};
    }
    state.recordShown = recordShown();
    if (m_toolbar) state.toolbarShown = !m_toolbar->isHidden();
    tavrel::storeWindowPlaces(m_settings, m_context.instance, state);
    if (m_commentWindow) {
        QRect comment = m_commentWindow->geometry();
        storeCommentWindowPlace(m_settings.commentWindow,
                                {comment.x(), comment.y(), comment.width(), comment.height()},
                                m_context.instance);
    }
}

void MainWindow::placeWindows() {
    Desktop desk;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        desk = Desktop{screen->availableGeometry().width(), screen->availableGeometry().height()};
    }
    WindowPlaces places =
        initialWindowPlaces(m_settings, m_context.instance, desk, m_board->naturalGeometry(),
                            m_recordWindow->sizeHint().width() + 8);
    setGeometry(places.main.x, places.main.y, places.main.width, places.main.height);
    m_recordPlace = places.record;
    if (m_recordDock->isFloating()) {
        m_recordDock->setGeometry(places.record.x, places.record.y, places.record.width,
                                  places.record.height);
    }
    if (m_layout.paneState.isEmpty()) fitRecordPane();
}

// ---- DocumentUi ----

void MainWindow::showMessage(const std::string& text, const std::string& caption) {
    if (m_quiet) {
        m_shown.push_back(text);
        return;
    }
    QMessageBox::information(this, qtext(caption), qtext(text));
}

Answer MainWindow::ask(const std::string& text, const std::string& caption, bool withCancel) {
    if (m_quiet) {
        m_shown.push_back(text);
        return m_quietAnswer;
    }
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    auto b = QMessageBox::question(this, qtext(caption), qtext(text), buttons);
    if (b == QMessageBox::Yes) return Answer::Yes;
    if (b == QMessageBox::No) return Answer::No;
    return Answer::Cancel;
}

Answer MainWindow::askDefaultNo(const std::string& text, const std::string& caption) {
    if (m_quiet) {
        m_shown.push_back(text);
        return Answer::No;
    }
    auto b = QMessageBox::warning(this, qtext(caption), qtext(text),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return b == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void MainWindow::showMessageList(const std::string& text, const std::string& caption,
                                 const std::vector<std::string>& lines) {
    if (m_quiet) {
        m_shown.push_back(text);
        return;
    }
    // The lines go into the box's details, a scrollable text: the box keeps its small size
    // however many lines there are.
    QString details;
    for (const std::string& line : lines) {
        details += qtext(line);
        details += QLatin1Char('\n');
    }
    QMessageBox box(QMessageBox::Warning, qtext(caption), qtext(text), QMessageBox::Ok, this);
    box.setDetailedText(details);
    box.exec();
}

std::optional<FileChoice> MainWindow::chooseOpenFile(const FileDialogRequest& request) {
    if (m_quiet) return std::nullopt;
    QStringList filters = filterTexts(request);
    QString selected = filters.value(request.selected);
    QString chosen =
        QFileDialog::getOpenFileName(this, qtext(request.title), fromNative(request.folder),
                                     filters.join(QStringLiteral(";;")), &selected);
    if (chosen.isEmpty()) return std::nullopt;
    return FileChoice{nativePath(chosen), static_cast<int>(filters.indexOf(selected))};
}

std::optional<FileChoice> MainWindow::chooseSaveFile(const FileDialogRequest& request) {
    if (m_quiet) return std::nullopt;
    QStringList filters = filterTexts(request);
    QString selected = filters.value(request.selected);
    QString chosen = QFileDialog::getSaveFileName(
        this, qtext(request.title),
        QDir(fromNative(request.folder)).filePath(fromNative(request.name)),
        filters.join(QStringLiteral(";;")), &selected, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty()) return std::nullopt;
    return FileChoice{nativePath(chosen), static_cast<int>(filters.indexOf(selected))};
}

std::optional<std::string> MainWindow::clipboardText() { return tavrel::clipboardText(); }

void MainWindow::setStatusText(const std::string& text) { m_status->setText(qtext(text)); }

QString MainWindow::statusText() const { return m_status->text(); }

void MainWindow::beep() { warningSound(m_settings, soundPlayer()); }

void MainWindow::documentChanged() {
    if (m_replayDriver) m_replayDriver->replay().documentChanged();
    m_input.forgetIfNotHeld();
    followEditingMode();
    refreshAll();
    followNavigationWindows();
    if (m_engines) {
        m_engines->documentChanged();
        m_recordWindow->setMoveMarks(m_engines->storedMoveMarks());
    }
    if (m_treePane) m_treePane->positionChanged();
    followGameClock();
    followAnnotationWindows();
}

void MainWindow::animateMove(const AnimatedMove& move) { m_board->animateMove(move); }

void MainWindow::followEditingMode() {
    bool editing = isEditing(m_doc.mode());
    if (editing == m_wasEditing) return;
    m_wasEditing = editing;
    if (editing) {
        m_recordShownBeforeEditing = recordShown();
        showRecordWindow(false);
    } else {
        if (m_recordShownBeforeEditing) showRecordWindow(true);
    }
}

bool MainWindow::openWithDesktop(const std::string& path) {
    if (m_quiet) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fromNative(path)));
}

void MainWindow::setBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

// ---- Title, refresh, state ----

void MainWindow::updateTitle() {
    setWindowTitle(qtext(m_doc.title()));
    m_recordWindow->refresh();
}

void MainWindow::refreshAll() {
    m_board->setTextContext(m_doc.templateEnvironment(), &m_doc.snapshot());
    m_board->update();
    if (m_exports) m_exports->refreshPreview();
    updateTitle();
    updateCommandStates();
}

void MainWindow::updateCommandStates() {
    if (!m_actions[0]) return;
    const CommandActivity activity{m_replayDriver && m_replayDriver->replay().running(),
                                   m_ftpUploading};
    for (int i = 0; i < kCommandCount; ++i) {
        const Binding& b = m_bindings[static_cast<std::size_t>(i)];
        QAction* a = m_actions[static_cast<std::size_t>(i)];
        a->setEnabled(b.run && tavrel::isEnabled(static_cast<Command>(i), m_doc, activity));
        if (b.checked) a->setChecked(b.checked());
    }
    // Only the entries that carry a file can be chosen.
    const bool recent = commandStates(m_doc.mode()).recentFiles && !activity.replayRunning;
    for (QAction* a : m_recentActions) {
        if (!a->isSeparator()) a->setEnabled(recent && !a->data().isNull());
    }
    QString text = qtext(editingEntryText(m_doc.mode()));
    action(Command::Editing)->setText(text.section(QLatin1Char('\t'), 0, 0));
    updateNavigationStates();
    updateToolStates();
}

void MainWindow::runCommand(Command command) {
    const Binding& b = m_bindings[static_cast<std::size_t>(command)];
    const CommandActivity activity{m_replayDriver->replay().running(), m_ftpUploading};
    if (!b.run || !tavrel::isEnabled(command, m_doc, activity)) return;
    if (m_commandFilter && m_commandFilter(command)) return;
    b.run();
    updateCommandStates();
}

// ---- Menus ----

void MainWindow::bind(Command command, std::function<void()> run, std::function<bool()> checked) {
    Binding& b = m_bindings[static_cast<std::size_t>(command)];
    b.run = std::move(run);
    b.checked = std::move(checked);
    QAction* a = action(command);
    a->setCheckable(static_cast<bool>(b.checked));
}

void MainWindow::buildMenus() {
    for (const CommandEntry& e : commandTable()) {
        // The table holds the texts as written; the menus show them in the program's language.
        auto* a = new QAction(desktop::translated(e.text.c_str()), this);
        QList<QKeySequence> keys;
        for (const std::string& key : e.keys) {
            keys << QKeySequence(QString::fromStdString(key), QKeySequence::PortableText);
        }
        // Every key is the window's, whichever pane has the focus.
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::ApplicationShortcut);
        a->setEnabled(false);
        const Command c = e.command;
        connect(a, &QAction::triggered, this, [this, c] { runCommand(c); });
        addAction(a);
        m_actions[static_cast<std::size_t>(c)] = a;
    }
    for (const MenuItem& menu : mainMenus(m_settings)) {
        buildMenu(menuBar()->addMenu(desktop::translated(menu.text.c_str())), menu.items);
    }
}

void MainWindow::buildMenu(QMenu* menu, const std::vector<MenuItem>& items) {
    takeMenuLetters(menu);
    connect(menu, &QMenu::aboutToShow, this, [this] { updateCommandStates(); });
    for (const MenuItem& item : items) {
        switch (item.kind) {
            case MenuItem::Kind::Command:
                menu->addAction(action(item.command));
                break;
            case MenuItem::Kind::Submenu:
                buildMenu(menu->addMenu(desktop::translated(item.text.c_str())), item.items);
                break;
            case MenuItem::Kind::Separator:
                menu->addSeparator();
                break;
            case MenuItem::Kind::RecentFiles:
                m_fileMenu = menu;
                connect(menu, &QMenu::aboutToShow, this, [this] { rebuildRecentMenu(); });
                break;
        }
    }
}

void MainWindow::buildToolbars() {
    // Each toolbar is shown as its number of the setting ツールバー says, and says so back.
    auto toolbar = [this](const char* title, const QString& name, std::size_t slot, Command toggle,
                          std::initializer_list<Command> commands) {
        QToolBar* bar = addToolBar(desktop::translated(title));
        bar->setObjectName(name);
        for (Command c : commands) {
            // The menus keep their texts; the toolbar shows the vector icon, the text as a tip.
            if (std::optional<QIcon> icon = toolbarIcon(c)) action(c)->setIcon(*icon);
            bar->addAction(action(c));
        }
        bar->setVisible(m_settings.toolbar[slot] != 0);
        bind(
            toggle,
            [this, bar, slot] {
                bar->setVisible(bar->isHidden());
                m_settings.toolbar[slot] = bar->isHidden() ? 0 : 1;
            },
            [bar] { return !bar->isHidden(); });
        return bar;
    };
    m_toolbar =
        toolbar(TR_NOOP("メインツールバー"), QStringLiteral("mainToolbar"), 0, Command::MainToolbar,
                {Command::Open, Command::Save, Command::Paste, Command::Turn});
    m_replayToolbar = toolbar(
        TR_NOOP("再現ツールバー"), QStringLiteral("replayToolbar"), 1, Command::ReplayToolbar,
        {Command::ToStart, Command::ReplayBack, Command::StepBack, Command::ReplayStop,
         Command::StepForward, Command::ReplayForward, Command::ToEnd});
}

void MainWindow::rebuildRecentMenu() {
    for (QAction* a : m_recentActions) {
        m_fileMenu->removeAction(a);
        a->deleteLater();
    }
    m_recentActions.clear();
    for (const RecentMenuEntry& entry : recentMenuEntries(m_doc.recentFiles())) {
        QAction* a = new QAction(qtext(entry.text), this);
        if (entry.path) {
            std::string path = *entry.path;
            a->setData(fromNative(path));
            connect(a, &QAction::triggered, this, [this, path] { openRecentFile(m_doc, path); });
        } else {
            a->setEnabled(false);
        }
        m_fileMenu->insertAction(action(Command::Exit), a);
        m_recentActions << a;
    }
    QAction* sep = new QAction(this);
    sep->setSeparator(true);
    m_fileMenu->insertAction(action(Command::Exit), sep);
    m_recentActions << sep;
    updateCommandStates();
}

// ---- Commands ----

void MainWindow::bindCommands() {
    using C = Command;
    // Opening shows its own message.
    bind(C::Open, [this] { (void)openRecord(m_doc); });
    bind(C::NextFile, [this] { openSiblingFile(m_doc, true); });
    bind(C::PreviousFile, [this] { openSiblingFile(m_doc, false); });
    bind(C::Save, [this] { save(m_doc); });
    bind(C::SaveAs, [this] { saveAs(m_doc, SaveAsKind::AnyFormat); });
    bind(C::Exit, [this] { close(); });
    bind(C::Paste, [this] { paste(m_doc); });
    // Refused when nothing follows; the command is disabled then.
    bind(C::TruncateAfter, [this] { (void)truncateAfterCurrent(m_doc); });
    bind(C::CreateBranch, [this] { createBranch(m_doc, m_clock); });

    bind(C::NewGame, [this] { startNewGame(); });
    bind(C::ContinuePlay, [this] {
        if (m_input.held()) m_input.putBack();
        continuePlay(m_doc, m_clock);
    });
    bind(C::ResumeGame, [this] { resumeFromSuspension(true); });
    bind(C::PlayerNames, [this] { changePlayerNames(m_doc, *this); });
    bind(C::OldReplay, [this] { chooseReplayMode(m_doc); });
    const std::pair<C, core::TerminalCode> terminals[] = {
        {C::Resign, core::TerminalCode::Resign},
        {C::Suspend, core::TerminalCode::Suspend},
        {C::Impasse, core::TerminalCode::Impasse},
        {C::TimeLoss, core::TerminalCode::TimeLoss},
        {C::FoulLoss, core::TerminalCode::FoulLoss},
        {C::FoulWin, core::TerminalCode::FoulWin},
        {C::Repetition, core::TerminalCode::Repetition},
        {C::Mate, core::TerminalCode::Mate},
        {C::NoMate, core::TerminalCode::NoMate}};
    for (auto [command, code] : terminals) {
        bind(command, [this, code = code] {
            m_board->finishAnimation();
            enterTerminal(m_doc, m_clock, code);
        });
    }
    bind(C::EndInput, [this] { endGame(m_doc, m_clock); });
    bind(C::TakeBack, [this] { takeBack(m_doc, m_clock); });
    bind(C::SuspendMail, [this] {
        m_board->finishAnimation();
        m_exports->suspendAndMail();
    });
    bind(C::TypedMove, [this] {
        m_board->finishAnimation();
        typedMoveDialog();
    });

    bind(C::Editing, [this] { toggleEditing(); });
    const std::pair<C, EditCommand> edits[] = {
        {C::EvenSetup, EditCommand::EvenSetup}, {C::MateSetup, EditCommand::MateSetup},
        {C::AllToBox, EditCommand::AllToBox},   {C::BoxToWhite, EditCommand::BoxToWhite},
        {C::Flip, EditCommand::Flip},           {C::ChangeSide, EditCommand::ChangeSide}};
    for (auto [command, edit] : edits) {
        bind(command, [this, edit = edit] {
            if (m_input.held()) m_input.putBack();
            editCommand(m_doc, edit);
        });
    }
    bind(C::Settings, [this] { settingsDialog(); });

    bind(C::HelpIndex, [this] { showHelpIndex(m_doc, nativePath(executableFolder())); });
    bind(C::Homepage, [this] { showHelpIndex(m_doc, nativePath(executableFolder())); });
    bind(C::About,
         [this] { QMessageBox::about(this, qtext(versionCaption()), qtext(versionText())); });
}

CommandResult MainWindow::openFile(const QString& path) {
    return openRecordFile(m_doc, nativePath(path));
}

bool MainWindow::recordShown() const {
    return !m_recordWindow->isHidden() && (!m_recordDock || !m_recordDock->isHidden());
}

void MainWindow::showRecordWindow(bool shown) {
    m_recordWindow->setVisible(shown);
    if (m_recordDock) m_recordDock->setVisible(shown);
    updateCommandStates();
}

void MainWindow::toggleEditing() {
    if (m_input.held()) m_input.putBack();
    if (isEditing(m_doc.mode())) {
        endEditing(m_doc);
    } else {
        // Shows its own message.
        (void)startEditing(m_doc);
    }
}

void MainWindow::typedMoveDialog() {
    if (m_doc.mode() != ViewerMode::Playing) return;
    if (m_engineGame && m_engineGame->engineToMove()) {
        m_doc.warningSound();
        return;
    }
    TypedMoveDialog dialog(this);
    for (;;) {
        std::optional<std::string> text = m_typedMoveSource ? m_typedMoveSource() : dialog.ask();
        if (!text || !enterTypedMove(m_doc, m_clock, *text)) return;
    }
}

QMenu* MainWindow::buildContextMenu(bool shift) {
    delete m_contextMenu;
    m_contextMenu = new QMenu(this);
    takeMenuLetters(m_contextMenu);
    const std::string imageName =
        m_doc.mode() == ViewerMode::PrintPreview ? m_exports->proposedImageName() : std::string();
    for (const ContextEntry& e :
         contextMenuEntries(m_doc.mode(), m_doc.store(), m_settings, shift, imageName)) {
        if (!e.command) {
            m_contextMenu->addSeparator();
            continue;
        }
        QAction* a = m_contextMenu->addAction(qtext(e.text));
        const Command c = *e.command;
        connect(a, &QAction::triggered, this, [this, c] { runCommand(c); });
    }
    return m_contextMenu;
}

void MainWindow::showContextMenu(const QPoint& globalPos, bool shift) {
    QMenu* menu = buildContextMenu(shift);
    if (menu->isEmpty() || m_quiet) return;
    menu->popup(globalPos);
}

// ---- Command line ----

void MainWindow::processCommandLine(const CommandLine& commandLine) {
    showRecordWindow(m_settings.recordWindow.shown != 0);
    std::optional<PrintRequest> request = tavrel::processCommandLine(
        m_doc, commandLine, [this](bool closeAfter) { startAutoReplay(closeAfter); },
        [this] { resumeFromSuspension(false); });
    if (!request) return;
    // "/P": print without a dialog, then close.
    // Printing shows its own messages.
    (void)m_exports->print(*request == PrintRequest::Form ? PrintKind::Form : PrintKind::Position,
                           true);
    QTimer::singleShot(0, this, [this] { close(); });
}

// ---- Closing, drag and drop ----

void MainWindow::closeEvent(QCloseEvent* event) {
    // An FTP transfer ends on its own (its waits are bounded); the window stays until then.
    if (m_replayDriver->replay().running() || m_ftpUploading) {
        m_doc.warningSound();
        event->ignore();
        return;
    }
    if (!confirmClose(m_doc)) {
        event->ignore();
        return;
    }
    storeLayout();
    m_recordWindow->hide();
    m_branchWindow->hide();
    if (m_replayDlg) m_replayDlg->hide();
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    dropFile(m_doc, nativePath(urls.first().toLocalFile()));
}

}  // namespace tavrel
