#include "core/notation/piece_text.h"

#include <cstdint>

#include "core/text/sjis.h"

namespace core {

namespace {

// The tables are CP932 bytes written out, so they are ready before anything runs; the tests check
// each entry against its UTF-8 spelling. The recognisers switch on their codes.
constexpr std::array<std::string_view, 16> kPieceTexts{
    "\x81\x40",  // 　
    "\x95\xE0",  // 歩
    "\x8D\x81",  // 香
    "\x8C\x6A",  // 桂
    "\x8B\xE2",  // 銀
    "\x8B\xE0",  // 金
    "\x8A\x70",  // 角
    "\x94\xF2",  // 飛
    "\x8B\xCA",  // 玉
    "\x82\xC6",  // と
    "\x88\xC7",  // 杏
    "\x8C\x5C",  // 圭
    "\x91\x53",  // 全
    "\x8B\xE0",  // 金
    "\x94\x6E",  // 馬
    "\x97\xB4",  // 龍
};

constexpr std::array<std::string_view, 11> kNumeralTexts{
    "\x97\xEB",  // 零
    "\x88\xEA",  // 一
    "\x93\xF1",  // 二
    "\x8E\x4F",  // 三
    "\x8E\x6C",  // 四
    "\x8C\xDC",  // 五
    "\x98\x5A",  // 六
    "\x8E\xB5",  // 七
    "\x94\xAA",  // 八
    "\x8B\xE3",  // 九
    "\x8F\x5C",  // 十
};

}  // namespace

const std::array<std::string_view, 16> kPieceKanji = kPieceTexts;

const std::array<std::string_view, 10> kFullWidthDigits{
    "\x82\x4F", "\x82\x50", "\x82\x51", "\x82\x52", "\x82\x53",
    "\x82\x54", "\x82\x55", "\x82\x56", "\x82\x57", "\x82\x58",
};

const std::array<std::string_view, 11> kRankNumerals = kNumeralTexts;

const std::string_view kKeyHandicap = "\x8E\xE8\x8D\x87\x8A\x84\x81\x46";        // 手合割：
const std::string_view kKeyBlack = "\x90\xE6\x8E\xE8\x81\x46";                   // 先手：
const std::string_view kKeyWhite = "\x8C\xE3\x8E\xE8\x81\x46";                   // 後手：
const std::string_view kKeyLower = "\x89\xBA\x8E\xE8\x81\x46";                   // 下手：
const std::string_view kKeyUpper = "\x8F\xE3\x8E\xE8\x81\x46";                   // 上手：
const std::string_view kKeyVariation = "\x95\xCF\x89\xBB\x81\x46";               // 変化：
const std::string_view kKeyFlipped = "\x94\xD5\x96\xCA\x89\xF1\x93\x5D";         // 盤面回転
const std::string_view kBlackToMove = "\x90\xE6\x8E\xE8\x94\xD4";                // 先手番
const std::string_view kWhiteToMove = "\x8C\xE3\x8E\xE8\x94\xD4";                // 後手番
const std::string_view kLowerToMove = "\x89\xBA\x8E\xE8\x94\xD4";                // 下手番
const std::string_view kUpperToMove = "\x8F\xE3\x8E\xE8\x94\xD4";                // 上手番
const std::string_view kHandNone = "\x82\xC8\x82\xB5";                           // なし
const std::string_view kWordUpTo = "\x82\xDC\x82\xC5";                           // まで
const std::string_view kWordStartPosition = "\x8A\x4A\x8E\x6E\x8B\xC7\x96\xCA";  // 開始局面
const std::string_view kWordPly = "\x8E\xE8\x96\xDA";                            // 手目

namespace {

constexpr std::array<std::string_view, 16> kHandicapNames{
    "\x95\xBD\x8E\xE8\x81\x40\x81\x40",          // 平手　　
    "\x8D\x81\x97\x8E\x82\xBF\x81\x40",          // 香落ち　
    "\x89\x45\x8D\x81\x97\x8E\x82\xBF",          // 右香落ち
    "\x8A\x70\x97\x8E\x82\xBF\x81\x40",          // 角落ち　
    "\x94\xF2\x8E\xD4\x97\x8E\x82\xBF",          // 飛車落ち
    "\x94\xF2\x8D\x81\x97\x8E\x82\xBF",          // 飛香落ち
    "\x93\xF1\x96\x87\x97\x8E\x82\xBF",          // 二枚落ち
    "\x8E\x4F\x96\x87\x97\x8E\x82\xBF",          // 三枚落ち
    "\x8E\x6C\x96\x87\x97\x8E\x82\xBF",          // 四枚落ち
    "\x8C\xDC\x96\x87\x97\x8E\x82\xBF",          // 五枚落ち
    "\x8D\xB6\x8C\xDC\x96\x87\x97\x8E\x82\xBF",  // 左五枚落ち
    "\x98\x5A\x96\x87\x97\x8E\x82\xBF",          // 六枚落ち
    "\x94\xAA\x96\x87\x97\x8E\x82\xBF",          // 八枚落ち
    "\x8F\x5C\x96\x87\x97\x8E\x82\xBF",          // 十枚落ち
    "\x82\xBB\x82\xCC\x91\xBC\x81\x40",          // その他　
    "",
};

constexpr std::string_view kKingAlt = "\x89\xA4";           // 王
constexpr std::string_view kDashNumeral = "\x81\x7C";       // －
constexpr std::string_view kLongVowelNumeral = "\x81\x5B";  // ー
constexpr std::string_view kKatakanaNi = "\x83\x6A";        // ニ

}  // namespace

std::string_view handicapName(HandicapType type) {
    if (type < 0 || type >= kHandicapCount) return {};
    return kHandicapNames[static_cast<std::size_t>(type)];
}

namespace {

// The recognisers look a character up in a small table: its code, multiplied by a constant chosen
// so that every listed character has a slot of its own, gives the slot; the slot's code must
// match. One multiplication and one comparison, no chain of tests.
struct CodeSlot {
    std::uint16_t code = 0;
    std::uint8_t value = 0;
};
template <unsigned kMultiplier>
constexpr std::size_t slotOf(unsigned code) {
    return static_cast<std::size_t>(((code * kMultiplier) & 0xFFFFFFFFu) >> 27);
}
using CodeTable = std::array<CodeSlot, 32>;

// Puts a character's value in its slot. Two characters in one slot: no constant expression, so
// the build stops.
template <unsigned kMultiplier>
constexpr void putCode(CodeTable& table, std::string_view text, int value) {
    CodeSlot& slot = table[slotOf<kMultiplier>(charCode(text))];
    if (slot.value != 0) throw "code table collision";
    slot = {static_cast<std::uint16_t>(charCode(text)), static_cast<std::uint8_t>(value)};
}

// Marks "成" in the piece table: a promoted lance, knight or silver may follow.
constexpr std::uint8_t kPromotedPrefix = 0xFF;

constexpr unsigned kPieceMultiplier = 0x0F8D8101u;
constexpr CodeTable makePieceTable() {
    CodeTable table{};
    auto put = [&table](std::string_view text, int value) {
        putCode<kPieceMultiplier>(table, text, value);
    };
    // Entry 13 is "金" again: entry 5 reads first.
    for (int type = 1; type <= 15; ++type) {
        if (type != 13) put(kPieceTexts[static_cast<std::size_t>(type)], type);
    }
    put(kKingAlt, kKing);
    put(kDragonRyu, kDragon);
    put(kWordPromote, kPromotedPrefix);
    return table;
}
constexpr CodeTable kPieceTable = makePieceTable();

constexpr unsigned kNumeralMultiplier = 0x9E3779B1u;
constexpr CodeTable makeNumeralTable() {
    CodeTable table{};
    auto put = [&table](std::string_view text, int value) {
        putCode<kNumeralMultiplier>(table, text, value);
    };
    for (int n = 1; n <= 10; ++n) put(kNumeralTexts[static_cast<std::size_t>(n)], n);
    put(kDashNumeral, 1);
    put(kLongVowelNumeral, 1);
    put(kKatakanaNi, 2);
    return table;
}
constexpr CodeTable kNumeralTable = makeNumeralTable();

// The value of the character text starts with in table; 0 when it has none.
template <unsigned kMultiplier>
int lookUp(const CodeTable& table, std::string_view text) {
    const unsigned code = charCode(text);
    const CodeSlot& slot = table[slotOf<kMultiplier>(code)];
    return slot.code == code ? slot.value : 0;
}

}  // namespace

int pieceTypeFromText(std::string_view text, std::size_t& length) {
    const int type = lookUp<kPieceMultiplier>(kPieceTable, text);
    if (type == kPromotedPrefix) {
        // "成香", "成桂", "成銀"; "成" alone is no piece.
        const int base = lookUp<kPieceMultiplier>(kPieceTable, text.substr(2));
        const bool promotable = base == kLance || base == kKnight || base == kSilver;
        length = promotable ? 4 : 0;
        return promotable ? base + kPromotedBit : 0;
    }
    length = type == 0 ? 0 : 2;
    return type;
}

int pieceTypeFromText(std::string_view text) {
    std::size_t length = 0;
    return pieceTypeFromText(text, length);
}

int numeralFromText(std::string_view text) {
    return lookUp<kNumeralMultiplier>(kNumeralTable, text);
}

int fullWidthDigitFromText(std::string_view text) {
    // "０".."９" are 0x824F..0x8258.
    const unsigned c = charCode(text);
    return c >= 0x824F && c <= 0x8258 ? static_cast<int>(c - 0x824F) : -1;
}

}  // namespace core
