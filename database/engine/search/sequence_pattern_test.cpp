#include "database/engine/search/sequence_pattern.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text/sjis.h"

namespace database {
namespace {

using core::sjis;

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
        PatternParse p = parsePattern(sjis(c.text));
        if (c.step == PatternStep{}) {
            EXPECT_EQ(p.error, sjis("駒の指定が間違っています。(") + sjis(c.text) + ")");
            continue;
        }
        ASSERT_TRUE(p.ok()) << c.text;
        ASSERT_EQ(p.steps.size(), 1u) << c.text;
        EXPECT_EQ(p.steps[0], c.step) << c.text;
    }
}

TEST(SequencePatternTest, SeparatorsCommentsAndTheLimitOfTwenty) {
    EXPECT_EQ(parsePattern(sjis("+76歩,-34歩　+26歩 -84歩")).steps.size(), 4u);
    EXPECT_EQ(parsePattern(sjis("+76歩 # -34歩")).steps.size(), 1u);
    std::string many;
    for (int i = 0; i < 25; ++i) many += sjis("**歩,");
    EXPECT_EQ(parsePattern(many).steps.size(), 20u);
    for (const char* bad : {"76", "7歩", "+76歩打打", "同"}) {
        EXPECT_FALSE(parsePattern(sjis(bad)).ok()) << bad;
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
              sjis("<指し手> = [<手番>]<移動先><駒>[<手の種類>]\r\n\r\n<手の種類> = "
                   "成、不(成)、打、移、取、合、移動合\r\n\r\n指し手は、\","
                   "\"で区切り、８手まで指定可\r\n"));
}

}  // namespace
}  // namespace database
