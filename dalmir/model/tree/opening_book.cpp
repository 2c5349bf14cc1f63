#include "dalmir/model/tree/opening_book.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "core/base/spill_sort.h"
#include "dalmir/model/tree/opening_tree.h"

namespace dalmir::model {

namespace {

constexpr std::string_view kPieceLetters = "PLNSGBRK";

// The SFEN without its move number: what positions are sorted and found by.
std::string sfenKey(const ReplayBoard& board) {
    std::string s = boardSfen(board, 1);
    return s.substr(0, s.rfind(' '));
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        std::size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
        if (end > at) out.push_back(line.substr(at, end - at));
        at = end;
    }
    return out;
}

bool parseNumber(std::string_view text, long long& out) {
    if (text.empty()) return false;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

// The book's order of a position's moves: the most played first, then by the USI text.
bool playedBefore(const BookMove& a, const BookMove& b) {
    if (a.count != b.count) return a.count > b.count;
    return usiMoveText(a.move) < usiMoveText(b.move);
}

void sortMoves(std::vector<BookMove>& moves) {
    std::sort(moves.begin(), moves.end(), playedBefore);
}

// A position's lines of the book text: "sfen KEY NUMBER", then a line per move.
void appendPositionText(std::string& out, std::string_view key, int moveNumber,
                        std::span<const BookMove> moves) {
    out += "sfen ";
    out += key;
    out += ' ';
    out += std::to_string(moveNumber);
    out += '\n';
    for (const BookMove& m : moves) {
        out += usiMoveText(m.move);
        out += ' ';
        out += m.hasPonder ? usiMoveText(m.ponder) : std::string("none");
        out += ' ' + std::to_string(m.value) + ' ' + std::to_string(m.depth) + ' ' +
               std::to_string(m.count) + '\n';
    }
}

}  // namespace

const BookPosition* OpeningBook::find(const ReplayBoard& board) const {
    auto it = positions.find(sfenKey(board));
    return it == positions.end() ? nullptr : &it->second;
}

std::size_t OpeningBook::moveCount() const {
    std::size_t n = 0;
    for (const auto& [key, p] : positions) n += p.moves.size();
    return n;
}

namespace {

// Counts of (position, move) pairs in a fixed amount of memory: each pair adds one to a cell
// of every row, and its count is the least of its cells, so it is never below the true count
// (other pairs may add to the same cells). Cells stop at their largest value.
class PairCounts {
public:
    // Cells per row: a power of two near the pairs expected, at most 2^23 (4 rows of 16 MB).
    explicit PairCounts(std::size_t pairs) {
        std::size_t width = 1 << 16;
        while (width < pairs && width < (std::size_t{1} << 23)) width <<= 1;
        m_mask = width - 1;
        m_cells.assign(width * kRows, 0);
    }
    void add(uint64_t pair) {
        for (std::size_t r = 0; r < kRows; ++r) {
            uint16_t& c = m_cells[r * (m_mask + 1) + cellOf(pair, r)];
            if (c != UINT16_MAX) ++c;
        }
    }
    int count(uint64_t pair) const {
        int least = UINT16_MAX;
        for (std::size_t r = 0; r < kRows; ++r) {
            least = std::min<int>(least, m_cells[r * (m_mask + 1) + cellOf(pair, r)]);
        }
        return least;
    }

private:
    static constexpr std::size_t kRows = 4;
    std::size_t cellOf(uint64_t pair, std::size_t row) const {
        uint64_t x = pair + 0x9E3779B97F4A7C15ULL * (row + 1);
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
        return static_cast<std::size_t>(x ^ (x >> 31)) & m_mask;
    }
    std::vector<uint16_t> m_cells;
    std::size_t m_mask = 0;
};

uint64_t pairKey(uint64_t position, ListMove move) {
    return position * 0x100000001B3ULL ^ (uint64_t{move.origin} << 8 | move.destination);
}

}  // namespace

// Calls visit(slot, ply, position key, move, key of the position after it) for each move a book
// takes from the listed records: at the first visit of each position of a record's first plies,
// of the wanted side (the winner only when asked). visit returns false to stop the walk, and
// so does walkBook.
template <class Visit>
bool walkBook(const Database& db, const std::vector<int32_t>& slots, const BookOptions& options,
              Visit&& visit) {
    const IndexTable& table = db.table();
    const MoveList& lists = db.lists();
    const bool header = asksAnything(options.header);
    const auto maxPly = static_cast<std::size_t>(std::max(options.maxPly, 0));
    std::unordered_set<uint64_t> seen;
    for (int32_t slot : slots) {
        if (slot < 0 || slot >= table.size()) continue;
        const IndexEntry& e = table.entry(slot);
        if (header && !matchesHeader(e, options.header)) continue;
        std::optional<core::SideByte> winner;
        if (options.winnerOnly) {
            const ResultClass r = resultClassOf(e.result);
            if (r != ResultClass::BlackWins && r != ResultClass::WhiteWins) continue;
            winner = r == ResultClass::BlackWins ? core::kSideBlack : core::kSideWhite;
        }
        ReplayBoard board;
        if (!startBoard(e.handicap, board)) continue;
        const std::span<const ListMove> moves =
            slot < lists.size() ? lists.list(slot) : std::span<const ListMove>{};
        seen.clear();
        ReplayStep step;
        uint64_t key = treeKey(board);
        for (std::size_t ply = 0; ply < moves.size() && ply < maxPly; ++ply) {
            const ListMove m = moves[ply];
            if (m.isClosing()) break;
            ReplayBoard after = board;
            if (!playListMove(after, m, step)) break;
            const uint64_t next = treeKey(after);
            const core::SideByte mover = board.sideToMove;
            const bool sideWanted =
                options.side == BookSide::Both ||
                (options.side == BookSide::Black) == (mover == core::kSideBlack);
            if (seen.insert(key).second && sideWanted && (!winner || *winner == mover)) {
                if (!visit(slot, static_cast<int>(ply), key, m, next)) return false;
            }
            board = after;
            key = next;
        }
    }
    return true;
}

OpeningBook makeBook(const Database& db, const std::vector<int32_t>& slots,
                     const BookOptions& options) {
    const IndexTable& table = db.table();
    const MoveList& lists = db.lists();
    const auto maxPly = static_cast<std::size_t>(std::max(options.maxPly, 0));
    auto walk = [&](auto&& visit) { (void)walkBook(db, slots, options, visit); };
    // A position keeps where it was first reached (the record and ply, to set its board up
    // again at the end) rather than its board, and its first move in place: most positions of
    // a large collection are reached by one record.
    struct Gathered {
        int32_t slot = -1;
        uint16_t ply = 0;
        ListMove first;
        int firstCount = 0;
        std::vector<std::pair<ListMove, int>> more;
    };
    const int least = std::max(options.minCount, 1);
    // With a minimum above one, a first walk counts the moves in fixed memory and the second
    // keeps only the positions of moves that may reach it, so memory follows the book, not
    // every position the records pass.
    std::optional<PairCounts> counts;
    if (least > 1) {
        counts.emplace(slots.size() * std::min<std::size_t>(maxPly, 64));
        walk([&](int32_t, int, uint64_t key, ListMove m, uint64_t) {
            counts->add(pairKey(key, m));
            return true;
        });
    }
    const int threshold = std::min(least, static_cast<int>(UINT16_MAX));
    std::unordered_map<uint64_t, Gathered> gathered;
    walk([&](int32_t slot, int ply, uint64_t key, ListMove m, uint64_t) {
        if (counts && counts->count(pairKey(key, m)) < threshold) return true;
        Gathered& g = gathered[key];
        if (g.slot < 0 || ply < g.ply) {
            g.slot = slot;
            g.ply = static_cast<uint16_t>(ply);
        }
        if (g.firstCount == 0 || g.first == m) {
            g.first = m;
            ++g.firstCount;
            return true;
        }
        auto it =
            std::find_if(g.more.begin(), g.more.end(), [&](const auto& p) { return p.first == m; });
        if (it == g.more.end()) {
            g.more.emplace_back(m, 1);
        } else {
            ++it->second;
        }
        return true;
    });

    // A position's move number is that of its earliest visit, whichever move followed it.
    if (counts) {
        walk([&](int32_t slot, int ply, uint64_t key, ListMove, uint64_t) {
            auto it = gathered.find(key);
            if (it != gathered.end() && ply < it->second.ply) {
                it->second.slot = slot;
                it->second.ply = static_cast<uint16_t>(ply);
            }
            return true;
        });
    }

    OpeningBook book;
    for (auto& [key, g] : gathered) {
        BookPosition p;
        p.moveNumber = g.ply + 1;
        auto take = [&](ListMove move, int count) {
            if (count < least) return;
            BookMove bm;
            bm.move = move;
            bm.count = count;
            p.moves.push_back(bm);
        };
        take(g.first, g.firstCount);
        for (const auto& [move, count] : g.more) take(move, count);
        if (p.moves.empty()) continue;
        // The board where the record first reached it: its line replayed to that ply.
        if (!startBoard(table.entry(g.slot).handicap, p.board)) continue;
        const std::span<const ListMove> moves = lists.list(g.slot);
        ReplayStep step;
        for (std::size_t k = 0; k < g.ply; ++k) (void)playListMove(p.board, moves[k], step);
        sortMoves(p.moves);
        book.positions.emplace(sfenKey(p.board), std::move(p));
    }
    // The reply expected after each move: the book's most played move in the position it leads
    // to.
    for (auto& [key, p] : book.positions) {
        for (BookMove& m : p.moves) {
            ReplayBoard after = p.board;
            ReplayStep step;
            if (!playListMove(after, m.move, step)) continue;
            if (const BookPosition* next = book.find(after)) {
                m.hasPonder = true;
                m.ponder = next->moves.front().move;
            }
        }
        if (options.evaluate) options.evaluate(p.board, p.moves);
    }
    return book;
}

std::string bookText(const OpeningBook& book) {
    std::string out(kBookHeader);
    out += '\n';
    for (const auto& [key, p] : book.positions) appendPositionText(out, key, p.moveNumber, p.moves);
    return out;
}

namespace {

// Big-endian numbers in the sorted records, so that their bytes sort as the numbers do.
void putNumber(std::string& out, uint64_t v, int bytes) {
    for (int k = bytes - 1; k >= 0; --k) out += static_cast<char>((v >> (8 * k)) & 0xFF);
}

uint64_t numberAt(std::string_view r, std::size_t at, int bytes) {
    uint64_t v = 0;
    for (int k = 0; k < bytes; ++k) v = v << 8 | static_cast<uint8_t>(r[at + k]);
    return v;
}

ListMove moveAt(std::string_view r, std::size_t at) {
    return {static_cast<uint8_t>(r[at]), static_cast<uint8_t>(r[at + 1])};
}

void putMove(std::string& out, ListMove m) {
    out += static_cast<char>(m.origin);
    out += static_cast<char>(m.destination);
}

// The making of a streamed book: four sorts through temporary files.
//  1. The moves the records play (position key, move, ply, slot, key after), by position.
//  2. Merged a position at a time: the moves that keep their place and the position's first
//     visit go out in the order of the keys (their sequence number), each position's most
//     played move as well, and a request for the reply of each move, by the key it leads to.
//  3. The requests meet the most played moves of the positions they lead to: the replies, by
//     the sequence number of the position that asked.
//  4. The positions with their replies, their board set up again for the SFEN, by their SFEN:
//     the book's order.
class BookStreamer {
public:
    BookStreamer(const Database& db, const BookOptions& options, const BookSpill& spill,
                 const std::function<bool(std::string_view)>& sink)
        : m_db(db), m_options(options), m_spill(spill), m_sink(sink) {}

