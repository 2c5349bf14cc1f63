#include "dalmir/app/main_window.h"

#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "core/base/safe_file.h"
#include "core/ipc/open_database.h"
#include "dalmir/app/board_dock.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/logic/desktop_views.h"
#include "dalmir/logic/launch_command.h"
#include "dalmir/logic/record_files.h"
#include "dalmir/logic/record_launch.h"
#include "dalmir/logic/record_paste.h"
#include "dalmir/logic/sort_order.h"
#include "dalmir/model/table/dls_clipboard.h"
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
    setWindowIcon(desktop::programIcon(QStringLiteral("dalmir")));
    applySettings();
    m_searcher = std::make_unique<model::Searcher>(m_db, m_extractor, m_runner);
    m_db.table().settings().sortOrder = m_settings.defaultSort;

    m_model = new ListModel(m_db, m_userNames, this);
    setUpAnalysis();
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
    // The last column takes what the others leave: the list fills the window at any size.
    m_view->horizontalHeader()->setStretchLastSection(true);
    setCentralWidget(setUpFilterBar());
    connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        clickHeader(section, QApplication::keyboardModifiers() & Qt::ShiftModifier);
    });
    // A width the user drags is the database's: saved with it and used by the printed list.
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int width) {
                if (m_placingColumns) return;
                // The last column's width follows the window (it stretches), not the user.
                const QHeaderView* header = m_view->horizontalHeader();
                if (header->stretchLastSection() &&
                    header->logicalIndex(header->count() - 1) == section) {
                    return;
                }
                storeColumnWidth(section, width);
            });
    // A reset of the list (a new database, a search, a frozen list) sets the widths from the
    // settings again; only what the user drags is stored.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_placingColumns = true; });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { placeColumns(); });
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
    m_progress->setMaximumWidth(260);
    m_progress->hide();
    m_cancel = new QPushButton(qs("中止"), this);
    m_cancel->setObjectName(QStringLiteral("operationCancel"));
    m_cancel->hide();
    statusBar()->addPermanentWidget(m_progress);
    statusBar()->addPermanentWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancelOperation(); });

    // A worker that knows its size shows its share; the others a busy bar.
    connect(&m_runner, &OperationRunner::percentChanged, this, [this](int percent) {
        m_progress->setRange(0, 100);
        m_progress->setValue(percent);
        m_progress->setFormat(QStringLiteral("%p%"));
        m_progress->setTextVisible(true);
    });
    connect(&m_runner, &OperationRunner::statusChanged, this,
            [this](const QString& text) { m_panes[0]->setText(text); });
    // A run that knows its total shows the count and the percentage; others a busy bar.
    connect(&m_runner, &OperationRunner::progressChanged, this, [this](int done, int total) {
        if (total <= 0) return;
        m_progress->setRange(0, total);
        m_progress->setValue(std::clamp(done, 0, total));
        m_progress->setFormat(QStringLiteral("%v / %m (%p%)"));
        m_progress->setTextVisible(true);
    });
    connect(&m_runner, &OperationRunner::messageShown, this,
            [this](const QString& text) { showMessage(text); });
    connect(&m_runner, &OperationRunner::editorRequested, this, [this](const QByteArray& path) {
        const LaunchPlan plan =
            launchPlan(LaunchCommand::Editor, launchTools(), path.toStdString(), "", 0);
        if (!startProgram(plan.program, plan.argv)) {
            showMessage(fromUtf8(launchFailedMessage(plan.program, plan.arguments)));
        }
    });
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
    setUpTreeDock();
    setUpBoardDock();
    refreshList();
    resize(900, 600);
}

MainWindow::~MainWindow() {
    // The docks hide as the window's widgets go: by then nothing of the window may answer them.
    if (m_boardDock != nullptr) disconnect(m_boardDock, nullptr, this, nullptr);
    if (m_view != nullptr && m_view->selectionModel() != nullptr) {
        disconnect(m_view->selectionModel(), nullptr, this, nullptr);
    }
    settleTree();
    m_runner.cancel();
    if (!m_notePath.empty()) ::unlink(m_notePath.c_str());
}

void MainWindow::publishOpenDatabase(const std::string& notePath) {
    m_notePath = notePath;
    m_noteText.clear();
    updateOpenDatabaseNote();
}

