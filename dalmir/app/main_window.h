// Dalmir's main window: the record list of one database, its menus, the status bar with its
// three panes, progress and Cancel, and the long operations run through the OperationRunner.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "core/ipc/database_request.h"
#include "dalmir/app/list_model.h"
#include "dalmir/app/operation_runner.h"
#include "dalmir/app/search_dialogs.h"
#include "dalmir/logic/app_settings.h"
#include "dalmir/logic/command_state.h"
#include "dalmir/logic/dalmir_ui.h"
#include "dalmir/logic/database_analysis_command.h"
#include "dalmir/logic/database_session.h"
#include "dalmir/logic/filter_stack.h"
#include "dalmir/logic/folder_delete_form.h"
#include "dalmir/logic/player_report_view.h"
#include "dalmir/logic/position_search_form.h"
#include "dalmir/logic/recent_databases.h"
#include "dalmir/logic/statistics_choice.h"
#include "dalmir/logic/statistics_table.h"
#include "dalmir/logic/undo.h"
#include "dalmir/model/registration/error_log.h"
#include "dalmir/model/registration/registration.h"
#include "dalmir/model/search/record_conditions.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/search/statistics.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/database_lock.h"
#include "dalmir/model/table/record_extractor.h"

class QAction;
class QPrinter;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QToolBar;

