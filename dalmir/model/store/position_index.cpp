#include "dalmir/model/store/position_index.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
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
constexpr uint32_t kVersion = 3;
constexpr uint32_t kMinBits = 4;
constexpr uint32_t kMaxBits = 24;
// The bits of the full key kept with each entry, and the entries a bucket holds on average.
constexpr uint32_t kTagBits = 4;
constexpr std::size_t kBucketTarget = 4096;
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
    while (bits < kMaxBits && (std::size_t{1} << bits) * kBucketTarget < positions) ++bits;
    return bits;
}

std::size_t bucketOf(uint64_t pawnless, uint32_t bits) {
    return static_cast<std::size_t>(pawnless >> (64 - bits));
}
uint64_t tagOf(uint64_t full) { return full >> (64 - kTagBits); }

// The Rice parameter of the values: about the mean distance between neighbours in a bucket, so
// that a distance costs its low bits plus a few.
uint32_t riceBits(std::size_t slots, std::size_t positions, uint32_t bits) {
    const uint64_t perBucket = std::max<uint64_t>(1, positions >> bits);
    const uint64_t gap = (static_cast<uint64_t>(slots) << kTagBits) / perBucket;
    return gap <= 1 ? 0 : static_cast<uint32_t>(std::bit_width(gap) - 1);
}

// Where the regions of a file lie: the header, the slots' handicaps, the bucket offsets (bytes
// into the data, buckets + 1 of them), the entry count of each bucket, and the data.
struct Layout {
    std::size_t offsetsAt = 0, countsAt = 0, dataAt = 0, size = 0;
};

Layout layoutOf(std::size_t slots, std::size_t buckets, std::size_t dataBytes) {
    Layout l;
    l.offsetsAt = kHeaderBytes + padded(slots);
    l.countsAt = l.offsetsAt + (buckets + 1) * 8;
    l.dataAt = l.countsAt + padded(buckets * 4);
    l.size = l.dataAt + dataBytes;
    return l;
}

// The data region of buckets that take `bytes` in all: padded, with 8 more zero bytes that let
// the writer and reader touch a whole word past the last bucket.
std::size_t dataBytesOf(std::size_t bytes) { return padded(bytes) + 8; }

// Bits written into zeroed bytes from the lowest bit up, at most 56 at a time.
void putBits(unsigned char* base, uint64_t& at, uint64_t value, unsigned n) {
    unsigned char* p = base + (at >> 3);
    uint64_t w = 0;
    std::memcpy(&w, p, 8);
    w |= value << (at & 7);
    std::memcpy(p, &w, 8);
    at += n;
}

uint64_t riceLength(uint64_t gap, uint32_t k) { return (gap >> k) + 1 + k; }

// gap >> k one bits and a zero, then the k low bits of gap.
void putRice(unsigned char* base, uint64_t& at, uint64_t gap, uint32_t k) {
    uint64_t q = gap >> k;
    const uint64_t low = gap & ((uint64_t{1} << k) - 1);
    if (q + 1 + k <= 56) {
        putBits(base, at, ((uint64_t{1} << q) - 1) | (low << (q + 1)),
                static_cast<unsigned>(q + 1 + k));
        return;
    }
    while (q >= 56) {
        putBits(base, at, (uint64_t{1} << 56) - 1, 56);
        q -= 56;
    }
    putBits(base, at, (uint64_t{1} << q) - 1, static_cast<unsigned>(q) + 1);
    if (k > 0) putBits(base, at, low, k);
}

// Writes putRice's codes one after the other from a byte on, a word at a time: each store holds
// the bits so far and zeros after them, so the bytes need no zeroing first and are never read.
// A store reaches at most 8 bytes past the last bit written.
class RiceWriter {
public:
    explicit RiceWriter(unsigned char* at) : m_p(at) {}

