// Opening books made from a database's records, and read back: the positions of the first plies
// of the listed records with the moves played there and how often, in the text book format that
// shogi engines read ("#YANEURAOU-DB2016 1.00"; a "sfen BOARD SIDE HANDS PLY" line per position,
// the positions ascending by their SFEN without the ply, each followed by lines
// "MOVE PONDER VALUE DEPTH COUNT"). The book owns its positions.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/list_replay.h"

namespace dalmir::model {

inline constexpr std::string_view kBookHeader = "#YANEURAOU-DB2016 1.00";

struct BookMove {
    ListMove move;
    bool hasPonder = false;
    ListMove ponder;  // the reply the book plays most after move, when it has one
    int value = 0;    // evaluation; 0 where none is known
    int depth = 0;
    int count = 0;
};

struct BookPosition {
    ReplayBoard board;
    int moveNumber = 1;  // the SFEN move number (ply + 1) of its first visit
    // The most played first, then by the move's USI text.
    std::vector<BookMove> moves;
};

enum class BookSide : uint8_t { Both, Black, White };

struct BookOptions {
    int maxPly = 40;                 // positions up to this ply (moves 1..maxPly)
    int minCount = 1;                // fewest records a move needs
    BookSide side = BookSide::Both;  // whose moves go into the book
    bool winnerOnly = false;         // only the winner's moves of decided games
    HeaderCriteria header;           // the records counted, as 条件検索 picks them
    // Fills in the value and depth of each move of a position (given as the board of its SFEN
    // key), from stored evaluations say; none leaves them 0.
    std::function<void(const ReplayBoard& board, std::span<BookMove> moves)> evaluate;
};

struct OpeningBook {
    // By the SFEN without its move number: the order the file is written in.
    std::map<std::string, BookPosition> positions;

    // The position of a board, or null.
    const BookPosition* find(const ReplayBoard& board) const;
    // Total of the moves of all positions.
    std::size_t moveCount() const;
};

// The book of the given slots' main lines. A record adds each position of its first maxPly
// plies once (at its first visit), with the move it played there.
OpeningBook makeBook(const Database& db, const std::vector<int32_t>& slots,
                     const BookOptions& options);

// The book as text (LF line ends).
std::string bookText(const OpeningBook& book);

// How a book too large to hold is made: the moves of the records are sorted in chunks of
// chunkBytes, each written to a temporary file in folder (empty: TMPDIR) that is gone when the
// making ends, however it ends.
struct BookSpill {
    std::string folder;
    std::size_t chunkBytes = std::size_t{32} << 20;
    std::function<bool()> cancelled;  // asked now and then; true stops the making
};

struct BookStreamResult {
    // Ok; CannotCreate or WriteFailed (a temporary file or the book), problem says what;
    // Cancelled.
    core::WriteResult result = core::WriteResult::Ok;
    std::string problem;
    std::size_t positions = 0;
    std::size_t moves = 0;
};

// The text bookText(makeBook(db, slots, options)) gives, made in a bounded amount of memory
// (a few chunks) and handed to sink piece by piece in order. sink returns false when it could
// not take a piece (WriteFailed).
BookStreamResult streamBook(const Database& db, const std::vector<int32_t>& slots,
                            const BookOptions& options, const BookSpill& spill,
                            const std::function<bool(std::string_view)>& sink);

// streamBook into the file at path, written crash-safe; the temporary files go beside it unless
// spill.folder says where.
BookStreamResult writeBook(const Database& db, const std::vector<int32_t>& slots,
                           const BookOptions& options, const std::string& path,
                           BookSpill spill = {});

struct BookReadReport {
    bool ok = true;
    int line = 0;         // the first line that could not be read (1-based), 0 for none
    std::string problem;  // what was wrong with it (ASCII)
};

// Reads a book from text: every position and move it holds. A line that can't be read stops
// the reading with its number and the problem; what was read before it stays in book.
BookReadReport readBook(std::string_view text, OpeningBook& book);

// The board of an SFEN ("BOARD SIDE HANDS [PLY]", without "sfen "), false for anything else.
bool boardOfSfen(std::string_view sfen, ReplayBoard& board, int* moveNumber = nullptr);

}  // namespace dalmir::model
