// The database file a window holds: opening, saving (上書き保存 and 名前を付けて保存), a new
// database, and the question about unsaved changes, each under the database's lock. The window
// owns the database, its lock, 元に戻す and the recent list; the session decides over them and
// speaks through the DalmirUi.
#pragma once

#include <optional>
#include <string>

#include "dalmir/logic/app_settings.h"
#include "dalmir/logic/dalmir_ui.h"
#include "dalmir/logic/recent_databases.h"
#include "dalmir/logic/undo.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/database_lock.h"

namespace dalmir {

// The message of a lock that was not taken (UTF-8): "データベース(%s)は、ほかのプログラムが保存中
// です。" when another program holds it, "データベース(%s)をロックできませんでした。" otherwise;
// nullopt for Ok.
std::optional<std::string> lockFailureMessage(model::LockResult result, const std::string& path);

// Whether an open result leaves the database unopened. A database whose move lists were read
// only in part opens with what was read.
bool isFatalOpenResult(model::OpenResult result);

// More read messages than this are shown as a count over a scrollable list.
inline constexpr std::size_t kMessagesInOneBox = 10;

class DatabaseSession {
public:
    // recent may be null (no recent list is kept).
    DatabaseSession(model::Database& db, model::DatabaseLock& lock, UndoKeeper& undo,
                    const AppSettings& settings, RecentDatabases* recent, DalmirUi& ui);

    // Opens a database file. Shows its own message and returns false when the file is no
    // database, is locked or can't be read; the current database then stays.
    bool open(const std::string& fsPath);
    // Saves to fsPath (the database's own file when empty) under the lock and the safe savers.
    // Shows its own message and returns false when nothing was saved.
    bool save(const std::string& fsPath = {});
    // 名前を付けて保存: the Save As dialog, then save. False when cancelled or not saved.
    bool saveAs();
    // 上書き保存: an untitled database is saved as.
    bool saveCommand();
    // 開く: asks about unsaved changes, then the Open dialog. False when nothing was opened.
    bool openChosen();
    // A database of the recent list: asks about unsaved changes, then opens it.
    bool openAfterAsking(const std::string& fsPath);
    // F4: the most recent database, as openAfterAsking; false when the list is empty.
    bool openMostRecent();
    // Asks "%s への変更を保存しますか？" when the database has unsaved changes and saves on Yes.
    // True when the window may go on (saved, or the changes are to be dropped).
    bool confirmDiscard();
    // 新規作成: an empty database without a file and without a lock.
    void reset(bool binary);

private:
    bool takeLock(const std::string& fsPath, model::DatabaseLock& lock);
    // What reading the index file said, with line numbers: one message, or a count over a
    // scrollable list when there are more than kMessagesInOneBox.
    void showReadMessages(const std::vector<model::DlsMessage>& messages);

    model::Database& m_db;
    model::DatabaseLock& m_lock;
    UndoKeeper& m_undo;
    const AppSettings& m_settings;
    RecentDatabases* m_recent;
    DalmirUi& m_ui;
};

}  // namespace dalmir