    void rice(uint64_t gap, uint32_t k) {
        uint64_t q = gap >> k;
        const uint64_t low = gap & ((uint64_t{1} << k) - 1);
        if (q + 1 + k <= 56) {
            put(((uint64_t{1} << q) - 1) | (low << (q + 1)), static_cast<unsigned>(q + 1 + k));
            return;
        }
        while (q >= 56) {
            put((uint64_t{1} << 56) - 1, 56);
            q -= 56;
        }
        put((uint64_t{1} << q) - 1, static_cast<unsigned>(q) + 1);
        if (k > 0) put(low, k);
    }
    uint64_t bits() const { return m_bits; }

private:
    // At most 56 bits, none above n.
    void put(uint64_t value, unsigned n) {
        m_acc |= value << m_held;
        m_held += n;
        std::memcpy(m_p, &m_acc, 8);
        const unsigned bytes = m_held / 8;  // at most 7
        m_p += bytes;
        m_acc >>= 8 * bytes;
        m_held %= 8;
        m_bits += n;
    }

    unsigned char* m_p;
    uint64_t m_acc = 0;
    unsigned m_held = 0;  // bits in m_acc not yet past m_p
    uint64_t m_bits = 0;
};

// Reads the codes of putRice between two bit places of the data, never beyond them.
class BitReader {
public:
    BitReader(const unsigned char* data, uint64_t from, uint64_t to)
        : m_data(data), m_at(from), m_end(to) {}

    // The next distance; false when the codes run past the end or beyond `limit`.
    bool rice(uint32_t k, uint64_t limit, uint64_t& gap) {
        uint64_t q = 0;
        const uint64_t qLimit = limit >> k;
        while (true) {
            if (m_at >= m_end) return false;
            const uint64_t avail = std::min<uint64_t>(56, m_end - m_at);
            const uint64_t w = window() & ((uint64_t{1} << avail) - 1);
            const auto ones = static_cast<uint64_t>(std::countr_one(w));
            if (ones < avail) {
                q += ones;
                m_at += ones + 1;
                break;
            }
            q += avail;
            m_at += avail;
            if (q > qLimit) return false;
        }
        if (q > qLimit) return false;
        if (k == 0) {
            gap = q;
            return true;
        }
        if (m_end - m_at < k) return false;
        gap = (q << k) | (window() & ((uint64_t{1} << k) - 1));
        m_at += k;
        return true;
    }

private:
    // The bits from the place on (at least 57 of them, or all there are; zeros after).
    uint64_t window() const {
        const uint64_t byte = m_at >> 3;
        const uint64_t endByte = (m_end + 7) >> 3;
        uint64_t w = 0;
        if (endByte - byte >= 8) {
            std::memcpy(&w, m_data + byte, 8);
            return w >> (m_at & 7);
        }
        std::memcpy(&w, m_data + byte,
                    static_cast<std::size_t>(std::min<uint64_t>(8, endByte - byte)));
        return w >> (m_at & 7);
    }

    const unsigned char* m_data;
    uint64_t m_at, m_end;
};

// A slot's move list; slots past the lists have none.
std::span<const ListMove> listOf(const MoveList& lists, int slot) {
    return slot < lists.size() ? lists.list(slot) : std::span<const ListMove>{};
}

// The positions the database's lists hold at most (each list's start and moves): what the
// bucket count and the Rice parameter follow from.
std::size_t positionsOf(const IndexTable& table, const MoveList& lists) {
    return lists.moveCount() + static_cast<std::size_t>(table.size());
}

// Per bucket while slots are added in ascending order: the value the next one is measured
// from, the bits taken (or, while writing, the next bit), the entries, and the tags of the slot
// being added.
struct BucketState {
    uint64_t next = 0;
    uint64_t bits = 0;
    uint32_t count = 0;
    uint32_t slot = std::numeric_limits<uint32_t>::max();
    uint32_t tags = 0;
};

