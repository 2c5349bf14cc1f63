#include "tavrel/app/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "core/base/path_text.h"
#include "core/base/version.h"
#include "core/text/sjis.h"
#include "tavrel/app/main_window_engine.h"
#include "tavrel/app/typed_move_dialog.h"
#include "tavrel/logic/document/open_commands.h"
#include "tavrel/logic/document/program_commands.h"
#include "tavrel/logic/document/save_as.h"
#include "tavrel/logic/play/position_editor.h"
#include "tavrel/logic/play/typed_move.h"
#include "tavrel/logic/tools/piece_choices.h"
#include "tavrel/logic/view/comment_view.h"
#include "tavrel/logic/view/navigation.h"
#include "tavrel/logic/view/window_placement.h"
#include "tavrel/platform/clipboard_text.h"
#include "tavrel/platform/recent_file_store.h"
#include "tavrel/platform/setting_font.h"
#include "tavrel/settings/environment_file.h"

namespace tavrel {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }
QString qs(const char* utf8) { return QString::fromUtf8(utf8); }
std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString fromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QStringList filterTexts(const FileDialogRequest& request) {
    QStringList filters;
    for (const std::string& f : request.filters) filters << qtext(f);
    return filters;
}

// Names an action so that ExportActions and the tests find it.
void named(QAction* a, const char* name) { a->setObjectName(QString::fromLatin1(name)); }

}  // namespace

MainWindow::MainWindow(const AppContext& context)
    : m_context(context),
      m_settings(*context.settings),
      m_doc(*context.store, *context.settings, *this),
      m_board(new BoardWidget(*context.store, *context.settings, this)),
      m_recordWindow(new RecordWindow(*context.store, *context.settings, this)),
      m_status(new QLabel(this)),
      m_quiet(context.quiet) {
    setObjectName(QStringLiteral("TavrelClass"));
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
    m_exports->connectActions();
    connect(m_exports, &ExportActions::previewContextMenu, this,
            [this](const QPoint& at) { showContextMenu(at, false); });
    setUpNavigation();
    setUpEngines();
    setUpTools();
    setUpGame();
    setUpAnnotations();
    m_board->attachInput(&m_doc, &m_input);
    connect(m_board, &BoardWidget::contextMenuWanted, this,
            [this](const QPoint& at, bool shift) { showContextMenu(at, shift); });
    connect(m_board, &BoardWidget::typedMoveWanted, this, [this] { typedMoveDialog(); });
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
    storeWindowPlaces();
    if (m_context.folderWritable) {
        (void)saveEnvironment(nativePath(m_context.programFolder),
                              m_context.environmentName ? *m_context.environmentName
                                                        : std::string(kDefaultEnvironmentName),
                              m_settings);
    }
    if (!m_context.profileName.isEmpty())
        saveRecentFiles(m_doc.recentFiles(), m_context.profileName);
}

void MainWindow::storeWindowPlaces() {
    WindowState state;
    QRect main = geometry();
    QRect record = m_recordWindow->geometry();
    state.main = {main.x(), main.y(), main.width(), main.height()};
    state.record = {record.x(), record.y(), record.width(), record.height()};
    state.recordShown = m_recordWindow->isVisible();
    if (m_toolbar) state.toolbarShown = m_toolbar->isVisible();
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
        initialWindowPlaces(m_settings, m_context.instance, desk, m_board->geometry());
    setGeometry(places.main.x, places.main.y, places.main.width, places.main.height);
    m_recordWindow->setGeometry(places.record.x, places.record.y, places.record.width,
                                places.record.height);
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
    if (m_engines) m_engines->documentChanged();
    followGameClock();
    followAnnotationWindows();
}

void MainWindow::animateMove(const AnimatedMove& move) { m_board->animateMove(move); }

