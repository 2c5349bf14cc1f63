#include "tavrel/logic/view/branch_list.h"

#include <cstdio>

#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/view/navigation.h"

namespace tavrel {

namespace {

int previousDestination(const core::RecordStore& store) {
    const core::MoveNode& here = store.node(store.current());
    if (store.current() == core::kRootNode || here.isTerminal()) return 0;
    return here.destination();
}

}  // namespace

std::vector<BranchRow> branchRows(const core::RecordStore& store, const RecordListStyle& style) {
    std::vector<BranchRow> rows;
    int previous = previousDestination(store);
    int i = 0;
    for (core::NodeIndex c = store.node(store.current()).next; c != core::kNoNode;
         c = store.node(c).sibling) {
        const core::MoveNode& m = store.node(c);
        char label[16];
        std::snprintf(label, sizeof label, "%2d%c", ++i, m.comment ? '*' : ' ');
        rows.push_back({label, displayMoveText(m, previous, style), c, m.isTerminal()});
    }
    return rows;
}

core::NodeIndex branchNode(const core::RecordStore& store, int row) {
    if (row < 0) return core::kNoNode;
    core::NodeIndex c = store.node(store.current()).next;
    for (int i = 0; i < row && c != core::kNoNode; ++i) c = store.node(c).sibling;
    return c;
}

bool branchWindowShown(BranchWindowMode setting, const core::RecordStore& store) {
    if (setting == BranchWindowMode::Always) return true;
    if (setting != BranchWindowMode::WhenBranches) return false;
    core::NodeIndex next = store.node(store.current()).next;
    return next != core::kNoNode && store.node(next).sibling != core::kNoNode;
}

WindowRect branchWindowPlacement(const WindowRect& saved, int instance, const Desktop& desktop) {
    WindowRect r = saved;
    r.x += instanceOffset(instance);
    r.y += instanceOffset(instance);
    if (instance == 1) {
        if (r.x >= desktop.width - 10) r.x = 10;
        if (r.y >= desktop.height - 10) r.y = 350;
        if (r.y + r.height > desktop.height) r.y = desktop.height - r.height;
    }
    if (r.x + r.width <= 9) r.x = 10 - r.width;
    if (r.y + r.height <= 9) r.y = 10 - r.height;
    return r;
}

std::vector<BranchMenuEntry> branchMenuEntries(const core::RecordStore& store, int row,
                                               const RecordListStyle& style) {
    core::NodeIndex node = branchNode(store, row);
    if (node == core::kNoNode) return {};
    RecordListStyle plain = style;
    plain.userMarks = false;
    std::string text = displayMoveText(store.node(node), previousDestination(store), plain);
    std::vector<BranchMenuEntry> e;
    e.push_back({BranchMenuCommand::Replay, std::string(core::translate("連続再現(&G) ")) + text});
    if (row >= 1)
        e.push_back(
            {BranchMenuCommand::MakeFirst, std::string(core::translate("先頭へ(&T) ")) + text});
    e.push_back({BranchMenuCommand::Delete, std::string(core::translate("削除(&D) ")) + text});
    return e;
}

bool playBranch(Document& doc, MoveClock& clock, int row) {
    if (isEditing(doc.mode())) return false;
    return playChild(doc, clock, branchNode(doc.store(), row));
}

}  // namespace tavrel