void MainWindow::updateOpenDatabaseNote() {
    if (m_notePath.empty()) return;
    // The viewer runs in a folder of its own: the path goes absolute.
    std::string path = m_db.table().path();
    std::error_code ec;
    if (!path.empty()) {
        const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
        if (!ec) path = absolute.string();
    }
    const std::string text =
        core::openDatabaseNoteText(core::noteOfThisProcess(path, !m_db.isModified()));
    if (text == m_noteText) return;
    // Written whole or not at all: the viewer reads it at any time. Only this user may read it.
    if (core::writeFileAtomically(m_notePath, text, core::FileAccess::OwnerOnly) ==
        core::WriteResult::Ok) {
        m_noteText = text;
    }
}

model::UserFieldNames MainWindow::userNames() const {
    model::UserFieldNames names;
    for (std::size_t k = 0; k < names.size(); ++k) {
        names[k] = std::string(m_settings.userFieldNames[k]);
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
    // Without an editor of its own the desktop opens the file.
    m_registrationOptions.editorConfigured = true;
    m_db.table().setCapacity(m_settings.maxRecords);
    m_histories.apply(m_settings);
}

std::string MainWindow::errorLogPath() const { return m_log.path(); }

void MainWindow::handleRequest(core::DatabaseRequest request) {
    settleTree();
    // The viewer cannot raise another program's window: every request brings this one up.
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    m_pendingRequests.push_back(request);
    runPendingRequests();
}

void MainWindow::runPendingRequests() {
    if (m_runningRequest) return;
    while (!m_pendingRequests.empty() && !isBusy()) {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            // One dialog at a time: the requests wait until this one closes.
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                connect(
                    dialog, &QDialog::finished, this,
                    [this] { QTimer::singleShot(0, this, [this] { runPendingRequests(); }); },
                    Qt::SingleShotConnection);
            }
            return;
        }
        const core::DatabaseRequest next = m_pendingRequests.front();
        m_pendingRequests.pop_front();
        m_runningRequest = true;
        runRequest(next);
        m_runningRequest = false;
    }
}

