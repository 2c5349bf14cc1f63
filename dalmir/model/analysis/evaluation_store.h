// The evaluation store of a database: a sidecar file "NAME.DEV" beside it that keeps, for every
// position an engine analysed, the score, depth, nodes, best move, a short PV, the engine and its
// budget, and the time spent. A position is found by the key the position index gives its board
// (with the side to move mixed in) and checked against the whole position kept in the entry, so
// transpositions share one entry and a key collision never hands out another position's score.
//
// File layout (little-endian): a 32-byte header (magic "DEV1", version, reserved words, a
// checksum of the header), then records one after the other. A record is an 8-byte head (sync
// byte 0xE5, type 'N' engine or 'V' evaluation, payload length u16, checksum u32 of type, length
// and payload) and its payload. A run appends one record per position as it is done, so a kill
// loses at most the position in progress; a later record for the same position replaces an
// earlier one. Reading skips a torn last record (a write cut short) and steps over damaged bytes
// to the next good record, saying how many bytes it could not read. A clean end of a run writes
// the file afresh, sorted and without replaced records (compaction), crash-safe.
//
// An engine payload: u16 id, u8 length and the name (UTF-8), u8 length and the budget text
// ("byoyomi 1000", "nodes 100000"). An evaluation payload: u16 engine id, u8 score kind (0 none,
// 1 centipawns, 2 mate), u8 bound (0 exact, 1 lower, 2 upper; 0x80 a mate without a number),
// i32 score from the side to move's view, i16 depth (-1 none), i64 nodes (-1 none), u32
// milliseconds, u8 best-move kind (0 move, 1 resign, 2 win, 3 none), the best move (2 bytes),
// u8 PV length and the PV (2 bytes a move), then the packed position (packBoard).
// Moves are kept as the move lists keep them (ListMove: origin square or dropped kind,
// destination with 0x80 for a promotion).
//
// The store is plain data; one thread owns it. EvaluationAppender writes a run's results into
// the file while holding the store's lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/base/safe_file.h"
#include "dalmir/model/store/database_lock.h"
#include "dalmir/model/store/list_replay.h"
#include "dalmir/model/table/move_list.h"
#include "usi/usi_protocol.h"

namespace dalmir::model {

// The most PV moves an entry keeps.
inline constexpr std::size_t kShortPvMoves = 8;

// "NAME.DEV" beside the database at fsPath (its extension replaced).
std::string evaluationStorePath(std::string_view fsPath);

// The board as an entry keeps it: side to move (1 Black, 0 White), an 81-bit map of the
// occupied squares (file 1 rank 1 first, rank by rank within a file), the piece byte of each
// occupied square in that order, then the count of hand entries and per entry the piece
// (0x80 for Black, type 1..8) and how many.
std::string packBoard(const ReplayBoard& board);
// The board of a packed one; false for bytes that are no board (a bad piece, a count too high,
// bytes left over).
bool unpackBoard(std::string_view packed, ReplayBoard& board);
// The key a board is found by: the position index's full key with the side to move mixed in.
uint64_t evaluationKey(const ReplayBoard& board);

enum class BestMoveKind : uint8_t { Move = 0, Resign = 1, Win = 2, None = 3 };

struct Evaluation {
    std::string position;  // packBoard
    usi::UsiScore score;   // from the side to move's view
    int depth = -1;
    std::int64_t nodes = -1;
    std::uint32_t timeMs = 0;
    BestMoveKind best = BestMoveKind::None;
    ListMove bestMove;
    std::vector<ListMove> pv;  // at most kShortPvMoves
    std::uint16_t engine = 0;  // index in EvaluationStore::engines()

