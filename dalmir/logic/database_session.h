// The database file a window holds: opening, saving (上書き保存 and 名前を付けて保存), a new
// database, and the question about unsaved changes. Opening only reads: the database's lock is
// taken while a save writes, so that another window, a print or dalmir-cli can read and change
// the database meanwhile; a save over a file that another program changed since it was read
// asks first. The window owns the database, the lock, 元に戻す and the recent list; the session
// decides over them and speaks through the DalmirUi.
#pragma once

#include <functional>
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
// "データベース(%s)は、開いた後にほかのプログラムで変更されました。\n上書きすると、その変更は
// 失われます。上書きしますか？"
std::string outsideChangeQuestion(const std::string& path);

// The status texts of a save or an opening that was cancelled (path: the file system's).
std::string saveCancelledMessage(const std::string& path);
std::string openCancelledMessage(const std::string& path);

// Whether an open result leaves the database unopened: any but Ok. A binary pair whose move
// lists could not be read is refused as dalmir-cli refuses it; a search would answer from it
// as if it were whole.
bool isFatalOpenResult(model::OpenResult result);

// More read messages than this are shown as a count over a scrollable list.
inline constexpr std::size_t kMessagesInOneBox = 10;

// Saving and opening run on a worker (DalmirUi::runInBackground), so that the window keeps
// answering: every command that saves or opens takes a continuation, called once on the GUI
// thread when the work has ended (at once when nothing was started). A confirmation that saves
// first goes on only when the save has written everything: a failed or cancelled save stays.
class DatabaseSession {
public:
    // Called with true when the command did what it was asked (saved, opened, may go on).
    using Then = std::function<void(bool)>;

    // recent may be null (no recent list is kept).
    DatabaseSession(model::Database& db, model::DatabaseLock& lock, UndoKeeper& undo,
                    const AppSettings& settings, RecentDatabases* recent, DalmirUi& ui);

    // Opens a database file (reading, on the worker: no lock is taken). Shows its own message
    // and reports false when the file is no database or can't be read, or the opening was
    // cancelled; the current database then stays.
    void open(const std::string& fsPath, Then then = {});
    // Saves to fsPath (the database's own file when empty) under the lock and the safe savers;
    // the lock is held until the worker has written and let go then. A save over the file the
    // database was read from, when another program has changed it since, asks "…上書きしますか？"
    // (No by default). Shows its own message and reports false when nothing was saved.
    void save(const std::string& fsPath = {}, Then then = {});
    // 名前を付けて保存: the Save As dialog, then save. A name of the other kind converts: a
    // binary database is written as its index text (DLS) and then is that text database; a text
    // database is converted on a worker (DalmirUi::convertToBinary). False when cancelled, not
    // saved, or the conversion was started.
    void saveAs(Then then = {});
    // 上書き保存: an untitled database is saved as.
    void saveCommand(Then then = {});
    // 開く: asks about unsaved changes, then the Open dialog. False when nothing was opened.
    void openChosen(Then then = {});
    // A database of the recent list: asks about unsaved changes, then opens it.
    void openAfterAsking(const std::string& fsPath, Then then = {});
    // F4: the most recent database, as openAfterAsking; false when the list is empty.
    void openMostRecent(Then then = {});
    // Asks "%s への変更を保存しますか？" when the database has unsaved changes and saves on Yes.
    // True when the window may go on: nothing to save, No (the changes are to be dropped), or
    // the save has ended writing everything. Cancel, a cancelled dialog and a save that failed
    // or was cancelled give false.
    void confirmDiscard(Then then);
    // 新規作成: an empty database without a file and without a lock.
    void reset(bool binary);

private:
    void saveAsText(const std::string& fsPath, Then then);
    // The end of an opening on the GUI thread: the messages, then the opened database replaces
    // the window's; false when it can't be used.
    bool finishOpen(const std::string& fsPath, model::Database& opened,
                    const model::DatabaseStamp& stamp, const model::OpenReport& report);
    // The end of a save on the GUI thread: the messages, the recent list and the state; true
    // when written.
    bool finishSave(const std::string& target, core::WriteResult result,
                    const std::string& problem);
    bool takeLock(const std::string& fsPath, model::DatabaseLock& lock);
    // What reading the index file said, with line numbers: one message, or a count over a
    // scrollable list when there are more than kMessagesInOneBox.
    void showReadMessages(const std::vector<model::DlsMessage>& messages);

    model::Database& m_db;
    model::DatabaseLock& m_lock;  // held only while a save writes
    // The file the database was last read from or saved to, and what it was then.
    std::string m_source;
    model::DatabaseStamp m_sourceStamp;
    UndoKeeper& m_undo;
    const AppSettings& m_settings;
    RecentDatabases* m_recent;
    DalmirUi& m_ui;
};

}  // namespace dalmir
