#include "viewer/app/main_window.h"

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
#include <QFileInfo>
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
#include <QUrl>

#include "core/text/path_text.h"
#include "core/text/sjis.h"
#include "core/text/version.h"
#include "viewer/logic/startup.h"
#include "viewer/platform/clipboard_text.h"
#include "viewer/platform/recent_file_store.h"
#include "viewer/settings/environment_file.h"

namespace viewer {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }
QString qs(const char* utf8) { return QString::fromUtf8(utf8); }
std::string cp(const char* utf8) { return core::sjis(utf8); }
std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString fromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string shown(const std::string& nativePathBytes) { return pathToText(nativePathBytes); }

const char* const kOpenFilters[] = {"棋譜(*.kif *.KIF)",
                                    "棋譜(*.ki2 *.KI2)",
                                    "局面(*.bod *.BOD)",
                                    "CSA棋譜(*.csa *.CSA)",
                                    "棋譜(*.kif *.ki2 *.KIF *.KI2)",
                                    "すべてのﾌｧｲﾙ (*)"};
const char* const kSaveFilters[] = {"棋譜(*.kif)", "棋譜(*.ki2)",         "CSA棋譜(*.csa)",
                                    "局面(*.bod)", "英語表記棋譜(*.gam)", "英語表記局面(*.txt)"};

QString filterList(const char* const* filters, int count) {
    QStringList list;
    for (int i = 0; i < count; ++i) list << qs(filters[i]);
    return list.join(QStringLiteral(";;"));
}

// The number (from 1) of the chosen filter text, 0 when it is none of them.
int filterIndex(const char* const* filters, int count, const QString& chosen) {
    for (int i = 0; i < count; ++i) {
        if (chosen == qs(filters[i])) return i + 1;
    }
    return 0;
}

// The text of a filter numbered from 1 in its dialog's order.
template <class Filter>
QString filterText(const char* const* filters, Filter filter) {
    return qs(filters[static_cast<int>(filter) - 1]);
}

}  // namespace

MainWindow::MainWindow(const AppContext& context)
    : m_context(context),
      m_settings(*context.settings),
      m_store(*context.store),
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
    QFont statusFont(qtext(m_settings.statusFont.face));
    statusFont.setPixelSize(std::max(6, std::abs(m_settings.statusFont.height)));
    m_status->setFont(statusFont);
    statusBar()->addWidget(m_status, 1);
    statusBar()->setVisible(m_settings.showStatusBar != 0);
    setAcceptDrops(true);
    buildMenus();
    connect(m_recordWindow, &RecordWindow::plyChosen, this, [this](int ply) {
        if (isPlaying(m_doc.mode()) || isEditing(m_doc.mode())) return;
        (void)m_store.goToPly(ply);
        m_board->update();
        updateTitle();
    });
    placeWindows();
    std::string pictureMessage = m_board->reloadPictures();
    if (!pictureMessage.empty()) showMessage(pictureMessage, std::string(core::kProgramName));
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
    int n = m_context.instance;
    m_settings.recordWindow.shown = m_recordWindow->isVisible() ? 1 : 0;
    if (m_toolbar) m_settings.toolbar[0] = m_toolbar->isVisible() ? 1 : 0;
    QRect main = geometry();
    if (main.height() >= 50) {
        m_settings.mainWindow =
            storedPlacement({main.x(), main.y(), main.width(), main.height()}, n);
    }
    QRect rw = m_recordWindow->geometry();
    WindowRect stored = storedPlacement({rw.x(), rw.y(), rw.width(), rw.height()}, n);
    m_settings.recordWindow.x = stored.x;
    m_settings.recordWindow.y = stored.y;
    m_settings.recordWindow.width = stored.width;
    m_settings.recordWindow.height = stored.height;
    for (PanelSetting* panel : {&m_settings.branchWindow, &m_settings.commentWindow}) {
        WindowRect p =
            storedPlacement(WindowRect{panel->x + instanceOffset(n), panel->y + instanceOffset(n),
                                       panel->width, panel->height},
                            n);
        panel->x = p.x;
        panel->y = p.y;
    }
}

