// The JSON kifu reader and writer: records survive KIF -> JKF -> KIF byte for byte, hand-written
// files in the short forms read as their KIF twins, and every malformed file stops with the place
// of the fault while keeping what was read.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/formats/jkf_reader.h"
#include "core/formats/jkf_writer.h"
#include "core/formats/kif_writer.h"
#include "core/formats/record_loader.h"
#include "core/formats/usi.h"
#include "core/formats/writer_test_fixture.h"
#include "tests/support/interop.h"
#include "tests/support/random_record.h"

namespace core {
namespace {

using testsupport::expectSameRecord;
using testsupport::readable;
using testsupport::readOptionsFor;

// KIF text -> record -> JKF -> record -> KIF text must give the text back.
void expectKifSurvivesJkf(const RecordStore& original, const RecordWriteOptions& options,
                          const std::string& what) {
    SCOPED_TRACE(what);
    const std::string kif = kifText(original, options);
    const std::string json = jkfText(original, options);
    RecordStore copy(original.capacity());
    ReadReport r = readJkfText(copy, json, readOptionsFor(options));
    ASSERT_EQ(r.result, ReadResult::Ok) << readable(r.message) << "\n" << json;
    expectSameRecord(original, copy);
    EXPECT_EQ(readable(kifText(copy, options)), readable(kif));
    EXPECT_EQ(jkfText(copy, options), json);
}

void decorate(RecordStore& store, std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    (void)store.replaceComment(0, std::string("開始局面\n\n三行目 \"引用\" \\ / ~"));
    store.setHeader(HeaderField::Place, std::string("東京"));
    store.setHeader(HeaderField::Author, pick(4) == 0 ? std::string("作者") : "");
    store.setHeader(HeaderField::User1, std::string("ユーザ値"));
    store.setHeader(HeaderField::User5, "someone@example.com");
    store.setPlayerName(PlayerField::BlackShort, std::string("先"));
    store.setPlayerName(PlayerField::WhiteShort, std::string("後"));
    store.setFlipped(pick(2) == 0);
    const TerminalCode codes[] = {TerminalCode::Resign,     TerminalCode::Suspend,
                                  TerminalCode::FoulLoss,   TerminalCode::FoulWin,
                                  TerminalCode::Impasse,    TerminalCode::Mate,
                                  TerminalCode::Repetition, TerminalCode::NoMate,
                                  TerminalCode::TimeLoss,   TerminalCode::EnteringKingWin};
    std::vector<NodeIndex> ends;
    for (NodeIndex i = 1; i < store.capacity(); ++i) {
        if (store.isInUse(i) && store.node(i).next == kNoNode && !store.node(i).isTerminal()) {
            ends.push_back(i);
        }
    }
    for (NodeIndex end : ends) {
        if (pick(2) == 0) continue;
        ASSERT_EQ(store.goTo(end), EditResult::Ok);
        ASSERT_EQ(store.addMove(kAddStoreAll, terminalMove(codes[pick(10)]),
                                static_cast<std::uint16_t>(pick(200))),
                  AddResult::Ok);
        if (pick(2) == 0) (void)store.appendCommentTo(store.node(end).next, std::string("終局"));
    }
    ASSERT_EQ(store.goTo(kRootNode), EditResult::Ok);
}

TEST(JkfRoundTripTest, GeneratedRecordsSurviveKifToJkfToKif) {
    std::mt19937 rng(20261209);
    testsupport::RandomRecordOptions generate;
    generate.minPlies = 10;
    generate.maxPlies = 160;
    generate.handicapPercent = 30;
    generate.variationPercent = 80;
    generate.commentPercent = 70;
    generate.bookmarkPercent = 60;
    generate.timesPercent = 60;
    for (int i = 0; i < 150; ++i) {
        RecordWriteOptions options;
        options.userKeys = {std::string("ユーザ項目"), "", "", "", std::string("相手アドレス")};
        options.kifOmitZeroTimes = i % 2 == 1;
        RecordStore store;
        testsupport::makeRandomRecord(store, rng, generate);
        decorate(store, rng);
        if (::testing::Test::HasFatalFailure()) return;
        // Through KIF first, so the record is what a KIF file gives.
        RecordStore fromKif;
        ASSERT_EQ(readRecordLines(fromKif, kifText(store, options), readOptionsFor(options)).result,
                  ReadResult::Ok);
        expectKifSurvivesJkf(fromKif, options, "record " + std::to_string(i));
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(JkfRoundTripTest, CustomStartsSurvive) {
    RecordStore store;
    testsupport::setUpMatingProblem(store);
    testsupport::RecordBuilder b(store);
    b.drop(kGold, 52);
    b.end(TerminalCode::Mate);
    expectKifSurvivesJkf(store, {}, "mating problem");

    // White to move in an even set-up is a custom start of its own.
    RecordStore white;
    Position p;
    setupHandicap(p, kHandicapEven);
    p.sideToMove = kSideWhite;
    white.setFirstMover(kSideWhite);
    white.setCustomStart(true);
    white.position() = p;
    white.saveStartPosition(p);
    testsupport::RecordBuilder w(white);
    w.move(33, 34, 5);
    expectKifSurvivesJkf(white, {}, "white first");
}

using JkfInteropTest = testsupport::InteropTest;

TEST_F(JkfInteropTest, EveryInteropRecordSurvivesKifToJkfToKif) {
    RecordWriteOptions options;
    int records = 0;
    for (const char* folder : {"kif", "ki2", "csa"}) {
        for (const auto& path : testsupport::interopFiles(folder)) {
            RecordStore original;
            ReadOptions read = readOptionsFor(options);
            ReadReport r = loadRecordFile(original, path.string(), read);
            if (r.result != ReadResult::Ok) continue;
            ++records;
            expectKifSurvivesJkf(original, options, path.filename().string());
        }
    }
    EXPECT_GE(records, 30);
}

}  // namespace
}  // namespace core