    BookStreamResult run(const std::vector<int32_t>& slots) {
        auto played = sorter(false);
        long long visits = 0;
        const bool walked =
            walkBook(m_db, slots, m_options,
                     [&](int32_t slot, int ply, uint64_t key, ListMove m, uint64_t after) {
                         if ((++visits & 0x3F) == 0 && stopped()) return false;
                         m_record.clear();
                         putNumber(m_record, key, 8);
                         putMove(m_record, m);
                         putNumber(m_record, static_cast<uint64_t>(ply), 2);
                         putNumber(m_record, static_cast<uint64_t>(slot), 4);
                         putNumber(m_record, after, 8);
                         return played->add(m_record) || failed(*played);
                     });
        if (!walked || !ok()) return finish();
        if (!gather(*played)) return finish();
        played.reset();
        if (!answer()) return finish();
        if (!order()) return finish();
        write();
        return finish();
    }

private:
    std::unique_ptr<core::SpillSorter> sorter(bool presorted) {
        return std::make_unique<core::SpillSorter>(m_spill.folder, m_spill.chunkBytes, presorted);
    }
    bool stopped() {
        if (m_result.result == core::WriteResult::Ok && m_spill.cancelled && m_spill.cancelled()) {
            m_result.result = core::WriteResult::Cancelled;
        }
        return m_result.result != core::WriteResult::Ok;
    }
    bool ok() const { return m_result.result == core::WriteResult::Ok; }
    // Records a sorter's failure; false, to stop what called it.
    bool failed(const core::SpillSorter& s) {
        if (ok()) {
            m_result.result = s.runs() == 0 && s.problem().find("make") != std::string::npos
                                  ? core::WriteResult::CannotCreate
                                  : core::WriteResult::WriteFailed;
            m_result.problem = s.problem();
        }
        return false;
    }
    bool readFailed() {
        if (ok()) {
            m_result.result = core::WriteResult::WriteFailed;
            m_result.problem = "a temporary file could not be read back";
        }
        return false;
    }
    std::unique_ptr<core::SpillSorter::Reader> reader(core::SpillSorter& s) {
        auto r = s.read();
        if (!r) failed(s);
        return r;
    }
    BookStreamResult finish() {
        if (!ok()) {
            m_result.positions = 0;
            m_result.moves = 0;
        }
        return m_result;
    }

