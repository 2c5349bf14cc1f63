#include "dalmir/model/store/binary_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "dalmir/model/registration/registration.h"
#include "dalmir/model/store/database.h"
#include "tests/support/test_records.h"

namespace dalmir::model {
namespace {

using testsupport::kifRecord;
using testsupport::TempFolder;

// ▲２二角成 promotes; △５五角打 is a drop by the second player; ▲３三角打 one by the first.
const std::vector<std::string> kPromotionAndDrops = {"７六歩(77)", "３四歩(33)", "２二角成(88)",
                                                     "同　銀(31)", "６八玉(59)", "５五角打",
                                                     "３三角打",   "投了"};

class BinaryStoreTest : public ::testing::Test {
protected:
    BinaryStoreTest() : files("bin") {}

    // Adds the files to db through the registration, as the window does.
    void add(Database& db, const std::vector<std::string>& paths) {
        Registrar r(db, extractor, log, host);
        for (const std::string& p : paths) (void)r.addFile(p, -1, nullptr);
    }

    TempFolder files;
    RecordExtractor extractor;
    ErrorLog log;
    OperationHost host;
};

TEST_F(BinaryStoreTest, BuildsListsWithDropKindsAndThePromotionBit) {
    std::string path = files.write("a.kif", kifRecord(kPromotionAndDrops));
    IndexEntry e;
    ASSERT_EQ(extractor.extract(path, e), ExtractResult::Ok);
    std::vector<ListMove> list;
    extractor.buildMoveList(list);
    ASSERT_EQ(list.size(), 8u);
    EXPECT_EQ(list[0], (ListMove{77, 76}));
    EXPECT_EQ(list[2], (ListMove{88, 22 | core::kPromoteFlag}));
    EXPECT_EQ(list[5], (ListMove{core::kBishop, 55}));
    EXPECT_EQ(list[6], (ListMove{core::kBishop, 33}));
    EXPECT_TRUE(list[7].isClosing());
    EXPECT_EQ(list[7].destination, 0);
}

TEST_F(BinaryStoreTest, SavedListsLoadBackAndReplayToTheSamePositions) {
    Database db;
    db.reset(true);
    add(db, {files.write("a.kif", kifRecord(kPromotionAndDrops)),
             files.write("b.kif", kifRecord({"７六歩(77)", "３四歩(33)"}))});
    ASSERT_EQ(db.table().size(), 2);
    ASSERT_EQ(saveBinary(db, files.file("games.DLB")), core::WriteResult::Ok);
    EXPECT_TRUE(std::filesystem::exists(files.file("games.KIX")));
    EXPECT_EQ(db.table().path(), files.file("games.KIX"));

    Database back;
    OpenReport opened = openDatabase(back, files.file("games.KIX"));
    ASSERT_EQ(opened.code, OpenResult::Ok);
    EXPECT_TRUE(back.isBinary());
    ASSERT_EQ(back.lists().size(), 2);
    for (int slot = 0; slot < 2; ++slot) {
        EXPECT_TRUE(std::ranges::equal(back.lists().list(slot), db.lists().list(slot)));
    }
    EXPECT_EQ(back.lists().list(0)[2].destination, 22 | core::kPromoteFlag);

    // Replaying the list reaches the position the record reached.
    IndexEntry e;
    ASSERT_EQ(extractor.extract(files.file("a.kif"), e), ExtractResult::Ok);
    core::Position expected;
    ASSERT_EQ(extractor.store().positionAt(extractor.store().nodeAtPly(7), expected),
              core::EditResult::Ok);
    core::RecordStore replayed(kExtractStoreCapacity);
    ASSERT_EQ(replayList(back.lists().list(0), back.table().entry(0).handicap, replayed),
              ReplayResult::Ok);
    core::Position got;
    ASSERT_EQ(replayed.positionAt(replayed.nodeAtPly(7), got), core::EditResult::Ok);
    EXPECT_EQ(core::comparePositions(got, expected), 0);
    EXPECT_TRUE(replayed.node(replayed.nodeAtPly(8)).isTerminal());
}

TEST_F(BinaryStoreTest, TheDlbLayoutIsFixed) {
    MoveList lists;
    lists.append({{77, 76}, {33, 34}});
    lists.append({});
    lists.append({{0x07, 0x55}});
    std::string bytes = formatDlb(lists, 3, 0x01020304);
    ASSERT_EQ(bytes.size(), 64u + 6 + 6 + 8 + 8 + 8);
    EXPECT_EQ(bytes.substr(0, 4), std::string("DLB\0", 4));
    EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0'));
    EXPECT_EQ(bytes.substr(20, 4), "\4\3\2\1");
    EXPECT_EQ(bytes.substr(24, 40), std::string(40, '\0'));
    EXPECT_EQ(dlbGeneration(bytes), 0x01020304u);
    EXPECT_EQ(bytes.substr(8, 8), std::string("1.00\0\0\0\0", 8));
    EXPECT_EQ(bytes.substr(16, 4), std::string("\3\0\0\0", 4));
    EXPECT_EQ(bytes.substr(64, 6), std::string("\2\0\0\0\1\0", 6));
    EXPECT_EQ(bytes.substr(70, 6), std::string("\x4d\x4c\x21\x22\x07\x55", 6));
    EXPECT_EQ(bytes.substr(76, 16), std::string("DLBSUMS\0\0\x10\0\0\1\0\0\0", 16));
}

// Every block of records carries the sum of its moves: a changed bit loses that block's lists
// (never a silently different list), reports the file damaged and keeps it from being saved
// over; the other blocks stay. A file without sums (written before them) reads as it is.
TEST_F(BinaryStoreTest, AChangedMoveLosesItsBlockAndNeverGivesOtherHits) {
    MoveList lists;
    const int records = static_cast<int>(kDlbSumRecords) + 10;
    for (int i = 0; i < records; ++i) {
        lists.append({{77, 76}, {static_cast<uint8_t>(31 + i % 9), 34}});
    }
    const std::string good = formatDlb(lists, records);
    MoveList read;
    EXPECT_EQ(parseDlb(good, records, records, read).code, DlbReadResult::Ok);
    EXPECT_EQ(read.list(records - 1)[1].origin, lists.list(records - 1)[1].origin);

    std::string flipped = good;
    const std::size_t movesAt = kDlbHeaderBytes + 2 * static_cast<std::size_t>(records);
    flipped[movesAt + 4 * (kDlbSumRecords + 3) + 2] ^= 0x01;  // record 4099's second move
    DlbReadReport r = parseDlb(flipped, records, records, read);
    EXPECT_EQ(r.code, DlbReadResult::Damaged);
    EXPECT_EQ(r.message, std::string("データ異常"));
    EXPECT_TRUE(read.hasList(0));
    EXPECT_TRUE(read.hasList(static_cast<int>(kDlbSumRecords) - 1));
    EXPECT_FALSE(read.hasList(static_cast<int>(kDlbSumRecords)));
    EXPECT_FALSE(read.hasList(records - 1));

    const std::string old = good.substr(0, movesAt + 4 * static_cast<std::size_t>(records));
    EXPECT_EQ(parseDlb(old, records, records, read).code, DlbReadResult::Ok);
    EXPECT_TRUE(read.hasList(records - 1));

    // Through a database: the damaged pair opens in part and is not saved over.
    Database db;
    db.reset(true);
    add(db, {files.write("a.kif", kifRecord(kPromotionAndDrops))});
    ASSERT_EQ(saveDatabase(db, files.file("d.DLB")), core::WriteResult::Ok);
    std::string dlb = *core::readFile(files.file("d.DLB"));
    dlb[kDlbHeaderBytes + 2 + 1] ^= 0x40;
    files.writeBytes("d.DLB", dlb);
    Database back;
    OpenReport opened = openDatabase(back, files.file("d.DLB"));
    EXPECT_FALSE(opened.whole);
    EXPECT_FALSE(back.lists().hasList(0));
    EXPECT_EQ(saveDatabase(back, files.file("d.DLB")), core::WriteResult::NotReadWhole);
}

TEST_F(BinaryStoreTest, ACountLargerThanTheIndexLoadsOnlyItsRecords) {
    MoveList lists;
    for (int i = 0; i < 5; ++i) lists.append({{77, 76}, {static_cast<uint8_t>(33 + i), 34}});
    std::string bytes = formatDlb(lists, 5);

    MoveList read;
    DlbReadReport small = parseDlb(bytes, 3, 1000, read);
    EXPECT_EQ(small.code, DlbReadResult::CountMismatch);
    EXPECT_EQ(small.message, std::string("データ異常"));
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read.list(2)[1].origin, 35);

