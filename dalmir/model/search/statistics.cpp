#include "dalmir/model/search/statistics.h"

#include <cstdio>
#include <vector>

#include "core/text/sjis.h"
#include "dalmir/model/table/duplicate_criteria.h"

namespace dalmir::model {

namespace {

// The formats hold UTF-8 text; a '%' is never a byte of another character. Texts of a column
// are aligned by Shift-JIS width (alignRight) before they are formatted as "%s". A
// template, not "...": va_start after a reference parameter is undefined.
template <typename... Args>
void appendf(std::string& out, const std::string& format, Args... args) {
    char buf[512];
    // The trailing 0 is never read; it keeps a format without arguments (which still has "%%"
    // to print) from looking like text passed as a format.
    int n = std::snprintf(buf, sizeof buf, format.c_str(), args..., 0);
    if (n > 0) out.append(buf, static_cast<std::size_t>(std::min<int>(n, sizeof buf - 1)));
}

// s padded with spaces to a Shift-JIS width of at least `width`: on the left as "%26s" aligned
// Shift-JIS bytes, or on the right as "%-10s".
std::string alignRight(std::string_view s, std::size_t width) {
    const std::size_t w = core::cp932Width(s);
    std::string out(w < width ? width - w : 0, ' ');
    out += s;
    return out;
}

std::string alignLeft(std::string_view s, std::size_t width) {
    const std::size_t w = core::cp932Width(s);
    std::string out(s);
    if (w < width) out.append(width - w, ' ');
    return out;
}

struct Formats {
    std::string blackWins = std::string("先手(下手)勝ち： %5d");
    std::string whiteWins = std::string("\r\n後手(上手)勝ち： %5d");
    std::string repetitions = std::string("\r\n千日手　　　　： %5d");
    std::string jishogi = std::string("\r\n持将棋　　　　： %5d");
    std::string blackRate = std::string("\r\n先手(下手)勝率： %4.3f");
    std::string whiteRate = std::string("\r\n後手(上手)勝率： %4.3f");
    std::string averageMoves = std::string("\r\n平均手数　　　： %4.3f");

    std::string playerGames = std::string("棋譜数： %4d\r\n");
    std::string playerWins = std::string("\r\n勝ち　： %4d");
    std::string playerLosses = std::string("\r\n負け　： %4d");
    std::string playerRepetitions = std::string("\r\n千日手： %4d");
    std::string playerJishogi = std::string("\r\n持将棋： %4d");
    std::string playerRate = std::string("\r\n勝率　： %4.3f");
    std::string playerBoth = std::string("\r\n'%s'同士： %4d");
    std::string playerAverage = std::string("\r\n平均手数： %4.3f");

    std::string rule = std::string("────────────────────────────\r\n");
    std::string openingsHeader =
        std::string("                  戦型       　棋譜数  割合(%%)  先手勝率\r\n");
    std::string openingNone = std::string("（なし）");
    std::string openingFirstRow = std::string("    %s： %4d %5.1f%%");
    std::string openingRow = std::string("%3d:%s： %4d %5.1f%%");
    std::string openingTotal =
        std::string("計                               %4d   100%%    %4.3f\r\n");

    std::string handicapRow = std::string("%2d:%s： %5d %5.1f%%\r\n");
    std::string handicapTotal = std::string("                計%5d局\r\n");

    std::string nextHeaderHandicap = std::string("   次の手　　棋譜数(%%)　先手(下手)勝率\r\n");
    std::string nextHeaderEven = std::string("   次の手　  　棋譜数(%%)   　先手勝率\r\n");
    std::string nextWins = std::string("  %5d勝  %5d敗");
    std::string nextTotal = std::string("計            ");
};

const Formats& formats() {
    static const Formats f;
    return f;
}

bool isResult(const IndexEntry& e, IndexResult r) { return e.result == static_cast<uint8_t>(r); }

double ratio(long part, long whole) {
    return whole == 0 ? 0.0 : static_cast<double>(part) / static_cast<double>(whole);
}

// A row of the openings or next-move table.
struct Row {
    std::string text;
    int count = 0;
    int blackWins = 0;
    int whiteWins = 0;
};

void count(Row& row, const IndexEntry& e) {
    ++row.count;
    if (isResult(e, IndexResult::BlackWins)) ++row.blackWins;
    if (isResult(e, IndexResult::WhiteWins)) ++row.whiteWins;
}

// Largest count first, by the exchange procedure the reports have always used (rows of equal
// count may change places).
void exchangeSort(std::vector<Row>& rows, std::size_t first) {
    for (std::size_t i = first; i + 1 < rows.size(); ++i) {
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            if (rows[i].count < rows[j].count) std::swap(rows[i], rows[j]);
        }
    }
}

constexpr std::size_t kMaxOpeningRows = 1022;
constexpr std::size_t kMaxNextMoveRows = 16;

}  // namespace

