#include "dalmir/model/search/search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/formats/kif_reader.h"
#include "core/text/sjis.h"
#include "dalmir/model/registration/registration.h"
#include "tests/support/random_record.h"
#include "tests/support/test_records.h"

namespace dalmir::model {
namespace {

using testsupport::kifRecord;
using testsupport::TempFolder;

class SearchHost : public OperationHost {
public:
    void status(std::string_view text) override { statuses.emplace_back(text); }
    bool cancelRequested() override { return ++polls > cancelAfterPolls; }
    void message(std::string_view text) override { messages.emplace_back(text); }
    void beep() override { ++beeps; }
    bool askSearchReadError(std::string_view question) override {
        questions.emplace_back(question);
        return stopOnReadError;
    }
    void openInViewer(int slot, int ply) override { opened.push_back({slot, ply}); }

    std::vector<std::string> statuses, messages, questions;
    std::vector<std::pair<int, int>> opened;
    int polls = 0;
    int cancelAfterPolls = 1 << 30;
    int beeps = 0;
    bool stopOnReadError = false;
};

const std::vector<std::string> kOpening = {"７六歩(77)", "３四歩(33)", "２六歩(27)", "投了"};
const std::vector<std::string> kLate = {"２六歩(27)", "８四歩(83)", "７六歩(77)", "３四歩(33)",
                                        "２五歩(26)"};
const std::vector<std::string> kOther = {"７六歩(77)", "８四歩(83)", "６八銀(79)"};
const std::vector<std::string> kEdge = {"９六歩(97)", "３四歩(33)", "７六歩(77)", "９四歩(93)",
                                        "４八銀(39)"};
const std::vector<std::string> kExchange = {"７六歩(77)", "３四歩(33)", "２六歩(27)",
                                            "８四歩(83)", "２五歩(26)", "８五歩(84)",
                                            "２四歩(25)", "同　歩(23)", "同　飛(28)"};

// A database of small games, text or binary, registered from KIF files.
class SearchTest : public ::testing::TestWithParam<bool> {
protected:
    SearchTest() : files("search"), db(1000) { db.reset(GetParam()); }

    void addGames(const std::vector<std::vector<std::string>>& games) {
        ErrorLog log;
        Registrar registrar(db, extractor, log, host);
        for (const auto& moves : games) {
            std::string name = std::to_string(counter++);
            name += ".kif";
            std::string path = files.write(name, kifRecord(moves));
            ASSERT_EQ(registrar.addFile(path, 0, nullptr), AddFileResult::Added);
        }
        db.table().rebuildDisplayOrder();
    }
    // The position of a KIF record after its moves.
    core::Position positionAfter(const std::vector<std::string>& moves) {
        core::RecordStore store;
        std::string text;
        for (const std::string& l : kifRecord(moves)) text += std::string(l) + "\n";
        core::ReadOptions options;
        (void)core::readRecordText(store, text, false, options);
        return positionOfRecord(store, -1);
    }
    const IndexEntry& listed(int row) {
        return db.table().entry(db.table().displayOrder()[static_cast<std::size_t>(row)]);
    }
    std::vector<int32_t> order() const { return db.table().displayOrder(); }

