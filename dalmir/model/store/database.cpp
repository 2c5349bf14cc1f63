#include "dalmir/model/store/database.h"

#include <filesystem>

#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "dalmir/model/store/binary_store.h"
#include "dalmir/model/store/opening_labels.h"
#include "dalmir/model/store/position_index.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/table/record_extractor.h"

namespace dalmir::model {

namespace {

std::string withPath(const char* formatUtf8, std::string_view path) {
    return core::formatMessageUtf8(formatUtf8, {path});
}

std::string storedOrRaw(const std::string& fsPath) {
    std::optional<std::string> stored = storedFromFileSystem(fsPath);
    return stored ? std::move(*stored) : fsPath;
}

// A file's size; 0 when it has none.
uint64_t fileBytes(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<uint64_t>(size);
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return a == b || std::filesystem::equivalent(a, b, ec);
}

// Whether two database paths name the same stored database: the same file, or for a binary
// pair the same DLB or KIX.
bool isSameDatabase(const std::string& a, const std::string& b) {
    if (databaseKindOf(a) != DatabaseKind::Binary || databaseKindOf(b) != DatabaseKind::Binary) {
        return sameFile(a, b);
    }
    for (const char* ext : {"DLB", "KIX"}) {
        if (sameFile(existingPairPath(a, ext), existingPairPath(b, ext))) return true;
    }
    return false;
}

}  // namespace

void Database::reset(bool binary) {
    m_table.clear();
    m_table.setPath({});
    m_lists.clear();
    m_partialSource.clear();
    m_generation = 0;
    m_binary = binary;
    m_modified = false;
}

const PositionIndex* Database::positionIndex() const {
    if (!m_index || !m_binary || m_indexRevision != m_lists.revision() ||
        m_index->slots() != m_table.size() || !m_index->fileUnchanged()) {
        return nullptr;
    }
    std::span<const uint8_t> handicaps = m_index->handicaps();
    for (int slot = 0; slot < m_table.size(); ++slot) {
        if (handicaps[static_cast<std::size_t>(slot)] != m_table.entry(slot).handicap) {
            return nullptr;
        }
    }
    return m_index.get();
}

void Database::setPositionIndex(std::shared_ptr<const PositionIndex> index) {
    m_index = std::move(index);
    m_lists.markOrigins();
    m_indexRevision = m_lists.revision();
}

void Database::setBinary(bool binary) {
    m_binary = binary;
    if (binary) {
        m_lists.resize(m_table.size());
    } else {
        m_lists.clear();
    }
}

int Database::append(IndexEntry entry, std::vector<ListMove> list) {
    int slot = m_table.append(std::move(entry));
    if (slot < 0) return slot;
    if (m_binary) m_lists.set(slot, std::move(list));
    m_table.displayOrder().push_back(slot);
    return slot;
}

void Database::replace(int slot, IndexEntry entry, std::vector<ListMove> list) {
    if (slot < 0 || slot >= m_table.size()) return;
    m_table.entry(slot) = std::move(entry);
    if (m_binary) m_lists.set(slot, std::move(list));
}

void Database::removeSlot(int slot) {
    if (slot < 0 || slot >= m_table.size()) return;
    m_table.removeSlot(slot);
    m_lists.remove(slot);
}

void Database::removeSlots(std::span<const int> slots) {
    m_table.removeSlots(slots);
    m_lists.remove(slots);
}

void Database::keepSlots(std::span<const int32_t> slots) {
    std::vector<IndexEntry> kept;
    std::vector<int32_t> order;
    std::vector<bool> taken(static_cast<std::size_t>(m_table.size()), false);
    kept.reserve(slots.size());
    order.reserve(slots.size());
    for (const int32_t slot : slots) {
        if (slot < 0 || slot >= m_table.size() || taken[static_cast<std::size_t>(slot)]) continue;
        taken[static_cast<std::size_t>(slot)] = true;
        kept.push_back(std::move(m_table.entry(slot)));
        order.push_back(slot);
    }
    if (m_binary) {
        m_lists.resize(m_table.size());
        m_lists.reorder(order);
    }
    m_table.clear();
    for (auto& entry : kept) m_table.appendLoaded(std::move(entry));
    m_table.rebuildDisplayOrder();
}

DatabaseKind databaseKindOf(std::string_view path) {
    std::string ext = lowerExtension(path);
    if (ext == "dls") return DatabaseKind::Text;
    if (ext == "dlb" || ext == "kix") return DatabaseKind::Binary;
    return DatabaseKind::Unknown;
}

namespace {

void attachLabels(Database& db, const std::string& fsPath, OpenReport& report) {
    OpeningLabelsReport labels = readOpeningLabels(db.table(), fsPath);
    report.labelsNotice =
        openingLabelsNotice(labels.result, storedOrRaw(openingLabelsPath(fsPath)));
}

}  // namespace

OpenReport openDatabase(Database& db, const std::string& fsPath, int defaultSortOrder,
                        OperationHost* host) {
    OpenReport result;
    ProgressCount progress(host);
    switch (databaseKindOf(fsPath)) {
        case DatabaseKind::Unknown:
            result.code = OpenResult::NotDatabase;
            return result;
        case DatabaseKind::Binary: {
            std::string indexPath = positionIndexPath(fsPath);
            const uint64_t indexBytes = fileBytes(indexPath);
            BinaryLoadReport loaded =
                loadBinary(db, fsPath, defaultSortOrder, &progress, indexBytes);
            result.index = std::move(loaded.index);
            if (!loaded.lists.message.empty()) result.notices.push_back(loaded.lists.message);
            result.code = loaded.code;
            result.whole = loaded.whole();
            db.setPartialSource(result.whole ? std::string() : fsPath);
            db.setModified(false);
            PositionIndexReadResult read = PositionIndexReadResult::Missing;
            db.setPositionIndex(PositionIndex::open(indexPath, db.table(), db.lists(), read));
            progress.advance(indexBytes);
            result.indexNotice = positionIndexNotice(read, storedOrRaw(indexPath));
            attachLabels(db, fsPath, result);
            return result;
        }
        case DatabaseKind::Text:
            break;
    }
    std::optional<core::LargeBytes> content = core::readFileBytes(fsPath, std::size_t{1} << 30);
    if (!content) {
        result.code = OpenResult::CannotOpen;
        return result;
    }
    db.setBinary(false);
    // Read: a third; the records: the rest.
    progress.setTotal(3 * content->size());
    progress.advance(content->size());
    result.index =
        loadDls(db.table(), storedOrRaw(fsPath), dlsText(content->view()), defaultSortOrder);
    progress.advance(2 * content->size());
    if (result.index.noIndexFile()) {
        // The notes about its lines say nothing of a file that is no database.
        result.index.messages.clear();
        result.code = OpenResult::NothingRead;
        return result;
    }
    result.whole = result.index.whole();
    db.setPartialSource(result.whole ? std::string() : fsPath);
    db.setGeneration(0);
    db.setModified(false);
    attachLabels(db, fsPath, result);
    return result;
}

DatabaseStamp databaseStamp(const std::string& fsPath) {
    DatabaseStamp stamp;
    std::vector<std::string> paths;
    if (databaseKindOf(fsPath) == DatabaseKind::Binary) {
        paths = {existingPairPath(fsPath, "DLB"), existingPairPath(fsPath, "KIX")};
    } else {
        paths = {fsPath};
    }
    for (const std::string& path : paths) {
        DatabaseStamp::File file;
        std::error_code ec;
        file.size = std::filesystem::file_size(path, ec);
        if (!ec) file.modified = std::filesystem::last_write_time(path, ec);
        file.exists = !ec;
        if (!file.exists) file = {};
        stamp.files.push_back(file);
    }
    return stamp;
}

bool overwritesPartialSource(const Database& db, const std::string& fsPath) {
    return !db.partialSource().empty() && isSameDatabase(fsPath, db.partialSource());
}

core::WriteResult saveDatabase(Database& db, const std::string& fsPath, std::string* problem,
                               OperationHost* host) {
    if (overwritesPartialSource(db, fsPath)) return core::WriteResult::NotReadWhole;
    core::WriteResult r = core::WriteResult::Ok;
    if (db.isBinary()) {
        r = saveBinary(db, fsPath, problem, host);
    } else {
        std::optional<std::string> stored = storedFromFileSystem(fsPath);
        if (!stored) return core::WriteResult::BadPath;
        ProgressCount progress(host);
        if (progress.cancelRequested()) return core::WriteResult::Cancelled;
        // The table names the file it is written as; a save that writes nothing, the old one.
        const std::string formerPath = db.table().path();
        db.table().setPath(*stored);
        std::optional<std::string> bytes = dlsFileBytes(formatDls(db.table()), problem);
        if (bytes) {
            progress.setTotal(bytes->size());
            r = core::writeFileAtomically(fsPath, *bytes, core::FileAccess::Keep,
                                          progress.writeStep(true));
        } else {
            r = core::WriteResult::Unencodable;
        }
        if (r != core::WriteResult::Ok) {
            db.table().setPath(formerPath);
            return r;
        }
    }
    if (r != core::WriteResult::Ok) return r;
    // The labels are saved with the records; a failure to keep them is reported as a failed
    // save, and the database stays modified so that it is saved again.
    r = writeOpeningLabels(db.table(), fsPath);
    db.setModified(r != core::WriteResult::Ok);
    return r;
}

std::string openErrorMessage(OpenResult code, std::string_view path) {
    if (code == OpenResult::NotDatabase) return withPath("ファイル(%s)は、読めません。", path);
    if (code == OpenResult::NothingRead) {
        return withPath(
            "棋譜情報ファイル(%s)から何も読み込めませんでした。\n"
            "設定の行も棋譜情報の行もなく、棋譜情報ファイルではありません。",
            path);
    }
    return withPath("棋譜情報読込みエラー(%s)", path);
}

std::string saveErrorMessage(std::string_view path) {
    return withPath("ファイル保存エラー(%s)", path);
}

std::string savedMessage(const Database& db, std::string_view path) {
    if (db.isBinary()) return binarySavedMessage(core::withoutExtension(path));
    return withPath("棋譜情報ファイル(%s)を保存しました。", path);
}

}  // namespace dalmir::model