void MainWindow::followEditingMode() {
    bool editing = isEditing(m_doc.mode());
    if (editing == m_wasEditing) return;
    m_wasEditing = editing;
    if (editing) {
        m_recordShownBeforeEditing = m_recordWindow->isVisible();
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
    CommandStates states = commandStates(m_doc.mode());
    // Only the entries that carry a file can be chosen.
    for (QAction* a : m_recentActions) a->setEnabled(states.recentFiles && !a->data().isNull());
    if (QAction* a = action(QStringLiteral("save"))) a->setEnabled(states.save);
    PlayCommandStates play = playCommandStates(m_doc.mode(), m_doc.store(), m_settings);
    auto enable = [this](const char* name, bool on) {
        if (QAction* a = action(QString::fromLatin1(name))) a->setEnabled(on);
    };
    enable("resign", play.resign);
    for (const char* name : {"suspend", "endInput", "impasse", "timeLoss", "foulLoss", "foulWin",
                             "repetition", "mate", "noMate", "suspendMail"}) {
        enable(name, play.terminals);
    }
    enable("takeBack", play.takeBack);
    enable("continuePlay", play.continuePlay);
    enable("newGame", play.newGame);
    enable("resumeGame", play.newGame);
    enable("playerNames", play.playerNames);
    enable("editing", play.editing);
    for (const char* name :
         {"evenSetup", "mateSetup", "allToBox", "boxToWhite", "flip", "changeSide"}) {
        enable(name, play.editCommands);
    }
    if (QAction* a = action(QStringLiteral("editing"))) {
        QString text = qtext(editingEntryText(m_doc.mode()));
        a->setText(text.section(QLatin1Char('\t'), 0, 0));
    }
    updateNavigationStates();
    updateToolStates();
}

QAction* MainWindow::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

// ---- Menus ----

QAction* MainWindow::addCommand(QMenu* menu, const char* text, const QList<QKeySequence>& keys,
                                std::function<void()> run) {
    QAction* a = menu->addAction(qs(text));
    if (!keys.isEmpty()) {
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    if (run) {
        connect(a, &QAction::triggered, this, [run] { run(); });
    } else {
        a->setEnabled(false);  // built with a later part of the program
    }
    return a;
}

void MainWindow::buildMenus() {
    buildFileMenu();
    buildEditMenu();
    buildPlayMenu();
    buildPositionMenu();
    buildToolMenu();
    buildViewMenu();
    buildHelpMenu();
}

void MainWindow::buildFileMenu() {
    QMenu* m = menuBar()->addMenu(qs("ファイル(&F)"));
    m_fileMenu = m;
    addCommand(m, "開く(&O)...", {QKeySequence(Qt::CTRL | Qt::Key_O)}, [this] {
        (void)openRecord(m_doc);  // shows its own message
    })->setObjectName(QStringLiteral("open"));
    addCommand(m, "次のファイルを開く(&D)", {QKeySequence(Qt::Key_PageDown)},
               [this] { openSiblingFile(m_doc, true); });
    addCommand(m, "前のファイルを開く(&U)", {QKeySequence(Qt::Key_PageUp)},
               [this] { openSiblingFile(m_doc, false); });
    addCommand(m, "上書き保存(&S)", {QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] {
        save(m_doc);
    })->setObjectName(QStringLiteral("save"));
    addCommand(m, "名前を付けて保存(&A)...", {QKeySequence(Qt::ALT | Qt::Key_S)}, [this] {
        saveAs(m_doc, SaveAsKind::AnyFormat);
    })->setObjectName(QStringLiteral("saveAs"));
    // "KI2形式で棋譜を保存(&K)..." is taken out of the menu at start-up; SaveAsKind::Ki2Only is
    // command.
    named(addCommand(m, "上書き保存し、FTP転送(&F)",
                     {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}),
          "ftpUpload");
    addCommand(m, "画像の保存(&G)...")->setObjectName(QStringLiteral("saveImage"));
    m->addSeparator();
    QMenu* mail = m->addMenu(qs("メール"));
    // The output commands are connected by ExportActions through these object names.
    named(addCommand(mail, "インターネットメールの送信(&I)...",
                     {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M)}),
          "mailLink");
    named(addCommand(mail, "棋譜ファイルをメールで送信(&T)..."), "mailAttach");
    named(addCommand(mail, "メール(MAL)作成(&L)"), "mailMal");
    named(addCommand(mail, "メール(MA2)作成(&B)"), "mailMa2");
    named(addCommand(mail, "メール作成(&M)..."), "mailDialog");
    QMenu* print = m->addMenu(qs("印刷(&P)"));
    named(addCommand(print, "局面の印刷(&P)...", {QKeySequence(Qt::CTRL | Qt::Key_P)}),
          "printPosition");
    named(addCommand(print, "棋譜の印刷(&K)..."), "printRecord");
    named(addCommand(print, "棋譜用紙印刷(&Y)..."), "printForm");
    QMenu* preview = m->addMenu(qs("印刷プレビュー(&V)"));
    named(addCommand(preview, "局面(&P)", {QKeySequence(Qt::CTRL | Qt::Key_U)}), "previewPosition");
    named(addCommand(preview, "棋譜(&K)"), "previewRecord");
    named(addCommand(preview, "棋譜用紙(&Y)"), "previewForm");
    m_recentSeparator = m->addSeparator();
    m->addSeparator();
    m_exitAction = addCommand(m, "終了(&X)", {}, [this] { close(); });
    connect(m, &QMenu::aboutToShow, this, [this] { rebuildRecentMenu(); });
    rebuildRecentMenu();
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
        m_fileMenu->insertAction(m_exitAction, a);
        m_recentActions << a;
    }
    QAction* sep = new QAction(this);
    sep->setSeparator(true);
    m_fileMenu->insertAction(m_exitAction, sep);
    m_recentActions << sep;
    updateCommandStates();
    sep->setEnabled(true);
}

