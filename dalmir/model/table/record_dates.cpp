#include "dalmir/model/table/record_dates.h"

#include <array>
#include <climits>
#include <string>

#include "core/notation/piece_text.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/era_table.h"

namespace dalmir::model {

namespace {

struct DateWords {
    std::string year = std::string("年");
    std::string month = std::string("月");
    std::string first = std::string("元");  // the first year of an era
};

const DateWords& words() {
    static const DateWords w;
    return w;
}

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a text the way a formatted scan does: a number skips leading white space and takes an
// optional sign and at least one digit; a literal must match exactly.
class Scanner {
public:
    explicit Scanner(std::string_view s) : m_s(s) {}

    bool number(int& value) {
        std::size_t i = m_i;
        while (i < m_s.size() && isSpace(m_s[i])) ++i;
        bool negative = false;
        if (i < m_s.size() && (m_s[i] == '+' || m_s[i] == '-')) negative = m_s[i++] == '-';
        if (i >= m_s.size() || !isDigit(m_s[i])) return false;
        long long v = 0;
        for (; i < m_s.size() && isDigit(m_s[i]); ++i) {
            if (v < INT_MAX) v = v * 10 + (m_s[i] - '0');
        }
        if (v > INT_MAX) v = INT_MAX;
        value = static_cast<int>(negative ? -v : v);
        m_i = i;
        return true;
    }

    bool literal(std::string_view text) {
        if (m_s.substr(m_i).starts_with(text)) {
            m_i += text.size();
            return true;
        }
        return false;
    }

    // Exactly n bytes, whatever they are.
    bool chars(std::size_t n, std::string_view& out) {
        if (m_s.size() - m_i < n) return false;
        out = m_s.substr(m_i, n);
        m_i += n;
        return true;
    }

    // A number written in kanji ("元", "五", "十二", "二十五", "三十一") or full-width digits.
    bool kanjiNumber(int& value) {
        std::size_t start = m_i;
        if (literal(words().first)) {
            value = 1;
            return true;
        }
        int total = 0;
        int current = 0;
        bool any = false;
        for (;;) {
            std::string_view rest = m_s.substr(m_i);
            int digit = core::fullWidthDigitFromText(rest);
            int numeral = kanjiNumeral(rest);
            if (digit >= 0) {
                current = current * 10 + digit;
            } else if (numeral == 10) {
                total += (current == 0 ? 1 : current) * 10;
                current = 0;
            } else if (numeral > 0) {
                current = current * 10 + numeral;
            } else {
                break;
            }
            any = true;
            m_i += core::charLength(m_s, m_i);
            if (total + current > 100000) break;
        }
        if (!any) {
            m_i = start;
            return false;
        }
        value = total + current;
        return true;
    }

    // A number in digits or in kanji.
    bool anyNumber(int& value) { return number(value) || kanjiNumber(value); }

private:
    static int kanjiNumeral(std::string_view text) {
        for (int n = 1; n <= 10; ++n) {
            if (text.starts_with(core::kRankNumerals[static_cast<std::size_t>(n)])) return n;
        }
        return 0;
    }

