// The opening tree of a position: every next move that the records of a database play from it,
// with how often and how those games ended. A record counts where its main line first reaches
// the position (board, hands and side to move), at any ply, so transpositions meet in one tree
// and a record that comes back to the position counts once; a record whose line stops there
// counts in its own "ended here" total. The tree is computed on request from the database's
// move lists; a tree index (tree_index.h) or the position index make that fast.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "dalmir/model/search/search.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/list_replay.h"

namespace dalmir::model {

class TreeIndex;

// A 64-bit key of a position: board, hands and side to move.
uint64_t treeKey(const ReplayBoard& board);
// Whether two boards are the same position: squares, hands and side to move.
bool sameTreePosition(const ReplayBoard& a, const ReplayBoard& b);

// How a game ended, as the tree counts it.
enum class ResultClass : uint8_t { BlackWins, WhiteWins, Draw, Other };
// From the result code of the index: 持将棋 and 千日手 are draws; 中断, none and every other or
// unknown code are Other.
ResultClass resultClassOf(uint8_t result);

// Which records the tree counts: the header filters of 条件検索 (dates, players, handicap ...)
// and the fewest records a row needs to be shown.
struct TreeFilter {
    HeaderCriteria header;
    int minCount = 1;
};
// Whether the criteria ask for anything (else every record passes without a look).
bool asksAnything(const HeaderCriteria& criteria);

// Where one record meets the position: its first visit and what its line does next. next is
// the move played; a closing entry, the end of the list or an element that can't be played
// leave the record "ended here" (hasNext false).
struct TreeHit {
    uint32_t slot = 0;
    uint16_t ply = 0;
    ListMove next;
    bool hasNext = false;
};

// The figures of a row.
struct TreeCounts {
    int count = 0;
    int blackWins = 0;
    int whiteWins = 0;
    int draws = 0;
    int other = 0;
    IndexDate lastDate;  // the latest start date among them ({} when none is known)
    // The record to open for the row: the newest (latest start date; the lower slot on a tie),
    // and the ply where it reaches the position. -1 when the row is empty.
    int bestSlot = -1;
    int bestPly = 0;
    IndexDate bestDate;

    void add(const IndexEntry& entry, int slot, int ply);
};

struct TreeRow : TreeCounts {
    ListMove move;
};

struct OpeningTree {
    // One row per next move with at least the filter's count of records, the most played
    // first, then by the move's USI text.
    std::vector<TreeRow> rows;
    TreeCounts ended;  // records whose line stops at the position
    int records = 0;   // every record counted: the rows (even those below the minimum) and ended
    // The records counted, ascending by slot.
    std::vector<TreeHit> hits;

    // The slots of the records behind a row (those that played move), ascending.
    std::vector<int> recordsOf(ListMove move) const;
    // The slots of the records that ended at the position, ascending.
    std::vector<int> endedRecords() const;
};

// How the hits were found, for the tests and the benchmarks.
enum class TreeSource : uint8_t { TreeIndex, PositionIndex, Scan };

// Computes trees over one database. The database's lists must not change while it is used; the
// tree index, when given, must describe them (TreeIndex::describes).
class TreeMaker {
public:
    explicit TreeMaker(const Database& db, const TreeIndex* index = nullptr)
        : m_db(db), m_index(index) {}

    // The tree of target over the given slots (every slot of the table when null).
    OpeningTree treeOf(const ReplayBoard& target, const TreeFilter& filter,
                       const std::vector<int32_t>* slots = nullptr);
    TreeSource lastSource() const { return m_source; }
    // A flag another thread may set to stop the look at the records; the tree is then partial
    // and the caller drops it.
    void setCancel(const std::atomic<bool>* flag) { m_cancel = flag; }

private:
    bool cancelled() const {
        return m_cancel != nullptr && m_cancel->load(std::memory_order_relaxed);
    }
    void collect(const ReplayBoard& target, std::vector<TreeHit>& out);

    const Database& m_db;
    const TreeIndex* m_index;
    TreeSource m_source = TreeSource::Scan;
    const std::atomic<bool>* m_cancel = nullptr;
};

// The first visit of target along a line from start, or false when the line never reaches it.
bool firstVisit(const ReplayBoard& start, std::span<const ListMove> moves,
                const ReplayBoard& target, TreeHit& hit);

// Gives a text database the main lines of its records, read from their files (a binary
// database holds them already). Returns the slots whose files could not be read; they keep no
// line and so reach no position.
std::vector<int> readMainLines(Database& db);
// The same for these slots only.
std::vector<int> readMainLines(Database& db, std::span<const int32_t> slots);

// The USI text of a list move ("7g7f", "P*5e", "8h2b+"); empty for a closing entry.
std::string usiMoveText(ListMove move);
// The list move of a USI word for the side to move on board, when it can be played there
// (a piece of that side on the origin, a piece of that kind in hand for a drop).
bool listMoveOfUsi(const ReplayBoard& board, std::string_view word, ListMove& out);
// The move as the lists write it ("７六歩(77)", "５五角打").
std::string moveNotation(const ReplayBoard& board, ListMove move);

// The SFEN of a board ("lnsgkgsnl/... b - 1" with the given move number).
std::string boardSfen(const ReplayBoard& board, int moveNumber = 1);

}  // namespace dalmir::model