void MainWindow::placeWindows() {
    QScreen* screen = QGuiApplication::primaryScreen();
    Desktop desk;
    if (screen)
        desk = Desktop{screen->availableGeometry().width(), screen->availableGeometry().height()};
    BoardGeometry g = m_board->geometry();
    int menuAndStatus = 60;
    WindowRect def{0, 0, g.defaultClientWidth(), g.defaultClientHeight() + menuAndStatus};
    if (m_settings.mainWindow.height < 50) {
        m_settings.recordWindow.x = 10;
        m_settings.recordWindow.y = 250;
    }
    WindowRect r = mainWindowPlacement(m_settings.mainWindow, m_context.instance, desk, def);
    setGeometry(r.x, r.y, r.width, r.height);
    const RecordWindowSetting& rs = m_settings.recordWindow;
    WindowRect rw =
        recordWindowPlacement({rs.x, rs.y, rs.width, rs.height}, m_context.instance, desk);
    m_recordWindow->setGeometry(rw.x, rw.y, std::max(rw.width, 60), std::max(rw.height, 60));
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
        return Answer::No;
    }
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    auto b = QMessageBox::question(this, qtext(caption), qtext(text), buttons);
    if (b == QMessageBox::Yes) return Answer::Yes;
    if (b == QMessageBox::No) return Answer::No;
    return Answer::Cancel;
}

void MainWindow::setStatusText(const std::string& text) { m_status->setText(qtext(text)); }

QString MainWindow::statusText() const { return m_status->text(); }

void MainWindow::beep() { QApplication::beep(); }

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
    updateTitle();
    updateCommandStates();
}

