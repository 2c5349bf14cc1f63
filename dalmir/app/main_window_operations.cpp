// Dalmir's main window: the long operations (searches, registration, statistics, updates,
// copies) run on the OperationRunner, with the list frozen and Cancel shown while they run.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include "dalmir/app/main_window.h"
#include "dalmir/app/player_report_dialog.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/app/statistics_dialog.h"
#include "dalmir/logic/copy_files.h"
#include "dalmir/logic/opening_label_command.h"
#include "dalmir/logic/record_files.h"
#include "dalmir/logic/record_paste.h"
#include "dalmir/logic/record_search_form.h"
#include "dalmir/logic/sort_order.h"
#include "dalmir/model/registration/opening_labelling.h"
#include "dalmir/model/search/duplicate_check.h"
#include "dalmir/model/store/binary_store.h"
#include "dalmir/model/table/dls_clipboard.h"

namespace dalmir {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

void MainWindow::startOperation(const QString& cancelText, OperationRunner::Job job,
                                std::function<void()> done, UndoUse undo) {
    settleTree();
    // Only the searches keep the chips (they add theirs); whatever else changes the list or
    // the records makes them stale.
    if (undo != UndoUse::Leave && !m_keepFilters) dropFilters();
    m_keepFilters = false;
    if (undo == UndoUse::Keep) m_undo.keep(m_db);
    if (undo == UndoUse::Forget) m_undo.forget();
    m_view->clearSelection();
    // The list stays in sight, greyed, while the worker has the records.
    showListPicture();
    m_model->setFrozen(true);
    m_view->setEnabled(false);
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->show();
    m_cancel->setText(cancelText);
    m_cancel->setVisible(!cancelText.isEmpty());
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

void MainWindow::showListPicture() {
    if (m_listPicture == nullptr) {
        m_listPicture = new QLabel(m_view);
        m_listPicture->setObjectName(QStringLiteral("listPicture"));
    }
    QPixmap shot = m_view->grab();
    {
        QPainter p(&shot);
        p.fillRect(shot.rect(), QColor(255, 255, 255, 140));
    }
    m_listPicture->setPixmap(shot);
    m_listPicture->setGeometry(m_view->rect());
    m_listPicture->show();
    m_listPicture->raise();
}

void MainWindow::finishOperation() {
    if (m_listPicture != nullptr) m_listPicture->hide();
    m_progress->hide();
    m_cancel->hide();
    statusBar()->setVisible(m_statusBarToggle->isChecked());
    m_view->setEnabled(true);
    m_model->setFrozen(false);
    refreshList();
    // The operation's end started background work (an opening after a conversion): its
    // progress stays, and its own end tells that the window is done.
    if (m_background != BackgroundWork::None) return showBackgroundProgress();
    Q_EMIT operationDone();
    // A close asked during a save that then rebuilt the tree index.
    if (m_closeAfterWork) return closeIfAsked();
    // Requests that came while the operation ran, in their order; one that starts another
    // operation leaves the rest waiting for that one.
    runPendingRequests();
}

bool MainWindow::runInBackground(BackgroundJob job) {
    if (isBusy()) return false;
    settleTree();
    m_background = job.kind;
    m_backgroundText = fromUtf8(backgroundStatusText(job.kind, job.path));
    m_progress->setRange(0, 0);
    m_backgroundCancellable = job.cancellable;
    // The list stays as it is and answers: the worker saves the database (changing only its
    // file name and saved state) or reads another one; the commands that would change it, or
    // read what a save changes, are disabled meanwhile.
    if (!m_runner.start(std::move(job.work), [this, done = std::move(job.done)]() mutable {
            finishBackground(std::move(done));
        })) {
        m_background = BackgroundWork::None;
        return false;
    }
    showBackgroundProgress();
    refreshState();
    return true;
}

void MainWindow::showBackgroundProgress() {
    m_panes[0]->setText(m_backgroundText);
    m_progress->show();
    m_cancel->setText(qs("中止(&Q)"));
    m_cancel->setVisible(m_backgroundCancellable);
    statusBar()->show();
}

void MainWindow::finishBackground(std::function<void()> done) {
    const BackgroundWork work = m_background;
    m_background = BackgroundWork::None;
    m_progress->hide();
    m_cancel->hide();
    statusBar()->setVisible(m_statusBarToggle->isChecked());
    std::vector<std::pair<int, int>> widths;
    widths.swap(m_pendingWidths);
    // Widths dragged while another database was read belong to the one shown then.
    if (work == BackgroundWork::Opening) {
        for (const auto& [section, width] : widths) storeColumnWidth(section, width);
    }
    if (done) done();
    // Widths dragged during a save change the saved database: modified again after it.
    if (work == BackgroundWork::Saving) {
        for (const auto& [section, width] : widths) storeColumnWidth(section, width);
    }
    // The end started the next step (an opening after the save the question asked for, the
    // tree index): that one's end goes on, and closes the window if that was asked.
    if (isBusy()) return;
    refreshState();
    Q_EMIT operationDone();
    if (m_closeAfterWork) return closeIfAsked();
    runPendingRequests();
}

bool MainWindow::startPositionSearch(const QString& clipboardText) {
    const PositionSearchForm form =
        positionSearchForm(m_positionForm, m_settings, m_db.table().settings());
    return startPositionSearch(clipboardText,
                               decidePositionSearch(form, m_settings, m_db.table().settings()));
}

bool MainWindow::startPositionSearch(const QString& clipboardText,
                                     const model::PositionSearchOptions& options) {
    if (isBusy()) return false;
    const model::TargetRead target = model::readTarget(toUtf8(clipboardText));
    if (!target.ok) {
        showMessage(fromUtf8(target.message));
        return false;
    }
    auto report = std::make_shared<model::SearchReport>();
    m_keepFilters = true;
    startOperation(
        qs("局面検索の中止(&Q)"),
        [this, position = target.position, options, report](model::OperationHost&) {
            searchAllRecords();
            *report = m_searcher->findPosition(position, options);
        },
        resorting([this, report, options] {
            if (!report->error.empty()) showMessage(fromUtf8(report->error));
            FilterDefinition definition;
            definition.kind = FilterKind::Position;
            definition.options = options;
            addSearchFilter(definition, false, report->cancelled ? 0 : report->hits);
        }));
    return true;
}

bool MainWindow::startHeaderSearch(const model::HeaderCriteria& criteria,
                                   const model::RecordConditions& conditions) {
    if (isBusy()) return false;
    auto report = std::make_shared<model::SearchReport>();
    auto narrowed = std::make_shared<bool>(false);
    m_keepFilters = true;
    startOperation(
        qs("検索の中止(&Q)"),
        // The hits become the listed records, shown when the search ends.
        [this, criteria, conditions, report, narrowed](model::OperationHost& host) {
            searchAllRecords();
            const model::SearchReport headers = m_searcher->findByHeader(criteria);
            *report = headers;
            if (needsRecordSearch(headers, conditions)) {
                const auto more =
                    model::findByRecordConditions(m_db, m_extractor, host, conditions);
                (void)more;
                report->hits = static_cast<int>(m_db.table().displayOrder().size());
                *narrowed = true;
            }
        },
        resorting([this, criteria, report, narrowed] {
            FilterDefinition definition;
            definition.header = criteria;
            addSearchFilter(definition, !*narrowed, report->hits);
        }));
    return true;
}

bool MainWindow::startSequenceSearch(const QString& pattern) {
    if (isBusy()) return false;
    auto report = std::make_shared<model::SearchReport>();
    m_keepFilters = true;
    startOperation(
        qs("手順検索の中止(&Q)"),
        [this, text = toUtf8(pattern), report](model::OperationHost&) {
            searchAllRecords();
            *report = m_searcher->findSequence(text);
        },
        resorting([this, report, text = toUtf8(pattern)] {
            if (!report->error.empty()) showMessage(fromUtf8(report->error));
            FilterDefinition definition;
            definition.kind = FilterKind::Sequence;
            definition.text = text;
            addSearchFilter(definition, false, report->cancelled ? 0 : report->hits);
        }));
    return true;
}

bool MainWindow::startNextMoveSearch() {
    if (isBusy()) return false;
    const std::vector<int> rows = selectedRows();
    startOperation(
        qs("検索の中止(&Q)"),
        // Without a selected record the search says "次の手を進められませんでした。".
        [this, row = rows.empty() ? -1 : rows.front()](model::OperationHost&) {
            // The hits become the listed records, shown when the search ends.
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
            // The check reports through the host as it goes.
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
    auto table = std::make_shared<std::optional<StatisticsTable>>();
    startOperation(
        qs("統計計算の中止(&Q)"),
        [this, kind, name = toUtf8(player), text, table](model::OperationHost&) {
            *text = statisticsReport(kind, m_db.table(), m_playerStatistics, name);
            // One player's record stays text; the others are tables too.
            if (kind != StatisticsKind::Player) *table = statisticsTable(kind, m_db.table());
        },
        [this, kind, text, table] {
            m_lastReport = fromUtf8(*text);
            m_lastTable = *table;
            if (m_context.quiet) return;
            if (*table) return showStatisticsTable(fromUtf8(statisticsTitle(kind)), **table);
            auto* dialog = new ReportDialog(fromUtf8(statisticsTitle(kind)), m_lastReport, this);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->open();
        },
        UndoUse::Leave);
    return true;
}

bool MainWindow::startPlayersTable() {
    if (isBusy()) return false;
    auto table = std::make_shared<std::optional<StatisticsTable>>();
    startOperation(
        desktop::translated("統計計算の中止(&Q)"),
        [this, table](model::OperationHost&) {
            *table = statisticsTable(StatisticsKind::Player, m_db.table());
        },
        [this, table] {
            m_lastTable = *table;
            if (m_context.quiet || !*table) return;
            showStatisticsTable(desktop::translated("対局者一覧"), **table);
        },
        UndoUse::Leave);
    return true;
}

void MainWindow::showStatisticsTable(const QString& title, const StatisticsTable& table) {
    auto* dialog = new StatisticsDialog(title, table, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &StatisticsDialog::filterRequested, this,
            [this](const FilterDefinition& filter) { (void)addFilter(filter); });
    dialog->open();
}

bool MainWindow::startPlayerReport(const QString& player, const std::string& aliasesPath) {
    if (isBusy()) return false;
    std::optional<model::PlayerAliases> aliases =
        readPlayerAliases(*this, aliasesPath.empty() ? model::defaultAliasesPath() : aliasesPath);
    if (!aliases) return false;
    auto view = std::make_shared<PlayerReportView>();
    startOperation(
        qs("統計計算の中止(&Q)"),
        [this, name = toUtf8(player), aliases = std::move(*aliases), view, store = m_evaluations,
         thresholds = m_settings.analysis.thresholds](model::OperationHost&) {
            *view = playerReportView(m_db, name, aliases, store.get(), thresholds);
        },
        [this, view] {
            m_lastPlayerReport = *view;
            if (m_context.quiet) return;
            auto* dialog = new PlayerReportDialog(m_lastPlayerReport, this);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->open();
        },
        UndoUse::Leave);
    return true;
}

bool MainWindow::startOpeningLabels(bool all) {
    if (isBusy()) return false;
    auto report = std::make_shared<model::LabelRunReport>();
    startOperation(
        qs("自動戦型の中止(&Q)"),
        [this, all, report](model::OperationHost& host) {
            *report = model::labelOpenings(m_db, m_extractor, host, all);
        },
        resorting([this, report] { tellLabelRun(*this, *report); }));
    return true;
}

bool MainWindow::startFolderAdd(const model::FolderAdd& request) {
    if (isBusy()) return false;
    startOperation(
        qs("フォルダ指定追加の中止(&Q)"),
        [this, request](model::OperationHost& host) {
            model::Registrar registrar(m_db, m_extractor, m_log, host, m_registrationOptions);
            const model::RunReport run = registrar.addFolder(request);
            // The registrar reported through the host as it went.
            (void)run;
        },
        resorting());
    return true;
}

bool MainWindow::startUpdate(std::vector<int> slotList, model::MissingFileMode startMode) {
    if (isBusy()) return false;
    startOperation(
        qs("データ更新の中止(&Q)"),
        [this, slotList = std::vector<int32_t>(slotList.begin(), slotList.end()),
         startMode](model::OperationHost& host) {
            model::Registrar registrar(m_db, m_extractor, m_log, host, m_registrationOptions);
            model::MissingFileMode mode = startMode;
            const model::UpdateReport report = registrar.update(mode, slotList);
            if (report.updated > 0 || report.deleted > 0) m_db.setModified();
        },
        resorting());
    return true;
}

void MainWindow::startAutoUpdate() {
    // Shows nothing: an entry whose file is gone stays as it is.
    (void)startUpdate({}, model::MissingFileMode::SilentKeep);
}

bool MainWindow::pasteText(const QString& text) {
    if (isBusy()) return false;
    std::string records = toUtf8(text);
    if (!holdsRecords(records)) return false;
    const std::vector<int> rows = selectedRows();
    const std::size_t at =
        rows.empty() ? m_db.table().displayOrder().size() : static_cast<std::size_t>(rows.front());
    if (!m_db.isBinary()) {
        const model::Database before = m_db;
        const model::PasteReport report =
            dalmir::pasteRecords(m_db, records, at, m_extractor, m_runner);
        for (const auto& message : report.messages) showMessage(fromUtf8(message.text));
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
            for (const auto& message : report->messages) showMessage(fromUtf8(message.text));
        },
        UndoUse::Keep);
    return true;
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

bool MainWindow::startCopyFiles(const QString& targetFolder, bool overwrite) {
    if (isBusy()) return false;
    std::vector<std::string> sources;
    for (const int slot : slotsOfRows(m_db.table(), selectedRows())) {
        sources.push_back(recordFilePath(m_db.table(), slot));
    }
    startOperation(
        qs("コピーの中止(&Q)"),
        [sources, target = fsPath(targetFolder), overwrite](model::OperationHost& host) {
            // Each file is reported through the host as it goes.
            (void)copyRecordFiles(sources, target, overwrite, host);
        },
        {}, UndoUse::Leave);
    return true;
}

bool MainWindow::startSingleAdd(const QString& path) {
    if (isBusy()) return false;
    startOperation(
        qs("単独追加の中止(&Q)"),
        [this, fs = fsPath(path)](model::OperationHost& host) {
            model::Registrar registrar(m_db, m_extractor, m_log, host, m_registrationOptions);
            const model::RunReport run = registrar.addSingle(fs);
            // The registrar reported through the host as it went.
            (void)run;
        },
        resorting());
    return true;
}

void MainWindow::convertToBinary(const std::string& fsTarget) {
    (void)startConversion(fromFsPath(fsTarget));
}

bool MainWindow::startConversion(const QString& target) {
    if (isBusy()) return false;
    auto report = std::make_shared<model::ConvertReport>();
    const std::string fs = model::conversionTarget(fsPath(target));
    startOperation(
        qs("変換の中止(&Q)"),
        [this, report, fs](model::OperationHost& host) {
            *report = model::convertToBinary(m_db, fs, m_extractor, host);
        },
        [this, report, fs] {
            if (report->code == core::WriteResult::Cancelled) return;
            if (report->code != core::WriteResult::Ok) {
                QApplication::beep();
                showMessage(fromUtf8(model::binarySaveErrorMessage(fs)));
                return;
            }
            const int total = m_db.table().size();
            // Opened on the worker; shows its own message when the pair can't be opened.
            m_session.open(fs, [this, report, total](bool opened) {
                if (opened && report->leftOut() > 0) {
                    showMessage(fromUtf8(model::convertLeftOutMessage(*report, total)));
                }
            });
        },
        UndoUse::Leave);
    return true;
}

bool MainWindow::startDroppedAdd(std::vector<std::string> fsPaths) {
    if (isBusy()) return false;
    startOperation(
        qs("追加の中止(&Q)"),
        [this, files = std::move(fsPaths)](model::OperationHost& host) {
            model::Registrar registrar(m_db, m_extractor, m_log, host, m_registrationOptions);
            const model::RunReport run = registrar.addDropped(files);
            // The registrar reported through the host as it went.
            (void)run;
        },
        resorting());
    return true;
}

}  // namespace dalmir