std::string resultsReport(const IndexTable& table) {
    int black = 0, white = 0, repetitions = 0, jishogi = 0;
    long moves = 0;
    for (int32_t slot : table.displayOrder()) {
        const IndexEntry& e = table.entry(slot);
        black += isResult(e, IndexResult::BlackWins);
        white += isResult(e, IndexResult::WhiteWins);
        repetitions += isResult(e, IndexResult::Repetition);
        jishogi += isResult(e, IndexResult::Jishogi);
        moves += e.moveCount;
    }
    const Formats& f = formats();
    std::string out;
    appendf(out, f.blackWins, black);
    appendf(out, f.whiteWins, white);
    appendf(out, f.repetitions, repetitions);
    appendf(out, f.jishogi, jishogi);
    if (black + white > 0) {
        appendf(out, f.blackRate, ratio(black, black + white));
        appendf(out, f.whiteRate, ratio(white, black + white));
    }
    const long listed = static_cast<long>(table.displayOrder().size());
    if (listed > 0) appendf(out, f.averageMoves, ratio(moves, listed));
    return out;
}

std::string PlayerStatistics::compute(const IndexTable& table, std::string_view name,
                                      bool ignoreBlanks) {
    name = core::cutToBytes(name, 255);
    if (name.empty()) return report();
    m_name = std::string(name);
    m_games = m_both = m_wins = m_losses = m_repetitions = m_jishogi = 0;
    m_moves = 0;
    const std::string wanted = ignoreBlanks ? withoutBlanks(name) : std::string(name);
    for (int32_t slot : table.displayOrder()) {
        const IndexEntry& e = table.entry(slot);
        std::string black(e.blackPlayer()), white(e.whitePlayer());
        if (ignoreBlanks) {
            black = withoutBlanks(black);
            white = withoutBlanks(white);
        }
        const bool asBlack = core::findText(black, wanted) != std::string::npos;
        const bool asWhite = core::findText(white, wanted) != std::string::npos;
        if (!asBlack && !asWhite) continue;
        ++m_games;
        if (asBlack && asWhite) {
            ++m_both;
        } else {
            const bool blackWon = isResult(e, IndexResult::BlackWins);
            const bool whiteWon = isResult(e, IndexResult::WhiteWins);
            if ((asBlack && blackWon) || (asWhite && whiteWon)) ++m_wins;
            if ((asBlack && whiteWon) || (asWhite && blackWon)) ++m_losses;
        }
        m_repetitions += isResult(e, IndexResult::Repetition);
        m_jishogi += isResult(e, IndexResult::Jishogi);
        m_moves += e.moveCount;
    }
    return report();
}

std::string PlayerStatistics::report() const {
    const Formats& f = formats();
    std::string out;
    appendf(out, f.playerGames, m_games);
    appendf(out, f.playerWins, m_wins);
    appendf(out, f.playerLosses, m_losses);
    appendf(out, f.playerRepetitions, m_repetitions);
    appendf(out, f.playerJishogi, m_jishogi);
    if (m_wins + m_losses > 0) appendf(out, f.playerRate, ratio(m_wins, m_wins + m_losses));
    if (m_both > 0) appendf(out, f.playerBoth, m_name.c_str(), m_both);
    if (m_games > 0) appendf(out, f.playerAverage, ratio(m_moves, m_games));
    return out;
}

