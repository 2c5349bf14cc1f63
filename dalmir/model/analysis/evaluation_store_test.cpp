// The evaluation store: entries found by position (transpositions share one), the file read back
// as written, a torn last record and damaged bytes in the middle handled without losing the
// records around them, and the appender's lock and rewrite of a damaged file.
#include "dalmir/model/analysis/evaluation_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/base/safe_file.h"
#include "dalmir/model/tree/opening_tree.h"
#include "tests/support/temp_folder.h"

namespace dalmir::model {
namespace {

ReplayBoard boardAfter(std::initializer_list<const char*> words) {
    ReplayBoard board;
    EXPECT_TRUE(startBoard(0, board));
    ReplayStep step;
    for (const char* w : words) {
        ListMove m;
        EXPECT_TRUE(listMoveOfUsi(board, w, m)) << w;
        EXPECT_TRUE(playListMove(board, m, step)) << w;
    }
    return board;
}

Evaluation evaluationOf(const ReplayBoard& board, int score, std::uint16_t engine = 0) {
    Evaluation e;
    e.position = packBoard(board);
    e.score.kind = usi::UsiScore::Kind::Centipawns;
    e.score.value = score;
    e.depth = 12;
    e.nodes = 123456789012LL;
    e.timeMs = 250;
    e.best = BestMoveKind::Move;
    e.bestMove = ListMove{77, 76};
    e.pv = {ListMove{77, 76}, ListMove{33, 34}, ListMove{5, 55}, ListMove{88, 22 | 0x80}};
    e.engine = engine;
    return e;
}

// A store of several positions of one game, from two engines.
EvaluationStore sampleStore(std::vector<ReplayBoard>& boards) {
    EvaluationStore store;
    const auto a = store.engineIndex({"Engine A", "byoyomi 1000"});
    const auto b = store.engineIndex({"エンジンB", "nodes 100000"});
    boards = {boardAfter({}),
              boardAfter({"7g7f"}),
              boardAfter({"7g7f", "3c3d"}),
              boardAfter({"7g7f", "3c3d", "8h2b+"}),
              boardAfter({"7g7f", "3c3d", "8h2b+", "3a2b"}),
              boardAfter({"7g7f", "3c3d", "8h2b+", "3a2b", "B*4e"})};
    for (std::size_t i = 0; i < boards.size(); ++i) {
        Evaluation e = evaluationOf(boards[i], static_cast<int>(i) * 37 - 50, i % 2 ? b : a);
        if (i == 3) {
            e.score = {usi::UsiScore::Kind::Mate, -7, false, usi::UsiScore::Bound::Lower};
        }
        if (i == 4) {
            e.score = {usi::UsiScore::Kind::Mate, 1, true, usi::UsiScore::Bound::Exact};
            e.best = BestMoveKind::Resign;
            e.bestMove = {};
            e.pv.clear();
            e.depth = -1;
            e.nodes = -1;
        }
        store.put(e);
    }
    return store;
}

// Where each record of a file starts, by the lengths in the record heads.
std::vector<std::size_t> recordStarts(const std::string& bytes) {
    std::vector<std::size_t> out;
    for (std::size_t at = 32; at + 8 <= bytes.size();) {
        out.push_back(at);
        at += 8 + (static_cast<unsigned char>(bytes[at + 2]) |
                   (static_cast<unsigned char>(bytes[at + 3]) << 8));
    }
    return out;
}

TEST(EvaluationStoreTest, BoardsPackAndUnpackWithHandsAndPromotions) {
    for (const ReplayBoard& b :
         {boardAfter({}), boardAfter({"7g7f", "3c3d", "8h2b+", "3a2b", "B*4e"})}) {
        ReplayBoard back;
        ASSERT_TRUE(unpackBoard(packBoard(b), back));
        EXPECT_EQ(back.cells, b.cells);
        EXPECT_EQ(back.hand, b.hand);
        EXPECT_EQ(back.sideToMove, b.sideToMove);
    }
    // Bytes that are no board: cut short, a byte left over, a bad piece, a count too high.
    const std::string good = packBoard(boardAfter({"7g7f", "3c3d", "8h2b+"}));
    ReplayBoard b;
    EXPECT_FALSE(unpackBoard(good.substr(0, good.size() - 1), b));
    EXPECT_FALSE(unpackBoard(good + "x", b));
    std::string badPiece = good;
    badPiece[12] = static_cast<char>(0x0D);
    EXPECT_FALSE(unpackBoard(badPiece, b));
    std::string tooMany = good;
    tooMany.back() = static_cast<char>(19);
    EXPECT_FALSE(unpackBoard(tooMany, b));
}

TEST(EvaluationStoreTest, TranspositionsShareOneEntryAndTheSideToMoveCounts) {
    EvaluationStore store;
    (void)store.engineIndex({"E", ""});
    const ReplayBoard one = boardAfter({"7g7f", "3c3d", "2g2f"});
    const ReplayBoard other = boardAfter({"2g2f", "3c3d", "7g7f"});
    store.put(evaluationOf(one, 10));
    ASSERT_NE(store.find(other), nullptr);
    EXPECT_EQ(store.find(other)->score.value, 10);
    store.put(evaluationOf(other, 20));  // a later result replaces the earlier one
    EXPECT_EQ(store.size(), 1u);
    EXPECT_EQ(store.find(one)->score.value, 20);

    // The same pieces with the other side to move are another position.
    ReplayBoard turned = one;
    turned.sideToMove = core::kSideBlack;
    EXPECT_EQ(store.find(turned), nullptr);
    // A key that collides never gives another position's entry.
    EXPECT_EQ(store.find(evaluationKey(one), packBoard(boardAfter({"7g7f"}))), nullptr);
}

TEST(EvaluationStoreTest, TheFileReadsBackAsWrittenWhateverTheOrderOfPuts) {
    std::vector<ReplayBoard> boards;
    const EvaluationStore store = sampleStore(boards);
    const std::string bytes = store.bytes();
    EvaluationStore back;
    const EvaluationReadReport r = back.parse(bytes);
    EXPECT_EQ(r.result, EvaluationReadResult::Ok);
    EXPECT_EQ(r.records, boards.size() + 2);
    EXPECT_EQ(back.engines(), store.engines());
    for (const ReplayBoard& b : boards) {
        ASSERT_NE(back.find(b), nullptr);
        EXPECT_EQ(*back.find(b), *store.find(b));
    }
    // The same entries put in another order give the same bytes.
    EvaluationStore shuffled;
    for (const EngineSetting& e : store.engines()) (void)shuffled.engineIndex(e);
    std::vector<Evaluation> entries = store.entries();
    std::shuffle(entries.begin(), entries.end(), std::mt19937(7));
    for (const Evaluation& e : entries) shuffled.put(e);
    EXPECT_EQ(shuffled.bytes(), bytes);
}

TEST(EvaluationStoreTest, ATornLastRecordIsLeftOutAndTheRestKept) {
    std::vector<ReplayBoard> boards;
    const EvaluationStore store = sampleStore(boards);
    std::string bytes = store.bytes();
    const std::string extra = evaluationRecord(evaluationOf(boardAfter({"2g2f"}), 5));
    for (std::size_t cut : {std::size_t{1}, std::size_t{7}, extra.size() - 1}) {
        EvaluationStore back;
        const EvaluationReadReport r = back.parse(bytes + extra.substr(0, cut));
        EXPECT_EQ(r.result, EvaluationReadResult::Ok) << cut;
        EXPECT_EQ(r.tornBytes, cut);
        EXPECT_EQ(back.size(), boards.size());
        EXPECT_EQ(back.find(boardAfter({"2g2f"})), nullptr);
    }
    // A whole last record that does not check is damage, not a write cut short.
    std::string flipped = bytes + extra;
    flipped[flipped.size() - 3] ^= 0x20;
    EvaluationStore back;
    const EvaluationReadReport r = back.parse(flipped);
    EXPECT_EQ(r.result, EvaluationReadResult::Damaged);
    EXPECT_EQ(r.damagedBytes, extra.size());
    EXPECT_EQ(back.size(), boards.size());
}

TEST(EvaluationStoreTest, DamageIsFoundAndTheRecordsAfterItAreStillRead) {
    std::vector<ReplayBoard> boards;
    const EvaluationStore store = sampleStore(boards);
    const std::string bytes = store.bytes();
    // A byte inside the fifth record (the third evaluation) is flipped: that entry is lost, the
    // records after it are still read.
    const std::vector<std::size_t> starts = recordStarts(bytes);
    ASSERT_EQ(starts.size(), boards.size() + 2);
    const std::size_t at = starts[4];
    std::string damaged = bytes;
    damaged[at + 20] = static_cast<char>(damaged[at + 20] ^ 0x40);
    EvaluationStore back;
    const EvaluationReadReport r = back.parse(damaged);
    EXPECT_EQ(r.result, EvaluationReadResult::Damaged);
    EXPECT_GT(r.damagedBytes, 0u);
    EXPECT_LE(r.firstDamage, at + 20);
    EXPECT_EQ(back.size(), boards.size() - 1);
    EXPECT_EQ(r.tornBytes, 0u);

    // A wrong header is no store at all.
    std::string foreign = bytes;
    foreign[4] = 2;  // another version
    EXPECT_EQ(back.parse(foreign).result, EvaluationReadResult::NotStore);
    EXPECT_EQ(back.parse("").result, EvaluationReadResult::NotStore);
}

TEST(EvaluationStoreTest, AGoodChecksumOverBadContentIsStillDamage) {
    EvaluationStore store;
    (void)store.engineIndex({"E", ""});
    Evaluation e = evaluationOf(boardAfter({}), 1);
    e.engine = 3;  // no such engine
    const std::string bytes = evaluationStoreHeader() + engineRecord(0, {"E", ""}) +
                              evaluationRecord(e) +
                              evaluationRecord(evaluationOf(boardAfter({"7g7f"}), 2));
    EvaluationStore back;
    const EvaluationReadReport r = back.parse(bytes);
    EXPECT_EQ(r.result, EvaluationReadResult::Damaged);
    EXPECT_EQ(back.size(), 1u);
}

class AppenderTest : public ::testing::Test {
protected:
    testsupport::TempFolder folder{"evaluation-store"};
    std::string path = folder.file("games.DEV");
};

TEST_F(AppenderTest, AppendedRecordsSurviveWithoutAFinishAndAreCompactedByOne) {
    EvaluationStore store;
    EvaluationReadReport report;
    {
        EvaluationAppender appender;
        ASSERT_EQ(appender.open(path, store, report), AppendOpenResult::Ok);
        EXPECT_EQ(report.result, EvaluationReadResult::Missing);
        const auto id = store.engineIndex({"E", "byoyomi 100"});
        ASSERT_TRUE(appender.appendEngine(id, store.engines()[id]));
        for (int i = 0; i < 3; ++i) {
            Evaluation e = evaluationOf(i == 0 ? boardAfter({}) : boardAfter({"7g7f"}), i);
            ASSERT_TRUE(appender.append(e));
            store.put(e);
        }
        // Another run is refused while this one holds the lock.
        EvaluationStore other;
        EvaluationAppender second;
        EXPECT_EQ(second.open(path, other, report), AppendOpenResult::Busy);
        appender.close();  // a stopped run: no compaction
    }
    EvaluationStore back;
    EXPECT_EQ(back.read(path).result, EvaluationReadResult::Ok);
    EXPECT_EQ(back.size(), 2u);
    EXPECT_EQ(back.find(boardAfter({"7g7f"}))->score.value, 2);  // the later record wins

    EvaluationAppender appender;
    ASSERT_EQ(appender.open(path, store, report), AppendOpenResult::Ok);
    EXPECT_EQ(appender.finish(store), core::WriteResult::Ok);
    EXPECT_EQ(core::readFile(path).value_or(""), store.bytes());
}

TEST_F(AppenderTest, ATornTailIsCutAndADamagedFileIsKeptAsACopyBeforeTheRewrite) {
    std::vector<ReplayBoard> boards;
    const EvaluationStore sample = sampleStore(boards);
    const std::string bytes = sample.bytes();
    ASSERT_EQ(core::writeFileAtomically(path, bytes + "\xE5V\x40"), core::WriteResult::Ok);
    EvaluationStore store;
    EvaluationReadReport report;
    {
        EvaluationAppender appender;
        ASSERT_EQ(appender.open(path, store, report), AppendOpenResult::Ok);
        EXPECT_EQ(report.tornBytes, 3u);
        EXPECT_TRUE(appender.damagedCopy().empty());
        ASSERT_TRUE(appender.append(evaluationOf(boardAfter({"1g1f"}), 9)));
    }
    EvaluationStore back;
    EvaluationReadReport r = back.read(path);
    EXPECT_EQ(r.result, EvaluationReadResult::Ok);
    EXPECT_EQ(r.tornBytes, 0u);
    EXPECT_EQ(back.size(), boards.size() + 1);

    std::string damaged = bytes;
    damaged[recordStarts(bytes)[3] + 12] ^= 0x11;
    ASSERT_EQ(core::writeFileAtomically(path, damaged), core::WriteResult::Ok);
    EvaluationAppender appender;
    ASSERT_EQ(appender.open(path, store, report), AppendOpenResult::Ok);
    EXPECT_EQ(report.result, EvaluationReadResult::Damaged);
    EXPECT_EQ(core::readFile(appender.damagedCopy()).value_or(""), damaged);
    EXPECT_EQ(store.size(), boards.size() - 1);
}

TEST_F(AppenderTest, AFileThatIsNoStoreIsLeftAsItIs) {
    ASSERT_EQ(core::writeFileAtomically(path, "not an evaluation store"), core::WriteResult::Ok);
    EvaluationStore store;
    EvaluationReadReport report;
    EvaluationAppender appender;
    EXPECT_EQ(appender.open(path, store, report), AppendOpenResult::NotStore);
    EXPECT_EQ(core::readFile(path).value_or(""), "not an evaluation store");
    EXPECT_EQ(evaluationStorePath("/a/b/games.dlb"), "/a/b/games.DEV");
}

}  // namespace
}  // namespace dalmir::model
