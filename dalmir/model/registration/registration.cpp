#include "dalmir/model/registration/registration.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>

#include "core/base/parallel_for.h"
#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/dls_file.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/table/index_paths.h"

namespace dalmir::model {

namespace {

namespace fs = std::filesystem;

// How many records (or slots, or files) pass between two progress steps.
constexpr int kProgressStep = 10;
// Files of a folder add read ahead together: enough to keep every core busy, few enough that a
// cancel or a stop wastes little reading.
constexpr std::size_t kBatchFiles = 256;
// A folder add of this many records ends with a beep.
constexpr int kBeepAfterRecords = 500;

struct Texts {
    std::string readErrorHeading = std::string("棋譜読み込みエラー(%s)\n%s\n");
    std::string askEditor = std::string("エディタで開きますか？");
    std::string askStop = std::string("追加を中止しますか？");
    std::string addingFolder = std::string("パス：%s  追加中...");
    std::string adding = std::string("棋譜追加中...  %d");
    std::string addEnd = std::string("追加終了　新規追加：%d 更新：%d（計：%d）");
    std::string addCancelled = std::string("追加中止　新規追加：%d 更新：%d（計：%d）");
    std::string errorsFound = std::string("エラーが %d ありました。\n記録を見ますか？");
    std::string notRegistered = std::string("棋譜を登録できませんでした。");
    std::string merging = std::string("DLS棋譜追加中...  %s %d / %d");
    std::string dropped = std::string("%s がドロップされました。");
    std::string updating = std::string("データ更新中...  %d / %d");
    std::string unreadable = std::string("%sが読めませんでした。");
    std::string deleting = std::string("データ削除中...  %d / %d");
    std::string deleted = std::string("%d 棋譜削除しました。");
    std::string noneDeleted = std::string("削除棋譜は、ありませんでした。");
    std::string notRelative = std::string("相対パスにできない棋譜が %d局ありました。");
    std::string badFileName = std::string("ファイル名に使えない文字があります。");
    std::string pathTooLong = std::string("ファイルのパスが長すぎます。");
};

const Texts& texts() {
    static const Texts t;
    return t;
}

std::string number(int n) { return std::to_string(n); }

std::string absoluteFsPath(const std::string& fsPath) {
    if (!fsPath.empty() && fsPath[0] == '/') return fsPath;
    std::error_code ec;
    fs::path p = fs::absolute(fsPath, ec);
    return ec ? fsPath : p.lexically_normal().string();
}

// The last-write date of a file as local year, month, day; false when it can't be read.
bool fileDate(const std::string& fsPath, IndexDate& date) {
    struct stat st {};
    if (::stat(fsPath.c_str(), &st) != 0) return false;
    std::tm local{};
    if (!localtime_r(&st.st_mtime, &local)) return false;
    date = {static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint8_t>(local.tm_mon + 1),
            static_cast<uint8_t>(local.tm_mday)};
    return true;
}

bool contains(std::string_view text, std::string_view part) {
    return part.empty() || core::findText(text, part) != std::string_view::npos;
}

bool passesFilters(const IndexEntry& e, const AddFilters& f) {
    if (!f.player.empty() && !contains(e.blackPlayer(), f.player) &&
        !contains(e.whitePlayer(), f.player)) {
        return false;
    }
    return contains(e.event(), f.event) && contains(e.opening(), f.opening);
}

std::string folderWithSlash(std::string_view folder) {
    std::string out(folder);
    if (out.empty() || out.back() != '/') out += '/';
    return out;
}

}  // namespace

bool kindTakes(AddKind kind, std::string_view ext) {
    switch (kind) {
        case AddKind::Kif:
            return ext == "kif";
        case AddKind::Ki2:
            return ext == "ki2";
        case AddKind::KifOrKi2:
            return ext == "kif" || ext == "ki2";
        case AddKind::Csa:
            return ext == "csa";
        case AddKind::Bod:
            return ext == "bod";
        case AddKind::AnyRecord:
            break;
    }
    return isRecordExtension(ext);
}

bool deleteKindTakes(DeleteKind kind, std::string_view ext) {
    switch (kind) {
        case DeleteKind::Kif:
            return ext == "kif";
        case DeleteKind::Ki2:
            return ext == "ki2";
        case DeleteKind::AnyKi:
            return ext.size() == 3 && ext.starts_with("ki");
        case DeleteKind::Csa:
            return ext == "csa";
        case DeleteKind::All:
            break;
    }
    return true;
}

FolderAdd folderAddFromSettings(const IndexSettings& s) {
    FolderAdd r;
    r.folder = fileSystemFromStored(s.addPath);
    r.subfolders = s.addSubfolders;
    r.kind = static_cast<AddKind>(s.addKind);
    r.dateFilter = s.addDateFilter;
    r.year = s.addYear;
    r.month = s.addMonth;
    r.day = s.addDay;
    r.filters.player = s.addPlayer;
    r.filters.event = s.addEvent;
    r.filters.opening = s.addOpening;
    return r;
}

std::string addEndStatus(const AddCounts& c) {
    return core::formatMessage(texts().addEnd,
                               {number(c.added), number(c.updated), number(c.added + c.updated)});
}

std::string addCancelledStatus(const AddCounts& c) {
    return core::formatMessage(texts().addCancelled,
                               {number(c.added), number(c.updated), number(c.added + c.updated)});
}

Registrar::Registrar(Database& db, RecordExtractor& extractor, ErrorLog& log, OperationHost& host,
                     RegistrationOptions options)
    : m_db(db), m_extractor(extractor), m_log(log), m_host(host), m_options(options) {}

struct Registrar::Prefetch {
    ExtractResult code = ExtractResult::CannotOpen;
    IndexEntry entry;
    std::vector<std::string> warnings;
    std::vector<ListMove> list;
    int entryCount = 0;
    bool setUpStart = false;
};

ExtractResult Registrar::extract(const std::string& fsPath, IndexEntry& entry, bool quiet) {
    ExtractResult code;
    const std::vector<std::string>* warnings = nullptr;
    if (m_prefetch && m_prefetch->code != ExtractResult::ReadFailed) {
        code = m_prefetch->code;
        if (code == ExtractResult::Ok) entry = m_prefetch->entry;
        warnings = &m_prefetch->warnings;
    } else {
        // A record that failed is read again here, so that its error text and question are
        // those of the one reader.
        m_prefetch = nullptr;
        code = m_extractor.extract(fsPath, entry);
        warnings = &m_extractor.warnings();
    }
    if (code != ExtractResult::ReadFailed && warnings->empty()) return code;

    std::optional<std::string> stored = storedFromFileSystem(fsPath);
    std::string path = stored ? *stored : fsPath;
    if (code == ExtractResult::Ok) {
        for (const std::string& warning : *warnings) {
            m_log.appendWarning(path, warning);
            ++m_counts.warnings;
            m_warnings.push_back(path + ": " + warning);
        }
        return code;
    }
    m_log.appendReadError(path, m_extractor.errorText());
    ++m_counts.errors;
    if (quiet) return code;

    const Texts& t = texts();
    std::string question = core::formatMessage(t.readErrorHeading, {path, m_extractor.errorText()});
    question += m_options.editorConfigured ? t.askEditor : t.askStop;
    switch (m_host.askReadError(question, m_options.editorConfigured)) {
        case ReadErrorAnswer::Stop:
            return ExtractResult::Stopped;
        case ReadErrorAnswer::OpenInEditor:
            m_host.openInEditor(fsPath);
            break;
        case ReadErrorAnswer::Continue:
            break;
    }
    return code;
}

std::string Registrar::keyOf(std::string_view storedPath) const {
    return pathKey(m_db.table().resolve(storedPath));
}

void Registrar::buildKeys() {
    m_keys.clear();
    const IndexTable& table = m_db.table();
    m_keys.reserve(static_cast<std::size_t>(table.size()) * 2 + 16);
    for (int slot = 0; slot < table.size(); ++slot) {
        m_keys.emplace(keyOf(table.entry(slot).path()), slot);
    }
    m_keysValid = true;
}

int Registrar::findKey(const std::string& key, int compareLimit) {
    if (!m_keysValid) buildKeys();
    auto it = m_keys.find(key);
    if (it == m_keys.end()) return -1;
    if (compareLimit >= 0 && it->second >= compareLimit) return -1;
    return it->second;
}

std::string Registrar::storedPath(std::string_view absoluteStored) const {
    const IndexTable& table = m_db.table();
    if (table.settings().relativePaths) {
        if (std::optional<std::string> rel = relativeTo(table.folder(), absoluteStored)) {
            return *rel;
        }
    }
    return std::string(absoluteStored);
}

AddFileResult Registrar::addEntry(IndexEntry entry, int compareLimit) {
    bool binary = m_db.isBinary();
    const bool setUpStart = m_prefetch ? m_prefetch->setUpStart : m_extractor.setUpStart();
    const int entryCount = m_prefetch ? m_prefetch->entryCount : m_extractor.entryCount();
    if (binary && (entry.handicap >= static_cast<uint8_t>(IndexHandicap::Other) ||
                   entry.moveCount == 0 || setUpStart || entryCount == 0)) {
        return AddFileResult::Refused;
    }
    // Stored as the file is named on disk; the key matches an older upper-cased form too.
    std::string absolute = m_db.table().resolve(entry.path());
    std::string key = pathKey(absolute);
    entry.setText(IndexText::Path, storedPath(absolute));
    std::vector<ListMove> list;
    if (binary) {
        if (m_prefetch) {
            list = std::move(m_prefetch->list);
        } else {
            m_extractor.buildMoveList(list);
        }
    }

    IndexTable& table = m_db.table();
    int slot = findKey(key, compareLimit);
    if (slot >= 0) {
        uint8_t kept = table.entry(slot).marks & (kMarkUser1 | kMarkUser2);
        entry.marks =
            static_cast<uint8_t>(kept | (entry.marks & (kMarkComments | kMarkVariations)));
        m_db.replace(slot, std::move(entry), std::move(list));
        return AddFileResult::Updated;
    }
    if (table.isFull()) {
        m_host.message(tableFullMessage(table.capacity()));
        return AddFileResult::TableFull;
    }
    slot = m_db.append(std::move(entry), std::move(list));
    if (m_keysValid) m_keys.emplace(std::move(key), slot);
    return AddFileResult::Added;
}

bool Registrar::isDuplicate(const IndexEntry& entry, const DuplicateCriteria& criteria) {
    DuplicateCriteria c = criteria;
    if (!m_db.isBinary()) c.compareMoves = false;
    if (c.compareMoves) {
        if (m_prefetch) {
            m_moves = m_prefetch->list;
        } else {
            m_extractor.buildMoveList(m_moves);
        }
    }
    const IndexTable& table = m_db.table();
    for (int slot = 0; slot < table.size(); ++slot) {
        if (isDuplicatePair(table.entry(slot), m_db.lists().list(slot), entry, m_moves, c)) {
            return true;
        }
    }
    return false;
}

AddFileResult Registrar::addFile(const std::string& fsPathGiven, int compareLimit,
                                 const AddFilters* filters) {
    std::string fsPath = absoluteFsPath(fsPathGiven);
    // A path the index can't hold as it is would be stored as another file's (or a folder's)
    // and lost at the next update; such a file is reported like an unreadable record.
    std::optional<std::string> stored = storedFromFileSystem(fsPath);
    const std::string* refusal = nullptr;
    if (!stored || !fitsQuotedField(*stored)) {
        refusal = &texts().badFileName;
    } else if (stored->size() > maxTextBytes(IndexText::Path)) {
        refusal = &texts().pathTooLong;
    }
    if (refusal) {
        m_log.appendReadError(stored ? *stored : fsPath, *refusal);
        ++m_counts.errors;
        return AddFileResult::ReadFailed;
    }
    IndexEntry entry;
    switch (extract(fsPath, entry, m_options.quietErrors)) {
        case ExtractResult::Ok:
            break;
        case ExtractResult::CannotOpen:
            m_skipped.push_back({AddFileResult::CannotOpen, fsPath});
            return AddFileResult::CannotOpen;
        case ExtractResult::ReadFailed:
            return AddFileResult::ReadFailed;
        case ExtractResult::Stopped:
            return AddFileResult::Stopped;
    }
    if (filters) {
        if (!passesFilters(entry, *filters)) return AddFileResult::Filtered;
        if (filters->skipDuplicates && isDuplicate(entry, filters->duplicates)) {
            return AddFileResult::Filtered;
        }
    }
    AddFileResult code = addEntry(std::move(entry), compareLimit);
    switch (code) {
        case AddFileResult::Added:
            ++m_counts.added;
            break;
        case AddFileResult::Updated:
            ++m_counts.updated;
            break;
        case AddFileResult::Refused:
            ++m_counts.refused;
            m_skipped.push_back({AddFileResult::NotTaken, fsPath});
            return AddFileResult::NotTaken;
        default:
            break;
    }
    return code;
}

bool Registrar::walk(const std::string& folder, const FolderAdd& request, int compareLimit,
                     RunReport& run) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return true;
    const IndexDate from{static_cast<uint16_t>(std::clamp(request.year, 0, 0xFFFF)),
                         static_cast<uint8_t>(std::clamp(request.month, 0, 0xFF)),
                         static_cast<uint8_t>(std::clamp(request.day, 0, 0xFF))};
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const fs::directory_entry& e = *it;
        std::string path = e.path().string();
        // Folders are walked only when they are real folders: a link could lead in a circle.
        if (e.is_directory(ec) && !e.is_symlink(ec)) {
            if (request.subfolders && !walk(path, request, compareLimit, run)) return false;
            continue;
        }
        if (!e.is_regular_file(ec)) continue;
        if (!kindTakes(request.kind, lowerExtension(e.path().filename().string()))) continue;
        if (request.dateFilter) {
            IndexDate written;
            if (!fileDate(path, written) || written < from) continue;
        }
        m_batch.push_back(std::move(path));
        if (m_batch.size() >= kBatchFiles && !flushBatch(request, compareLimit, run)) {
            return false;
        }
    }
    return true;
}

