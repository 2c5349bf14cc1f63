// The one game record a program has open: header fields, players, start position, and the tree
// of moves with variations, times, comments and bookmarks. The store owns its node array (fixed
// capacity, allocated once), every comment, the bookmark tables and the position slots: slot 0
// is the position shown at `current`, the others are scratch. Positions are never stored per
// move; any node's position is replayed from the start.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/record/bookmark_table.h"
#include "core/rules/move_node.h"
#include "core/rules/position.h"

namespace core {

inline constexpr int kDefaultRecordCapacity = 5000;
// The largest capacity a store takes: far beyond any real record, small enough that a store
// filled to it fits in memory (about 50 MB).
inline constexpr int kMaxRecordCapacity = 1000000;
inline constexpr std::size_t kHeaderFieldBytes = 100;
inline constexpr std::size_t kPlayerNameBytes = 79;
inline constexpr std::size_t kShortNameBytes = 255;

// Scratch slot the repetition count replays backwards in.
inline constexpr int kRepetitionSlot = 1;

// "棋譜追加モード": what a move entered where the record already continues does. A settings code:
// as wide as the number a settings file may hold, so that any value is kept as read.
enum class AddMode : int {
    Overwrite = 0,  // the old continuation and its alternatives are discarded
    Branch = 1,     // a differing move becomes a new alternative
};

// The settings the store consults; the owner passes them in and may change them later.
struct RecordOptions {
    AddMode addMode = AddMode::Branch;
    bool duplicateBookmarkNames = false;  // "しおり名重複許容"
};

// Bits of addMove's `kind`: what the caller wants left out.
inline constexpr unsigned kAddStoreAll = 0;
inline constexpr unsigned kAddNoNotation = 1;  // leave the notation hint at 0
inline constexpr unsigned kAddNoSeconds = 2;   // leave `seconds` as it was (0 for a new node)

enum class [[nodiscard]] AddResult : int{
    Ok = 0,
    NoPlace = -1,         // the move cannot be stored here (after a terminal entry, bad bytes)
    CapacityReached = -2  // no free node; the record is unchanged
};

enum class [[nodiscard]] CommentResult : int{
    Ok = 0, OutOfMemory = -1,
    TooLong = -3,  // the comment would exceed kMaxCommentBytes; it stays as it was
    NoNode = -4,   // no node at that ply
};

enum class [[nodiscard]] EditResult : int{
    Ok = 0,
    NotFound = -1,  // no such move or alternative
    NoNode = -4,    // the node index or ply names no node in use
};

// The 20 fixed header fields, then the 5 user-defined ones.
enum class HeaderField : std::uint8_t {
    StartDateTime,
    EndDateTime,
    Title,
    Event,
    Opening,
    TimeLimit,
    TimeUsed,
    Place,
    PublishedIn,
    WorkNumber,
    WorkName,
    Author,
    Magazine,
    PublicationDate,
    Source,
    Completeness,
    Classification,
    Award,
    MoveCount,
    Remarks,
    User1,
    User2,
    User3,
    User4,
    User5,
};
inline constexpr int kFixedHeaderFieldCount = 20;
inline constexpr int kUserHeaderFieldCount = 5;
inline constexpr int kHeaderFieldCount = kFixedHeaderFieldCount + kUserHeaderFieldCount;

// The KIF key of a fixed field without its colon ("開始日時", "表題" ...), CP932; empty for the
// user fields, whose keys are settings.
const std::string& headerKeyword(HeaderField field);

enum class PlayerField : std::uint8_t {
    Black,       // 先手 (下手 in a handicap game), up to kPlayerNameBytes
    White,       // 後手 (上手), up to kPlayerNameBytes
    BlackShort,  // 先手省略名, up to kShortNameBytes
    WhiteShort,  // 後手省略名, up to kShortNameBytes
};

class RecordStore {
public:
    // A capacity below 1 means kDefaultRecordCapacity, one above kMaxRecordCapacity means
    // kMaxRecordCapacity. The capacity counts the root: a store of 5000 nodes holds 4999 moves
    // and alternatives. Node storage grows as moves are added, so a large capacity costs nothing
    // until it is used; a node's index never changes, but adding a move may move the nodes in
    // memory (references to them do not survive addMove).
    explicit RecordStore(int capacity = kDefaultRecordCapacity, RecordOptions options = {});
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    const RecordOptions& options() const { return m_options; }
    void setAddMode(AddMode mode) { m_options.addMode = mode; }
    void setDuplicateBookmarkNames(bool allow) { m_options.duplicateBookmarkNames = allow; }