    TempFolder files;
    Database db;
    RecordExtractor extractor;
    SearchHost host;
    int counter = 0;
};

TEST_P(SearchTest, SequenceFindsTheOpeningAtAnyPointWithItsPlyAndNextMove) {
    addGames({kOpening, kLate, kOther});
    Searcher searcher(db, extractor, host);
    SearchReport r = searcher.findSequence(std::string("+76歩,-34歩"));
    ASSERT_EQ(r.hits, 2);
    EXPECT_EQ(order(), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(listed(0).hitPly, 0);
    EXPECT_EQ(listed(0).nextMove(), std::string("７六歩(77)"));
    EXPECT_EQ(listed(1).hitPly, 2);
    EXPECT_EQ(listed(1).nextMove(), std::string("７六歩(77)"));
    EXPECT_EQ(listed(1).nextFrom, 77);
    EXPECT_EQ(listed(1).nextTo, 76);
}

TEST_P(SearchTest, SequenceWildcardsSameSquareAndEndMarker) {
    addGames({kOpening, kExchange});
    Searcher searcher(db, extractor, host);
    // "**" takes any square: White's first rook move is the recapture on 24.
    ASSERT_EQ(searcher.findSequence(std::string("-**歩,同飛")).hits, 1);
    EXPECT_EQ(listed(0).hitPly, 7);
    EXPECT_EQ(listed(0).nextMove(), std::string("同　歩(23)"));

    db.table().rebuildDisplayOrder();
    ASSERT_EQ(searcher.findSequence(std::string("+**歩 投")).hits, 1);
    EXPECT_EQ(listed(0).hitPly, 2);
    EXPECT_EQ(listed(0).nextMove(), std::string("２六歩(27)"));
}

TEST_P(SearchTest, NoHitLeavesTheListAndABadPieceWordStopsBeforeStarting) {
    addGames({kOpening, kLate});
    Searcher searcher(db, extractor, host);
    const std::vector<int32_t> before = {1, 0};
    db.table().displayOrder() = before;
    SearchReport r = searcher.findSequence(std::string("+55玉"));
    EXPECT_EQ(r.hits, 0);
    EXPECT_EQ(order(), before);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(host.statuses.back(), std::string("検出できませんでした。"));

    r = searcher.findSequence(std::string("+76歩,-34猫"));
    EXPECT_EQ(r.error, std::string("駒の指定が間違っています。(-34猫)"));
    EXPECT_EQ(host.messages.back(), r.error);
    EXPECT_EQ(order(), before);
}

TEST_P(SearchTest, PositionSearchListsTheHitWithTheMoveAfterIt) {
    addGames({kLate, kOpening, kOther});
    Searcher searcher(db, extractor, host);
    SearchReport r = searcher.findPosition(positionAfter({"７六歩(77)", "３四歩(33)"}), {});
    ASSERT_EQ(r.hits, 1);
    EXPECT_EQ(order(), (std::vector<int32_t>{1}));
    EXPECT_EQ(listed(0).hitPly, 2);
    EXPECT_EQ(listed(0).nextMove(), std::string("２六歩(27)"));

    // At the end of the line the next move is the closing entry's word, or nothing.
    db.table().rebuildDisplayOrder();
    ASSERT_EQ(
        searcher.findPosition(positionAfter({"７六歩(77)", "３四歩(33)", "２六歩(27)"}), {}).hits,
        1);
    EXPECT_EQ(listed(0).nextMove(), std::string("投了"));
    db.table().rebuildDisplayOrder();
    ASSERT_EQ(searcher.findPosition(positionAfter(kOther), {}).hits, 1);
    EXPECT_EQ(listed(0).hitPly, 3);
    EXPECT_EQ(listed(0).nextMove(), "");
    EXPECT_EQ(listed(0).nextTo, 0);
}

TEST_P(SearchTest, EdgePawnsCanBeLeftOut) {
    addGames({kEdge, kOther});
    Searcher searcher(db, extractor, host);
    core::Position target = positionAfter({"７六歩(77)", "３四歩(33)"});
    EXPECT_EQ(searcher.findPosition(target, {}).hits, 0);
    PositionSearchOptions options;
    options.ignoreEdgePawns = true;
    // Without the side to move required, the position after 7六歩 already counts.
    ASSERT_EQ(searcher.findPosition(target, options).hits, 1);
    EXPECT_EQ(listed(0).hitPly, 3);
    EXPECT_EQ(listed(0).nextMove(), std::string("９四歩(93)"));
    options.sideMustMatch = true;
    db.table().rebuildDisplayOrder();
    ASSERT_EQ(searcher.findPosition(target, options).hits, 1);
    EXPECT_EQ(listed(0).hitPly, 4);
    EXPECT_EQ(listed(0).nextMove(), std::string("４八銀(39)"));
}

TEST_P(SearchTest, NextPositionPlaysTheHitsMoveOnTheTarget) {
    addGames({kOpening, kExchange, kOther});
    Searcher searcher(db, extractor, host);
    ASSERT_EQ(searcher.findPosition(positionAfter({"７六歩(77)", "３四歩(33)"}), {}).hits, 2);
    ASSERT_EQ(searcher.findNextPosition(0).hits, 2);
    EXPECT_EQ(listed(0).hitPly, 3);
    EXPECT_EQ(listed(1).nextMove(), std::string("８四歩(83)"));

    EXPECT_EQ(searcher.findNextPosition(5).hits, 0);
    EXPECT_EQ(host.messages.back(), std::string("次の手を進められませんでした。"));
}

TEST_P(SearchTest, CancellingKeepsTheHitsFoundSoFar) {
    std::vector<std::vector<std::string>> games(GetParam() ? 230 : 25, kOpening);
    addGames(games);
    host.cancelAfterPolls = 2;  // polled at records 0 and 10 (text) or 0 and 100 (binary)
    Searcher searcher(db, extractor, host);
    SearchReport r = searcher.findSequence(std::string("+76歩"));
    EXPECT_TRUE(r.cancelled);
    const int done = GetParam() ? 200 : 20;
    EXPECT_EQ(r.hits, done);
    EXPECT_EQ(static_cast<int>(order().size()), done);
    char progress[64];
    std::snprintf(progress, sizeof progress, "%4d / %d", done / 2, static_cast<int>(games.size()));
    EXPECT_EQ(host.statuses[2], std::string("手順検索中...  棋譜： ") + progress +
                                    std::string("  検出： ") + std::to_string(done / 2));
    // The status then says the search was cancelled, not the last progress line.
    EXPECT_EQ(host.statuses.back(), std::string("検索中止　棋譜：") + std::to_string(done) + " / " +
                                        std::to_string(games.size()) + std::string("  検出：") +
                                        std::to_string(done));

    // A search that runs to its end says so with its hits.
    host.cancelAfterPolls = 1 << 30;
    db.table().rebuildDisplayOrder();
    SearchReport whole = searcher.findSequence(std::string("+76歩"));
    EXPECT_FALSE(whole.cancelled);
    EXPECT_EQ(host.statuses.back(), std::string("検索終了　棋譜：") + std::to_string(games.size()) +
                                        std::string("  検出：") + std::to_string(games.size()));
}

TEST_P(SearchTest, AutomaticReplayOpensTheFirstHits) {
    addGames({kOpening, kOpening, kOpening});
    db.table().settings().autoReplayCount = 2;
    Searcher searcher(db, extractor, host);
    PositionSearchOptions options;
    options.autoReplay = true;
    ASSERT_EQ(searcher.findPosition(positionAfter({"７六歩(77)"}), options).hits, 3);
    EXPECT_EQ(host.opened, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}));
}

INSTANTIATE_TEST_SUITE_P(TextAndBinary, SearchTest, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "Binary" : "Text"; });

