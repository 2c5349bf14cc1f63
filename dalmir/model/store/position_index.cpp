#include "dalmir/model/store/position_index.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include "core/base/checksum.h"
#include "core/base/parallel_for.h"
#include "core/base/path_text.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"

namespace dalmir::model {

namespace {

using core::Checksum;
using core::checksum;
using core::mixWord;

constexpr std::size_t kHeaderBytes = 64;
constexpr char kMagic[4] = {'D', 'P', 'X', '1'};
constexpr uint32_t kVersion = 2;
constexpr uint32_t kMinBits = 8;
constexpr uint32_t kMaxBits = 24;
constexpr int kHandCounts = 20;
constexpr std::array<int, 9> kFullSet = {0, 18, 4, 4, 4, 4, 2, 2, 2};

uint64_t splitMix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Random words for every piece on every square and every hand count: a position's key is the
// exclusive or of its words, so a move changes it by the words of what it changed.
struct Zobrist {
    std::array<std::array<uint64_t, 32>, 100> cell{};
    std::array<std::array<std::array<uint64_t, kHandCounts>, 9>, 2> hand{};
    Zobrist() {
        uint64_t state = 0x5EED0F1DE7A11ULL;
        for (auto& square : cell) {
            for (auto& w : square) w = splitMix(state);
        }
        for (auto& side : hand) {
            for (auto& type : side) {
                for (std::size_t n = 1; n < type.size(); ++n) type[n] = splitMix(state);
            }
        }
    }
};

const Zobrist& zobrist() {
    static const Zobrist z;
    return z;
}

int pieceCode(core::PieceByte p) { return ((p & core::kSideBlack) ? 16 : 0) | (p & 0x0F); }

bool isPawnKind(core::PieceByte p) {
    int t = core::pieceType(p);
    return t == core::kPawn || t == core::kPromotedPawn;
}

// The keys as a move list changes them.
struct Keys {
    std::array<uint64_t, 2> h{};