void MainWindow::updateCommandStates() {
    ViewerMode mode = m_doc.mode();
    bool blocked = isPlaying(mode) || mode == ViewerMode::PrintPreview;
    for (QAction* a : m_recentActions) a->setEnabled(!blocked && !a->data().isNull());
    if (QAction* a = action(QStringLiteral("save"))) a->setEnabled(!blocked);
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
        open();
    })->setObjectName(QStringLiteral("open"));
    addCommand(m, "次のファイルを開く(&D)", {QKeySequence(Qt::Key_PageDown)},
               [this] { openSibling(true); });
    addCommand(m, "前のファイルを開く(&U)", {QKeySequence(Qt::Key_PageUp)},
               [this] { openSibling(false); });
    addCommand(m, "上書き保存(&S)", {QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] {
        save();
    })->setObjectName(QStringLiteral("save"));
    addCommand(m, "名前を付けて保存(&A)...", {QKeySequence(Qt::ALT | Qt::Key_S)}, [this] {
        saveAs(false);
    })->setObjectName(QStringLiteral("saveAs"));
    // "KI2形式で棋譜を保存(&K)..." is taken out of the menu at start-up; saveAs(true) is its
    // command.
    addCommand(m, "上書き保存し、FTP転送(&F)", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    addCommand(m, "画像の保存(&G)...");
    m->addSeparator();
    QMenu* mail = m->addMenu(qs("メール"));
    addCommand(mail, "インターネットメールの送信(&I)...",
               {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M)});
    addCommand(mail, "棋譜ファイルをメールで送信(&T)...");
    addCommand(mail, "メール(MAL)作成(&L)");
    addCommand(mail, "メール(MA2)作成(&B)");
    addCommand(mail, "メール作成(&M)...");
    QMenu* print = m->addMenu(qs("印刷(&P)"));
    addCommand(print, "局面の印刷(&P)...", {QKeySequence(Qt::CTRL | Qt::Key_P)});
    addCommand(print, "棋譜の印刷(&K)...");
    addCommand(print, "棋譜用紙印刷(&Y)...");
    QMenu* preview = m->addMenu(qs("印刷プレビュー(&V)"));
    addCommand(preview, "局面(&P)", {QKeySequence(Qt::CTRL | Qt::Key_U)});
    addCommand(preview, "棋譜(&K)");
    addCommand(preview, "棋譜用紙(&Y)");
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
    const auto& entries = m_doc.recentFiles().entries();
    if (entries.empty()) {
        QAction* a = new QAction(qs("最近使ったファイル"), this);
        a->setEnabled(false);
        m_fileMenu->insertAction(m_exitAction, a);
        m_recentActions << a;
    }
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        std::string path = entries[static_cast<std::size_t>(i)];
        QAction* a = new QAction(qtext(recentMenuText(i, pathToText(path))), this);
        a->setData(fromNative(path));
        connect(a, &QAction::triggered, this, [this, path] {
            if (m_doc.askSaveBeforeDiscard(true) == Answer::Cancel) return;
            openFile(fromNative(path));
        });
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
    QMenu* copy = m->addMenu(qs("棋譜のコピー(&K)"));
    addCommand(copy, "時間付き（KI&F形式）");
    addCommand(copy, "時間無し（KI&2形式）");
    addCommand(copy, "現在の変化だけ(KIF形式)(&H)");
    addCommand(copy, "現在の変化だけ(KI2形式)(&I)");
    addCommand(copy, "英語表記(&E)");
    QMenu* pos = m->addMenu(qs("局面・メールのコピー(&D)"));
    addCommand(pos, "通常(&U)");
    addCommand(pos, "等幅タグ付き(&T)");
    addCommand(pos, "英語表記(&E)");
    addCommand(pos, "メールのコピー(&1)");
    addCommand(pos, "メールのコピー(&2)");
    addCommand(m, "ビットマップのコピー(&B)");
    addCommand(m, "棋譜・局面の貼り付け(&P)",
               {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
               [this] { paste(); })
        ->setObjectName(QStringLiteral("paste"));
    addCommand(m, "棋譜の合成(&A)");
    addCommand(m, "棋譜の変化図コピー(&Z)...");
    m->addSeparator();
    addCommand(m, "棋譜情報(&I)...", {QKeySequence(Qt::CTRL | Qt::Key_I)});
    addCommand(m, "詰将棋情報(&M)...", {QKeySequence(Qt::CTRL | Qt::Key_F5)});
    addCommand(m, "コメントの編集(&*)...", {QKeySequence(Qt::CTRL | Qt::Key_D)});
    addCommand(m, "コメントの一括削除(&C)...");
    addCommand(m, "消費時間の編集(&L)...", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T)});
    addCommand(m, "全指し手の消費時間を０に(&0)");
    addCommand(m, "現局面以降の棋譜を削除(&G)");
    addCommand(m, "棋譜の分岐を作成する(&F)");
    m->addSeparator();
    addCommand(m, "しおり登録(&R)...");
    addCommand(m, "しおりへ移動(&J)...");
    addCommand(m, "しおりの編集(&H)...");
    QMenu* lists = m->addMenu(qs("テキストファイルの編集"));
    for (const char* t : {"対局者(&P)", "棋戦(&K)", "戦型(&S)", "表題(&H)", "持ち時間(&M)",
                          "場所(&B)", "掲載(&R)", "ユーザ定義(&1)", "ユーザ定義(&2)",
                          "ユーザ定義(&3)", "ユーザ定義(&4)", "ユーザ定義(&5)"}) {
        addCommand(lists, t);
    }
}

