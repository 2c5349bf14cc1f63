#include "dalmir/model/analysis/evaluation_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <numeric>

#include "core/base/checksum.h"
#include "core/base/path_text.h"
#include "dalmir/model/store/position_index.h"

namespace dalmir::model {

namespace {

constexpr char kMagic[4] = {'D', 'E', 'V', '1'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 32;
constexpr std::size_t kRecordHead = 8;
constexpr unsigned char kSync = 0xE5;
constexpr char kEngineType = 'N';
constexpr char kEvaluationType = 'V';
constexpr int kMaxHandCount = 18;

void put8(std::string& out, unsigned v) { out += static_cast<char>(v & 0xFF); }
void put16(std::string& out, unsigned v) {
    put8(out, v);
    put8(out, v >> 8);
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void put64(std::string& out, std::uint64_t v) {
    put32(out, static_cast<std::uint32_t>(v));
    put32(out, static_cast<std::uint32_t>(v >> 32));
}

// Reads little-endian numbers from a payload; any read past its end makes it bad.
class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
    std::uint64_t take(std::size_t n) {
        if (m_at + n > m_bytes.size()) {
            m_bad = true;
            m_at = m_bytes.size();
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) {
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(m_bytes[m_at + i]))
                 << (8 * i);
        }
        m_at += n;
        return v;
    }
    std::string_view text(std::size_t n) {
        if (m_at + n > m_bytes.size()) {
            m_bad = true;
            m_at = m_bytes.size();
            return {};
        }
        std::string_view s = m_bytes.substr(m_at, n);
        m_at += n;
        return s;
    }
    std::string_view rest() {
        std::string_view s = m_bytes.substr(m_at);
        m_at = m_bytes.size();
        return s;
    }
    bool bad() const { return m_bad; }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
    bool m_bad = false;
};

std::uint32_t recordSum(char type, std::size_t length, std::string_view payload) {
    std::uint64_t h = core::checksum(payload.data(), payload.size());
    h = core::mixWord(
        h, (static_cast<std::uint64_t>(static_cast<unsigned char>(type)) << 16) | length);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

std::string record(char type, const std::string& payload) {
    std::string out;
    out.reserve(kRecordHead + payload.size());
    put8(out, kSync);
    out += type;
    put16(out, static_cast<unsigned>(payload.size()));
    put32(out, recordSum(type, payload.size(), payload));
    out += payload;
    return out;
}

void putMove(std::string& out, ListMove m) {
    put8(out, m.origin);
    put8(out, m.destination);
}

ListMove takeMove(Reader& r) {
    ListMove m;
    m.origin = static_cast<uint8_t>(r.take(1));
    m.destination = static_cast<uint8_t>(r.take(1));
    return m;
}

// A move the lists can hold: a board move between squares, a drop of a kind 1..7 on a square.
bool validMove(ListMove m) {
    const int to = m.destination & ~core::kPromoteFlag;
    if (!core::isSquare(to)) return false;
    if (m.origin < 11) return m.origin >= 1 && m.origin <= 7 && (m.destination & 0x80) == 0;
    return core::isSquare(m.origin) && m.origin != to;
}

bool validPiece(core::PieceByte p) {
    const int type = core::pieceType(p);
    return (p & 0x70) == 0 && type >= 1 && type != 13;
}

std::string shortText(std::string_view text) {
    return std::string(text.substr(0, std::min<std::size_t>(text.size(), 255)));
}

// One record's payload into the store; false when it is no good record of its type.
bool readPayload(char type, std::string_view payload, EvaluationStore& store,
                 std::vector<EngineSetting>& engines) {
    Reader r(payload);
    if (type == kEngineType) {
        const auto id = static_cast<std::size_t>(r.take(2));
        EngineSetting s;
        s.name = std::string(r.text(r.take(1)));
        s.limits = std::string(r.text(r.take(1)));
        if (r.bad() || !r.rest().empty()) return false;
        if (id < engines.size()) return engines[id] == s;  // written again after a rewrite
        if (id != engines.size()) return false;
        engines.push_back(s);
        return true;
    }
    Evaluation e;
    e.engine = static_cast<std::uint16_t>(r.take(2));
    const auto kind = r.take(1);
    const auto bound = r.take(1);
    e.score.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(r.take(4)));
    e.depth = static_cast<std::int16_t>(static_cast<std::uint16_t>(r.take(2)));
    e.nodes = static_cast<std::int64_t>(r.take(8));
    e.timeMs = static_cast<std::uint32_t>(r.take(4));
    const auto best = r.take(1);
    e.bestMove = takeMove(r);
    const auto pvLength = r.take(1);
    if (kind > 2 || (bound & 0x7F) > 2 || best > 3 || pvLength > kShortPvMoves) return false;
    e.score.kind = static_cast<usi::UsiScore::Kind>(kind);
    e.score.bound = static_cast<usi::UsiScore::Bound>(bound & 0x7F);
    e.score.signOnly = (bound & 0x80) != 0;
    e.best = static_cast<BestMoveKind>(best);
    for (std::uint64_t i = 0; i < pvLength; ++i) {
        e.pv.push_back(takeMove(r));
        if (!validMove(e.pv.back())) return false;
    }
    e.position = std::string(r.rest());
    ReplayBoard board;
    if (r.bad() || e.engine >= engines.size() || !unpackBoard(e.position, board)) return false;
    if (e.best == BestMoveKind::Move ? !validMove(e.bestMove) : e.bestMove != ListMove{}) {
        return false;
    }
    store.put(std::move(e));
    return true;
}

// A whole good record at offset: its length, or 0.
std::size_t goodRecordAt(std::string_view bytes, std::size_t at) {
    if (bytes.size() - at < kRecordHead) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    const char type = static_cast<char>(p[1]);
    if (p[0] != kSync || (type != kEngineType && type != kEvaluationType)) return 0;
    const std::size_t length = p[2] | (p[3] << 8);
    if (bytes.size() - at - kRecordHead < length) return 0;
    const std::uint32_t sum = p[4] | (p[5] << 8) | (p[6] << 16) | (std::uint32_t{p[7]} << 24);
    if (recordSum(type, length, bytes.substr(at + kRecordHead, length)) != sum) return 0;
    return kRecordHead + length;
}

std::string headerBytes() {
    std::string h(kMagic, 4);
    put32(h, kVersion);
    put64(h, 0);
    put64(h, 0);
    put64(h, core::checksum(h.data(), h.size()));
    return h;
}

}  // namespace

std::string evaluationStorePath(std::string_view fsPath) {
    return std::string(core::withoutExtension(fsPath)) + ".DEV";
}

std::string packBoard(const ReplayBoard& board) {
    std::string out;
    out.reserve(64);
    put8(out, board.sideToMove == core::kSideBlack ? 1 : 0);
    std::array<unsigned char, 11> map{};
    std::string pieces;
    int bit = 0;
    for (int file = 1; file <= 9; ++file) {
        for (int rank = 1; rank <= 9; ++rank, ++bit) {
            const core::PieceByte p = board.cells[static_cast<std::size_t>(file * 10 + rank)];
            if (p == 0) continue;
            map[static_cast<std::size_t>(bit / 8)] |= static_cast<unsigned char>(1 << (bit % 8));
            pieces += static_cast<char>(p);
        }
    }
    out.append(reinterpret_cast<const char*>(map.data()), map.size());
    out += pieces;
    std::string hands;
    int entries = 0;
    for (int side = 1; side >= 0; --side) {
        for (int type = 1; type <= 8; ++type) {
            const int n =
                board.hand[static_cast<std::size_t>(side)][static_cast<std::size_t>(type)];
            if (n == 0) continue;
            put8(hands, (side == 1 ? 0x80u : 0u) | static_cast<unsigned>(type));
            put8(hands, static_cast<unsigned>(n));
            ++entries;
        }
    }
    put8(out, static_cast<unsigned>(entries));
    return out + hands;
}

bool unpackBoard(std::string_view packed, ReplayBoard& board) {
    board = ReplayBoard{};
    if (packed.size() < 13 || static_cast<unsigned char>(packed[0]) > 1) return false;
    board.sideToMove = packed[0] == 1 ? core::kSideBlack : core::kSideWhite;
    std::size_t at = 12;
    int bit = 0;
    for (int file = 1; file <= 9; ++file) {
        for (int rank = 1; rank <= 9; ++rank, ++bit) {
            const auto byte =
                static_cast<unsigned char>(packed[1 + static_cast<std::size_t>(bit / 8)]);
            if ((byte & (1 << (bit % 8))) == 0) continue;
            if (at >= packed.size()) return false;
            const auto p = static_cast<core::PieceByte>(packed[at++]);
            if (!validPiece(p)) return false;
            board.cells[static_cast<std::size_t>(file * 10 + rank)] = p;
        }
    }
    // The map's seven bits past square 99 are never set.
    if ((static_cast<unsigned char>(packed[11]) & 0xFE) != 0) return false;
    if (at >= packed.size()) return false;
    const std::size_t entries = static_cast<unsigned char>(packed[at++]);
    if (packed.size() - at != 2 * entries) return false;
    for (std::size_t i = 0; i < entries; ++i, at += 2) {
        const auto piece = static_cast<unsigned char>(packed[at]);
        const int count = static_cast<unsigned char>(packed[at + 1]);
        const int type = piece & 0x7F;
        if (type < 1 || type > 8 || count < 1 || count > kMaxHandCount) return false;
        auto& slot = board.hand[(piece & 0x80) ? 1u : 0u][static_cast<std::size_t>(type)];
        if (slot != 0) return false;
        slot = static_cast<uint8_t>(count);
    }
    return true;
}

uint64_t evaluationKey(const ReplayBoard& board) {
    const uint64_t full = positionKeys(board)[static_cast<std::size_t>(PositionKey::Full)];
    return core::mixWord(full, board.sideToMove == core::kSideBlack ? 0xB1ACu : 0x3417Eu);
}

std::string evaluationStoreHeader() { return headerBytes(); }

std::string engineRecord(std::uint16_t id, const EngineSetting& setting) {
    std::string p;
    put16(p, id);
    const std::string name = shortText(setting.name);
    const std::string limits = shortText(setting.limits);
    put8(p, static_cast<unsigned>(name.size()));
    p += name;
    put8(p, static_cast<unsigned>(limits.size()));
    p += limits;
    return record(kEngineType, p);
}

std::string evaluationRecord(const Evaluation& e) {
    std::string p;
    p.reserve(40 + e.position.size());
    put16(p, e.engine);
    put8(p, static_cast<unsigned>(e.score.kind));
    put8(p, static_cast<unsigned>(e.score.bound) | (e.score.signOnly ? 0x80u : 0u));
    put32(p, static_cast<std::uint32_t>(e.score.value));
    put16(p, static_cast<std::uint16_t>(std::clamp(e.depth, -1, 0x7FFF)));
    put64(p, static_cast<std::uint64_t>(e.nodes));
    put32(p, e.timeMs);
    put8(p, static_cast<unsigned>(e.best));
    putMove(p, e.best == BestMoveKind::Move ? e.bestMove : ListMove{});
    const std::size_t n = std::min(e.pv.size(), kShortPvMoves);
    put8(p, static_cast<unsigned>(n));
    for (std::size_t i = 0; i < n; ++i) putMove(p, e.pv[i]);
    p += e.position;
    return record(kEvaluationType, p);
}

EvaluationReadReport EvaluationStore::parse(std::string_view bytes) {
    *this = EvaluationStore{};
    EvaluationReadReport report;
    const std::string header = headerBytes();
    if (bytes.size() < kHeaderBytes || bytes.substr(0, kHeaderBytes) != header) {
        report.result = EvaluationReadResult::NotStore;
        return report;
    }
    std::vector<EngineSetting> engines;
    std::size_t at = kHeaderBytes;
    std::size_t badFrom = std::string_view::npos;  // start of bytes not read yet counted
    const auto damage = [&](std::size_t from, std::size_t to) {
        if (report.damagedBytes == 0) report.firstDamage = from;
        report.damagedBytes += to - from;
    };
    while (at < bytes.size()) {
        const std::size_t length = goodRecordAt(bytes, at);
        if (length == 0) {
            if (badFrom == std::string_view::npos) badFrom = at;
            ++at;
            continue;
        }
        if (badFrom != std::string_view::npos) {
            damage(badFrom, at);
            badFrom = std::string_view::npos;
        }
        const char type = bytes[at + 1];
        if (readPayload(type, bytes.substr(at + kRecordHead, length - kRecordHead), *this,
                        engines)) {
            ++report.records;
        } else {
            damage(at, at + length);
        }
        at += length;
    }
    m_engines = engines;
    if (badFrom != std::string_view::npos) {
        // A write cut short leaves less than the record its head announces; a whole record
        // that does not check is damage.
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + badFrom);
        const std::size_t left = bytes.size() - badFrom;
        const bool whole = left >= kRecordHead && p[0] == kSync &&
                           (p[1] == kEngineType || p[1] == kEvaluationType) &&
                           kRecordHead + (p[2] | (p[3] << 8)) <= left;
        if (whole) {
            damage(badFrom, bytes.size());
        } else {
            report.tornBytes = left;
        }
    }
    if (report.damagedBytes > 0) report.result = EvaluationReadResult::Damaged;
    return report;
}