void Registrar::prefetch(std::vector<Prefetch>& out) const {
    out.assign(m_batch.size(), Prefetch{});
    const unsigned workers = m_options.threads > 0
                                 ? static_cast<unsigned>(std::min<std::size_t>(
                                       static_cast<std::size_t>(m_options.threads),
                                       std::max<std::size_t>(m_batch.size(), 1)))
                                 : core::workerCount(m_batch.size());
    // Each worker reads with its own extractor, made on its own thread.
    std::vector<std::unique_ptr<RecordExtractor>> extractors(workers);
    core::parallelFor(m_batch.size(), workers, [&](unsigned worker, std::size_t i) {
        std::unique_ptr<RecordExtractor>& extractor = extractors[worker];
        if (!extractor) extractor = std::make_unique<RecordExtractor>(m_extractor.userKeys());
        Prefetch& p = out[i];
        p.code = extractor->extract(absoluteFsPath(m_batch[i]), p.entry);
        if (p.code != ExtractResult::Ok) return;
        p.warnings = extractor->warnings();
        p.entryCount = extractor->entryCount();
        p.setUpStart = extractor->setUpStart();
        extractor->buildMoveList(p.list);
    });
}

bool Registrar::flushBatch(const FolderAdd& request, int compareLimit, RunReport& run) {
    std::vector<Prefetch> read;
    prefetch(read);
    std::vector<std::string> batch = std::move(m_batch);
    m_batch.clear();
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (++m_visited % kProgressStep == 0 && m_host.cancelRequested()) {
            m_host.beep();
            run.cancelled = true;
            run.end = AddFileResult::Stopped;
            return false;
        }
        int before = m_counts.added + m_counts.updated;
        m_prefetch = &read[i];
        AddFileResult code = addFile(batch[i], compareLimit, &request.filters);
        m_prefetch = nullptr;
        if (code == AddFileResult::TableFull || code == AddFileResult::Stopped) {
            run.end = code;
            return false;
        }
        int done = m_counts.added + m_counts.updated;
        if (done != before && done % kProgressStep == 0) {
            m_host.status(core::formatMessage(texts().adding, {number(done)}));
            if (m_host.cancelRequested()) {
                m_host.beep();
                run.cancelled = true;
                run.end = AddFileResult::Stopped;
                return false;
            }
        }
    }
    return true;
}