void MainWindow::buildPlayMenu() {
    QMenu* m = menuBar()->addMenu(qs("対局(&P)"));
    addCommand(m, "新規対局(&N)...", {QKeySequence(Qt::CTRL | Qt::Key_N)});
    addCommand(m, "継続対局(&C)", {QKeySequence(Qt::CTRL | Qt::Key_Y)});
    addCommand(m, "中断局面から再開(&S)", {QKeySequence(Qt::CTRL | Qt::Key_A)});
    addCommand(m, "対局者名変更(&P)...",
               {QKeySequence(Qt::ALT | Qt::Key_A), QKeySequence(Qt::ALT | Qt::Key_BracketLeft)});
    if (m_settings.oldReplay != 0) {
        m->addSeparator();
        addCommand(m, "棋譜の再現(&K)", {QKeySequence(Qt::CTRL | Qt::Key_K)}, [this] {
            if (m_store.lineEnd() == 0) return;
            m_doc.setMode(m_doc.mode() == ViewerMode::Replaying ? ViewerMode::Viewing
                                                                : ViewerMode::Replaying);
            refreshAll();
        });
    }
    m->addSeparator();
    addCommand(m, "投了(&G)", {QKeySequence(Qt::CTRL | Qt::Key_G)});
    addCommand(m, "中断(&Q)", {QKeySequence(Qt::CTRL | Qt::Key_Q)});
    addCommand(m, "入力終了(&E)", {QKeySequence(Qt::CTRL | Qt::Key_M)});
    addCommand(m, "入力の取り消し(&R)", {QKeySequence(Qt::CTRL | Qt::Key_R)});
    for (const char* t : {"持将棋(&J)", "時間切れで負け(&I)", "反則負け(&B)", "反則勝ち(&H)",
                          "千日手(&I)", "詰み(&T)", "不詰(&F)"}) {
        addCommand(m, t);
    }
    addCommand(m, "中断し、メールを出力(&W)", {QKeySequence(Qt::CTRL | Qt::Key_W)});
}

void MainWindow::buildPositionMenu() {
    QMenu* m = menuBar()->addMenu(qs("局面編集(&B)"));
    addCommand(m, "盤面編集の開始(&E)", {QKeySequence(Qt::CTRL | Qt::Key_E)});
    for (const char* t : {"平手初期配置(&H)", "詰将棋用配置(&M)", "全ての駒を駒箱へ(&K)",
                          "駒箱の駒を後手の持駒に(&G)", "先後反転(&I)", "手番変更(&T)"}) {
        addCommand(m, t);
    }
}

void MainWindow::buildToolMenu() {
    QMenu* m = menuBar()->addMenu(qs("ツール(&T)"));
    addCommand(m, "各種設定(&S)...", {QKeySequence(Qt::Key_F2)});
    addCommand(m, "棋譜データベースを起動(&K)", {QKeySequence(Qt::Key_F8)});
    addCommand(m, "棋譜データベースで局面検索(&F)", {QKeySequence(Qt::Key_F9)});
    addCommand(m, "棋譜データベースに登録(&R)", {QKeySequence(Qt::Key_F10)});
    addCommand(m, "詰将棋データベースを起動(&T)", {QKeySequence(Qt::Key_F11)});
    m->addSeparator();
    addCommand(m, "ツールメニュー設定(&M)...");
    for (int i = 0; i < kToolCount; ++i) {
        const std::string& text = m_settings.tools[static_cast<std::size_t>(i)].menu;
        QAction* a = m->addAction(text.empty() ? qs("ツールメニュー%1").arg(i + 1) : qtext(text));
        a->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + i)));
        a->setEnabled(false);
    }
}

