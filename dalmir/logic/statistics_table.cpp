#include "dalmir/logic/statistics_table.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "core/text/translation.h"
#include "dalmir/model/table/index_codes.h"

namespace dalmir {

namespace {

using model::IndexEntry;
using model::IndexResult;

bool blackWon(const IndexEntry& e) {
    return e.result == static_cast<uint8_t>(IndexResult::BlackWins);
}
bool whiteWon(const IndexEntry& e) {
    return e.result == static_cast<uint8_t>(IndexResult::WhiteWins);
}

struct Tally {
    int count = 0;
    int first = 0;
    int second = 0;
    std::optional<FilterDefinition> filter;
};

void finish(StatisticsTable& out, std::map<std::string, Tally>& tallies) {
    for (auto& [name, t] : tallies) {
        StatisticsRow row;
        row.name = name;
        row.count = t.count;
        row.share = out.listed == 0 ? 0.0 : t.count * 100.0 / out.listed;
        row.blackWins = t.first;
        row.whiteWins = t.second;
        if (t.first + t.second > 0) row.rate = static_cast<double>(t.first) / (t.first + t.second);
        row.filter = std::move(t.filter);
        out.rows.push_back(std::move(row));
    }
    std::stable_sort(
        out.rows.begin(), out.rows.end(),
        [](const StatisticsRow& a, const StatisticsRow& b) { return a.count > b.count; });
}

}  // namespace

std::optional<StatisticsTable> statisticsTable(StatisticsKind kind,
                                               const model::IndexTable& table) {
    StatisticsTable out;
    out.listed = static_cast<int>(table.displayOrder().size());
    out.firstWinsHeading = core::translate("先手勝");
    out.secondWinsHeading = core::translate("後手勝");
    std::map<std::string, Tally> tallies;
    auto countGame = [](Tally& t, const IndexEntry& e) {
        ++t.count;
        t.first += blackWon(e);
        t.second += whiteWon(e);
    };
    switch (kind) {
        case StatisticsKind::Openings:
            out.nameHeading = core::translate("戦型");
            for (int32_t slot : table.displayOrder()) {
                const IndexEntry& e = table.entry(slot);
                const std::string name(e.openingOrName());
                Tally& t = tallies[name.empty() ? std::string(core::translate("(なし)")) : name];
                if (!name.empty() && !t.filter) {
                    FilterDefinition d;
                    d.header.opening = name;
                    t.filter = d;
                }
                countGame(t, e);
            }
            break;
        case StatisticsKind::Handicaps:
            out.nameHeading = core::translate("手合割");
            for (int32_t slot : table.displayOrder()) {
                const IndexEntry& e = table.entry(slot);
                Tally& t = tallies[std::string(model::handicapText(e.handicap))];
                if (!t.filter) {
                    FilterDefinition d;
                    d.header.handicap = e.handicap + 1;
                    t.filter = d;
                }
                countGame(t, e);
            }
            break;
        case StatisticsKind::Results:
            out.nameHeading = core::translate("結果");
            for (int32_t slot : table.displayOrder()) {
                const IndexEntry& e = table.entry(slot);
                const std::string_view text = model::resultText(e.result, 0);
                Tally& t = tallies[text.empty() ? std::string(core::translate("(なし)"))
                                                : std::string(text)];
                if (!t.filter) {
                    FilterDefinition d;
                    d.kind = FilterKind::Result;
                    d.result = e.result;
                    t.filter = d;
                }
                countGame(t, e);
            }
            break;
        case StatisticsKind::Player:
            out.nameHeading = core::translate("対局者");
            out.firstWinsHeading = core::translate("勝");
            out.secondWinsHeading = core::translate("負");
            for (int32_t slot : table.displayOrder()) {
                const IndexEntry& e = table.entry(slot);
                const std::string black(e.blackPlayer());
                const std::string white(e.whitePlayer());
                for (int side = 0; side < 2; ++side) {
                    const std::string& name = side == 0 ? black : white;
                    if (name.empty() || (side == 1 && name == black)) continue;
                    Tally& t = tallies[name];
                    if (!t.filter) {
                        FilterDefinition d;
                        d.header.playerA = name;
                        t.filter = d;
                    }
                    ++t.count;
                    const bool won = side == 0 ? blackWon(e) : whiteWon(e);
                    const bool lost = side == 0 ? whiteWon(e) : blackWon(e);
                    t.first += won;
                    t.second += lost;
                }
            }
            break;
        case StatisticsKind::NextMoves:
            return std::nullopt;
    }
    finish(out, tallies);
    return out;
}

std::vector<std::string> statisticsHeadings(const StatisticsTable& table) {
    return {table.nameHeading,      core::translate("局数"), core::translate("割合(%)"),
            table.firstWinsHeading, table.secondWinsHeading, core::translate("勝率")};
}

namespace {

std::vector<std::vector<std::string>> cells(const StatisticsTable& table) {
    std::vector<std::vector<std::string>> out;
    out.push_back(statisticsHeadings(table));
    for (const StatisticsRow& r : table.rows) {
        char share[32];
        std::snprintf(share, sizeof share, "%.1f", r.share);
        char rate[32] = "";
        if (r.rate) std::snprintf(rate, sizeof rate, "%.3f", *r.rate);
        out.push_back({r.name, std::to_string(r.count), share, std::to_string(r.blackWins),
                       std::to_string(r.whiteWins), rate});
    }
    return out;
}

std::string csvCell(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

}  // namespace

std::string statisticsText(const StatisticsTable& table) {
    std::string out;
    for (const auto& line : cells(table)) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (i) out += '\t';
            // A tab or line break inside a name would split the cell: written as a blank.
            std::string cell = line[i];
            std::replace_if(
                cell.begin(), cell.end(),
                [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
            out += cell;
        }
        out += '\n';
    }
    return out;
}

std::string statisticsCsv(const StatisticsTable& table) {
    std::string out;
    for (const auto& line : cells(table)) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (i) out += ',';
            out += csvCell(line[i]);
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace dalmir