    struct Played {
        BookMove move;
        uint64_t after = 0;
    };

    // Step 2.
    bool gather(core::SpillSorter& played) {
        m_tops = sorter(true);
        m_requests = sorter(false);
        m_positions = sorter(true);
        auto in = reader(played);
        if (!in) return false;
        const int least = std::max(m_options.minCount, 1);
        const bool replies = m_options.side == BookSide::Both;
        std::vector<Played> moves;
        std::string_view r;
        bool have = in->next(r);
        uint64_t sequence = 0;
        uint64_t groups = 0;
        while (have) {
            if ((++groups & 0x3F) == 0 && stopped()) return false;
            const uint64_t key = numberAt(r, 0, 8);
            moves.clear();
            uint64_t firstPly = UINT64_MAX;
            uint64_t firstSlot = 0;
            do {
                const ListMove m = moveAt(r, 8);
                const uint64_t ply = numberAt(r, 10, 2);
                if (moves.empty() || moves.back().move.move != m) {
                    moves.push_back({});
                    moves.back().move.move = m;
                    moves.back().after = numberAt(r, 16, 8);
                }
                ++moves.back().move.count;
                if (ply < firstPly) {
                    firstPly = ply;
                    firstSlot = numberAt(r, 12, 4);
                }
                have = in->next(r);
            } while (have && numberAt(r, 0, 8) == key);
            std::erase_if(moves, [&](const Played& p) { return p.move.count < least; });
            if (moves.empty()) continue;
            std::sort(moves.begin(), moves.end(), [](const Played& a, const Played& b) {
                return playedBefore(a.move, b.move);
            });
            m_record.clear();
            putNumber(m_record, key, 8);
            putMove(m_record, moves.front().move.move);
            if (!m_tops->add(m_record)) return failed(*m_tops);
            m_record.clear();
            putNumber(m_record, sequence, 8);
            putNumber(m_record, firstPly, 2);
            putNumber(m_record, firstSlot, 4);
            putNumber(m_record, moves.size(), 2);
            for (const Played& p : moves) {
                putMove(m_record, p.move.move);
                putNumber(m_record, static_cast<uint64_t>(p.move.count), 4);
            }
            if (!m_positions->add(m_record)) return failed(*m_positions);
            for (std::size_t i = 0; replies && i < moves.size(); ++i) {
                m_record.clear();
                putNumber(m_record, moves[i].after, 8);
                putNumber(m_record, sequence, 8);
                putNumber(m_record, i, 2);
                if (!m_requests->add(m_record)) return failed(*m_requests);
            }
            ++sequence;
        }
        return in->failed() ? readFailed() : true;
    }

