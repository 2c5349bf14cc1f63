// Registering record files in a database, bringing entries up to date and removing them: one
// file, a folder tree, the records of another DLS file, dropped files; updating all or chosen
// slots; deleting slots, deleting by folder, and switching between relative and absolute
// paths. A Registrar works on the document's database for one operation and reports through
// the host; it never waits for anything itself.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dalmir/model/registration/error_log.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/table/duplicate_criteria.h"
#include "dalmir/model/table/operation_host.h"
#include "dalmir/model/table/record_extractor.h"

namespace dalmir::model {

// The profile settings adding consults.
struct RegistrationOptions {
    bool quietErrors = true;        // add_error: read errors are logged, never asked about
    bool editorConfigured = false;  // the read-error question offers the editor
    // Files a folder add reads at once (0: one per core). The entries are appended in the order
    // of the walk whatever the number, so the database comes out the same.
    int threads = 0;
};

// Which files adding by folder takes (追加種類, stored as its number).
enum class AddKind : int {
    Kif = 0,
    Ki2 = 1,
    KifOrKi2 = 2,
    Csa = 3,
    Bod = 4,
    AnyRecord = 5,  // this and every other number: every record extension
};
bool kindTakes(AddKind kind, std::string_view lowerExtension);

// Which registered paths deleting by folder takes.
enum class DeleteKind : int {
    Kif = 0,
    Ki2 = 1,
    AnyKi = 2,  // KI?
    Csa = 3,
    All = 4,  // this and every other number
};
bool deleteKindTakes(DeleteKind kind, std::string_view lowerExtension);

struct AddFilters {
    std::string player;   // contained in the black or the white player; empty: any
    std::string event;    // contained in the event
    std::string opening;  // contained in the opening
    bool skipDuplicates = false;
    DuplicateCriteria duplicates;
};

struct FolderAdd {
    std::string folder;  // file-system path
    bool subfolders = false;
    AddKind kind = AddKind::AnyRecord;
    // Files last written before this local date are skipped (when dateFilter is on).
    bool dateFilter = false;
    int year = 0;
    int month = 0;
    int day = 0;
    AddFilters filters;
};

// The folder add the database's settings describe (追加パス, 追加サブ, 追加種類, the filters and
// the date filter).
FolderAdd folderAddFromSettings(const IndexSettings& settings);

enum class [[nodiscard]] AddFileResult : int{
    Added = 0,        // a new entry
    Updated = 1,      // the file was registered already; its entry was read again
    Refused = 2,      // a binary database can't hold the record
    CannotOpen = -1,  // neither logged nor asked about
    ReadFailed = -2,  // the reader reported an error (logged)
    TableFull = -3,   // no free slot
    Filtered = -4,    // a filter rejected the record
    Stopped = -5,     // the user stopped the run
    NotTaken = -6,    // addFile: the entry was refused
};

struct AddCounts {
    int added = 0;
    int updated = 0;
    int errors = 0;    // read errors and refused file names written to the log
    int warnings = 0;  // records read with a warning (written to the log, and still taken)
    int refused = 0;   // records a binary database could not hold
};

// A file a run could not take, besides the read errors in the log.
struct SkippedFile {
    AddFileResult code = AddFileResult::CannotOpen;  // CannotOpen, or NotTaken (refused)
    std::string fsPath;
};

struct [[nodiscard]] RunReport {
    AddFileResult end = AddFileResult::Added;  // TableFull or Stopped when the run ended early
    AddCounts counts;
    bool cancelled = false;  // the cancel flag ended the run
    std::string status;      // the final status text
    // "PATH: TEXT" of every warning written to the log, in reading order.
    std::vector<std::string> warnings;
    // Files that could not be opened or that the database refused, in reading order.
    std::vector<SkippedFile> skipped;
};

enum class MissingFileMode : int {
    Keep = 0,        // "削除しない"
    Ask = 1,         // "削除を問い合わせる"
    Delete = 2,      // "削除する"
    SilentKeep = 3,  // on opening with 自動更新: nothing is shown
};

struct [[nodiscard]] UpdateReport {
    int updated = 0;
    int unreadable = 0;
    int deleted = 0;
    std::vector<std::string> warnings;  // "PATH: TEXT" of records read with a warning
    bool cancelled = false;
};

enum class [[nodiscard]] FolderDeleteResult : int{
    Ok = 0,
    NoFolder = -1,
    Cancelled = -5,
};

struct [[nodiscard]] FolderDeleteReport {
    FolderDeleteResult code = FolderDeleteResult::Ok;
    int deleted = 0;
    std::string status;  // "%d 棋譜削除しました。" or "削除棋譜は、ありませんでした。"
};

enum class [[nodiscard]] PathModeResult : int{
    Ok = 0,
    Unavailable = -1,  // untitled or empty database
};

struct [[nodiscard]] PathModeReport {
    PathModeResult code = PathModeResult::Ok;
    int notRelative = 0;  // paths outside the index folder (turning relative paths on)
    std::string message;  // "相対パスにできない棋譜が %d局ありました。" when there were such paths
};

class Registrar {
public:
    Registrar(Database& db, RecordExtractor& extractor, ErrorLog& log, OperationHost& host,
              RegistrationOptions options = {});

