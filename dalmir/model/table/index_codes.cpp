#include "dalmir/model/table/index_codes.h"

#include <array>

#include "core/text/sjis.h"

namespace dalmir::model {

namespace {

template <std::size_t N>
std::array<std::string, N> texts(const std::array<const char*, N>& utf8) {
    std::array<std::string, N> out;
    for (std::size_t i = 0; i < N; ++i) out[i] = utf8[i];
    return out;
}

}  // namespace

std::string_view handicapText(uint8_t handicap) {
    static const auto kTexts =
        texts<kHandicapCount>({"平手", "香落ち", "右香落ち", "角落ち", "飛車落ち", "飛香落ち",
                               "二枚落ち", "三枚落ち", "四枚落ち", "五枚落ち", "左五枚落ち",
                               "六枚落ち", "八枚落ち", "十枚落ち", "その他", "詰将棋"});
    return handicap < kHandicapCount ? std::string_view(kTexts[handicap]) : std::string_view();
}

std::string_view resultText(uint8_t result, uint8_t handicap) {
    static const auto kEven = texts<kResultCount>(
        {"", "先手の勝ち", "後手の勝ち", "持将棋", "千日手", "中断", "詰み", "不詰"});
    static const auto kHandicap = texts<kResultCount>(
        {"", "下手の勝ち", "上手の勝ち", "持将棋", "千日手", "中断", "詰み", "不詰"});
    if (result >= kResultCount) return {};
    return isEvenHandicap(handicap) ? kEven[result] : kHandicap[result];
}

std::string markText(uint8_t marks) {
    std::string text = "    ";
    if (marks & kMarkUser1) text[0] = '*';
    if (marks & kMarkUser2) text[1] = '#';
    if (marks & kMarkComments) text[2] = 'C';
    if (marks & kMarkVariations) text[3] = '+';
    return text;
}

uint8_t handicapFromOldVersion(uint8_t oldCode) {
    static constexpr std::array<uint8_t, 15> kMap = {0,  1,  3,  4, 5, 6, 8, 11,
                                                     12, 13, 14, 0, 0, 0, 0};
    return oldCode < kMap.size() ? kMap[oldCode] : static_cast<uint8_t>(IndexHandicap::Other);
}

}  // namespace dalmir::model