    DlbReadReport over = parseDlb(bytes, 3, 4, read);
    EXPECT_EQ(over.message, std::string("データ異常：棋譜数が最大登録数を超えています。"));

    DlbReadReport fewer = parseDlb(bytes, 7, 1000, read);
    EXPECT_EQ(fewer.code, DlbReadResult::CountMismatch);
    EXPECT_EQ(read.size(), 7);
    EXPECT_TRUE(read.hasList(4));
    EXPECT_FALSE(read.hasList(5));
}

TEST_F(BinaryStoreTest, DamagedDlbBytesNeverOverrun) {
    MoveList lists;
    for (int i = 0; i < 20; ++i) lists.append(std::vector<ListMove>(30, {77, 76}));
    std::string good = formatDlb(lists, 20);
    MoveList read;
    EXPECT_EQ(parseDlb(good.substr(0, 40), 20, 1000, read).code, DlbReadResult::Truncated);
    const std::size_t trailer = kDlbSumMagic.size() + 8 + 8;  // one block of 20 records
    DlbReadReport cut = parseDlb(good.substr(0, good.size() - trailer - 1), 20, 1000, read);
    EXPECT_EQ(cut.code, DlbReadResult::Truncated);
    EXPECT_EQ(read.size(), 20);
    EXPECT_TRUE(read.hasList(18));

    std::mt19937 rng(7);
    core::RecordStore store(kExtractStoreCapacity);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        for (int k = 0; k < 8; ++k) {
            bytes[rng() % bytes.size()] = static_cast<char>(rng());
        }
        (void)parseDlb(bytes, 20, 1000, read);
        for (int slot = 0; slot < read.size(); ++slot) {
            (void)replayList(read.list(slot), static_cast<uint8_t>(rng() % 16), store);
        }
    }
}

