#include "dalmir/model/tree/tree_index.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>

#include "core/base/checksum.h"
#include "core/base/parallel_for.h"
#include "core/base/path_text.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"

namespace dalmir::model {

namespace {

constexpr std::size_t kHeaderBytes = 64;
constexpr char kMagic[4] = {'D', 'T', 'R', '1'};
constexpr uint32_t kVersion = 1;
constexpr std::size_t kKeyBytes = 16;
constexpr std::size_t kHitBytes = 8;
// Positions are first counted by the top bits of their keys: a bucket's count is at least that
// of every position in it, so a position whose bucket stays below the least is never kept. The
// buckets are about as many as the positions, up to 2^24.
constexpr uint32_t kMaxCountBits = 24;
// Slots are replayed in blocks of this many, one block at a time per core.
constexpr std::size_t kBlock = 4096;

template <class T>
void put(char* out, std::size_t at, T value) {
    std::memcpy(out + at, &value, sizeof value);
}

template <class T>
T get(const char* data, std::size_t at) {
    T value;
    std::memcpy(&value, data + at, sizeof value);
    return value;
}

// The positions a line visits for the first time: the start, then after each move played, up
// to a closing entry or an element that can't be played. Keys seen before in the same line are
// skipped, so that a record counts once, where it first comes.
class FirstVisits {
public:
    template <class Visit>
    void run(const ReplayBoard& start, std::span<const ListMove> moves, Visit&& visit) {
        if (++m_stamp == 0) {
            std::fill(m_stamps.begin(), m_stamps.end(), 0);
            m_stamp = 1;
        }
        ReplayBoard board = start;
        ReplayStep step;
        for (std::size_t ply = 0;; ++ply) {
            const uint64_t key = treeKey(board);
            const bool more = ply < moves.size() && !moves[ply].isClosing();
            ReplayBoard after = board;
            const bool played = more && playListMove(after, moves[ply], step);
            if (insert(key)) visit(key, ply, played ? moves[ply] : ListMove{});
            if (!played) return;
            board = after;
        }
    }

private:
    // False when the key was seen in this line already.
    bool insert(uint64_t key) {
        std::size_t at = static_cast<std::size_t>(key) & (kSize - 1);
        while (m_stamps[at] == m_stamp) {
            if (m_keys[at] == key) return false;
            at = (at + 1) & (kSize - 1);
        }
        m_stamps[at] = m_stamp;
        m_keys[at] = key;
        return true;
    }