void MainWindow::buildViewMenu() {
    QMenu* m = menuBar()->addMenu(qs("表示(&V)"));
    QMenu* replay = m->addMenu(qs("棋譜再現(&G)"));
    addCommand(replay, "開始局面へ(&T)", {QKeySequence(Qt::Key_Home)}, [this] { step(-2); });
    addCommand(replay, "連続して戻す(&P)", {QKeySequence(Qt::SHIFT | Qt::Key_Left)});
    addCommand(replay, "１手戻す(&B)",
               {QKeySequence(Qt::Key_Left), QKeySequence(Qt::CTRL | Qt::Key_B)},
               [this] { step(-1); });
    addCommand(replay, "再現停止(&S)", {QKeySequence(Qt::Key_Space)});
    addCommand(replay, "１手進める(&F)",
               {QKeySequence(Qt::Key_Right), QKeySequence(Qt::CTRL | Qt::Key_F)},
               [this] { step(1); });
    addCommand(replay, "連続して進める(&N)", {QKeySequence(Qt::SHIFT | Qt::Key_Right)});
    addCommand(replay, "最終局面へ(&E)", {QKeySequence(Qt::Key_End)}, [this] { step(2); });
    addCommand(replay, "前の分岐まで戻す(&M)", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left)});
    addCommand(replay, "次の分岐まで進める(&A)",
               {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right)});
    addCommand(replay, "指定手数へ(&J)...");

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
        int value;
    };
    for (Choice c : {Choice{"強調表示しない(&N)", 0}, Choice{"駒の色を変える(&P)", 2},
                     Choice{"枡目の色を変える(&M)", 3}}) {
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
    addCommand(colours, "棋譜最終手の色(&K)...");
    addCommand(colours, "棋譜変化の色(&E)...");
    addCommand(colours, "背景色(&H)...", {}, [this] { chooseColour(m_settings.backgroundColour); });
    QMenu* fonts = m->addMenu(qs("フォントの設定(&F)"));
    for (const char* t : {"情報フォント(&I)...", "メッセージフォント(&M)...", "棋譜フォント(&K)...",
                          "座標フォント(&Z)...", "コメントフォント(&C)..."}) {
        addCommand(fonts, t);
    }
    addCommand(m, "盤・駒の設定(&P)...", {}, [this] { pieceSettings(); });

    QMenu* rw = m->addMenu(qs("棋譜ウィンドウ(&K)"));
    m_recordWindowAction = addCommand(rw, "表示(&V)", {QKeySequence(Qt::CTRL | Qt::Key_L)},
                                      [this] { showRecordWindow(!m_recordWindow->isVisible()); });
    m_recordWindowAction->setCheckable(true);
    addCommand(rw, "消費時間を表示する(&S)");
    addCommand(rw, "分岐の指し手を表示する(&B)");
    addCommand(rw, "しおり名を表示する(&N)");
    QMenu* branch = m->addMenu(qs("分岐ウィンドウ(&B)"));
    for (const char* t : {"表示しない(&0)", "表示する(&1)", "分岐があるとき表示する(&2)"}) {
        addCommand(branch, t);
    }
    QMenu* comment = m->addMenu(qs("棋譜コメント(&*)"));
    for (const char* t :
         {"表示しない(&0)", "メインウィンドウに表示する(&1)", "コメントウィンドウに表示する(&2)",
          "コメントがあるときウィンドウに表示する(&3)"}) {
        addCommand(comment, t);
    }
}

void MainWindow::buildHelpMenu() {
    QMenu* m = menuBar()->addMenu(qs("ヘルプ(&H)"));
    addCommand(m, "目次(&C)", {QKeySequence(Qt::Key_F1)}, [this] {
        QString index = m_context.programFolder + QStringLiteral("help/index.html");
        if (!QFileInfo::exists(index) || !QDesktopServices::openUrl(QUrl::fromLocalFile(index))) {
            m_doc.warningSound();
        }
    });
    addCommand(m, "Veskのサイト(&K)", {}, [] {
        QDesktopServices::openUrl(QUrl(QStringLiteral("https://vesk.example.org/")));
    });
    addCommand(m, "バージョン情報(&A)...", {}, [this] {
        QMessageBox::about(
            this, qs("バージョン情報"),
            QStringLiteral("%1 %2").arg(
                QString::fromLatin1(core::kProgramName.data(),
                                    static_cast<int>(core::kProgramName.size())),
                QString::fromLatin1(core::kProgramVersion.data(),
                                    static_cast<int>(core::kProgramVersion.size()))));
    });
}