void MainWindow::runRequest(core::DatabaseRequest request) {
    switch (request) {
        case core::DatabaseRequest::Show:
            break;  // already in front (handleRequest)
        case core::DatabaseRequest::OpenRecent:
            // Shows its own message.
            m_session.openMostRecent();
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

void MainWindow::placeColumns() {
    m_placingColumns = true;
    const int indexColumns = static_cast<int>(m_model->columns().size());
    for (int section = 0; section < indexColumns; ++section) {
        m_view->setColumnWidth(section,
                               m_model->columns()[static_cast<std::size_t>(section)].width);
    }
    // The analysis columns after them are as wide as their headers.
    for (int section = indexColumns; section < m_model->columnCount(); ++section) {
        const QString header =
            m_model->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
        m_view->setColumnWidth(section, m_view->fontMetrics().horizontalAdvance(header) + 16);
    }
    m_placingColumns = false;
}

void MainWindow::refreshList() {
    m_model->rebuild();
    refreshState();
}

void MainWindow::storeColumnWidth(int section, int width) {
    // The worker saving the database reads the settings: the width waits for its end.
    if (m_background != BackgroundWork::None) {
        m_pendingWidths.emplace_back(section, width);
        return;
    }
    if (setShownColumnWidth(m_db.table(), m_userNames, section, width)) {
        m_db.setModified();
        refreshState();
    }
}

bool MainWindow::isEnabled(Command command) const {
    // While the worker changes the database, nothing here reads it; while it saves it or opens
    // another, only what reads the list.
    if (isBusy() && m_background == BackgroundWork::None) return false;
    WindowState s;
    s.background = m_background;
    s.selected = m_view->selectionModel()
                     ? static_cast<int>(m_view->selectionModel()->selectedRows().size())
                     : 0;
    s.listed = static_cast<int>(m_db.table().displayOrder().size());
    s.registered = m_db.table().size();
    s.hasEditor = true;
    // A save's worker sets the path: not read meanwhile (no command that needs it is enabled).
    s.titled = m_background == BackgroundWork::None && !m_db.table().path().empty();
    s.binary = m_db.isBinary();
    s.canUndo = m_undo.canUndo();
    s.clipboardHasRecords = m_clipboardHasRecords;
    return dalmir::isEnabled(command, s);
}

void MainWindow::refreshState() {
    for (auto& [command, action] : m_allActions) action->setEnabled(isEnabled(command));
    // The list's display settings change the database: not while a worker uses it.
    for (QAction* a : {m_nameStyles[0], m_nameStyles[1], m_nameStyles[2], m_extension,
                       m_yearStyles[0], m_yearStyles[1], m_yearStyles[2]}) {
        if (a) a->setEnabled(!isBusy());
    }
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
    // As the title: what the database is once no worker changes it.
    updateOpenDatabaseNote();
    m_panes[1]->setText(fromUtf8(recordCountText(m_db.table())));
    m_panes[2]->setText(fromUtf8(sortStatusText(m_db.table().settings().sortOrder, m_userNames)));
    // The sorted column shows its arrow.
    const int code = m_db.table().settings().sortOrder;
    for (int section = 0; section < m_model->columnCount(); ++section) {
        if (m_model->columnOfSection(section) != sortColumn(code)) continue;
        m_view->horizontalHeader()->setSortIndicatorShown(true);
        m_view->horizontalHeader()->setSortIndicator(
            section, sortsDescending(code) ? Qt::DescendingOrder : Qt::AscendingOrder);
        break;
    }
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

bool MainWindow::openFile(const QString& path) {
    settleTree();
    if (isBusy()) return false;
    return waitFor([this, fs = fsPath(path)](DatabaseSession::Then then) {
        m_session.open(fs, std::move(then));
    });
}

bool MainWindow::saveFile(const QString& path) {
    settleTree();
    if (isBusy()) return false;
    return waitFor([this, fs = path.isEmpty() ? std::string() : fsPath(path)](
                       DatabaseSession::Then then) { m_session.save(fs, std::move(then)); });
}

bool MainWindow::waitFor(const std::function<void(DatabaseSession::Then)>& command) {
    auto result = std::make_shared<std::optional<bool>>();
    command([result](bool ok) { *result = ok; });
    while (!result->has_value()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return **result;
}

void MainWindow::newDatabase(bool binary) {
    settleTree();
    if (!isBusy()) m_session.reset(binary);
}

void MainWindow::openFiles(const QStringList& files) {
    std::vector<std::string> list;
    for (const QString& f : files) list.push_back(f.toStdString());
    const OpenRequest request = openRequest(list);
    for (const auto& message : request.messages) showMessage(fromUtf8(message));
    // Opens on the worker; shows its own message.
    if (!request.database.empty() && !isBusy()) {
        settleTree();
        m_session.open(fsPath(QString::fromStdString(request.database)));
    }
}

void MainWindow::clickHeader(int section, bool shift) {
    if (isBusy()) return;
    if (const int figure = m_model->analysisColumnOfSection(section); figure >= 0) {
        m_analysisDescending = shift || !m_analysisDescending;
        m_analysisColumns.sortListed(m_db.table(), static_cast<std::size_t>(figure),
                                     m_analysisDescending);
        m_view->clearSelection();
        m_model->rebuild();
        refreshState();
        return;
    }
    const int column = m_model->columnOfSection(section);
    if (isLabelColumn(column)) {
        // Each click turns the order round; shift asks for descending at once.
        m_labelsDescending = shift || !m_labelsDescending;
        sortListedByLabel(m_db.table(), column, m_labelsDescending);
        m_view->clearSelection();
        m_model->rebuild();
        refreshState();
        return;
    }
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
    if (isEnabled(Command::CompareTwo)) {
        launchComparison(m_db, *this, selectedRows(), launchTools());
    }
}

void MainWindow::chooseNew(NewChoice choice) {
    if (choice == NewChoice::NewInstance) {
        // Shows its own message.
        (void)startNewInstance(*this, QApplication::applicationFilePath().toStdString());
        return;
    }
    if (isBusy()) return;
    // After a save the question started, when it has written everything.
    m_session.confirmDiscard([this, choice](bool goOn) {
        if (goOn) newDatabase(choice == NewChoice::Binary);
    });
}

void MainWindow::deleteSelectedWithFiles() {
    // Shows its own messages.
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
    if (!report.message.empty()) showMessage(fromUtf8(report.message));
    refreshList();
}

void MainWindow::openFolders() {
    openRecordFolders(m_db.table(), slotsOfRows(m_db.table(), selectedRows()), *this);
}

void MainWindow::showHelp() { dalmir::showHelp(*this, fsPath(m_context.programFolder)); }

void MainWindow::showErrorLog() { dalmir::showErrorLog(*this, m_log.path()); }

// Opening shows its own message.
void MainWindow::menuOpen() { m_session.openChosen(); }

void MainWindow::copyRecords(bool cut) {
    const std::vector<int> slots = slotsOfRows(m_db.table(), selectedRows());
    std::vector<int32_t> ordered(slots.begin(), slots.end());
    QApplication::clipboard()->setText(fromUtf8(model::copyRecordsAsText(m_db.table(), ordered)));
    if (cut) deleteSelected();
}

void MainWindow::pasteRecords() { pasteText(QApplication::clipboard()->text()); }

void MainWindow::undo() {
    if (!isEnabled(Command::Undo)) return;
    dropFilters();
    // Puts back a copy as large as the database: on the worker.
    startOperation(
        {}, [this](model::OperationHost&) { (void)m_undo.undo(m_db); }, {}, UndoUse::Leave);
}

void MainWindow::changeOnWorker(std::function<void()> change) {
    startOperation(
        {},
        [this, change = std::move(change)](model::OperationHost&) {
            // Kept for 元に戻す first: a copy as large as the database.
            m_undo.keep(m_db);
            change();
        },
        {}, UndoUse::Leave);
}

void MainWindow::deleteSelected() {
    if (isBusy()) return;
    changeOnWorker([this, slots = slotsOfRows(m_db.table(), selectedRows())]() mutable {
        deleteSlots(m_db, std::move(slots));
    });
}

void MainWindow::copyListInfo() {
    QApplication::clipboard()->setText(
        fromUtf8(listInfoText(m_db.table(), selectedRows(), m_userNames)));
}

void MainWindow::showAll() {
    dropFilters();
    m_undo.keep(m_db);
    m_db.table().rebuildDisplayOrder();
    resortList(m_db.table());
    m_view->clearSelection();
    refreshList();
}

void MainWindow::showOnlySelected(bool keep) {
    if (isBusy()) return;
    changeOnWorker([this, keep, rows = selectedRows()] {
        if (keep) {
            showOnlyRows(m_db.table(), rows);
        } else {
            hideRows(m_db.table(), rows);
        }
    });
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
    if (isBusy()) return;
    // Renumbers every slot in the list's order: on the worker.
    changeOnWorker([this] {
        if (adoptListOrder(m_db) == TableCommandResult::Done) resortList(m_db.table());
    });
}

void MainWindow::keepListed() {
    if (isBusy()) return;
    changeOnWorker([this] {
        if (keepListedOnly(m_db) == TableCommandResult::Done) resortList(m_db.table());
    });
}

void MainWindow::setFileNameStyle(int style) {
    if (isBusy()) return refreshState();  // a worker uses the settings
    m_db.table().settings().fileNameStyle = style;
    m_db.setModified();
    refreshList();
}

void MainWindow::toggleExtension() {
    if (isBusy()) return refreshState();  // a worker uses the settings
    auto& s = m_db.table().settings();
    s.fileNameExtension = !s.fileNameExtension;
    m_db.setModified();
    refreshList();
}

void MainWindow::setYearStyle(int style) {
    if (isBusy()) return refreshState();  // a worker uses the settings
    m_db.table().settings().yearStyle = style;
    m_db.setModified();
    refreshList();
}

void MainWindow::closeIfAsked() {
    if (!m_closeAfterWork || isBusy()) return;
    m_closeAfterWork = false;
    if (!m_db.isModified()) QTimer::singleShot(0, this, [this] { close(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_background == BackgroundWork::Saving) {
        // A save is never left half-done: the window closes when it has written everything,
        // and stays (with the save's message) when it failed.
        m_closeAfterWork = true;
        m_panes[0]->setText(m_backgroundText + qs(" 保存が終わるとウィンドウを閉じます。"));
        event->ignore();
        return;
    }
    if (m_background == BackgroundWork::Opening || m_background == BackgroundWork::Analysing) {
        // What is being read is dropped, an analysis keeps what it stored; the window closes
        // when the worker has stopped.
        m_closeAfterWork = true;
        cancelOperation();
        event->ignore();
        return;
    }
    if (isBusy()) {
        // The operation ends at its next step; the window closes when asked again.
        cancelOperation();
        event->ignore();
        return;
    }
    // Answered at once unless a save runs first: the window then closes when it has written
    // everything.
    auto asking = std::make_shared<bool>(true);
    bool goOnNow = false;
    m_session.confirmDiscard([this, asking, &goOnNow](bool goOn) {
        if (*asking) {
            goOnNow = goOn;
        } else if (goOn) {
            QTimer::singleShot(0, this, [this] { close(); });
        }
    });
    *asking = false;
    if (goOnNow) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    settleTree();
    std::vector<std::string> files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) files.push_back(fsPath(url.toLocalFile()));
    }
    DroppedFiles dropped = sortDroppedFiles(files);
    if (!dropped.databases.empty()) {
        QStringList databases;
        for (const auto& file : dropped.databases) databases << fromFsPath(file);
        openFiles(databases);
    } else if (!dropped.records.empty()) {
        startDroppedAdd(std::move(dropped.records));
    }
}

}  // namespace dalmir
