#include "dalmir/app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "core/base/path_text.h"
#include "dalmir/app/folder_add_dialog.h"
#include "dalmir/app/font_choice.h"
#include "dalmir/app/list_printer.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/app/settings_dialog.h"
#include "dalmir/logic/clipboard_record.h"
#include "dalmir/logic/copy_files.h"
#include "dalmir/logic/desktop_views.h"
#include "dalmir/logic/record_compare.h"
#include "dalmir/logic/record_files.h"
#include "dalmir/logic/record_launch.h"
#include "dalmir/logic/record_paste.h"
#include "dalmir/logic/sort_order.h"
#include "dalmir/model/search/duplicate_check.h"
#include "dalmir/model/table/dls_clipboard.h"
#include "dalmir/model/table/fs_paths.h"
#include "desktop/desktop_integration.h"

namespace dalmir {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

MainWindow::MainWindow(DalmirContext context, QWidget* parent)
    : QMainWindow(parent),
      m_context(std::move(context)),
      m_settings(*m_context.settings),
      m_db(m_settings.maxRecords),
      m_log(fsPath(m_context.dataFolder) + "errorlog.txt"),
      m_histories(m_context.dataFolder, *m_context.settings),
      m_session(m_db, m_lock, m_undo, m_settings, m_context.recent, *this) {
    applySettings();
    m_searcher = std::make_unique<model::Searcher>(m_db, m_extractor, m_runner);
    m_db.table().settings().sortOrder = m_settings.defaultSort;

    m_model = new ListModel(m_db, m_userNames, this);
    m_view = new QTableView(this);
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    // Fixed row heights: the view then never measures rows it does not paint.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->horizontalHeader()->setSectionsClickable(true);
    m_view->horizontalHeader()->setHighlightSections(false);
    setCentralWidget(m_view);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        clickHeader(section, QApplication::keyboardModifiers() & Qt::ShiftModifier);
    });
    connect(m_view, &QTableView::doubleClicked, this,
            [this](const QModelIndex&) { launchSelected(LaunchCommand::Replay); });
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, &MainWindow::showPopup);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { refreshState(); });

    for (int i = 0; i < 3; ++i) {
        m_panes[i] = new QLabel(this);
        statusBar()->addWidget(m_panes[i], i == 0 ? 1 : 0);
    }
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 0);
    m_progress->setMaximumWidth(160);
    m_progress->hide();
    m_cancel = new QPushButton(qs("中止"), this);
    m_cancel->hide();
    statusBar()->addPermanentWidget(m_progress);
    statusBar()->addPermanentWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancelOperation(); });

    connect(&m_runner, &OperationRunner::statusChanged, this,
            [this](const QString& text) { m_panes[0]->setText(text); });
    connect(&m_runner, &OperationRunner::messageShown, this,
            [this](const QString& text) { showMessage(text); });
    m_runner.setAsker(
        [this](const QString& text, const QStringList& buttons, std::function<void(int)> answer) {
            askNonBlocking(text, buttons, std::move(answer));
        });
    m_starter = [](const QString& program, const QStringList& args) {
        return QProcess::startDetached(program, args);
    };
    m_later = [this](int ms, std::function<void()> run) {
        QTimer::singleShot(ms, this, std::move(run));
    };
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // Whether the clipboard holds records is looked at once per change of the clipboard, not at
    // every change of the selection.
    auto clipboardChanged = [this] {
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        m_clipboardHasRecords =
            mime && mime->hasText() && holdsRecords(mime->text().left(8).toStdString());
        refreshState();
    };
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, clipboardChanged);

    setAcceptDrops(true);
    buildMenus();
    buildToolBar();
    applyFonts();
    clipboardChanged();
    refreshList();
    resize(900, 600);
}

MainWindow::~MainWindow() { m_runner.cancel(); }

model::UserFieldNames MainWindow::userNames() const {
    model::UserFieldNames names;
    for (std::size_t k = 0; k < names.size(); ++k) {
        names[k] = core::sjis(m_settings.userFieldNames[k]);
    }
    return names;
}

// Carries the settings the list, the header reader and registration depend on into them.
void MainWindow::applySettings() {
    m_userNames = userNames();
    std::array<std::string, core::kUserHeaderFieldCount> keys;
    for (std::size_t k = 0; k < keys.size() && k < m_userNames.size(); ++k)
        keys[k] = m_userNames[k];
    m_extractor.setUserKeys(keys);
    m_registrationOptions.quietErrors = m_settings.addErrorsLogged;
    m_registrationOptions.editorConfigured = !m_settings.tools.editCommand.empty();
    m_db.table().setCapacity(m_settings.maxRecords);
}

std::string MainWindow::errorLogPath() const { return m_log.path(); }