void Registrar::finishAdd(RunReport& run, bool showStatus) {
    run.counts = m_counts;
    run.warnings = m_warnings;
    run.skipped = m_skipped;
    if (m_counts.added + m_counts.updated > 0) m_db.setModified();
    run.status = run.cancelled ? addCancelledStatus(m_counts) : addEndStatus(m_counts);
    if (showStatus) m_host.status(run.status);
    if (m_counts.added + m_counts.updated >= kBeepAfterRecords) m_host.beep();
    // Warnings are in the log beside the errors: the user is offered both.
    const int logged = m_counts.errors + m_counts.warnings;
    if (logged > 0) {
        m_log.appendSummary();
        m_host.offerErrorLog(core::formatMessage(texts().errorsFound, {number(logged)}),
                             m_log.path());
    }
}

void Registrar::startRun() {
    m_counts = {};
    m_warnings.clear();
    m_skipped.clear();
    m_log.resetCount();
}

RunReport Registrar::addFolder(const FolderAdd& request) {
    RunReport run;
    startRun();
    m_visited = 0;
    std::string folder = absoluteFsPath(request.folder);
    std::optional<std::string> stored = storedFromFileSystem(folder);
    m_host.status(core::formatMessage(texts().addingFolder, {stored ? *stored : folder}));
    m_batch.clear();
    const int compareLimit = m_db.table().size();
    // The last batch: whether to go on no longer matters; the run report has what it did.
    if (walk(folder, request, compareLimit, run)) (void)flushBatch(request, compareLimit, run);
    m_batch.clear();
    m_db.table().rebuildDisplayOrder();
    finishAdd(run, true);
    return run;
}

