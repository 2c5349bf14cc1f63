#include "dalmir/logic/database_session.h"

#include <filesystem>
#include <memory>
#include <utility>

#include "core/text/sjis.h"
#include "dalmir/logic/command_state.h"
#include "dalmir/logic/list_commands.h"
#include "dalmir/logic/sort_order.h"
#include "dalmir/model/analysis/evaluation_store.h"
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

std::string saveCancelledMessage(const std::string& path) {
    return "データベース(" + core::toUtf8Lossy(path) + ")の保存を中止しました。";
}

std::string openCancelledMessage(const std::string& path) {
    return "データベース(" + core::toUtf8Lossy(path) + ")を開くのを中止しました。";
}

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

void DatabaseSession::open(const std::string& fsPath, Then then) {
    const auto report = [&then](bool ok) {
        if (then) then(ok);
    };
    if (model::databaseKindOf(fsPath) == model::DatabaseKind::Unknown) {
        m_ui.showMessage(unreadableFileMessage(fsPath));
        return report(false);
    }
    // The worker reads into a database of its own: the window's stays shown and untouched
    // until the reading has ended.
    struct Opening {
        explicit Opening(int capacity) : db(capacity) {}
        model::Database db;
        model::DatabaseStamp stamp;
        model::OpenReport report;
        std::shared_ptr<model::EvaluationStore> evaluations;
        bool cancelled = false;
    };
    auto opening = std::make_shared<Opening>(m_settings.maxRecords);
    BackgroundJob job;
    job.kind = BackgroundWork::Opening;
    job.path = core::toUtf8Lossy(fsPath);
    job.cancellable = true;
    job.work = [opening, fsPath, sort = m_settings.defaultSort](model::OperationHost& host) {
        if (host.cancelRequested()) {
            opening->cancelled = true;
            return;
        }
        opening->stamp = model::databaseStamp(fsPath);
        opening->report = model::openDatabase(opening->db, fsPath, sort, &host);
        // Sorted here too: at a million records the order takes longer than a window may wait.
        if (!isFatalOpenResult(opening->report.code)) {
            resortList(opening->db.table());
            // The evaluations of an earlier analysis, for the list's analysis columns; a store
            // that can't be read is only left unused (the analysis says why when it runs).
            auto store = std::make_shared<model::EvaluationStore>();
            (void)store->read(model::evaluationStorePath(fsPath));
            if (store->size() > 0) opening->evaluations = std::move(store);
        }
        // The reading itself can't stop halfway; a cancel asked meanwhile drops what was read.
        opening->cancelled = host.cancelRequested();
    };
    job.done = [this, opening, fsPath, then] {
        const bool ok =
            !opening->cancelled && finishOpen(fsPath, opening->db, opening->stamp, opening->report);
        if (ok) m_ui.evaluationsRead(std::move(opening->evaluations));
        if (opening->cancelled) m_ui.setStatusText(openCancelledMessage(fsPath));
        if (then) then(ok);
    };
    if (!m_ui.runInBackground(std::move(job))) report(false);
}

