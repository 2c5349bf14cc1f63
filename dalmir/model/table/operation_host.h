// How a long database operation (adding, updating, deleting, converting, searching, checking for
// duplicates) reaches whoever runs it: progress texts, the cancel flag, messages and the few
// questions the operations ask. The window implements it with its status bar, menu and message
// boxes, dalmir-cli by printing and answering from its options; every default does nothing and
// answers "go on".
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/safe_file.h"

namespace dalmir::model {

// The buttons of the duplicate question "重複の確認".
enum class DuplicateAnswer : int {
    DeleteFirst = 0,   // "&1 を削除"
    DeleteSecond = 1,  // "&2 を削除"
    Stop = 2,          // "終了(&X)": flagged records are still deleted
    AlwaysFirst = 3,   // "全て1を削除"
    AlwaysSecond = 4,  // "全て2を削除"
    Next = 5,          // "次へ(&N)"
    Cancel = 6,        // "ｷｬﾝｾﾙ": nothing is deleted
};

// One pair the duplicate check found, as the question shows it.
struct DuplicatePair {
    int firstRow = 0;  // list positions, 1-based
    int secondRow = 0;
    int firstSlot = 0;  // slots when found; deleting at the end renumbers them
    int secondSlot = 0;
    std::string firstPath;  // the records' stored paths
    std::string secondPath;
    std::string firstLine;   // "1: No.%4d: " and the path
    std::string secondLine;  // "2: No.%4d: " and the path
    std::string firstMarks;  // the mark characters of each record
    std::string secondMarks;
};

enum class ReadErrorAnswer : int {
    Continue = 0,      // no: go on with the next record
    Stop = 1,          // the user stops the run
    OpenInEditor = 2,  // yes (with an editor): open the file in the editor and go on
};

enum class MissingFileAnswer : int {
    Delete = 0,     // "削除する": delete this slot
    Keep = 1,       // "削除しない": keep it
    DeleteAll = 2,  // "全て削除する": delete it and every later missing one
    KeepAll = 3,    // "全て削除しない": keep it and every later missing one
};

class OperationHost {
public:
    virtual ~OperationHost() = default;

    // A progress or result text for the first pane of the status bar.
    virtual void status(std::string_view /*text*/) {}
    // How far a run is where its total is known: done of total items (the window's bar shows
    // the count and the percentage).
    virtual void countProgress(int /*done*/, int /*total*/) {}
    // Polled at every progress step; the window processes pending events here. True ends the
    // operation.
    virtual bool cancelRequested() { return false; }
    // How far an operation of known size has come: done of total (any unit, such as bytes), for
    // the share the window shows. Called from the worker, as often as the operation likes.
    virtual void progress(uint64_t /*done*/, uint64_t /*total*/) {}
    // A message box with the product caption, such as the full-table message.
    virtual void message(std::string_view /*text*/) {}
    virtual void beep() {}

    // A record file failed to read while adding. question is the complete CP932 text; with an
    // editor configured it asks "エディタで開きますか？" (yes, no, cancel = stop), otherwise
    // "追加を中止しますか？" (yes = stop, no).
    virtual ReadErrorAnswer askReadError(std::string_view /*question*/, bool /*withEditor*/) {
        return ReadErrorAnswer::Continue;
    }
    // Opens a record file in the text editor (path as the file system holds it).
    virtual void openInEditor(std::string_view /*fsPath*/) {}

    // Updating found a file missing: "削除の確認" with the path (CP932) followed by
    // "がありません。削除しますか？".
    virtual MissingFileAnswer askDeleteMissing(std::string_view /*path*/) {
        return MissingFileAnswer::Keep;
    }

    // Errors were logged during an add: question is "エラーが %d ありました。\n記録を見ますか？";
    // the window asks and opens the log (logPath, file-system form) on yes.
    virtual void offerErrorLog(std::string_view /*question*/, std::string_view /*logPath*/) {}

    // A record failed to read during a search: "棋譜読み込みエラー(%s)\n%s" with OK and Cancel.
    // True (Cancel) ends the search, keeping the hits found so far.
    virtual bool askSearchReadError(std::string_view /*question*/) { return false; }
    // Opens a record in the viewer at a ply (automatic replay of search hits).
    virtual void openInViewer(int /*slot*/, int /*ply*/) {}

    // The duplicate check found a pair. deleteFile carries the check box
    // "削除する際、棋譜をごみ箱に移動する" in and out. Replaying or editing both records stays
    // inside the dialog.
    virtual DuplicateAnswer askDuplicate(const DuplicatePair& /*pair*/, bool& /*deleteFile*/) {
        return DuplicateAnswer::Next;
    }
    // Moves a record file to the trash (with the shell's confirmation when confirm); false when
    // it was not moved.
    virtual bool moveToTrash(std::string_view /*fsPath*/, bool /*confirm*/) { return false; }
};

// The progress of an opening or a save of known size, counted in bytes and told to its host (when
// there is one) as done of total. The total may be an estimate: done is told no larger than it.
class ProgressCount {
public:
    explicit ProgressCount(OperationHost* host) : m_host(host) {}

    void setTotal(uint64_t total) {
        m_total = total;
        tell(m_done);
    }
    void advance(uint64_t n) {
        m_done += n;
        tell(m_done);
    }
    bool cancelRequested() { return m_host != nullptr && m_host->cancelRequested(); }
    // A step for a file write of `bytes` counted from here on; it stops the write on a cancel
    // when cancellable. advance() by the bytes when the write has returned.
    core::WriteStep writeStep(bool cancellable) {
        if (m_host == nullptr) return {};
        return [this, cancellable, from = m_done](std::size_t written) {
            tell(from + written);
            return !cancellable || !m_host->cancelRequested();
        };
    }

private:
    void tell(uint64_t done) {
        if (m_host != nullptr && m_total > 0) m_host->progress(std::min(done, m_total), m_total);
    }

    OperationHost* m_host;
    uint64_t m_total = 0;
    uint64_t m_done = 0;
};

}  // namespace dalmir::model
