// The lines of the Universal Shogi Interface between the viewer and an engine program: what the
// engine sends ("id", "option", "info", "bestmove") read into plain values, and what the viewer
// sends ("setoption", "go" ...) written from them. No state; the session lives in UsiEngine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/rules/position.h"

namespace usi {

// A score as "info score" gives it, from the side to move's view.
struct UsiScore {
    enum class Kind : std::uint8_t { None, Centipawns, Mate };
    enum class Bound : std::uint8_t { Exact, Lower, Upper };
    Kind kind = Kind::None;
    // Centipawns, or the moves to mate (negative: the side to move is mated). "mate +" and
    // "mate -" without a number give +1 and -1 with signOnly.
    int value = 0;
    bool signOnly = false;
    Bound bound = Bound::Exact;

    friend bool operator==(const UsiScore&, const UsiScore&) = default;
};

// One "info" line. Numbers the line does not give are -1.
struct UsiInfo {
    int depth = -1;
    int selDepth = -1;
    std::int64_t timeMs = -1;
    std::int64_t nodes = -1;
    std::int64_t nps = -1;
    int hashFull = -1;
    int multiPv = 1;
    UsiScore score;
    std::vector<std::string> pv;
    std::string text;  // "string ...": the rest of the line
};

// Reads an "info" line into info (cleared first). False when the line is not an info line or a
// number field holds no number; fields the protocol does not know are skipped.
bool parseInfo(std::string_view line, UsiInfo& info);

enum class UsiOptionType : std::uint8_t { Check, Spin, Combo, Button, String, Filename };

// One "option name N type T default D min A max B var V..." line.
struct UsiOption {
    std::string name;
    UsiOptionType type = UsiOptionType::String;
    std::string defaultValue;  // "<empty>" is read as the empty text
    std::int64_t min = 0;
    std::int64_t max = 0;
    std::vector<std::string> choices;

    friend bool operator==(const UsiOption&, const UsiOption&) = default;
};

// Reads an "option" line; nullopt when it is not one or names no known type.
std::optional<UsiOption> parseOption(std::string_view line);

// A value as the "setoption" line carries it for the option: "true"/"false" for a check, a number
// kept within min..max for a spin, one of the choices for a combo. nullopt when value does not
// fit (a combo value that is no choice, a spin value that is no number).
std::optional<std::string> normalOptionValue(const UsiOption& option, std::string_view value);

// "bestmove M [ponder P]", "bestmove resign", "bestmove win".
struct UsiBestMove {
    enum class Kind : std::uint8_t { Move, Resign, Win };
    Kind kind = Kind::Move;
    std::string move;
    std::string ponder;
};
std::optional<UsiBestMove> parseBestMove(std::string_view line);

// What a "go" asks for. Times in milliseconds; -1 leaves the field out. There is no fixed time per
// move in the protocol: a search of a set length is "go infinite" ended by "stop" after
// stopAfter, which the session sends (engines give it the whole time; with "byoyomi" they keep
// a margin or answer from their book at once).
struct GoLimits {
    bool infinite = false;
    bool ponder = false;
    std::int64_t blackTime = -1;
    std::int64_t whiteTime = -1;
    std::int64_t blackIncrement = -1;
    std::int64_t whiteIncrement = -1;
    std::int64_t byoyomi = -1;
    // A search of a fixed number of nodes ("go nodes N"); it has no time of its own.
    std::int64_t nodes = -1;
    // With infinite: the session sends "stop" this long after "go" (-1: only when asked).
    std::int64_t stopAfter = -1;
};
// "go ponder btime 1000 wtime 1000 byoyomi 3000", "go nodes 100000", "go infinite".
std::string goCommand(const GoLimits& limits);

// "setoption name N value V"; a button gets no value.
std::string setOptionCommand(const UsiOption& option, std::string_view value);
std::string setOptionCommand(std::string_view name, std::string_view value);

// "gameover win|lose|draw".
enum class GameOutcome : std::uint8_t { Win, Lose, Draw };
std::string gameOverCommand(GameOutcome outcome);

// The first move of pv that cannot be played from pos on: its index, or -1 when every move can.
int firstIllegalPvMove(const core::Position& pos, const std::vector<std::string>& pv);

}  // namespace usi