namespace dalmir {

class BoardDock;
class FilterBar;
class TreeDock;

struct DalmirContext {
    AppSettings* settings = nullptr;
    QString programFolder;  // ends with '/'
    QString dataFolder;     // ends with '/'; the error log lies here
    int instance = 1;
    RecentDatabases* recent = nullptr;  // the File menu's list; kept by the caller
    // Writes the settings (and the recent list) where they are kept; called when the settings
    // dialog closes with OK, so that they outlive a crash. Null: kept only in memory.
    std::function<void()> storeSettings;
    // Tests: the 局面検索 dialog is shown even when quiet (the test answers it).
    bool askSearchOptions = false;
    // Tests: messages and questions are recorded (questions answered with their default)
    // instead of shown.
    bool quiet = false;
};

// The window is the DalmirUi of the decisions in dalmir/logic: it shows what they say and asks
// what they ask.
class MainWindow : public QMainWindow, private DalmirUi {
    Q_OBJECT
public:
    explicit MainWindow(DalmirContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a database file on the worker (asking about unsaved changes is the menu's business)
    // and waits for it, the window answering meanwhile: for the desktop's print action and
    // tests. False, with the message shown, when it can't be opened or an operation runs; the
    // current one then stays.
    bool openFile(const QString& path);
    // Saves to path (the current path when empty) through the lock and the safe savers on the
    // worker and waits for it as openFile does. False when nothing was saved.
    bool saveFile(const QString& path = {});
    // What the worker does while the list stays usable: a save, an opening, or nothing.
    BackgroundWork backgroundWork() const { return m_background; }
    void newDatabase(bool binary);
    // The choice of the dialog 新規作成形式; a new database asks about unsaved changes first.
    enum class NewChoice { Text, Binary, NewInstance };
    void chooseNew(NewChoice choice);
    // The command line or dropped files.
    void openFiles(const QStringList& files);

    // A click on a list header section (the shown column's position).
    void clickHeader(int section, bool shift);
    void setSortOrder(int code);

    // Long operations; false when one runs already.
    // A position search with the options of the last 局面検索 dialog of this run.
    bool startPositionSearch(const QString& clipboardText);
    bool startPositionSearch(const QString& clipboardText,
                             const model::PositionSearchOptions& options);
    bool startFolderAdd(const model::FolderAdd& request);
    // Copies the selected records' files into a folder.
    bool startCopyFiles(const QString& targetFolder, bool overwrite);
    // 全データ更新, or 選択棋譜の更新 with the given slots; mode says what happens to entries whose
    // files are gone.
    bool startUpdate(std::vector<int> slots = {},
                     model::MissingFileMode mode = model::MissingFileMode::Ask);
    // The header search, then (when it found records) the search by game end, material and
    // comments among them.
    bool startHeaderSearch(const model::HeaderCriteria& criteria,
                           const model::RecordConditions& conditions = {});
    bool startSequenceSearch(const QString& pattern);
    bool startNextMoveSearch();
    bool startDuplicateCheck(const model::DuplicateCriteria& criteria);
    // Statistics: which is 0 results, 1 a player's record (player), 2 next moves, 3 openings,
    // 4 handicaps. The report opens in its window when done.
    bool startStatistics(int which, const QString& player = {});
    bool startStatistics(StatisticsKind kind, const QString& player = {});
    // 全棋譜表示: every record, in the current order.
    void showAll();
    // The last statistics report (tests).
    const QString& lastReport() const { return m_lastReport; }
    // The table of the last statistics that has one (tests).
    const std::optional<StatisticsTable>& lastTable() const { return m_lastTable; }
    // 対局者一覧: every player of the listed records as a table.
    bool startPlayersTable();
    // The player report over the listed records, with the alias list at aliasesPath (the
    // user's list when empty); false when an operation runs or the list could not be read.
    bool startPlayerReport(const QString& player, const std::string& aliasesPath = {});
    // The last player report (tests).
    const PlayerReportView& lastPlayerReport() const { return m_lastPlayerReport; }
    // Gives the records their 自動戦型 labels: every record (all) or those without one.
    bool startOpeningLabels(bool all);
    // Registers one record file (the single add, and the viewer's registration request).
    bool startSingleAdd(const QString& path);
    // A request of the viewer; one that arrives while an operation runs waits for its end.
    void handleRequest(core::DatabaseRequest request);
    // Keeps the note of the open database (its path, whether it was saved) at notePath for the
    // viewer's tree pane, from now until the window goes: for the copy that answers the viewer.
    void publishOpenDatabase(const std::string& notePath);
    // Registers dropped record files (file-system paths).
    bool startDroppedAdd(std::vector<std::string> fsPaths);
    void cancelOperation() { m_runner.cancel(); }
    bool isBusy() const { return m_runner.isBusy(); }
    OperationRunner& runner() { return m_runner; }

    // Launches the viewer or editor for the selected records; the starter is replaceable for
    // tests (program, arguments; true when started).
    using Starter = std::function<bool(const QString&, const QStringList&)>;
    void setStarter(Starter starter) { m_starter = std::move(starter); }
    void launchSelected(LaunchCommand command);
    // The pause between two starts of the viewer with records on the clipboard; tests run the
    // later start at once (milliseconds, what to run then).
    using Scheduler = std::function<void(int, std::function<void()>)>;
    void setScheduler(Scheduler scheduler) { m_later = std::move(scheduler); }
    // 二つの棋譜の違いを調べる on the selected records.
    void compareSelected();

    // Pastes records in the clipboard form at the first selected row (the end without one); a
    // binary database reads the record files on the worker. False when nothing was pasted or
    // started.
    bool pasteText(const QString& text);
    // フォルダ指定削除 with the dialog's choices; false when the folder is empty (the message
    // is shown) or an operation runs.
    bool startFolderDelete(const FolderDeleteForm& form);

    // 元に戻す: takes back the last change to the list.
    void undo();
    bool canUndo() const { return m_undo.canUndo(); }

    // The list and status fonts: applied and kept in the settings.
    void setListFont(const FontSetting& font);
    void setStatusFont(const FontSetting& font);
    QToolBar* toolBar() const { return m_toolBar; }

    // Prints the list on printer (a PDF printer too); false, with the message shown, when
    // nothing could be printed.
    bool printListTo(QPrinter& printer);
    bool printListToPdf(const QString& path);
    // The desktop's print action ("/p" and a database): opens the database and prints its list
    // on printer.
    bool printDatabase(const QString& path, QPrinter& printer);

    model::Database& database() { return m_db; }
    TreeDock* treeDock() { return m_treeDock; }
    BoardDock* boardDock() { return m_boardDock; }
    // Stops the tree dock's worker before the database changes.
    void settleTree();
    QTableView* listView() { return m_view; }
    ListModel* listModel() { return m_model; }
    QString statusPane(int pane) const;
    const QStringList& messages() const { return m_messages; }
    // The settings dialog's "ファイルの関連付け": the database files open in Dalmir from the
    // file manager; the MIME package, entry and icon are written under dataHome.
    void registerFileTypes(const QString& dataHome);
    std::vector<int> selectedRows() const;
    bool isEnabled(Command command) const;

Q_SIGNALS:
    void operationDone();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setUpTreeDock();  // main_window_tree.cpp
    TreeDock* m_treeDock = nullptr;
    // The board pane and the list's keys (main_window_board.cpp).
    void setUpBoardDock();
    // The slot of the current row, -1 without one.
    int currentSlot() const;
    BoardDock* m_boardDock = nullptr;

    // The filter stack above the list (main_window_filters.cpp).
public:
    const FilterStack& filters() const { return m_filters; }
    FilterBar* filterBar() { return m_filterBar; }
    // Switches filter index on or off, removes it, or recalls a stack saved by name; false
    // when an operation runs or there is no such filter or name.
    bool setFilterEnabled(int index, bool on);
    bool removeFilter(int index);
    bool recallFilters(const QString& name);
    // Saves the stack under name (replacing one of that name).
    void saveFilters(const QString& name);
    // Adds the filter of a statistics row, evaluated over every record.
    bool addFilter(const FilterDefinition& definition);

private:
    QWidget* setUpFilterBar();
    // The search about to run looks at every record, so that its filter holds all its hits;
    // the list before it is kept for a search that finds nothing.
    void searchAllRecords();
    // The end of a search: its hits (the list) become a filter, and the stack makes the list.
    void addSearchFilter(FilterDefinition definition, bool savable, int hits);
    // The list changed otherwise (another operation, 元に戻す, 全棋譜表示): the chips go.
    void dropFilters();
    void showFilters();
    FilterStack m_filters;
    FilterBar* m_filterBar = nullptr;
    std::optional<StatisticsTable> m_lastTable;
    // The picture of the list, greyed, over it while an operation has the records.
    void showListPicture();
    QLabel* m_listPicture = nullptr;
    // A statistics table in its window, its rows adding filters.
    void showStatisticsTable(const QString& title, const StatisticsTable& table);
    std::vector<int32_t> m_orderBeforeSearch;
    bool m_keepFilters = false;
    // DalmirUi
    void showMessage(const std::string& text) override;
    void showMessageList(const std::string& text, const std::vector<std::string>& lines) override;
    Answer ask(const Question& question) override;
    void askLater(const Question& question, std::function<void(Answer)> answer) override;
    std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& title) override;
    std::string clipboardText() override;
    void setClipboardText(const std::string& text) override;
    void setStatusText(const std::string& text) override;
    void beep() override;
    bool startProgram(const std::string& program,
                      const std::vector<std::string>& arguments) override;
    bool moveToTrash(const std::string& path) override;
    bool openWithDesktop(const std::string& path) override;
    void runLater(int ms, std::function<void()> run) override;
    void recentFilesChanged() override { rebuildRecentMenu(); }
    void listReplaced() override;
    void startAutoUpdate() override;
    void stateChanged() override { refreshState(); }
    void rebuildTreeIndex(const std::string& fsPath) override;
    bool runInBackground(BackgroundJob job) override;
    // Progress, Cancel and the status text of the background work running.
    void showBackgroundProgress();
    // The end of background work: the bars hidden, the column widths dragged meanwhile stored.
    void finishBackground(std::function<void()> done);
    void storeColumnWidth(int section, int width);
    // Closes the window when it was asked to while work ran, now that nothing runs: only an
    // unmodified database (a failed save keeps the window with its message).
    void closeIfAsked();
    // Runs a command of the session and processes events until it reports.
    bool waitFor(const std::function<void(DatabaseSession::Then)>& command);

public:
    // 名前を付けて保存 of a text database with a binary name: converts on a worker, then opens
    // the pair; the records left out are counted with their reasons. False when an operation
    // runs.
    bool startConversion(const QString& target);

private:
    void convertToBinary(const std::string& fsTarget) override;

    void buildMenus();
    void rebuildRecentMenu();
    void runRequest(core::DatabaseRequest request);
    // Runs the waiting requests in their order, one at a time: none while an operation runs
    // (its end runs them), while a request is running (it runs them when done), or while a
    // modal dialog is open (its closing runs them).
    void runPendingRequests();
    QAction* addCommand(QMenu* menu, Command command, const QString& text, const QKeySequence& key,
                        std::function<void()> run);
    void buildToolBar();
    void applyFonts();
    void menuFont(bool list);
    ToolSettings launchTools() const;
    void refreshList();
    // The column widths of the settings on the list's header.
    void placeColumns();
    void refreshState();
    void updateOpenDatabaseNote();
    void showMessage(const QString& message);
    // What an operation does to what 元に戻す keeps: an undoable one keeps the database first,
    // one that changes it otherwise forgets what was kept, one that only reads leaves it.
    enum class UndoUse : uint8_t { Forget, Keep, Leave };
    void startOperation(const QString& cancelText, OperationRunner::Job job,
                        std::function<void()> done, UndoUse undo = UndoUse::Forget);
    void finishOperation();
    // A change of the list run on the worker, the database kept for 元に戻す first; without
    // Cancel (it is short, and a change half made has nothing to keep).
    void changeOnWorker(std::function<void()> change);
    // The end of an operation that changed what is listed: the list sorted again by its order,
    // then `then`.
    std::function<void()> resorting(std::function<void()> then = {});
    void askNonBlocking(const QString& text, const QStringList& buttons,
                        std::function<void(int)> answer);
    model::UserFieldNames userNames() const;
    void applySettings();
    std::string errorLogPath() const;

    void menuNew();
    void menuSettings();
    void menuColumns();
    void menuEditMarks();
    void deleteSelectedWithFiles();
    void toggleRelativePaths();
    void openFolders();
    void showErrorLog();
    void showHelp();
    void menuDeleteFolder();
    // The dialog データ更新, then the update of every record or of the selected ones.
    void menuUpdate(bool selected);
    void menuCopyFiles();
    void showPopup(const QPoint& at);
    void menuHeaderSearch();
    void menuSequenceSearch();
    void menuDuplicates();
    void menuPlayerStatistics();
    void menuPlayerReport();
    void menuOpeningLabels();
    // 棋譜の解析: the dialog, then the run on the worker.
    void setUpAnalysis();
    void menuAnalyse();
    void menuPrint();
    void menuPreview();
    void menuPdf();
    void menuPrinterSetup();
    void showCard();
    void menuOpen();
    void copyRecords(bool cut);
    void pasteRecords();
    void deleteSelected();
    void copyListInfo();
    void menuAddFolder();
    void menuPositionSearch();
    void menuAddFile();
    void showOnlySelected(bool keep);
    void toggleMarks();
    void clearMarks();
    void adoptOrder();
    void keepListed();
    void setFileNameStyle(int style);
    void toggleExtension();
    void setYearStyle(int style);

    DalmirContext m_context;
    AppSettings& m_settings;
    model::UserFieldNames m_userNames;
    model::Database m_db;
    model::DatabaseLock m_lock;
    model::RecordExtractor m_extractor;
    model::ErrorLog m_log;
    model::RegistrationOptions m_registrationOptions;
    // Adding by folder's skip-duplicates switch and criteria, kept for the run of the program.
    bool m_addSkipDuplicates = false;
    // The position search's switches that are not stored, kept for the run of the program.
    PositionSearchForm m_positionForm;
    model::DuplicateCriteria m_addDuplicates;
    std::unique_ptr<model::Searcher> m_searcher;
    OperationRunner m_runner;
    std::unique_ptr<DatabaseAnalysisCommand> m_analysis;
    // The evaluation store of the database shown, as the last analysis left it.
    std::shared_ptr<const model::EvaluationStore> m_evaluations;
    AnalysisListColumns m_analysisColumns;
    bool m_analysisDescending = false;
    // The analysis columns over m_evaluations with the thresholds of the settings.
    void showEvaluations(std::shared_ptr<const model::EvaluationStore> store);
    void evaluationsRead(std::shared_ptr<const model::EvaluationStore> store) override;
    ListModel* m_model = nullptr;
    bool m_labelsDescending = true;  // the label column's last order (the first click ascends)
    QTableView* m_view = nullptr;
    QLabel* m_panes[3] = {};
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    std::map<Command, QAction*> m_actions;  // the first action of each command
    std::vector<std::pair<Command, QAction*>> m_allActions;
    QStringList m_messages;
    QMenu* m_recentMenu = nullptr;   // the File menu
    QAction* m_recentEnd = nullptr;  // the separator after the recent files
    std::vector<QAction*> m_recentActions;
    InputHistories m_histories;
    model::PlayerStatistics m_playerStatistics;
    QString m_lastReport;
    PlayerReportView m_lastPlayerReport;
    std::deque<core::DatabaseRequest> m_pendingRequests;
    bool m_runningRequest = false;
    bool m_placingColumns = false;  // the widths are being set from the settings
    // The choices of the dialog データ更新, kept for the run of the program, one per command.
    model::MissingFileMode m_updateAllMode = model::MissingFileMode::Ask;
    model::MissingFileMode m_updateSelectedMode = model::MissingFileMode::Ask;
    Starter m_starter;
    Scheduler m_later;
    UndoKeeper m_undo;
    DatabaseSession m_session;
    std::optional<FolderDeleteForm> m_lastFolderDelete;
    QToolBar* m_toolBar = nullptr;
    QAction* m_toolBarToggle = nullptr;
    QMenu* m_viewMenu = nullptr;
    QAction* m_statusBarToggle = nullptr;
    QAction* m_nameStyles[3] = {};  // by ファイル名パス
    QAction* m_yearStyles[3] = {};  // by 年４桁
    QAction* m_extension = nullptr;
    bool m_clipboardHasRecords = false;
    // Background work (a save or an opening) running, its status text and whether it stops
    // on Cancel; m_closeAfterWork: the window was asked to close while it ran.
    BackgroundWork m_background = BackgroundWork::None;
    QString m_backgroundText;
    bool m_backgroundCancellable = false;
    bool m_closeAfterWork = false;
    // Column widths the user dragged while the database was being saved: stored when it ends.
    std::vector<std::pair<int, int>> m_pendingWidths;
    std::unique_ptr<QPrinter> m_printer;  // the printer the print commands and its setup share
    std::string m_notePath;               // the open database's note; empty when not kept
    std::string m_noteText;               // what it says now
};

}  // namespace dalmir
