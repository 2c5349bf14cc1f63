#include "dalmir/model/search/sequence_pattern.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/text/sjis.h"
#include "tests/support/random_record.h"

namespace dalmir::model {
namespace {

TEST(SequencePatternTest, ParsesSidesSquaresPiecesAndKinds) {
    struct Case {
        const char* text;
        PatternStep step;
    };
    const Case cases[] = {
        {"+76歩", {1, 7, 6, 1, MoveKind::Any, false}},
        {"▽34歩", {2, 3, 4, 1, MoveKind::Any, false}},
        {"△同銀不成", {2, kSameSquare, 0, 4, MoveKind::Declines, false}},
        {"**角打", {0, 0, 0, 6, MoveKind::Drop, false}},
        {"5*王", {0, 5, 0, 8, MoveKind::Any, false}},
        {"22成香合", {0, 2, 2, 10, MoveKind::Interposition, false}},
        {"22竜移動合", {0, 2, 2, 15, MoveKind::InterpositionByMoving, false}},
        {"-11×取", {2, 1, 1, 0, MoveKind::Captures, false}},
        {"55Ｘ", {}},  // a full-width X is no piece word
        {"55＃移", {0, 5, 5, 0, MoveKind::BoardMove, false}},
        {"55と成", {0, 5, 5, 9, MoveKind::Promotes, false}},
        {"投", {0, 0, 0, 0, MoveKind::Any, true}},
        {"詰", {0, 0, 0, 0, MoveKind::Any, true}},
    };
    for (const Case& c : cases) {
        PatternParse p = parsePattern(std::string(c.text));
        if (c.step == PatternStep{}) {
            EXPECT_EQ(p.error,
                      std::string("駒の指定が間違っています。(") + std::string(c.text) + ")");
            continue;
        }
        ASSERT_TRUE(p.ok()) << c.text;
        ASSERT_EQ(p.steps.size(), 1u) << c.text;
        EXPECT_EQ(p.steps[0], c.step) << c.text;
    }
}

TEST(SequencePatternTest, SeparatorsCommentsAndTheLimitOfTwenty) {
    EXPECT_EQ(parsePattern(std::string("+76歩,-34歩　+26歩 -84歩")).steps.size(), 4u);
    EXPECT_EQ(parsePattern(std::string("+76歩 # -34歩")).steps.size(), 1u);
    std::string many;
    for (int i = 0; i < 25; ++i) many += std::string("**歩,");
    EXPECT_EQ(parsePattern(many).steps.size(), 20u);
    for (const char* bad : {"76", "7歩", "+76歩打打", "同"}) {
        EXPECT_FALSE(parsePattern(std::string(bad)).ok()) << bad;
    }
}

ReplayStep boardMove(core::SideByte side, int type, int from, int to, int captured = 0,
                     bool promotes = false) {
    ReplayStep s;
    s.side = side;
    s.moved = core::makePiece(side, type);
    s.from = static_cast<uint8_t>(from);
    s.to = static_cast<uint8_t>(to);
    s.captured = static_cast<core::PieceByte>(captured);
    s.promotes = promotes;
    return s;
}

TEST(SequencePatternTest, KindsOfMove) {
    const core::SideByte b = core::kSideBlack, w = core::kSideWhite;
    ReplayStep drop = boardMove(w, core::kGold, 5, 52);
    drop.drop = true;
    const ReplayStep quiet = boardMove(w, core::kSilver, 31, 22);
    const ReplayStep kingMove = boardMove(w, core::kKing, 51, 42);
    const ReplayStep capture = boardMove(b, core::kBishop, 88, 22, core::makePiece(w, 6), true);
    const ReplayStep declined = boardMove(b, core::kSilver, 44, 33);
    const ReplayStep outside = boardMove(b, core::kSilver, 57, 46);
    struct Case {
        MoveKind kind;
        const ReplayStep* move;
        bool expected;
    };
    const Case cases[] = {
        {MoveKind::Promotes, &capture, true},
        {MoveKind::Promotes, &quiet, false},
        {MoveKind::Declines, &declined, true},
        {MoveKind::Declines, &outside, false},
        {MoveKind::Declines, &capture, false},
        {MoveKind::Drop, &drop, true},
        {MoveKind::BoardMove, &drop, false},
        {MoveKind::BoardMove, &quiet, true},
        {MoveKind::Captures, &capture, true},
        {MoveKind::Captures, &quiet, false},
        {MoveKind::Interposition, &drop, true},
        {MoveKind::Interposition, &quiet, true},
        {MoveKind::Interposition, &kingMove, false},
        {MoveKind::Interposition, &declined, false},
        {MoveKind::InterpositionByMoving, &drop, false},
        {MoveKind::InterpositionByMoving, &quiet, true},
    };
    for (const Case& c : cases) {
        PatternStep step;
        step.kind = c.kind;
        EXPECT_EQ(stepMatches(step, *c.move, nullptr), c.expected) << static_cast<int>(c.kind);
    }
}

TEST(SequencePatternTest, SameSquareNeedsAPreviousMoveAndTheEndMarkerAClosingEntry) {
    PatternStep same;
    same.file = kSameSquare;
    const ReplayStep take = boardMove(core::kSideWhite, core::kPawn, 23, 24, 0x81);
    EXPECT_FALSE(stepMatches(same, take, nullptr));
    const ReplayStep before = boardMove(core::kSideBlack, core::kPawn, 25, 24);
    EXPECT_TRUE(stepMatches(same, take, &before));
    const ReplayStep elsewhere = boardMove(core::kSideBlack, core::kPawn, 27, 26);
    EXPECT_FALSE(stepMatches(same, take, &elsewhere));

    PatternStep end;
    end.endMarker = true;
    ReplayStep closing;
    closing.closing = true;
    for (int code = 0; code <= 10; ++code) {
        closing.to = static_cast<uint8_t>(code);
        EXPECT_EQ(stepMatches(end, closing, &before), code == 0 || code == 6) << code;
    }
    EXPECT_FALSE(stepMatches(end, take, &before));
    EXPECT_FALSE(stepMatches(PatternStep{}, closing, &before));
}

TEST(SequencePatternTest, HelpText) {
    EXPECT_EQ(sequenceHelpText(),
              std::string("<指し手> = [<手番>]<移動先><駒>[<手の種類>]\r\n\r\n<手の種類> = "
                          "成、不(成)、打、移、取、合、移動合\r\n\r\n指し手は、\","
                          "\"で区切り、８手まで指定可\r\n"));
}

// The line played to its end, then every window compared in full: what the search did before
// it learnt to skip windows and stop early.
int firstMatchByFullReplay(std::span<const PatternStep> pattern, const ReplayBoard& start,
                           std::span<const ListMove> moves) {
    std::vector<ReplayStep> played;
    ReplayBoard board = start;
    for (ListMove m : moves) {
        ReplayStep step;
        if (!playListMove(board, m, step)) break;
        played.push_back(step);
        if (step.closing) break;
    }
    const std::size_t n = pattern.size();
    if (n == 0) return -1;
    for (std::size_t a = 0; a + n <= played.size(); ++a) {
        bool all = true;
        for (std::size_t i = 0; i < n && all; ++i) {
            all = stepMatches(pattern[i], played[a + i], a + i > 0 ? &played[a + i - 1] : nullptr);
        }
        if (all) return static_cast<int>(a);
    }
    return -1;
}

// A step describing a played move, with each part kept or left open at random.
PatternStep stepOf(const ReplayStep& move, const ReplayStep* previous, std::mt19937& rng) {
    PatternStep s;
    if (move.closing) {
        s.endMarker = true;
        return s;
    }
    if (rng() % 2) s.side = move.side == core::kSideBlack ? 1 : 2;
    if (previous != nullptr && !previous->closing && previous->to == move.to && rng() % 2) {
        s.file = kSameSquare;
    } else {
        if (rng() % 2) s.file = static_cast<uint8_t>(core::fileOf(move.to));
        if (rng() % 2) s.rank = static_cast<uint8_t>(core::rankOf(move.to));
    }
    if (rng() % 2) s.piece = static_cast<uint8_t>(core::pieceType(move.moved));
    s.kind = static_cast<MoveKind>(rng() % 8);
    return s;
}

TEST(SequencePatternTest, SkippingAndStoppingEarlyFindTheSameWindowAsAFullReplay) {
    std::mt19937 rng(2024);
    core::RecordStore store;
    testsupport::RandomRecordOptions ro;
    ro.minPlies = 6;
    ro.maxPlies = 80;
    std::vector<std::vector<ListMove>> lines;
    std::vector<uint8_t> handicaps;
    for (int i = 0; i < 60; ++i) {
        testsupport::makeRandomRecord(store, rng, ro);
        lines.emplace_back();
        buildList(store, lines.back());
        handicaps.push_back(static_cast<uint8_t>(store.handicap()));
    }
    // A line that breaks off: an element the board can't play ends it.
    lines.push_back(lines[0]);
    handicaps.push_back(handicaps[0]);
    lines.back().insert(lines.back().begin() + 3, ListMove{55, 55});

    int found = 0, compared = 0;
    std::vector<ReplayStep> played;
    for (int round = 0; round < 400; ++round) {
        // A pattern taken from a stretch of one line, so that many patterns hit somewhere.
        const std::size_t from = rng() % lines.size();
        ReplayBoard start;
        ASSERT_TRUE(startBoard(handicaps[from], start));
        ReplayBoard board = start;
        std::vector<ReplayStep> steps;
        for (ListMove m : lines[from]) {
            ReplayStep step;
            if (!playListMove(board, m, step)) break;
            steps.push_back(step);
            if (step.closing) break;
        }
        if (steps.empty()) continue;
        const std::size_t length = 1 + rng() % 4;
        const std::size_t at = rng() % steps.size();
        std::vector<PatternStep> pattern;
        for (std::size_t k = at; k < steps.size() && pattern.size() < length; ++k) {
            pattern.push_back(stepOf(steps[k], k > 0 ? &steps[k - 1] : nullptr, rng));
        }
        for (std::size_t line = 0; line < lines.size(); ++line) {
            ASSERT_TRUE(startBoard(handicaps[line], start));
            const int want = firstMatchByFullReplay(pattern, start, lines[line]);
            const int got = firstSequenceMatch(pattern, start, lines[line], played);
            ASSERT_EQ(got, want) << "round " << round << " line " << line;
            if (got >= 0) {
                ASSERT_GT(played.size(), static_cast<std::size_t>(got) + pattern.size() - 1);
                ++found;
            }
            ++compared;
        }
    }
    EXPECT_GT(found, compared / 50);
    EXPECT_EQ(firstSequenceMatch({}, ReplayBoard{}, lines[0], played), -1);
}

}  // namespace
}  // namespace dalmir::model
