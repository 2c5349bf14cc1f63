// One player's report over the listed records: games, wins, losses and draws by colour, by
// year, by the player's own opening and the opponent's, by opponent, and the longest streaks.
// Names are matched after normalising them (full-width letters and digits, blanks, title
// suffixes such as 名人 or 九段) and through an alias list the user keeps. The report is a plain
// value; its texts are UTF-8.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dalmir/model/table/index_table.h"

namespace dalmir::model {

// The key a name is matched by (UTF-8): full-width ASCII made half-width, blanks removed, ASCII
// letters lower-cased, a trailing bracketed part and the usual titles and ranks removed from the
// end ("羽生 善治 九段" and "羽生善治名人" give "羽生善治").
std::string normalisedPlayerName(std::string_view name);

// The alias list: lines "正式名 = 別名, 別名" (UTF-8 or CP932), "#" starting a comment line.
class PlayerAliases {
public:
    // Reads the list; nullopt with error set (naming the line) when a line cannot be read.
    static std::optional<PlayerAliases> parse(std::string_view text, std::string& error);
    // The key of the player a name stands for: the canonical name's key when the name is an
    // alias, else the name's own key.
    std::string key(std::string_view name) const;
    bool empty() const { return m_canonical.empty(); }

private:
    std::map<std::string, std::string> m_canonical;  // alias key -> canonical key
};

// Where the alias list lives unless the user names one: $XDG_CONFIG_HOME/dalmir/
// player_aliases.txt (~/.config when the variable is not set).
std::string defaultAliasesPath();

struct Tally {
    int games = 0;
    int wins = 0;
    int losses = 0;
    int draws = 0;          // 千日手, 持将棋
    int others = 0;         // no result, 中断
    void add(int outcome);  // 1 win, -1 loss, 0 draw, 2 other
};

struct PlayerReport {
    std::string name;  // as asked (UTF-8)
    Tally total;
    Tally asBlack;                              // 先手 (下手)
    Tally asWhite;                              // 後手 (上手)
    std::vector<std::pair<int, Tally>> byYear;  // ascending; 0 for games without a date
    // Most games first; "（なし）" for games without a label or 戦型.
    std::vector<std::pair<std::string, Tally>> byOwnOpening;
    std::vector<std::pair<std::string, Tally>> byOpponentOpening;
    std::vector<std::pair<std::string, Tally>> byOpponent;
    int longestWinStreak = 0;  // in date order (then list order)
    int longestLossStreak = 0;
};

// Counts the listed records in which the player (any name that gives the same key) played.
PlayerReport playerReport(const IndexTable& table, std::string_view name,
                          const PlayerAliases& aliases);

// The report as text lines (UTF-8, LF) and as one JSON object.
std::string playerReportText(const PlayerReport& report);
std::string playerReportJson(const PlayerReport& report);

}  // namespace dalmir::model