TEST_F(BinaryStoreTest, ConvertingKeepsOnlyRecordsThatCanHaveAList) {
    std::string dls = files.file("text.DLS");
    Database text;
    add(text, {files.write("g/a.kif", kifRecord(kPromotionAndDrops)),
               files.write("g/empty.kif", kifRecord({})),
               files.write("g/b.kif", kifRecord({"７六歩(77)", "中断"}))});
    ASSERT_EQ(text.table().size(), 3);
    ASSERT_EQ(saveDatabase(text, dls), core::WriteResult::Ok);

    EXPECT_EQ(conversionTarget(files.file("out")), files.file("out.DLB"));
    EXPECT_EQ(conversionTarget(files.file("out.kix")), files.file("out.kix"));
    ConvertReport result =
        convertToBinary(text, conversionTarget(files.file("out")), extractor, host);
    ASSERT_EQ(result.code, core::WriteResult::Ok);
    EXPECT_EQ(result.converted, 2);
    EXPECT_FALSE(text.isBinary());

    std::optional<std::string> kix = core::readFile(files.file("out.KIX"));
    ASSERT_TRUE(kix);
    EXPECT_NE(kix->find(*core::cp932Bytes("$棋譜数      :3\r\n")), std::string::npos);
    EXPECT_NE(kix->find("000001,\"" + files.file("g/a.kif")), std::string::npos);
    EXPECT_NE(kix->find("000002,\"" + files.file("g/b.kif")), std::string::npos);
    EXPECT_EQ(kix->find("empty"), std::string::npos);

    Database binary;
    ASSERT_EQ(openDatabase(binary, files.file("out.DLB")).code, OpenResult::Ok);
    ASSERT_EQ(binary.table().size(), 2);
    EXPECT_EQ(binary.lists().list(0).size(), 8u);
    EXPECT_EQ(binary.lists().list(1).size(), 2u);
}

TEST_F(BinaryStoreTest, ADatabaseOfSetUpRecordsConvertsToNoLists) {
    std::vector<std::string> diagram = {"後手の持駒：なし", "| ・ ・ ・ ・v玉 ・ ・ ・ ・|一"};
    for (const char* rank : {"二", "三", "四", "五", "六", "七", "八"}) {
        diagram.push_back(std::string("| ・ ・ ・ ・ ・ ・ ・ ・ ・|") + rank);
    }
    diagram.push_back("| ・ ・ ・ ・ 玉 ・ ・ ・ ・|九");
    diagram.push_back("   1 ５八玉(59)");
    Database text;
    add(text, {files.write("p.kif", diagram)});
    ASSERT_EQ(text.table().size(), 1);
    EXPECT_EQ(text.table().entry(0).handicap, static_cast<uint8_t>(IndexHandicap::Other));

    ASSERT_EQ(convertToBinary(text, files.file("set.DLB"), extractor, host).converted, 0);
    std::optional<std::string> dlb = core::readFile(files.file("set.DLB"));
    ASSERT_TRUE(dlb);
    EXPECT_EQ(dlb->size(), kDlbHeaderBytes);
    std::optional<std::string> kix = core::readFile(files.file("set.KIX"));
    ASSERT_TRUE(kix);
    EXPECT_NE(kix->find(*core::cp932Bytes("$再現マーク")), std::string::npos);
    EXPECT_EQ(kix->find("000001,"), std::string::npos);
}

