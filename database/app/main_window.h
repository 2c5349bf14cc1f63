// Dalmir's main window: the record list of one database, its menus, the status bar with its
// three panes, progress and Cancel, and the long operations run through the OperationRunner.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "core/text/database_request.h"
#include "database/app/list_model.h"
#include "database/app/operation_runner.h"
#include "database/app/search_dialogs.h"
#include "database/engine/index/record_extractor.h"
#include "database/engine/registration/error_log.h"
#include "database/engine/registration/registration.h"
#include "database/engine/search/search.h"
#include "database/engine/search/statistics.h"
#include "database/engine/store/database.h"
#include "database/engine/store/database_lock.h"
#include "database/logic/app_settings.h"
#include "database/logic/command_state.h"
#include "database/logic/position_search_form.h"
#include "database/logic/recent_databases.h"

class QAction;
class QPrinter;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace dalmir {

struct DalmirContext {
    AppSettings* settings = nullptr;
    QString programFolder;  // ends with '/'
    QString dataFolder;     // ends with '/'; the error log lies here
    int instance = 1;
    RecentDatabases* recent = nullptr;  // the File menu's list; kept by the caller
    // Tests: messages and questions are recorded (questions answered with their default)
    // instead of shown.
    bool quiet = false;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(DalmirContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a database file (asking about unsaved changes is the menu's business). False, with
    // the message shown, when it can't be opened or is locked; the current one then stays.
    bool openFile(const QString& path);
    // Saves to path (the current path when empty) through the lock and the safe savers.
    bool saveFile(const QString& path = {});
    void newDatabase(bool binary);
    // The command line or dropped files.
    void openFiles(const QStringList& files);

    // A click on a list header section (the shown column's position).
    void clickHeader(int section, bool shift);
    void setSortOrder(int code);

    // Long operations; false when one runs already.
    // A position search with the options of the last 局面検索 dialog of this run.
    bool startPositionSearch(const QString& clipboardText);
    bool startPositionSearch(const QString& clipboardText,
                             const database::PositionSearchOptions& options);
    bool startFolderAdd(const database::FolderAdd& request);
    // Copies the selected records' files into a folder.
    bool startCopyFiles(const QString& targetFolder, bool overwrite);
    // 全データ更新, or 選択棋譜の更新 with the given slots.
    bool startUpdate(std::vector<int> slots = {});
    bool startHeaderSearch(const database::HeaderCriteria& criteria);
    bool startSequenceSearch(const QString& pattern);
    bool startNextMoveSearch();
    bool startDuplicateCheck(const database::DuplicateCriteria& criteria);
    // Statistics: which is 0 results, 1 a player's record (player), 2 next moves, 3 openings,
    // 4 handicaps. The report opens in its window when done.
    bool startStatistics(int which, const QString& player = {});
    // 全棋譜表示: every record, in the current order.
    void showAll();
    // The last statistics report (tests).
    const QString& lastReport() const { return m_lastReport; }
    // Registers one record file (the single add, and the viewer's registration request).
    bool startSingleAdd(const QString& path);
    // A request of the viewer; one that arrives while an operation runs waits for its end.
    void handleRequest(core::DatabaseRequest request);
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

    // Prints the list on printer (a PDF printer too); false, with the message shown, when
    // nothing could be printed.
    bool printListTo(QPrinter& printer);
    bool printListToPdf(const QString& path);

    database::Database& database() { return m_db; }
    QTableView* listView() { return m_view; }
    ListModel* listModel() { return m_model; }
    QString statusPane(int pane) const;
    const QStringList& messages() const { return m_messages; }
    std::vector<int> selectedRows() const;
    bool isEnabled(Command command) const;

Q_SIGNALS:
    void operationDone();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void rebuildRecentMenu();
    void runRequest(core::DatabaseRequest request);
    QAction* addCommand(QMenu* menu, Command command, const QString& text, const QKeySequence& key,
                        std::function<void()> run);
    void refreshList();
    void refreshState();
    void showMessage(const QString& message);
    bool confirmDiscard();
    bool takeLock(const QString& path, database::DatabaseLock& lock);
    void startOperation(const QString& cancelText, OperationRunner::Job job,
                        std::function<void()> done);
    void finishOperation();
    void askNonBlocking(const QString& text, const QStringList& buttons,
                        std::function<void(int)> answer);
    database::UserFieldNames userNames() const;
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
    void menuCopyFiles();
    void showPopup(const QPoint& at);
    void menuHeaderSearch();
    void menuSequenceSearch();
    void menuDuplicates();
    void menuPlayerStatistics();
    void menuPrint();
    void menuPreview();
    void menuPdf();
    void showCard();
    void menuOpen();
    void menuSaveAs();
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
    database::UserFieldNames m_userNames;
    database::Database m_db;
    database::DatabaseLock m_lock;
    database::RecordExtractor m_extractor;
    database::ErrorLog m_log;
    database::RegistrationOptions m_registrationOptions;
    // Adding by folder's skip-duplicates switch and criteria, kept for the run of the program.
    bool m_addSkipDuplicates = false;
    // The position search's switches that are not stored, kept for the run of the program.
    PositionSearchForm m_positionForm;
    database::DuplicateCriteria m_addDuplicates;
    std::unique_ptr<database::Searcher> m_searcher;
    OperationRunner m_runner;
    ListModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QLabel* m_panes[3] = {};
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    std::map<Command, QAction*> m_actions;
    QStringList m_messages;
    QMenu* m_recentMenu = nullptr;
    InputHistories m_histories;
    database::PlayerStatistics m_playerStatistics;
    QString m_lastReport;
    std::vector<core::DatabaseRequest> m_pendingRequests;
    Starter m_starter;
};

}  // namespace dalmir