void MainWindow::buildEditMenu() {
    QMenu* m = menuBar()->addMenu(qs("編集(&E)"));
    // The copies are connected by ExportActions through these object names.
    QMenu* copy = m->addMenu(qs("棋譜のコピー(&K)"));
    named(addCommand(copy, "時間付き（KI&F形式）"), "copyKif");
    named(addCommand(copy, "時間無し（KI&2形式）"), "copyKi2");
    named(addCommand(copy, "現在の変化だけ(KIF形式)(&H)"), "copyKifLine");
    named(addCommand(copy, "現在の変化だけ(KI2形式)(&I)"), "copyKi2Line");
    named(addCommand(copy, "英語表記(&E)"), "copyEnglishRecord");
    named(addCommand(copy, "dharma/Win用(&D)"), "copyDharma");
    QMenu* pos = m->addMenu(qs("局面・メールのコピー(&D)"));
    named(addCommand(pos, "通常(&U)"), "copyPosition");
    named(addCommand(pos, "等幅タグ付き(&T)"), "copyPositionHtml");
    named(addCommand(pos, "英語表記(&E)"), "copyEnglishPosition");
    named(addCommand(pos, "メールのコピー(&1)"), "copyMail1");
    named(addCommand(pos, "メールのコピー(&2)"), "copyMail2");
    named(addCommand(m, "ビットマップのコピー(&B)"), "copyBitmap");
    addCommand(m, "棋譜・局面の貼り付け(&P)",
               {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
               [this] { paste(m_doc); })
        ->setObjectName(QStringLiteral("paste"));
    // The annotation commands are connected in main_window_annotations.cpp by these names.
    named(addCommand(m, "棋譜の合成(&A)"), "mergeRecord");
    named(addCommand(m, "棋譜の変化図コピー(&Z)..."), "copyVariations");
    m->addSeparator();
    named(addCommand(m, "棋譜情報(&I)...", {QKeySequence(Qt::CTRL | Qt::Key_I)}), "recordInfo");
    named(addCommand(m, "詰将棋情報(&M)...", {QKeySequence(Qt::CTRL | Qt::Key_F5)}), "problemInfo");
    named(addCommand(m, "コメントの編集(&*)...", {QKeySequence(Qt::CTRL | Qt::Key_D)}),
          "editComment");
    named(addCommand(m, "コメントの一括削除(&C)..."), "deleteComments");
    named(addCommand(m, "消費時間の編集(&L)...", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T)}),
          "editTime");
    named(addCommand(m, "全指し手の消費時間を０に(&0)"), "zeroTimes");
    addCommand(m, "現局面以降の棋譜を削除(&G)");
    addCommand(m, "棋譜の分岐を作成する(&F)");
    m->addSeparator();
    named(addCommand(m, "しおり登録(&R)..."), "addBookmark");
    named(addCommand(m, "しおりへ移動(&J)..."), "goToBookmark");
    named(addCommand(m, "しおりの編集(&H)..."), "editBookmarks");
    QMenu* lists = m->addMenu(qs("テキストファイルの編集"));
    int list = 0;
    for (const char* t : {"対局者(&P)", "棋戦(&K)", "戦型(&S)", "表題(&H)", "持ち時間(&M)",
                          "場所(&B)", "掲載(&R)", "ユーザ定義(&1)", "ユーザ定義(&2)",
                          "ユーザ定義(&3)", "ユーザ定義(&4)", "ユーザ定義(&5)"}) {
        addCommand(lists, t)->setObjectName(QStringLiteral("editList%1").arg(list++));
    }
}

