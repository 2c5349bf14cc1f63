// Labels a game by the opening of its main line: each side's rook strategy and castle, the game
// type and the named opening, with the rule behind each label. The rules themselves are the
// tables of opening_rules.cpp; this unit replays the line and gathers what they look at. A
// Classification is a small value owned by whoever asked for it; texts are built on request.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/record/record_store.h"

namespace core {

// One main-line element in the compact coding the databases keep: origin is the origin square
// of a board move or the unpromoted kind 1..7 of a dropped piece; destination is the square plus
// kPromoteFlag when the move promotes, or a terminal code 0..10 for a closing entry.
struct LineMove {
    std::uint8_t origin = 0;
    std::uint8_t destination = 0;
};

// The main line of a record in that coding (closing entry included).
void mainLineMoves(const RecordStore& store, std::vector<LineMove>& out);

// How a side uses its rook, by the file (counted from its own side) it settles on.
enum class Strategy : std::uint8_t {
    None = 0,
    StaticRook,   // 居飛車: files 1 and 2
    SideRook,     // 袖飛車: file 3
    RightFourth,  // 右四間飛車: file 4
    Central,      // 中飛車: file 5
    Fourth,       // 四間飛車: file 6
    Third,        // 三間飛車: file 7
    Opposing,     // 向かい飛車: file 8
    FarRanging,   // 振り飛車 on file 9
};
constexpr bool isRanging(Strategy s) { return s >= Strategy::Central; }

enum class Castle : std::uint8_t {
    None = 0,
    Mino,            // 美濃囲い
    HighMino,        // 高美濃囲い
    SilverCrown,     // 銀冠
    StaticAnaguma,   // 居飛車穴熊
    RangingAnaguma,  // 振り飛車穴熊
    Yagura,          // 矢倉囲い
    Funa,            // 舟囲い
    LeftMino,        // 左美濃
    Gangi,           // 雁木囲い
    Elmo,            // エルモ囲い
    Millennium,      // ミレニアム
    CentralKing,     // 中住まい
    KingAtHome,      // 居玉
};

enum class GameType : std::uint8_t {
    None = 0,
    DoubleStatic,   // 相居飛車
    StaticRanging,  // 対抗形
    DoubleRanging,  // 相振り飛車
};

// Named openings: of the game, or of one side (the ranging variants).
enum class Opening : std::uint8_t {
    None = 0,
    Yagura,           // 矢倉
    BishopExchange,   // 角換わり
    DoubleWing,       // 相掛かり
    SidePawn,         // 横歩取り
    Gangi,            // 雁木
    RangingExchange,  // 角交換振り飛車
    Gokigen,          // ゴキゲン中飛車
    Ishida,           // 石田流
    EarlyIshida,      // 早石田
    Sujichigai,       // 筋違い角
    Unclassified,     // 力戦
    DoubleRanging,    // 相振り飛車
};

enum class ClassifyStatus : std::uint8_t {
    Classified = 0,
    Handicap,     // labelled by its handicap only
    CustomStart,  // starts from a position of its own: not classified
    TooShort,     // fewer moves than the rules need
};

struct SideClass {
    Strategy strategy = Strategy::None;
    Opening variant = Opening::None;  // a ranging variant this side played
    Castle castle = Castle::None;
    std::uint8_t rookFile = 0;    // the file the rook settled on, from the side's own view
    std::uint8_t rookPlies = 0;   // how many of its positions the rook stood there
    std::uint16_t castlePly = 0;  // the ply at which the castle was last completed
    std::int8_t castleRule = -1;  // row of the castle table that matched
};

struct Classification {
    ClassifyStatus status = ClassifyStatus::Classified;
    HandicapType handicap = kHandicapEven;
    SideClass black;
    SideClass white;
    GameType type = GameType::None;
    Opening opening = Opening::None;
    std::int8_t openingRule = -1;  // row of the opening table that fired
    std::uint16_t plies = 0;       // moves of the line looked at
};

// Classifies a line played from the set-up of the handicap (the index codes 0..13 are the
// HandicapType values). customStart: the line starts from a position of its own.
Classification classifyLine(std::span<const LineMove> line, HandicapType handicap,
                            bool customStart);
// The record's main line from its start.
Classification classifyRecord(const RecordStore& store);

// Names, empty for None.
std::string strategyName(Strategy s);
std::string castleName(Castle c);
std::string gameTypeName(GameType t);
std::string openingName(Opening o);
// A side's label: its variant, or its strategy ("居飛車穴熊" for a static rook in that castle).
std::string sideLabel(const SideClass& side);
// A side's label with its castle: "四間飛車(美濃囲い)", or the label alone.
std::string sideText(const SideClass& side);
// The line a database shows: "▲四間飛車(美濃囲い) △居飛車穴熊", preceded by the named opening
// when neither side's label says it ("角換わり ▲居飛車(矢倉囲い) △居飛車(矢倉囲い)"); the
// handicap's name for a handicap game; empty when not classified.
std::string summaryText(const Classification& c);
// The castles alone: "▲美濃囲い △居飛車穴熊"; empty when neither side has one.
std::string castlesText(const Classification& c);
// castlesText read back from a summaryText: a side's castle is the name in its brackets, or its
// label when that is a castle's name ("居飛車穴熊"). Databases keep only the summary and show the
// castles from it; empty for a handicap's name, an empty or a foreign text.
std::string castlesOfSummary(std::string_view summary);
// The name a 戦型 header would carry: the named opening, or the ranging side's label in a
// game of static against ranging rook; the handicap's name in a handicap game.
std::string openingText(const Classification& c);
// Why each label was given, one line each: which rule of the tables fired.
std::vector<std::string> reasons(const Classification& c);

}  // namespace core
