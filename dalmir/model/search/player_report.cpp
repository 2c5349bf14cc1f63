#include "dalmir/model/search/player_report.h"

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/index_codes.h"

namespace dalmir::model {

namespace {

// Titles and ranks that follow a name, longest first so that "女流二段" goes before "二段".
constexpr const char* kSuffixes[] = {
    "女流名人", "女流王位", "女流王将", "女流王座", "女流初段", "女流一段", "女流二段", "女流三段",
    "女流四段", "女流五段", "女流六段", "永世名人", "永世竜王", "倉敷藤花", "名人",     "竜王",
    "龍王",     "王位",     "王座",     "棋王",     "王将",     "棋聖",     "叡王",     "王者",
    "清麗",     "女王",     "女流",     "初段",     "一段",     "二段",     "三段",     "四段",
    "五段",     "六段",     "七段",     "八段",     "九段",     "十段",     "二冠",     "三冠",
    "四冠",     "五冠",     "六冠",     "七冠",     "八冠",     "アマ",     "先生",     "さん",
    "氏",       "・",       "、",       "段",
};

// Text held in memory is UTF-8 already; a damaged byte shows as U+FFFD.
std::string utf8Of(std::string_view text) { return core::toUtf8Lossy(text); }

// Full-width ASCII made half-width, blanks removed, ASCII lower-cased (UTF-8 in and out).
std::string foldWidth(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c == 0xE3 && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x80 &&
            static_cast<unsigned char>(s[i + 2]) == 0x80) {
            i += 3;  // U+3000
            continue;
        }
        if (c == 0xEF && i + 2 < s.size()) {
            // U+FF01..U+FF5E: EF BC 81..BF, EF BD 80..9E
            auto b1 = static_cast<unsigned char>(s[i + 1]);
            auto b2 = static_cast<unsigned char>(s[i + 2]);
            unsigned code = ((c & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
            if (code >= 0xFF01 && code <= 0xFF5E) {
                char ascii = static_cast<char>(code - 0xFEE0);
                if (ascii >= 'A' && ascii <= 'Z') ascii = static_cast<char>(ascii - 'A' + 'a');
                out += ascii;
                i += 3;
                continue;
            }
        }
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
        ++i;
    }
    return out;
}

std::string keyOfUtf8(std::string_view utf8) {
    std::string name = foldWidth(utf8);
    // A bracketed part at the end: "羽生善治(九段)", "羽生善治（九段）".
    for (const char* open : {"(", "\uff08"}) {
        std::size_t at = name.rfind(open);
        if (at != std::string::npos && at > 0 &&
            (name.ends_with(")") || name.ends_with("\uff09"))) {
            name.resize(at);
        }
    }
    for (bool cut = true; cut;) {
        cut = false;
        for (const char* suffix : kSuffixes) {
            std::string_view s(suffix);
            if (name.size() > s.size() && name.ends_with(s)) {
                name.resize(name.size() - s.size());
                cut = true;
                break;
            }
        }
    }
    return name;
}

// The side labels of a 自動戦型 text: "▲X(c) △Y(c)" gives X and Y; a handicap's name stands
// for both sides.
std::pair<std::string, std::string> sideLabels(const IndexEntry& e) {
    std::string label = utf8Of(e.autoOpening());
    if (label.empty()) {
        std::string own = utf8Of(e.opening());
        return {own, own};
    }
    auto take = [&](const char* mark) -> std::string {
        std::size_t at = label.find(mark);
        if (at == std::string::npos) return {};
        at += std::string_view(mark).size();
        std::size_t end = label.find(' ', at);
        std::string side = label.substr(at, end == std::string::npos ? end : end - at);
        std::size_t paren = side.find('(');
        return paren == std::string::npos ? side : side.substr(0, paren);
    };
    std::string black = take("\u25b2");
    std::string white = take("\u25b3");
    if (black.empty() && white.empty()) return {label, label};
    return {black, white};
}

void addTo(std::vector<std::pair<std::string, Tally>>& rows, const std::string& key, int outcome) {
    std::string name = key.empty() ? "（なし）" : key;
    for (auto& [text, tally] : rows) {
        if (text == name) {
            tally.add(outcome);
            return;
        }
    }
    rows.emplace_back(name, Tally{});
    rows.back().second.add(outcome);
}

void sortRows(std::vector<std::pair<std::string, Tally>>& rows) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.second.games > b.second.games; });
}