    // Room for the longest line twice over.
    static constexpr std::size_t kSize = 8192;
    static_assert(kSize >= 2 * (kMaxListMoves + 1));
    std::vector<uint64_t> m_keys = std::vector<uint64_t>(kSize);
    std::vector<uint32_t> m_stamps = std::vector<uint32_t>(kSize);
    uint32_t m_stamp = 0;
};

struct Candidate {
    uint64_t key;
    uint32_t slot;
    uint16_t ply;
    uint8_t origin;
    uint8_t destination;
};

uint32_t countBits(const IndexTable& table, const MoveList& lists) {
    const std::size_t positions = lists.moveCount() + static_cast<std::size_t>(table.size());
    return std::clamp<uint32_t>(static_cast<uint32_t>(std::bit_width(positions)), 10,
                                kMaxCountBits);
}

// Calls line(worker, slot, start, moves) for every slot with a start position, blocks of slots
// shared among the cores.
template <class Line>
void eachLine(const IndexTable& table, const MoveList& lists, unsigned workers, Line&& line) {
    const std::size_t slots = static_cast<std::size_t>(table.size());
    const std::size_t blocks = (slots + kBlock - 1) / kBlock;
    core::parallelFor(blocks, workers, [&](unsigned worker, std::size_t b) {
        ReplayBoard start;
        for (std::size_t s = b * kBlock; s < std::min(slots, (b + 1) * kBlock); ++s) {
            const int slot = static_cast<int>(s);
            if (!startBoard(table.entry(slot).handicap, start)) continue;
            line(worker, slot, start,
                 slot < lists.size() ? lists.list(slot) : std::span<const ListMove>{});
        }
    });
}

}  // namespace

std::shared_ptr<const TreeIndex> TreeIndex::build(const IndexTable& table, const MoveList& lists,
                                                  uint32_t leastRecords) {
    leastRecords = std::max<uint32_t>(leastRecords, 1);
    const unsigned workers =
        core::workerCount((static_cast<std::size_t>(table.size()) + kBlock - 1) / kBlock);
    std::vector<FirstVisits> visits(workers);
    const uint32_t bits = countBits(table, lists);
    auto countBucket = [bits](uint64_t key) {
        return static_cast<std::size_t>(key >> (64 - bits));
    };

    // Count the first visits by bucket, one table per core, then add them up.
    std::vector<std::vector<uint32_t>> counts(workers);
    eachLine(table, lists, workers, [&](unsigned w, int, const ReplayBoard& start, auto moves) {
        auto& c = counts[w];
        if (c.empty()) c.assign(std::size_t{1} << bits, 0);
        visits[w].run(start, moves,
                      [&](uint64_t key, std::size_t, ListMove) { ++c[countBucket(key)]; });
    });
    std::vector<uint32_t> total(std::size_t{1} << bits, 0);
    for (auto& c : counts) {
        if (c.empty()) continue;
        for (std::size_t b = 0; b < total.size(); ++b) total[b] += c[b];
        std::vector<uint32_t>().swap(c);
    }

    // The visits of the positions whose buckets hold enough, sorted by key and slot; then the
    // positions that really have enough records of their own.
    std::vector<std::vector<Candidate>> found(workers);
    eachLine(table, lists, workers,
             [&](unsigned w, int slot, const ReplayBoard& start, auto moves) {
                 visits[w].run(start, moves, [&](uint64_t key, std::size_t ply, ListMove next) {
                     if (total[countBucket(key)] < leastRecords) return;
                     found[w].push_back(Candidate{key, static_cast<uint32_t>(slot),
                                                  static_cast<uint16_t>(ply), next.origin,
                                                  next.destination});
                 });
             });
    std::vector<uint32_t>().swap(total);
    std::vector<Candidate> all;
    std::size_t n = 0;
    for (const auto& f : found) n += f.size();
    all.reserve(n);
    for (auto& f : found) {
        all.insert(all.end(), f.begin(), f.end());
        std::vector<Candidate>().swap(f);
    }
    std::sort(all.begin(), all.end(), [](const Candidate& a, const Candidate& b) {
        return a.key != b.key ? a.key < b.key : a.slot < b.slot;
    });

    std::vector<std::pair<std::size_t, std::size_t>> groups;  // first, count
    std::size_t hits = 0;
    for (std::size_t i = 0; i < all.size();) {
        std::size_t j = i;
        while (j < all.size() && all[j].key == all[i].key) ++j;
        if (j - i >= leastRecords) {
            groups.emplace_back(i, j - i);
            hits += j - i;
        }
        i = j;
    }
    if (hits > std::numeric_limits<uint32_t>::max()) return nullptr;

    auto index = std::shared_ptr<TreeIndex>(new TreeIndex);
    core::LargeBytes& out = index->m_bytes;
    const std::size_t size = kHeaderBytes + groups.size() * kKeyBytes + hits * kHitBytes;
    out.resize(size);
    std::memset(out.data(), 0, size);
    char* keys = out.data() + kHeaderBytes;
    char* hitOut = keys + groups.size() * kKeyBytes;
    uint32_t at = 0;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const auto [first, count] = groups[g];
        put(keys, g * kKeyBytes, all[first].key);
        put(keys, g * kKeyBytes + 8, at);
        put(keys, g * kKeyBytes + 12, static_cast<uint32_t>(count));
        for (std::size_t i = first; i < first + count; ++i, ++at) {
            char* h = hitOut + std::size_t{at} * kHitBytes;
            put(h, 0, all[i].slot);
            put(h, 4, all[i].ply);
            put(h, 6, all[i].origin);
            put(h, 7, all[i].destination);
        }
    }
    std::memcpy(out.data(), kMagic, 4);
    put(out.data(), 4, kVersion);
    put(out.data(), 8, static_cast<uint32_t>(table.size()));
    put(out.data(), 12, leastRecords);
    put(out.data(), 16, listsFingerprint(table, lists));
    put(out.data(), 24, static_cast<uint64_t>(groups.size()));
    put(out.data(), 32, static_cast<uint64_t>(hits));
    put(out.data(), 40, core::checksum(out.data() + kHeaderBytes, size - kHeaderBytes));
    put(out.data(), 48, core::checksum(out.data(), 48));
    if (!index->attach()) return nullptr;
    return index;
}