RunReport Registrar::mergeDls(const std::string& fsPath) {
    RunReport run;
    startRun();
    std::optional<std::string> content = core::readFile(fsPath, std::size_t{1} << 30);
    if (!content) {
        run.end = AddFileResult::CannotOpen;
        run.status = openErrorMessage(OpenResult::CannotOpen, fsPath);
        return run;
    }
    // The other database's records, with their paths resolved against its own folder.
    std::optional<std::string> stored = storedFromFileSystem(absoluteFsPath(fsPath));
    std::string otherPath = stored ? *stored : fsPath;
    IndexTable other(std::numeric_limits<int>::max() / 2);
    // A damaged file gives the entries read before the fault; those are merged.
    (void)loadDls(other, otherPath, dlsText(*content));
    std::string name(core::fileNameOf(otherPath));
    const int limit = m_db.table().size();
    const int total = other.size();
    for (int i = 0; i < total; ++i) {
        if (i % kProgressStep == 0) {
            m_host.status(core::formatMessage(texts().merging, {name, number(i), number(total)}));
            if (m_host.cancelRequested()) {
                m_host.beep();
                run.cancelled = true;
                run.end = AddFileResult::Stopped;
                break;
            }
        }
        std::string path = locateFile(fileSystemFromStored(other.resolve(other.entry(i).path())));
        AddFileResult code = addFile(path, limit, nullptr);
        if (code == AddFileResult::TableFull || code == AddFileResult::Stopped) {
            run.end = code;
            break;
        }
    }
    finishAdd(run, true);
    return run;
}