std::string tallyText(const Tally& t) {
    char buf[96];
    double rate = t.wins + t.losses == 0 ? 0.0 : 100.0 * t.wins / (t.wins + t.losses);
    std::snprintf(buf, sizeof buf, "%5d局 %5d勝 %5d敗 %4d分 %4d他  勝率 %5.1f%%", t.games, t.wins,
                  t.losses, t.draws, t.others, rate);
    return buf;
}

nlohmann::ordered_json tallyJson(const Tally& t) {
    return {{"games", t.games},
            {"wins", t.wins},
            {"losses", t.losses},
            {"draws", t.draws},
            {"others", t.others}};
}

}  // namespace

void Tally::add(int outcome) {
    ++games;
    if (outcome == 1)
        ++wins;
    else if (outcome == -1)
        ++losses;
    else if (outcome == 0)
        ++draws;
    else
        ++others;
}

std::string normalisedPlayerName(std::string_view name) { return keyOfUtf8(utf8Of(name)); }

std::optional<PlayerAliases> PlayerAliases::parse(std::string_view text, std::string& error) {
    // The list file is UTF-8 or Shift-JIS.
    std::string utf8 = core::ownTextFileText(text);
    if (utf8.starts_with("\xEF\xBB\xBF")) utf8.erase(0, 3);
    PlayerAliases aliases;
    std::size_t start = 0;
    for (int lineNumber = 1; start <= utf8.size(); ++lineNumber) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string::npos) end = utf8.size();
        std::string line = utf8.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string folded = foldWidth(line);
        if (folded.empty() || folded.starts_with("#")) {
            if (end == utf8.size()) break;
            continue;
        }
        std::size_t eq = line.find('=');
        std::string canonical = eq == std::string::npos ? "" : keyOfUtf8(line.substr(0, eq));
        if (canonical.empty()) {
            error =
                core::formatMessageUtf8("別名ファイルの%s行目が読めません。（正式名 = 別名, 別名）",
                                        {std::to_string(lineNumber)});
            return std::nullopt;
        }
        std::string rest = line.substr(eq + 1);
        std::size_t from = 0;
        while (from <= rest.size()) {
            std::size_t comma = rest.find(',', from);
            if (comma == std::string::npos) comma = rest.size();
            std::string alias = keyOfUtf8(rest.substr(from, comma - from));
            if (!alias.empty()) aliases.m_canonical[alias] = canonical;
            from = comma + 1;
        }
        aliases.m_canonical[canonical] = canonical;
        if (end == utf8.size()) break;
    }
    return aliases;
}

std::string PlayerAliases::key(std::string_view name) const {
    std::string own = normalisedPlayerName(name);
    auto it = m_canonical.find(own);
    return it == m_canonical.end() ? own : it->second;
}

std::string defaultAliasesPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.config";
    }
    return base + "/dalmir/player_aliases.txt";
}