    int capacity() const { return m_capacity; }
    // The node at index i (a free node reads as free; see isInUse).
    // REQUIRES: 0 <= i < capacity()
    const MoveNode& node(NodeIndex i) const {
        assert(i >= 0 && i < m_capacity);
        return validIndex(i) ? at(i) : kFreeNode;
    }
    // Whether i is the root or an allocated node; any i may be asked.
    bool isInUse(NodeIndex i) const;

    NodeIndex current() const { return m_current; }
    int currentPly() const { return m_currentPly; }

    // Position slot 0, the position at `current`; slots 1.. are scratch.
    Position& position() { return m_slots[0]; }
    const Position& position() const { return m_slots[0]; }
    // REQUIRES: 0 <= i < kPositionSlotCount
    Position& slot(int i) {
        assert(i >= 0 && i < kPositionSlotCount);
        return m_slots[i];
    }

    // Whether the tree and the store's bookkeeping hold together: every node in use hangs below
    // the root through `next` and `sibling` with its `parent` pointing back, free nodes carry
    // nothing, `current` is in use at `currentPly`, the allocation marks and the bookmarks agree
    // with the nodes. One pass over the nodes held; asserted after every change of the tree
    // (Debug builds) and called by the tests.
    bool isConsistent() const;

    // Modification counter: every change adds 1; readers and writers reset it.
    std::uint32_t dirty() const { return m_dirty; }
    void markClean() { m_dirty = 0; }
    void markDirty() { ++m_dirty; }

    // ---- Navigation (on the line through `current`) ----

    // 0 -> root, currentPly -> current, deeper along `next`, shallower along parents; kNoNode
    // when the line is shorter or n < 0.
    NodeIndex nodeAtPly(int n) const;
    NodeIndex parentOf(NodeIndex node) const;
    // Ply of a node in use (0 for the root), -1 otherwise.
    int plyOf(NodeIndex node) const;
    // Ply of the last node on the line through `current`.
    int lineEnd() const;
    // As lineEnd, but the ply before the first terminal entry of the line.
    int lineEndOfMoves() const;
    // Real moves (destination above 10) in the whole tree.
    int moveCount() const;
    // Whether any node of the main line has an alternative.
    bool hasVariations() const;
    // Whether the node or one of its ancestors is not the first child of its parent.
    bool isInVariation(NodeIndex node) const;
    // 1-based place of the node among its parent's alternatives; 0 for the root or a free node.
    int alternativeIndex(NodeIndex node) const;
    // Whether the node at ply n has a younger alternative or is not the first one.
    bool hasAlternativeAt(int n) const;

    // Steps slot 0 forward to the child of `current` whose move is (from, to) in stored form.
    [[nodiscard]] EditResult selectChild(std::uint8_t from, std::uint8_t to);
    // Steps slot 0 forward to `child` (the first child when kNoNode): applies its move, makes it
    // current, increases currentPly and flips the side to move. Fails when child is not a child
    // of `current`.
    [[nodiscard]] EditResult stepForward(NodeIndex child = kNoNode);
    // Undoes the move of `current` on slot 0 and makes its parent current. False at the root.
    bool backOne();
    // backOne while currentPly > n and > 0.
    void backTo(int n);
    // Makes `node` current with slot 0 showing its position (replayed from the start).
    [[nodiscard]] EditResult goTo(NodeIndex node);
    // goTo the node at ply n of the current line.
    [[nodiscard]] EditResult goToPly(int n);

    // Sets pos to the start position: the snapshot when customStart (or for handicap types 14,
    // 15, which have no set-up of their own), else the handicap's set-up; firstMover to move.
    void restoreStartPosition(Position& pos) const;
    // Replays the position at `node` into pos from the start. NoNode when node is not in use;
    // NotFound when a move of the path cannot be made on the board (pos then holds the position
    // reached before it).
    [[nodiscard]] EditResult positionAt(NodeIndex node, Position& pos) const;
    // Applies a node's move to pos (a drop from the first hand slot holding that piece); terminal
    // entries change nothing. False when the move cannot be made.
    static bool applyNodeMove(const MoveNode& n, Position& pos);

