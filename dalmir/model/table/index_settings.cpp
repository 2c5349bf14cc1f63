#include "dalmir/model/table/index_settings.h"

#include "core/text/sjis.h"

namespace dalmir::model {

std::string_view columnTitle(int column) {
    static const std::array<std::string, kFirstUserColumn> kTitles = [] {
        constexpr std::array<const char*, kFirstUserColumn> kUtf8 = {
            "No.",    "ﾏｰｸ",      "ファイル名", "先手(下手)", "後手(上手)", "手合割",
            "対局日", "終了日",   "棋戦",       "戦型",       "手数",       "結果",
            "表題",   "持ち時間", "場所",       "掲載",       "次の手"};
        std::array<std::string, kFirstUserColumn> out;
        for (int i = 0; i < kFirstUserColumn; ++i) out[i] = std::string(kUtf8[i]);
        return out;
    }();
    if (column < 0 || column >= kFirstUserColumn) return {};
    return kTitles[column];
}

}  // namespace dalmir::model
