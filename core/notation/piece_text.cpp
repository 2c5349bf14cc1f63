#include "core/notation/piece_text.h"

#include <cstdint>

#include "core/text/sjis.h"

namespace core {

namespace {

// The tables are constant, so they are ready before anything runs. The recognisers look up the code
// point of the first character.
constexpr std::array<std::string_view, 16> kPieceTexts{
    "　", "歩", "香", "桂", "銀", "金", "角", "飛", "玉", "と", "杏", "圭", "全", "金", "馬", "龍",
};

constexpr std::array<std::string_view, 11> kNumeralTexts{
    "零", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十",
};

}  // namespace

const std::array<std::string_view, 16> kPieceKanji = kPieceTexts;

const std::array<std::string_view, 10> kFullWidthDigits{
    "０", "１", "２", "３", "４", "５", "６", "７", "８", "９",
};

const std::array<std::string_view, 11> kRankNumerals = kNumeralTexts;

const std::string_view kKeyHandicap = "手合割：";
const std::string_view kKeyBlack = "先手：";
const std::string_view kKeyWhite = "後手：";
const std::string_view kKeyLower = "下手：";
const std::string_view kKeyUpper = "上手：";
const std::string_view kKeyVariation = "変化：";
const std::string_view kKeyFlipped = "盤面回転";
const std::string_view kBlackToMove = "先手番";
const std::string_view kWhiteToMove = "後手番";
const std::string_view kLowerToMove = "下手番";
const std::string_view kUpperToMove = "上手番";
const std::string_view kHandNone = "なし";
const std::string_view kWordUpTo = "まで";
const std::string_view kWordStartPosition = "開始局面";
const std::string_view kWordPly = "手目";
namespace {

constexpr std::array<std::string_view, 16> kHandicapNames{
    "平手　　", "香落ち　", "右香落ち", "角落ち　", "飛車落ち",   "飛香落ち",
    "二枚落ち", "三枚落ち", "四枚落ち", "五枚落ち", "左五枚落ち", "六枚落ち",
    "八枚落ち", "十枚落ち", "その他　", "",
};

constexpr std::string_view kDashNumeral = "－";
constexpr std::string_view kLongVowelNumeral = "ー";
constexpr std::string_view kKatakanaNi = "ニ";
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

constexpr unsigned kPieceMultiplier = 0x3A902931u;
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
        const std::size_t first = kWordPromote.size();
        const int base = lookUp<kPieceMultiplier>(kPieceTable, text.substr(first));
        const bool promotable = base == kLance || base == kKnight || base == kSilver;
        length = promotable ? first + kPieceTexts[static_cast<std::size_t>(base)].size() : 0;
        return promotable ? base + kPromotedBit : 0;
    }
    length = type == 0 ? 0 : charLength(text, 0);
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
    // "０".."９" are U+FF10..U+FF19.
    const unsigned c = charCode(text);
    return c >= 0xFF10 && c <= 0xFF19 ? static_cast<int>(c - 0xFF10) : -1;
}

}  // namespace core