    // Times the position at `current` has occurred with the same side to move, counted by
    // replaying backwards to the root in kRepetitionSlot: 1 + the earlier equal positions. 0 when
    // currentPly has reached the capacity. 4 or more is a repetition draw.
    int repetitionCount();

    // ---- Changing moves ----

    // Stores `move` after `current`. Drops are given by their hand slot and stored encoded;
    // terminal codes follow the 中断 rules. A real move and 投了 become current; slot 0,
    // currentPly and the side to move are left to the caller (see addAndAdvance). kind holds
    // kAdd* bits.
    AddResult addMove(unsigned kind, PackedMove move, std::uint16_t seconds);
    // addMove, then, when the stored node became current, applies it to slot 0, increases
    // currentPly and flips the side to move.
    AddResult addAndAdvance(unsigned kind, PackedMove move, std::uint16_t seconds);

    // Frees the node, its continuation and its younger alternatives (with their comments and
    // bookmarks) and unlinks it from the tree. When `current` was among them, slot 0 steps back
    // to the nearest surviving ancestor. The root cannot be deleted.
    [[nodiscard]] EditResult deleteSubtree(NodeIndex node);
    // Unlinks one alternative (first child or later) and frees it with its continuation; its
    // younger alternatives survive.
    [[nodiscard]] EditResult deleteAlternative(NodeIndex node);
    // deleteAlternative of the child of `parent` whose stored (from, to) equal the move's bytes.
    [[nodiscard]] EditResult deleteChildMove(NodeIndex parent, PackedMove move);
    // Makes the node its parent's first child (the main continuation).
    [[nodiscard]] EditResult makeFirstAlternative(NodeIndex node);
    // Deletes every move after ply n of the current line, alternatives at ply n+1 included.
    [[nodiscard]] EditResult truncateAfter(int n);
    // Frees every node and comment and empties the bookmark table; the root becomes current.
    // Slot 0, the header and the start position are left alone.
    void reset();

    void clearAllTimes();
    [[nodiscard]] EditResult setSeconds(NodeIndex node, std::uint16_t seconds);

    // ---- Comments (by ply on the current line) ----

    // Appends text (plus "\n" when it does not end with one) to the comment at ply n.
    CommentResult appendComment(int n, std::string_view text);
    // The same for a node given by its index.
    CommentResult appendCommentTo(NodeIndex node, std::string_view text);
    // Replaces the comment at ply n; an empty text deletes it.
    CommentResult replaceComment(int n, std::string_view text);
    // Empty when the ply has no node or no comment.
    std::string_view comment(int n) const;
    [[nodiscard]] EditResult deleteComment(int n);
    // From ply n along `next` to the end of the line.
    [[nodiscard]] EditResult deleteCommentsFrom(int n);
    // From ply n back to the root.
    [[nodiscard]] EditResult deleteCommentsBack(int n);
    void deleteAllComments();
    bool anyComment() const;

    // ---- Times ----

    // seconds of the node and of every second ancestor (the same side's moves), root excluded.
    std::uint32_t cumulativeSeconds(NodeIndex node) const;
    // Along the main line, the seconds of the moves played by `side`.
    std::uint32_t sideTotal(SideByte side) const;
    std::uint32_t totalSeconds() const;
    // The "消費時間" text from the two side totals; empty when both are 0.
    std::string timeUsedText() const;
    // Stores timeUsedText() in the time-used field unless it is empty.
    void fillTimeUsed();

    // ---- Bookmarks ----

    BookmarkResult setBookmark(NodeIndex node, std::string_view name);
    // Table index of the node's bookmark, -1 if none.
    int bookmarkOf(NodeIndex node) const { return m_bookmarks.indexOf(node); }
    // Node of the first bookmark with that name, -1 if none.
    NodeIndex bookmarkByName(std::string_view name) const { return m_bookmarks.nodeByName(name); }
    const Bookmark* bookmarkAt(int i) const { return m_bookmarks.at(i); }
    int bookmarkCount() const { return m_bookmarks.count(); }
    bool deleteBookmarkAt(int i);
    bool deleteBookmarkOf(NodeIndex node);
    bool deleteBookmarkByName(std::string_view name);
    bool moveBookmark(int from, int to);
    void clearBookmarks();
    // Copies the table aside / back (the bookmark dialog's cancel). Entries whose node has been
    // freed since are not restored.
    void saveBookmarks();
    void restoreBookmarks();

