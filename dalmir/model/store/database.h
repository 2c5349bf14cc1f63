// One open Dalmir database: its index table, and for a binary database the move list of every
// slot, kept slot for slot with the table. The document owns one; opening and saving pick the
// index file (DLS) or the binary pair (DLB and KIX) by the extension.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"
#include "dalmir/model/table/dls_file.h"
#include "dalmir/model/table/index_table.h"
#include "dalmir/model/table/move_list.h"
#include "dalmir/model/table/operation_host.h"

namespace dalmir::model {

class PositionIndex;

class Database {
public:
    explicit Database(int capacity = kDefaultMaxRecords) : m_table(capacity) {}

    IndexTable& table() { return m_table; }
    const IndexTable& table() const { return m_table; }
    MoveList& lists() { return m_lists; }
    const MoveList& lists() const { return m_lists; }

    bool isBinary() const { return m_binary; }
    bool isModified() const { return m_modified; }
    void setModified(bool modified = true) { m_modified = modified; }

    // "New": no records, no path, not modified; binary or text as chosen. The settings stay.
    void reset(bool binary);
    // Switches the kind without touching the records (after opening a file of the other kind).
    void setBinary(bool binary);

    // Puts the entry into the next slot (with its list in a binary database) and lists it at
    // the end of the display order. Returns the slot, or -3 when the table is full.
    [[nodiscard]] int append(IndexEntry entry, std::vector<ListMove> list = {});
    // Replaces a slot's entry (and its list in a binary database).
    void replace(int slot, IndexEntry entry, std::vector<ListMove> list = {});
    // Removes a slot from the table and its list with it.
    void removeSlot(int slot);
    // Removes these slots (any order; repeats and slots out of range ignored) in one pass.
    void removeSlots(std::span<const int> slots);
    // Rebuilds the table and the lists from these slots, in this order (a slot named twice is
    // kept once), the display order then the slot order.
    void keepSlots(std::span<const int32_t> slots);

    // The file (file-system path) this database was opened from when it could not be read
    // whole, else empty. saveDatabase refuses to write over it.
    const std::string& partialSource() const { return m_partialSource; }
    void setPartialSource(std::string fsPath) { m_partialSource = std::move(fsPath); }

    // The generation of the binary pair last read or written (0: none, or a pair written
    // without one). Each save of the pair writes a higher one into both files.
    uint32_t generation() const { return m_generation; }
    void setGeneration(uint32_t generation) { m_generation = generation; }

    // The position index of a binary database while it still describes the lists and handicap
    // codes (null after any change to them, until one is attached again). Attaching one marks
    // where each list is (MoveList::origins), so that saving renumbers it after removals and
    // reorders rather than building it again.
    const PositionIndex* positionIndex() const;
    void setPositionIndex(std::shared_ptr<const PositionIndex> index);
    // The attached index even when it no longer describes the lists.
    const std::shared_ptr<const PositionIndex>& attachedPositionIndex() const { return m_index; }

private:
    IndexTable m_table;
    MoveList m_lists;
    std::shared_ptr<const PositionIndex> m_index;
    uint64_t m_indexRevision = 0;
    std::string m_partialSource;
    uint32_t m_generation = 0;
    bool m_binary = false;
    bool m_modified = false;
};

enum class DatabaseKind : uint8_t { Text, Binary, Unknown };

// By the extension: DLS a text database, DLB or KIX a binary one (any case).
DatabaseKind databaseKindOf(std::string_view path);

enum class [[nodiscard]] OpenResult : int{
    Ok = 0,
    CannotOpen = -1,   // "棋譜情報読込みエラー(%s)"
    ReadFailed = -2,   // the move lists could not be read completely; what was read stays
    NotDatabase = -3,  // "ファイル(%s)は、読めません。"
    NothingRead = -4,  // the file holds nothing an index file holds; the database is untouched
};

struct [[nodiscard]] OpenReport {
    OpenResult code = OpenResult::Ok;
    DlsReadReport index;               // what reading the index file reported
    std::vector<std::string> notices;  // texts to show, such as "データ異常"
    // Every record and list of the file is in the database. When not, the records read are
    // kept but the database refuses to be saved over the file.
    bool whole = true;
    // A status text when the position index beside a binary database was found but not used
    // (stale or damaged); the database then searches without one.
    std::string indexNotice;
    // A status text when the 自動戦型 label file beside the database was found but not used.
    std::string labelsNotice;
};

// Opens a database file (file-system path). The table's path becomes the index file's path in
// stored form: the DLS, or the KIX of a binary pair. The database is then unmodified.
// Every record line is read, beyond the table's capacity if need be.
// host (optional) is told the progress in bytes of the files.
[[nodiscard]] OpenReport openDatabase(Database& db, const std::string& fsPath,
                                      int defaultSortOrder = 0, OperationHost* host = nullptr);

// Whether writing fsPath would replace the file (or binary pair) the database was opened from
// while that file was not read whole. Every save checks it first and writes nothing then.
bool overwritesPartialSource(const Database& db, const std::string& fsPath);

// Saves a text database as a DLS file, or a binary one as its DLB and KIX pair (the extension
// of fsPath is replaced) with its position index, and the 自動戦型 label file beside it when
// any record has a label. The table's path becomes the written index file's
// path. BadPath when the path holds characters the index can't store; NotReadWhole, writing
// nothing, when fsPath names the file the database was opened from and that file was not read
// whole; Unencodable, writing nothing, when a field holds a character Shift-JIS cannot hold
// (*problem then says which: msgCannotHoldInDls). host (optional) is told the progress, and its
// cancel stops the save until the new files replace the old: Cancelled, the old files whole and
// no temporary file left, the database still modified and its path unchanged.
[[nodiscard]] core::WriteResult saveDatabase(Database& db, const std::string& fsPath,
                                             std::string* problem = nullptr,
                                             OperationHost* host = nullptr);

// What the stored files of a database are now: the size and modification time of the DLS, or
// of the DLB and the KIX (a missing file counts as such). Another program's save changes it.
struct DatabaseStamp {
    struct File {
        bool exists = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified{};
        bool operator==(const File&) const = default;
    };
    std::vector<File> files;
    bool operator==(const DatabaseStamp&) const = default;
};
DatabaseStamp databaseStamp(const std::string& fsPath);

// "棋譜情報読込みエラー(%s)", "ファイル(%s)は、読めません。", "ファイル保存エラー(%s)" with a path;
// NothingRead says that nothing could be read and why.
std::string openErrorMessage(OpenResult code, std::string_view path);
std::string saveErrorMessage(std::string_view path);
// "棋譜情報ファイル(%s)を保存しました。" or, for a binary database,
// "バイナリ棋譜(%s.DLB/KIX)を保存しました。" with the path without its extension.
std::string savedMessage(const Database& db, std::string_view path);

}  // namespace dalmir::model