    std::string_view m_s;
    std::size_t m_i = 0;
};

// Up to three numbers separated by sep ("%d/%d/%d"); returns how many were read.
int scanSeparated(std::string_view text, char sep, std::array<int, 3>& n) {
    Scanner s(text);
    const char separator[2] = {sep, '\0'};
    int count = 0;
    for (; count < 3; ++count) {
        if (count > 0 && !s.literal(separator)) break;
        if (!s.number(n[static_cast<std::size_t>(count)])) break;
    }
    return count;
}

// "%d年%d月%d": year, month and day in digits.
int scanKanjiSeparated(Scanner& s, std::array<int, 3>& n) {
    if (!s.number(n[0])) return 0;
    if (!s.literal(words().year) || !s.number(n[1])) return 1;
    if (!s.literal(words().month) || !s.number(n[2])) return 2;
    return 3;
}

IndexDate makeDate(int year, int month, int day) {
    IndexDate d;
    if (year > 0 && year <= 0xFFFF) d.year = static_cast<uint16_t>(year);
    if (month > 0 && month <= 0xFF) d.month = static_cast<uint8_t>(month);
    if (day > 0 && day <= 0xFF) d.day = static_cast<uint8_t>(day);
    return d;
}

// The Western forms; twoDigitFrom is the smallest two-digit year read as 19xx.
IndexDate westernDate(std::string_view text, int twoDigitFrom) {
    std::array<int, 3> n{};
    int count = scanSeparated(text, '/', n);
    if (twoDigitFrom == 80) {  // start dates also take "1996.2.14"
        std::array<int, 3> dotted{};
        int dots = scanSeparated(text, '.', dotted);
        if (dots > count) {
            n = dotted;
            count = dots;
        }
    }
    if (count == 3) {
        if (n[0] >= twoDigitFrom && n[0] <= 99) {
            n[0] += 1900;
        } else if (n[2] >= 91 && n[2] <= 99) {
            n = {n[2] + 1900, n[0], n[1]};
        } else if (n[0] >= 0 && n[0] < 10) {
            n[0] += 2000;
        }
    } else if (count == 1) {
        n = {};
        Scanner s(text);
        count = scanKanjiSeparated(s, n);
    }
    if (count == 0) return {};
    return makeDate(n[0], count >= 2 ? n[1] : 0, count >= 3 ? n[2] : 0);
}

// An era form: the era's name, the year of the era (possibly with the Western year in
// parentheses), month and day. nullopt when the year of the era can't be read.
IndexDate eraDate(std::string_view text, const Era& era) {
    const DateWords& w = words();
    int eraYear = 0;
    int month = 0;
    int day = 0;
    bool yearRead = false;
    // The year of the era before "(": one or two digits, or one kanji.
    const std::size_t nameBytes = era.name.size();
    std::size_t yearBytes = 0;
    const std::size_t paren = text.find('(', nameBytes);
    if (paren != std::string_view::npos && paren > nameBytes && paren <= nameBytes + 3) {
        yearBytes = paren - nameBytes;
    }
    if (yearBytes > 0) {
        // "平成5(1993)年6月1日", "平成25(2013)/6/1", "平成元(1989)年..."
        std::string_view yearText = text.substr(nameBytes, yearBytes);
        Scanner y(yearText);
        yearRead = (y.kanjiNumber(eraYear) || y.number(eraYear));
        for (std::string_view separator : {std::string_view(w.year), std::string_view("/")}) {
            Scanner s(text.substr(nameBytes + yearBytes));
            std::string_view western;
            if (!s.literal("(") || !s.chars(4, western) || !s.literal(")")) break;
            if (separator == "/") {
                if (!s.literal("/")) continue;
                // The day is optional.
                if (s.number(month) && s.literal("/")) (void)s.number(day);
            } else {
                if (!s.literal(separator)) continue;
                // The day is optional.
                if (s.anyNumber(month) && s.literal(w.month)) (void)s.anyNumber(day);
            }
            break;
        }
    } else {
        // "平成25年6月1日", "平成元年六月一日"
        Scanner s(text.substr(nameBytes));
        yearRead = s.anyNumber(eraYear);
        if (yearRead && s.literal(w.year) && s.anyNumber(month) && s.literal(w.month)) {
            // The day is optional.
            (void)s.anyNumber(day);
        }
    }
    if (!yearRead) return {};
    return makeDate(era.start.year + eraYear - 1, month, day);
}

}  // namespace

IndexDate parseStartDate(std::string_view text) {
    if (text.empty()) return {};
    if (text[0] == 'H' || text[0] == 'R') {
        // "H25/6/1", "R5/6/1": a year of 平成 or of 令和.
        const Era* era = eraNamedUtf8(text[0] == 'H' ? "平成" : "令和");
        Scanner s(text.substr(1));
        int eraYear = 0;
        int month = 0;
        int day = 0;
        if (era == nullptr || !s.number(eraYear)) return {};
        // The day is optional.
        if (s.literal("/") && s.number(month) && s.literal("/")) (void)s.number(day);
        return makeDate(era->start.year + eraYear - 1, month, day);
    }
    if (const Era* era = eraNamed(text)) return eraDate(text, *era);
    return westernDate(text, 80);
}

IndexDate parseEndDate(std::string_view text) { return westernDate(text, 91); }

}  // namespace dalmir::model