// ---- Commands ----

void MainWindow::notYet(const char* feature) {
    m_doc.warningSound();
    showMessage(core::sjis(feature) + cp("は、この版ではまだ使用できません。"),
                std::string(core::kProgramName));
}

int MainWindow::openFile(const QString& path) {
    int r = m_doc.loadRecordFile(nativePath(path));
    refreshAll();
    return r;
}

void MainWindow::open() {
    if (m_doc.askSaveBeforeDiscard(true) == Answer::Cancel) return;
    if (!m_openFilter) m_openFilter = initialOpenFilter(m_settings.standardFormat);
    QString selected = filterText(kOpenFilters, *m_openFilter);
    QString path = QFileDialog::getOpenFileName(
        this, qs("棋譜・局面ファイルの読み込み"), fromNative(m_doc.recordFolder()),
        filterList(kOpenFilters, kOpenFilterCount), &selected);
    if (path.isEmpty()) return;
    if (int f = filterIndex(kOpenFilters, kOpenFilterCount, selected)) {
        m_openFilter = static_cast<OpenFilter>(f);
    }
    openFile(path);
}

void MainWindow::openSibling(bool forward) {
    if (m_doc.recordPath().empty() || hasNoFile(m_doc.recordName())) {
        m_doc.warningSound();
        return;
    }
    QFileInfo current(fromNative(m_doc.recordPath()));
    QDir dir = current.dir();
    std::vector<std::string> names;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QString& e : entries) {
        if (names.size() >= kMaxFolderEntries) break;
        names.push_back(pathToText(nativePath(e)));
    }
    auto next = siblingFile(names, pathToText(nativePath(current.fileName())), forward);
    if (!next) {
        m_doc.warningSound();
        return;
    }
    if (m_doc.askSaveBeforeDiscard(false) == Answer::Cancel) return;
    openFile(dir.filePath(fromNative(textToPath(*next))));
}

void MainWindow::save() {
    if (isPlaying(m_doc.mode()) || m_doc.mode() == ViewerMode::PrintPreview) {
        m_doc.warningSound();
        return;
    }
    if (isEditing(m_doc.mode())) {
        saveAs(false);
        return;
    }
    std::optional<core::WriteResult> r = m_doc.saveInPlace();
    if (!r) {
        saveAs(false);
        return;
    }
    refreshAll();
}