    // Reads a record file into entry. A read error is logged and counted and, unless quiet,
    // asked about (the answer may stop the run: Stopped). CannotOpen is neither logged nor asked.
    // The warnings of a record that reads (bytes of a UTF-8 file that were not UTF-8) are logged
    // and counted; the record is Ok.
    [[nodiscard]] ExtractResult extract(const std::string& fsPath, IndexEntry& entry, bool quiet);

    // Adds the entry of the record the extractor has just read. Only the first compareLimit
    // slots are searched for the same path (negative: all); a match is updated, keeping its
    // marks 1 and 2. The full-table message goes to the host.
    [[nodiscard]] AddFileResult addEntry(IndexEntry entry, int compareLimit);

    // Extracts (quiet by the add_error option) and adds one file; filters may be null. A file
    // whose path the index can't hold as it is (a character CP932 lacks or would turn into
    // another, a double quote or line end, more bytes than the path field holds) is refused
    // before reading: logged and counted as an error, ReadFailed.
    [[nodiscard]] AddFileResult addFile(const std::string& fsPath, int compareLimit,
                                        const AddFilters* filters);

    // Walks a folder (and its subfolders when asked) and adds every file the kind and the date
    // filter take. Ends early on a full table, a stop or the cancel flag. The display order
    // then lists every record.
    RunReport addFolder(const FolderAdd& request);

    // The menu's single add: a DLS file is merged, any other file added; the add folder becomes
    // the file's folder. A failure other than a stop shows "棋譜を登録できませんでした。".
    RunReport addSingle(const std::string& fsPath);

    // Adds the records another DLS file lists, reading each record file again.
    RunReport mergeDls(const std::string& fsPath);

    // Adds dropped record files (accepted extension or none); others are passed over.
    RunReport addDropped(std::span<const std::string> fsPaths);

    // Re-reads one slot's file and replaces its entry (marks 1 and 2 kept). -1 when the file
    // can't be read, 0 otherwise (also when a binary database refuses the new entry, which
    // leaves the slot unchanged).
    [[nodiscard]] int updateSlot(int slot);

    // Re-reads every slot (slots empty) or the given slots. mode may change when the user
    // answers "全て削除する" or "全て削除しない".
    UpdateReport update(MissingFileMode& mode, std::span<const int32_t> slots = {});

    // Removes one slot (with its list).
    void deleteSlot(int slot);

    // Removes, from the last slot to the first, every record in the folder (or below it with
    // subfolders) whose extension fits the kind.
    FolderDeleteReport deleteByFolder(const std::string& fsFolder, DeleteKind kind,
                                      bool subfolders);

    PathModeReport makePathsRelative();
    PathModeReport makePathsAbsolute();

    const AddCounts& counts() const { return m_counts; }

private:
    // The comparison key of a stored path: resolved, extension upper-cased, ASCII case folded.
    std::string keyOf(std::string_view storedPath) const;
    void buildKeys();
    int findKey(const std::string& key, int compareLimit);
    bool isDuplicate(const IndexEntry& entry, const DuplicateCriteria& criteria);
    bool walk(const std::string& folder, const FolderAdd& request, int compareLimit,
              RunReport& run);
    void finishAdd(RunReport& run, bool showStatus);
    // Clears the counters, the warnings and the log's count for a new run.
    void startRun();
    std::string storedPath(std::string_view absoluteStored) const;

    // A file of a folder add read ahead on a worker thread.
    struct Prefetch;
    // Reads the files of m_batch on the worker threads and adds them in order as addFile does.
    bool flushBatch(const FolderAdd& request, int compareLimit, RunReport& run);
    void prefetch(std::vector<Prefetch>& out) const;

    Database& m_db;
    RecordExtractor& m_extractor;
    ErrorLog& m_log;
    OperationHost& m_host;
    RegistrationOptions m_options;
    AddCounts m_counts;
    std::vector<std::string> m_warnings;  // "PATH: TEXT" of the run's warnings
    std::vector<SkippedFile> m_skipped;
    // Lowest slot of each path key; built when first needed, dropped when slots move.
    std::unordered_map<std::string, int> m_keys;
    bool m_keysValid = false;
    std::vector<ListMove> m_moves;
    int m_visited = 0;
    std::vector<std::string> m_batch;  // files of the walk not yet added
    Prefetch* m_prefetch = nullptr;    // what addFile uses instead of reading the file
};

// The messages of adding.
std::string addEndStatus(const AddCounts& counts);  // "追加終了　新規追加：%d 更新：%d（計：%d）"
// "追加中止　新規追加：%d 更新：%d（計：%d）": a run the user cancelled, with what it had added.
std::string addCancelledStatus(const AddCounts& counts);

}  // namespace dalmir::model