// Calls add(bucket, value) for every entry of one slot: each bucket its positions fall in, with
// the tags of the positions in it, ascending.
template <class Add>
void slotEntries(uint32_t slot, uint8_t handicap, std::span<const ListMove> moves, uint32_t bits,
                 std::vector<BucketState>& state, std::vector<uint32_t>& touched, Add&& add) {
    touched.clear();
    forEachPosition(handicap, moves, [&](const std::array<uint64_t, 2>& h) {
        const auto b = static_cast<uint32_t>(bucketOf(h[1], bits));
        BucketState& st = state[b];
        if (st.slot != slot) {
            st.slot = slot;
            st.tags = 0;
            touched.push_back(b);
        }
        st.tags |= uint32_t{1} << tagOf(h[0]);
    });
    for (const uint32_t b : touched) {
        for (uint32_t tags = state[b].tags; tags != 0; tags &= tags - 1) {
            add(b, (uint64_t{slot} << kTagBits) | static_cast<uint64_t>(std::countr_zero(tags)));
        }
    }
}

// Whether the first n values run backwards slot by slot (the tags of one slot ascending), as the
// values of a reversed order are renumbered.
bool descendingSlots(std::vector<uint64_t>::iterator values, std::size_t n) {
    for (std::size_t i = 1; i < n; ++i) {
        if ((values[i] >> kTagBits) >= (values[i - 1] >> kTagBits) &&
            !((values[i] >> kTagBits) == (values[i - 1] >> kTagBits) &&
              values[i] > values[i - 1])) {
            return false;
        }
    }
    return true;
}

// Puts values that run backwards slot by slot into ascending order.
void reverseSlots(std::vector<uint64_t>::iterator values, std::size_t n) {
    std::reverse(values, values + static_cast<std::ptrdiff_t>(n));
    // The tags of each slot now descend: turned round again.
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i + 1;
        while (j < n && (values[j] >> kTagBits) == (values[i] >> kTagBits)) ++j;
        std::reverse(values + static_cast<std::ptrdiff_t>(i),
                     values + static_cast<std::ptrdiff_t>(j));
        i = j;
    }
}