QAction* MainWindow::addCommand(QMenu* menu, Command command, const QString& text,
                                const QKeySequence& key, std::function<void()> run) {
    QAction* action = menu->addAction(text);
    if (!key.isEmpty()) action->setShortcut(key);
    connect(action, &QAction::triggered, this, [this, command, run = std::move(run)] {
        if (isEnabled(command)) run();
    });
    m_actions.emplace(command, action);
    m_allActions.emplace_back(command, action);
    return action;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(qs("ファイル(&F)"));
    addCommand(file, Command::New, qs("新規作成(&N)..."), QKeySequence(qs("Ctrl+N")),
               [this] { menuNew(); });
    addCommand(file, Command::Open, qs("開く(&O)..."), QKeySequence(qs("Ctrl+O")),
               [this] { menuOpen(); });
    addCommand(file, Command::Save, qs("上書き保存(&S)"), QKeySequence(qs("Ctrl+S")),
               [this] { (void)m_session.saveCommand(); });
    addCommand(file, Command::SaveAs, qs("名前を付けて保存(&A)..."), {},
               [this] { (void)m_session.saveAs(); });
    file->addSeparator();
    addCommand(file, Command::PrintList, qs("印刷(&P)..."), QKeySequence(qs("Ctrl+P")),
               [this] { menuPrint(); });
    addCommand(file, Command::PrintPreview, qs("印刷プレビュー(&V)"), {},
               [this] { menuPreview(); });
    addCommand(file, Command::PrintList, qs("PDFに出力(&D)..."), {}, [this] { menuPdf(); });
    file->addAction(qs("ページレイアウトの設定(&L)..."), this, [this] {
        auto* dialog = new PageLayoutDialog(m_settings, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
    file->addAction(qs("プリンタの設定(&R)..."), this, [this] { menuPrinterSetup(); });
    file->addSeparator();
    addCommand(file, Command::RelativePaths, qs("棋譜を相対パスにする(&K)"), {},
               [this] { toggleRelativePaths(); });
    file->addSeparator();
    // The recent files stand in the menu itself, between two separators.
    m_recentMenu = file;
    m_recentEnd = file->addSeparator();
    rebuildRecentMenu();
    file->addAction(qs("Dalmirの終了(&X)"), this, &QWidget::close);
    auto* recentKey = new QAction(this);
    recentKey->setShortcut(QKeySequence(Qt::Key_F4));
    connect(recentKey, &QAction::triggered, this,
            [this] { handleRequest(core::DatabaseRequest::OpenRecent); });
    addAction(recentKey);
    auto* searchKey = new QAction(this);
    searchKey->setShortcut(QKeySequence(Qt::Key_F5));
    connect(searchKey, &QAction::triggered, this,
            [this] { handleRequest(core::DatabaseRequest::SearchPosition); });
    addAction(searchKey);

    QMenu* edit = menuBar()->addMenu(qs("編集(&E)"));
    addCommand(edit, Command::Undo, qs("元に戻す(&U)"), QKeySequence(qs("Ctrl+Z")), [this] {
        undo();
    })->setShortcuts({QKeySequence(qs("Ctrl+Z")), QKeySequence(qs("Alt+Backspace"))});
    edit->addSeparator();
    addCommand(edit, Command::Cut, qs("切り取り(&T)"), QKeySequence(qs("Ctrl+X")), [this] {
        copyRecords(true);
    })->setShortcuts({QKeySequence(qs("Ctrl+X")), QKeySequence(qs("Shift+Del"))});
    addCommand(edit, Command::Copy, qs("コピー(&C)"), QKeySequence(qs("Ctrl+C")), [this] {
        copyRecords(false);
    })->setShortcuts({QKeySequence(qs("Ctrl+C")), QKeySequence(qs("Ctrl+Ins"))});
    addCommand(edit, Command::Paste, qs("貼り付け(&P)"), QKeySequence(qs("Ctrl+V")), [this] {
        pasteRecords();
    })->setShortcuts({QKeySequence(qs("Ctrl+V")), QKeySequence(qs("Shift+Ins"))});
    addCommand(edit, Command::Delete, qs("削除(&D)"), QKeySequence(Qt::Key_Delete),
               [this] { deleteSelected(); });
    addCommand(edit, Command::DeleteWithFiles, qs("棋譜も削除(&S)"), {},
               [this] { deleteSelectedWithFiles(); });
    addCommand(edit, Command::ListInfo, qs("棋譜情報出力(&O)"), {}, [this] { copyListInfo(); });
    addCommand(edit, Command::SelectAll, qs("すべてを選択(&A)"), QKeySequence(qs("Ctrl+A")),
               [this] { m_view->selectAll(); });
    edit->addAction(qs("エラー記録を見る"), this, [this] { showErrorLog(); });

    QMenu* table = menuBar()->addMenu(qs("表操作(&O)"));
    addCommand(table, Command::HeaderSearch, qs("条件検索(&F)..."), QKeySequence(qs("Ctrl+F")),
               [this] { menuHeaderSearch(); });
    addCommand(table, Command::PositionSearch, qs("局面検索(&Y)..."), QKeySequence(qs("Ctrl+D")),
               [this] { menuPositionSearch(); });
    addCommand(table, Command::NextMoveSearch, qs("次の手検索(&N)"), {},
               [this] { startNextMoveSearch(); });
    addCommand(table, Command::SequenceSearch, qs("手順検索(&T)..."), QKeySequence(qs("Ctrl+Y")),
               [this] { menuSequenceSearch(); });
    addCommand(table, Command::ShowAll, qs("全棋譜表示(&A)"), QKeySequence(qs("Ctrl+L")),
               [this] { showAll(); });
    addCommand(table, Command::AddFolder, qs("フォルダ指定追加(&P)..."), QKeySequence(qs("Ctrl+R")),
               [this] { menuAddFolder(); });
    addCommand(table, Command::AddFile, qs("単独追加(&O)..."), {}, [this] { menuAddFile(); });
    addCommand(table, Command::DeleteFolder, qs("フォルダ指定削除(&E)..."), {},
               [this] { menuDeleteFolder(); });
    addCommand(table, Command::KeepListed, qs("表示棋譜以外を削除(&I)"), {},
               [this] { keepListed(); });
    addCommand(table, Command::UpdateAll, qs("全データ更新(&U)..."), QKeySequence(qs("Ctrl+U")),
               [this] { startUpdate(); });
    addCommand(table, Command::UpdateSelected, qs("選択棋譜の更新(&S)..."), {},
               [this] { startUpdate(slotsOfRows(m_db.table(), selectedRows())); });
    addCommand(table, Command::CopySelectedFiles, qs("選択棋譜のコピー(&G)..."), {},
               [this] { menuCopyFiles(); });
    addCommand(table, Command::ShowOnlySelected, qs("選択した棋譜だけを表示する(&V)"), {},
               [this] { showOnlySelected(true); });
    addCommand(table, Command::HideSelected, qs("選択した棋譜を表示しない(&B)"), {},
               [this] { showOnlySelected(false); });
    addCommand(table, Command::EditMarks, qs("マークの編集(&M)..."), {},
               [this] { menuEditMarks(); });
    addCommand(table, Command::ToggleMark, qs("マーク(&1)を反転"), {}, [this] { toggleMarks(); });
    addCommand(table, Command::ClearMarks, qs("マークをすべて解除(&R)"), {},
               [this] { clearMarks(); });
    addCommand(table, Command::AdoptListOrder, qs("棋譜登録順の変更(&C)"), {},
               [this] { adoptOrder(); });
    addCommand(table, Command::Duplicates, qs("棋譜の重複を調べる(&D)..."),
               QKeySequence(qs("Ctrl+J")), [this] { menuDuplicates(); });
    addCommand(table, Command::CompareTwo, qs("二つの棋譜の違いを調べる(&2)"),
               QKeySequence(qs("Ctrl+B")), [this] { compareSelected(); });

    QMenu* tools = menuBar()->addMenu(qs("ツール(&T)"));
    addCommand(tools, Command::Replay, qs("再現(&R)"), {},
               [this] { launchSelected(LaunchCommand::Replay); });
    addCommand(tools, Command::Play, qs("対局(&G)"), QKeySequence(qs("Ctrl+G")),
               [this] { launchSelected(LaunchCommand::Play); });
    addCommand(tools, Command::PrintRecord, qs("印刷(&P)"), {},
               [this] { launchSelected(LaunchCommand::Print); });
    addCommand(tools, Command::Editor, qs("エディタで開く(&E)"), QKeySequence(qs("Ctrl+E")),
               [this] { launchSelected(LaunchCommand::Editor); });
    addCommand(tools, Command::OpenFolder, qs("フォルダを開く(&F)"), {}, [this] { openFolders(); });
    addCommand(tools, Command::PositionEdit, qs("局面編集(&B)"), {},
               [this] { launchSelected(LaunchCommand::PositionEdit); });
    tools->addSeparator();
    addCommand(tools, Command::Statistics, qs("統計計算(&S)..."), QKeySequence(qs("Ctrl+T")),
               [this] { startStatistics(StatisticsKind::Results); });
    addCommand(tools, Command::Statistics, qs("対局者の統計計算(&T)..."), {},
               [this] { menuPlayerStatistics(); });
    addCommand(tools, Command::Statistics, qs("次の手分析(&N)..."), QKeySequence(qs("Ctrl+M")),
               [this] { startStatistics(StatisticsKind::NextMoves); });
    addCommand(tools, Command::Statistics, qs("戦型分析(&O)..."), {},
               [this] { startStatistics(StatisticsKind::Openings); });
    addCommand(tools, Command::Statistics, qs("手合割分析(&H)..."), {},
               [this] { startStatistics(StatisticsKind::Handicaps); });
    tools->addSeparator();
    addCommand(tools, Command::Settings, qs("設定(&C)..."), QKeySequence(Qt::Key_F2),
               [this] { menuSettings(); });

    QMenu* view = menuBar()->addMenu(qs("表示(&V)"));
    addCommand(view, Command::ColumnsDialog, qs("表示項目(&I)..."), {}, [this] { menuColumns(); });
    addCommand(view, Command::Card, qs("カード形表示(&C)..."), {}, [this] { showCard(); });
    QMenu* names = view->addMenu(qs("ファイル名(&N)"));
    m_nameStyles[0] =
        names->addAction(qs("フォルダを表示しない(&N)"), this, [this] { setFileNameStyle(0); });
    m_nameStyles[2] =
        names->addAction(qs("フォルダを１段表示(&1)"), this, [this] { setFileNameStyle(2); });
    m_nameStyles[1] =
        names->addAction(qs("フルパス表示(&F)"), this, [this] { setFileNameStyle(1); });
    m_extension =
        names->addAction(qs("ファイル名の拡張子(&E)"), this, [this] { toggleExtension(); });
    QMenu* years = view->addMenu(qs("年の表示"));
    m_yearStyles[0] = years->addAction(qs("西暦２桁(&2)"), this, [this] { setYearStyle(0); });
    m_yearStyles[1] = years->addAction(qs("西暦４桁(&4)"), this, [this] { setYearStyle(1); });
    m_yearStyles[2] = years->addAction(qs("年号(&N)"), this, [this] { setYearStyle(2); });
    for (QAction* a : {m_nameStyles[0], m_nameStyles[1], m_nameStyles[2], m_extension,
                       m_yearStyles[0], m_yearStyles[1], m_yearStyles[2]}) {
        a->setCheckable(true);
    }
    view->addSeparator();
    view->addAction(qs("表のフォント(&H)..."), this, [this] { menuFont(true); });
    view->addAction(qs("ステータス フォント(&F)..."), this, [this] { menuFont(false); });
    view->addSeparator();
    m_toolBarToggle = view->addAction(qs("ツールバー(&T)"));
    m_toolBarToggle->setCheckable(true);
    m_toolBarToggle->setChecked(true);
    m_statusBarToggle = view->addAction(qs("ステータスバー(&S)"));
    m_statusBarToggle->setCheckable(true);
    m_statusBarToggle->setChecked(true);
    connect(m_statusBarToggle, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });

    QMenu* help = menuBar()->addMenu(qs("ヘルプ(&H)"));
    QAction* contents = help->addAction(qs("目次(&C)"), this, [this] { showHelp(); });
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    help->addAction(qs("バージョン情報(&A)..."), this,
                    [this] { showMessage(qs("Dalmir ") + QString::number(m_context.instance)); });
}

void MainWindow::rebuildRecentMenu() {
    if (!m_recentMenu) return;
    for (QAction* old : m_recentActions) {
        m_recentMenu->removeAction(old);
        old->deleteLater();
    }
    m_recentActions.clear();
    if (!m_context.recent) return;
    const auto& entries = m_context.recent->entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const QString path = fromFsPath(entries[i]);
        auto* action =
            new QAction(fromUtf8(recentMenuText(static_cast<int>(i), path.toStdString())), this);
        connect(action, &QAction::triggered, this, [this, path] {
            if (!isBusy() && m_session.confirmDiscard()) openFile(path);
        });
        m_recentMenu->insertAction(m_recentEnd, action);
        m_recentActions.push_back(action);
    }
}

void MainWindow::handleRequest(core::DatabaseRequest request) {
    // The viewer cannot raise another program's window: every request brings this one up.
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    if (isBusy()) {
        m_pendingRequests.push_back(request);
        return;
    }
    runRequest(request);
}

void MainWindow::runRequest(core::DatabaseRequest request) {
    switch (request) {
        case core::DatabaseRequest::Show:
            break;  // already in front (handleRequest)
        case core::DatabaseRequest::OpenRecent:
            if (m_context.recent && !m_context.recent->entries().empty() &&
                m_session.confirmDiscard()) {
                openFile(fromFsPath(m_context.recent->entries().front()));
            }
            break;
        case core::DatabaseRequest::SearchPosition:
            menuPositionSearch();  // F5 asks like Ctrl+D
            break;
        case core::DatabaseRequest::RegisterRecord:
            askToRegisterClipboardFile(*this, [this](const std::string& path) {
                if (!isBusy()) startSingleAdd(fromUtf8(path));
            });
            break;
    }
}

void MainWindow::refreshList() {
    m_model->rebuild();
    for (int section = 0; section < m_model->columnCount(); ++section) {
        m_view->setColumnWidth(section,
                               m_model->columns()[static_cast<std::size_t>(section)].width);
    }
    refreshState();
}

bool MainWindow::isEnabled(Command command) const {
    // While the worker changes the database, nothing here reads it.
    if (isBusy()) return false;
    WindowState s;
    s.selected = m_view->selectionModel()
                     ? static_cast<int>(m_view->selectionModel()->selectedRows().size())
                     : 0;
    s.listed = static_cast<int>(m_db.table().displayOrder().size());
    s.registered = m_db.table().size();
    s.hasEditor = !m_settings.tools.editCommand.empty();
    s.binary = m_db.isBinary();
    s.canUndo = m_undo.canUndo();
    s.clipboardHasRecords = m_clipboardHasRecords;
    return dalmir::isEnabled(command, s);
}

void MainWindow::refreshState() {
    for (auto& [command, action] : m_allActions) action->setEnabled(isEnabled(command));
    // The view menu's marks show the database's list settings.
    const model::IndexSettings& view = m_db.table().settings();
    for (int i = 0; i < 3; ++i) {
        if (m_nameStyles[i]) m_nameStyles[i]->setChecked(view.fileNameStyle == i);
        if (m_yearStyles[i]) m_yearStyles[i]->setChecked(view.yearStyle == i);
    }
    if (m_extension) m_extension->setChecked(view.fileNameExtension);
    if (auto it = m_actions.find(Command::RelativePaths); it != m_actions.end()) {
        it->second->setCheckable(true);
        it->second->setChecked(view.relativePaths);
    }
    if (isBusy()) return;
    m_panes[1]->setText(fromUtf8(recordCountText(m_db.table())));
    m_panes[2]->setText(fromCp932(sortStatusText(m_db.table().settings().sortOrder, m_userNames)));
    setWindowTitle(fromUtf8(dalmir::windowTitle(m_db)) + qs(" - Dalmir"));
}

QString MainWindow::statusPane(int pane) const {
    return pane >= 0 && pane < 3 ? m_panes[pane]->text() : QString();
}

std::vector<int> MainWindow::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MainWindow::showMessage(const QString& message) {
    m_messages.push_back(message);
    if (m_context.quiet) return;
    auto* box =
        new QMessageBox(QMessageBox::Information, qs("Dalmir"), message, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::showMessage(const std::string& text) { showMessage(fromUtf8(text)); }

Answer MainWindow::ask(const Question& question) {
    if (m_context.quiet) return question.unattended;
    const auto buttons = question.withCancel
                             ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                             : QMessageBox::Yes | QMessageBox::No;
    const QString caption = fromUtf8(question.caption);
    const QString text = fromUtf8(question.text);
    const auto answer = question.warning ? QMessageBox::warning(this, caption, text, buttons)
                                         : QMessageBox::question(this, caption, text, buttons);
    if (answer == QMessageBox::Yes) return Answer::Yes;
    return answer == QMessageBox::No ? Answer::No : Answer::Cancel;
}

void MainWindow::askLater(const Question& question, std::function<void(Answer)> answer) {
    m_messages.push_back(fromUtf8(question.text));
    if (m_context.quiet) return;
    auto* box = new QMessageBox(question.warning ? QMessageBox::Warning : QMessageBox::Question,
                                fromUtf8(question.caption), fromUtf8(question.text),
                                question.withCancel
                                    ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                    : QMessageBox::Yes | QMessageBox::No,
                                this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [box, answer = std::move(answer)] {
        const int result = box->result();
        answer(result == QMessageBox::Yes  ? Answer::Yes
               : result == QMessageBox::No ? Answer::No
                                           : Answer::Cancel);
    });
    box->open();
}

std::optional<std::string> MainWindow::chooseOpenFile(const FileDialogRequest& request) {
    const QString path =
        QFileDialog::getOpenFileName(this, fromUtf8(request.title), {}, fromUtf8(request.filter));
    if (path.isEmpty()) return std::nullopt;
    return fsPath(path);
}

std::optional<std::string> MainWindow::chooseSaveFile(const FileDialogRequest& request) {
    const QString path =
        QFileDialog::getSaveFileName(this, fromUtf8(request.title), {}, fromUtf8(request.filter));
    if (path.isEmpty()) return std::nullopt;
    return fsPath(path);
}

std::string MainWindow::clipboardText() { return QApplication::clipboard()->text().toStdString(); }

void MainWindow::setClipboardText(const std::string& text) {
    QApplication::clipboard()->setText(fromUtf8(text));
}

void MainWindow::setStatusText(const std::string& text) { m_panes[0]->setText(fromUtf8(text)); }

void MainWindow::beep() { QApplication::beep(); }

bool MainWindow::startProgram(const std::string& program,
                              const std::vector<std::string>& arguments) {
    QStringList args;
    for (const auto& a : arguments) args << fromUtf8(a);
    return m_starter(fromUtf8(program), args);
}

bool MainWindow::moveToTrash(const std::string& path) {
    return QFile::moveToTrash(fromFsPath(path));
}

bool MainWindow::openWithDesktop(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fromFsPath(path)));
}

void MainWindow::runLater(int ms, std::function<void()> run) {
    m_later(ms, [this, run = std::move(run)] {
        if (!isBusy()) run();
    });
}

void MainWindow::listReplaced() {
    m_view->clearSelection();
    refreshList();
}

void MainWindow::askNonBlocking(const QString& text, const QStringList& buttons,
                                std::function<void(int)> answer) {
    m_messages.push_back(text);
    if (m_context.quiet) {
        answer(-1);
        return;
    }
    auto* box =
        new QMessageBox(QMessageBox::Question, qs("Dalmir"), text, QMessageBox::NoButton, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    std::vector<QAbstractButton*> made;
    for (const QString& b : buttons) made.push_back(box->addButton(b, QMessageBox::ActionRole));
    auto shared = std::make_shared<std::function<void(int)>>(std::move(answer));
    connect(box, &QMessageBox::finished, this, [box, made, shared] {
        int choice = -1;
        for (std::size_t i = 0; i < made.size(); ++i) {
            if (box->clickedButton() == made[i]) choice = static_cast<int>(i);
        }
        if (*shared) (*shared)(choice);
        *shared = nullptr;
    });
    box->open();
}

bool MainWindow::openFile(const QString& path) { return !isBusy() && m_session.open(fsPath(path)); }

bool MainWindow::saveFile(const QString& path) {
    return !isBusy() && m_session.save(path.isEmpty() ? std::string() : fsPath(path));
}

void MainWindow::newDatabase(bool binary) {
    if (!isBusy()) m_session.reset(binary);
}

void MainWindow::openFiles(const QStringList& files) {
    std::vector<std::string> list;
    for (const QString& f : files) list.push_back(f.toStdString());
    const OpenRequest request = openRequest(list);
    for (const auto& message : request.messages) showMessage(fromUtf8(message));
    if (!request.database.empty()) openFile(QString::fromStdString(request.database));
}

void MainWindow::clickHeader(int section, bool shift) {
    if (isBusy()) return;
    const int column = m_model->columnOfSection(section);
    const int code =
        headerClickOrder(column, m_db.table().settings().sortOrder, shift, m_userNames);
    if (code >= 0) setSortOrder(code);
}

void MainWindow::setSortOrder(int code) {
    if (isBusy() || !changeSortOrder(m_db.table(), code)) return;
    m_view->clearSelection();
    m_model->rebuild();
    refreshState();
}

void MainWindow::startOperation(const QString& cancelText, OperationRunner::Job job,
                                std::function<void()> done, UndoUse undo) {
    if (undo == UndoUse::Keep) m_undo.keep(m_db);
    if (undo == UndoUse::Forget) m_undo.forget();
    m_view->clearSelection();
    m_model->setFrozen(true);
    m_view->setEnabled(false);
    m_progress->show();
    m_cancel->setText(cancelText);
    m_cancel->show();
    // Progress and Cancel live in the status bar: it shows while the operation runs.
    statusBar()->show();
    for (auto& entry : m_allActions) entry.second->setEnabled(false);
    m_runner.start(std::move(job), [this, done = std::move(done)] {
        if (done) done();
        finishOperation();
    });
}

std::function<void()> MainWindow::resorting(std::function<void()> then) {
    return [this, then = std::move(then)] {
        resortList(m_db.table());
        if (then) then();
    };
}

void MainWindow::finishOperation() {
    m_progress->hide();
    m_cancel->hide();
    statusBar()->setVisible(m_statusBarToggle->isChecked());
    m_view->setEnabled(true);
    m_model->setFrozen(false);
    refreshList();
    Q_EMIT operationDone();
    // Requests that came while the operation ran, in their order; one that starts another
    // operation leaves the rest waiting for that one.
    while (!m_pendingRequests.empty() && !isBusy()) {
        const core::DatabaseRequest next = m_pendingRequests.front();
        m_pendingRequests.erase(m_pendingRequests.begin());
        runRequest(next);
    }
}

bool MainWindow::startPositionSearch(const QString& clipboardText) {
    const PositionSearchForm form =
        positionSearchForm(m_positionForm, m_settings, m_db.table().settings());
    return startPositionSearch(clipboardText,
                               decidePositionSearch(form, m_settings, m_db.table().settings()));
}

void MainWindow::menuPositionSearch() {
    if (isBusy()) return;
    const QString text = QApplication::clipboard()->text();
    const model::TargetRead target = model::readTarget(toCp932(text));
    if (!target.ok) {
        showMessage(fromCp932(target.message));
        return;
    }
    m_panes[0]->setText(qs("クリップボードから棋譜、局面を読み込みました。"));
    PositionSearchForm form =
        positionSearchForm(m_positionForm, m_settings, m_db.table().settings());
    if (!m_context.quiet) {  // without a user, the last choices
        PositionSearchDialog dialog(form, this);
        if (dialog.exec() != QDialog::Accepted) return;
        form = dialog.form();
    }
    m_positionForm = form;
    startPositionSearch(text, decidePositionSearch(form, m_settings, m_db.table().settings()));
}

bool MainWindow::startPositionSearch(const QString& clipboardText,
                                     const model::PositionSearchOptions& options) {
    if (isBusy()) return false;
    const model::TargetRead target = model::readTarget(toCp932(clipboardText));
    if (!target.ok) {
        showMessage(fromCp932(target.message));
        return false;
    }
    auto report = std::make_shared<model::SearchReport>();
    startOperation(
        qs("局面検索の中止(&Q)"),
        [this, position = target.position, options, report](model::OperationHost&) {
            *report = m_searcher->findPosition(position, options);
        },
        resorting([this, report] {
            if (!report->error.empty()) showMessage(fromCp932(report->error));
        }));
    return true;
}

bool MainWindow::startHeaderSearch(const model::HeaderCriteria& criteria) {
    if (isBusy()) return false;
    startOperation(
        qs("検索の中止(&Q)"),
        [this, criteria](model::OperationHost&) { (void)m_searcher->findByHeader(criteria); },
        resorting());
    return true;
}

bool MainWindow::startSequenceSearch(const QString& pattern) {
    if (isBusy()) return false;
    auto report = std::make_shared<model::SearchReport>();
    startOperation(
        qs("検索の中止(&Q)"),
        [this, text = toCp932(pattern), report](model::OperationHost&) {
            *report = m_searcher->findSequence(text);
        },
        resorting([this, report] {
            if (!report->error.empty()) showMessage(fromCp932(report->error));
        }));
    return true;
}

bool MainWindow::startNextMoveSearch() {
    if (isBusy()) return false;
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) return false;
    startOperation(
        qs("検索の中止(&Q)"),
        [this, row = rows.front()](model::OperationHost&) {
            (void)m_searcher->findNextPosition(row);
        },
        resorting());
    return true;
}

bool MainWindow::startDuplicateCheck(const model::DuplicateCriteria& criteria) {
    if (isBusy()) return false;
    model::DuplicateCheckOptions options;
    options.deleteFile = m_settings.duplicateDeleteFile;
    options.confirmTrash = m_settings.deleteConfirm;
    startOperation(
        qs("重複検査の中止(&Q)"),
        [this, criteria, options](model::OperationHost& host) {
            (void)model::checkDuplicates(m_db, criteria, host, options);
        },
        resorting());
    return true;
}

bool MainWindow::startStatistics(int which, const QString& player) {
    const std::optional<StatisticsKind> kind = statisticsKind(which);
    return kind && startStatistics(*kind, player);
}

bool MainWindow::startStatistics(StatisticsKind kind, const QString& player) {
    if (isBusy()) return false;
    auto text = std::make_shared<std::string>();
    startOperation(
        qs("統計計算の中止(&Q)"),
        [this, kind, name = toCp932(player), text](model::OperationHost&) {
            *text = statisticsReport(kind, m_db.table(), m_playerStatistics, name);
        },
        [this, kind, text] {
            m_lastReport = fromCp932(*text);
            if (m_context.quiet) return;
            auto* dialog = new ReportDialog(fromUtf8(statisticsTitle(kind)), m_lastReport, this);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->open();
        },
        UndoUse::Leave);
    return true;
}

void MainWindow::menuHeaderSearch() {
    HeaderSearchDialog dialog(m_settings, m_histories, m_context.programFolder, this);
    if (dialog.exec() == QDialog::Accepted) startHeaderSearch(dialog.criteria());
}

void MainWindow::menuSequenceSearch() {
    SequenceSearchDialog dialog(m_histories, m_context.programFolder, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const QString pattern = dialog.pattern();
    if (!pattern.isEmpty()) startSequenceSearch(pattern);
}

void MainWindow::menuDuplicates() {
    DuplicateDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted) startDuplicateCheck(dialog.criteria());
}

void MainWindow::menuPlayerStatistics() {
    bool ok = false;
    QStringList names;
    if (InputHistory* h = m_histories.find(qs("対局者"))) {
        for (const auto& e : h->entries()) names << fromUtf8(e);
    }
    const QString name =
        QInputDialog::getItem(this, qs("対局者の統計計算"), qs("対局者："), names, 0, true, &ok);
    if (!ok) return;
    m_histories.enter(qs("対局者"), name.trimmed());
    startStatistics(StatisticsKind::Player, name.trimmed());
}

bool MainWindow::startFolderAdd(const model::FolderAdd& request) {
    if (isBusy()) return false;
    startOperation(
        qs("追加の中止(&Q)"),
        [this, request](model::OperationHost& host) {
            model::Registrar registrar(m_db, m_extractor, m_log, host, m_registrationOptions);
            const model::RunReport run = registrar.addFolder(request);
            (void)run;
        },
        resorting());
    return true;
}

bool MainWindow::startUpdate(std::vector<int> slotList) {
    if (isBusy()) return false;
    startOperation(
        qs("データ更新の中止(&Q)"),
        [this, slotList = std::vector<int32_t>(slotList.begin(), slotList.end())](
            model::OperationHost& host) {
            model::Registrar registrar(m_db, m_extractor, m_log, host, m_registrationOptions);
            model::MissingFileMode mode = model::MissingFileMode::Ask;
            const model::UpdateReport report = registrar.update(mode, slotList);
            if (report.updated > 0 || report.deleted > 0) m_db.setModified();
        },
        resorting());
    return true;
}

ToolSettings MainWindow::launchTools() const {
    ToolSettings tools = m_settings.tools;
    if (tools.replayCommand.empty()) {
        tools.replayCommand = defaultViewer(
            fsPath(m_context.programFolder),
            [](const std::string& p) { return QFileInfo(fromFsPath(p)).isExecutable(); });
    }
    return tools;
}

void MainWindow::launchSelected(LaunchCommand command) {
    if (isBusy()) return;
    launchRecords(m_db, *this, command, slotsOfRows(m_db.table(), selectedRows()), launchTools());
    // Only marks may have changed: a redraw keeps the selection.
    m_view->viewport()->update();
    refreshState();
}

void MainWindow::compareSelected() {
    if (isEnabled(Command::CompareTwo))
        launchComparison(m_db, *this, selectedRows(), launchTools());
}

void MainWindow::menuNew() {
    QMessageBox box(QMessageBox::Question, qs("新規作成形式"), qs("新規作成形式"),
                    QMessageBox::Cancel, this);
    QAbstractButton* text = box.addButton(qs("DL&S 棋譜情報"), QMessageBox::AcceptRole);
    QAbstractButton* binary = box.addButton(qs("DL&B ﾊﾞｲﾅﾘ棋譜"), QMessageBox::AcceptRole);
    QAbstractButton* another =
        box.addButton(qs("Dalmirを新たに起動する(&R)"), QMessageBox::AcceptRole);
    box.exec();
    if (box.clickedButton() == text) chooseNew(NewChoice::Text);
    if (box.clickedButton() == binary) chooseNew(NewChoice::Binary);
    if (box.clickedButton() == another) chooseNew(NewChoice::NewInstance);
}

void MainWindow::chooseNew(NewChoice choice) {
    if (choice == NewChoice::NewInstance) {
        (void)startNewInstance(*this, QApplication::applicationFilePath().toStdString());
        return;
    }
    if (isBusy() || !m_session.confirmDiscard()) return;
    newDatabase(choice == NewChoice::Binary);
}

bool MainWindow::printListTo(QPrinter& printer) {
    if (isBusy()) return false;
    const PrintReport report =
        printList(printer, m_db, m_userNames, m_settings, QDateTime::currentDateTime());
    if (!report.error.isEmpty()) {
        showMessage(report.error);
        return false;
    }
    return true;
}

bool MainWindow::printListToPdf(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    return printListTo(printer);
}

void MainWindow::menuPrint() {
    auto* dialog = new QPrintDialog(m_printer.get(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this](int result) {
        if (result == QDialog::Accepted) printListTo(*m_printer);
    });
    dialog->open();
}

void MainWindow::menuPreview() {
    auto* dialog = new QPrintPreviewDialog(m_printer.get(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { printListTo(*p); });
    dialog->open();
}

void MainWindow::menuPrinterSetup() {
    auto* dialog = new QPageSetupDialog(m_printer.get(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

bool MainWindow::printDatabase(const QString& path, QPrinter& printer) {
    return openFile(path) && printListTo(printer);
}

void MainWindow::buildToolBar() {
    m_toolBar = addToolBar(qs("ツールバー"));
    m_toolBar->setObjectName(qs("toolbar"));
    m_toolBar->setMovable(false);
    m_toolBar->toggleViewAction()->setVisible(false);
    const Command shown[] = {Command::New,       Command::Open,         Command::Save,
                             Command::Cut,       Command::Copy,         Command::Paste,
                             Command::PrintList, Command::HeaderSearch, Command::PositionSearch,
                             Command::ShowAll,   Command::AddFolder,    Command::Replay,
                             Command::Statistics};
    for (const Command c : shown) {
        auto it = m_actions.find(c);
        if (it == m_actions.end()) continue;
        // The button shows the caption without its access key and dots: "開く", not "開く(O)".
        QString caption = it->second->text();
        caption.remove(QRegularExpression(qs("\\(&.\\)"))).remove(qs("..."));
        it->second->setIconText(caption);
        m_toolBar->addAction(it->second);
    }
    connect(m_toolBarToggle, &QAction::toggled, m_toolBar, &QWidget::setVisible);
}

void MainWindow::applyFonts() {
    const QFont list = screenFont(m_settings.listFont, logicalDpiY());
    m_view->setFont(list);
    m_view->verticalHeader()->setDefaultSectionSize(QFontMetrics(list).height() + 4);
    const QFont status = screenFont(m_settings.statusFont, logicalDpiY());
    for (QLabel* pane : m_panes) pane->setFont(status);
}

void MainWindow::setListFont(const FontSetting& font) {
    m_settings.listFont = font;
    applyFonts();
}

void MainWindow::setStatusFont(const FontSetting& font) {
    m_settings.statusFont = font;
    applyFonts();
}

void MainWindow::menuFont(bool list) {
    const FontSetting current = list ? m_settings.listFont : m_settings.statusFont;
    auto* dialog = new QFontDialog(screenFont(current, logicalDpiY()), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(list ? qs("表のフォント") : qs("ステータス フォント"));
    connect(dialog, &QFontDialog::fontSelected, this, [this, list, current](const QFont& f) {
        const FontSetting chosen = chosenFontSetting(f, current, logicalDpiY());
        if (list) {
            setListFont(chosen);
        } else {
            setStatusFont(chosen);
        }
    });
    dialog->open();
}

void MainWindow::menuPdf() {
    const QString path = QFileDialog::getSaveFileName(this, qs("PDFに出力"), {}, qs("PDF (*.pdf)"));
    if (!path.isEmpty()) printListToPdf(path);
}

void MainWindow::showCard() {
    const std::vector<int> slots = slotsOfRows(m_db.table(), selectedRows());
    const model::IndexEntry* entry = slots.empty() ? nullptr : &m_db.table().entry(slots.front());
    auto* dialog = new CardDialog(entry, m_db.table().settings(), m_userNames, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MainWindow::showPopup(const QPoint& at) {
    if (isBusy() || selectedRows().empty()) return;
    QMenu menu(this);
    const Command order[] = {Command::Replay, Command::Play, Command::PrintRecord, Command::Editor,
                             Command::OpenFolder};
    for (Command c : order) {
        if (c == Command::Editor && m_settings.tools.editCommand.empty()) continue;
        if (auto it = m_actions.find(c); it != m_actions.end()) menu.addAction(it->second);
    }
    menu.addSeparator();
    menu.addAction(m_actions[Command::Card]);
    menu.addSeparator();
    if (selectedRows().size() == 1) menu.addAction(m_actions[Command::EditMarks]);
    menu.addAction(m_actions[Command::ToggleMark]);
    menu.addSeparator();
    // The popup's own captions for commands of the table menu.
    const std::pair<Command, const char*> renamed[] = {
        {Command::UpdateSelected, "選択棋譜の更新(&S)..."},
        {Command::CopySelectedFiles, "選択棋譜のコピー(&Y)..."},
        {Command::ShowOnlySelected, "選択棋譜だけを表示する(&V)"},
        {Command::HideSelected, "選択棋譜を表示しない(&B)"}};
    for (const auto& [command, text] : renamed) {
        QAction* target = m_actions[command];
        QAction* item = menu.addAction(qs(text), target, &QAction::trigger);
        item->setEnabled(target->isEnabled());
    }
    menu.exec(m_view->viewport()->mapToGlobal(at));
}

void MainWindow::menuSettings() {
    model::IndexSettings before = m_db.table().settings();
    SettingsDialog dialog(m_settings, m_db.table().settings(), this,
                          [this] { registerFileTypes(desktop::xdgDataHome()); });
    if (dialog.exec() != QDialog::Accepted) return;
    if (!(before == m_db.table().settings())) m_db.setModified();
    applySettings();
    refreshList();
}

void MainWindow::registerFileTypes(const QString& dataHome) {
    const desktop::DesktopApp app{QStringLiteral("dalmir"),
                                  QCoreApplication::applicationFilePath()};
    const desktop::DesktopResult r = desktop::registerFileTypes(app, dataHome, !m_context.quiet);
    if (!r.ok) {
        QApplication::beep();
        showMessage(r.failedPath + qs(" に書き込めません。"));
        return;
    }
    m_panes[0]->setText(qs("データベースファイルを本プログラムと対応付けしました。"));
}

void MainWindow::menuColumns() {
    ColumnsDialog dialog(m_db.table().settings(), m_userNames, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_db.setModified();
    refreshList();
}

void MainWindow::menuEditMarks() {
    const std::vector<int> slots = slotsOfRows(m_db.table(), selectedRows());
    if (slots.size() != 1) return;
    const uint8_t marks = m_db.table().entry(slots.front()).marks;
    QDialog dialog(this);
    dialog.setWindowTitle(qs("マークの編集"));
    auto* one = new QCheckBox(qs("マーク&1 (*)"), &dialog);
    one->setChecked(marks & model::kMarkUser1);
    auto* two = new QCheckBox(qs("マーク&2 (#)"), &dialog);
    two->setChecked(marks & model::kMarkUser2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(one);
    layout->addWidget(two);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    m_undo.keep(m_db);
    editMarks(m_db, slots.front(), one->isChecked(), two->isChecked());
    m_view->viewport()->update();
    refreshState();
}

void MainWindow::deleteSelectedWithFiles() {
    (void)deleteWithFiles(m_db, m_undo, *this, slotsOfRows(m_db.table(), selectedRows()),
                          m_settings.deleteConfirm);
}

void MainWindow::toggleRelativePaths() {
    m_undo.keep(m_db);
    model::Registrar registrar(m_db, m_extractor, m_log, m_runner, m_registrationOptions);
    const model::PathModeReport report = m_db.table().settings().relativePaths
                                             ? registrar.makePathsAbsolute()
                                             : registrar.makePathsRelative();
    if (report.code == model::PathModeResult::Ok) m_db.setModified();
    if (!report.message.empty()) showMessage(fromCp932(report.message));
    refreshList();
}

void MainWindow::openFolders() {
    openRecordFolders(m_db.table(), slotsOfRows(m_db.table(), selectedRows()), *this);
}

void MainWindow::showHelp() { dalmir::showHelp(*this, fsPath(m_context.programFolder)); }

void MainWindow::showErrorLog() { dalmir::showErrorLog(*this, m_log.path()); }

void MainWindow::menuOpen() { (void)m_session.openChosen(); }

void MainWindow::copyRecords(bool cut) {
    const std::vector<int> slots = slotsOfRows(m_db.table(), selectedRows());
    std::vector<int32_t> ordered(slots.begin(), slots.end());
    QApplication::clipboard()->setText(fromCp932(model::copyRecordsAsText(m_db.table(), ordered)));
    if (cut) deleteSelected();
}

void MainWindow::pasteRecords() { pasteText(QApplication::clipboard()->text()); }

bool MainWindow::pasteText(const QString& text) {
    if (isBusy()) return false;
    std::string records = toCp932(text);
    if (!holdsRecords(records)) return false;
    const std::vector<int> rows = selectedRows();
    const std::size_t at =
        rows.empty() ? m_db.table().displayOrder().size() : static_cast<std::size_t>(rows.front());
    if (!m_db.isBinary()) {
        const model::Database before = m_db;
        const model::PasteReport report =
            dalmir::pasteRecords(m_db, records, at, m_extractor, m_runner);
        for (const auto& message : report.messages) showMessage(fromCp932(message.text));
        if (report.added > 0) m_undo.keep(before);
        m_view->clearSelection();
        refreshList();
        return report.added > 0;
    }
    // A binary database reads every record file again: on the worker.
    auto report = std::make_shared<model::PasteReport>();
    startOperation(
        qs("貼り付けの中止(&Q)"),
        [this, records = std::move(records), at, report](model::OperationHost& host) {
            *report = dalmir::pasteRecords(m_db, records, at, m_extractor, host);
        },
        [this, report] {
            for (const auto& message : report->messages) showMessage(fromCp932(message.text));
        },
        UndoUse::Keep);
    return true;
}

void MainWindow::undo() {
    if (!isEnabled(Command::Undo)) return;
    m_view->clearSelection();
    if (m_undo.undo(m_db)) refreshList();
}

void MainWindow::deleteSelected() {
    m_undo.keep(m_db);
    deleteSlots(m_db, slotsOfRows(m_db.table(), selectedRows()));
    m_view->clearSelection();
    refreshList();
}

void MainWindow::copyListInfo() {
    QApplication::clipboard()->setText(
        fromCp932(listInfoText(m_db.table(), selectedRows(), m_userNames)));
}

void MainWindow::showAll() {
    m_undo.keep(m_db);
    m_db.table().rebuildDisplayOrder();
    resortList(m_db.table());
    m_view->clearSelection();
    refreshList();
}

void MainWindow::menuAddFolder() {
    FolderAddDialog dialog(m_db.table().settings(), m_db.isBinary(), m_addSkipDuplicates,
                           m_addDuplicates, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const FolderAddForm chosen = dialog.form();
    m_addSkipDuplicates = chosen.skipDuplicates;
    m_addDuplicates = chosen.duplicates;
    startFolderAdd(dialog.request());
}

void MainWindow::menuDeleteFolder() {
    FolderDeleteDialog dialog(folderDeleteForm(m_lastFolderDelete, m_db.table().settings()), this);
    if (dialog.exec() != QDialog::Accepted) return;
    startFolderDelete(dialog.form());
}

bool MainWindow::startFolderDelete(const FolderDeleteForm& form) {
    if (isBusy()) return false;
    const FolderDeleteDecision d = decideFolderDelete(form);
    if (d.result != FolderDeleteFormResult::Ready) {
        showMessage(fromUtf8(noDeleteFolderMessage()));
        return false;
    }
    m_lastFolderDelete = form;
    startOperation(
        qs("フォルダ指定削除の中止(&Q)"),
        [this, d](model::OperationHost& host) {
            model::Registrar registrar(m_db, m_extractor, m_log, host, m_registrationOptions);
            const model::FolderDeleteReport report =
                registrar.deleteByFolder(d.folder, d.kind, d.subfolders);
            if (!report.status.empty()) host.status(report.status);
        },
        resorting(), UndoUse::Keep);
    return true;
}

void MainWindow::menuCopyFiles() {
    const QString target = QFileDialog::getExistingDirectory(this, qs("選択棋譜のコピー"));
    if (target.isEmpty()) return;
    const bool overwrite =
        QMessageBox::question(this, qs("選択棋譜のコピー"),
                              qs("同じ名前のファイルがあるとき、上書きしますか？")) ==
        QMessageBox::Yes;
    startCopyFiles(target, overwrite);
}

bool MainWindow::startCopyFiles(const QString& targetFolder, bool overwrite) {
    if (isBusy()) return false;
    std::vector<std::string> sources;
    for (const int slot : slotsOfRows(m_db.table(), selectedRows())) {
        sources.push_back(recordFilePath(m_db.table(), slot));
    }
    startOperation(
        qs("コピーの中止(&Q)"),
        [sources, target = fsPath(targetFolder), overwrite](model::OperationHost& host) {
            (void)copyRecordFiles(sources, target, overwrite, host);
        },
        {}, UndoUse::Leave);
    return true;
}

void MainWindow::menuAddFile() {
    const QString path = QFileDialog::getOpenFileName(this, qs("単独追加"));
    if (!path.isEmpty()) startSingleAdd(path);
}

bool MainWindow::startSingleAdd(const QString& path) {
    if (isBusy()) return false;
    startOperation(
        qs("追加の中止(&Q)"),
        [this, fs = fsPath(path)](model::OperationHost& host) {
            model::Registrar registrar(m_db, m_extractor, m_log, host, m_registrationOptions);
            const model::RunReport run = registrar.addSingle(fs);
            (void)run;
        },
        resorting());
    return true;
}

void MainWindow::showOnlySelected(bool keep) {
    m_undo.keep(m_db);
    const std::vector<int> rows = selectedRows();
    if (keep) {
        showOnlyRows(m_db.table(), rows);
    } else {
        hideRows(m_db.table(), rows);
    }
    m_view->clearSelection();
    refreshList();
}

void MainWindow::toggleMarks() {
    m_undo.keep(m_db);
    toggleMarkOne(m_db, slotsOfRows(m_db.table(), selectedRows()));
    m_view->viewport()->update();
    refreshState();
}

void MainWindow::clearMarks() {
    m_undo.keep(m_db);
    clearListedMarks(m_db);
    m_view->viewport()->update();
    refreshState();
}

void MainWindow::adoptOrder() {
    m_undo.keep(m_db);
    if (adoptListOrder(m_db) == TableCommandResult::Done) {
        resortList(m_db.table());
    }
    refreshList();
}

void MainWindow::keepListed() {
    m_undo.keep(m_db);
    if (keepListedOnly(m_db) == TableCommandResult::Done) {
        resortList(m_db.table());
    }
    m_view->clearSelection();
    refreshList();
}

void MainWindow::setFileNameStyle(int style) {
    m_db.table().settings().fileNameStyle = style;
    m_db.setModified();
    refreshList();
}

void MainWindow::toggleExtension() {
    auto& s = m_db.table().settings();
    s.fileNameExtension = !s.fileNameExtension;
    m_db.setModified();
    refreshList();
}

void MainWindow::setYearStyle(int style) {
    m_db.table().settings().yearStyle = style;
    m_db.setModified();
    refreshList();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (isBusy()) {
        // The operation ends at its next step; the window closes when asked again.
        cancelOperation();
        event->ignore();
        return;
    }
    if (!m_session.confirmDiscard()) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList databases;
    std::vector<std::string> records;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        const QString file = url.toLocalFile();
        if (model::databaseKindOf(fsPath(file)) != model::DatabaseKind::Unknown) {
            databases << file;
        } else {
            records.push_back(fsPath(file));
        }
    }
    if (!databases.isEmpty()) {
        openFiles(databases);
    } else if (!records.empty()) {
        startDroppedAdd(std::move(records));
    }
}

bool MainWindow::startDroppedAdd(std::vector<std::string> fsPaths) {
    if (isBusy()) return false;
    startOperation(
        qs("追加の中止(&Q)"),
        [this, files = std::move(fsPaths)](model::OperationHost& host) {
            model::Registrar registrar(m_db, m_extractor, m_log, host, m_registrationOptions);
            const model::RunReport run = registrar.addDropped(files);
            (void)run;
        },
        resorting());
    return true;
}

}  // namespace dalmir