void MainWindow::buildPlayMenu() {
    QMenu* m = menuBar()->addMenu(qs("対局(&P)"));
    named(addCommand(m, "新規対局(&N)...", {QKeySequence(Qt::CTRL | Qt::Key_N)},
                     [this] { startNewGame(); }),
          "newGame");
    addCommand(m, "継続対局(&C)", {QKeySequence(Qt::CTRL | Qt::Key_Y)}, [this] {
        if (m_input.held()) m_input.putBack();
        continuePlay(m_doc, m_clock);
    })->setObjectName(QStringLiteral("continuePlay"));
    named(addCommand(m, "中断局面から再開(&S)", {QKeySequence(Qt::CTRL | Qt::Key_A)},
                     [this] { resumeFromSuspension(true); }),
          "resumeGame");
    named(
        addCommand(m, "対局者名変更(&P)...",
                   {QKeySequence(Qt::ALT | Qt::Key_A), QKeySequence(Qt::ALT | Qt::Key_BracketLeft)},
                   [this] { changePlayerNames(m_doc, *this); }),
        "playerNames");
    if (m_settings.oldReplay != 0) {
        m->addSeparator();
        addCommand(m, "棋譜の再現(&K)", {QKeySequence(Qt::CTRL | Qt::Key_K)},
                   [this] { chooseReplayMode(m_doc); });
    }
    m->addSeparator();
    auto terminal = [this, m](const char* text, const char* name, core::TerminalCode code,
                              QList<QKeySequence> keys = {}) {
        addCommand(m, text, keys, [this, code] {
            m_board->finishAnimation();
            enterTerminal(m_doc, m_clock, code);
        })->setObjectName(QString::fromLatin1(name));
    };
    terminal("投了(&G)", "resign", core::TerminalCode::Resign,
             {QKeySequence(Qt::CTRL | Qt::Key_G)});
    terminal("中断(&Q)", "suspend", core::TerminalCode::Suspend,
             {QKeySequence(Qt::CTRL | Qt::Key_Q)});
    addCommand(m, "入力終了(&E)", {QKeySequence(Qt::CTRL | Qt::Key_M)}, [this] {
        if (isPlaying(m_doc.mode())) endGame(m_doc, m_clock);
    })->setObjectName(QStringLiteral("endInput"));
    addCommand(m, "入力の取り消し(&R)", {QKeySequence(Qt::CTRL | Qt::Key_R)}, [this] {
        if (isPlaying(m_doc.mode())) takeBack(m_doc, m_clock);
    })->setObjectName(QStringLiteral("takeBack"));
    terminal("持将棋(&J)", "impasse", core::TerminalCode::Impasse);
    terminal("時間切れで負け(&I)", "timeLoss", core::TerminalCode::TimeLoss);
    terminal("反則負け(&B)", "foulLoss", core::TerminalCode::FoulLoss);
    terminal("反則勝ち(&H)", "foulWin", core::TerminalCode::FoulWin);
    terminal("千日手(&I)", "repetition", core::TerminalCode::Repetition);
    terminal("詰み(&T)", "mate", core::TerminalCode::Mate);
    terminal("不詰(&F)", "noMate", core::TerminalCode::NoMate);
    addCommand(m, "中断し、メールを出力(&W)", {QKeySequence(Qt::CTRL | Qt::Key_W)}, [this] {
        m_board->finishAnimation();
        m_exports->suspendAndMail();
    })->setObjectName(QStringLiteral("suspendMail"));
}

