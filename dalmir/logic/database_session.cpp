#include "dalmir/logic/database_session.h"

#include <filesystem>
#include <utility>

#include "core/text/sjis.h"
#include "dalmir/logic/command_state.h"
#include "dalmir/logic/list_commands.h"
#include "dalmir/logic/sort_order.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/tree/tree_index.h"

namespace dalmir {

namespace {

// The document name of the question about unsaved changes: the title without its " *".
std::string documentName(const model::Database& db) {
    std::string name = windowTitle(db);
    for (std::size_t at = name.find(" *"); at != std::string::npos; at = name.find(" *", at)) {
        name.erase(at, 2);
    }
    return name;
}

}  // namespace

std::optional<std::string> lockFailureMessage(model::LockResult result, const std::string& path) {
    switch (result) {
        case model::LockResult::Ok:
            return std::nullopt;
        case model::LockResult::Busy:
            return "データベース(" + path + ")は、ほかのプログラムが保存中です。";
        default:
            return "データベース(" + path + ")をロックできませんでした。";
    }
}

bool isFatalOpenResult(model::OpenResult result) {
    return result != model::OpenResult::Ok && result != model::OpenResult::ReadFailed;
}

DatabaseSession::DatabaseSession(model::Database& db, model::DatabaseLock& lock, UndoKeeper& undo,
                                 const AppSettings& settings, RecentDatabases* recent, DalmirUi& ui)
    : m_db(db), m_lock(lock), m_undo(undo), m_settings(settings), m_recent(recent), m_ui(ui) {}

bool DatabaseSession::takeLock(const std::string& fsPath, model::DatabaseLock& lock) {
    const auto message = lockFailureMessage(model::lockDatabase(fsPath, lock, false), fsPath);
    if (message) m_ui.showMessage(*message);
    return !message;
}

bool DatabaseSession::open(const std::string& fsPath) {
    if (model::databaseKindOf(fsPath) == model::DatabaseKind::Unknown) {
        m_ui.showMessage(unreadableFileMessage(fsPath));
        return false;
    }
    // Opening the database this window holds again keeps its lock: a second lock on the same
    // file would be refused as if another program held it.
    model::DatabaseLock lock;
    const bool sameFile = m_lock.isHeld() && m_lock.path() == model::lockPathOf(fsPath);
    if (!sameFile && !takeLock(fsPath, lock)) return false;
    model::Database opened(m_settings.maxRecords);
    const model::OpenReport report = model::openDatabase(opened, fsPath, m_settings.defaultSort);
    if (isFatalOpenResult(report.code)) {
        m_ui.showMessage(
            core::toUtf8Lossy(model::openErrorMessage(report.code, core::sjis(fsPath))));
        return false;
    }
    for (const auto& notice : report.notices) m_ui.showMessage(core::toUtf8Lossy(notice));
    m_undo.forget();
    m_db = std::move(opened);
    if (!sameFile) m_lock = std::move(lock);
    resortList(m_db.table());
    // A stale or damaged position index is only left unused; the status bar says so.
    m_ui.setStatusText(core::toUtf8Lossy(report.indexNotice));
    if (m_recent) m_recent->add(fsPath);
    m_ui.recentFilesChanged();
    m_ui.listReplaced();
    return true;
}

bool DatabaseSession::save(const std::string& fsPath) {
    const std::string target =
        fsPath.empty() ? model::fileSystemFromStored(m_db.table().path()) : fsPath;
    if (target.empty()) return false;
    // A binary database saves as its pair; the lock is the pair's.
    model::DatabaseLock lock;
    const bool sameFile = m_lock.isHeld() && m_lock.path() == model::lockPathOf(target);
    if (!sameFile && !takeLock(target, lock)) return false;
    const core::WriteResult r = model::saveDatabase(m_db, target);
    if (r != core::WriteResult::Ok) {
        m_ui.beep();
        if (r == core::WriteResult::NotReadWhole) {
            m_ui.showMessage(
                "このデータベースは読み込みが途中で終わったため、元のファイルには保存できません。"
                "名前を付けて保存してください。");
        } else {
            m_ui.showMessage(core::toUtf8Lossy(model::saveErrorMessage(core::sjis(target))));
        }
        return false;
    }
    if (!sameFile) m_lock = std::move(lock);
    m_db.setModified(false);
    m_undo.noteSaved();
    if (m_recent) m_recent->add(model::fileSystemFromStored(m_db.table().path()));
    m_ui.recentFilesChanged();
    m_ui.setStatusText(core::toUtf8Lossy(model::savedMessage(m_db, m_db.table().path())));
    m_ui.stateChanged();
    // A tree index already beside the pair describes the lists before the save: built again.
    std::error_code ec;
    if (m_db.isBinary() && std::filesystem::exists(model::treeIndexPath(target), ec)) {
        m_ui.rebuildTreeIndex(target);
    }
    return true;
}

bool DatabaseSession::saveAs() {
    const FileDialogRequest request{"名前を付けて保存", m_db.isBinary()
                                                            ? "バイナリ棋譜 (*.dlb *.DLB)"
                                                            : "棋譜情報 (*.dls *.DLS)"};
    const std::optional<std::string> path = m_ui.chooseSaveFile(request);
    if (!path || path->empty()) return false;
    return save(*path);
}

bool DatabaseSession::saveCommand() { return m_db.table().path().empty() ? saveAs() : save(); }

bool DatabaseSession::openChosen() {
    if (!confirmDiscard()) return false;
    const std::optional<std::string> path =
        m_ui.chooseOpenFile({"開く", "データベース (*.dls *.DLS *.dlb *.DLB *.kix *.KIX)"});
    if (!path || path->empty()) return false;
    return open(*path);
}

bool DatabaseSession::openAfterAsking(const std::string& fsPath) {
    return confirmDiscard() && open(fsPath);
}

bool DatabaseSession::openMostRecent() {
    return m_recent && !m_recent->entries().empty() && openAfterAsking(m_recent->entries().front());
}

bool DatabaseSession::confirmDiscard() {
    if (!m_db.isModified()) return true;
    Question question;
    question.text = documentName(m_db) + " への変更を保存しますか？";
    question.withCancel = true;
    question.warning = true;
    const Answer answer = m_ui.ask(question);
    if (answer == Answer::Cancel) return false;
    if (answer == Answer::Yes) {
        if (m_db.table().path().empty()) {
            // Shows its own messages.
            (void)saveAs();
            return !m_db.isModified();
        }
        return save();
    }
    return true;
}

void DatabaseSession::reset(bool binary) {
    m_undo.forget();
    m_db.reset(binary);
    m_lock.release();
    m_ui.listReplaced();
}

}  // namespace dalmir
