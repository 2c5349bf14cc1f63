// The pattern language of the sequence search: up to 20 move steps ("+76歩,-34歩",
// "同銀成", "**角打", "投") parsed from text, and the test of one replayed move against
// one step.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dalmir/model/store/list_replay.h"

namespace dalmir::model {

enum class MoveKind : uint8_t {
    Any = 0,
    Promotes = 1,               // 成
    Declines = 2,               // 不: a board move that could have promoted and did not
    Drop = 3,                   // 打
    BoardMove = 4,              // 移
    Captures = 5,               // 取
    Interposition = 6,          // 合
    InterpositionByMoving = 7,  // 移動合
};

// file value of a step that asks for the previous move's destination ("同").
inline constexpr uint8_t kSameSquare = 10;
inline constexpr int kMaxPatternSteps = 20;

struct PatternStep {
    uint8_t side = 0;   // 0 any, 1 Black (先手/下手), 2 White (後手/上手)
    uint8_t file = 0;   // 0 any, 1..9, or kSameSquare
    uint8_t rank = 0;   // 0 any, 1..9
    uint8_t piece = 0;  // 0 any, or a piece type 1..15 (as the piece stood before the move)
    MoveKind kind = MoveKind::Any;
    bool endMarker = false;  // "詰" or "投": the game ends here by 投了 or 詰み

    bool operator==(const PatternStep&) const = default;
};

struct PatternParse {
    std::vector<PatternStep> steps;
    // "駒の指定が間違っています。(%s)" with the faulty step; empty when parsed.
    std::string error;

    bool ok() const { return error.empty(); }
};

// Parses a pattern. Everything from "#" on is a comment; steps are separated
// by "," or blanks; only the first kMaxPatternSteps are read.
PatternParse parsePattern(std::string_view text);

// The piece kind of the word at the start of text (0 for the wildcards "＊", "X", "×", "＃"),
// with its length in bytes; -1 when text starts with no piece word.
int pieceKindOfWord(std::string_view text, std::size_t& length);

// Whether a replayed move fits a step; previous is the move before it (null for the
// first move of the line).
bool stepMatches(const PatternStep& step, const ReplayStep& move, const ReplayStep* previous);

// Whether a list element can fit a step at all, judged from the element alone (its side from
// the ply's parity, destination, drop or promotion flag, the kind of a dropped piece, a closing
// code, "同" from the element before): a move failing this fails stepMatches too.
bool stepMayMatch(const PatternStep& step, ListMove move, const ListMove* previous,
                  core::SideByte side);

// The first ply at which the pattern fits the line played from start: -1 when nowhere. Windows
// no element-only test rules out are the only ones replayed and compared in full, and replaying
// stops at the first fit, so most lines are never played to their end. played receives the
// steps replayed (at least through the window found).
int firstSequenceMatch(std::span<const PatternStep> pattern, const ReplayBoard& start,
                       std::span<const ListMove> moves, std::vector<ReplayStep>& played);

// The help text of the sequence dialog (CR LF).
const std::string& sequenceHelpText();

}  // namespace dalmir::model