EvaluationReadReport EvaluationStore::read(const std::string& fsPath) {
    *this = EvaluationStore{};
    EvaluationReadReport report;
    if (::access(fsPath.c_str(), F_OK) != 0 && errno == ENOENT) {
        report.result = EvaluationReadResult::Missing;
        return report;
    }
    std::optional<core::LargeBytes> bytes =
        core::readFileBytes(fsPath, std::numeric_limits<std::size_t>::max());
    if (!bytes) {
        report.result = EvaluationReadResult::CannotRead;
        return report;
    }
    return parse(bytes->view());
}

const Evaluation* EvaluationStore::find(const ReplayBoard& board) const {
    return find(evaluationKey(board), packBoard(board));
}

const Evaluation* EvaluationStore::find(std::uint64_t key, std::string_view packed) const {
    auto [from, to] = m_byKey.equal_range(key);
    for (auto it = from; it != to; ++it) {
        const Evaluation& e = m_entries[it->second];
        if (e.position == packed) return &e;
    }
    return nullptr;
}

void EvaluationStore::put(Evaluation e) {
    ReplayBoard board;
    const bool ok = unpackBoard(e.position, board);
    (void)ok;
    const std::uint64_t key = evaluationKey(board);
    auto [from, to] = m_byKey.equal_range(key);
    for (auto it = from; it != to; ++it) {
        if (m_entries[it->second].position == e.position) {
            m_entries[it->second] = std::move(e);
            return;
        }
    }
    m_byKey.emplace(key, static_cast<std::uint32_t>(m_entries.size()));
    m_entries.push_back(std::move(e));
    m_keys.push_back(key);
}

