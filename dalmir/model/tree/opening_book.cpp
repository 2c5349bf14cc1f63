#include "dalmir/model/tree/opening_book.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>
#include <unordered_set>

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

void sortMoves(std::vector<BookMove>& moves) {
    std::sort(moves.begin(), moves.end(), [](const BookMove& a, const BookMove& b) {
        if (a.count != b.count) return a.count > b.count;
        return usiMoveText(a.move) < usiMoveText(b.move);
    });
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

OpeningBook makeBook(const Database& db, const std::vector<int32_t>& slots,
                     const BookOptions& options) {
    struct Gathered {
        ReplayBoard board;
        int ply = 0;
        std::vector<std::pair<ListMove, int>> moves;
    };
    std::unordered_map<uint64_t, Gathered> gathered;
    std::unordered_set<uint64_t> seen;
    const IndexTable& table = db.table();
    const MoveList& lists = db.lists();
    const bool header = asksAnything(options.header);
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
        for (std::size_t ply = 0;
             ply < moves.size() && ply < static_cast<std::size_t>(std::max(options.maxPly, 0));
             ++ply) {
            const ListMove m = moves[ply];
            if (m.isClosing()) break;
            ReplayBoard after = board;
            if (!playListMove(after, m, step)) break;
            const uint64_t key = treeKey(board);
            const core::SideByte mover = board.sideToMove;
            const bool sideWanted =
                options.side == BookSide::Both ||
                (options.side == BookSide::Black) == (mover == core::kSideBlack);
            if (seen.insert(key).second && sideWanted && (!winner || *winner == mover)) {
                Gathered& g = gathered[key];
                if (g.moves.empty()) {
                    g.board = board;
                    g.ply = static_cast<int>(ply);
                }
                g.ply = std::min(g.ply, static_cast<int>(ply));
                auto it = std::find_if(g.moves.begin(), g.moves.end(),
                                       [&](const auto& p) { return p.first == m; });
                if (it == g.moves.end()) {
                    g.moves.emplace_back(m, 1);
                } else {
                    ++it->second;
                }
            }
            board = after;
        }
    }

    OpeningBook book;
    const int least = std::max(options.minCount, 1);
    for (auto& [key, g] : gathered) {
        BookPosition p;
        p.board = g.board;
        p.moveNumber = g.ply + 1;
        for (const auto& [move, count] : g.moves) {
            if (count < least) continue;
            BookMove bm;
            bm.move = move;
            bm.count = count;
            p.moves.push_back(bm);
        }
        if (p.moves.empty()) continue;
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
    }
    return book;
}

std::string bookText(const OpeningBook& book) {
    std::string out(kBookHeader);
    out += '\n';
    for (const auto& [key, p] : book.positions) {
        out += "sfen ";
        out += key;
        out += ' ';
        out += std::to_string(p.moveNumber);
        out += '\n';
        for (const BookMove& m : p.moves) {
            out += usiMoveText(m.move);
            out += ' ';
            out += m.hasPonder ? usiMoveText(m.ponder) : std::string("none");
            out += ' ' + std::to_string(m.value) + ' ' + std::to_string(m.depth) + ' ' +
                   std::to_string(m.count) + '\n';
        }
    }
    return out;
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
