// The code tables of the index: handicap and result codes with their texts, the mark column,
// and the handicap codes of index files written before version 5.2.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dalmir::model {

// Handicap codes of the index (Dalmir's own numbering, not the set-up numbering of the board).
enum class IndexHandicap : uint8_t {
    Even = 0,             // 平手
    Lance = 1,            // 香落ち
    RightLance = 2,       // 右香落ち
    Bishop = 3,           // 角落ち
    Rook = 4,             // 飛車落ち
    RookLance = 5,        // 飛香落ち
    TwoPieces = 6,        // 二枚落ち
    ThreePieces = 7,      // 三枚落ち
    FourPieces = 8,       // 四枚落ち
    FivePieces = 9,       // 五枚落ち
    LeftFivePieces = 10,  // 左五枚落ち
    SixPieces = 11,       // 六枚落ち
    EightPieces = 12,     // 八枚落ち
    TenPieces = 13,       // 十枚落ち
    Other = 14,           // その他: any other set-up
    MatingProblem = 15,   // 詰将棋: the start position lacks one or both kings
};
inline constexpr int kHandicapCount = 16;

enum class IndexResult : uint8_t {
    None = 0,
    BlackWins = 1,   // 先手 (下手) wins
    WhiteWins = 2,   // 後手 (上手) wins
    Jishogi = 3,     // 持将棋
    Repetition = 4,  // 千日手
    Suspended = 5,   // 中断
    Mate = 6,        // 詰み
    NoMate = 7,      // 不詰
};
inline constexpr int kResultCount = 8;

// Mark bits of an entry.
inline constexpr uint8_t kMarkUser1 = 0x01;       // user mark 1, shown as "*"
inline constexpr uint8_t kMarkUser2 = 0x02;       // user mark 2, shown as "#"
inline constexpr uint8_t kMarkComments = 0x04;    // the record file has comments, "C"
inline constexpr uint8_t kMarkVariations = 0x08;  // the record file has variations, "+"

// Whether the players of this handicap are 先手/後手 (even game or mating problem) rather than
// 下手/上手.
constexpr bool isEvenHandicap(uint8_t handicap) {
    return handicap == static_cast<uint8_t>(IndexHandicap::Even) ||
           handicap == static_cast<uint8_t>(IndexHandicap::MatingProblem);
}

// The text of a handicap code as lists and statistics show it; empty for a code above 15.
std::string_view handicapText(uint8_t handicap);

// The display text of a result, worded for the handicap ("先手の勝ち" or "下手の勝ち");
// empty for result 0 and codes above 7.
std::string_view resultText(uint8_t result, uint8_t handicap);

// The four characters of the mark column: "*", "#", "C", "+" or a blank each.
std::string markText(uint8_t marks);

// A handicap code of a file written before version 5.2 in today's numbering. Codes above 14
// have no old meaning and become その他.
uint8_t handicapFromOldVersion(uint8_t oldCode);

}  // namespace dalmir::model