std::string openingsReport(const IndexTable& table) {
    std::vector<Row> rows(1);
    int black = 0, white = 0;
    for (int32_t slot : table.displayOrder()) {
        const IndexEntry& e = table.entry(slot);
        black += isResult(e, IndexResult::BlackWins);
        white += isResult(e, IndexResult::WhiteWins);
        // The record's own 戦型 first, the classifier's name where it has none.
        std::string_view opening = e.openingOrName();
        if (opening.empty()) {
            count(rows[0], e);
            continue;
        }
        std::size_t r = 1;
        while (r < rows.size() && rows[r].text != opening) ++r;
        if (r == rows.size()) {
            if (rows.size() - 1 >= kMaxOpeningRows) continue;
            rows.push_back(Row{std::string(opening)});
        }
        count(rows[r], e);
    }
    exchangeSort(rows, 1);
    const Formats& f = formats();
    const int listed = static_cast<int>(table.displayOrder().size());
    auto percent = [&](int n) { return listed == 0 ? 0.0 : n * 100.0 / listed; };
    auto rate = [&](std::string& out, const Row& row) {
        if (row.blackWins + row.whiteWins > 0) {
            appendf(out, "    %4.3f", ratio(row.blackWins, row.blackWins + row.whiteWins));
        }
        out += "\r\n";
    };
    std::string out;
    appendf(out, f.openingsHeader);
    out += f.rule;
    appendf(out, f.openingFirstRow, alignRight(f.openingNone, 26).c_str(), rows[0].count,
            percent(rows[0].count));
    rate(out, rows[0]);
    for (std::size_t n = 1; n < rows.size(); ++n) {
        appendf(out, f.openingRow, static_cast<int>(n), alignRight(rows[n].text, 26).c_str(),
                rows[n].count, percent(rows[n].count));
        rate(out, rows[n]);
    }
    out += f.rule;
    appendf(out, f.openingTotal, listed, ratio(black, black + white));
    return out;
}

std::string handicapsReport(const IndexTable& table) {
    std::array<int, kHandicapCount> counts{};
    for (int32_t slot : table.displayOrder()) {
        uint8_t h = table.entry(slot).handicap;
        if (h < kHandicapCount) ++counts[h];
    }
    static const std::array<std::string, 15> kNames = {
        std::string("平手　　"), std::string("香落ち　"),   std::string("右香落ち"),
        std::string("角落ち　"), std::string("飛車落ち"),   std::string("飛香落ち"),
        std::string("二枚落ち"), std::string("三枚落ち"),   std::string("四枚落ち"),
        std::string("五枚落ち"), std::string("左五枚落ち"), std::string("六枚落ち"),
        std::string("八枚落ち"), std::string("十枚落ち"),   std::string("その他　")};
    const Formats& f = formats();
    const int listed = static_cast<int>(table.displayOrder().size());
    std::string out;
    for (std::size_t code = 0; code < kNames.size(); ++code) {
        if (counts[code] == 0) continue;
        appendf(out, f.handicapRow, static_cast<int>(code) + 1,
                alignRight(kNames[code], 12).c_str(), counts[code],
                listed == 0 ? 0.0 : counts[code] * 100.0 / listed);
    }
    out += "---------------------------------\r\n";
    appendf(out, f.handicapTotal, listed);
    return out;
}

std::string nextMoveReport(const IndexTable& table) {
    std::vector<Row> rows;
    int black = 0, white = 0, placed = 0;
    bool handicap = false;
    for (int32_t slot : table.displayOrder()) {
        const IndexEntry& e = table.entry(slot);
        handicap = handicap || e.handicap != 0;
        if (e.nextMove().empty()) continue;
        black += isResult(e, IndexResult::BlackWins);
        white += isResult(e, IndexResult::WhiteWins);
        std::size_t r = 0;
        while (r < rows.size() && rows[r].text != e.nextMove()) ++r;
        if (r == rows.size()) {
            if (rows.size() >= kMaxNextMoveRows) continue;
            rows.push_back(Row{std::string(e.nextMove())});
        }
        count(rows[r], e);
        ++placed;
    }
    exchangeSort(rows, 0);
    const Formats& f = formats();
    std::string out;
    appendf(out, handicap ? f.nextHeaderHandicap : f.nextHeaderEven);
    out += f.rule;
    auto wins = [&](int b, int w) {
        if (b + w == 0) return;
        appendf(out, "    %4.3f", ratio(b, b + w));
        appendf(out, f.nextWins, b, w);
    };
    for (std::size_t n = 0; n < rows.size(); ++n) {
        appendf(out, "%2d.%s ", static_cast<int>(n) + 1, alignLeft(rows[n].text, 10).c_str());
        appendf(out, "%5d ", rows[n].count);
        appendf(out, "(%3d%%) ", placed == 0 ? 0 : rows[n].count * 100 / placed);
        wins(rows[n].blackWins, rows[n].whiteWins);
        out += "\r\n";
    }
    out += f.rule;
    out += f.nextTotal;
    appendf(out, "%5d ", static_cast<int>(table.displayOrder().size()));
    out += "       ";
    wins(black, white);
    out += "\r\n\r\nDalmir V6.20";
    return out;
}

}  // namespace dalmir::model
