#include "dalmir/model/search/duplicate_check.h"

#include <algorithm>
#include <cstdio>

#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/fs_paths.h"

namespace dalmir::model {

namespace {

struct Texts {
    std::string flagged = std::string("削除指定：%d");
    std::string deleting = std::string("データ削除中...  %d / %d");
    std::string noDuplicates = std::string("棋譜の重複はありませんでした。");
    std::string ended = std::string("重複検査終了");
    std::string noDifference = std::string("違いは、ありません。");
};

const Texts& texts() {
    static const Texts t;
    return t;
}

std::string rowLine(int which, int row, std::string_view path) {
    char head[32];
    std::snprintf(head, sizeof head, "%d: No.%4d: ", which, row);
    return head + std::string(path);
}

// The fields every enabled criterion needs equal, packed for a quick first test.
uint64_t quickKey(const IndexEntry& e, const DuplicateCriteria& c) {
    uint64_t key = e.handicap;
    if (c.sameDate) key |= static_cast<uint64_t>(static_cast<uint32_t>(dateKey(e.start))) << 8;
    if (c.sameMoveCount) key |= static_cast<uint64_t>(e.moveCount) << 40;
    return key;
}

}  // namespace

DuplicateCheckReport checkDuplicates(Database& db, const DuplicateCriteria& criteria,
                                     OperationHost& host, const DuplicateCheckOptions& options) {
    IndexTable& table = db.table();
    DuplicateCheckReport result;
    std::vector<uint8_t> flags(static_cast<std::size_t>(table.size()), kKeepRecord);
    const std::vector<int32_t> order = table.displayOrder();
    const std::size_t n = order.size();
    std::vector<uint64_t> keys(n);
    for (std::size_t k = 0; k < n; ++k) keys[k] = quickKey(table.entry(order[k]), criteria);
    // The rows by key, in list order within a key: a row is compared with the later rows of its
    // own key only, in list order, as a walk over all later rows would.
    std::vector<uint32_t> byKey(n);
    for (std::size_t k = 0; k < n; ++k) byKey[k] = static_cast<uint32_t>(k);
    std::stable_sort(byKey.begin(), byKey.end(),
                     [&](uint32_t x, uint32_t y) { return keys[x] < keys[y]; });
    std::vector<uint32_t> place(n);
    for (std::size_t p = 0; p < n; ++p) place[byKey[p]] = static_cast<uint32_t>(p);
    DuplicateMode mode = options.mode;
    bool deleteFile = options.deleteFile;
    const bool compareMoves = criteria.compareMoves && db.isBinary();
    DuplicateCriteria effective = criteria;
    effective.compareMoves = compareMoves;

    auto flag = [&](int slot) {
        flags[static_cast<std::size_t>(slot)] = deleteFile ? kDeleteRecordAndFile : kDeleteRecord;
        ++result.flagged;
        host.status(core::formatMessage(texts().flagged, {std::to_string(result.flagged)}));
    };
    bool end = false;
    for (std::size_t ii = 0; ii < n && !end; ++ii) {
        const int i = order[ii];
        if (flags[static_cast<std::size_t>(i)] != kKeepRecord) continue;
        const IndexEntry& a = table.entry(i);
        if (criteria.sameDate && dateKey(a.start) == 0) continue;
        if (ii % 256 == 0 && host.cancelRequested()) {
            result.stopped = true;
            break;
        }
        for (std::size_t p = place[ii] + 1; p < n && keys[byKey[p]] == keys[ii]; ++p) {
            const std::size_t jj = byKey[p];
            const int j = order[jj];
            if (flags[static_cast<std::size_t>(j)] != kKeepRecord) continue;
            const IndexEntry& b = table.entry(j);
            if (!isDuplicatePair(a, db.lists().list(i), b, db.lists().list(j), effective)) continue;
            ++result.pairs;
            DuplicatePair pair;
            pair.firstRow = static_cast<int>(ii) + 1;
            pair.secondRow = static_cast<int>(jj) + 1;
            pair.firstSlot = i;
            pair.secondSlot = j;
            pair.firstPath = a.path();
            pair.secondPath = b.path();
            pair.firstLine = rowLine(1, pair.firstRow, a.path());
            pair.secondLine = rowLine(2, pair.secondRow, b.path());
            pair.firstMarks = markText(a.marks);
            pair.secondMarks = markText(b.marks);
            result.found.push_back(pair);

            DuplicateAnswer answer =
                mode == DuplicateMode::AlwaysFirst    ? DuplicateAnswer::DeleteFirst
                : mode == DuplicateMode::AlwaysSecond ? DuplicateAnswer::DeleteSecond
                                                      : host.askDuplicate(pair, deleteFile);
            if (answer == DuplicateAnswer::AlwaysFirst) mode = DuplicateMode::AlwaysFirst;
            if (answer == DuplicateAnswer::AlwaysSecond) mode = DuplicateMode::AlwaysSecond;
            if (answer == DuplicateAnswer::Cancel) {
                result.cancelled = true;
                result.code = -1;
                host.status(texts().ended);
                return result;
            }
            if (answer == DuplicateAnswer::Stop) {
                result.stopped = true;
                end = true;
                break;
            }
            if (answer == DuplicateAnswer::DeleteFirst || answer == DuplicateAnswer::AlwaysFirst) {
                flag(i);
                break;
            }
            if (answer == DuplicateAnswer::DeleteSecond ||
                answer == DuplicateAnswer::AlwaysSecond) {
                flag(j);
            }
        }
    }

    host.status({});
    const int before = table.size();
    for (int slot = table.size() - 1; slot >= 0; --slot) {
        const uint8_t f = flags[static_cast<std::size_t>(slot)];
        if (f == kKeepRecord) continue;
        if (f == kDeleteRecordAndFile) {
            std::string fsPath =
                locateFile(fileSystemFromStored(table.resolve(table.entry(slot).path())));
            // The record leaves the database either way; a file the trash refused stays where it
            // is.
            (void)host.moveToTrash(fsPath, options.confirmTrash);
        }
        db.removeSlot(slot);
        ++result.deleted;
        host.status(core::formatMessage(
            texts().deleting, {std::to_string(result.deleted), std::to_string(result.flagged)}));
        (void)host.cancelRequested();  // lets the window process pending events
    }
    result.code = result.stopped ? -1 : result.pairs;
    if (table.size() == before) {
        host.status(result.stopped ? texts().ended : texts().noDuplicates);
    } else {
        db.setModified();
    }
    return result;
}

RecordComparison compareRecords(const Database& db, int slotA, int slotB) {
    std::span<const ListMove> a = db.lists().list(slotA);
    std::span<const ListMove> b = db.lists().list(slotB);
    RecordComparison c;
    std::size_t common = std::min(a.size(), b.size());
    std::size_t k = 0;
    while (k < common && a[k] == b[k]) ++k;
    c.equalMoves = static_cast<int>(k);
    c.identical = a.size() == b.size() && k == a.size();
    return c;
}

const std::string& msgNoDifference() { return texts().noDifference; }

std::pair<int, int> replayPlies(const Database& db, int slotA, int slotB) {
    const IndexTable& table = db.table();
    const int lastA = table.entry(slotA).moveCount;
    const int lastB = table.entry(slotB).moveCount;
    if (!db.isBinary()) return {lastA, lastB};
    RecordComparison c = compareRecords(db, slotA, slotB);
    std::size_t sizeA = db.lists().list(slotA).size();
    std::size_t sizeB = db.lists().list(slotB).size();
    if (static_cast<std::size_t>(c.equalMoves) == std::min(sizeA, sizeB)) return {lastA, lastB};
    return {c.equalMoves + 1, c.equalMoves + 1};
}

}  // namespace dalmir::model
