#include "dalmir/model/store/position_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/text/sjis.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/store/binary_store.h"
#include "tests/support/random_record.h"
#include "tests/support/temp_folder.h"

namespace dalmir::model {
namespace {

// Random games, a third of them the first part of an earlier game (so that positions repeat
// across records), a tenth from a handicap start.
void addRandomGames(Database& db, std::mt19937& rng, int count) {
    core::RecordStore store;
    testsupport::RandomRecordOptions ro;
    ro.minPlies = 10;
    ro.maxPlies = 70;
    for (int i = 0; i < count; ++i) {
        IndexEntry entry;
        std::vector<ListMove> list;
        if (db.table().size() > 3 && rng() % 3 == 0) {
            int from = static_cast<int>(rng() % static_cast<unsigned>(db.table().size()));
            entry.handicap = db.table().entry(from).handicap;
            std::span<const ListMove> source = db.lists().list(from);
            list.assign(source.begin(),
                        source.begin() + static_cast<long>(rng() % (source.size() + 1)));
        } else {
            testsupport::makeRandomRecord(store, rng, ro);
            entry.handicap = static_cast<uint8_t>(store.handicap());
            buildList(store, list);
        }
        std::string path = "g" + std::to_string(db.table().size()) + ".kif";
        entry.setText(IndexText::Path, path);
        ASSERT_GE(db.append(std::move(entry), std::move(list)), 0);
    }
}

// The position after ply moves of a slot's list, as a search target.
core::Position positionOf(const Database& db, int slot, int ply) {
    ReplayBoard b;
    EXPECT_TRUE(startBoard(db.table().entry(slot).handicap, b));
    ReplayStep step;
    std::span<const ListMove> list = db.lists().list(slot);
    for (int k = 0; k < ply && k < static_cast<int>(list.size()); ++k) {
        if (!playListMove(b, list[static_cast<std::size_t>(k)], step) || step.closing) break;
    }
    core::Position target;
    core::clearPosition(target);
    for (int sq = 11; sq <= 99; ++sq) {
        if (core::isSquare(sq)) target.cells[static_cast<std::size_t>(sq)] = b.cells[sq];
    }
    int hand = core::kFirstHandSlot;
    for (int side = 0; side < 2; ++side) {
        for (int type = 1; type <= 8; ++type) {
            for (int n = 0; n < b.hand[side][type]; ++n) {
                target.cells[static_cast<std::size_t>(hand++)] =
                    core::makePiece(side ? core::kSideBlack : core::kSideWhite, type);
            }
        }
    }
    target.handEnd = static_cast<uint8_t>(hand);
    target.sideToMove = b.sideToMove;
    return target;
}

struct Outcome {
    std::vector<int32_t> order;
    std::vector<std::pair<int, std::string>> hits;  // ply and next-move text, list order
    bool operator==(const Outcome&) const = default;
};

Outcome search(Database& db, const core::Position& target, const PositionSearchOptions& o,
               bool& usedIndex) {
    db.table().rebuildDisplayOrder();
    RecordExtractor extractor;
    OperationHost host;
    Searcher searcher(db, extractor, host);
    (void)searcher.findPosition(target, o);
    usedIndex = searcher.usedPositionIndex();
    Outcome out;
    out.order = db.table().displayOrder();
    for (int32_t slot : out.order) {
        const IndexEntry& e = db.table().entry(slot);
        out.hits.emplace_back(e.hitPly, std::string(e.nextMove()));
    }
    return out;
}

class PositionIndexTest : public ::testing::Test {
protected:
    PositionIndexTest() : path(folder.file("games.DLB")) { db.reset(true); }

    // Saves and opens the database again; the index comes back from its file.
    void saveAndReopen() {
        ASSERT_EQ(saveDatabase(db, path), core::WriteResult::Ok);
        db.reset(true);
        OpenReport r = openDatabase(db, path);
        ASSERT_EQ(r.code, OpenResult::Ok);
        EXPECT_EQ(r.indexNotice, "");
        ASSERT_NE(db.positionIndex(), nullptr);
    }