TEST_F(BinaryStoreTest, CancellingAConversionWritesNothing) {
    class Cancelling : public OperationHost {
    public:
        bool cancelRequested() override { return true; }
    } cancel;
    Database text;
    add(text, {files.write("a.kif", kifRecord(kPromotionAndDrops))});
    EXPECT_EQ(convertToBinary(text, files.file("c.DLB"), extractor, cancel).code,
              core::WriteResult::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(files.file("c.DLB")));
}

// Saving reports why nothing was written, with the codes every writer shares, and leaves the
// database modified.
// A host that asks to stop at its n-th poll (never when 0) and keeps the progress it is told.
struct StoppingHost : OperationHost {
    int stopAt = 0;
    int polls = 0;
    std::vector<std::pair<uint64_t, uint64_t>> steps;
    bool cancelRequested() override { return ++polls == stopAt; }
    void progress(uint64_t done, uint64_t total) override { steps.emplace_back(done, total); }
};

// Every file of a folder by name, with its bytes.
std::map<std::string, std::string> folderContents(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        out[entry.path().filename().string()] = core::readFile(entry.path().string()).value_or("?");
    }
    return out;
}

// A save stopped at any moment before the new pair replaces the old one leaves the old files
// byte for byte, no staged or temporary file, and the database modified under its old name;
// the save that runs to its end tells its progress up to the whole.
TEST_F(BinaryStoreTest, ASaveStoppedWhileWritingKeepsTheOldFilesWhole) {
    Database db;
    db.reset(true);
    add(db, {files.write("a.kif", kifRecord(kPromotionAndDrops)),
             files.write("b.kif", kifRecord({"７六歩(77)", "３四歩(33)"}))});
    ASSERT_EQ(saveBinary(db, files.file("games.DLB")), core::WriteResult::Ok);
    add(db, {files.write("c.kif", kifRecord({"２六歩(27)", "８四歩(83)", "投了"}))});
    db.setModified();
    const std::map<std::string, std::string> before = folderContents(files.path());
    const std::string name = db.table().path();

    int stopAt = 1;
    for (;; ++stopAt) {
        SCOPED_TRACE(stopAt);
        ASSERT_LT(stopAt, 50);
        StoppingHost stopping;
        stopping.stopAt = stopAt;
        const core::WriteResult r = saveDatabase(db, files.file("other.DLB"), nullptr, &stopping);
        if (r == core::WriteResult::Ok) {
            // Told ascending, up to the whole.
            ASSERT_FALSE(stopping.steps.empty());
            for (std::size_t i = 1; i < stopping.steps.size(); ++i) {
                EXPECT_GE(stopping.steps[i].first, stopping.steps[i - 1].first);
            }
            EXPECT_EQ(stopping.steps.back().first, stopping.steps.back().second);
            break;
        }
        ASSERT_EQ(r, core::WriteResult::Cancelled);
        EXPECT_EQ(folderContents(files.path()), before);
        EXPECT_TRUE(db.isModified());
        EXPECT_EQ(db.table().path(), name);
    }
    // Before anything, after the DLB and after the KIX at least.
    EXPECT_GE(stopAt, 4);
    Database back;
    ASSERT_EQ(openDatabase(back, files.file("other.DLB")).code, OpenResult::Ok);
    EXPECT_EQ(back.table().size(), 3);
    EXPECT_NE(back.positionIndex(), nullptr);

    // A text database stopped after its bytes were written but before they replaced the file.
    db.setBinary(false);
    db.setModified();
    StoppingHost stopping;
    stopping.stopAt = 3;
    const std::map<std::string, std::string> binary = folderContents(files.path());
    EXPECT_EQ(saveDatabase(db, files.file("games.DLS"), nullptr, &stopping),
              core::WriteResult::Cancelled);
    EXPECT_EQ(folderContents(files.path()), binary);
    EXPECT_TRUE(db.isModified());
}

