// The rule tables the classifier applies, and the facts about a line they look at. The tables
// live in opening_rules.cpp, one row per label, so that what gives a label can be read (and
// changed) in one place; the classifier gathers the facts and reports which row fired.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/classify/classifier.h"

namespace core::classify_rules {

// A ply that never came.
inline constexpr std::uint16_t kNever = 0xFFFF;

// How far into the line each kind of rule looks (plies, both sides' moves counted).
inline constexpr int kRookWindow = 40;    // where the rook settles
inline constexpr int kCastleWindow = 60;  // the castle built
inline constexpr int kLineWindow = 60;    // nothing beyond this ply is replayed
inline constexpr int kMinPlies = 12;      // shorter lines are not classified

// What one side did in the first kLineWindow plies. Squares are seen from the side itself: its
// own camp is ranks 7..9, its rook starts on 28 and its bishop on 88 whichever colour it plays.
struct SideFacts {
    // Own positions (after each of its moves, up to kRookWindow) at which the rook stood in its
    // own three ranks or the rank before them, by file; counted from its first rook move on.
    std::array<std::uint8_t, 10> rookStay{};
    std::uint8_t lastRookFile = 2;  // the file the rook stood on last while counted
    // First ply at which a move brought the side's piece of a type onto an own square (the
    // unpromoted types 1..8 only; drops count).
    std::array<std::array<std::uint16_t, 100>, 9> reached{};
    std::uint16_t rookTookPawnAt34 = kNever;  // the rook captured a pawn on own 34
    std::uint16_t bishopTaken = kNever;       // first capture of a bishop or horse by this side
    std::uint16_t bishopDropped = kNever;     // first bishop drop
    bool kingMoved = false;
    Castle castle = Castle::None;  // the last castle that stood
    std::uint16_t castlePly = 0;   // when it was completed
    std::int8_t castleRule = -1;

    SideFacts();
    std::uint16_t reachedAt(int type, int ownSquare) const {
        return reached[static_cast<std::size_t>(type)][static_cast<std::size_t>(ownSquare)];
    }
    // First ply the rook reached any square of an own file.
    std::uint16_t rookReachedFile(int file) const;
};

struct LineFacts {
    std::array<SideFacts, 2> sides;  // 0 Black, 1 White
    std::uint16_t plies = 0;
    // The ply by which both sides had taken a bishop (the bishops were exchanged).
    std::uint16_t bishopsExchanged() const {
        return sides[0].bishopTaken > sides[1].bishopTaken ? sides[0].bishopTaken
                                                           : sides[1].bishopTaken;
    }
};

// One piece a castle needs: a type on an own square (or on the alternative square).
struct CastlePiece {
    std::uint8_t type = 0;
    std::uint8_t square = 0;
    std::uint8_t orSquare = 0;
};

struct CastleRule {
    Castle castle;
    std::array<CastlePiece, 4> pieces;  // unused rows have type 0
};

// The castles in the order they are tried: the first row whose pieces all stand wins.
std::span<const CastleRule> castleRules();

// The strategy of a settled rook file 1..9.
Strategy strategyOfFile(int file);

// A named opening rule: the game's opening, or a variant of one side's strategy.
enum class Scope : std::uint8_t { Game, Side };
struct OpeningRule {
    Opening opening;
    Scope scope;
    std::string_view why;  // UTF-8: what the rule asks for
    // side: 0 Black, 1 White (for Scope::Side); c holds the strategies and castles already.
    bool (*fires)(const LineFacts& facts, const Classification& c, int side);
};

// The side variants first, then the game openings, in the order they are tried.
std::span<const OpeningRule> openingRules();

}  // namespace core::classify_rules
