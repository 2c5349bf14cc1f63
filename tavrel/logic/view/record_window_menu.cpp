#include "tavrel/logic/view/record_window_menu.h"

#include "core/notation/piece_text.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

namespace {

// The move text of the menu entries: plain marks, no padding; "開始局面" for the root.
std::string targetText(const core::RecordStore& store, core::NodeIndex node,
                       RecordListStyle style) {
    if (node == core::kRootNode) return std::string(core::kWordStartPosition);
    style.userMarks = false;
    core::NodeIndex parent = store.parentOf(node);
    int previous = 0;
    if (parent != core::kRootNode && !store.node(parent).isTerminal()) {
        previous = store.node(parent).destination();
    }
    return displayMoveText(store.node(node), previous, style);
}

}  // namespace

RecordMenuTarget recordMenuTarget(const core::RecordStore& store, RecordListForm form, int ply,
                                  int column) {
    RecordMenuTarget t;
    core::NodeIndex node = store.nodeAtPly(ply);
    if (node == core::kNoNode) return t;
    t.ply = ply;
    t.node = node;
    if (form == RecordListForm::Branches) {
        int k = alternativeColumnAt(column);
        std::vector<core::NodeIndex> others = listedAlternatives(store, node);
        if (k >= 1 && k <= static_cast<int>(others.size())) {
            t.node = others[static_cast<std::size_t>(k - 1)];
        }
    }
    return t;
}

std::vector<RecordMenuEntry> recordMenuEntries(ViewerMode mode, const core::RecordStore& store,
                                               RecordListForm form, const RecordMenuTarget& target,
                                               const RecordListStyle& style) {
    std::vector<RecordMenuEntry> e;
    if (!isPlaying(mode) && store.lineEnd() > 0) {
        e.push_back(
            {RecordMenuCommand::JumpToPly, std::string(core::translate("指定手数へ(&J)..."))});
    }
    if (store.bookmarkCount() > 0) {
        e.push_back(
            {RecordMenuCommand::GoToBookmark, std::string(core::translate("しおりへ移動(&B)..."))});
    }
    e.push_back(
        {RecordMenuCommand::SwitchForm, form == RecordListForm::Branches
                                            ? std::string(core::translate("消費時間を表示する(&S)"))
                                            : std::string(core::translate("分岐を表示する(&H)"))});
    std::string text = targetText(store, target.node, style);
    bool move = target.node != core::kRootNode;
    if (form == RecordListForm::Branches && move &&
        store.node(store.parentOf(target.node)).next != target.node) {
        e.push_back(
            {RecordMenuCommand::MakeFirst, std::string(core::translate("先頭へ(&T) ")) + text});
    }
    e.push_back({RecordMenuCommand::EditComment,
                 std::string(core::translate("コメントの編集(&C)... ")) + text});
    if (move)
        e.push_back({RecordMenuCommand::EditTime,
                     std::string(core::translate("消費時間の編集(&T)... ")) + text});
    if (move) {
        e.push_back({RecordMenuCommand::Separator, {}});
        e.push_back({RecordMenuCommand::Delete, std::string(core::translate("削除(&D) ")) + text});
    }
    return e;
}

bool makeMoveFirst(Document& doc, core::NodeIndex node) {
    core::RecordStore& store = doc.store();
    if (node == core::kRootNode || !store.isInUse(node)) return false;
    if (store.makeFirstAlternative(node) != core::EditResult::Ok) return false;
    doc.ui().documentChanged();
    return true;
}

bool deleteMove(Document& doc, core::NodeIndex node) {
    core::RecordStore& store = doc.store();
    if (node == core::kRootNode || !store.isInUse(node)) return false;
    if (store.deleteAlternative(node) != core::EditResult::Ok) return false;
    doc.ui().documentChanged();
    return true;
}

}  // namespace tavrel