TEST_F(BinaryStoreTest, SavingToAPathThatCannotBeWrittenFailsWithItsReason) {
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        Database db;
        db.reset(binary);
        add(db, {files.write("a.kif", kifRecord(kPromotionAndDrops))});
        db.setModified(true);
        // U+1F600 has no CP932 form, so the index can't store the path.
        std::string unstorable = files.file("\xF0\x9F\x98\x80") + (binary ? ".DLB" : ".DLS");
        EXPECT_EQ(saveDatabase(db, unstorable), core::WriteResult::BadPath);
        EXPECT_EQ(saveDatabase(db, files.file(binary ? "none/x.DLB" : "none/x.DLS")),
                  core::WriteResult::CannotCreate);
        EXPECT_TRUE(db.isModified());
        EXPECT_FALSE(std::filesystem::exists(unstorable));
    }
    Database text;
    add(text, {files.write("b.kif", kifRecord(kPromotionAndDrops))});
    EXPECT_EQ(convertToBinary(text, files.file("\xF0\x9F\x98\x80.DLB"), extractor, host).code,
              core::WriteResult::BadPath);
}

// File-system paths are UTF-8: their bytes must never be taken for Shift-JIS characters that
// would swallow the "." before the extension.
TEST_F(BinaryStoreTest, APairWithAJapaneseNameKeepsItsName) {
    Database db;
    db.reset(true);
    add(db, {files.write("a.kif", kifRecord(kPromotionAndDrops))});
    ASSERT_EQ(saveBinary(db, files.file("棋譜.DLB")), core::WriteResult::Ok);
    EXPECT_TRUE(std::filesystem::exists(files.file("棋譜.DLB")));
    EXPECT_TRUE(std::filesystem::exists(files.file("棋譜.KIX")));
    Database back;
    ASSERT_EQ(openDatabase(back, files.file("棋譜.DLB")).code, OpenResult::Ok);
    EXPECT_EQ(back.table().size(), 1);
    EXPECT_EQ(back.lists().list(0).size(), kPromotionAndDrops.size());
}

// Every loaded list must be the list of the record its slot names: a list attached to another
// record gives false hits.
void expectListsOfTheirRecords(const Database& db,
                               const std::map<std::string, std::vector<ListMove>>& byName) {
    for (int slot = 0; slot < db.table().size(); ++slot) {
        std::string name(core::fileNameOf(db.table().entry(slot).path()));
        ASSERT_TRUE(byName.count(name)) << name;
        EXPECT_TRUE(std::ranges::equal(db.lists().list(slot), byName.at(name))) << name;
    }
}

// A save killed between its two renames leaves the new DLB beside the old KIX (and the new KIX
// staged). Loading pairs files by their generation, never the new lists with the old index.
TEST_F(BinaryStoreTest, AKilledSaveNeverPairsAListWithAnotherRecord) {
    const std::string a = files.write("a.kif", kifRecord(kPromotionAndDrops));
    const std::string b = files.write("b.kif", kifRecord({"７六歩(77)", "３四歩(33)"}));
    Database first;
    first.reset(true);
    add(first, {a, b});
    std::map<std::string, std::vector<ListMove>> byName;
    for (int slot = 0; slot < 2; ++slot) {
        auto l = first.lists().list(slot);
        byName[std::string(core::fileNameOf(first.table().entry(slot).path()))] = {l.begin(),
                                                                                   l.end()};
    }
    const std::string dlb = files.file("games.DLB");
    const std::string kix = files.file("games.KIX");
    ASSERT_EQ(saveBinary(first, dlb), core::WriteResult::Ok);
    const std::string oldKix = *core::readFile(kix);

    Database second;  // the same records in the other order
    second.reset(true);
    add(second, {b, a});
    ASSERT_EQ(saveBinary(second, dlb), core::WriteResult::Ok);
    const std::string newKix = *core::readFile(kix);
    ASSERT_NE(oldKix, newKix);

    files.writeBytes("games.KIX", oldKix);
    files.writeBytes("games.KIX.new", newKix);
    Database back;
    OpenReport opened = openDatabase(back, kix);
    EXPECT_EQ(opened.code, OpenResult::Ok);
    ASSERT_EQ(back.table().size(), 2);
    EXPECT_EQ(core::fileNameOf(back.table().entry(0).path()), "b.kif");
    expectListsOfTheirRecords(back, byName);

    // Without the staged KIX no complete pair is left: the records stay, without lists.
    std::filesystem::remove(files.file("games.KIX.new"));
    opened = openDatabase(back, dlb);
    EXPECT_EQ(opened.code, OpenResult::ReadFailed);
    ASSERT_EQ(back.table().size(), 2);
    EXPECT_FALSE(back.lists().hasList(0));
    EXPECT_FALSE(back.lists().hasList(1));
    EXPECT_FALSE(opened.whole);
    EXPECT_EQ(saveDatabase(back, dlb), core::WriteResult::NotReadWhole);
    EXPECT_EQ(saveBinary(back, kix), core::WriteResult::NotReadWhole);
    EXPECT_EQ(*core::readFile(kix), oldKix);
}

