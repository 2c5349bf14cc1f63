#include "tavrel/logic/document/annotations.h"

#include <algorithm>
#include <cstdio>

#include "core/notation/piece_text.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/view/record_list_text.h"
#include "tavrel/settings/list_file.h"

namespace tavrel {

namespace {

void refused(Document& doc, const char* textUtf8, const char* captionUtf8) {
    doc.warningSound();
    doc.ui().showMessage(std::string(textUtf8), std::string(captionUtf8));
}

}  // namespace

std::string commentForEditing(std::string_view stored, bool* cut) {
    std::string text;
    text.reserve(stored.size() + stored.size() / 16);
    bool wasCut = false;
    std::size_t width = 0;  // in Shift-JIS bytes, as the edit box's limit counts
    core::forEachChar(stored, [&](std::size_t at, std::size_t length) {
        if (wasCut) return;
        const std::string_view c = stored.substr(at, length);
        const bool lineFeed = c == "\n";
        const std::size_t need = lineFeed ? 2 : core::cp932CharWidth(stored, at);
        if (width + need > kCommentEditBytes) {
            wasCut = true;
            return;
        }
        width += need;
        if (lineFeed) text += '\r';
        text += c;
    });
    if (cut) *cut = wasCut;
    return text;
}

std::string commentFromEditing(std::string_view edited) {
    std::string text;
    text.reserve(edited.size());
    for (char c : edited) {
        if (c != '\r') text += c;
    }
    return text;
}

std::string positionName(const core::RecordStore& store, core::NodeIndex node,
                         const Settings& settings) {
    if (node == core::kRootNode || !store.isInUse(node)) {
        return std::string(core::translate("開始局面"));
    }
    RecordListStyle style = recordListStyle(settings);
    style.userMarks = false;
    const core::NodeIndex parent = store.parentOf(node);
    int previous = 0;
    if (parent != core::kRootNode && !store.node(parent).isTerminal()) {
        previous = store.node(parent).destination();
    }
    char ply[32];
    std::snprintf(ply, sizeof ply, "%d", store.plyOf(node));
    return std::string(core::translate("第")) + ply + std::string(core::translate("手、")) +
           displayMoveText(store.node(node), previous, style);
}

std::string commentCaption(const core::RecordStore& store, core::NodeIndex node,
                           const Settings& settings) {
    return positionName(store, node, settings) + std::string(core::translate("のコメント"));
}

std::string timeCaption(const core::RecordStore& store, core::NodeIndex node,
                        const Settings& settings) {
    return positionName(store, node, settings) + std::string(core::translate("の消費時間"));
}

bool storeComment(Document& doc, int ply, std::string_view edited) {
    const std::string text = commentFromEditing(edited);
    switch (doc.store().replaceComment(ply, text)) {
        case core::CommentResult::Ok:
            doc.ui().documentChanged();
            return true;
        case core::CommentResult::TooLong:
            refused(doc, core::translate("コメントが長すぎるので保存できませんでした。"),
                    core::translate("エラー"));
            return false;
        case core::CommentResult::OutOfMemory:
            refused(doc, core::translate("メモリ不足のため、コメントを保存できませんでした。"),
                    core::translate("エラー"));
            return false;
        case core::CommentResult::NoNode:
            return false;
    }
    return false;
}

bool deleteCommentAsking(Document& doc, int ply) {
    if (doc.store().comment(ply).empty()) return false;
    if (doc.ui().ask(std::string(core::translate("コメントを削除しますか？")),
                     std::string(core::translate("コメント削除の確認")), false) != Answer::Yes) {
        return false;
    }
    if (doc.store().deleteComment(ply) != core::EditResult::Ok) return false;
    doc.ui().documentChanged();
    return true;
}

void deleteComments(Document& doc, CommentDeletion which, int ply) {
    core::RecordStore& store = doc.store();
    const int end = store.lineEnd();
    switch (which) {
        case CommentDeletion::All:
            store.deleteAllComments();
            break;
        case CommentDeletion::UpTo:
            // The ply lies on the line: cannot fail.
            (void)store.deleteCommentsBack(std::clamp(ply, 0, end));
            break;
        case CommentDeletion::FromOn:
            // The ply lies on the line: cannot fail.
            if (ply <= end) (void)store.deleteCommentsFrom(std::max(ply, 0));
            break;
    }
    doc.ui().documentChanged();
}

MinutesSeconds splitSeconds(std::uint16_t seconds) { return {seconds / 60, seconds % 60}; }

bool storeThinkingTime(Document& doc, core::NodeIndex node, int minutes, int seconds) {
    if (node == core::kRootNode || !doc.store().isInUse(node)) return false;
    long long total = static_cast<long long>(std::max(minutes, 0)) * 60 + std::max(seconds, 0);
    if (total > 65535) {
        total = 65535;
        doc.ui().setStatusText(std::string(
            core::translate("消費時間は65535秒(1092分15秒)までなので、65535秒にしました。")));
    }
    if (doc.store().setSeconds(node, static_cast<std::uint16_t>(total)) != core::EditResult::Ok) {
        return false;
    }
    doc.ui().documentChanged();
    return true;
}

void zeroAllTimes(Document& doc) {
    doc.store().clearAllTimes();
    doc.ui().documentChanged();
}

std::string proposedBookmarkName(const core::RecordStore& store, core::NodeIndex node,
                                 const Settings& settings) {
    const int existing = store.bookmarkOf(node);
    if (existing >= 0) return store.bookmarkAt(existing)->name;
    return positionName(store, node, settings);
}

std::vector<std::string> bookmarkChoices(const Histories& histories, const std::string& folder) {
    // Setting 2: a list line already remembered is not repeated.
    return fieldChoices(&histories[HistoryField::Bookmarks], 2,
                        readListFile(folder, ListField::Bookmarks));
}

BookmarkEditSession::BookmarkEditSession(Document& doc)
    : m_doc(doc), m_wasModified(doc.modified()) {
    m_doc.store().saveBookmarks();
}

bool BookmarkEditSession::registerName(core::NodeIndex node, std::string_view name,
                                       Histories* histories, const std::string& folder) {
    if (name.empty()) return false;
    switch (m_doc.store().setBookmark(node, name)) {
        case core::BookmarkResult::Ok:
            break;
        case core::BookmarkResult::DuplicateName:
            refused(m_doc, core::translate("同名のしおりがあります。"),
                    core::translate("しおり登録エラー"));
            return false;
        case core::BookmarkResult::TableFull:
            refused(m_doc, core::translate("しおりの数の上限を超えました。"),
                    core::translate("しおり登録エラー"));
            return false;
        case core::BookmarkResult::NoNode:
            return false;
    }
    if (histories) {
        History& history = (*histories)[HistoryField::Bookmarks];
        if (history.add(name) != HistoryAddResult::Ignored && !folder.empty()) {
            // The history only helps typing; the bookmark is set either way.
            (void)history.write(historyFilePath(folder, HistoryField::Bookmarks));
        }
    }
    m_doc.ui().documentChanged();
    return true;
}

bool BookmarkEditSession::deleteOf(core::NodeIndex node) {
    if (!m_doc.store().deleteBookmarkOf(node)) {
        refused(m_doc, core::translate("しおり削除エラー"), core::translate("しおり削除エラー"));
        return false;
    }
    m_doc.ui().documentChanged();
    return true;
}

bool BookmarkEditSession::moveUp(int i) {
    if (i <= 0 || !m_doc.store().moveBookmark(i, i - 1)) return false;
    m_doc.ui().documentChanged();
    return true;
}

bool BookmarkEditSession::moveDown(int i) {
    if (i < 0 || i + 1 >= m_doc.store().bookmarkCount()) return false;
    if (!m_doc.store().moveBookmark(i, i + 1)) return false;
    m_doc.ui().documentChanged();
    return true;
}

bool BookmarkEditSession::deleteAt(int i) {
    if (!m_doc.store().deleteBookmarkAt(i)) return false;
    m_doc.ui().documentChanged();
    return true;
}

void BookmarkEditSession::deleteAll() {
    m_doc.store().clearBookmarks();
    m_doc.ui().documentChanged();
}

std::vector<std::string> BookmarkEditSession::names() const {
    std::vector<std::string> result;
    const core::RecordStore& store = m_doc.store();
    for (int i = 0; i < store.bookmarkCount(); ++i) result.push_back(store.bookmarkAt(i)->name);
    return result;
}

void BookmarkEditSession::cancel() {
    m_doc.store().restoreBookmarks();
    if (!m_wasModified) m_doc.store().markClean();
    m_doc.ui().documentChanged();
}

bool goToBookmark(Document& doc, int i) {
    if (isPlaying(doc.mode()) || isEditing(doc.mode())) {
        doc.warningSound();
        return false;
    }
    const core::Bookmark* b = doc.store().bookmarkAt(i);
    if (!b || doc.store().goTo(b->node) != core::EditResult::Ok) return false;
    doc.ui().documentChanged();
    return true;
}

}  // namespace tavrel
