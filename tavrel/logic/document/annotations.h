// The record's annotations as the viewer edits them: comments (the edit box's CR LF, the cut of
// what it can hold, deleting one or many), thinking times (minutes and seconds) and bookmarks
// (the name proposed, registering with its refusals, going to one, the dialog's cancel). The
// dialogs show what these return and call them with what the user typed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/record/record_store.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/settings/history.h"

namespace tavrel {

// The most a comment edit box holds, in bytes of CP932 with CR LF line ends.
inline constexpr std::size_t kCommentEditBytes = 32766;

// A stored comment as the edit box shows it: every line feed becomes CR LF; the text is cut to
// kCommentEditBytes on a character boundary (*cut says whether it was).
std::string commentForEditing(std::string_view stored, bool* cut = nullptr);
// The edit box's text as it is stored: every CR removed.
std::string commentFromEditing(std::string_view edited);

// "第%d手、%s" with the ply and the move text (traditional form when 指し手表記 is 2 or 3 and
// ルール確認 is on, marks "▲"/"△", or "▲"/"▽" for 指し手表記 1 and 3), or "開始局面" for the root.
std::string positionName(const core::RecordStore& store, core::NodeIndex node,
                         const Settings& settings);
// positionName + "のコメント" (the comment dialog and window) or + "の消費時間".
std::string commentCaption(const core::RecordStore& store, core::NodeIndex node,
                           const Settings& settings);
std::string timeCaption(const core::RecordStore& store, core::NodeIndex node,
                        const Settings& settings);

// ---- Comments (the node at a ply of the current line) ----

// OK of the comment dialog: the edited text replaces the comment at ply (empty deletes it), the
// windows are redrawn and the record is modified. A comment that cannot be stored is reported
// and the old one kept; false then.
bool storeComment(Document& doc, int ply, std::string_view edited);
// 削除 of a position with a comment: asks "コメントを削除しますか？" and deletes on Yes. False
// when there was none or the answer was No.
bool deleteCommentAsking(Document& doc, int ply);

// The three choices of "コメントの一括削除".
enum class CommentDeletion {
    All,     // すべてのコメントを削除
    UpTo,    // 指定手数以前を削除: the given ply and every one before it
    FromOn,  // 指定手数以降を削除: the given ply and every one after it
};
// Deletes the comments chosen along the current line (All: the whole tree) and redraws. A ply
// beyond the end of the line is taken as its end for UpTo and deletes nothing for FromOn.
void deleteComments(Document& doc, CommentDeletion which, int ply);

// ---- Thinking times ----

struct MinutesSeconds {
    int minutes = 0;
    int seconds = 0;
};
MinutesSeconds splitSeconds(std::uint16_t seconds);
// OK of "消費時間の編集": minutes × 60 + seconds becomes the node's time; the information lines
// and the record window are redrawn and the record is modified. A total above 65535 seconds is
// stored as 65535 and the status bar says so. False for a node that is not a move.
bool storeThinkingTime(Document& doc, core::NodeIndex node, int minutes, int seconds);
// 全指し手の消費時間を０に.
void zeroAllTimes(Document& doc);

// ---- Bookmarks ----

// The name field's start: the node's bookmark name, else "第%d手、%s%s" (ply, the mark of the
// side that moved, the move text), or "開始局面" at the root.
std::string proposedBookmarkName(const core::RecordStore& store, core::NodeIndex node,
                                 const Settings& settings);
// The drop-down of the name field: the remembered names (at most 情報履歴数), then the lines of
// "しおり.txt" in folder not already among them.
std::vector<std::string> bookmarkChoices(const Histories& histories, const std::string& folder);

// One opening of the registration or edit dialog: the table is put aside at the start so that
// cancel() restores it as it was (and the record's unmodified state with it).
class BookmarkEditSession {
public:
    explicit BookmarkEditSession(Document& doc);
    // OK with a name: add or rename the node's bookmark. Refusals ("同名のしおりがあります。",
    // "しおりの数の上限を超えました。", caption "しおり登録エラー") leave the table as it was and
    // return false. A registered name is remembered in the bookmark history (its file written
    // into folder); the record window and the title are redrawn.
    bool registerName(core::NodeIndex node, std::string_view name, Histories* histories = nullptr,
                      const std::string& folder = {});
    // 削除(&D): the node's bookmark; "しおり削除エラー" when it has none.
    bool deleteOf(core::NodeIndex node);
    // The edit dialog: 上へ, 下へ, 削除, すべて削除 on table index i.
    bool moveUp(int i);
    bool moveDown(int i);
    bool deleteAt(int i);
    void deleteAll();
    // The names in table order.
    std::vector<std::string> names() const;
    // Cancel: the table and the modified state as at the start.
    void cancel();
    Document& document() { return m_doc; }

private:
    Document& m_doc;
    bool m_wasModified;
};

// しおりへ移動: shows the position of table entry i (any line of the tree); false when there is
// none or the viewer is playing or editing.
bool goToBookmark(Document& doc, int i);

}  // namespace tavrel