RunReport Registrar::addSingle(const std::string& fsPathGiven) {
    std::string fsPath = absoluteFsPath(fsPathGiven);
    RunReport run;
    if (lowerExtension(fsPath) == "dls") {
        run = mergeDls(fsPath);
    } else {
        startRun();
        run.end = addFile(fsPath, -1, nullptr);
        if (run.end != AddFileResult::Added && run.end != AddFileResult::Updated &&
            run.end != AddFileResult::Stopped && run.end != AddFileResult::TableFull) {
            m_host.message(texts().notRegistered);
        }
        finishAdd(run, false);
    }
    if (std::optional<std::string> folder =
            storedFromFileSystem(std::string(core::folderOf(fsPath)))) {
        m_db.table().settings().addPath = std::string(core::cutToBytes(*folder, kAddPathMaxBytes));
    }
    m_db.setModified();
    return run;
}

RunReport Registrar::addDropped(std::span<const std::string> fsPaths) {
    RunReport run;
    startRun();
    for (const std::string& path : fsPaths) {
        std::string ext = lowerExtension(path);
        if (!ext.empty() && !isRecordExtension(ext)) continue;
        AddFileResult code = addFile(path, -1, nullptr);
        if (code == AddFileResult::Added || code == AddFileResult::Updated) {
            std::optional<std::string> stored = storedFromFileSystem(path);
            m_host.status(core::formatMessage(texts().dropped, {stored ? *stored : path}));
        }
        if (code == AddFileResult::TableFull || code == AddFileResult::Stopped) {
            run.end = code;
            break;
        }
    }
    run.counts = m_counts;
    run.warnings = m_warnings;
    run.skipped = m_skipped;
    if (m_counts.added + m_counts.updated > 0) m_db.setModified();
    m_host.beep();
    return run;
}