    // Step 3.
    bool answer() {
        m_replies = sorter(false);
        auto requests = reader(*m_requests);
        auto tops = reader(*m_tops);
        if (!requests || !tops) return false;
        std::string_view q;
        std::string_view t;
        bool haveTop = tops->next(t);
        uint64_t asked = 0;
        while (requests->next(q)) {
            if ((++asked & 0x3F) == 0 && stopped()) return false;
            const uint64_t key = numberAt(q, 0, 8);
            while (haveTop && numberAt(t, 0, 8) < key) haveTop = tops->next(t);
            if (!haveTop || numberAt(t, 0, 8) != key) continue;
            m_record.assign(q.substr(8, 10));
            putMove(m_record, moveAt(t, 8));
            if (!m_replies->add(m_record)) return failed(*m_replies);
        }
        if (requests->failed() || tops->failed()) return readFailed();
        m_requests.reset();
        m_tops.reset();
        return true;
    }

    // Step 4.
    bool order() {
        m_sorted = sorter(false);
        auto positions = reader(*m_positions);
        auto replies = reader(*m_replies);
        if (!positions || !replies) return false;
        const IndexTable& table = m_db.table();
        const MoveList& lists = m_db.lists();
        std::vector<BookMove> moves;
        std::string_view p;
        std::string_view a;
        bool haveReply = replies->next(a);
        while (positions->next(p)) {
            if ((m_result.positions & 0x3F) == 0 && stopped()) return false;
            const uint64_t sequence = numberAt(p, 0, 8);
            const auto ply = static_cast<std::size_t>(numberAt(p, 8, 2));
            const auto slot = static_cast<int>(numberAt(p, 10, 4));
            moves.assign(numberAt(p, 14, 2), BookMove{});
            for (std::size_t i = 0; i < moves.size(); ++i) {
                moves[i].move = moveAt(p, 16 + 6 * i);
                moves[i].count = static_cast<int>(numberAt(p, 18 + 6 * i, 4));
            }
            for (; haveReply && numberAt(a, 0, 8) <= sequence; haveReply = replies->next(a)) {
                if (numberAt(a, 0, 8) < sequence) continue;
                const auto i = static_cast<std::size_t>(numberAt(a, 8, 2));
                if (i >= moves.size()) continue;
                moves[i].hasPonder = true;
                moves[i].ponder = moveAt(a, 10);
            }
            // The board where the record first reached the position: its line replayed.
            ReplayBoard board;
            if (!startBoard(table.entry(slot).handicap, board)) continue;
            const std::span<const ListMove> line = lists.list(slot);
            ReplayStep step;
            for (std::size_t k = 0; k < ply && k < line.size(); ++k) {
                (void)playListMove(board, line[k], step);
            }
            m_record = sfenKey(board);
            m_record += '\0';
            putNumber(m_record, ply + 1, 2);
            putNumber(m_record, moves.size(), 2);
            for (const BookMove& m : moves) {
                putMove(m_record, m.move);
                m_record += static_cast<char>(m.hasPonder ? 1 : 0);
                putMove(m_record, m.ponder);
                putNumber(m_record, static_cast<uint64_t>(m.count), 4);
            }
            if (!m_sorted->add(m_record)) return failed(*m_sorted);
            ++m_result.positions;
            m_result.moves += moves.size();
        }
        if (positions->failed() || replies->failed()) return readFailed();
        m_positions.reset();
        m_replies.reset();
        return true;
    }