void MainWindow::saveAs(bool ki2Only) {
    QString initialName = hasNoFile(m_doc.recordName())
                              ? qtext(todayName())
                              : fromNative(std::string(core::fileNameOf(m_doc.recordPath())));
    SaveFormat format = ki2Only ? SaveFormat::Ki2
                                : initialSaveFilter(m_doc.mode(), m_saveFilter, m_doc.recordPath(),
                                                    m_settings.standardFormat);
    QString filters = ki2Only ? filterText(kSaveFilters, SaveFormat::Ki2)
                              : filterList(kSaveFilters, kSaveFilterCount);
    QString title = ki2Only ? qs("KI2形式棋譜ファイルの保存") : qs("棋譜・局面ファイルの保存");
    for (;;) {
        QString selected = filterText(kSaveFilters, format);
        QString chosen = QFileDialog::getSaveFileName(
            this, title, QDir(fromNative(m_doc.recordFolder())).filePath(initialName), filters,
            &selected, QFileDialog::DontConfirmOverwrite);
        if (chosen.isEmpty()) return;
        if (!ki2Only) {
            if (int f = filterIndex(kSaveFilters, kSaveFilterCount, selected)) {
                format = static_cast<SaveFormat>(f);
            }
            m_saveFilter = format;
        }
        std::string path =
            ki2Only ? nativePath(chosen) : applySaveExtension(nativePath(chosen), format);
        if (ki2Only && core::lowerExtension(path) != "ki2") path += ".ki2";
        bool position = format == SaveFormat::Bod || format == SaveFormat::EnglishPosition;
        QFileInfo info(fromNative(path));
        if (info.fileName().isEmpty() || info.isDir()) {
            showMessage(cp("ファイル名(") + shown(path) + cp(")が無効です。"),
                        std::string(core::kProgramName));
            continue;
        }
        if (info.exists()) {
            std::string q =
                position ? cp("同名の局面(") + shown(path) + cp(")があります。書き換えますか？")
                         : cp("同名の棋譜(") + shown(path) + cp(")があります。書き換えますか？");
            if (ask(q, cp(position ? "局面保存" : "棋譜保存"), false) != Answer::Yes) {
                initialName = info.fileName();
                continue;
            }
        }
        if (format == SaveFormat::Csa && m_store.hasVariations()) {
            if (ask(cp("CSA形式では分岐を保存できませんが、継続しますか？"), cp("CSA形式棋譜保存"),
                    false) != Answer::Yes) {
                return;
            }
        }
        if (!CTavrelDoc::canWrite(format)) {
            notYet(kSaveFilters[static_cast<int>(format) - 1]);
            return;
        }
        core::WriteResult r = m_doc.writeRecord(format, path);
        if (r != core::WriteResult::Ok) {
            m_doc.warningSound();
            showMessage(
                (position ? cp("局面保存エラー(") : cp("棋譜保存エラー(")) + shown(path) + ")",
                std::string(core::kProgramName));
            return;
        }
        setStatusText(position ? cp("局面ファイル(") + shown(path) + cp(")を出力しました。")
                               : cp("棋譜ファイル(") + shown(path) + cp(")を保存しました。"));
        refreshAll();
        return;
    }
}

void MainWindow::paste() {
    if (isPlaying(m_doc.mode()) || m_doc.mode() == ViewerMode::PrintPreview) {
        m_doc.warningSound();
        return;
    }
    m_doc.pasteRecord(clipboardText());
    refreshAll();
}

void MainWindow::step(int how) {
    if (isPlaying(m_doc.mode()) || isEditing(m_doc.mode())) {
        m_doc.warningSound();
        return;
    }
    switch (how) {
        case -2:
            m_store.backTo(0);
            break;
        case -1:
            if (!m_store.backOne()) m_doc.warningSound();
            break;
        case 1:
            if (m_store.node(m_store.current()).next == core::kNoNode ||
                m_store.stepForward() != core::EditResult::Ok) {
                m_doc.warningSound();
            }
            break;
        default:
            while (m_store.node(m_store.current()).next != core::kNoNode &&
                   m_store.stepForward() == core::EditResult::Ok) {
            }
            break;
    }
    m_board->update();
    updateTitle();
}

void MainWindow::chooseColour(Rgb& colour) {
    QColor chosen = QColorDialog::getColor(toColour(colour), this);
    if (!chosen.isValid()) return;
    colour = Rgb{static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
                 static_cast<std::uint8_t>(chosen.blue())};
    m_board->update();
}