int Registrar::updateSlot(int slot) {
    IndexTable& table = m_db.table();
    if (slot < 0 || slot >= table.size()) return -1;
    const IndexEntry& old = table.entry(slot);
    IndexEntry entry;
    if (extract(locateFile(fileSystemFromStored(table.resolve(old.path()))), entry, true) !=
        ExtractResult::Ok) {
        return -1;
    }
    std::vector<ListMove> list;
    if (m_db.isBinary()) {
        if (entry.handicap >= static_cast<uint8_t>(IndexHandicap::Other) || entry.moveCount == 0 ||
            m_extractor.setUpStart() || m_extractor.entryCount() == 0) {
            return 0;
        }
        m_extractor.buildMoveList(list);
    }
    entry.setText(IndexText::Path, old.path());
    entry.marks = static_cast<uint8_t>((old.marks & (kMarkUser1 | kMarkUser2)) |
                                       (entry.marks & (kMarkComments | kMarkVariations)));
    m_db.replace(slot, std::move(entry), std::move(list));
    return 0;
}

UpdateReport Registrar::update(MissingFileMode& mode, std::span<const int32_t> chosen) {
    UpdateReport result;
    startRun();
    std::vector<int32_t> slots(chosen.begin(), chosen.end());
    if (chosen.empty()) {
        slots.resize(static_cast<std::size_t>(m_db.table().size()));
        for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = static_cast<int32_t>(i);
    } else {
        std::sort(slots.begin(), slots.end());
        slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    }
    const int total = static_cast<int>(slots.size());
    int removed = 0;  // earlier slots deleted so far: later slot numbers moved down by this
    const Texts& t = texts();
    for (int i = 0; i < total; ++i) {
        if (i % kProgressStep == 0) {
            m_host.status(core::formatMessage(t.updating, {number(i), number(total)}));
            if (m_host.cancelRequested()) {
                result.cancelled = true;
                break;
            }
        }
        int slot = slots[static_cast<std::size_t>(i)] - removed;
        if (slot < 0 || slot >= m_db.table().size()) continue;
        if (updateSlot(slot) == 0) {
            ++result.updated;
            continue;
        }
        ++result.unreadable;
        std::string path(m_db.table().entry(slot).path());
        bool remove = false;
        switch (mode) {
            case MissingFileMode::Keep:
                m_host.status(core::formatMessage(t.unreadable, {path}));
                break;
            case MissingFileMode::Ask:
                m_host.beep();
                switch (m_host.askDeleteMissing(path)) {
                    case MissingFileAnswer::Delete:
                        remove = true;
                        break;
                    case MissingFileAnswer::Keep:
                        break;
                    case MissingFileAnswer::DeleteAll:
                        remove = true;
                        mode = MissingFileMode::Delete;
                        break;
                    case MissingFileAnswer::KeepAll:
                        mode = MissingFileMode::Keep;
                        break;
                }
                break;
            case MissingFileMode::Delete:
                m_host.status(core::formatMessage(t.unreadable, {path}));
                remove = true;
                break;
            case MissingFileMode::SilentKeep:
                break;
        }
        if (remove) {
            deleteSlot(slot);
            ++removed;
            ++result.deleted;
        }
    }
    result.warnings = m_warnings;
    m_db.setModified();
    return result;
}