    // Every option set, for targets taken from the records (complete ones, and some with
    // squares left open), gives the same list and hit data with the index as without it.
    void expectIndexedEqualsScan(std::mt19937& rng, int targets) {
        ASSERT_NE(db.positionIndex(), nullptr);
        const std::shared_ptr<const PositionIndex> index = db.attachedPositionIndex();
        int narrowed = 0, hits = 0;
        for (int t = 0; t < targets; ++t) {
            const int slot = static_cast<int>(rng() % static_cast<unsigned>(db.table().size()));
            const int ply = static_cast<int>(rng() % (db.lists().list(slot).size() + 1));
            core::Position target = positionOf(db, slot, ply);
            if (t % 5 == 4) target.cells[static_cast<std::size_t>(11 + rng() % 9)] = 0;
            for (int mask = 0; mask < 8; ++mask) {
                PositionSearchOptions o;
                o.sideMustMatch = mask & 1;
                o.alsoReversed = mask & 2;
                o.ignoreEdgePawns = mask & 4;
                bool used = false;
                db.setPositionIndex(index);
                Outcome indexed = search(db, target, o, used);
                narrowed += used;
                db.setPositionIndex(nullptr);
                bool scanUsed = true;
                Outcome scanned = search(db, target, o, scanUsed);
                EXPECT_FALSE(scanUsed);
                ASSERT_EQ(indexed, scanned) << "target " << t << " options " << mask;
                hits += static_cast<int>(scanned.order.size());
            }
        }
        db.setPositionIndex(index);
        EXPECT_GT(narrowed, targets * 4);  // most targets are complete
        EXPECT_GT(hits, targets * 8);
    }

