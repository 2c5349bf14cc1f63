// The binary record file DLB: the move list of every slot, beside a KIX index in the DLS
// layout. Saving and loading the pair, and converting a text database into one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/safe_file.h"
#include "database/engine/index/move_list.h"
#include "database/engine/index/operation_host.h"
#include "database/engine/index/record_extractor.h"
#include "database/engine/store/database.h"

namespace database {

inline constexpr std::size_t kDlbHeaderBytes = 64;

// The DLB bytes of the first `lists` slots: header, counts, then the moves.
std::string formatDlb(const MoveList& lists, int count);

enum class [[nodiscard]] DlbReadResult : int{
    Ok = 0,
    CountMismatch = 1,  // the file's list count differs from the records; the smaller was used
    Truncated = -2,     // the file ends early or has no header; the lists read before stay
};

struct [[nodiscard]] DlbReadReport {
    DlbReadResult code = DlbReadResult::Ok;
    int fileCount = 0;    // the count field of the file
    std::string message;  // "データ異常..." (CP932) for a mismatch or a damaged file
};

// Reads the lists of a DLB's bytes for a table of `records` slots (capacity: the table's, for
// the wording of the mismatch message). The lists are emptied first and sized to the records.
DlbReadReport parseDlb(std::string_view bytes, int records, int capacity, MoveList& lists);

// Writes "%s.DLB" from the lists and then "%s.KIX" with every slot (fsPath without its
// extension). The table's path becomes the KIX. BadPath when the KIX path holds characters the
// index can't store.
[[nodiscard]] core::WriteResult saveBinary(Database& db, const std::string& fsPath);

struct [[nodiscard]] BinaryLoadReport {
    OpenResult code = OpenResult::Ok;  // CannotOpen, or ReadFailed when the DLB is damaged
    DlsReadReport index;
    DlbReadReport lists;
};

// Reads "%s.KIX" (emptying the table) and then "%s.DLB"; the database becomes binary.
[[nodiscard]] BinaryLoadReport loadBinary(Database& db, const std::string& fsPath,
                                          int defaultSortOrder = 0);

struct [[nodiscard]] ConvertReport {
    // CannotCreate, WriteFailed, BadPath, or Cancelled when the user stopped (nothing written).
    core::WriteResult code = core::WriteResult::Ok;
    int converted = 0;  // slots that got a list (= record lines of the KIX)
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

// "バイナリ棋譜(%s.DLB/KIX)を保存しました。" and "保存エラー(%s)" (CP932, path without extension
// for the first).
std::string binarySavedMessage(std::string_view baseStoredPath);
std::string binarySaveErrorMessage(std::string_view storedPath);

}  // namespace database
