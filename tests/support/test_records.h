// Test helpers: the lines of KIF records, to be written into a TempFolder as CP932 with CR LF,
// the way record files reach the database.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/sjis.h"
#include "tests/support/temp_folder.h"

namespace testsupport {

// Header lines of a KIF record; moves follow.
inline std::vector<std::string> kifHeader(std::string_view date = "2013/06/01",
                                          std::string_view black = "羽生善治",
                                          std::string_view white = "谷川浩司") {
    return {"開始日時：" + std::string(date),
            "棋戦：名人戦",
            "戦型：矢倉",
            "手合割：平手",
            "先手：" + std::string(black),
            "後手：" + std::string(white),
            "手数----指手---------消費時間--"};
}

// A KIF record: the header and the moves ("７六歩(77)", "投了" ...), numbered from 1.
inline std::vector<std::string> kifRecord(const std::vector<std::string>& moves,
                                          std::string_view date = "2013/06/01",
                                          std::string_view black = "羽生善治",
                                          std::string_view white = "谷川浩司") {
    std::vector<std::string> lines = kifHeader(date, black, white);
    for (std::size_t i = 0; i < moves.size(); ++i) {
        std::string n = std::to_string(i + 1);
        lines.push_back(std::string(4 - std::min<std::size_t>(n.size(), 4), ' ') + n + " " +
                        moves[i] + "   ( 0:00/00:00:00)");
    }
    return lines;
}

}  // namespace testsupport