    testsupport::TempFolder folder;
    std::string path;
    Database db{100000};
};

TEST_F(PositionIndexTest, IndexedSearchEqualsTheScanAfterAddsDeletesAndReorders) {
    std::mt19937 rng(24);
    addRandomGames(db, rng, 120);
    saveAndReopen();
    expectIndexedEqualsScan(rng, 12);

    // Any change to the lists leaves the index unused until the next save rebuilds it.
    addRandomGames(db, rng, 30);
    EXPECT_EQ(db.positionIndex(), nullptr);
    saveAndReopen();
    expectIndexedEqualsScan(rng, 8);

    for (int i = 0; i < 20; ++i) db.removeSlot(static_cast<int>(rng() % 100));
    EXPECT_EQ(db.positionIndex(), nullptr);
    saveAndReopen();
    expectIndexedEqualsScan(rng, 8);

    // A new registration order: slots taken out and put back at the end.
    for (int i = 0; i < 30; ++i) {
        int slot = static_cast<int>(rng() % 50);
        IndexEntry entry = db.table().entry(slot);
        std::span<const ListMove> l = db.lists().list(slot);
        std::vector<ListMove> list(l.begin(), l.end());
        db.removeSlot(slot);
        ASSERT_GE(db.append(std::move(entry), std::move(list)), 0);
    }
    saveAndReopen();
    expectIndexedEqualsScan(rng, 8);

    // A handicap code changed behind the lists' back also retires the index.
    db.table().entry(0).handicap = db.table().entry(0).handicap == 0 ? 1 : 0;
    EXPECT_EQ(db.positionIndex(), nullptr);
}

TEST_F(PositionIndexTest, ADamagedOrStaleIndexIsIgnoredWithANotice) {
    std::mt19937 rng(5);
    addRandomGames(db, rng, 40);
    saveAndReopen();
    const std::string indexPath = positionIndexPath(path);
    const auto size = std::filesystem::file_size(indexPath);
    const std::string stale = folder.file("stale.DPX");
    std::filesystem::copy_file(indexPath, stale);

    struct Case {
        const char* name;
        std::function<void()> damage;
        const char* notice;  // UTF-8; empty: no notice
    };
    const std::vector<Case> cases = {
        {"truncated", [&] { std::filesystem::resize_file(indexPath, size - 4); },
         "局面インデックス(%s)が壊れているため、使わずに検索します。"},
        {"too short for a header", [&] { std::filesystem::resize_file(indexPath, 10); },
         "局面インデックス(%s)が壊れているため、使わずに検索します。"},
        {"a byte changed",
         [&] {
             std::fstream f(indexPath, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(static_cast<std::streamoff>(size / 2));
             char c = 0;
             f.read(&c, 1);
             f.seekp(static_cast<std::streamoff>(size / 2));
             c = static_cast<char>(c ^ 0x10);
             f.write(&c, 1);
         },
         "局面インデックス(%s)が壊れているため、使わずに検索します。"},
        {"from other lists",
         [&] {
             // The pair saved again after a change, and the old index put back beside it.
             addRandomGames(db, rng, 1);
             ASSERT_EQ(saveBinary(db, path), core::WriteResult::Ok);
             std::filesystem::copy_file(stale, indexPath,
                                        std::filesystem::copy_options::overwrite_existing);
         },
         "局面インデックス(%s)が古いため、使わずに検索します。"},
        {"an earlier layout",
         [&] {
             std::fstream f(indexPath, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(4);
             const char one[4] = {1, 0, 0, 0};
             f.write(one, 4);
         },
         "局面インデックス(%s)が古いため、使わずに検索します。"},
        {"missing", [&] { std::filesystem::remove(indexPath); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::copy_file(stale, indexPath,
                                   std::filesystem::copy_options::overwrite_existing);
        c.damage();
        OpenReport r = openDatabase(db, path);
        ASSERT_EQ(r.code, OpenResult::Ok);
        EXPECT_EQ(db.positionIndex(), nullptr);
        std::string want = c.notice[0] == '\0' ? std::string()
                                               : std::string(c.notice).replace(
                                                     std::string(c.notice).find("%s"), 2,
                                                     std::string(folder.file("games.DPX")));
        EXPECT_EQ(r.indexNotice, want);
        // The search runs as a full scan and still finds the record.
        bool used = true;
        Outcome o = search(db, positionOf(db, 3, 4), PositionSearchOptions{}, used);
        EXPECT_FALSE(used);
        EXPECT_FALSE(o.order.empty());
    }
}

// A backup copied over the index file while the database has it open (the same file rewritten
// in place, shorter) is noticed: the index is no longer used, and the search scans instead of
// reading pages the file no longer has.
TEST_F(PositionIndexTest, AnIndexRewrittenInPlaceIsNoLongerUsed) {
    std::mt19937 rng(9);
    addRandomGames(db, rng, 40);
    saveAndReopen();
    const std::string indexPath = positionIndexPath(path);
    const std::string bytes = *core::readFile(indexPath);
    {
        std::ofstream out(indexPath, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), 100);
    }
    EXPECT_EQ(db.positionIndex(), nullptr);
    bool used = true;
    Outcome o = search(db, positionOf(db, 3, 4), PositionSearchOptions{}, used);
    EXPECT_FALSE(used);
    EXPECT_FALSE(o.order.empty());
}

// An index extended with appended records is the index built afresh, byte for byte; one that
// no longer describes the first slots is not extended but rebuilt.
TEST_F(PositionIndexTest, AppendedRecordsExtendTheIndexToWhatABuildGives) {
    std::mt19937 rng(11);
    addRandomGames(db, rng, 80);
    std::shared_ptr<const PositionIndex> index = PositionIndex::build(db.table(), db.lists());
    ASSERT_NE(index, nullptr);
    auto bits = [](const PositionIndex& i) { return i.bytes().substr(12, 4); };
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        addRandomGames(db, rng, 1 + round * 3);
        std::shared_ptr<const PositionIndex> built = PositionIndex::build(db.table(), db.lists());
        std::shared_ptr<const PositionIndex> extended =
            PositionIndex::extend(*index, db.table(), db.lists());
        ASSERT_NE(extended, nullptr);
        EXPECT_EQ(bits(*extended), bits(*index));  // the extension itself was taken
        EXPECT_TRUE(extended->bytes() == built->bytes());
        index = extended;
    }
    // The same number of slots with other lists, or fewer slots: a plain rebuild.
    db.removeSlot(3);
    addRandomGames(db, rng, 1);
    EXPECT_TRUE(PositionIndex::extend(*index, db.table(), db.lists())->bytes() ==
                PositionIndex::build(db.table(), db.lists())->bytes());
    db.removeSlot(0);
    EXPECT_TRUE(PositionIndex::extend(*index, db.table(), db.lists())->bytes() ==
                PositionIndex::build(db.table(), db.lists())->bytes());

    // Saving after appends writes the extended index, which the next opening takes.
    saveAndReopen();
    addRandomGames(db, rng, 5);
    saveAndReopen();
    EXPECT_TRUE(db.attachedPositionIndex()->bytes() ==
                PositionIndex::build(db.table(), db.lists())->bytes());
    expectIndexedEqualsScan(rng, 6);
}

// Appends, removals (one by one and together), new orders, replaced lists and changed handicap
// codes in random turns: the index updated from the one attached before is the index built
// afresh, byte for byte, whether one change or several came between.
TEST_F(PositionIndexTest, AnIndexUpdatedThroughChangesIsTheIndexBuiltAfresh) {
    std::mt19937 rng(31);
    addRandomGames(db, rng, 150);
    db.setPositionIndex(PositionIndex::build(db.table(), db.lists()));
    auto pick = [&] { return static_cast<int>(rng() % static_cast<unsigned>(db.table().size())); };
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        switch (rng() % 7) {
            case 0:
                addRandomGames(db, rng, 1 + static_cast<int>(rng() % 5));
                break;
            case 1:
                db.removeSlot(pick());
                break;
            case 2: {
                std::vector<int> gone;
                for (int i = 0; i < 8; ++i) gone.push_back(pick());
                db.removeSlots(gone);
                break;
            }
            case 3: {
                std::vector<int32_t> order(static_cast<std::size_t>(db.table().size()));
                std::iota(order.begin(), order.end(), 0);
                std::shuffle(order.begin(), order.end(), rng);
                order.resize(order.size() - rng() % 4);  // some left out, as 表示分のみ does
                db.keepSlots(order);
                break;
            }
            case 5: {
                // The order turned round (a sort reversed), with new records after it.
                std::vector<int32_t> order(static_cast<std::size_t>(db.table().size()));
                std::iota(order.rbegin(), order.rend(), 0);
                db.keepSlots(order);
                if (rng() % 2 == 0) addRandomGames(db, rng, 2);
                break;
            }
            case 4: {
                const int from = pick();
                std::span<const ListMove> l = db.lists().list(from);
                db.replace(pick(), db.table().entry(from),
                           std::vector<ListMove>(l.begin(), l.end()));
                break;
            }
            default: {
                uint8_t& handicap = db.table().entry(pick()).handicap;
                handicap = handicap == 0 ? 1 : 0;
                break;
            }
        }
        ASSERT_TRUE(db.table().isConsistent() && db.lists().isConsistent());
        std::shared_ptr<const PositionIndex> updated = PositionIndex::update(
            *db.attachedPositionIndex(), db.lists().origins(), db.table(), db.lists());
        std::shared_ptr<const PositionIndex> built = PositionIndex::build(db.table(), db.lists());
        ASSERT_NE(updated, nullptr);
        ASSERT_NE(built, nullptr);
        ASSERT_TRUE(updated->bytes() == built->bytes());
        if (round % 3 == 0) db.setPositionIndex(updated);
    }
    // Saving takes the same path; the index written is the one the next opening uses.
    saveAndReopen();
    EXPECT_TRUE(db.attachedPositionIndex()->bytes() ==
                PositionIndex::build(db.table(), db.lists())->bytes());
}

// Enough positions for more than the fewest buckets: removing records until fewer buckets are
// needed merges the earlier ones; adding until more are needed builds afresh. Either way the
// outcome is what a build gives.
TEST_F(PositionIndexTest, TheBucketCountFollowsTheDatabaseAsItShrinksAndGrows) {
    std::mt19937 rng(8);
    auto bits = [](const PositionIndex& i) { return i.bytes()[12]; };
    addRandomGames(db, rng, 2000);
    std::shared_ptr<const PositionIndex> index = PositionIndex::build(db.table(), db.lists());
    const char before = bits(*index);
    db.setPositionIndex(index);
    std::vector<int> gone;
    for (int slot = 0; slot < db.table().size(); slot += 2) gone.push_back(slot);
    db.removeSlots(gone);
    std::shared_ptr<const PositionIndex> updated =
        PositionIndex::update(*index, db.lists().origins(), db.table(), db.lists());
    EXPECT_LT(bits(*updated), before);
    EXPECT_TRUE(updated->bytes() == PositionIndex::build(db.table(), db.lists())->bytes());
    db.setPositionIndex(updated);
    addRandomGames(db, rng, 1500);
    std::shared_ptr<const PositionIndex> grown =
        PositionIndex::update(*updated, db.lists().origins(), db.table(), db.lists());
    EXPECT_GT(bits(*grown), bits(*updated));
    EXPECT_TRUE(grown->bytes() == PositionIndex::build(db.table(), db.lists())->bytes());
}

// The index is no bigger than the lists it indexes.
TEST_F(PositionIndexTest, TheIndexIsSmallerThanTheLists) {
    std::mt19937 rng(3);
    addRandomGames(db, rng, 3000);
    std::shared_ptr<const PositionIndex> index = PositionIndex::build(db.table(), db.lists());
    EXPECT_LT(index->bytes().size(), formatDlb(db.lists(), db.table().size()).size());
}

TEST(PositionKeysTest, CompleteSetsAndTurnedBoards) {
    ReplayBoard start;
    ASSERT_TRUE(startBoard(0, start));
    EXPECT_TRUE(holdsEveryPiece(start));
    // The start turned round is the start with the other side to move: same keys.
    EXPECT_EQ(positionKeys(reversedBoard(start)), positionKeys(start));

    ReplayBoard b = start;
    ReplayStep step;
    ASSERT_TRUE(playListMove(b, {77, 76}, step));
    // A pawn move changes the full key and leaves the pawnless one.
    EXPECT_NE(positionKeys(b)[0], positionKeys(start)[0]);
    EXPECT_EQ(positionKeys(b)[1], positionKeys(start)[1]);
    EXPECT_TRUE(holdsEveryPiece(b));

    ReplayBoard handicap;
    ASSERT_TRUE(startBoard(1, handicap));  // a piece short
    EXPECT_FALSE(holdsEveryPiece(handicap));
    b.cells[76] = 0;
    EXPECT_FALSE(holdsEveryPiece(b));
}

// A binary database large enough to be compared a block at a time on several threads: the
// hits, their data, the progress texts and a cancel land exactly as on one thread.
TEST(ParallelSearchTest, ThreadsGiveTheSameHitsProgressAndCancel) {
    Database source(100000);
    source.reset(true);
    std::mt19937 rng(3);
    addRandomGames(source, rng, 150);
    Database db(100000);
    db.reset(true);
    for (int i = 0; i < 9000; ++i) {
        int from = (i * 7919) % source.table().size();
        std::span<const ListMove> l = source.lists().list(from);
        ASSERT_GE(db.append(source.table().entry(from), std::vector<ListMove>(l.begin(), l.end())),
                  0);
    }
    class Host : public OperationHost {
    public:
        void status(std::string_view text) override { statuses.emplace_back(text); }
        bool cancelRequested() override { return ++polls > cancelAfter; }
        std::vector<std::string> statuses;
        int polls = 0;
        int cancelAfter = 1 << 30;
    };
    struct Run {
        Outcome outcome;
        std::vector<std::string> statuses;
        bool cancelled = false;
        bool operator==(const Run&) const = default;
    };
    auto run = [&](int threads, int cancelAfter, bool sequence) {
        db.table().rebuildDisplayOrder();
        RecordExtractor extractor;
        Host host;
        host.cancelAfter = cancelAfter;
        Searcher searcher(db, extractor, host);
        searcher.setThreads(threads);
        PositionSearchOptions o;
        o.alsoReversed = true;
        SearchReport r = sequence ? searcher.findSequence(std::string("+**歩,-**歩,+**銀"))
                                  : searcher.findPosition(positionOf(db, 5, 6), o);
        Run out;
        out.cancelled = r.cancelled;
        out.statuses = host.statuses;
        out.outcome.order = db.table().displayOrder();
        for (int32_t slot : out.outcome.order) {
            const IndexEntry& e = db.table().entry(slot);
            out.outcome.hits.emplace_back(e.hitPly, std::string(e.nextMove()));
        }
        return out;
    };
    for (bool sequence : {false, true}) {
        for (int cancelAfter : {1 << 30, 57}) {
            SCOPED_TRACE(std::string(sequence ? "sequence" : "position") + " cancel after " +
                         std::to_string(cancelAfter));
            Run one = run(1, cancelAfter, sequence);
            EXPECT_GT(one.outcome.order.size(), 30u);
            EXPECT_EQ(one.cancelled, cancelAfter < 100);
            EXPECT_EQ(run(3, cancelAfter, sequence), one);
        }
    }
}

}  // namespace
}  // namespace dalmir::model