    void cell(int square, core::PieceByte piece) {
        if (piece == 0 || piece == core::kWall) return;
        uint64_t w =
            zobrist()
                .cell[static_cast<std::size_t>(square)][static_cast<std::size_t>(pieceCode(piece))];
        h[0] ^= w;
        if (!isPawnKind(piece)) h[1] ^= w;
    }
    void hand(int side, int type, int count) {
        if (count <= 0) return;
        uint64_t w = zobrist().hand[static_cast<std::size_t>(side)][static_cast<std::size_t>(type)]
                                   [static_cast<std::size_t>(std::min(count, kHandCounts - 1))];
        h[0] ^= w;
        if (type != core::kPawn) h[1] ^= w;
    }
};

Keys keysOf(const ReplayBoard& board) {
    Keys k;
    for (int sq = 11; sq <= 99; ++sq) {
        if (core::isSquare(sq)) k.cell(sq, board.cells[static_cast<std::size_t>(sq)]);
    }
    for (int side = 0; side < 2; ++side) {
        for (int type = 1; type < 9; ++type) {
            k.hand(side, type,
                   board.hand[static_cast<std::size_t>(side)][static_cast<std::size_t>(type)]);
        }
    }
    return k;
}

// Calls visit(keys) for every position a slot's list passes through, as the position search
// steps through them: the start, then the position after each move played, up to a closing
// entry or a move that can't be played.
template <class Visit>
void forEachPosition(uint8_t handicap, std::span<const ListMove> moves, Visit&& visit) {
    ReplayBoard board;
    if (!startBoard(handicap, board)) return;
    Keys keys = keysOf(board);
    visit(keys.h);
    ReplayStep step;
    for (const ListMove m : moves) {
        const int to = m.destination & ~core::kPromoteFlag;
        const core::PieceByte before =
            core::isSquare(to) ? board.cells[static_cast<std::size_t>(to)] : core::PieceByte{0};
        const int mover = ReplayBoard::handIndex(board.sideToMove);
        if (!playListMove(board, m, step) || step.closing) return;
        auto& hand = board.hand[static_cast<std::size_t>(mover)];
        if (step.drop) {
            int left = hand[step.from];
            keys.hand(mover, step.from, left + 1);
            keys.hand(mover, step.from, left);
        } else {
            keys.cell(step.from, step.moved);
        }
        keys.cell(step.to, before);
        keys.cell(step.to, board.cells[step.to]);
        if (step.captured != 0) {
            core::PieceByte inHand = core::capturedForm(step.captured);
            int type = core::pieceType(inHand) == core::kKing ? core::kKing : (inHand & 0x07);
            int now = hand[static_cast<std::size_t>(type)];
            keys.hand(mover, type, now - 1);
            keys.hand(mover, type, now);
        }
        visit(keys.h);
    }
}

// The checksum of the bytes of the file from `from` to its end, read in pieces: reading spares
// the page faults of a mapping and keeps the memory used small, whatever the file's size.
std::optional<uint64_t> fileChecksum(int fd, std::size_t from, std::size_t size) {
    constexpr std::size_t kPiece = std::size_t{4} << 20;
    std::vector<char> buffer(kPiece);
    Checksum sum(size - from);
    std::size_t at = from;
    std::size_t held = 0;  // bytes in the buffer not yet summed
    while (true) {
        const std::size_t want = std::min(kPiece - held, size - at);
        std::size_t got = 0;
        while (got < want) {
            const ssize_t n =
                ::pread(fd, buffer.data() + held + got, want - got, static_cast<off_t>(at + got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return std::nullopt;
            got += static_cast<std::size_t>(n);
        }
        at += got;
        held += got;
        if (at == size) return sum.finish(buffer.data(), held);
        const std::size_t done = sum.blocks(buffer.data(), held);
        std::memmove(buffer.data(), buffer.data() + done, held - done);
        held -= done;
    }
}

template <class T>
void put(core::LargeBytes& out, std::size_t at, T value) {
    std::memcpy(out.data() + at, &value, sizeof value);
}

template <class T>
T get(const char* data, std::size_t at) {
    T value;
    std::memcpy(&value, data + at, sizeof value);
    return value;
}

std::size_t padded(std::size_t n) { return (n + 7) / 8 * 8; }

uint32_t bucketBits(std::size_t positions) {
    uint32_t bits = kMinBits;
    while (bits < kMaxBits && (std::size_t{1} << bits) * 4 < positions) ++bits;
    return bits;
}

std::size_t bucketOf(uint64_t hash, uint32_t bits) {
    return static_cast<std::size_t>(hash >> (64 - bits));
}

// Where the regions of a file lie: the header, the slots' handicaps, then for each key its
// bucket offsets and its slot numbers.
struct Layout {
    std::array<std::size_t, 2> offsetsAt{}, slotsAt{};
    std::size_t size = 0;
};

Layout layoutOf(std::size_t slots, std::size_t buckets, const std::array<uint64_t, 2>& entries) {
    Layout l;
    std::size_t at = kHeaderBytes + padded(slots);
    for (std::size_t k = 0; k < 2; ++k) {
        l.offsetsAt[k] = at;
        at += (buckets + 1) * 4;
        l.slotsAt[k] = at;
        at += padded(static_cast<std::size_t>(entries[k]) * 4);
    }
    l.size = at;
    return l;
}

// A slot's move list; slots past the lists have none.
std::span<const ListMove> listOf(const MoveList& lists, int slot) {
    return slot < lists.size() ? lists.list(slot) : std::span<const ListMove>{};
}

}  // namespace

std::array<uint64_t, 2> positionKeys(const ReplayBoard& board) { return keysOf(board).h; }

ReplayBoard reversedBoard(const ReplayBoard& board) {
    ReplayBoard out;
    for (int sq = 11; sq <= 99; ++sq) {
        core::PieceByte p = board.cells[static_cast<std::size_t>(sq)];
        if (!core::isSquare(sq) || p == 0 || p == core::kWall) continue;
        out.cells[static_cast<std::size_t>(110 - sq)] = static_cast<core::PieceByte>(p ^ 0x80);
    }
    out.hand[0] = board.hand[1];
    out.hand[1] = board.hand[0];
    out.sideToMove = core::opponent(board.sideToMove);
    return out;
}

bool holdsEveryPiece(const ReplayBoard& board) {
    std::array<int, 9> count{};
    for (int sq = 11; sq <= 99; ++sq) {
        core::PieceByte p = board.cells[static_cast<std::size_t>(sq)];
        if (!core::isSquare(sq) || p == 0 || p == core::kWall) continue;
        int type = core::pieceType(p);
        ++count[static_cast<std::size_t>(type == core::kKing ? core::kKing : (type & 0x07))];
    }
    for (const auto& side : board.hand) {
        for (std::size_t t = 1; t < 9; ++t) count[t] += side[t];
    }
    return count == kFullSet;
}

uint64_t listsFingerprint(const IndexTable& table, const MoveList& lists) {
    return listsFingerprint(table, lists, table.size());
}

uint64_t listsFingerprint(const IndexTable& table, const MoveList& lists, int slots) {
    static_assert(sizeof(ListMove) == 2, "a list element is its origin and destination bytes");
    slots = std::clamp(slots, 0, table.size());
    uint64_t h = mixWord(0x243F6A8885A308D3ULL, static_cast<uint64_t>(slots));
    for (int slot = 0; slot < slots; ++slot) {
        std::span<const ListMove> list = listOf(lists, slot);
        h = mixWord(h, (static_cast<uint64_t>(table.entry(slot).handicap) << 32) | list.size());
        h = mixWord(h, checksum(reinterpret_cast<const char*>(list.data()), list.size() * 2));
    }
    return h;
}

PositionIndex::~PositionIndex() {
    if (m_mapping != nullptr) ::munmap(m_mapping, m_size);
    if (m_fd >= 0) ::close(m_fd);
}

bool PositionIndex::fileUnchanged() const {
    if (m_fd < 0) return true;
    struct stat st {};
    return ::fstat(m_fd, &st) == 0 && static_cast<std::size_t>(st.st_size) == m_size &&
           st.st_mtim.tv_sec == m_mtime.tv_sec && st.st_mtim.tv_nsec == m_mtime.tv_nsec;
}

std::shared_ptr<const PositionIndex> PositionIndex::build(const IndexTable& table,
                                                          const MoveList& lists) {
    return buildOn(nullptr, table, lists);
}

std::shared_ptr<const PositionIndex> PositionIndex::extend(const PositionIndex& earlier,
                                                           const IndexTable& table,
                                                           const MoveList& lists) {
    const int first = earlier.slots();
    const std::size_t buckets = std::size_t{1} << earlier.m_bits;
    for (std::size_t k = 0; k < 2; ++k) {
        const uint32_t* o = earlier.m_offsets[k];
        if (!std::is_sorted(o, o + buckets + 1)) return build(table, lists);
    }
    if (first > table.size() ||
        earlier.m_bits != bucketBits(lists.moveCount() + static_cast<std::size_t>(table.size())) ||
        earlier.fingerprint() != listsFingerprint(table, lists, first)) {
        return build(table, lists);
    }
    return buildOn(&earlier, table, lists);
}

std::shared_ptr<const PositionIndex> PositionIndex::buildOn(const PositionIndex* earlier,
                                                            const IndexTable& table,
                                                            const MoveList& lists) {
    const std::size_t slots = static_cast<std::size_t>(table.size());
    const std::size_t first = earlier ? earlier->m_slots : 0;
    const uint32_t bits = bucketBits(lists.moveCount() + slots);
    const std::size_t buckets = std::size_t{1} << bits;

    // Per key and bucket: how many slots it holds, then the next free place in it; and the last
    // slot counted or placed there, so that a slot passing a bucket twice is listed once. The
    // two sit side by side, as every step touches both.
    struct Cell {
        uint32_t count = 0;
        uint32_t last = std::numeric_limits<uint32_t>::max();
    };
    // Huge pages for the large tables written at random: with small ones nearly every step
    // would miss the address cache as well as the data cache.
    std::array<core::LargeBytes, 2> cellBytes;
    std::array<Cell*, 2> cells{};
    // Calls visit(cell, slot) once for each bucket of the key that a new slot's positions fall
    // in, slot by slot in ascending order. The tables are far larger than any cache, so nearly
    // every cell is a miss: each is fetched ahead while the positions after it are replayed, and
    // visited kAhead positions later, in the same order.
    auto eachNewBucket = [&](std::size_t k, auto&& visit) {
        Cell* c = cells[k];
        constexpr std::size_t kAhead = 16;
        std::array<std::pair<uint32_t, uint32_t>, kAhead> pending{};  // bucket, slot
        std::size_t head = 0;
        std::size_t held = 0;
        auto step = [&](std::pair<uint32_t, uint32_t> p) {
            Cell& cell = c[p.first];
            if (cell.last == p.second) return;
            cell.last = p.second;
            visit(cell, p.second);
        };
        for (std::size_t slot = first; slot < slots; ++slot) {
            const auto s32 = static_cast<uint32_t>(slot);
            forEachPosition(table.entry(static_cast<int>(slot)).handicap,
                            listOf(lists, static_cast<int>(slot)),
                            [&](const std::array<uint64_t, 2>& h) {
                                const auto bucket = static_cast<uint32_t>(bucketOf(h[k], bits));
                                __builtin_prefetch(c + bucket, 1);
                                if (held == kAhead) {
                                    step(pending[head]);
                                } else {
                                    ++held;
                                }
                                pending[head] = {bucket, s32};
                                head = (head + 1) % kAhead;
                            });
        }
        for (std::size_t i = (head + kAhead - held) % kAhead; held > 0; --held) {
            step(pending[i]);
            i = (i + 1) % kAhead;
        }
    };
    // The two keys are built side by side, one on each core; each replays the lists itself.
    auto eachKey = [](auto&& work) {
        core::parallelFor(2, core::workerCount(2), [&](unsigned, std::size_t k) { work(k); });
    };

    // Count the slots of every bucket (those of the earlier index as it holds them), then lay
    // them out.
    eachKey([&](std::size_t k) {
        cellBytes[k].resize(buckets * sizeof(Cell));
        cells[k] = reinterpret_cast<Cell*>(cellBytes[k].data());
        std::uninitialized_fill_n(cells[k], buckets, Cell{});
        if (earlier != nullptr) {
            for (std::size_t b = 0; b < buckets; ++b) {
                cells[k][b].count = earlier->m_offsets[k][b + 1] - earlier->m_offsets[k][b];
            }
        }
        eachNewBucket(k, [](Cell& cell, uint32_t) { ++cell.count; });
    });
    std::array<uint64_t, 2> entries{};
    for (std::size_t k = 0; k < 2; ++k) {
        for (std::size_t b = 0; b < buckets; ++b) entries[k] += cells[k][b].count;
        if (entries[k] > std::numeric_limits<uint32_t>::max()) return nullptr;
    }

    auto index = std::shared_ptr<PositionIndex>(new PositionIndex);
    core::LargeBytes& out = index->m_owned;
    const Layout layout = layoutOf(slots, buckets, entries);
    out.resize(layout.size);
    std::memset(out.data(), 0, out.size());
    for (std::size_t slot = 0; slot < slots; ++slot) {
        out.data()[kHeaderBytes + slot] =
            static_cast<char>(table.entry(static_cast<int>(slot)).handicap);
    }
    eachKey([&](std::size_t k) {
        // The offsets; each cell's count becomes the next free place of its bucket, where the
        // earlier slots come first, as they are the lower ones.
        uint32_t at = 0;
        for (std::size_t b = 0; b < buckets; ++b) {
            put(out, layout.offsetsAt[k] + b * 4, at);
            Cell& cell = cells[k][b];
            const uint32_t n = cell.count;
            cell = Cell{at, std::numeric_limits<uint32_t>::max()};
            if (earlier != nullptr && n > 0) {
                const uint32_t held = earlier->m_offsets[k][b + 1] - earlier->m_offsets[k][b];
                std::memcpy(out.data() + layout.slotsAt[k] + std::size_t{at} * 4,
                            earlier->m_slotLists[k] + earlier->m_offsets[k][b], held * 4);
                cell.count += held;
            }
            at += n;
        }
        put(out, layout.offsetsAt[k] + buckets * 4, at);
        // The places written are as scattered: each is fetched ahead too, and written later.
        char* slotsOut = out.data() + layout.slotsAt[k];
        constexpr std::size_t kAhead = 16;
        std::array<std::pair<char*, uint32_t>, kAhead> stores{};
        std::size_t next = 0;
        eachNewBucket(k, [&](Cell& cell, uint32_t slot) {
            char* place = slotsOut + std::size_t{cell.count++} * 4;
            __builtin_prefetch(place, 1);
            auto& [to, value] = stores[next];
            if (to != nullptr) std::memcpy(to, &value, 4);
            stores[next] = {place, slot};
            next = (next + 1) % kAhead;
        });
        for (const auto& [to, value] : stores) {
            if (to != nullptr) std::memcpy(to, &value, 4);
        }
    });

    std::memcpy(out.data(), kMagic, 4);
    put(out, 4, kVersion);
    put(out, 8, static_cast<uint32_t>(slots));
    put(out, 12, bits);
    put(out, 16, listsFingerprint(table, lists));
    put(out, 24, entries[0]);
    put(out, 32, entries[1]);
    put(out, 40, checksum(out.data() + kHeaderBytes, out.size() - kHeaderBytes));
    put(out, 48, checksum(out.data(), 48));
    if (!index->attach(out.data(), out.size())) return nullptr;
    return index;
}

bool PositionIndex::attach(const char* data, std::size_t size, bool sumBody) {
    if (size < kHeaderBytes || std::memcmp(data, kMagic, 4) != 0 ||
        get<uint32_t>(data, 4) != kVersion || get<uint64_t>(data, 48) != checksum(data, 48)) {
        return false;
    }
    m_slots = get<uint32_t>(data, 8);
    m_bits = get<uint32_t>(data, 12);
    m_fingerprint = get<uint64_t>(data, 16);
    m_entries = {get<uint64_t>(data, 24), get<uint64_t>(data, 32)};
    if (m_bits < kMinBits || m_bits > kMaxBits) return false;
    const std::size_t buckets = std::size_t{1} << m_bits;
    for (uint64_t entries : m_entries) {
        if (entries > std::numeric_limits<uint32_t>::max()) return false;
    }
    const Layout layout = layoutOf(m_slots, buckets, m_entries);
    if (layout.size != size ||
        (sumBody &&
         get<uint64_t>(data, 40) != checksum(data + kHeaderBytes, size - kHeaderBytes))) {
        return false;
    }
    m_data = data;
    m_size = size;
    m_handicaps = reinterpret_cast<const uint8_t*>(data + kHeaderBytes);
    for (std::size_t k = 0; k < 2; ++k) {
        // Both regions start at multiples of 8 from the header, and the data is page-aligned
        // (a mapping) or comes from the allocator.
        m_offsets[k] = reinterpret_cast<const uint32_t*>(data + layout.offsetsAt[k]);
        m_slotLists[k] = reinterpret_cast<const uint32_t*>(data + layout.slotsAt[k]);
        // The offsets of each bucket and the slot numbers in it are checked where a search
        // looks them up (slotsOf), so that opening reads the file once, for its checksum.
        if (m_offsets[k][0] != 0 || m_offsets[k][buckets] != m_entries[k]) return false;
    }
    return true;
}

std::shared_ptr<const PositionIndex> PositionIndex::open(const std::string& fsPath,
                                                         const IndexTable& table,
                                                         const MoveList& lists,
                                                         PositionIndexReadResult& result) {
    int fd = ::open(fsPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result = errno == ENOENT ? PositionIndexReadResult::Missing
                                 : PositionIndexReadResult::CannotRead;
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        result = PositionIndexReadResult::CannotRead;
        return nullptr;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size < kHeaderBytes) {
        ::close(fd);
        result = PositionIndexReadResult::Damaged;
        return nullptr;
    }
    // Only the pages a search looks up are read through the mapping; the checksum reads the
    // file in pieces.
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) {
        ::close(fd);
        result = PositionIndexReadResult::CannotRead;
        return nullptr;
    }
    auto index = std::shared_ptr<PositionIndex>(new PositionIndex);
    index->m_mapping = map;
    index->m_size = size;
    // An index of an earlier layout is out of date rather than damaged: the next save replaces it.
    const auto* bytes = static_cast<const char*>(map);
    if (std::memcmp(bytes, kMagic, 4) == 0 && get<uint32_t>(bytes, 4) < kVersion) {
        ::close(fd);
        result = PositionIndexReadResult::Stale;
        return nullptr;
    }
    const bool attached = index->attach(bytes, size, false);
    const std::optional<uint64_t> sum =
        attached ? fileChecksum(fd, kHeaderBytes, size) : std::nullopt;
    // Kept open: a later search asks it whether the file changed in place since.
    index->m_fd = fd;
    index->m_mtime = st.st_mtim;
    if (!attached || sum != get<uint64_t>(bytes, 40) || !index->fileUnchanged()) {
        result = PositionIndexReadResult::Damaged;
        return nullptr;
    }
    if (index->m_slots != static_cast<uint32_t>(table.size()) ||
        index->m_fingerprint != listsFingerprint(table, lists)) {
        result = PositionIndexReadResult::Stale;
        return nullptr;
    }
    result = PositionIndexReadResult::Ok;
    return index;
}

std::optional<std::span<const uint32_t>> PositionIndex::slotsOf(PositionKey key,
                                                                uint64_t hash) const {
    const auto k = static_cast<std::size_t>(key);
    const std::size_t b = bucketOf(hash, m_bits);
    const uint32_t* offsets = m_offsets[k];
    if (offsets[b] > offsets[b + 1] || offsets[b + 1] > m_entries[k]) return std::nullopt;
    std::span<const uint32_t> out{m_slotLists[k] + offsets[b], m_slotLists[k] + offsets[b + 1]};
    for (uint32_t slot : out) {
        if (slot >= m_slots) return std::nullopt;
    }
    return out;
}

std::string positionIndexPath(std::string_view fsPath) {
    return std::string(core::withoutExtension(fsPath)) + ".DPX";
}

core::WriteResult writePositionIndex(const std::string& fsPath, const PositionIndex& index) {
    return core::writeFileAtomically(positionIndexPath(fsPath), index.bytes());
}

std::string positionIndexNotice(PositionIndexReadResult result, std::string_view storedPath) {
    const char* text = nullptr;
    switch (result) {
        case PositionIndexReadResult::Stale:
            text = "局面インデックス(%s)が古いため、使わずに検索します。";
            break;
        case PositionIndexReadResult::Damaged:
        case PositionIndexReadResult::CannotRead:
            text = "局面インデックス(%s)が壊れているため、使わずに検索します。";
            break;
        default:
            return {};
    }
    return core::formatMessage(std::string(text), {std::string(storedPath)});
}

}  // namespace dalmir::model
