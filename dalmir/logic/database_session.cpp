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

std::string outsideChangeQuestion(const std::string& path) {
    return "データベース(" + path +
           ")は、開いた後にほかのプログラムで変更されました。\n上書きすると、その変更は失われ"
           "ます。上書きしますか？";
}

bool isFatalOpenResult(model::OpenResult result) { return result != model::OpenResult::Ok; }

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
    model::Database opened(m_settings.maxRecords);
    const model::DatabaseStamp stamp = model::databaseStamp(fsPath);
    const model::OpenReport report = model::openDatabase(opened, fsPath, m_settings.defaultSort);
    // A file that can't be used is refused with what the reading had to say, in one message,
    // as dalmir-cli prints it: the notices (such as "データ異常"), each note of the index (a line
    // that ended the reading), then the error; a file that held nothing at all has only its
    // error. A pair whose move lists are damaged is not opened: its searches would miss the
    // records without lists.
    if (isFatalOpenResult(report.code)) {
        std::string said;
        const auto say = [&said](const std::string& cp932) {
            if (!said.empty()) said += '\n';
            said += core::toUtf8Lossy(cp932);
        };
        if (report.code != model::OpenResult::NothingRead) {
            for (const auto& notice : report.notices) say(notice);
            for (const auto& note : report.index.messages) say(note.text);
        }
        say(model::openErrorMessage(report.code, std::string(fsPath)));
        m_ui.showMessage(said);
        return false;
    }
    for (const auto& notice : report.notices) m_ui.showMessage(core::toUtf8Lossy(notice));
    showReadMessages(report.index.messages);
    m_undo.forget();
    m_db = std::move(opened);
    m_source = fsPath;
    m_sourceStamp = stamp;
    resortList(m_db.table());
    // A stale or damaged position index is only left unused; the status bar says so.
    m_ui.setStatusText(core::toUtf8Lossy(report.indexNotice));
    if (m_recent) m_recent->add(fsPath);
    m_ui.recentFilesChanged();
    m_ui.listReplaced();
    if (m_db.table().settings().autoUpdate) m_ui.startAutoUpdate();
    return true;
}

void DatabaseSession::showReadMessages(const std::vector<model::DlsMessage>& messages) {
    if (messages.empty()) return;
    std::vector<std::string> lines;
    for (const model::DlsMessage& m : messages) {
        lines.push_back(std::to_string(m.line) + "行目: " + core::toUtf8Lossy(m.text));
    }
    if (lines.size() <= kMessagesInOneBox) {
        std::string text;
        for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
        m_ui.showMessage(text);
        return;
    }
    m_ui.showMessageList(
        "棋譜情報ファイルに読み込めない行が" + std::to_string(lines.size()) + "件あります。",
        lines);
}

bool DatabaseSession::save(const std::string& fsPath) {
    const std::string target =
        fsPath.empty() ? model::fileSystemFromStored(m_db.table().path()) : fsPath;
    if (target.empty()) return false;
    // A binary database saves as its pair; the lock is the pair's, held while it writes.
    if (!takeLock(target, m_lock)) return false;
    struct Release {
        model::DatabaseLock& lock;
        ~Release() { lock.release(); }
    } release{m_lock};
    if (!m_source.empty() && model::lockPathOf(m_source) == model::lockPathOf(target) &&
        model::databaseStamp(target) != m_sourceStamp) {
        Question question;
        question.text = outsideChangeQuestion(target);
        question.warning = true;
        if (m_ui.ask(question) != Answer::Yes) return false;
    }
    std::string problem;
    const core::WriteResult r = model::saveDatabase(m_db, target, &problem);
    if (r != core::WriteResult::Ok) {
        m_ui.beep();
        if (r == core::WriteResult::Unencodable) {
            m_ui.showMessage(problem);
        } else if (r == core::WriteResult::NotReadWhole) {
            m_ui.showMessage(
                "このデータベースは読み込みが途中で終わったため、元のファイルには保存できません。"
                "名前を付けて保存してください。");
        } else {
            m_ui.showMessage(core::toUtf8Lossy(model::saveErrorMessage(std::string(target))));
        }
        return false;
    }
    m_source = target;
    m_sourceStamp = model::databaseStamp(target);
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
    // The database's own kind first; the other converts.
    const char* text = "棋譜情報 (*.dls *.DLS)";
    const char* binary = "バイナリ棋譜 (*.dlb *.DLB)";
    const FileDialogRequest request{
        "名前を付けて保存",
        std::string(m_db.isBinary() ? binary : text) + ";;" + (m_db.isBinary() ? text : binary)};
    const std::optional<std::string> path = m_ui.chooseSaveFile(request);
    if (!path || path->empty()) return false;
    const model::DatabaseKind kind = model::databaseKindOf(*path);
    if (kind == model::DatabaseKind::Binary && !m_db.isBinary()) {
        m_ui.convertToBinary(*path);
        return false;
    }
    if (kind == model::DatabaseKind::Text && m_db.isBinary()) return saveAsText(*path);
    return save(*path);
}

bool DatabaseSession::saveAsText(const std::string& fsPath) {
    // The same records without their move lists; the window then holds the text database.
    model::Database text(m_db.table().capacity());
    text.table() = m_db.table();
    text.setBinary(false);
    model::Database binary = std::move(m_db);
    m_db = std::move(text);
    if (!save(fsPath)) {
        m_db = std::move(binary);
        return false;
    }
    m_undo.forget();
    m_ui.listReplaced();
    return true;
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
    m_source.clear();
    m_ui.listReplaced();
}

}  // namespace dalmir