TEST(SearchReadErrorTest, AMissingFileAsksAndCancelEndsTheSearch) {
    TempFolder files("search_missing");
    Database db(10);
    RecordExtractor extractor;
    SearchHost host;
    ErrorLog log;
    Registrar registrar(db, extractor, log, host);
    std::string a = files.write("a.kif", kifRecord(kOpening));
    std::string b = files.write("b.kif", kifRecord(kOpening));
    ASSERT_EQ(registrar.addFile(a, 0, nullptr), AddFileResult::Added);
    ASSERT_EQ(registrar.addFile(b, 0, nullptr), AddFileResult::Added);
    db.table().rebuildDisplayOrder();
    std::filesystem::remove(a);
    host.stopOnReadError = true;
    Searcher searcher(db, extractor, host);
    SearchReport r = searcher.findSequence(std::string("+76歩"));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_TRUE(host.questions[0].starts_with(std::string("棋譜読み込みエラー(")));
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.hits, 0);
}

TEST(ReadTargetTest, ClipboardTextGivesThePositionAfterItsLastMove) {
    TargetRead t = readTarget(std::string("手合割：平手\r\n▲７六歩　△３四歩\r\n"));
    ASSERT_TRUE(t.ok) << t.message;
    EXPECT_EQ(t.message, std::string("クリップボードから棋譜、局面を読み込みました。"));
    EXPECT_EQ(t.position.cells[76], core::makePiece(core::kSideBlack, core::kPawn));
    EXPECT_EQ(t.position.cells[34], core::makePiece(core::kSideWhite, core::kPawn));
    EXPECT_EQ(t.position.sideToMove, core::kSideBlack);
    EXPECT_EQ(readTarget("").message, std::string("クリップボードが使用できません。"));
    EXPECT_EQ(readTarget("hello\r\n").message,
              std::string("クリップボードから局面を読み込めませんでした。"));
}

// ---- The matcher on its own ----

ReplayBoard evenStart() {
    ReplayBoard b;
    EXPECT_TRUE(startBoard(0, b));
    return b;
}