void MainWindow::pieceSettings() {
    QDialog dialog(this);
    dialog.setWindowTitle(qs("盤・駒の設定"));
    auto* form = new QFormLayout(&dialog);
    auto* set = new QSpinBox(&dialog);
    set->setRange(0, kPieceSetCount - 1);
    set->setValue(m_settings.pieceSet);
    form->addRow(qs("駒の種類"), set);
    auto woodChoices = [&](int value) {
        auto* box = new QComboBox(&dialog);
        box->addItems({qs("木目１"), qs("木目２"), qs("単色")});
        box->setCurrentIndex(value == 0 || value == 1 ? value : 2);
        return box;
    };
    QComboBox* board = woodChoices(m_settings.boardType);
    QComboBox* stand = woodChoices(m_settings.standType);
    form->addRow(qs("盤の種類"), board);
    form->addRow(qs("駒台の種類"), stand);
    auto* external = new QCheckBox(qs("外部駒を使う"), &dialog);
    external->setChecked(m_settings.externalPieces == 1);
    form->addRow(external);
    auto* pathRow = new QHBoxLayout;
    auto* path = new QLineEdit(qtext(m_settings.pieceBitmap), &dialog);
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
    m_settings.pieceSet = set->value();
    m_settings.boardType = board->currentIndex();
    m_settings.standType = stand->currentIndex();
    m_settings.externalPieces = external->isChecked() ? 1 : 0;
    m_settings.pieceBitmap = std::string(
        core::cutToBytes(core::utf8ToCp932(path->text().toStdString()).text, kSettingTextBytes));
    std::string message = m_board->reloadPictures();
    if (!message.empty()) showMessage(message, std::string(core::kProgramName));
}

void MainWindow::showRecordWindow(bool shown) {
    m_recordWindow->setVisible(shown);
    if (m_recordWindowAction) m_recordWindowAction->setChecked(shown);
}

// ---- Command line ----

void MainWindow::processCommandLine(const CommandLine& cl) {
    showRecordWindow(m_settings.recordWindow.shown != 0);
    bool resume = cl.resumeGame;
    auto withPly = [&](auto load) {
        int saved = m_settings.positionAfterLoad;
        if (cl.ply) m_settings.positionAfterLoad = 0;
        int r = load();
        m_settings.positionAfterLoad = saved;
        if (r == 0 && cl.ply) m_doc.showPly(*cl.ply);
        refreshAll();
        return r;
    };
    if (cl.file) {
        int r = withPly([&] { return m_doc.loadRecordFile(*cl.file); });
        if (r != 0) resume = false;
    } else if (cl.clipboard) {
        withPly([&] { return m_doc.pasteRecord(clipboardText()); });
    }
    if (cl.replay) {
        if (m_settings.oldReplay != 0 && m_store.lineEnd() > 0) {
            m_doc.setMode(ViewerMode::Replaying);
            refreshAll();
        }
    } else if (cl.autoReplay || cl.autoReplayThenClose) {
        notYet("連続再現");
    } else if (resume) {
        notYet("中断局面から再開");
    } else if (cl.editPosition) {
        notYet("盤面編集");
    } else if (cl.print) {
        notYet("印刷");
    }
}

// ---- Closing, drag and drop ----

void MainWindow::closeEvent(QCloseEvent* event) {
    if (isEditing(m_doc.mode()) &&
        ask(cp("プログラムを終了しますか？"), cp("終了確認"), false) != Answer::Yes) {
        event->ignore();
        return;
    }
    if (m_doc.askSaveBeforeDiscard(false) == Answer::Cancel) {
        event->ignore();
        return;
    }
    m_recordWindow->hide();
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    std::string path = nativePath(urls.first().toLocalFile());
    if (core::formatOfPath(path) == core::RecordFormat::Unsupported) {
        m_doc.warningSound();
        return;
    }
    if (isPlaying(m_doc.mode())) {
        m_doc.warningSound();
        showMessage(cp("対局中は、ドロップできません。"), std::string(core::kProgramName));
        return;
    }
    if (m_doc.mode() == ViewerMode::PrintPreview) {
        m_doc.warningSound();
        showMessage(cp("プレビュー中は、ドロップできません。"), std::string(core::kProgramName));
        return;
    }
    if (m_doc.modified()) {
        m_doc.warningSound();
        if (m_doc.askSaveBeforeDiscard(false) == Answer::Cancel) return;
    }
    m_doc.loadRecordFile(path);
    refreshAll();
    setStatusText(shown(path) + cp(" がドロップされました。"));
    m_doc.warningSound();
}

}  // namespace viewer