void writeHeader(core::LargeBytes& out, std::size_t slots, uint32_t bits, uint32_t k,
                 uint64_t fingerprint, uint64_t entries) {
    std::memcpy(out.data(), kMagic, 4);
    put(out, 4, kVersion);
    put(out, 8, static_cast<uint32_t>(slots));
    put(out, 12, bits);
    put(out, 16, fingerprint);
    put(out, 24, entries);
    put(out, 32, k);
    put(out, 36, static_cast<uint32_t>(kTagBits));
    put(out, 40, checksum(out.data() + kHeaderBytes, out.size() - kHeaderBytes));
    put(out, 48, checksum(out.data(), 48));
    put(out, 56, uint64_t{0});
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
    const std::size_t slots = static_cast<std::size_t>(table.size());
    if (slots > std::numeric_limits<uint32_t>::max() >> kTagBits) return nullptr;
    const std::size_t positions = positionsOf(table, lists);
    const uint32_t bits = bucketBits(positions);
    const uint32_t k = riceBits(slots, positions, bits);
    const std::size_t buckets = std::size_t{1} << bits;

    // Two passes over the slots: the first measures every bucket's codes, the second writes
    // them where they go. The buckets' states fit in the caches, unlike the codes. The games of
    // a block of slots are replayed on every core, each core with its own record of the buckets
    // a slot has reached; their entries are then taken slot by slot in order.
    std::vector<BucketState> state(buckets);
    const unsigned workers = core::workerCount(2);
    std::vector<std::vector<BucketState>> seen(workers);
    std::vector<std::vector<uint32_t>> touched(workers);
    constexpr std::size_t kBlock = 4096;
    std::vector<std::vector<std::pair<uint32_t, uint64_t>>> blockEntries(kBlock);
    auto eachEntry = [&](auto&& add) {
        for (auto& s : seen) s.assign(buckets, BucketState{});
        for (BucketState& st : state) st.next = 0;
        for (std::size_t first = 0; first < slots; first += kBlock) {
            const std::size_t n = std::min(kBlock, slots - first);
            core::parallelFor(n, workers, [&](unsigned w, std::size_t i) {
                auto& out = blockEntries[i];
                out.clear();
                const auto slot = static_cast<int>(first + i);
                slotEntries(static_cast<uint32_t>(slot), table.entry(slot).handicap,
                            listOf(lists, slot), bits, seen[w], touched[w],
                            [&](uint32_t b, uint64_t v) { out.emplace_back(b, v); });
            });
            for (std::size_t i = 0; i < n; ++i) {
                for (const auto& [b, v] : blockEntries[i]) add(b, v);
            }
        }
    };
    eachEntry([&](uint32_t b, uint64_t v) {
        BucketState& st = state[b];
        st.bits += riceLength(v - st.next, k);
        st.next = v + 1;
        ++st.count;
    });
    uint64_t entries = 0;
    std::size_t bytes = 0;
    for (const BucketState& st : state) {
        entries += st.count;
        bytes += static_cast<std::size_t>((st.bits + 7) / 8);
    }

    auto index = std::shared_ptr<PositionIndex>(new PositionIndex);
    core::LargeBytes& out = index->m_owned;
    const Layout layout = layoutOf(slots, buckets, dataBytesOf(bytes));
    out.resize(layout.size);
    std::memset(out.data(), 0, out.size());
    for (std::size_t slot = 0; slot < slots; ++slot) {
        out.data()[kHeaderBytes + slot] =
            static_cast<char>(table.entry(static_cast<int>(slot)).handicap);
    }
    uint64_t at = 0;
    for (std::size_t b = 0; b < buckets; ++b) {
        BucketState& st = state[b];
        put(out, layout.offsetsAt + b * 8, at / 8);
        put(out, layout.countsAt + b * 4, st.count);
        const uint64_t length = st.bits;
        st.bits = at;
        at += (length + 7) / 8 * 8;
    }
    put(out, layout.offsetsAt + buckets * 8, at / 8);
    auto* data = reinterpret_cast<unsigned char*>(out.data() + layout.dataAt);
    eachEntry([&](uint32_t b, uint64_t v) {
        BucketState& st = state[b];
        putRice(data, st.bits, v - st.next, k);
        st.next = v + 1;
    });
    writeHeader(out, slots, bits, k, listsFingerprint(table, lists), entries);
    // The checksum was just taken of these bytes.
    if (!index->attach(out.data(), out.size(), false)) return nullptr;
    return index;
}

std::shared_ptr<const PositionIndex> PositionIndex::extend(const PositionIndex& earlier,
                                                           const IndexTable& table,
                                                           const MoveList& lists) {
    const int first = earlier.slots();
    if (first > table.size() || earlier.fingerprint() != listsFingerprint(table, lists, first)) {
        return build(table, lists);
    }
    std::vector<int32_t> origins(static_cast<std::size_t>(table.size()), -1);
    for (int slot = 0; slot < first; ++slot) origins[static_cast<std::size_t>(slot)] = slot;
    return update(earlier, origins, table, lists);
}

