// The rule tables of the classifier. Squares are written as the side itself sees them (its rook
// starts on 28, its king on 59), so one row serves both colours; plies count both sides' moves.
// A castle is the last row that stood for the side within the castle window; a named opening
// is the first row that fires, side variants before game openings.
#include "core/classify/opening_rules.h"

namespace core::classify_rules {

SideFacts::SideFacts() {
    for (auto& row : reached) row.fill(kNever);
}

std::uint16_t SideFacts::rookReachedFile(int file) const {
    std::uint16_t first = kNever;
    for (int rank = 1; rank <= 9; ++rank) {
        std::uint16_t p = reachedAt(kRook, file * 10 + rank);
        if (p < first) first = p;
    }
    return first;
}

namespace {

constexpr CastlePiece K(int sq, int orSq = 0) {
    return {kKing, static_cast<std::uint8_t>(sq), static_cast<std::uint8_t>(orSq)};
}
constexpr CastlePiece G(int sq, int orSq = 0) {
    return {kGold, static_cast<std::uint8_t>(sq), static_cast<std::uint8_t>(orSq)};
}
constexpr CastlePiece S(int sq, int orSq = 0) {
    return {kSilver, static_cast<std::uint8_t>(sq), static_cast<std::uint8_t>(orSq)};
}
constexpr CastlePiece L(int sq) { return {kLance, static_cast<std::uint8_t>(sq), 0}; }

// The more developed form of a family comes first (高美濃 before 美濃).
constexpr CastleRule kCastles[] = {
    {Castle::StaticAnaguma, {K(99), L(98)}},
    {Castle::RangingAnaguma, {K(19), L(18)}},
    {Castle::Millennium, {K(89), G(78, 79)}},
    {Castle::SilverCrown, {K(28), S(27), G(38)}},
    {Castle::HighMino, {K(28), S(38), G(49), G(47)}},
    {Castle::Mino, {K(28), S(38), G(49)}},
    {Castle::Yagura, {K(88), S(77), G(78), G(67)}},
    {Castle::LeftMino, {K(88, 87), S(78), G(69)}},
    {Castle::Gangi, {K(69, 79), G(78), S(67), S(57)}},
    {Castle::Elmo, {K(78), G(79), S(68)}},
    {Castle::Funa, {K(78), G(69), G(58)}},
    {Castle::CentralKing, {K(58), G(78), G(38)}},
};

// The settled rook file, from the side's own right.
constexpr Strategy kStrategyOfFile[10] = {
    Strategy::StaticRook,   // (no file)
    Strategy::StaticRook,   // 1
    Strategy::StaticRook,   // 2: where the rook starts
    Strategy::SideRook,     // 3
    Strategy::RightFourth,  // 4
    Strategy::Central,      // 5
    Strategy::Fourth,       // 6
    Strategy::Third,        // 7
    Strategy::Opposing,     // 8
    Strategy::FarRanging,   // 9
};

const SideClass& sideOf(const Classification& c, int side) { return side == 0 ? c.black : c.white; }

bool eitherSide(const Classification& c, Opening variant) {
    return c.black.variant == variant || c.white.variant == variant;
}

bool eitherCastle(const Classification& c, Castle castle) {
    return c.black.castle == castle || c.white.castle == castle;
}

constexpr OpeningRule kOpenings[] = {
    // Variants of one side's ranging rook.
    {Opening::Gokigen, Scope::Side,
     "中飛車で、5筋の歩を12手目までに5五へ突き、飛車を20手目までに5筋へ振った",
     [](const LineFacts& f, const Classification& c, int s) {
         const SideFacts& me = f.sides[static_cast<std::size_t>(s)];
         return sideOf(c, s).strategy == Strategy::Central && me.reachedAt(kPawn, 55) <= 12 &&
                me.rookReachedFile(5) <= 20;
     }},
    {Opening::EarlyIshida, Scope::Side,
     "三間飛車で、7筋の歩を10手目までに7五へ突き、飛車を12手目までに7筋へ振った",
     [](const LineFacts& f, const Classification& c, int s) {
         const SideFacts& me = f.sides[static_cast<std::size_t>(s)];
         return sideOf(c, s).strategy == Strategy::Third && me.reachedAt(kPawn, 75) <= 10 &&
                me.rookReachedFile(7) <= 12;
     }},
    {Opening::Ishida, Scope::Side, "三間飛車で、40手目までに7筋の歩が7五へ進むか飛車が7六へ出た",
     [](const LineFacts& f, const Classification& c, int s) {
         const SideFacts& me = f.sides[static_cast<std::size_t>(s)];
         return sideOf(c, s).strategy == Strategy::Third &&
                (me.reachedAt(kPawn, 75) <= 40 || me.reachedAt(kRook, 76) <= 40);
     }},

    // Openings of the game.
    {Opening::Sujichigai, Scope::Game, "角を10手目までに交換し、14手目までに角を打った",
     [](const LineFacts& f, const Classification&, int) {
         return f.bishopsExchanged() <= 10 &&
                (f.sides[0].bishopDropped <= 14 || f.sides[1].bishopDropped <= 14);
     }},
    {Opening::Gokigen, Scope::Game, "一方がゴキゲン中飛車",
     [](const LineFacts&, const Classification& c, int) {
         return eitherSide(c, Opening::Gokigen);
     }},
    {Opening::EarlyIshida, Scope::Game, "一方が早石田",
     [](const LineFacts&, const Classification& c, int) {
         return eitherSide(c, Opening::EarlyIshida);
     }},
    {Opening::Ishida, Scope::Game, "一方が石田流",
     [](const LineFacts&, const Classification& c, int) { return eitherSide(c, Opening::Ishida); }},
    {Opening::RangingExchange, Scope::Game, "対抗形で、角を30手目までに交換した",
     [](const LineFacts& f, const Classification& c, int) {
         return c.type == GameType::StaticRanging && f.bishopsExchanged() <= 30;
     }},
    {Opening::DoubleRanging, Scope::Game, "両者とも飛車を振った",
     [](const LineFacts&, const Classification& c, int) {
         return c.type == GameType::DoubleRanging;
     }},
    {Opening::BishopExchange, Scope::Game, "相居飛車で、角を30手目までに交換した",
     [](const LineFacts& f, const Classification& c, int) {
         return c.type == GameType::DoubleStatic && f.bishopsExchanged() <= 30;
     }},
    {Opening::SidePawn, Scope::Game, "相居飛車で、40手目までに飛車が3四の歩を取った",
     [](const LineFacts& f, const Classification& c, int) {
         return c.type == GameType::DoubleStatic &&
                (f.sides[0].rookTookPawnAt34 <= 40 || f.sides[1].rookTookPawnAt34 <= 40);
     }},
    {Opening::DoubleWing, Scope::Game, "相居飛車で、両者が12手目までに飛車先の歩を2五へ伸ばした",
     [](const LineFacts& f, const Classification& c, int) {
         return c.type == GameType::DoubleStatic && f.sides[0].reachedAt(kPawn, 25) <= 12 &&
                f.sides[1].reachedAt(kPawn, 25) <= 12;
     }},
    {Opening::Gangi, Scope::Game, "相居飛車で、一方が雁木囲いに組んだ",
     [](const LineFacts&, const Classification& c, int) {
         return c.type == GameType::DoubleStatic && eitherCastle(c, Castle::Gangi);
     }},
    {Opening::Yagura, Scope::Game, "相居飛車で、一方が矢倉囲いに組んだ",
     [](const LineFacts&, const Classification& c, int) {
         return c.type == GameType::DoubleStatic && eitherCastle(c, Castle::Yagura);
     }},
    {Opening::Unclassified, Scope::Game, "相居飛車で、ほかのどの規則にも当たらない",
     [](const LineFacts&, const Classification& c, int) {
         return c.type == GameType::DoubleStatic;
     }},
};

}  // namespace

std::span<const CastleRule> castleRules() { return kCastles; }

Strategy strategyOfFile(int file) {
    return file >= 0 && file <= 9 ? kStrategyOfFile[file] : Strategy::StaticRook;
}

std::span<const OpeningRule> openingRules() { return kOpenings; }

}  // namespace core::classify_rules