    void write() {
        auto in = reader(*m_sorted);
        if (!in) return;
        std::string out(kBookHeader);
        out += '\n';
        std::vector<BookMove> moves;
        std::string_view r;
        uint64_t written = 0;
        while (in->next(r)) {
            if ((++written & 0x3F) == 0 && stopped()) return;
            const std::size_t end = r.find('\0');
            const std::string_view key = r.substr(0, end);
            const std::size_t at = end + 1;
            moves.assign(numberAt(r, at + 2, 2), BookMove{});
            for (std::size_t i = 0; i < moves.size(); ++i) {
                const std::size_t m = at + 4 + 9 * i;
                moves[i].move = moveAt(r, m);
                moves[i].hasPonder = r[m + 2] != 0;
                moves[i].ponder = moveAt(r, m + 3);
                moves[i].count = static_cast<int>(numberAt(r, m + 5, 4));
            }
            ReplayBoard board;
            if (m_options.evaluate && boardOfSfen(key, board)) m_options.evaluate(board, moves);
            appendPositionText(out, key, static_cast<int>(numberAt(r, at, 2)), moves);
            if (out.size() >= (std::size_t{1} << 20)) {
                if (!m_sink(out)) return sinkFailed();
                out.clear();
            }
        }
        if (in->failed()) {
            (void)readFailed();
            return;
        }
        if (!m_sink(out)) sinkFailed();
    }
    void sinkFailed() {
        if (ok()) {
            m_result.result = core::WriteResult::WriteFailed;
            m_result.problem = "the book could not be written";
        }
    }