// The generation rides in the DLB header's reserved bytes and in an extra KIX settings line;
// files written without it (both 0) still load as a pair, and each save gives a new one.
TEST_F(BinaryStoreTest, PairsWithoutAGenerationStillLoad) {
    Database db;
    db.reset(true);
    add(db, {files.write("a.kif", kifRecord(kPromotionAndDrops))});
    files.writeBytes("old.DLB", formatDlb(db.lists(), 1));
    files.writeBytes("old.KIX", formatDls(db.table(), DlsWriteMode::AllSlots));
    Database back;
    OpenReport opened = openDatabase(back, files.file("old.DLB"));
    ASSERT_EQ(opened.code, OpenResult::Ok);
    EXPECT_TRUE(opened.whole);
    EXPECT_EQ(back.generation(), 0u);
    EXPECT_EQ(back.lists().list(0).size(), kPromotionAndDrops.size());

    ASSERT_EQ(saveDatabase(back, files.file("old.DLB")), core::WriteResult::Ok);
    const uint32_t first = back.generation();
    ASSERT_EQ(saveDatabase(back, files.file("old.DLB")), core::WriteResult::Ok);
    const uint32_t second = back.generation();
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    std::string kixText = *core::readFile(files.file("old.KIX"));
    EXPECT_NE(
        kixText.find(*core::cp932Bytes("$世代        :" + std::to_string(second) + "\r\n$棋譜数")),
        std::string::npos);
    EXPECT_EQ(dlbGeneration(*core::readFile(files.file("old.DLB"))), second);
    IndexSettings settings;
    EXPECT_EQ(applySettingsLine(std::string("世代        :2"), settings),
              SettingsLineResult::Ignored);
    EXPECT_FALSE(std::filesystem::exists(files.file("old.DLB.new")));
    EXPECT_FALSE(std::filesystem::exists(files.file("old.KIX.new")));
}

// Two databases saved the same number of times never pair with each other's halves: the DLB of
// another database beside a KIX leaves the records without lists, and the next save writes no
// list of the other database's records.
TEST_F(BinaryStoreTest, TheHalvesOfAnotherDatabaseNeverPair) {
    Database a;
    a.reset(true);
    add(a, {files.write("a.kif", kifRecord(kPromotionAndDrops))});
    ASSERT_EQ(saveDatabase(a, files.file("a.DLB")), core::WriteResult::Ok);
    Database b;
    b.reset(true);
    add(b, {files.write("b.kif", kifRecord({"２六歩(27)", "８四歩(83)", "投了"}))});
    ASSERT_EQ(saveDatabase(b, files.file("b.DLB")), core::WriteResult::Ok);
    std::filesystem::copy_file(files.file("b.DLB"), files.file("a.DLB"),
                               std::filesystem::copy_options::overwrite_existing);

    Database back;
    BinaryLoadReport loaded = loadBinary(back, files.file("a.DLB"));
    EXPECT_TRUE(loaded.pairMismatch);
    ASSERT_EQ(back.table().size(), 1);
    EXPECT_FALSE(back.lists().hasList(0));
}

TEST_F(BinaryStoreTest, OpeningPicksTheKindByExtension) {
    Database db;
    EXPECT_EQ(openDatabase(db, files.file("x.txt")).code, OpenResult::NotDatabase);
    EXPECT_EQ(openDatabase(db, files.file("missing.DLS")).code, OpenResult::CannotOpen);
    EXPECT_EQ(openDatabase(db, files.file("missing.dlb")).code, OpenResult::CannotOpen);
    EXPECT_EQ(openErrorMessage(OpenResult::NotDatabase, "a.txt"),
              std::string("ファイル(a.txt)は、読めません。"));
    EXPECT_EQ(binarySavedMessage("/d/x"),
              std::string("バイナリ棋譜(/d/x.DLB/KIX)を保存しました。"));
}

}  // namespace
}  // namespace dalmir::model