PlayerReport playerReport(const IndexTable& table, std::string_view name,
                          const PlayerAliases& aliases) {
    PlayerReport report;
    report.name = utf8Of(name);
    const std::string want = aliases.key(name);
    if (want.empty()) return report;
    struct Game {
        int dateKey;
        int outcome;
    };
    std::vector<Game> games;
    std::map<int, Tally> years;
    for (int32_t slot : table.displayOrder()) {
        const IndexEntry& e = table.entry(slot);
        const bool black = aliases.key(e.blackPlayer()) == want;
        const bool white = !black && aliases.key(e.whitePlayer()) == want;
        if (!black && !white) continue;
        int outcome = 2;
        switch (static_cast<IndexResult>(e.result)) {
            case IndexResult::BlackWins:
                outcome = black ? 1 : -1;
                break;
            case IndexResult::WhiteWins:
                outcome = black ? -1 : 1;
                break;
            case IndexResult::Jishogi:
            case IndexResult::Repetition:
                outcome = 0;
                break;
            default:
                break;
        }
        report.total.add(outcome);
        (black ? report.asBlack : report.asWhite).add(outcome);
        years[e.start.year].add(outcome);
        auto [blackLabel, whiteLabel] = sideLabels(e);
        addTo(report.byOwnOpening, black ? blackLabel : whiteLabel, outcome);
        addTo(report.byOpponentOpening, black ? whiteLabel : blackLabel, outcome);
        addTo(report.byOpponent, utf8Of(black ? e.whitePlayer() : e.blackPlayer()), outcome);
        games.push_back({e.start.year * 512 + e.start.month * 32 + e.start.day, outcome});
    }
    report.byYear.assign(years.begin(), years.end());
    sortRows(report.byOwnOpening);
    sortRows(report.byOpponentOpening);
    sortRows(report.byOpponent);
    std::stable_sort(games.begin(), games.end(),
                     [](const Game& a, const Game& b) { return a.dateKey < b.dateKey; });
    int wins = 0;
    int losses = 0;
    for (const Game& g : games) {
        wins = g.outcome == 1 ? wins + 1 : 0;
        losses = g.outcome == -1 ? losses + 1 : 0;
        report.longestWinStreak = std::max(report.longestWinStreak, wins);
        report.longestLossStreak = std::max(report.longestLossStreak, losses);
    }
    return report;
}

std::string playerReportText(const PlayerReport& r) {
    std::string out = "対局者：" + r.name + "\n";
    out += "通算    " + tallyText(r.total) + "\n";
    out += "先手    " + tallyText(r.asBlack) + "\n";
    out += "後手    " + tallyText(r.asWhite) + "\n";
    out += "最長連勝 " + std::to_string(r.longestWinStreak) + "  最長連敗 " +
           std::to_string(r.longestLossStreak) + "\n";
    out += "\n年別\n";
    for (const auto& [year, t] : r.byYear) {
        out += "  " + (year == 0 ? std::string("不明") : std::to_string(year)) + "  " +
               tallyText(t) + "\n";
    }
    auto rows = [&](const char* title, const std::vector<std::pair<std::string, Tally>>& list) {
        out += std::string("\n") + title + "\n";
        for (const auto& [text, t] : list) out += "  " + text + "  " + tallyText(t) + "\n";
    };
    rows("自分の戦型別", r.byOwnOpening);
    rows("相手の戦型別", r.byOpponentOpening);
    rows("相手別", r.byOpponent);
    return out;
}

std::string playerReportJson(const PlayerReport& r) {
    nlohmann::ordered_json j;
    j["player"] = r.name;
    j["total"] = tallyJson(r.total);
    j["black"] = tallyJson(r.asBlack);
    j["white"] = tallyJson(r.asWhite);
    j["longest_win_streak"] = r.longestWinStreak;
    j["longest_loss_streak"] = r.longestLossStreak;
    auto years = nlohmann::ordered_json::array();
    for (const auto& [year, t] : r.byYear) {
        years.push_back({{"year", year},
                         {"games", t.games},
                         {"wins", t.wins},
                         {"losses", t.losses},
                         {"draws", t.draws},
                         {"others", t.others}});
    }
    j["by_year"] = years;
    auto rows = [](const std::vector<std::pair<std::string, Tally>>& list, const char* key) {
        auto a = nlohmann::ordered_json::array();
        for (const auto& [text, t] : list) {
            a.push_back({{key, text},
                         {"games", t.games},
                         {"wins", t.wins},
                         {"losses", t.losses},
                         {"draws", t.draws},
                         {"others", t.others}});
        }
        return a;
    };
    j["by_own_opening"] = rows(r.byOwnOpening, "opening");
    j["by_opponent_opening"] = rows(r.byOpponentOpening, "opening");
    j["by_opponent"] = rows(r.byOpponent, "opponent");
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace dalmir::model