    friend bool operator==(const Evaluation&, const Evaluation&) = default;
};

// Which engine gave an evaluation, and with what budget.
struct EngineSetting {
    std::string name;
    std::string limits;
    friend bool operator==(const EngineSetting&, const EngineSetting&) = default;
};

enum class [[nodiscard]] EvaluationReadResult : int{
    Ok = 0,
    Missing = 1,      // no store yet: nothing analysed
    Damaged = -1,     // some bytes could not be read; the records around them were
    NotStore = -2,    // no store of this version (magic, version or header checksum): nothing read
    CannotRead = -3,  // the file exists but could not be read (errno tells why)
};

struct EvaluationReadReport {
    EvaluationReadResult result = EvaluationReadResult::Ok;
    std::size_t records = 0;        // good records read
    std::size_t tornBytes = 0;      // an unfinished last record, left out
    std::size_t damagedBytes = 0;   // bytes between good records that could not be read
    std::uint64_t firstDamage = 0;  // the offset of the first of them
};

class EvaluationStore {
public:
    // The store held in bytes (a whole file); the entries read replace what the store held.
    EvaluationReadReport parse(std::string_view bytes);
    // Reads the file at fsPath; Missing (and an empty store) when there is none.
    EvaluationReadReport read(const std::string& fsPath);

    const Evaluation* find(const ReplayBoard& board) const;
    const Evaluation* find(std::uint64_t key, std::string_view packed) const;
    // Adds the evaluation, replacing the one of the same position. REQUIRES: e.engine names
    // an engine of engines().
    void put(Evaluation e);
    // The index of the setting, added when new.
    std::uint16_t engineIndex(const EngineSetting& setting);
    const std::vector<EngineSetting>& engines() const { return m_engines; }
    std::size_t size() const { return m_entries.size(); }
    const std::vector<Evaluation>& entries() const { return m_entries; }

    // The compacted file: the header, the engines, then one record per entry sorted by key and
    // position, so that the same entries always give the same bytes.
    std::string bytes() const;

private:
    std::vector<EngineSetting> m_engines;
    std::vector<Evaluation> m_entries;
    std::vector<std::uint64_t> m_keys;  // per entry
    std::unordered_multimap<std::uint64_t, std::uint32_t> m_byKey;
};

// The records of the file format, for the appender and the tests.
std::string engineRecord(std::uint16_t id, const EngineSetting& setting);
std::string evaluationRecord(const Evaluation& e);
std::string evaluationStoreHeader();

enum class [[nodiscard]] AppendOpenResult : int{
    Ok = 0,
    Busy = 1,          // another run holds the store's lock
    CannotLock = -1,   // the lock file can't be made (errno)
    CannotWrite = -2,  // the store can't be created, rewritten or opened for appending (errno)
    NotStore = -3,     // the file is no store of this version; it is left as it is
    CannotRead = -4,   // the file could not be read (errno)
};

// Writes a run's results into the store's file: takes the lock beside it ("NAME.DEV.lock"),
// reads the file into the store, rewrites it first when it has a torn tail or damage (a damaged
// file's bytes are kept as "NAME.DEV.damaged" before), then appends one record per call, each
// with one write, so that what was appended survives a kill of the program.
class EvaluationAppender {
public:
    EvaluationAppender() = default;
    ~EvaluationAppender();
    EvaluationAppender(const EvaluationAppender&) = delete;
    EvaluationAppender& operator=(const EvaluationAppender&) = delete;

    AppendOpenResult open(const std::string& fsPath, EvaluationStore& store,
                          EvaluationReadReport& report);
    // Appends an engine's record; call it for an index engineIndex() has just added.
    bool appendEngine(std::uint16_t id, const EngineSetting& setting);
    bool append(const Evaluation& e);
    // Writes the store afresh (compaction) and closes the file; the lock is let go.
    [[nodiscard]] core::WriteResult finish(const EvaluationStore& store);
    // Closes the file as it is (a stopped run keeps its appended records).
    void close();
    bool isOpen() const { return m_fd >= 0; }
    // The file the damaged bytes were kept in; empty when none.
    const std::string& damagedCopy() const { return m_damagedCopy; }

private:
    bool write(const std::string& record);

    std::string m_path;
    int m_fd = -1;
    DatabaseLock m_lock;
    std::string m_damagedCopy;
};

}  // namespace dalmir::model