bool TreeIndex::attach() {
    const char* data = m_bytes.data();
    const std::size_t size = m_bytes.size();
    if (size < kHeaderBytes || std::memcmp(data, kMagic, 4) != 0 ||
        get<uint32_t>(data, 4) != kVersion || get<uint64_t>(data, 48) != core::checksum(data, 48)) {
        return false;
    }
    m_slots = get<uint32_t>(data, 8);
    m_least = get<uint32_t>(data, 12);
    m_fingerprint = get<uint64_t>(data, 16);
    m_positions = get<uint64_t>(data, 24);
    m_hits = get<uint64_t>(data, 32);
    const uint64_t room = (size - kHeaderBytes);
    if (m_positions > room / kKeyBytes || m_hits > room / kHitBytes ||
        kHeaderBytes + m_positions * kKeyBytes + m_hits * kHitBytes != size ||
        get<uint64_t>(data, 40) != core::checksum(data + kHeaderBytes, size - kHeaderBytes)) {
        return false;
    }
    m_keys = data + kHeaderBytes;
    m_hitBytes = m_keys + m_positions * kKeyBytes;
    // Keys ascending, every position's hits inside the hit region and every slot in range: a
    // file whose checksums were made to agree is still never read out of bounds.
    uint64_t previous = 0;
    for (uint64_t p = 0; p < m_positions; ++p) {
        const uint64_t key = get<uint64_t>(m_keys, p * kKeyBytes);
        const uint64_t first = get<uint32_t>(m_keys, p * kKeyBytes + 8);
        const uint64_t count = get<uint32_t>(m_keys, p * kKeyBytes + 12);
        if ((p > 0 && key <= previous) || first + count > m_hits) return false;
        previous = key;
    }
    for (uint64_t h = 0; h < m_hits; ++h) {
        if (get<uint32_t>(m_hitBytes, h * kHitBytes) >= m_slots) return false;
    }
    return true;
}

std::shared_ptr<const TreeIndex> TreeIndex::open(const std::string& fsPath, const IndexTable& table,
                                                 const MoveList& lists,
                                                 PositionIndexReadResult& result) {
    errno = 0;
    std::optional<core::LargeBytes> bytes =
        core::readFileBytes(fsPath, std::numeric_limits<std::size_t>::max());
    if (!bytes) {
        result = errno == ENOENT ? PositionIndexReadResult::Missing
                                 : PositionIndexReadResult::CannotRead;
        return nullptr;
    }
    auto index = std::shared_ptr<TreeIndex>(new TreeIndex);
    index->m_bytes = std::move(*bytes);
    const char* data = index->m_bytes.data();
    if (index->m_bytes.size() >= 8 && std::memcmp(data, kMagic, 4) == 0 &&
        get<uint32_t>(data, 4) < kVersion) {
        result = PositionIndexReadResult::Stale;
        return nullptr;
    }
    if (!index->attach()) {
        result = PositionIndexReadResult::Damaged;
        return nullptr;
    }
    if (!index->describes(table, lists)) {
        result = PositionIndexReadResult::Stale;
        return nullptr;
    }
    result = PositionIndexReadResult::Ok;
    return index;
}

bool TreeIndex::describes(const IndexTable& table, const MoveList& lists) const {
    return m_slots == static_cast<uint32_t>(table.size()) &&
           m_fingerprint == listsFingerprint(table, lists);
}

bool TreeIndex::hitsOf(uint64_t key, std::vector<TreeHit>& out) const {
    uint64_t lo = 0;
    uint64_t hi = m_positions;
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo) / 2;
        if (get<uint64_t>(m_keys, mid * kKeyBytes) < key) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    if (lo == m_positions || get<uint64_t>(m_keys, lo * kKeyBytes) != key) return false;
    const uint32_t first = get<uint32_t>(m_keys, lo * kKeyBytes + 8);
    const uint32_t count = get<uint32_t>(m_keys, lo * kKeyBytes + 12);
    out.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const char* h = m_hitBytes + (std::size_t{first} + i) * kHitBytes;
        TreeHit& hit = out[i];
        hit.slot = get<uint32_t>(h, 0);
        hit.ply = get<uint16_t>(h, 4);
        hit.next = ListMove{get<uint8_t>(h, 6), get<uint8_t>(h, 7)};
        hit.hasNext = hit.next.destination != 0;
    }
    return true;
}

std::string treeIndexPath(std::string_view fsPath) {
    return std::string(core::withoutExtension(fsPath)) + ".DTR";
}

core::WriteResult writeTreeIndex(const std::string& fsPath, const TreeIndex& index) {
    return core::writeFileAtomically(treeIndexPath(fsPath), index.bytes());
}

std::string treeIndexNotice(PositionIndexReadResult result, std::string_view storedPath) {
    const char* text = nullptr;
    switch (result) {
        case PositionIndexReadResult::Stale:
            text = "ツリー索引(%s)が古いため、使わずに集計します。";
            break;
        case PositionIndexReadResult::Damaged:
        case PositionIndexReadResult::CannotRead:
            text = "ツリー索引(%s)が壊れているため、使わずに集計します。";
            break;
        default:
            return {};
    }
    return core::formatMessage(std::string(text), {std::string(storedPath)});
}

}  // namespace dalmir::model
