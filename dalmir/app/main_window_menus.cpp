// Dalmir's main window: the menus built from the command table, the recent databases in the
// File menu, the toolbar and the list's popup menu.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

#include "dalmir/app/list_printer.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/logic/desktop_views.h"

namespace dalmir {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

QAction* MainWindow::addCommand(QMenu* menu, Command command, const QString& text,
                                const QKeySequence& key, std::function<void()> run) {
    QAction* action = menu->addAction(text);
    if (!key.isEmpty()) action->setShortcut(key);
    connect(action, &QAction::triggered, this, [this, command, run = std::move(run)] {
        if (!isEnabled(command)) return;
        settleTree();
        run();
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
               // Saving shows its own messages.
               [this] { m_session.saveCommand(); });
    addCommand(file, Command::SaveAs, qs("名前を付けて保存(&A)..."), {},
               // Saving shows its own messages.
               [this] { m_session.saveAs(); });
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
               [this] { menuUpdate(false); });
    addCommand(table, Command::UpdateSelected, qs("選択棋譜の更新(&S)..."), {},
               [this] { menuUpdate(true); });
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
    addCommand(tools, Command::Statistics, qs("対局者レポート(&Y)..."), {},
               [this] { menuPlayerReport(); });
    addCommand(tools, Command::Statistics, desktop::translated("対局者一覧(&W)..."), {},
               [this] { startPlayersTable(); });
    addCommand(tools, Command::Statistics, qs("次の手分析(&N)..."), QKeySequence(qs("Ctrl+M")),
               [this] { startStatistics(StatisticsKind::NextMoves); });
    addCommand(tools, Command::Statistics, qs("戦型分析(&O)..."), {},
               [this] { startStatistics(StatisticsKind::Openings); });
    addCommand(tools, Command::Statistics, qs("手合割分析(&H)..."), {},
               [this] { startStatistics(StatisticsKind::Handicaps); });
    addCommand(tools, Command::UpdateAll, qs("自動戦型を付ける(&L)..."), {},
               [this] { menuOpeningLabels(); });
    addCommand(tools, Command::Analyse, desktop::translated("棋譜の解析(&A)..."), {},
               [this] { menuAnalyse(); });
    tools->addSeparator();
    addCommand(tools, Command::Settings, qs("設定(&C)..."), QKeySequence(Qt::Key_F2),
               [this] { menuSettings(); });

    QMenu* view = menuBar()->addMenu(qs("表示(&V)"));
    m_viewMenu = view;
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
                    [this] { showMessage(fromUtf8(versionText())); });
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
        const std::string path = entries[i];
        auto* action = new QAction(
            fromUtf8(recentMenuText(static_cast<int>(i), fromFsPath(path).toStdString())), this);
        connect(action, &QAction::triggered, this, [this, path] {
            // Shows its own message.
            if (!isBusy()) m_session.openAfterAsking(path);
        });
        m_recentMenu->insertAction(m_recentEnd, action);
        m_recentActions.push_back(action);
    }
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

void MainWindow::showPopup(const QPoint& at) {
    if (isBusy() || selectedRows().empty()) return;
    QMenu menu(this);
    const Command order[] = {Command::Replay, Command::Play, Command::PrintRecord, Command::Editor,
                             Command::OpenFolder};
    for (Command c : order) {
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

}  // namespace dalmir