bool DatabaseSession::finishOpen(const std::string& fsPath, model::Database& opened,
                                 const model::DatabaseStamp& stamp,
                                 const model::OpenReport& report) {
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

void DatabaseSession::save(const std::string& fsPath, Then then) {
    const auto report = [&then](bool ok) {
        if (then) then(ok);
    };
    const std::string target =
        fsPath.empty() ? model::fileSystemFromStored(m_db.table().path()) : fsPath;
    if (target.empty()) return report(false);
    // A binary database saves as its pair; the lock is the pair's, held while it writes.
    if (!takeLock(target, m_lock)) return report(false);
    if (!m_source.empty() && model::lockPathOf(m_source) == model::lockPathOf(target) &&
        model::databaseStamp(target) != m_sourceStamp) {
        Question question;
        question.text = outsideChangeQuestion(target);
        question.warning = true;
        if (m_ui.ask(question) != Answer::Yes) {
            m_lock.release();
            return report(false);
        }
    }
    struct Saving {
        core::WriteResult result = core::WriteResult::Ok;
        std::string problem;
    };
    auto saving = std::make_shared<Saving>();
    BackgroundJob job;
    job.kind = BackgroundWork::Saving;
    job.path = core::toUtf8Lossy(target);
    // Cancel stops the writing until the new files replace the old ones: the old files stay
    // whole, the temporary ones go and the database stays modified.
    job.cancellable = true;
    job.work = [&db = m_db, target, saving](model::OperationHost& host) {
        saving->result = model::saveDatabase(db, target, &saving->problem, &host);
    };
    job.done = [this, target, saving, then] {
        m_lock.release();
        const bool ok = finishSave(target, saving->result, saving->problem);
        if (then) then(ok);
    };
    if (!m_ui.runInBackground(std::move(job))) {
        m_lock.release();
        report(false);
    }
}

bool DatabaseSession::finishSave(const std::string& target, core::WriteResult r,
                                 const std::string& problem) {
    if (r == core::WriteResult::Cancelled) {
        m_ui.setStatusText(saveCancelledMessage(target));
        m_ui.stateChanged();
        return false;
    }
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
        m_ui.stateChanged();
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

void DatabaseSession::saveAs(Then then) {
    const auto report = [&then](bool ok) {
        if (then) then(ok);
    };
    // The database's own kind first; the other converts.
    const char* text = "棋譜情報 (*.dls *.DLS)";
    const char* binary = "バイナリ棋譜 (*.dlb *.DLB)";
    const FileDialogRequest request{
        "名前を付けて保存",
        std::string(m_db.isBinary() ? binary : text) + ";;" + (m_db.isBinary() ? text : binary)};
    const std::optional<std::string> path = m_ui.chooseSaveFile(request);
    if (!path || path->empty()) return report(false);
    const model::DatabaseKind kind = model::databaseKindOf(*path);
    if (kind == model::DatabaseKind::Binary && !m_db.isBinary()) {
        m_ui.convertToBinary(*path);
        return report(false);
    }
    if (kind == model::DatabaseKind::Text && m_db.isBinary()) return saveAsText(*path, then);
    save(*path, then);
}

void DatabaseSession::saveAsText(const std::string& fsPath, Then then) {
    // The same records without their move lists; the window then holds the text database. The
    // binary one is kept until the save has ended and comes back when it failed.
    model::Database text(m_db.table().capacity());
    text.table() = m_db.table();
    text.setBinary(false);
    auto binary = std::make_shared<model::Database>(std::move(m_db));
    m_db = std::move(text);
    save(fsPath, [this, binary, then](bool saved) {
        if (!saved) {
            m_db = std::move(*binary);
            m_ui.stateChanged();
        } else {
            m_undo.forget();
            m_ui.listReplaced();
        }
        if (then) then(saved);
    });
}

void DatabaseSession::saveCommand(Then then) {
    if (m_db.table().path().empty()) return saveAs(std::move(then));
    save({}, std::move(then));
}

void DatabaseSession::openChosen(Then then) {
    confirmDiscard([this, then](bool goOn) {
        const std::optional<std::string> path =
            goOn ? m_ui.chooseOpenFile(
                       {"開く", "データベース (*.dls *.DLS *.dlb *.DLB *.kix *.KIX)"})
                 : std::nullopt;
        if (!path || path->empty()) {
            if (then) then(false);
            return;
        }
        open(*path, then);
    });
}

void DatabaseSession::openAfterAsking(const std::string& fsPath, Then then) {
    confirmDiscard([this, fsPath, then](bool goOn) {
        if (goOn) return open(fsPath, then);
        if (then) then(false);
    });
}

void DatabaseSession::openMostRecent(Then then) {
    if (!m_recent || m_recent->entries().empty()) {
        if (then) then(false);
        return;
    }
    openAfterAsking(m_recent->entries().front(), std::move(then));
}

void DatabaseSession::confirmDiscard(Then then) {
    if (!m_db.isModified()) return then(true);
    Question question;
    question.text = documentName(m_db) + " への変更を保存しますか？";
    question.withCancel = true;
    question.warning = true;
    const Answer answer = m_ui.ask(question);
    if (answer == Answer::Cancel) return then(false);
    if (answer == Answer::No) return then(true);
    // Yes: on only once everything is written. A Save As that converts leaves the database
    // modified: it stays.
    const auto afterSave = [this, then](bool saved) { then(saved && !m_db.isModified()); };
    if (m_db.table().path().empty()) return saveAs(afterSave);
    save({}, afterSave);
}

void DatabaseSession::reset(bool binary) {
    m_undo.forget();
    m_db.reset(binary);
    m_lock.release();
    m_source.clear();
    m_ui.listReplaced();
}

}  // namespace dalmir
