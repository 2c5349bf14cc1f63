#include "core/record/record_store.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <utility>

#include "core/notation/notation.h"
#include "core/notation/piece_text.h"
#include "core/text/sjis.h"

namespace core {

namespace {

// Nodes a store holds before it first grows.
constexpr int kInitialNodes = 1024;

// A text up to its first line break.
std::string_view firstLine(std::string_view text) {
    std::size_t end = text.find_first_of("\r\n");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

}  // namespace

const std::string& headerKeyword(HeaderField field) {
    static const std::array<std::string, kHeaderFieldCount> kKeys = [] {
        const char* utf8[kFixedHeaderFieldCount] = {
            "開始日時", "終了日時", "表題",     "棋戦",   "戦型", "持ち時間", "消費時間",
            "場所",     "掲載",     "作品番号", "作品名", "作者", "発表誌",   "発表年月",
            "出典",     "完全性",   "分類",     "受賞",   "手数", "備考"};
        std::array<std::string, kHeaderFieldCount> keys;
        for (int i = 0; i < kFixedHeaderFieldCount; ++i)
            keys[static_cast<std::size_t>(i)] = std::string(utf8[i]);
        return keys;
    }();
    return kKeys[static_cast<std::size_t>(field)];
}

const MoveNode RecordStore::kFreeNode{};

RecordStore::RecordStore(int capacity, RecordOptions options) : m_options(options) {
    if (capacity < 1) capacity = kDefaultRecordCapacity;
    m_capacity = std::min(capacity, kMaxRecordCapacity);
    // The root, and room for a record of ordinary length before the first growth.
    const auto first = static_cast<std::size_t>(std::min(m_capacity, kInitialNodes));
    m_nodes.resize(first);
    m_path.resize(first);
    m_stack.resize(first);
    setupHandicap(m_slots[0], kHandicapEven);
    m_start = saveStart(m_slots[0]);
}

bool RecordStore::isInUse(NodeIndex i) const {
    return i == kRootNode || (validIndex(i) && !at(i).isFree());
}

bool RecordStore::isConsistent() const {
    return treeIsConsistent() && plyOf(m_current) == m_currentPly;
}

bool RecordStore::treeIsConsistent() const {
    const NodeIndex held = allocated();
    if (held < 1 || held > m_capacity) return false;
    if (m_path.size() < m_nodes.size() || m_stack.size() < m_nodes.size()) return false;
    if (m_freeHint < 1 || m_freeHint > held || m_usedEnd < 1 || m_usedEnd > held) return false;
    const MoveNode& root = at(kRootNode);
    if (!root.isFree() || root.parent != kNoNode || root.sibling != kNoNode) return false;

    // Nodes from m_usedEnd on have been free since the last reset (which clears no further);
    // they are not visited, so that a check costs what the record holds, not its storage.
    int inUse = 0;
    for (NodeIndex i = 1; i < m_usedEnd; ++i) {
        const MoveNode& n = at(i);
        if (n.isFree()) {
            // findFree starts at the hint, reset clears up to m_usedEnd: neither may skip a node.
            if (i < m_freeHint || n.next != kNoNode || n.sibling != kNoNode ||
                n.parent != kNoNode || n.comment) {
                return false;
            }
            continue;
        }
        if (!isInUse(n.parent) || n.parent == i) return false;
        if (n.commentText().size() > kMaxCommentBytes &&
            cp932Width(n.commentText()) > kMaxCommentBytes) {
            return false;
        }
        ++inUse;
    }

    // Walks the tree without a stack, first child before younger alternative; every node reached
    // must be in use and point back at its parent, and the walk must reach every node in use.
    int reached = 0;
    auto enter = [&](NodeIndex x, NodeIndex parent) {
        return x != kRootNode && isInUse(x) && at(x).parent == parent && ++reached <= inUse;
    };
    for (NodeIndex x = kRootNode;;) {
        if (at(x).next != kNoNode) {
            if (!enter(at(x).next, x)) return false;
            x = at(x).next;
            continue;
        }
        while (x != kRootNode && at(x).sibling == kNoNode) x = at(x).parent;
        if (x == kRootNode) break;
        if (!enter(at(x).sibling, at(x).parent)) return false;
        x = at(x).sibling;
    }
    if (reached != inUse || !isInUse(m_current)) return false;
    for (const Bookmark& b : m_bookmarks.entries()) {
        if (!isInUse(b.node)) return false;
    }
    return true;
}

// ---- Allocation and unlinking ----

NodeIndex RecordStore::findFree() {
    for (NodeIndex i = m_freeHint; i < allocated(); ++i) {
        if (at(i).isFree()) {
            m_freeHint = i;
            return i;
        }
    }
    // Every node held is in use: the first new one is free.
    m_freeHint = allocated();
    if (!grow()) return kNoNode;
    return m_freeHint;
}

bool RecordStore::grow() {
    const std::size_t now = m_nodes.size();
    const auto limit = static_cast<std::size_t>(m_capacity);
    if (now >= limit) return false;
    const std::size_t wanted = std::min(limit, std::max(now * 2, std::size_t{kInitialNodes}));
    try {
        // The scratch arrays first: they may be longer than m_nodes, never shorter.
        m_path.resize(wanted);
        m_stack.resize(wanted);
        m_nodes.resize(wanted);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void RecordStore::freeNode(NodeIndex i) {
    at(i) = MoveNode{};
    m_bookmarks.eraseOf(i);
    if (i < m_freeHint) m_freeHint = i;
}

void RecordStore::freeChain(NodeIndex first) {
    std::size_t top = 0;
    m_stack[top++] = first;
    while (top > 0) {
        NodeIndex i = m_stack[--top];
        const MoveNode& n = at(i);
        // Every node is pushed once (a tree), so the stack never holds more than the capacity.
        if (n.next != kNoNode) m_stack[top++] = n.next;
        if (n.sibling != kNoNode) m_stack[top++] = n.sibling;
        freeNode(i);
    }
}

void RecordStore::unlink(NodeIndex i) {
    MoveNode& n = at(i);
    MoveNode& p = at(n.parent);
    if (p.next == i) {
        p.next = n.sibling;
    } else {
        for (NodeIndex e = p.next; e != kNoNode; e = at(e).sibling) {
            if (at(e).sibling == i) {
                at(e).sibling = n.sibling;
                break;
            }
        }
    }
    n.sibling = kNoNode;
}

bool RecordStore::isAncestorOrSelf(NodeIndex ancestor, NodeIndex n) const {
    for (NodeIndex x = n; x != kNoNode; x = at(x).parent) {
        if (x == ancestor) return true;
    }
    return false;
}

void RecordStore::leaveDoomedLine(NodeIndex firstDoomed, bool withYoungerSiblings) {
    NodeIndex parent = at(firstDoomed).parent;
    bool doomed = false;
    for (NodeIndex x = m_current; x != kRootNode && !doomed; x = at(x).parent) {
        if (x == firstDoomed) doomed = true;
        if (withYoungerSiblings && at(x).parent == parent) {
            for (NodeIndex s = at(firstDoomed).sibling; s != kNoNode; s = at(s).sibling) {
                if (s == x) doomed = true;
            }
        }
    }
    if (doomed) backTo(plyOf(parent));
}

// ---- Navigation ----

NodeIndex RecordStore::nodeAtPly(int n) const {
    if (n < 0) return kNoNode;
    if (n == 0) return kRootNode;
    NodeIndex x = m_current;
    int ply = m_currentPly;
    while (ply < n && x != kNoNode) {
        x = at(x).next;
        ++ply;
    }
    while (ply > n && x != kNoNode) {
        x = at(x).parent;
        --ply;
    }
    return x;
}

NodeIndex RecordStore::parentOf(NodeIndex n) const {
    if (!isInUse(n)) return kNoNode;
    return at(n).parent;
}

int RecordStore::plyOf(NodeIndex n) const {
    if (!isInUse(n)) return -1;
    int ply = 0;
    for (NodeIndex x = n; x != kRootNode; x = at(x).parent) ++ply;
    return ply;
}

int RecordStore::lineEnd() const {
    int ply = m_currentPly;
    for (NodeIndex x = at(m_current).next; x != kNoNode; x = at(x).next) ++ply;
    return ply;
}

int RecordStore::lineEndOfMoves() const {
    if (m_current != kRootNode && at(m_current).isTerminal()) return m_currentPly - 1;
    int ply = m_currentPly;
    for (NodeIndex x = at(m_current).next; x != kNoNode && !at(x).isTerminal(); x = at(x).next) {
        ++ply;
    }
    return ply;
}

int RecordStore::moveCount() const {
    int count = 0;
    // No node from m_usedEnd on has been in use since the last reset.
    for (NodeIndex i = 1; i < m_usedEnd; ++i) {
        const MoveNode& n = at(i);
        if (!n.isFree() && !n.isTerminal()) ++count;
    }
    return count;
}

bool RecordStore::hasVariations() const {
    for (NodeIndex x = at(kRootNode).next; x != kNoNode; x = at(x).next) {
        if (at(x).sibling != kNoNode) return true;
    }
    return false;
}

bool RecordStore::isInVariation(NodeIndex n) const {
    if (!isInUse(n)) return false;
    for (NodeIndex x = n; x != kRootNode; x = at(x).parent) {
        if (at(at(x).parent).next != x) return true;
    }
    return false;
}

int RecordStore::alternativeIndex(NodeIndex n) const {
    if (n == kRootNode || !isInUse(n)) return 0;
    int index = 1;
    for (NodeIndex x = at(at(n).parent).next; x != kNoNode; x = at(x).sibling, ++index) {
        if (x == n) return index;
    }
    return 0;
}

bool RecordStore::hasAlternativeAt(int n) const {
    NodeIndex x = nodeAtPly(n);
    if (x == kNoNode || x == kRootNode) return false;
    return at(x).sibling != kNoNode || at(at(x).parent).next != x;
}

bool RecordStore::applyNodeMove(const MoveNode& n, Position& pos) {
    if (n.isTerminal()) return true;
    int origin = n.from;
    if (n.isDrop()) {
        PieceByte p = dropPiece(n.from);
        origin = findHandSlot(pos, sideOf(p), pieceType(p));
        if (origin == 0) return false;
    }
    return applyMove(pos, origin, n.destination(), n.promotes());
}

void RecordStore::advanceTo(NodeIndex child) {
    m_current = child;
    ++m_currentPly;
    m_slots[0].sideToMove = opponent(m_slots[0].sideToMove);
}

EditResult RecordStore::selectChild(std::uint8_t from, std::uint8_t to) {
    for (NodeIndex c = at(m_current).next; c != kNoNode; c = at(c).sibling) {
        if (at(c).sameMove(from, to)) return stepForward(c);
    }
    return EditResult::NotFound;
}

EditResult RecordStore::stepForward(NodeIndex child) {
    if (child == kNoNode) child = at(m_current).next;
    if (child == kNoNode || child == kRootNode || !isInUse(child) ||
        at(child).parent != m_current) {
        return EditResult::NotFound;
    }
    if (!applyNodeMove(at(child), m_slots[0])) return EditResult::NotFound;
    advanceTo(child);
    return EditResult::Ok;
}

bool RecordStore::backOne() {
    if (m_current == kRootNode) return false;
    const MoveNode& n = at(m_current);
    undoMove(m_slots[0], n.from, n.to, n.piece, n.captured);
    m_current = n.parent;
    --m_currentPly;
    m_slots[0].sideToMove = opponent(m_slots[0].sideToMove);
    return true;
}

void RecordStore::backTo(int n) {
    while (m_currentPly > n && m_currentPly > 0 && backOne()) {
    }
}

EditResult RecordStore::goTo(NodeIndex n) {
    if (!isInUse(n)) return EditResult::NoNode;
    EditResult r = positionAt(n, m_slots[0]);
    if (r != EditResult::Ok) {
        restoreStartPosition(m_slots[0]);
        m_current = kRootNode;
        m_currentPly = 0;
        return r;
    }
    m_current = n;
    m_currentPly = plyOf(n);
    assert(isConsistent());
    return EditResult::Ok;
}

EditResult RecordStore::goToPly(int n) {
    if (nodeAtPly(n) == kNoNode) return EditResult::NoNode;
    while (m_currentPly < n) {
        if (stepForward() != EditResult::Ok) return EditResult::NotFound;
    }
    backTo(n);
    return EditResult::Ok;
}

void RecordStore::restoreStartPosition(Position& pos) const {
    if (m_customStart || !setupHandicap(pos, m_handicap, false)) restoreStart(m_start, pos);
    pos.sideToMove = m_firstMover;
}

EditResult RecordStore::positionAt(NodeIndex n, Position& pos) const {
    if (!isInUse(n)) return EditResult::NoNode;
    std::size_t depth = 0;
    for (NodeIndex x = n; x != kRootNode; x = at(x).parent) m_path[depth++] = x;
    restoreStartPosition(pos);
    while (depth > 0) {
        if (!applyNodeMove(at(m_path[--depth]), pos)) return EditResult::NotFound;
        pos.sideToMove = opponent(pos.sideToMove);
    }
    return EditResult::Ok;
}

int RecordStore::repetitionCount() {
    if (m_currentPly >= capacity()) return 0;
    const Position& now = m_slots[0];
    Position& scratch = m_slots[kRepetitionSlot];
    scratch = now;
    int count = 1;
    int undone = 0;
    for (NodeIndex x = m_current; x != kRootNode; x = at(x).parent) {
        const MoveNode& n = at(x);
        undoMove(scratch, n.from, n.to, n.piece, n.captured);
        ++undone;
        if (undone % 2 == 0 && comparePositions(scratch, now) == 0) ++count;
    }
    return count;
}

// ---- Changing moves ----

std::uint8_t RecordStore::notationHint(std::uint8_t from, std::uint8_t to) const {
    // Slot 0 still shows the position before the move.
    return computeNotationHint(m_slots[0], from, to);
}

AddResult RecordStore::addMove(unsigned kind, PackedMove move, std::uint16_t seconds) {
    const std::uint8_t o = moveOrigin(move);
    const std::uint8_t t = moveDestination(move);
    const bool terminal = isTerminalCode(t);
    const bool suspend = t == terminalByte(TerminalCode::Suspend);
    const Position& pos = m_slots[0];

    // Nothing follows a terminal entry.
    if (m_current != kRootNode && at(m_current).isTerminal()) return AddResult::NoPlace;
    if (suspend && m_currentPly == 0) return AddResult::Ok;

    std::uint8_t from = o;
    PieceByte piece = 0;
    PieceByte captured = 0;
    if (terminal) {
        if (o == 0 && t == 0) from = 1;
        piece = moverOfPly(m_currentPly + 1);
    } else {
        const int dest = t & ~kPromoteFlag;
        if (!isSquare(dest)) return AddResult::NoPlace;
        if (o >= 100) {
            if (!isHandSlot(o) || o >= pos.handEnd) return AddResult::NoPlace;
            piece = pos.cells[o];
            int type = pieceType(piece);
            if (type < kPawn || type > kRook || (t & kPromoteFlag)) return AddResult::NoPlace;
            from = encodeDrop(piece);
        } else {
            if (!isSquare(o)) return AddResult::NoPlace;
            piece = pos.cells[o];
            if (piece == 0) return AddResult::NoPlace;
        }
        captured = pos.cells[static_cast<std::size_t>(dest)];
    }

    MoveNode& parent = at(m_current);
    NodeIndex target = kNoNode;
    NodeIndex elder = kNoNode;  // a new node goes after this alternative, or first when none
    const NodeIndex child = parent.next;
    if (child == kNoNode) {
        // a new first child
    } else if (at(child).to == terminalByte(TerminalCode::Suspend)) {
        target = child;
    } else if (at(child).isTerminal() && terminal) {
        if (suspend) return AddResult::Ok;
        target = child;
    } else if (suspend) {
        // A suspension never cuts off or branches from a continuation.
        return AddResult::Ok;
    } else if (m_options.addMode == AddMode::Overwrite) {
        parent.next = kNoNode;
        freeChain(child);
    } else {
        for (NodeIndex c = child; c != kNoNode; c = at(c).sibling) {
            if (at(c).sameMove(from, t)) {
                target = c;
                break;
            }
            elder = c;
        }
    }

    if (target == kNoNode) {
        target = findFree();
        if (target == kNoNode) return AddResult::CapacityReached;
        m_usedEnd = std::max(m_usedEnd, target + 1);
        MoveNode& fresh = at(target);
        fresh.parent = m_current;
        if (elder == kNoNode) {
            at(m_current).next = target;
        } else {
            at(elder).sibling = target;
        }
    }

    MoveNode& n = at(target);
    n.from = from;
    n.to = t;
    n.piece = piece;
    n.captured = captured;
    if (!(kind & kAddNoNotation)) n.notation = notationHint(o, t);
    if (!(kind & kAddNoSeconds)) n.seconds = seconds;
    if (!terminal || t == terminalByte(TerminalCode::Resign)) m_current = target;
    ++m_dirty;
    assert(treeIsConsistent());
    return AddResult::Ok;
}

AddResult RecordStore::addAndAdvance(unsigned kind, PackedMove move, std::uint16_t seconds) {
    const NodeIndex before = m_current;
    AddResult r = addMove(kind, move, seconds);
    if (r == AddResult::Ok && m_current != before) {
        NodeIndex added = m_current;
        applyNodeMove(at(added), m_slots[0]);
        m_current = before;
        advanceTo(added);
        assert(isConsistent());
    }
    return r;
}

EditResult RecordStore::deleteSubtree(NodeIndex n) {
    if (n == kRootNode || !isInUse(n)) return EditResult::NoNode;
    leaveDoomedLine(n, true);
    MoveNode& parent = at(at(n).parent);
    if (parent.next == n) {
        parent.next = kNoNode;
    } else {
        for (NodeIndex e = parent.next; e != kNoNode; e = at(e).sibling) {
            if (at(e).sibling == n) {
                at(e).sibling = kNoNode;
                break;
            }
        }
    }
    freeChain(n);
    ++m_dirty;
    assert(treeIsConsistent());
    return EditResult::Ok;
}

EditResult RecordStore::deleteAlternative(NodeIndex n) {
    if (n == kRootNode || !isInUse(n)) return EditResult::NoNode;
    leaveDoomedLine(n, false);
    unlink(n);
    freeChain(n);
    ++m_dirty;
    assert(treeIsConsistent());
    return EditResult::Ok;
}

EditResult RecordStore::deleteChildMove(NodeIndex parent, PackedMove move) {
    if (!isInUse(parent)) return EditResult::NoNode;
    for (NodeIndex c = at(parent).next; c != kNoNode; c = at(c).sibling) {
        if (at(c).sameMove(moveOrigin(move), moveDestination(move))) return deleteAlternative(c);
    }
    return EditResult::NotFound;
}

EditResult RecordStore::makeFirstAlternative(NodeIndex n) {
    if (n == kRootNode || !isInUse(n)) return EditResult::NoNode;
    MoveNode& parent = at(at(n).parent);
    if (parent.next == n) return EditResult::Ok;
    unlink(n);
    at(n).sibling = parent.next;
    parent.next = n;
    ++m_dirty;
    assert(treeIsConsistent());
    return EditResult::Ok;
}

EditResult RecordStore::truncateAfter(int n) {
    NodeIndex keep = nodeAtPly(n);
    if (keep == kNoNode) return EditResult::NoNode;
    NodeIndex first = at(keep).next;
    if (first == kNoNode) return EditResult::Ok;
    leaveDoomedLine(first, true);
    at(keep).next = kNoNode;
    freeChain(first);
    ++m_dirty;
    assert(treeIsConsistent());
    return EditResult::Ok;
}

void RecordStore::reset() {
    for (NodeIndex i = 1; i < m_usedEnd; ++i) {
        if (!at(i).isFree()) at(i) = MoveNode{};
    }
    at(kRootNode) = MoveNode{};
    m_freeHint = 1;
    m_usedEnd = 1;
    m_bookmarks.clear();
    m_current = kRootNode;
    m_currentPly = 0;
    ++m_dirty;
    assert(isConsistent());
}

void RecordStore::clearAllTimes() {
    for (MoveNode& n : m_nodes) n.seconds = 0;
    ++m_dirty;
}

EditResult RecordStore::setSeconds(NodeIndex n, std::uint16_t seconds) {
    if (!isInUse(n)) return EditResult::NoNode;
    at(n).seconds = seconds;
    ++m_dirty;
    return EditResult::Ok;
}

// ---- Comments ----

void RecordStore::setComment(MoveNode& n, std::string text) {
    if (text.empty()) {
        n.comment.reset();
    } else if (n.comment) {
        *n.comment = std::move(text);
    } else {
        n.comment = std::make_unique<std::string>(std::move(text));
    }
}

CommentResult RecordStore::appendComment(int ply, std::string_view text) {
    NodeIndex x = nodeAtPly(ply);
    if (x == kNoNode) return CommentResult::NoNode;
    return appendCommentTo(x, text);
}

CommentResult RecordStore::appendCommentTo(NodeIndex x, std::string_view text) {
    if (!isInUse(x)) return CommentResult::NoNode;
    MoveNode& n = at(x);
    const bool newline = text.empty() || text.back() != '\n';
    // The width is never more than the bytes: counted only when the bytes are over the limit.
    std::size_t size = n.commentText().size() + text.size() + (newline ? 1 : 0);
    if (size > kMaxCommentBytes) {
        size = cp932Width(n.commentText()) + cp932Width(text) + (newline ? 1 : 0);
    }
    if (size > kMaxCommentBytes) return CommentResult::TooLong;
    try {
        std::string joined;
        joined.reserve(size);
        joined.append(n.commentText()).append(text);
        if (newline) joined.push_back('\n');
        setComment(n, std::move(joined));
    } catch (const std::bad_alloc&) {
        return CommentResult::OutOfMemory;
    }
    ++m_dirty;
    return CommentResult::Ok;
}

CommentResult RecordStore::replaceComment(int ply, std::string_view text) {
    NodeIndex x = nodeAtPly(ply);
    if (x == kNoNode) return CommentResult::NoNode;
    const bool newline = !text.empty() && text.back() != '\n';
    if (cp932Width(text) + (newline ? 1 : 0) > kMaxCommentBytes) return CommentResult::TooLong;
    try {
        std::string replaced(text);
        if (newline) replaced.push_back('\n');
        setComment(at(x), std::move(replaced));
    } catch (const std::bad_alloc&) {
        return CommentResult::OutOfMemory;
    }
    ++m_dirty;
    return CommentResult::Ok;
}

std::string_view RecordStore::comment(int ply) const {
    NodeIndex x = nodeAtPly(ply);
    return x == kNoNode ? std::string_view() : at(x).commentText();
}

EditResult RecordStore::deleteComment(int ply) {
    NodeIndex x = nodeAtPly(ply);
    if (x == kNoNode) return EditResult::NoNode;
    at(x).comment.reset();
    ++m_dirty;
    return EditResult::Ok;
}

EditResult RecordStore::deleteCommentsFrom(int ply) {
    NodeIndex x = nodeAtPly(ply);
    if (x == kNoNode) return EditResult::NoNode;
    for (; x != kNoNode; x = at(x).next) at(x).comment.reset();
    ++m_dirty;
    return EditResult::Ok;
}

EditResult RecordStore::deleteCommentsBack(int ply) {
    NodeIndex x = nodeAtPly(ply);
    if (x == kNoNode) return EditResult::NoNode;
    for (; x != kNoNode; x = at(x).parent) at(x).comment.reset();
    ++m_dirty;
    return EditResult::Ok;
}

void RecordStore::deleteAllComments() {
    for (MoveNode& n : m_nodes) n.comment.reset();
    ++m_dirty;
}

bool RecordStore::anyComment() const {
    for (const MoveNode& n : m_nodes) {
        if (n.comment && !n.comment->empty()) return true;
    }
    return false;
}

// ---- Times ----

std::uint32_t RecordStore::cumulativeSeconds(NodeIndex n) const {
    if (!isInUse(n)) return 0;
    std::uint32_t sum = 0;
    for (NodeIndex x = n; x != kRootNode;) {
        sum += at(x).seconds;
        NodeIndex p = at(x).parent;
        if (p == kRootNode) break;
        x = at(p).parent;
    }
    return sum;
}

SideByte RecordStore::moverOfPly(int k) const {
    return (k % 2 == 1) ? m_firstMover : opponent(m_firstMover);
}

std::uint32_t RecordStore::sideTotal(SideByte side) const {
    std::uint32_t sum = 0;
    int ply = 1;
    for (NodeIndex x = at(kRootNode).next; x != kNoNode; x = at(x).next, ++ply) {
        if (moverOfPly(ply) == side) sum += at(x).seconds;
    }
    return sum;
}

std::uint32_t RecordStore::totalSeconds() const {
    std::uint32_t sum = at(kRootNode).seconds;
    for (NodeIndex i = 1; i < m_usedEnd; ++i) {
        if (!at(i).isFree()) sum += at(i).seconds;
    }
    return sum;
}

std::string RecordStore::timeUsedText() const {
    const std::uint32_t black = sideTotal(kSideBlack);
    const std::uint32_t white = sideTotal(kSideWhite);
    if (black == 0 && white == 0) return {};
    static const std::string kHours = std::string("時間");
    static const std::string kMinutes = std::string("分");
    static const std::string kSeconds = std::string("秒");
    enum class Form { HoursMinutes, HoursMinutesSeconds, MinutesSeconds };
    Form form = Form::MinutesSeconds;
    if (black % 60 == 0 && white % 60 == 0) {
        form = Form::HoursMinutes;
    } else if (black >= 3600 || white >= 3600) {
        form = Form::HoursMinutesSeconds;
    }
    auto side = [&](std::string_view mark, std::uint32_t total) {
        char buf[16];
        std::string s(mark);
        if (form != Form::MinutesSeconds) {
            std::snprintf(buf, sizeof buf, "%u", static_cast<unsigned>(total / 3600));
            s += buf;
            s += kHours;
            std::snprintf(buf, sizeof buf, "%02u", static_cast<unsigned>(total % 3600 / 60));
        } else {
            std::snprintf(buf, sizeof buf, "%u", static_cast<unsigned>(total / 60));
        }
        s += buf;
        s += kMinutes;
        if (form != Form::HoursMinutes) {
            std::snprintf(buf, sizeof buf, "%02u", static_cast<unsigned>(total % 60));
            s += buf;
            s += kSeconds;
        }
        return s;
    };
    return side(kMarkBlack, black) + side(kMarkWhite, white);
}

void RecordStore::fillTimeUsed() {
    std::string text = timeUsedText();
    if (!text.empty()) setHeader(HeaderField::TimeUsed, text);
}

// ---- Bookmarks ----

BookmarkResult RecordStore::setBookmark(NodeIndex n, std::string_view name) {
    if (!isInUse(n)) return BookmarkResult::NoNode;
    BookmarkResult r = m_bookmarks.set(n, name, m_options.duplicateBookmarkNames);
    if (r == BookmarkResult::Ok) ++m_dirty;
    assert(treeIsConsistent());
    return r;
}

bool RecordStore::deleteBookmarkAt(int i) {
    bool done = m_bookmarks.eraseAt(i);
    if (done) ++m_dirty;
    return done;
}

bool RecordStore::deleteBookmarkOf(NodeIndex n) {
    bool done = m_bookmarks.eraseOf(n);
    if (done) ++m_dirty;
    return done;
}

bool RecordStore::deleteBookmarkByName(std::string_view name) {
    bool done = m_bookmarks.eraseByName(name);
    if (done) ++m_dirty;
    return done;
}

bool RecordStore::moveBookmark(int from, int to) {
    bool done = m_bookmarks.move(from, to);
    if (done && from != to) ++m_dirty;
    return done;
}

void RecordStore::clearBookmarks() {
    m_bookmarks.clear();
    ++m_dirty;
}

void RecordStore::saveBookmarks() { m_savedBookmarks = m_bookmarks; }

void RecordStore::restoreBookmarks() {
    m_bookmarks.clear();
    for (const Bookmark& b : m_savedBookmarks.entries()) {
        // Duplicates allowed and no more entries than the saved table held: cannot fail.
        if (isInUse(b.node)) (void)m_bookmarks.set(b.node, b.name, true);
    }
    ++m_dirty;
    assert(treeIsConsistent());
}

// ---- Header, players, start ----

const std::string& RecordStore::header(HeaderField field) const {
    return m_header[static_cast<std::size_t>(field)];
}

void RecordStore::setHeader(HeaderField field, std::string_view text) {
    m_header[static_cast<std::size_t>(field)].assign(
        cutToBytes(firstLine(text), kHeaderFieldBytes));
    ++m_dirty;
}

void RecordStore::clearHeader() {
    for (std::string& h : m_header) h.clear();
    for (std::string& p : m_players) p.clear();
    ++m_dirty;
}

const std::string& RecordStore::playerName(PlayerField field) const {
    return m_players[static_cast<std::size_t>(field)];
}

void RecordStore::setPlayerName(PlayerField field, std::string_view name) {
    const std::size_t limit = (field == PlayerField::Black || field == PlayerField::White)
                                  ? kPlayerNameBytes
                                  : kShortNameBytes;
    m_players[static_cast<std::size_t>(field)].assign(cutToBytes(firstLine(name), limit));
    ++m_dirty;
}

void RecordStore::setFirstMover(SideByte side) {
    m_firstMover = side == kSideBlack ? kSideBlack : kSideWhite;
    ++m_dirty;
}

void RecordStore::setHandicap(HandicapType type) {
    m_handicap = (type >= 0 && type < kHandicapCount) ? type : kHandicapUnknown;
    ++m_dirty;
}

void RecordStore::setCustomStart(bool on) {
    m_customStart = on;
    ++m_dirty;
}

void RecordStore::setFlipped(bool on) {
    m_flipped = on;
    ++m_dirty;
}

void RecordStore::saveStartPosition(const Position& pos) {
    m_start = saveStart(pos);
    ++m_dirty;
}

void RecordStore::setReadingError(std::string_view text) { m_readingError.assign(firstLine(text)); }

}  // namespace core
