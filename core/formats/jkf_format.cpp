#include "core/formats/jkf_format.h"

#include <array>

#include "core/notation/notation.h"

namespace core {

namespace {

constexpr std::array<std::string_view, 14> kPresets{
    "HIRATE", "KY", "KY_R", "KA", "HI", "HIKY", "2", "3", "4", "5", "5_L", "6", "8", "10"};

struct Special {
    std::string_view word;
    TerminalCode code;
};
constexpr std::array<Special, 12> kSpecials{{
    {"TORYO", TerminalCode::Resign},
    {"CHUDAN", TerminalCode::Suspend},
    {"ILLEGAL_MOVE", TerminalCode::FoulLoss},
    {"JISHOGI", TerminalCode::Impasse},
    {"HIKIWAKE", TerminalCode::Impasse},
    {"TSUMI", TerminalCode::Mate},
    {"SENNICHITE", TerminalCode::Repetition},
    {"FUZUMI", TerminalCode::NoMate},
    {"TIME_UP", TerminalCode::TimeLoss},
    {"KACHI", TerminalCode::EnteringKingWin},
    {"MAX_MOVES", TerminalCode::Suspend},
    {"ERROR", TerminalCode::Suspend},
}};

// Relative words by direction-word code (see directionWord).
constexpr std::array<std::string_view, kDirectionWordCount> kRelative{
    "", "", "U", "U", "D", "C", "M", "R", "L", "RD", "RM", "RU", "LD", "LM", "LU"};

}  // namespace

std::string_view jkfPreset(HandicapType type) {
    if (type < 0 || type >= static_cast<int>(kPresets.size())) return "OTHER";
    return kPresets[static_cast<std::size_t>(type)];
}

std::optional<HandicapType> handicapOfJkfPreset(std::string_view preset) {
    for (std::size_t i = 0; i < kPresets.size(); ++i) {
        if (kPresets[i] == preset) return static_cast<HandicapType>(i);
    }
    return std::nullopt;
}

std::string_view jkfSpecial(TerminalCode code, SideByte toMove) {
    switch (code) {
        case TerminalCode::FoulLoss:
            return "ILLEGAL_MOVE";
        case TerminalCode::FoulWin:
            // The side not to move broke a rule.
            return toMove == kSideBlack ? "-ILLEGAL_ACTION" : "+ILLEGAL_ACTION";
        default:
            break;
    }
    for (const Special& s : kSpecials) {
        if (s.code == code) return s.word;
    }
    return {};
}

std::optional<TerminalCode> terminalOfJkfSpecial(std::string_view word, SideByte toMove) {
    if (word == "+ILLEGAL_ACTION" || word == "-ILLEGAL_ACTION") {
        const SideByte offender = word[0] == '+' ? kSideBlack : kSideWhite;
        return offender == toMove ? TerminalCode::FoulLoss : TerminalCode::FoulWin;
    }
    for (const Special& s : kSpecials) {
        if (s.word == word) return s.code;
    }
    return std::nullopt;
}

std::string_view jkfRelative(int hintCode, bool drop) {
    if (drop) return hintCode == kHintAmbiguous ? "H" : "";
    if (hintCode < 0 || hintCode >= kDirectionWordCount) return {};
    return kRelative[static_cast<std::size_t>(hintCode)];
}

}  // namespace core