void MainWindow::buildPositionMenu() {
    QMenu* m = menuBar()->addMenu(qs("局面編集(&B)"));
    addCommand(m, "局面編集の開始(&E)", {QKeySequence(Qt::CTRL | Qt::Key_E)}, [this] {
        toggleEditing();
    })->setObjectName(QStringLiteral("editing"));
    struct Entry {
        const char* text;
        const char* name;
        EditCommand command;
    };
    for (Entry e : {Entry{"平手初期配置(&H)", "evenSetup", EditCommand::EvenSetup},
                    Entry{"詰将棋用配置(&M)", "mateSetup", EditCommand::MateSetup},
                    Entry{"全ての駒を駒箱へ(&K)", "allToBox", EditCommand::AllToBox},
                    Entry{"駒箱の駒を後手の持駒に(&G)", "boxToWhite", EditCommand::BoxToWhite},
                    Entry{"先後反転(&I)", "flip", EditCommand::Flip},
                    Entry{"手番変更(&T)", "changeSide", EditCommand::ChangeSide}}) {
        addCommand(m, e.text, {}, [this, e] {
            if (m_input.held()) m_input.putBack();
            editCommand(m_doc, e.command);
        })->setObjectName(QString::fromLatin1(e.name));
    }
}

void MainWindow::buildToolMenu() {
    QMenu* m = menuBar()->addMenu(qs("ツール(&T)"));
    named(
        addCommand(m, "各種設定(&S)...", {QKeySequence(Qt::Key_F2)}, [this] { settingsDialog(); }),
        "settings");
    // Connected with the other programs in main_window_tools.cpp.
    named(addCommand(m, "棋譜データベースを起動(&K)", {QKeySequence(Qt::Key_F8)}), "dalmir");
    named(addCommand(m, "棋譜データベースで局面検索(&F)", {QKeySequence(Qt::Key_F9)}),
          "dalmirSearch");
    named(addCommand(m, "棋譜データベースに登録(&R)", {QKeySequence(Qt::Key_F10)}),
          "dalmirRegister");
    named(addCommand(m, "詰将棋データベースを起動(&T)", {QKeySequence(Qt::Key_F11)}), "pellam");
    m->addSeparator();
    named(addCommand(m, "ツールメニュー設定(&M)..."), "toolSettings");
    for (int i = 0; i < kToolCount; ++i) {
        QAction* a = m->addAction(qtext(toolMenuLabel(m_settings, i)));
        a->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + i)));
        a->setShortcutContext(Qt::ApplicationShortcut);
        a->setObjectName(QStringLiteral("tool%1").arg(i + 1));
        a->setEnabled(false);
    }
}

