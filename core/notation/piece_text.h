// The fixed Shift-JIS texts every reader and writer of Japanese record text shares: piece kanji,
// full-width file digits, rank numerals, side marks, handicap names, the words of the notation
// and the keys of the record texts, and the recognisers that read a piece name or a numeral.
// Every entry is UTF-8; the tables are constant.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "core/rules/position.h"

namespace core {

// Kanji of piece types 0..15, one character each; entry 0 is the full-width space "　",
// entry 13 (no piece) is "金" again, promoted pieces use their one-character forms ("杏", "圭",
// "全"; writers that need "成香" and the like spell them out).
extern const std::array<std::string_view, 16> kPieceKanji;

// The king's other form, as the second player's king is often written.
inline constexpr std::string_view kKingAlt = "王";

// "０".."９", index = value.
extern const std::array<std::string_view, 10> kFullWidthDigits;

// "零" "一" .. "十", index = value.
extern const std::array<std::string_view, 11> kRankNumerals;

// Side marks: "▲" Black, "△" and "▽" White, and the user-defined-area alternatives drawn by the
// user's glyph font: CP932 0xF0A7 (U+E066) for Black, 0xF0A5 (U+E064) and 0xF0A6 (U+E065) for
// White.
inline constexpr std::string_view kMarkBlack = "▲";
inline constexpr std::string_view kMarkWhite = "△";
inline constexpr std::string_view kMarkWhiteAlt = "▽";
inline constexpr std::string_view kMarkBlackUser = "\xEE\x81\xA6";
inline constexpr std::string_view kMarkWhiteUser1 = "\xEE\x81\xA4";
inline constexpr std::string_view kMarkWhiteUser2 = "\xEE\x81\xA5";

// Words of the notation: "同", "成", "不成", "打"; the two-character names of the promoted lance,
// knight and silver ("成香", "成桂", "成銀"); "竜", the dragon as many texts write it.
inline constexpr std::string_view kWordSame = "同";
inline constexpr std::string_view kWordPromote = "成";
inline constexpr std::string_view kWordNoPromote = "不成";
inline constexpr std::string_view kWordDrop = "打";
inline constexpr std::string_view kPromotedLanceName = "成香";
inline constexpr std::string_view kPromotedKnightName = "成桂";
inline constexpr std::string_view kPromotedSilverName = "成銀";
inline constexpr std::string_view kDragonRyu = "竜";

// Keys and words of the record texts: "手合割：", the players "先手：" and "後手：" ("下手："
// and "上手：" in a handicap game), "変化：", "盤面回転"; the side-to-move lines "先手番",
// "後手番", "下手番", "上手番"; "なし" for an empty hand; "まで" before the closing words;
// "開始局面" (the start position); "手目" after a ply number.
extern const std::string_view kKeyHandicap;
extern const std::string_view kKeyBlack;
extern const std::string_view kKeyWhite;
extern const std::string_view kKeyLower;
extern const std::string_view kKeyUpper;
extern const std::string_view kKeyVariation;
extern const std::string_view kKeyFlipped;
extern const std::string_view kBlackToMove;
extern const std::string_view kWhiteToMove;
extern const std::string_view kLowerToMove;
extern const std::string_view kUpperToMove;
extern const std::string_view kHandNone;
extern const std::string_view kWordUpTo;
extern const std::string_view kWordStartPosition;
extern const std::string_view kWordPly;

// Handicap names as stored after "手合割：", padded with full-width spaces to four characters
// ("左五枚落ち" is five characters, unpadded). Type 15 (unrecognised) has the empty name.
std::string_view handicapName(HandicapType type);

// Piece type 0..15 of the piece name at the start of text: "王" is the king, "成香" "成桂" "成銀"
// are 10..12 (two characters), "竜" is the dragon, otherwise the first entry 1..15 of kPieceKanji
// equal to the first character (so "金" reads 5). 0 for anything else, "・" included.
int pieceTypeFromText(std::string_view text);
// As above; length receives the bytes the name takes (0 when no piece).
int pieceTypeFromText(std::string_view text, std::size_t& length);

// Rank numeral at the start of text: "一".."十" give 1..10, "－" and "ー" read as 1 and the
// katakana "ニ" as 2; 0 for anything else.
int numeralFromText(std::string_view text);

// Full-width digit "０".."９" at the start of text: 0..9, or -1.
int fullWidthDigitFromText(std::string_view text);

}  // namespace core
