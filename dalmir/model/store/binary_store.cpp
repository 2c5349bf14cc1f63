#include "dalmir/model/store/binary_store.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/base/checksum.h"
#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/position_index.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/table/index_paths.h"

namespace dalmir::model {

namespace {

constexpr std::size_t kCountOffset = 16;
constexpr std::size_t kMaxDlbBytes = std::size_t{1} << 31;

void putLe32(std::string& out, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
}

uint32_t le32(std::string_view s, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

uint16_t le16(std::string_view s, std::size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(s[at]) |
                                 (static_cast<unsigned char>(s[at + 1]) << 8));
}

// The path of one file of the pair: the base and the extension, lower case when the given
// path's extension was written in lower case.
std::string pairPath(std::string_view fsPath, std::string_view upperExtension) {
    std::string_view base = core::withoutExtension(fsPath);
    std::string_view given = fsPath.substr(base.size());
    bool lower = given.size() > 1 && std::all_of(given.begin() + 1, given.end(),
                                                 [](char c) { return c >= 'a' && c <= 'z'; });
    std::string out(base);
    out += '.';
    for (char c : upperExtension) out += lower ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

// The list of the record the extractor holds, when the record can have one.
bool takesList(const RecordExtractor& extractor, const IndexEntry& entry) {
    return !extractor.setUpStart() && entry.handicap < static_cast<uint8_t>(IndexHandicap::Other) &&
           extractor.entryCount() > 0;
}

// The first bytes of a file (at most n); empty when it can't be read.
std::string headOf(const std::string& path, std::size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string out(n, '\0');
    in.read(out.data(), static_cast<std::streamsize>(n));
    out.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return out;
}

}  // namespace

std::string existingPairPath(std::string_view fsPath, std::string_view upperExtension) {
    std::string path = pairPath(fsPath, upperExtension);
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return path;
    std::string other = path;
    std::size_t dot = other.size() - upperExtension.size();
    for (std::size_t i = dot; i < other.size(); ++i) {
        char c = other[i];
        other[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A')
                                          : static_cast<char>(c - 'A' + 'a');
    }
    return std::filesystem::exists(other, ec) ? other : path;
}

uint32_t dlbGeneration(std::string_view bytes) {
    if (bytes.size() < kDlbHeaderBytes) return 0;
    return le32(bytes, kDlbGenerationOffset);
}

core::WriteResult writePair(const std::string& dlbPath, std::string_view dlb,
                            const std::string& kixPath, std::string_view kix,
                            ProgressCount* progress) {
    const auto stage = [progress](const std::string& path, std::string_view bytes) {
        const core::WriteResult r =
            core::stageFile(path, bytes, progress ? progress->writeStep(true) : core::WriteStep{});
        if (progress != nullptr && r == core::WriteResult::Ok) progress->advance(bytes.size());
        return r;
    };
    core::WriteResult code = stage(dlbPath, dlb);
    if (code == core::WriteResult::Ok) code = stage(kixPath, kix);
    // The last moment to stop: the old pair is still whole.
    if (code == core::WriteResult::Ok && progress != nullptr && progress->cancelRequested()) {
        code = core::WriteResult::Cancelled;
    }
    if (code == core::WriteResult::Ok) code = core::commitStaged(dlbPath);
    if (code != core::WriteResult::Ok) {
        // Nothing was switched: the old pair stands, and the staged files go.
        std::error_code ec;
        std::filesystem::remove(core::stagedPathOf(dlbPath), ec);
        std::filesystem::remove(core::stagedPathOf(kixPath), ec);
        return code;
    }
    // The new DLB is in place; the staged KIX completes its pair even if this rename fails.
    return core::commitStaged(kixPath);
}

uint32_t nextGeneration(const std::string& dlbPath, uint32_t loaded) {
    const std::array<uint32_t, 3> taken = {
        loaded, dlbGeneration(headOf(dlbPath, kDlbHeaderBytes)),
        dlbGeneration(headOf(core::stagedPathOf(dlbPath), kDlbHeaderBytes))};
    std::random_device random;
    for (;;) {
        const uint32_t candidate = random();
        if (candidate != 0 && std::find(taken.begin(), taken.end(), candidate) == taken.end()) {
            return candidate;
        }
    }
}

// The sum of one block of records: their counts and their moves.
uint64_t blockSum(std::string_view counts, std::string_view moves) {
    return core::mixWord(core::checksum(counts.data(), counts.size()),
                         core::checksum(moves.data(), moves.size()));
}

std::string formatDlb(const MoveList& lists, int count, uint32_t generation) {
    count = std::max(count, 0);
    std::size_t moves = 0;
    for (int i = 0; i < count; ++i) moves += lists.list(i).size();
    std::string out(kDlbHeaderBytes + 2 * static_cast<std::size_t>(count) + 2 * moves, '\0');
    std::memcpy(out.data(), "DLB", 3);
    std::memcpy(out.data() + 8, "1.00", 4);
    putLe32(out, kCountOffset, static_cast<uint32_t>(count));
    putLe32(out, kDlbGenerationOffset, generation);
    std::size_t at = kDlbHeaderBytes;
    for (int i = 0; i < count; ++i) {
        std::size_t n = std::min<std::size_t>(lists.list(i).size(), 0xFFFF);
        out[at++] = static_cast<char>(n & 0xFF);
        out[at++] = static_cast<char>(n >> 8);
    }
    const std::size_t blocks =
        (static_cast<std::size_t>(count) + kDlbSumRecords - 1) / kDlbSumRecords;
    std::vector<uint64_t> sums;
    sums.reserve(blocks);
    std::size_t blockStart = at;
    for (int i = 0; i < count; ++i) {
        std::span<const ListMove> l = lists.list(i);
        for (std::size_t k = 0; k < std::min<std::size_t>(l.size(), 0xFFFF); ++k) {
            out[at++] = static_cast<char>(l[k].origin);
            out[at++] = static_cast<char>(l[k].destination);
        }
        const auto next = static_cast<std::size_t>(i) + 1;
        if (next % kDlbSumRecords == 0 || next == static_cast<std::size_t>(count)) {
            const std::size_t first = (next - 1) / kDlbSumRecords * kDlbSumRecords;
            const std::string_view view(out);
            sums.push_back(blockSum(view.substr(kDlbHeaderBytes + 2 * first, 2 * (next - first)),
                                    view.substr(blockStart, at - blockStart)));
            blockStart = at;
        }
    }
    out.resize(at);
    if (count == 0) return out;  // nothing to check
    // The trailer: the sums of the move lists per block of records, which a reader checks.
    out.append(kDlbSumMagic);
    std::string word(4, '\0');
    putLe32(word, 0, static_cast<uint32_t>(kDlbSumRecords));
    out += word;
    putLe32(word, 0, static_cast<uint32_t>(sums.size()));
    out += word;
    for (uint64_t sum : sums) {
        for (int b = 0; b < 8; ++b) out += static_cast<char>(sum >> (8 * b));
    }
    return out;
}

DlbReadReport parseDlb(std::string_view bytes, int records, int capacity, MoveList& lists) {
    core::LargeBytes copy;
    copy.append(bytes.data(), bytes.size());
    return parseDlb(std::move(copy), records, capacity, lists);
}

namespace {

// Points the first `records` lists into the pool, whose moves start at `at`, leaving out the
// blocks marked damaged.
void setLists(MoveList& lists, const std::vector<uint16_t>& counts, std::size_t records,
              std::size_t at, const std::vector<bool>& damaged) {
    for (std::size_t i = 0; i < records; ++i) {
        const std::size_t n = counts[i];
        const std::size_t block = i / kDlbSumRecords;
        if (n != 0 && (block >= damaged.size() || !damaged[block])) {
            lists.setInPool(static_cast<int>(i), at / 2, n);
        }
        at += 2 * n;
    }
}

}  // namespace

DlbReadReport parseDlb(core::LargeBytes file, int records, int capacity, MoveList& lists) {
    DlbReadReport result;
    lists.clear();
    lists.resize(records);
    static const std::string kDamaged = std::string("データ異常");
    static const std::string kTooMany =
        std::string("データ異常：棋譜数が最大登録数を超えています。");
    const std::string_view bytes = file.view();
    if (bytes.size() < kDlbHeaderBytes) {
        result.code = DlbReadResult::Truncated;
        result.message = kDamaged;
        return result;
    }
    uint32_t raw = le32(bytes, kCountOffset);
    // A count beyond what the counts block could hold is damage, not a count.
    std::size_t fileCount = std::min<std::size_t>(raw, (bytes.size() - kDlbHeaderBytes) / 2 + 1);
    result.fileCount = static_cast<int>(std::min<uint32_t>(raw, 0x7FFFFFFF));
    std::size_t used = std::min<std::size_t>(fileCount, static_cast<std::size_t>(records));
    if (raw != static_cast<uint32_t>(records)) {
        result.code = DlbReadResult::CountMismatch;
        result.message = raw > static_cast<uint32_t>(capacity) ? kTooMany : kDamaged;
    }
    std::size_t countsEnd = kDlbHeaderBytes + 2 * fileCount;
    if (countsEnd > bytes.size()) {
        result.code = DlbReadResult::Truncated;
        result.message = kDamaged;
        return result;
    }
    // The moves of the file are the lists, an element being its origin byte then its
    // destination byte as in the file: the lists keep the file's bytes as their pool. The counts
    // are read from a copy, as the bytes move with the pool.
    std::vector<uint16_t> counts(fileCount);
    for (std::size_t i = 0; i < fileCount; ++i) counts[i] = le16(bytes, kDlbHeaderBytes + 2 * i);
    const std::size_t size = bytes.size();
    std::vector<std::size_t> blockStarts;  // where each block's moves start
    std::size_t at = countsEnd;
    for (std::size_t i = 0; i < fileCount; ++i) {
        if (i % kDlbSumRecords == 0) blockStarts.push_back(at);
        const std::size_t n = counts[i];
        if (n == 0) continue;
        if (size - at < 2 * n) {
            lists.usePool(std::move(file));
            setLists(lists, counts, std::min(i, used), countsEnd, {});
            result.code = DlbReadResult::Truncated;
            result.message = kDamaged;
            return result;
        }
        at += 2 * n;
    }
    blockStarts.push_back(at);
    // A file with the sums of its blocks (every file this program writes; older ones have none)
    // loses the lists of a block whose sum does not match: they are damaged.
    std::vector<bool> damaged(blockStarts.size() - 1, false);
    const std::string_view trailer = bytes.substr(at);
    if (trailer.starts_with(kDlbSumMagic)) {
        const std::size_t head = kDlbSumMagic.size() + 8;
        const uint32_t perBlock = trailer.size() >= head ? le32(trailer, kDlbSumMagic.size()) : 0;
        const uint32_t blocks = trailer.size() >= head ? le32(trailer, kDlbSumMagic.size() + 4) : 0;
        if (perBlock != kDlbSumRecords || blocks != damaged.size() ||
            trailer.size() != head + 8 * std::size_t{blocks}) {
            damaged.assign(damaged.size(), true);
        } else {
            for (std::size_t b = 0; b < damaged.size(); ++b) {
                const std::size_t first = b * kDlbSumRecords;
                const std::size_t inBlock = std::min(kDlbSumRecords, fileCount - first);
                uint64_t stored = 0;
                for (int k = 7; k >= 0; --k) {
                    stored =
                        (stored << 8) | static_cast<unsigned char>(
                                            trailer[head + 8 * b + static_cast<std::size_t>(k)]);
                }
                damaged[b] =
                    stored !=
                    blockSum(bytes.substr(kDlbHeaderBytes + 2 * first, 2 * inBlock),
                             bytes.substr(blockStarts[b], blockStarts[b + 1] - blockStarts[b]));
            }
        }
    }
    lists.usePool(std::move(file));
    setLists(lists, counts, used, countsEnd, damaged);
    if (std::find(damaged.begin(), damaged.end(), true) != damaged.end()) {
        result.code = DlbReadResult::Damaged;
        result.message = kDamaged;
    }
    return result;
}

core::WriteResult saveBinary(Database& db, const std::string& fsPath, std::string* problem,
                             OperationHost* host) {
    if (overwritesPartialSource(db, fsPath)) return core::WriteResult::NotReadWhole;
    std::string dlb = existingPairPath(fsPath, "DLB");
    std::string kix = existingPairPath(fsPath, "KIX");
    std::optional<std::string> storedKix = storedFromFileSystem(kix);
    if (!storedKix) return core::WriteResult::BadPath;
    ProgressCount progress(host);
    if (progress.cancelRequested()) return core::WriteResult::Cancelled;
    IndexTable& table = db.table();
    db.lists().resize(table.size());
    // The table names the KIX it is written as; a save that writes nothing names the old file.
    const std::string formerPath = table.path();
    table.setPath(*storedKix);
    const auto unsaved = [&table, &formerPath](core::WriteResult r) {
        table.setPath(formerPath);
        return r;
    };
    const uint32_t generation = nextGeneration(dlb, db.generation());
    std::optional<std::string> kixBytes =
        dlsFileBytes(formatDls(table, DlsWriteMode::AllSlots, {}, generation), problem);
    if (!kixBytes) return unsaved(core::WriteResult::Unencodable);
    const std::string dlbBytes = formatDlb(db.lists(), table.size(), generation);
    // The index made to describe the lists as they are now: records removed or reordered since
    // are renumbered in it and only new lists replayed; built afresh when there is none. Made
    // before the pair is written, so that a save stopped while writing keeps it for the next.
    std::shared_ptr<const PositionIndex> index = db.attachedPositionIndex();
    const bool remade = db.positionIndex() == nullptr;
    // The sizes in bytes: the index's work and file taken as the earlier one's, or the DLB's.
    const uint64_t indexBytes = index ? index->bytes().size() : dlbBytes.size();
    progress.setTotal((remade ? indexBytes : 0) + dlbBytes.size() + kixBytes->size() + indexBytes);
    if (remade) {
        index = index ? PositionIndex::update(*index, db.lists().origins(), table, db.lists())
                      : PositionIndex::build(table, db.lists());
        db.setPositionIndex(index);
        progress.advance(indexBytes);
    }
    core::WriteResult code = writePair(dlb, dlbBytes, kix, *kixBytes, &progress);
    if (code != core::WriteResult::Ok) return unsaved(code);
    db.setGeneration(generation);
    db.setPartialSource({});
    db.setModified(false);
    // The index is optional: a failure to write it leaves the old file, which the next opening
    // finds stale and searches without.
    if (index) (void)writePositionIndex(dlb, *index, progress.writeStep(false));
    progress.advance(indexBytes);
    return code;
}

namespace {

struct PairFiles {
    core::LargeBytes kix, dlb;  // contents
    bool complete = false;
};

// The contents of a pair whose generations match: the files in place, or one of them with the
// staged file of the other's generation. complete is false when no such pair was found.
std::optional<PairFiles> readPair(const std::string& kixPath, const std::string& dlbPath) {
    PairFiles files;
    std::optional<core::LargeBytes> kix = core::readFileBytes(kixPath, std::size_t{1} << 30);
    if (!kix) return std::nullopt;
    files.kix = std::move(*kix);
    std::optional<core::LargeBytes> dlb = core::readFileBytes(dlbPath, kMaxDlbBytes);
    if (!dlb) return std::nullopt;
    files.dlb = std::move(*dlb);
    const uint32_t kixGeneration = dlsGeneration(files.kix.view());
    const uint32_t dlbGen = dlbGeneration(files.dlb.view());
    if (kixGeneration == dlbGen) {
        files.complete = true;
        return files;
    }
    if (std::optional<core::LargeBytes> staged =
            core::readFileBytes(core::stagedPathOf(kixPath), std::size_t{1} << 30);
        staged && dlsGeneration(staged->view()) == dlbGen) {
        files.kix = std::move(*staged);
        files.complete = true;
        return files;
    }
    if (std::optional<core::LargeBytes> staged =
            core::readFileBytes(core::stagedPathOf(dlbPath), kMaxDlbBytes);
        staged && dlbGeneration(staged->view()) == kixGeneration) {
        files.dlb = std::move(*staged);
        files.complete = true;
    }
    return files;
}

}  // namespace

BinaryLoadReport loadBinary(Database& db, const std::string& fsPath, int defaultSortOrder,
                            ProgressCount* progress, uint64_t laterBytes) {
    ProgressCount none(nullptr);
    ProgressCount& count = progress != nullptr ? *progress : none;
    BinaryLoadReport result;
    std::string kix = existingPairPath(fsPath, "KIX");
    std::string dlb = existingPairPath(fsPath, "DLB");
    // A save running now may switch the files between the two reads: read again.
    constexpr int kAttempts = 3;
    std::optional<PairFiles> files;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        files = readPair(kix, dlb);
        if (files && files->complete) break;
    }
    if (!files) {
        // As before: the KIX read when it can be, and no lists.
        std::optional<core::LargeBytes> index = core::readFileBytes(kix, std::size_t{1} << 30);
        if (index) {
            std::optional<std::string> stored = storedFromFileSystem(kix);
            result.index = loadDls(db.table(), stored ? *stored : kix, dlsText(index->view()),
                                   defaultSortOrder);
            db.setBinary(true);
            db.lists().clear();
            db.lists().resize(db.table().size());
        }
        result.code = OpenResult::CannotOpen;
        return result;
    }
    // Reading the files, then the KIX's records (twice the work of its bytes), then the lists.
    const uint64_t kixBytes = files->kix.size();
    const uint64_t dlbBytes = files->dlb.size();
    count.setTotal(3 * kixBytes + 2 * dlbBytes + laterBytes);
    count.advance(kixBytes + dlbBytes);
    std::optional<std::string> stored = storedFromFileSystem(kix);
    {
        // The file's bytes go as soon as they are text: the records are read from the text.
        std::string text = dlsText(files->kix.view());
        files->kix = core::LargeBytes();
        result.index = loadDls(db.table(), stored ? *stored : kix, text, defaultSortOrder);
    }
    count.advance(2 * kixBytes);
    result.generation = result.index.generation;
    db.setBinary(true);
    db.setGeneration(std::max(result.index.generation, dlbGeneration(files->dlb.view())));
    if (!files->complete) {
        // The lists would belong to other records: keep the records only.
        result.pairMismatch = true;
        db.lists().clear();
        db.lists().resize(db.table().size());
        result.lists.code = DlbReadResult::Truncated;
        result.lists.message = std::string("データ異常");
        result.code = OpenResult::ReadFailed;
        return result;
    }
    result.lists =
        parseDlb(std::move(files->dlb), db.table().size(), db.table().capacity(), db.lists());
    count.advance(dlbBytes);
    if (result.lists.code == DlbReadResult::Truncated ||
        result.lists.code == DlbReadResult::Damaged) {
        result.code = OpenResult::ReadFailed;
    }
    return result;
}

std::string conversionTarget(std::string_view fsPath) {
    std::string ext = lowerExtension(fsPath);
    if (ext == "dlb" || ext == "kix") return std::string(fsPath);
    return std::string(fsPath) + ".DLB";
}

ConvertReport convertToBinary(const Database& db, const std::string& fsTarget,
                              RecordExtractor& extractor, OperationHost& host) {
    ConvertReport result;
    if (overwritesPartialSource(db, fsTarget)) {
        result.code = core::WriteResult::NotReadWhole;
        return result;
    }
    const IndexTable& table = db.table();
    std::string dlb = pairPath(fsTarget, "DLB");
    std::string kix = pairPath(fsTarget, "KIX");
    std::optional<std::string> storedKix = storedFromFileSystem(kix);
    if (!storedKix) {
        result.code = core::WriteResult::BadPath;
        return result;
    }

    // The KIX keeps every entry of the source with its path as the new index folder needs it,
    // and leaves out the slots that got no list.
    IndexTable out(std::max(table.capacity(), table.size()));
    out.settings() = table.settings();
    out.setPath(*storedKix);
    std::vector<uint8_t> skip(static_cast<std::size_t>(table.size()), 1);
    MoveList lists;
    IndexEntry read;
    std::vector<ListMove> moves;
    const int total = table.size();
    for (int slot = 0; slot < total; ++slot) {
        if (slot % 10 == 0) {
            host.status(core::formatMessageUtf8("データ変換中...  %d / %d",
                                                {std::to_string(slot), std::to_string(total)}));
            if (host.cancelRequested()) {
                host.beep();
                result.code = core::WriteResult::Cancelled;
                result.converted = 0;
                return result;
            }
        }
        IndexEntry entry = table.entry(slot);
        std::string absolute = table.resolve(entry.path());
        if (extractor.extract(locateFile(fileSystemFromStored(absolute)), read) !=
            ExtractResult::Ok) {
            ++result.unreadable;
        } else if (takesList(extractor, read)) {
            extractor.buildMoveList(moves);
            lists.append(moves);
            skip[static_cast<std::size_t>(slot)] = 0;
            ++result.converted;
        } else if (extractor.setUpStart()) {
            ++result.setUpStart;
        } else if (read.handicap >= static_cast<uint8_t>(IndexHandicap::Other)) {
            ++result.otherHandicap;
        } else {
            ++result.noMoves;
        }
        std::optional<std::string> relative;
        if (out.settings().relativePaths) relative = relativeTo(out.folder(), absolute);
        entry.setText(IndexText::Path, relative ? *relative : absolute);
        // `out` holds as many slots as the source: cannot fail.
        (void)out.append(std::move(entry));
    }

    const uint32_t generation = nextGeneration(dlb, 0);
    std::optional<std::string> kixBytes =
        dlsFileBytes(formatDls(out, DlsWriteMode::Unskipped, skip, generation));
    result.code = kixBytes
                      ? writePair(dlb, formatDlb(lists, lists.size(), generation), kix, *kixBytes)
                      : core::WriteResult::Unencodable;
    if (result.code == core::WriteResult::Ok) {
        // The new pair gets its position index from what it holds as read back, so that the
        // index matches the pair exactly. The index is optional: without it searches scan.
        Database written(std::max(out.capacity(), 1));
        if (openDatabase(written, dlb).code == OpenResult::Ok) {
            if (std::shared_ptr<const PositionIndex> index =
                    PositionIndex::build(written.table(), written.lists())) {
                // The index is optional: without it searches scan.
                (void)writePositionIndex(dlb, *index);
            }
        }
    }
    return result;
}

std::string convertLeftOutMessage(const ConvertReport& report, int total) {
    std::string out =
        core::formatMessageUtf8("%d件中%d件の棋譜は変換できませんでした。",
                                {std::to_string(total), std::to_string(report.leftOut())});
    const auto line = [&out](int n, const char* text) {
        if (n > 0) out += core::formatMessageUtf8(text, {std::to_string(n)});
    };
    line(report.unreadable, "\n読み込めない棋譜：%d件");
    line(report.setUpStart, "\n局面から始まる棋譜：%d件");
    line(report.otherHandicap, "\n手合割が「その他」の棋譜：%d件");
    line(report.noMoves, "\n指し手のない棋譜：%d件");
    return out;
}

std::string binarySavedMessage(std::string_view baseStoredPath) {
    return core::formatMessageUtf8("バイナリ棋譜(%s.DLB/KIX)を保存しました。", {baseStoredPath});
}

std::string binarySaveErrorMessage(std::string_view storedPath) {
    return core::formatMessageUtf8("保存エラー(%s)", {storedPath});
}

}  // namespace dalmir::model