void MainWindow::buildViewMenu() {
    QMenu* m = menuBar()->addMenu(qs("表示(&V)"));
    buildReplayMenu(m->addMenu(qs("棋譜再現(&G)")));

    QAction* turn = addCommand(m, "盤面の回転(&T)", {QKeySequence(Qt::CTRL | Qt::Key_T)},
                               [this] { m_board->setTurned(!m_board->turned()); });
    turn->setCheckable(true);
    turn->setObjectName(QStringLiteral("turn"));
    QAction* emphasis = addCommand(m, "手番強調(&E)", {}, [this] {
        m_settings.emphasiseSideToMove = m_settings.emphasiseSideToMove ? 0 : 1;
        m_board->update();
    });
    emphasis->setCheckable(true);
    emphasis->setChecked(m_settings.emphasiseSideToMove != 0);

    QMenu* last = m->addMenu(qs("最終駒(&L)"));
    auto* group = new QActionGroup(this);
    struct Choice {
        const char* text;
        LastPieceEmphasis value;
    };
    for (Choice c : {Choice{"強調表示しない(&N)", LastPieceEmphasis::None},
                     Choice{"駒の色を変える(&P)", LastPieceEmphasis::PieceColour},
                     Choice{"枡目の色を変える(&M)", LastPieceEmphasis::SquareColour}}) {
        QAction* a = addCommand(last, c.text, {}, [this, c] {
            m_settings.lastPieceEmphasis = c.value;
            m_board->update();
        });
        a->setCheckable(true);
        a->setChecked(m_settings.lastPieceEmphasis == c.value);
        group->addAction(a);
    }

    m_toolbar = addToolBar(qs("メインツールバー"));
    m_toolbar->setObjectName(QStringLiteral("mainToolbar"));
    for (const char* name : {"open", "save", "paste"}) {
        if (QAction* a = action(QString::fromLatin1(name))) m_toolbar->addAction(a);
    }
    m_toolbar->addAction(turn);
    m_toolbar->setVisible(m_settings.toolbar[0] != 0);
    QAction* tb = m_toolbar->toggleViewAction();
    tb->setText(qs("メインツールバー(&M)"));
    m->addAction(tb);
    addCommand(m, "再現ツールバー(&R)");
    QAction* sb = addCommand(m, "ステータスバー(&S)", {}, [this] {
        m_settings.showStatusBar = m_settings.showStatusBar ? 0 : 1;
        statusBar()->setVisible(m_settings.showStatusBar != 0);
    });
    sb->setCheckable(true);
    sb->setChecked(m_settings.showStatusBar != 0);

    QMenu* colours = m->addMenu(qs("色の設定(&C)"));
    addCommand(colours, "盤面色(&B)...", {}, [this] { chooseColour(m_settings.boardColour); });
    addCommand(colours, "駒台色(&P)...", {}, [this] { chooseColour(m_settings.pieceBoxColour); });
    addCommand(colours, "最終駒・枡目の色(&L)...", {},
               [this] { chooseColour(m_settings.lastPieceColour); });
    addCommand(colours, "棋譜最終手の色(&K)...", {}, [this] {
        chooseColour(m_settings.currentMoveColour);
        m_recordWindow->invalidate();
        m_recordWindow->refresh();
    });
    addCommand(colours, "棋譜変化の色(&E)...", {}, [this] {
        chooseColour(m_settings.variationColour);
        m_recordWindow->invalidate();
        m_recordWindow->refresh();
    });
    addCommand(colours, "背景色(&H)...", {}, [this] { chooseColour(m_settings.backgroundColour); });
    QMenu* fonts = m->addMenu(qs("フォントの設定(&F)"));
    struct FontChoice {
        const char* text;
        FontSetting Settings::*font;
    };
    for (FontChoice f : {FontChoice{"情報フォント(&I)...", &Settings::informationFont},
                         FontChoice{"メッセージフォント(&M)...", &Settings::statusFont},
                         FontChoice{"棋譜フォント(&K)...", &Settings::recordFont},
                         FontChoice{"座標フォント(&Z)...", &Settings::coordinateFont},
                         FontChoice{"コメントフォント(&C)...", &Settings::commentFont}}) {
        addCommand(fonts, f.text, {}, [this, f] { chooseFont(m_settings.*(f.font)); });
    }
    addCommand(m, "盤・駒の設定(&P)...", {}, [this] { pieceSettings(); });

    QMenu* rw = m->addMenu(qs("棋譜ウィンドウ(&K)"));
    m_recordWindowAction = addCommand(rw, "表示(&V)", {QKeySequence(Qt::CTRL | Qt::Key_L)},
                                      [this] { showRecordWindow(!m_recordWindow->isVisible()); });
    m_recordWindowAction->setCheckable(true);
    buildListWindowMenus(rw, m->addMenu(qs("分岐ウィンドウ(&B)")));
    QMenu* comment = m->addMenu(qs("棋譜コメント(&*)"));
    for (const char* t :
         {"表示しない(&0)", "メインウィンドウに表示する(&1)", "コメントウィンドウに表示する(&2)",
          "コメントがあるときウィンドウに表示する(&3)"}) {
        addCommand(comment, t)
            ->setObjectName(QStringLiteral("commentDisplay%1").arg(comment->actions().size() - 1));
    }
}

