// The binary record file DLB: the move list of every slot, beside a KIX index in the DLS
// layout. Saving and loading the pair, and converting a text database into one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/table/move_list.h"
#include "dalmir/model/table/operation_host.h"
#include "dalmir/model/table/record_extractor.h"

namespace dalmir::model {

inline constexpr std::size_t kDlbHeaderBytes = 64;
// The pair's generation sits in the header's reserved zero block (offsets 20..63) as a
// little-endian uint32; the KIX carries the same number in its "$世代" line. A file written
// without one reads as generation 0, so an old pair (both 0) still matches.
inline constexpr std::size_t kDlbGenerationOffset = 20;

// The DLB bytes of the first `count` slots: header, counts, then the moves.
std::string formatDlb(const MoveList& lists, int count, uint32_t generation = 0);
// The generation in a DLB's header; 0 when it has none or the header is short.
uint32_t dlbGeneration(std::string_view bytes);

// The path of one file of a pair ("DLB" or "KIX"): for reading, the existing file whichever
// case its extension has; else the case of the given path's extension.
std::string existingPairPath(std::string_view fsPath, std::string_view upperExtension);

// Writes a DLB and its KIX so that they change as a pair: both are staged complete (as
// "NAME.new"), then the DLB and then the KIX are renamed into place. Killed between the two
// renames, the new DLB stands beside the old KIX and the staged new KIX, which loadBinary
// pairs by their generations. With a progress count, the writing is told to it and stops at its
// host's cancel until both files are staged: Cancelled then, the old pair whole and the staged
// files removed.
[[nodiscard]] core::WriteResult writePair(const std::string& dlbPath, std::string_view dlb,
                                          const std::string& kixPath, std::string_view kix,
                                          ProgressCount* progress = nullptr);
// The generation for the next save of the pair at dlbPath: a random identifier, never 0 and
// never that of `loaded`, of the DLB or of the staged DLB on disk, so that a DLB pairs only with
// the KIX of its own save (not with another database's, nor an earlier save's). Files written
// with the former counter load as before: only equality pairs the halves.
uint32_t nextGeneration(const std::string& dlbPath, uint32_t loaded);

enum class [[nodiscard]] DlbReadResult : int{
    Ok = 0,
    CountMismatch = 1,  // the file's list count differs from the records; the smaller was used
    Truncated = -2,     // the file ends early or has no header; the lists read before stay
    Damaged = -3,       // a block's moves do not match their sum: that block has no lists
};

// The DLB ends with the sums of its move lists, one per block of this many records, after
// kDlbSumMagic, the block size and the number of blocks (both 32-bit little-endian); a sum is
// 8 bytes little-endian. Files without the trailer (older ones) are read unchecked.
inline constexpr std::size_t kDlbSumRecords = 4096;
inline constexpr std::string_view kDlbSumMagic{"DLBSUMS\0", 8};

struct [[nodiscard]] DlbReadReport {
    DlbReadResult code = DlbReadResult::Ok;
    int fileCount = 0;    // the count field of the file
    std::string message;  // "データ異常..." for a mismatch or a damaged file
};

// Reads the lists of a DLB's bytes for a table of `records` slots (capacity: the table's, for
// the wording of the mismatch message). The lists are emptied first and sized to the records.
DlbReadReport parseDlb(std::string_view bytes, int records, int capacity, MoveList& lists);
// The same, the lists keeping the file's bytes.
DlbReadReport parseDlb(core::LargeBytes file, int records, int capacity, MoveList& lists);

// Writes "%s.DLB" from the lists and then "%s.KIX" with every slot (fsPath without its
// extension), then the position index. The table's path becomes the KIX. BadPath when the KIX
// path holds characters the index can't store; NotReadWhole, writing nothing, over a pair that
// was not read whole. host (optional) is told the progress in bytes; its cancel stops the save
// until the pair is switched: Cancelled, the old files whole, no staged file left, the
// database as it was (modified, its path unchanged).
[[nodiscard]] core::WriteResult saveBinary(Database& db, const std::string& fsPath,
                                           std::string* problem = nullptr,
                                           OperationHost* host = nullptr);

struct [[nodiscard]] BinaryLoadReport {
    // CannotOpen, or ReadFailed when the DLB is damaged or no DLB matches the KIX's generation
    // (the records are then read without lists).
    OpenResult code = OpenResult::Ok;
    DlsReadReport index;
    DlbReadReport lists;
    bool pairMismatch = false;  // the files on disk were no complete pair
    uint32_t generation = 0;    // of the pair read

    bool whole() const {
        return code == OpenResult::Ok && index.whole() && lists.code == DlbReadResult::Ok &&
               !pairMismatch;
    }
};

// Reads "%s.KIX" (emptying the table) and then "%s.DLB"; the database becomes binary. When the
// two files' generations differ (a save killed between its renames, or one running now), the
// staged file of the other generation completes the pair; failing that the reading is tried
// again, and then the records are kept without lists ("データ異常").
// progress (optional) is given the total (the files' bytes, weighted by the work each takes,
// and laterBytes more that the caller counts after) and told how far the reading has come.
[[nodiscard]] BinaryLoadReport loadBinary(Database& db, const std::string& fsPath,
                                          int defaultSortOrder = 0,
                                          ProgressCount* progress = nullptr,
                                          uint64_t laterBytes = 0);

struct [[nodiscard]] ConvertReport {
    // CannotCreate, WriteFailed, BadPath, NotReadWhole (over the pair db was opened from in
    // part), or Cancelled when the user stopped (nothing written).
    core::WriteResult code = core::WriteResult::Ok;
    int converted = 0;  // slots that got a list (= record lines of the KIX)
    // The slots left out, by why (together the slots less `converted` on success).
    int unreadable = 0;     // the record file could not be read
    int setUpStart = 0;     // the record starts from a set-up position
    int otherHandicap = 0;  // the handicap is その他 (no start position to replay from)
    int noMoves = 0;        // the record has no move
    int leftOut() const { return unreadable + setUpStart + otherHandicap + noMoves; }
};

// The target of a conversion: ".DLB" added when the path has no extension or one other than
// DLB and KIX.
std::string conversionTarget(std::string_view fsPath);

// Builds a binary database from the text database db: every slot's record file is read again;
// a slot gets a list when it reads, has no set-up start, a handicap below 14 and an entry.
// Writes "%s.DLB" and a KIX of the converted slots. db itself stays the text database it was.
// Progress: "データ変換中...  %d / %d" every 10 slots.
[[nodiscard]] ConvertReport convertToBinary(const Database& db, const std::string& fsTarget,
                                            RecordExtractor& extractor, OperationHost& host);

// The records a conversion left out, by reason: "%d件中%d件の棋譜は変換できません
// でした。" and a line for each reason that counted.
std::string convertLeftOutMessage(const ConvertReport& report, int total);

// "バイナリ棋譜(%s.DLB/KIX)を保存しました。" and "保存エラー(%s)" (path without extension
// for the first).
std::string binarySavedMessage(std::string_view baseStoredPath);
std::string binarySaveErrorMessage(std::string_view storedPath);

}  // namespace dalmir::model