std::uint16_t EvaluationStore::engineIndex(const EngineSetting& setting) {
    EngineSetting cut{shortText(setting.name), shortText(setting.limits)};
    for (std::size_t i = 0; i < m_engines.size(); ++i) {
        if (m_engines[i] == cut) return static_cast<std::uint16_t>(i);
    }
    m_engines.push_back(cut);
    return static_cast<std::uint16_t>(m_engines.size() - 1);
}

std::string EvaluationStore::bytes() const {
    std::string out = headerBytes();
    for (std::size_t i = 0; i < m_engines.size(); ++i) {
        out += engineRecord(static_cast<std::uint16_t>(i), m_engines[i]);
    }
    std::vector<std::uint32_t> order(m_entries.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
        if (m_keys[a] != m_keys[b]) return m_keys[a] < m_keys[b];
        return m_entries[a].position < m_entries[b].position;
    });
    out.reserve(out.size() + m_entries.size() * 110);
    for (std::uint32_t i : order) out += evaluationRecord(m_entries[i]);
    return out;
}

EvaluationAppender::~EvaluationAppender() { close(); }

AppendOpenResult EvaluationAppender::open(const std::string& fsPath, EvaluationStore& store,
                                          EvaluationReadReport& report) {
    close();
    m_path = fsPath;
    m_damagedCopy.clear();
    switch (lockDatabase(fsPath, m_lock, false)) {
        case LockResult::Ok:
            break;
        case LockResult::Busy:
            return AppendOpenResult::Busy;
        case LockResult::CannotCreate:
            return AppendOpenResult::CannotLock;
    }
    const auto fail = [this](AppendOpenResult r) {
        const int error = errno;
        m_lock.release();
        errno = error;
        return r;
    };
    report = store.read(fsPath);
    switch (report.result) {
        case EvaluationReadResult::NotStore:
            return fail(AppendOpenResult::NotStore);
        case EvaluationReadResult::CannotRead:
            return fail(AppendOpenResult::CannotRead);
        case EvaluationReadResult::Damaged: {
            // The unreadable bytes stay in a copy before the file is written afresh.
            std::optional<core::LargeBytes> old =
                core::readFileBytes(fsPath, std::numeric_limits<std::size_t>::max());
            const std::string copy = fsPath + ".damaged";
            if (!old || core::writeFileAtomically(copy, old->view()) != core::WriteResult::Ok) {
                return fail(AppendOpenResult::CannotWrite);
            }
            m_damagedCopy = copy;
            [[fallthrough]];
        }
        case EvaluationReadResult::Missing:
        case EvaluationReadResult::Ok:
            if (report.result != EvaluationReadResult::Ok || report.tornBytes > 0) {
                if (core::writeFileAtomically(fsPath, store.bytes()) != core::WriteResult::Ok) {
                    return fail(AppendOpenResult::CannotWrite);
                }
            }
            break;
    }
    m_fd = ::open(fsPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0) return fail(AppendOpenResult::CannotWrite);
    return AppendOpenResult::Ok;
}

bool EvaluationAppender::write(const std::string& record) {
    if (m_fd < 0) return false;
    std::size_t done = 0;
    while (done < record.size()) {
        const ssize_t n = ::write(m_fd, record.data() + done, record.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool EvaluationAppender::appendEngine(std::uint16_t id, const EngineSetting& setting) {
    return write(engineRecord(id, setting));
}

bool EvaluationAppender::append(const Evaluation& e) { return write(evaluationRecord(e)); }

core::WriteResult EvaluationAppender::finish(const EvaluationStore& store) {
    if (m_fd < 0) return core::WriteResult::CannotCreate;
    const core::WriteResult r = core::writeFileAtomically(m_path, store.bytes());
    close();
    return r;
}

void EvaluationAppender::close() {
    if (m_fd >= 0) {
        (void)::fsync(m_fd);
        ::close(m_fd);
        m_fd = -1;
    }
    m_lock.release();
}

}  // namespace dalmir::model