TEST(PositionMatcherTest, SideToMoveAndReversedForms) {
    // Target: the start with Black's pawn on 76, White to move. Turned round it is the start
    // with White's pawn on 34, Black to move: the line below reaches it after one White move.
    core::Position target;
    ASSERT_TRUE(core::setupHandicap(target, 0));
    ASSERT_TRUE(core::applyMove(target, 77, 76, false));
    target.sideToMove = core::kSideWhite;
    ReplayBoard start = evenStart();
    start.sideToMove = core::kSideWhite;
    const std::vector<ListMove> line = {{33, 34}, {27, 26}};

    struct Case {
        bool side, reversed;
        int ply;
    };
    for (Case c : {Case{false, false, -1}, Case{false, true, 1}, Case{true, true, 1},
                   Case{true, false, -1}}) {
        PositionSearchOptions o;
        o.sideMustMatch = c.side;
        o.alsoReversed = c.reversed;
        EXPECT_EQ(PositionMatcher(target, o).find(start, line).ply, c.ply) << c.side << c.reversed;
    }
    // With the side to move required, the reversed form only counts for the other side.
    PositionSearchOptions o;
    o.sideMustMatch = true;
    o.alsoReversed = true;
    ReplayBoard blackFirst = evenStart();
    const std::vector<ListMove> blackLine = {{77, 76}};
    EXPECT_EQ(PositionMatcher(target, o).find(blackFirst, blackLine).ply, 1);
    blackFirst.sideToMove = core::kSideWhite;
    const std::vector<ListMove> whiteLine = {{77, 76}};  // not White's piece: the line ends
    EXPECT_EQ(PositionMatcher(target, o).find(blackFirst, whiteLine).ply, -1);
}

TEST(PositionMatcherTest, APartialTargetMatchesWhereverItsPiecesStand) {
    core::Position target;
    core::clearPosition(target);
    target.cells[76] = core::makePiece(core::kSideBlack, core::kPawn);
    target.cells[34] = core::makePiece(core::kSideWhite, core::kPawn);
    PositionSearchOptions o;
    const std::vector<ListMove> line = {{27, 26}, {33, 34}, {77, 76}, {83, 84}};
    EXPECT_EQ(PositionMatcher(target, o).find(evenStart(), line).ply, 3);
}

// Every position of many random lines: the quick scan agrees with the full comparison.
TEST(PositionMatcherTest, QuickScanAgreesWithTheFullComparison) {
    std::mt19937 rng(7);
    core::RecordStore store;
    testsupport::RandomRecordOptions ro;
    ro.handicapPercent = 0;
    ro.minPlies = 30;
    ro.maxPlies = 80;
    std::vector<std::vector<ListMove>> lines;
    for (int i = 0; i < 40; ++i) {
        testsupport::makeRandomRecord(store, rng, ro);
        lines.emplace_back();
        buildList(store, lines.back());
    }
    int hits = 0;
    for (int t = 0; t < 60; ++t) {
        // A target from some line and ply; half of them with a few squares left open.
        const auto& source = lines[static_cast<std::size_t>(t) % lines.size()];
        ReplayBoard b = evenStart();
        ReplayStep step;
        int ply = static_cast<int>(rng() % (source.size() + 1));
        for (int k = 0; k < ply && playListMove(b, source[static_cast<std::size_t>(k)], step);
             ++k) {
        }
        core::Position target;
        core::clearPosition(target);
        for (int sq = 11; sq <= 99; ++sq) {
            if (core::isSquare(sq) && (t % 2 == 0 || rng() % 4 != 0))
                target.cells[sq] = b.cells[sq];
        }
        int slot = core::kFirstHandSlot;
        for (int side = 0; side < 2; ++side) {
            for (int type = 1; type <= 7; ++type) {
                for (int n = 0; n < b.hand[side][type]; ++n) {
                    target.cells[slot++] = core::makePiece(side ? core::kSideBlack : 0, type);
                }
            }
        }
        target.handEnd = static_cast<uint8_t>(slot);
        target.sideToMove = b.sideToMove;
        for (int mask = 0; mask < 8; ++mask) {
            PositionSearchOptions o;
            o.sideMustMatch = mask & 1;
            o.alsoReversed = mask & 2;
            o.ignoreEdgePawns = mask & 4;
            PositionMatcher matcher(target, o);
            for (const auto& line : lines) {
                int expected = -1;
                ReplayBoard g = evenStart();
                for (std::size_t k = 0;; ++k) {
                    if (matcher.matches(g)) {
                        expected = static_cast<int>(k);
                        break;
                    }
                    if (k >= line.size() || !playListMove(g, line[k], step) || step.closing) break;
                }
                ASSERT_EQ(matcher.find(evenStart(), line).ply, expected);
                hits += expected >= 0;
            }
        }
    }
    EXPECT_GT(hits, 60);
}

}  // namespace
}  // namespace dalmir::model
