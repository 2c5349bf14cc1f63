// The tree pane's decisions, without widgets: the sources it reads (a database with its tree
// index, an opening book), the rows for the position on the board (the database's moves with the
// book's beside them), their order, what a click plays and what a double click opens, and the
// queue of tree requests that keeps at most one computing on the worker while the board steps on.
// The sources are read-only once opened and shared with the worker; the pane owns the state.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/record/record_store.h"
#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/tree/opening_book.h"
#include "dalmir/model/tree/opening_tree.h"
#include "dalmir/model/tree/tree_index.h"

namespace tavrel {

// A database opened for trees, with its tree index when that is up to date.
class TreeDatabase {
public:
    enum class [[nodiscard]] OpenResult : int{Ok = 0, NotDatabase = -1, CannotOpen = -2};

    // Opens the file (DLB, KIX or DLS; a DLS reads its records' files for their main lines).
    // message: the error to show, or the notices of an index that was not used.
    static std::shared_ptr<const TreeDatabase> open(const std::string& fsPath, OpenResult& result,
                                                    std::string& message);

    const dalmir::model::Database& database() const { return m_db; }
    const dalmir::model::TreeIndex* treeIndex() const { return m_index.get(); }
    const std::string& path() const { return m_path; }
    // The evaluations an analysis stored beside the database; null when none.
    const dalmir::model::EvaluationStore* evaluations() const { return m_evaluations.get(); }

private:
    TreeDatabase() = default;
    dalmir::model::Database m_db;
    std::shared_ptr<const dalmir::model::EvaluationStore> m_evaluations;
    std::shared_ptr<const dalmir::model::TreeIndex> m_index;
    std::string m_path;
};

struct TreePaneRow {
    std::string usi;
    std::string notation;
    int count = 0;  // records of the database; 0 for a move only the book has
    int blackWins = 0;
    int whiteWins = 0;
    int draws = 0;
    int other = 0;
    dalmir::model::IndexDate lastDate;
    std::string bestPath;  // file-system path of the record to open; empty when none
    int bestPly = 0;
    int bookCount = -1;  // the book's count; -1 when the book does not have the move
    int bookValue = 0;
    // The stored score of the position the move leads to, for the side that plays it.
    std::optional<int> stored;
    // Black's score: wins and half the draws over the decided and drawn games; -1 without any.
    double blackScore() const;
};

enum class TreeColumn : int {
    Move,
    Count,
    BlackScore,
    BlackWins,
    WhiteWins,
    Draws,
    Other,
    LastDate,
    Book,
    Record,      // the file name of the record a double click opens
    Evaluation,  // the stored score of where the move leads
    ColumnCount
};

// The computed tree of one position.
struct TreePaneResult {
    uint64_t generation = 0;
    std::vector<TreePaneRow> rows;
    int records = 0;  // every record at the position
    int ended = 0;    // of them, those that end there
};

// Computes the rows of a position from the sources (either may be null). Runs on the worker.
TreePaneResult computeTreeRows(const TreeDatabase* db, const dalmir::model::OpeningBook* book,
                               const dalmir::model::ReplayBoard& board);

// The position a record shows as the tree pane looks it up.
dalmir::model::ReplayBoard boardOfStore(const core::RecordStore& store);

// Plays a move (USI) from the record's current position: the record's own next move when it is
// the same, else a new alternative where the record goes on, else the next move of the line.
// The move becomes current. False when it can't be played there.
bool playTreeMove(core::RecordStore& store, const std::string& usi);

class TreePaneState {
public:
    // A new position to show. Returns the generation to compute now, or nullopt when a
    // computation is running: the latest position then waits and follows it.
    std::optional<uint64_t> request(const dalmir::model::ReplayBoard& board);
    // The board of a generation handed out by request or finish.
    const dalmir::model::ReplayBoard& board() const { return m_board; }
    // A computation ended. Returns true when its rows are the ones to show (the latest
    // position); next: the generation to compute now, when a position waited.
    bool finish(TreePaneResult result, std::optional<uint64_t>& next);
    // Forgets the rows and any waiting position (the sources changed): the next request
    // computes.
    void clear();

    const std::vector<TreePaneRow>& rows() const { return m_rows; }
    int records() const { return m_records; }
    int ended() const { return m_ended; }
    bool busy() const { return m_running; }

    // Sorts the rows by a column (numbers descending first when `descending`); ties by count,
    // then by the USI text. Kept for the rows that come later.
    void sortBy(TreeColumn column, bool descending);
    TreeColumn sortColumn() const { return m_column; }
    bool sortDescending() const { return m_descending; }

    // The text of a cell, as the table shows it.
    std::string cellText(int row, TreeColumn column) const;
    // The status line: "局数 %d（終局 %d）" or "計算中..." while computing.
    std::string statusText() const;

    // The move a click on the row plays (USI), or nullopt.
    std::optional<std::string> moveAt(int row) const;
    struct RecordToOpen {
        std::string fsPath;
        int ply = 0;
    };
    // The record a double click opens, or nullopt when the row has none.
    std::optional<RecordToOpen> recordAt(int row) const;

private:
    void sortRows();

    dalmir::model::ReplayBoard m_board;
    uint64_t m_generation = 0;
    bool m_running = false;
    bool m_waiting = false;
    std::vector<TreePaneRow> m_rows;
    int m_records = 0;
    int m_ended = 0;
    TreeColumn m_column = TreeColumn::Count;
    bool m_descending = true;
};

}  // namespace tavrel