void Registrar::deleteSlot(int slot) {
    if (slot < 0 || slot >= m_db.table().size()) return;
    m_db.removeSlot(slot);
    m_keysValid = false;
    m_db.setModified();
}

FolderDeleteReport Registrar::deleteByFolder(const std::string& fsFolder, DeleteKind kind,
                                             bool subfolders) {
    FolderDeleteReport result;
    if (fsFolder.empty()) {
        result.code = FolderDeleteResult::NoFolder;
        return result;
    }
    std::optional<std::string> stored = storedFromFileSystem(absoluteFsPath(fsFolder));
    if (!stored) {
        result.status = texts().noneDeleted;
        return result;
    }
    const std::string prefix = pathKey(folderWithSlash(*stored));
    IndexTable& table = m_db.table();
    const int total = table.size();
    std::vector<int> gone;
    for (int slot = total - 1, done = 0; slot >= 0; --slot, ++done) {
        if (done % kProgressStep == 0) {
            m_host.status(core::formatMessage(texts().deleting, {number(done), number(total)}));
            if (m_host.cancelRequested()) {
                result.code = FolderDeleteResult::Cancelled;
                break;
            }
        }
        std::string key = keyOf(table.entry(slot).path());
        if (!key.starts_with(prefix)) continue;
        std::string_view rest = std::string_view(key).substr(prefix.size());
        if (!subfolders && core::findByte(rest, '/') != std::string_view::npos) continue;
        if (!deleteKindTakes(kind, lowerExtension(rest))) continue;
        gone.push_back(slot);
        ++result.deleted;
    }
    // Removed together: one pass over the table and the lists, however many they are.
    if (!gone.empty()) {
        m_db.removeSlots(gone);
        m_keysValid = false;
        m_db.setModified();
    }
    result.status = result.deleted > 0
                        ? core::formatMessage(texts().deleted, {number(result.deleted)})
                        : texts().noneDeleted;
    return result;
}

PathModeReport Registrar::makePathsRelative() {
    PathModeReport result;
    IndexTable& table = m_db.table();
    if (table.path().empty() || table.empty()) {
        result.code = PathModeResult::Unavailable;
        return result;
    }
    std::string folder(table.folder());
    for (int slot = 0; slot < table.size(); ++slot) {
        IndexEntry& e = table.entry(slot);
        if (!isAbsolutePath(e.path())) continue;
        if (std::optional<std::string> rel = relativeTo(folder, e.path())) {
            e.setText(IndexText::Path, *rel);
        } else {
            ++result.notRelative;
        }
    }
    if (result.notRelative > 0) {
        result.message = core::formatMessage(texts().notRelative, {number(result.notRelative)});
    }
    table.settings().relativePaths = true;
    m_db.setModified();
    return result;
}

PathModeReport Registrar::makePathsAbsolute() {
    PathModeReport result;
    IndexTable& table = m_db.table();
    if (table.path().empty() || table.empty()) {
        result.code = PathModeResult::Unavailable;
        return result;
    }
    for (int slot = 0; slot < table.size(); ++slot) {
        IndexEntry& e = table.entry(slot);
        if (!isAbsolutePath(e.path())) e.setText(IndexText::Path, table.resolve(e.path()));
    }
    table.settings().relativePaths = false;
    m_db.setModified();
    return result;
}

}  // namespace dalmir::model
