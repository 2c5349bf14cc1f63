// Searching the listed records by what only their moves and comments tell: how the game ended
// (詰み, 投了 ...), the material on the board at a ply or at the end ("飛車2枚 先手"), and a
// text in the comments. A binary database answers the first two from its move lists; comments,
// and everything of a text database, are read from the record files.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dalmir/model/search/search.h"

namespace dalmir::model {

enum class GameEnd : uint8_t {
    Mate,          // 詰み
    Resign,        // 投了
    Repetition,    // 千日手
    Impasse,       // 持将棋
    EnteringKing,  // 入玉宣言
    Foul,          // 反則 (either side)
    Suspend,       // 中断
    TimeLoss,      // 時間切れ
};
// The end a word names ("詰み", "投了", "千日手", "持将棋",
// "入玉宣言", "反則", "中断", "時間切れ"); nullopt for any other word.
std::optional<GameEnd> gameEndNamed(std::string_view word);
// The words, in the order above.
std::string gameEndWord(GameEnd end);

// Pieces a side has on the board: for each unpromoted kind 1..8 the count asked for (promoted
// pieces count as their kind), -1 where nothing is asked.
struct MaterialPattern {
    std::array<int, 9> count{-1, -1, -1, -1, -1, -1, -1, -1, -1};
    bool atLeast = false;  // "以上": at least the count
    int side = -1;         // 0 Black (先手, 下手), 1 White (後手, 上手), -1 either side
};

// Reads a pattern such as "飛車2枚 先手", "角1 金2枚以上 後手", "歩0枚". Items are
// separated by blanks (half- or full-width); digits may be full-width. An error names
// the item it could not read.
struct MaterialParse {
    std::optional<MaterialPattern> pattern;
    std::string error;
};
MaterialParse parseMaterial(std::string_view text);

// Whether the board satisfies the pattern.
bool matchesMaterial(const ReplayBoard& board, const MaterialPattern& pattern);

struct RecordConditions {
    std::optional<GameEnd> end;
    std::optional<MaterialPattern> material;
    int materialPly = -1;  // the ply the material is looked at; -1 the end of the main line
    std::string comment;   // contained in a comment of the main line; empty: any
    bool empty() const { return !end && !material && comment.empty(); }
};

// Lists the listed records that meet every condition (the list is left as it was when none
// does, with "検出できませんでした。"). A record file that cannot be read is asked about as the
// other searches do. A record shorter than materialPly does not match.
SearchReport findByRecordConditions(Database& db, RecordExtractor& extractor, OperationHost& host,
                                    const RecordConditions& conditions);

}  // namespace dalmir::model