    const Database& m_db;
    const BookOptions& m_options;
    const BookSpill& m_spill;
    const std::function<bool(std::string_view)>& m_sink;
    std::unique_ptr<core::SpillSorter> m_tops;
    std::unique_ptr<core::SpillSorter> m_requests;
    std::unique_ptr<core::SpillSorter> m_positions;
    std::unique_ptr<core::SpillSorter> m_replies;
    std::unique_ptr<core::SpillSorter> m_sorted;
    std::string m_record;
    BookStreamResult m_result;
};

}  // namespace

BookStreamResult streamBook(const Database& db, const std::vector<int32_t>& slots,
                            const BookOptions& options, const BookSpill& spill,
                            const std::function<bool(std::string_view)>& sink) {
    return BookStreamer(db, options, spill, sink).run(slots);
}

BookStreamResult writeBook(const Database& db, const std::vector<int32_t>& slots,
                           const BookOptions& options, const std::string& path, BookSpill spill) {
    if (spill.folder.empty()) {
        const std::filesystem::path parent = std::filesystem::absolute(path).parent_path();
        spill.folder = parent.empty() ? std::string(".") : parent.string();
    }
    core::StreamedFile file;
    BookStreamResult r;
    r.result = file.open(path);
    if (r.result != core::WriteResult::Ok) {
        r.problem = "the book could not be created";
        return r;
    }
    r = streamBook(db, slots, options, spill,
                   [&](std::string_view bytes) { return file.write(bytes); });
    if (r.result != core::WriteResult::Ok) return r;  // the file is left as it was
    r.result = file.commit();
    if (r.result != core::WriteResult::Ok) {
        r.problem = "the book could not be written";
        r.positions = 0;
        r.moves = 0;
    }
    return r;
}

BookReadReport readBook(std::string_view text, OpeningBook& book) {
    BookReadReport report;
    auto fail = [&](int line, std::string problem) {
        report.ok = false;
        report.line = line;
        report.problem = std::move(problem);
        return report;
    };
    BookPosition* current = nullptr;
    int number = 0;
    std::size_t at = 0;
    bool headerSeen = false;
    auto finish = [&] {
        if (current != nullptr) sortMoves(current->moves);
    };
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        if (!headerSeen) {
            if (line.substr(0, 17) != kBookHeader.substr(0, 17)) {
                return fail(number,
                            "not a book: the first line is not " + std::string(kBookHeader));
            }
            headerSeen = true;
            continue;
        }
        if (line.empty() || line[0] == '#' || line.substr(0, 2) == "//") continue;
        if (line.substr(0, 5) == "sfen ") {
            finish();
            ReplayBoard board;
            int moveNumber = 1;
            if (!boardOfSfen(line.substr(5), board, &moveNumber)) {
                return fail(number, "unreadable position");
            }
            BookPosition p;
            p.board = board;
            p.moveNumber = moveNumber;
            auto [it, added] = book.positions.emplace(sfenKey(board), std::move(p));
            current = &it->second;
            continue;
        }
        if (current == nullptr) return fail(number, "a move before any position");
        const auto w = words(line);
        if (w.empty()) continue;
        BookMove m;
        if (!listMoveOfUsi(current->board, w[0], m.move)) {
            return fail(number, "move " + std::string(w[0]) + " cannot be played here");
        }
        long long values[3] = {0, 0, 0};  // value, depth, count
        for (std::size_t k = 2; k < w.size() && k < 5; ++k) {
            if (!parseNumber(w[k], values[k - 2]) || values[k - 2] < -1000000000 ||
                values[k - 2] > 1000000000) {
                return fail(number, "not a number: " + std::string(w[k]));
            }
        }
        if (values[2] < 0) return fail(number, "negative count");
        if (w.size() >= 2 && w[1] != "none") {
            ReplayBoard after = current->board;
            ReplayStep step;
            (void)playListMove(after, m.move, step);
            m.hasPonder = listMoveOfUsi(after, w[1], m.ponder);
        }
        m.value = static_cast<int>(values[0]);
        m.depth = static_cast<int>(values[1]);
        m.count = static_cast<int>(values[2]);
        auto same = std::find_if(current->moves.begin(), current->moves.end(),
                                 [&](const BookMove& b) { return b.move == m.move; });
        if (same == current->moves.end()) {
            current->moves.push_back(m);
        } else {
            same->count += m.count;
        }
    }
    finish();
    if (!headerSeen) return fail(1, "empty file");
    return report;
}