    // ---- Header, players, start ----

    const std::string& header(HeaderField field) const;
    // Stores the text up to its first line break, cut to kHeaderFieldBytes.
    void setHeader(HeaderField field, std::string_view text);
    // Empties the header fields and the player names.
    void clearHeader();
    const std::string& playerName(PlayerField field) const;
    void setPlayerName(PlayerField field, std::string_view name);

    SideByte firstMover() const { return m_firstMover; }
    void setFirstMover(SideByte side);
    // The side that plays ply k (k >= 1).
    SideByte moverOfPly(int k) const;
    HandicapType handicap() const { return m_handicap; }
    void setHandicap(HandicapType type);
    bool customStart() const { return m_customStart; }
    void setCustomStart(bool on);
    bool flipped() const { return m_flipped; }
    void setFlipped(bool on);
    const StartSnapshot& startSnapshot() const { return m_start; }
    // Saves pos (slot 0 by default) as the start position.
    void saveStartPosition(const Position& pos);
    void saveStartPosition() { saveStartPosition(m_slots[0]); }

    const std::string& readingError() const { return m_readingError; }
    void setReadingError(std::string_view text);

private:
    // REQUIRES: validIndex(i)
    MoveNode& at(NodeIndex i) {
        assert(validIndex(i));
        return m_nodes[static_cast<std::size_t>(i)];
    }
    const MoveNode& at(NodeIndex i) const {
        assert(validIndex(i));
        return m_nodes[static_cast<std::size_t>(i)];
    }
    // Whether node storage holds index i yet (every index of capacity() once it has grown).
    bool validIndex(NodeIndex i) const { return i >= 0 && i < allocated(); }
    NodeIndex allocated() const { return static_cast<NodeIndex>(m_nodes.size()); }

    // A free node, growing the storage when every node held is in use; kNoNode when the
    // capacity is reached (or memory for more nodes cannot be had).
    NodeIndex findFree();
    // Enlarges node storage (and the scratch arrays sized with it) towards the capacity.
    bool grow();
    void freeNode(NodeIndex i);
    // Frees i, its `next` subtree and its younger alternatives (links not cleaned above i).
    void freeChain(NodeIndex i);
    // Removes i from its parent's child list; its younger alternatives stay linked.
    void unlink(NodeIndex i);
    // isConsistent but for `currentPly`, which addMove leaves to its caller.
    bool treeIsConsistent() const;
    // Whether `node` is `ancestor` or lies below it.
    bool isAncestorOrSelf(NodeIndex ancestor, NodeIndex node) const;
    // Before a deletion: when current lies in what will be freed, steps slot 0 back to `keep`.
    void leaveDoomedLine(NodeIndex firstDoomed, bool withYoungerSiblings);
    void advanceTo(NodeIndex child);
    std::uint8_t notationHint(std::uint8_t from, std::uint8_t to) const;
    void setComment(MoveNode& n, std::string text);

    static const MoveNode kFreeNode;

    RecordOptions m_options;
    int m_capacity = kDefaultRecordCapacity;
    std::vector<MoveNode> m_nodes;
    // Lowest index that may be free: every node in 1..m_freeHint-1 is in use.
    NodeIndex m_freeHint = 1;
    // One past the highest node allocated since the last reset: reset clears no further.
    NodeIndex m_usedEnd = 1;
    // Scratch for replaying a path and walking subtrees, as long as m_nodes.
    mutable std::vector<NodeIndex> m_path;
    std::vector<NodeIndex> m_stack;
    NodeIndex m_current = kRootNode;
    int m_currentPly = 0;
    std::uint32_t m_dirty = 0;

    PositionSlots m_slots;
    StartSnapshot m_start;
    SideByte m_firstMover = kSideBlack;
    HandicapType m_handicap = kHandicapEven;
    bool m_customStart = false;
    bool m_flipped = false;

    std::array<std::string, kHeaderFieldCount> m_header;
    std::array<std::string, 4> m_players;
    BookmarkTable m_bookmarks;
    BookmarkTable m_savedBookmarks;
    std::string m_readingError;
};

}  // namespace core