void MainWindow::buildHelpMenu() {
    QMenu* m = menuBar()->addMenu(qs("ヘルプ(&H)"));
    addCommand(m, "目次(&C)", {QKeySequence(Qt::Key_F1)},
               [this] { showHelpIndex(m_doc, nativePath(m_context.programFolder)); });
    addCommand(m, "Veskのサイト(&K)", {}, [] {
        QDesktopServices::openUrl(QUrl(QStringLiteral("https://vesk.example.org/")));
    });
    addCommand(m, "バージョン情報(&A)...", {},
               [this] { QMessageBox::about(this, qtext(versionCaption()), qtext(versionText())); });
}

// ---- Commands ----

CommandResult MainWindow::openFile(const QString& path) {
    return openRecordFile(m_doc, nativePath(path));
}

void MainWindow::chooseColour(Rgb& colour) {
    QColor chosen = QColorDialog::getColor(toColour(colour), this);
    if (!chosen.isValid()) return;
    colour = Rgb{static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
                 static_cast<std::uint8_t>(chosen.blue())};
    m_board->update();
}

void MainWindow::pieceSettings() {
    PieceChoices choices = pieceChoices(m_settings);
    QDialog dialog(this);
    dialog.setWindowTitle(qs("盤・駒の設定"));
    auto* form = new QFormLayout(&dialog);
    auto* set = new QSpinBox(&dialog);
    set->setRange(0, kPieceSetCount - 1);
    set->setValue(choices.pieceSet);
    form->addRow(qs("駒の種類"), set);
    // The items in the order of WoodChoice.
    auto woodChoices = [&](WoodChoice value) {
        auto* box = new QComboBox(&dialog);
        box->addItems({qs("木目１"), qs("木目２"), qs("単色")});
        box->setCurrentIndex(static_cast<int>(value));
        return box;
    };
    QComboBox* board = woodChoices(choices.board);
    QComboBox* stand = woodChoices(choices.stand);
    form->addRow(qs("盤の種類"), board);
    form->addRow(qs("駒台の種類"), stand);
    auto* external = new QCheckBox(qs("外部駒を使う"), &dialog);
    external->setChecked(choices.externalPieces);
    form->addRow(external);
    auto* pathRow = new QHBoxLayout;
    auto* path = new QLineEdit(qtext(choices.pieceBitmap), &dialog);
    auto* browse = new QPushButton(qs("参照..."), &dialog);
    pathRow->addWidget(path);
    pathRow->addWidget(browse);
    form->addRow(qs("駒BMP"), pathRow);
    connect(browse, &QPushButton::clicked, &dialog, [&] {
        QString f = QFileDialog::getOpenFileName(&dialog, qs("駒BMP"), path->text(),
                                                 qs("画像 (*.bmp *.png *.BMP *.PNG)"));
        if (!f.isEmpty()) path->setText(f);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return;
    choices.pieceSet = set->value();
    choices.board = static_cast<WoodChoice>(board->currentIndex());
    choices.stand = static_cast<WoodChoice>(stand->currentIndex());
    choices.externalPieces = external->isChecked();
    choices.pieceBitmap = core::utf8ToCp932(path->text().toStdString()).text;
    applyPieceChoices(choices, m_settings);
    std::string message = m_board->reloadPictures();
    if (!message.empty()) showMessage(message, programCaption());
}

void MainWindow::showRecordWindow(bool shown) {
    m_recordWindow->setVisible(shown);
    if (m_recordWindowAction) m_recordWindowAction->setChecked(shown);
}

void MainWindow::toggleEditing() {
    if (m_input.held()) m_input.putBack();
    if (isEditing(m_doc.mode())) {
        endEditing(m_doc);
    } else {
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
    const std::string imageName =
        m_doc.mode() == ViewerMode::PrintPreview ? m_exports->proposedImageName() : std::string();
    for (const ContextEntry& e :
         contextMenuEntries(m_doc.mode(), m_doc.store(), m_settings, shift, imageName)) {
        if (e.command == ContextCommand::Separator) {
            m_contextMenu->addSeparator();
            continue;
        }
        QAction* a = m_contextMenu->addAction(qtext(e.text));
        ContextCommand c = e.command;
        connect(a, &QAction::triggered, this, [this, c] { runContextCommand(c); });
        switch (c) {
            default:
                break;
        }
    }
    return m_contextMenu;
}

void MainWindow::showContextMenu(const QPoint& globalPos, bool shift) {
    QMenu* menu = buildContextMenu(shift);
    if (menu->isEmpty() || m_quiet) return;
    menu->popup(globalPos);
}

void MainWindow::runContextCommand(ContextCommand command) {
    switch (command) {
        case ContextCommand::Suspend:
            enterTerminal(m_doc, m_clock, core::TerminalCode::Suspend);
            return;
        case ContextCommand::Resign:
            enterTerminal(m_doc, m_clock, core::TerminalCode::Resign);
            return;
        case ContextCommand::EndInput:
            endGame(m_doc, m_clock);
            return;
        case ContextCommand::TakeBack:
            takeBack(m_doc, m_clock);
            return;
        case ContextCommand::SuspendAndMail:
            m_exports->suspendAndMail();
            return;
        case ContextCommand::PositionPreview:
            m_exports->preview(PrintKind::Position);
            return;
        case ContextCommand::SaveImageAs:
            m_exports->saveImageAs();
            return;
        case ContextCommand::SaveImage:
            m_exports->saveImageNamed();
            return;
        case ContextCommand::CopyBitmap:
            m_exports->copyBitmap();
            return;
        case ContextCommand::Mate:
            enterTerminal(m_doc, m_clock, core::TerminalCode::Mate);
            return;
        case ContextCommand::Repetition:
            enterTerminal(m_doc, m_clock, core::TerminalCode::Repetition);
            return;
        case ContextCommand::GoToBookmark:
            goToBookmarkDialog();
            return;
        case ContextCommand::AddBookmark:
            bookmarkDialog();
            return;
        case ContextCommand::StartEditing:
        case ContextCommand::EndEditing:
            toggleEditing();
            return;
        case ContextCommand::EvenSetup:
            editCommand(m_doc, EditCommand::EvenSetup);
            return;
        case ContextCommand::MateSetup:
            editCommand(m_doc, EditCommand::MateSetup);
            return;
        case ContextCommand::AllToBox:
            editCommand(m_doc, EditCommand::AllToBox);
            return;
        case ContextCommand::Flip:
            editCommand(m_doc, EditCommand::Flip);
            return;
        case ContextCommand::ChangeSide:
            editCommand(m_doc, EditCommand::ChangeSide);
            return;
        default:
            return;
    }
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