bool boardOfSfen(std::string_view sfen, ReplayBoard& out, int* moveNumber) {
    const auto w = words(sfen);
    if (w.size() < 3 || w.size() > 4) return false;
    ReplayBoard board;
    int rank = 1;
    int file = 9;
    bool promoted = false;
    for (char c : w[0]) {
        if (c == '/') {
            if (file != 0 || promoted || rank == 9) return false;
            ++rank;
            file = 9;
        } else if (c >= '1' && c <= '9') {
            if (promoted || c - '0' > file) return false;
            file -= c - '0';
        } else if (c == '+') {
            if (promoted) return false;
            promoted = true;
        } else {
            const char upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            const std::size_t kind = kPieceLetters.find(upper);
            if (kind == std::string_view::npos || file < 1) return false;
            int type = static_cast<int>(kind) + 1;
            if (promoted) {
                if (type == core::kGold || type == core::kKing) return false;
                type |= core::kPromotedBit;
            }
            const core::SideByte side = c == upper ? core::kSideBlack : core::kSideWhite;
            board.cells[static_cast<std::size_t>(file * 10 + rank)] = core::makePiece(side, type);
            --file;
            promoted = false;
        }
    }
    if (rank != 9 || file != 0 || promoted) return false;
    if (w[1] != "b" && w[1] != "w") return false;
    board.sideToMove = w[1] == "b" ? core::kSideBlack : core::kSideWhite;
    if (w[2] != "-") {
        int count = 0;
        for (char c : w[2]) {
            if (c >= '0' && c <= '9') {
                count = count * 10 + (c - '0');
                if (count > 18) return false;
                continue;
            }
            const char upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            const std::size_t kind = kPieceLetters.find(upper);
            if (kind == std::string_view::npos || upper == 'K') return false;
            const int side =
                ReplayBoard::handIndex(c == upper ? core::kSideBlack : core::kSideWhite);
            auto& slot = board.hand[static_cast<std::size_t>(side)][kind + 1];
            if (slot != 0) return false;
            slot = static_cast<uint8_t>(count == 0 ? 1 : count);
            count = 0;
        }
        if (count != 0) return false;
    }
    int number = 1;
    if (w.size() == 4) {
        long long n = 0;
        if (!parseNumber(w[3], n) || n < 1 || n > 100000) return false;
        number = static_cast<int>(n);
    }
    out = board;
    if (moveNumber != nullptr) *moveNumber = number;
    return true;
}

}  // namespace dalmir::model