std::shared_ptr<const PositionIndex> PositionIndex::update(const PositionIndex& earlier,
                                                           std::span<const int32_t> origins,
                                                           const IndexTable& table,
                                                           const MoveList& lists) {
    const std::size_t slots = static_cast<std::size_t>(table.size());
    if (!earlier.fileUnchanged() || origins.size() != slots ||
        slots > std::numeric_limits<uint32_t>::max() >> kTagBits) {
        return build(table, lists);
    }
    const std::size_t positions = positionsOf(table, lists);
    const uint32_t bits = bucketBits(positions);
    // More buckets than the earlier index has need the positions' keys again.
    if (bits > earlier.m_bits) return build(table, lists);
    const uint32_t merged = earlier.m_bits - bits;  // each bucket takes 2^merged earlier ones
    const uint32_t k = riceBits(slots, positions, bits);
    const std::size_t buckets = std::size_t{1} << bits;

    // Where each earlier slot's list went; the slots whose lists are new (or whose handicap
    // changed) are replayed.
    std::vector<int32_t> moved(earlier.m_slots, -1);
    std::vector<uint32_t> fresh;
    bool ascending = true;
    int32_t last = -1;
    // The handicap codes, read from the table (large entries) once.
    std::vector<uint8_t> handicaps(slots);
    for (std::size_t slot = 0; slot < slots; ++slot) {
        handicaps[slot] = table.entry(static_cast<int>(slot)).handicap;
    }
    for (std::size_t slot = 0; slot < slots; ++slot) {
        const int32_t o = origins[slot];
        const auto handicap = handicaps[slot];
        if (o >= 0 && static_cast<uint32_t>(o) < earlier.m_slots &&
            moved[static_cast<std::size_t>(o)] < 0 &&
            earlier.m_handicaps[static_cast<std::size_t>(o)] == handicap) {
            moved[static_cast<std::size_t>(o)] = static_cast<int32_t>(slot);
            if (o < last) ascending = false;
            last = o;
        } else {
            fresh.push_back(static_cast<uint32_t>(slot));
        }
    }
    // Mostly new lists: replaying them all costs no more.
    if (fresh.size() > slots / 2 + 1000) return build(table, lists);
    // Every page of a mapped index is read, in order: have them read ahead.
    if (earlier.m_mapping != nullptr)
        (void)::madvise(earlier.m_mapping, earlier.m_size, MADV_WILLNEED);
    std::vector<std::pair<uint32_t, uint64_t>> added;  // bucket, value
    {
        std::vector<BucketState> state(buckets);
        std::vector<uint32_t> touched;
        for (const uint32_t slot : fresh) {
            slotEntries(slot, table.entry(static_cast<int>(slot)).handicap,
                        listOf(lists, static_cast<int>(slot)), bits, state, touched,
                        [&](uint32_t b, uint64_t v) { added.emplace_back(b, v); });
        }
    }
    std::sort(added.begin(), added.end());

    // Room for the most the codes can take: every entry k + 1 bits, and each bucket's
    // distances in all at most the largest value, plus its padding.
    const uint64_t limit = uint64_t{slots} << kTagBits;
    const uint64_t most =
        (earlier.entries() + added.size()) * (k + 1) + buckets * ((limit >> k) + 1 + 8);
    auto index = std::shared_ptr<PositionIndex>(new PositionIndex);
    core::LargeBytes& out = index->m_owned;
    const Layout room = layoutOf(slots, buckets, dataBytesOf(static_cast<std::size_t>(most / 8)));
    out.resize(room.size);
    std::memset(out.data(), 0, room.dataAt);
    std::memcpy(out.data() + kHeaderBytes, handicaps.data(), slots);
    // The buckets in two halves, one on each core: the first half's codes go into place, the
    // second half's into bytes of their own, moved behind the first half's when both are done.
    struct Half {
        std::size_t from = 0, to = 0;  // buckets
        unsigned char* data = nullptr;
        std::size_t roomBytes = 0;
        core::LargeBytes own;
        std::vector<uint64_t> offsets;  // bytes into the half's codes, per bucket and its end
        std::vector<uint32_t> counts;
        uint64_t entries = 0;
        bool read = true;
    };
    std::array<Half, 2> halves;
    const std::size_t roomBytes = room.size - room.dataAt;
    halves[0].from = 0;
    halves[0].to = buckets / 2;
    halves[0].data = reinterpret_cast<unsigned char*>(out.data() + room.dataAt);
    halves[0].roomBytes = roomBytes;
    halves[1].from = buckets / 2;
    halves[1].to = buckets;
    halves[1].own.resize(roomBytes);
    halves[1].data = reinterpret_cast<unsigned char*>(halves[1].own.data());
    halves[1].roomBytes = roomBytes;
    core::parallelFor(2, core::workerCount(2), [&](unsigned, std::size_t h) {
        Half& half = halves[h];
        std::vector<uint64_t> values;
        auto next = static_cast<std::size_t>(
            std::lower_bound(added.begin(), added.end(),
                             std::pair<uint32_t, uint64_t>{static_cast<uint32_t>(half.from), 0}) -
            added.begin());
        uint64_t at = 0;
        for (std::size_t b = half.from; b < half.to; ++b) {
            values.clear();
            for (std::size_t e = b << merged; e < (b + 1) << merged; ++e) {
                half.read = earlier.eachValue(e, [&](uint64_t v) {
                    const int32_t to = moved[static_cast<std::size_t>(v >> kTagBits)];
                    if (to >= 0) {
                        values.push_back((static_cast<uint64_t>(to) << kTagBits) |
                                         (v & ((uint64_t{1} << kTagBits) - 1)));
                    }
                });
                if (!half.read) return;
            }
            const std::size_t renumbered = values.size();
            for (; next < added.size() && added[next].first == b; ++next) {
                values.push_back(added[next].second);
            }
            if (!ascending && merged == 0 && descendingSlots(values.begin(), renumbered)) {
                // A reversed order: the renumbered values run backwards, slot by slot.
                reverseSlots(values.begin(), renumbered);
                std::inplace_merge(values.begin(),
                                   values.begin() + static_cast<std::ptrdiff_t>(renumbered),
                                   values.end());
            } else if (!ascending || merged > 0) {
                std::sort(values.begin(), values.end());
                values.erase(std::unique(values.begin(), values.end()), values.end());
            } else if (renumbered < values.size()) {
                // Two ascending runs (the new lists' values are sorted): merged in one pass.
                std::inplace_merge(values.begin(),
                                   values.begin() + static_cast<std::ptrdiff_t>(renumbered),
                                   values.end());
            }
            half.offsets.push_back(at / 8);
            half.counts.push_back(static_cast<uint32_t>(values.size()));
            // The most the codes can reach, with the writer's last store: within the room
            // unless the values are not what they should be.
            const auto reach = static_cast<std::size_t>(
                (at + values.size() * (k + 1) + (limit >> k) + 64) / 8 + 16);
            if (reach > half.roomBytes) {
                half.read = false;
                return;
            }
            RiceWriter writer(half.data + at / 8);
            uint64_t from = 0;
            for (const uint64_t v : values) {
                // Never so (the values ascend): a fault is built afresh rather than written.
                if (v < from) {
                    half.read = false;
                    return;
                }
                writer.rice(v - from, k);
                from = v + 1;
            }
            at = (at + writer.bits() + 7) / 8 * 8;
            half.entries += values.size();
        }
        half.offsets.push_back(at / 8);
        // Zero past the end: the padding (the last store wrote zeros there or not at all).
        const std::size_t end = std::min(half.roomBytes, static_cast<std::size_t>(at / 8) + 16);
        std::memset(half.data + at / 8, 0, end - static_cast<std::size_t>(at / 8));
    });
    // A damaged earlier index (or values out of order): start afresh.
    if (!halves[0].read || !halves[1].read) return build(table, lists);
    const uint64_t firstBytes = halves[0].offsets.back();
    const uint64_t secondBytes = halves[1].offsets.back();
    unsigned char* data = halves[0].data;
    std::memcpy(data + firstBytes, halves[1].data, static_cast<std::size_t>(secondBytes));
    halves[1].own = core::LargeBytes();
    const std::size_t dataBytes = dataBytesOf(static_cast<std::size_t>(firstBytes + secondBytes));
    std::memset(data + firstBytes + secondBytes, 0,
                dataBytes - static_cast<std::size_t>(firstBytes + secondBytes));
    for (std::size_t h = 0; h < 2; ++h) {
        const uint64_t shift = h == 0 ? 0 : firstBytes;
        for (std::size_t i = 0; i < halves[h].counts.size(); ++i) {
            const std::size_t b = halves[h].from + i;
            put(out, room.offsetsAt + b * 8, halves[h].offsets[i] + shift);
            put(out, room.countsAt + b * 4, halves[h].counts[i]);
        }
    }
    put(out, room.offsetsAt + buckets * 8, firstBytes + secondBytes);
    const uint64_t entries = halves[0].entries + halves[1].entries;
    out.resize(room.dataAt + dataBytes);
    writeHeader(out, slots, bits, k, listsFingerprint(table, lists), entries);
    // The checksum was just taken of these bytes.
    if (!index->attach(out.data(), out.size(), false)) return nullptr;
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
    m_entries = get<uint64_t>(data, 24);
    m_k = get<uint32_t>(data, 32);
    if (m_bits < kMinBits || m_bits > kMaxBits || m_k > 40 || get<uint32_t>(data, 36) != kTagBits ||
        m_slots > std::numeric_limits<uint32_t>::max() >> kTagBits) {
        return false;
    }
    const std::size_t buckets = std::size_t{1} << m_bits;
    const Layout layout = layoutOf(m_slots, buckets, 0);
    if (size < layout.dataAt + 8 ||
        (sumBody &&
         get<uint64_t>(data, 40) != checksum(data + kHeaderBytes, size - kHeaderBytes))) {
        return false;
    }
    m_dataBytes = size - layout.dataAt;
    // The offsets ascend within the data and the counts add up: a bucket is then read within
    // its own bytes (its codes are checked as they are read).
    uint64_t previous = 0, entries = 0;
    for (std::size_t b = 0; b <= buckets; ++b) {
        const auto offset = get<uint64_t>(data, layout.offsetsAt + b * 8);
        if (offset < previous || offset > m_dataBytes - 8 || (b == 0 && offset != 0)) return false;
        previous = offset;
        if (b < buckets) entries += get<uint32_t>(data, layout.countsAt + b * 4);
    }
    if (entries != m_entries) return false;
    m_data = data;
    m_size = size;
    m_handicaps = reinterpret_cast<const uint8_t*>(data + kHeaderBytes);
    m_offsetsAt = layout.offsetsAt;
    m_countsAt = layout.countsAt;
    m_dataAt = layout.dataAt;
    return true;
}

