#include "dalmir/model/tree/opening_tree.h"

#include <algorithm>
#include <cstring>

#include "core/base/checksum.h"
#include "dalmir/model/store/position_index.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/table/record_extractor.h"
#include "dalmir/model/tree/tree_index.h"

namespace dalmir::model {

namespace {

constexpr char kDropLetters[] = "PLNSGBR";

bool sameBoard(const ReplayBoard& a, const ReplayBoard& b) {
    return a.sideToMove == b.sideToMove &&
           std::memcmp(a.cells.data(), b.cells.data(), a.cells.size()) == 0 && a.hand == b.hand;
}

int squareOf(char file, char rank) {
    if (file < '1' || file > '9' || rank < 'a' || rank > 'i') return 0;
    return (file - '0') * 10 + (rank - 'a' + 1);
}

void putSquare(std::string& out, int square) {
    out += static_cast<char>('0' + square / 10);
    out += static_cast<char>('a' + square % 10 - 1);
}

bool newer(const IndexDate& a, const IndexDate& b) { return a > b; }

}  // namespace

uint64_t treeKey(const ReplayBoard& board) {
    // The squares 11..99 as words, then both hands and the side to move.
    uint64_t h = 0x6A09E667F3BCC908ULL;
    const auto* cells = reinterpret_cast<const char*>(board.cells.data());
    for (std::size_t at = 8; at + 8 <= 104 && at + 8 <= board.cells.size(); at += 8) {
        uint64_t w;
        std::memcpy(&w, cells + at, 8);
        h = core::mixWord(h, w);
    }
    uint64_t w = 0;
    std::memcpy(&w, cells + 96, 4);
    h = core::mixWord(h, w);
    for (const auto& side : board.hand) {
        uint64_t a = 0;
        uint64_t b = 0;
        std::memcpy(&a, side.data(), 8);
        b = side[8];
        h = core::mixWord(core::mixWord(h, a), b);
    }
    return core::mixWord(h, board.sideToMove);
}

bool sameTreePosition(const ReplayBoard& a, const ReplayBoard& b) { return sameBoard(a, b); }

ResultClass resultClassOf(uint8_t result) {
    switch (static_cast<IndexResult>(result)) {
        case IndexResult::BlackWins:
            return ResultClass::BlackWins;
        case IndexResult::WhiteWins:
            return ResultClass::WhiteWins;
        case IndexResult::Jishogi:
        case IndexResult::Repetition:
            return ResultClass::Draw;
        default:
            return ResultClass::Other;
    }
}

bool asksAnything(const HeaderCriteria& c) {
    return !c.black.empty() || !c.white.empty() || !c.playerA.empty() || !c.playerB.empty() ||
           !c.event.empty() || !c.opening.empty() || !c.fileName.empty() ||
           !c.publishedIn.empty() || !c.user1.empty() || !c.user2.empty() || c.handicap > 0 ||
           c.fromOn || c.toOn;
}

void TreeCounts::add(const IndexEntry& entry, int slot, int ply) {
    ++count;
    switch (resultClassOf(entry.result)) {
        case ResultClass::BlackWins:
            ++blackWins;
            break;
        case ResultClass::WhiteWins:
            ++whiteWins;
            break;
        case ResultClass::Draw:
            ++draws;
            break;
        case ResultClass::Other:
            ++other;
            break;
    }
    if (newer(entry.start, lastDate)) lastDate = entry.start;
    // Slots come in ascending order, so a tie keeps the lower one.
    if (bestSlot < 0 || newer(entry.start, bestDate)) {
        bestSlot = slot;
        bestPly = ply;
        bestDate = entry.start;
    }
}

std::vector<int> OpeningTree::recordsOf(ListMove move) const {
    std::vector<int> out;
    for (const TreeHit& h : hits) {
        if (h.hasNext && h.next == move) out.push_back(static_cast<int>(h.slot));
    }
    return out;
}

std::vector<int> OpeningTree::endedRecords() const {
    std::vector<int> out;
    for (const TreeHit& h : hits) {
        if (!h.hasNext) out.push_back(static_cast<int>(h.slot));
    }
    return out;
}

bool firstVisit(const ReplayBoard& start, std::span<const ListMove> moves,
                const ReplayBoard& target, TreeHit& hit) {
    ReplayBoard board = start;
    ReplayStep step;
    for (std::size_t ply = 0;; ++ply) {
        if (sameBoard(board, target)) {
            hit.ply = static_cast<uint16_t>(ply);
            hit.hasNext = false;
            hit.next = {};
            if (ply < moves.size() && !moves[ply].isClosing()) {
                ReplayBoard after = board;
                if (playListMove(after, moves[ply], step)) {
                    hit.hasNext = true;
                    hit.next = moves[ply];
                }
            }
            return true;
        }
        if (ply >= moves.size() || moves[ply].isClosing() ||
            !playListMove(board, moves[ply], step)) {
            return false;
        }
    }
}

OpeningTree TreeMaker::treeOf(const ReplayBoard& target, const TreeFilter& filter,
                              const std::vector<int32_t>* slots) {
    const IndexTable& table = m_db.table();
    OpeningTree tree;
    std::vector<TreeHit> hits;
    collect(target, hits);
    if (cancelled()) return tree;

    std::vector<uint8_t> wanted;
    if (slots != nullptr) {
        wanted.assign(static_cast<std::size_t>(table.size()), 0);
        for (int32_t s : *slots) {
            if (s >= 0 && s < table.size()) wanted[static_cast<std::size_t>(s)] = 1;
        }
    }
    const bool header = asksAnything(filter.header);
    tree.hits.reserve(hits.size());
    for (const TreeHit& h : hits) {
        if (h.slot >= static_cast<uint32_t>(table.size())) continue;
        if (!wanted.empty() && wanted[h.slot] == 0) continue;
        const IndexEntry& e = table.entry(static_cast<int>(h.slot));
        if (header && !matchesHeader(e, filter.header)) continue;
        tree.hits.push_back(h);
    }
    auto bySlot = [](const TreeHit& a, const TreeHit& b) { return a.slot < b.slot; };
    if (!std::is_sorted(tree.hits.begin(), tree.hits.end(), bySlot)) {
        std::sort(tree.hits.begin(), tree.hits.end(), bySlot);
    }

    // Rows by move: a move is two bytes, so a table of 65536 row numbers finds each at once.
    std::vector<int32_t> rowOf(65536, -1);
    std::vector<TreeRow> rows;
    for (const TreeHit& h : tree.hits) {
        const IndexEntry& e = table.entry(static_cast<int>(h.slot));
        ++tree.records;
        if (!h.hasNext) {
            tree.ended.add(e, static_cast<int>(h.slot), h.ply);
            continue;
        }
        const std::size_t code = std::size_t{h.next.origin} << 8 | h.next.destination;
        if (rowOf[code] < 0) {
            rowOf[code] = static_cast<int32_t>(rows.size());
            rows.emplace_back();
            rows.back().move = h.next;
        }
        rows[static_cast<std::size_t>(rowOf[code])].add(e, static_cast<int>(h.slot), h.ply);
    }
    const int least = std::max(filter.minCount, 1);
    for (TreeRow& r : rows) {
        if (r.count >= least) tree.rows.push_back(r);
    }
    std::sort(tree.rows.begin(), tree.rows.end(), [](const TreeRow& a, const TreeRow& b) {
        if (a.count != b.count) return a.count > b.count;
        return usiMoveText(a.move) < usiMoveText(b.move);
    });
    return tree;
}

void TreeMaker::collect(const ReplayBoard& target, std::vector<TreeHit>& out) {
    const IndexTable& table = m_db.table();
    const MoveList& lists = m_db.lists();
    if (m_index != nullptr) {
        if (m_index->hitsOf(treeKey(target), out)) {
            m_source = TreeSource::TreeIndex;
            return;
        }
    }
    auto visit = [&](int slot) {
        ReplayBoard start;
        if (!startBoard(table.entry(slot).handicap, start)) return;
        std::span<const ListMove> moves =
            slot < lists.size() ? lists.list(slot) : std::span<const ListMove>{};
        TreeHit hit;
        if (firstVisit(start, moves, target, hit)) {
            hit.slot = static_cast<uint32_t>(slot);
            out.push_back(hit);
        }
    };
    const PositionIndex* positions = m_db.isBinary() ? m_db.positionIndex() : nullptr;
    if (positions != nullptr && positions->fileUnchanged()) {
        auto candidates = positions->slotsOf(PositionKey::Full, positionKeys(target));
        if (candidates) {
            m_source = TreeSource::PositionIndex;
            for (uint32_t slot : *candidates) {
                if (cancelled()) return;
                visit(static_cast<int>(slot));
            }
            return;
        }
    }
    m_source = TreeSource::Scan;
    for (int slot = 0; slot < table.size() && !cancelled(); ++slot) visit(slot);
}

std::vector<int> readMainLines(Database& db) {
    if (db.isBinary()) return {};
    std::vector<int32_t> slots(static_cast<std::size_t>(db.table().size()));
    for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = static_cast<int32_t>(i);
    return readMainLines(db, slots);
}

std::vector<int> readMainLines(Database& db, std::span<const int32_t> slots) {
    std::vector<int> unread;
    if (db.isBinary()) return unread;
    RecordExtractor extractor;
    std::vector<ListMove> list;
    const IndexTable& table = db.table();
    for (const int32_t slot : slots) {
        if (slot < 0 || slot >= table.size()) continue;
        IndexEntry scratch;
        const std::string fsPath =
            locateFile(fileSystemFromStored(table.resolve(table.entry(slot).path())));
        if (extractor.extract(fsPath, scratch) != ExtractResult::Ok) {
            unread.push_back(slot);
            continue;
        }
        extractor.buildMoveList(list);
        db.lists().set(slot, list);
    }
    return unread;
}

std::string usiMoveText(ListMove move) {
    std::string out;
    if (move.isClosing()) return out;
    if (move.isDrop()) {
        if (move.origin < 1 || move.origin > 7) return out;
        out += kDropLetters[move.origin - 1];
        out += '*';
    } else {
        putSquare(out, move.origin);
    }
    putSquare(out, move.destination & ~core::kPromoteFlag);
    if (!move.isDrop() && (move.destination & core::kPromoteFlag) != 0) out += '+';
    return out;
}

bool listMoveOfUsi(const ReplayBoard& board, std::string_view word, ListMove& out) {
    ListMove m;
    if (word.size() == 4 && word[1] == '*') {
        const char* letter = std::strchr(kDropLetters, word[0]);
        if (letter == nullptr || word[0] == '\0') return false;
        m.origin = static_cast<uint8_t>(letter - kDropLetters + 1);
        m.destination = static_cast<uint8_t>(squareOf(word[2], word[3]));
    } else if (word.size() == 4 || (word.size() == 5 && word[4] == '+')) {
        m.origin = static_cast<uint8_t>(squareOf(word[0], word[1]));
        m.destination = static_cast<uint8_t>(squareOf(word[2], word[3]));
        if (m.origin == 0) return false;
        if (word.size() == 5) m.destination |= core::kPromoteFlag;
    } else {
        return false;
    }
    if ((m.destination & ~core::kPromoteFlag) == 0) return false;
    ReplayBoard after = board;
    ReplayStep step;
    if (!playListMove(after, m, step)) return false;
    out = m;
    return true;
}

std::string moveNotation(const ReplayBoard& board, ListMove move) {
    ReplayBoard after = board;
    ReplayStep step;
    if (!playListMove(after, move, step)) return {};
    return nextMoveText(step, 0);
}

std::string boardSfen(const ReplayBoard& board, int moveNumber) {
    static constexpr const char* kLetters[16] = {"",  "P",  "L",  "N",  "S",  "G", "B",  "R",
                                                 "K", "+P", "+L", "+N", "+S", "",  "+B", "+R"};
    std::string out;
    for (int rank = 1; rank <= 9; ++rank) {
        int empty = 0;
        for (int file = 9; file >= 1; --file) {
            const core::PieceByte p = board.cells[static_cast<std::size_t>(file * 10 + rank)];
            const char* letters = p == 0 ? "" : kLetters[core::pieceType(p)];
            if (*letters == '\0') {
                ++empty;
                continue;
            }
            if (empty > 0) out += static_cast<char>('0' + empty);
            empty = 0;
            for (const char* c = letters; *c != '\0'; ++c) {
                const bool black = core::sideOf(p) == core::kSideBlack;
                out += (black || *c == '+') ? *c : static_cast<char>(*c - 'A' + 'a');
            }
        }
        if (empty > 0) out += static_cast<char>('0' + empty);
        if (rank < 9) out += '/';
    }
    out += board.sideToMove == core::kSideBlack ? " b " : " w ";
    static constexpr int kHandOrder[7] = {core::kRook,   core::kBishop, core::kGold, core::kSilver,
                                          core::kKnight, core::kLance,  core::kPawn};
    const std::size_t before = out.size();
    for (int side : {1, 0}) {
        for (int type : kHandOrder) {
            const int n =
                board.hand[static_cast<std::size_t>(side)][static_cast<std::size_t>(type)];
            if (n <= 0) continue;
            if (n > 1) out += std::to_string(n);
            const char letter = kLetters[type][0];
            out += side == 1 ? letter : static_cast<char>(letter - 'A' + 'a');
        }
    }
    if (out.size() == before) out += '-';
    out += ' ';
    out += std::to_string(moveNumber);
    return out;
}

}  // namespace dalmir::model