template <class Visit>
bool PositionIndex::eachValue(std::size_t bucket, Visit&& visit) const {
    const auto from = get<uint64_t>(m_data, m_offsetsAt + bucket * 8);
    const auto to = get<uint64_t>(m_data, m_offsetsAt + bucket * 8 + 8);
    if (from > to || to > m_dataBytes) return false;
    const auto count = get<uint32_t>(m_data, m_countsAt + bucket * 4);
    BitReader reader(reinterpret_cast<const unsigned char*>(m_data + m_dataAt), from * 8, to * 8);
    const uint64_t limit = (uint64_t{m_slots} << kTagBits) - 1;
    uint64_t next = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t gap = 0;
        if (m_slots == 0 || !reader.rice(m_k, limit, gap) || gap > limit - next) return false;
        visit(next + gap);
        next += gap + 1;
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
    index->m_path = fsPath;
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

std::optional<std::vector<uint32_t>> PositionIndex::slotsOf(
    PositionKey key, const std::array<uint64_t, 2>& keys) const {
    std::vector<uint32_t> out;
    const bool full = key == PositionKey::Full;
    const uint64_t tag = tagOf(keys[0]);
    const bool read = eachValue(bucketOf(keys[1], m_bits), [&](uint64_t v) {
        if (full && (v & ((uint64_t{1} << kTagBits) - 1)) != tag) return;
        const auto slot = static_cast<uint32_t>(v >> kTagBits);
        if (out.empty() || out.back() != slot) out.push_back(slot);
    });
    if (!read) return std::nullopt;
    return out;
}

std::string positionIndexPath(std::string_view fsPath) {
    return std::string(core::withoutExtension(fsPath)) + ".DPX";
}

core::WriteResult writePositionIndex(const std::string& fsPath, const PositionIndex& index,
                                     const core::WriteStep& step) {
    const std::string path = positionIndexPath(fsPath);
    // The file the index was read from, unchanged since: nothing to write.
    if (!index.sourcePath().empty() && index.fileUnchanged()) {
        std::error_code ec;
        if (std::filesystem::equivalent(index.sourcePath(), path, ec)) return core::WriteResult::Ok;
    }
    return core::writeFileAtomically(path, index.bytes(), core::FileAccess::Keep, step);
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
