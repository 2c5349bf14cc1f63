#include "dalmir/model/table/era_table.h"

#include <array>
#include <string>

#include "core/text/sjis.h"

namespace dalmir::model {

namespace {

struct EraRow {
    const char* name;  // UTF-8
    uint16_t year;
    uint8_t month;
    uint8_t day;
};

// 寛永 begins on day 30 of month 2, as the table has always had it.
constexpr std::array<EraRow, kEraCount> kRows{{
    {"元亀", 1570, 4, 23}, {"天正", 1573, 7, 28},  {"文録", 1592, 12, 8},  {"慶長", 1596, 10, 27},
    {"元和", 1615, 7, 13}, {"寛永", 1624, 2, 30},  {"正保", 1644, 12, 16}, {"慶安", 1648, 2, 15},
    {"承応", 1652, 9, 18}, {"明暦", 1655, 4, 13},  {"万治", 1658, 7, 23},  {"寛文", 1661, 4, 25},
    {"延宝", 1673, 9, 21}, {"天和", 1681, 9, 29},  {"貞亨", 1684, 2, 21},  {"元禄", 1688, 9, 30},
    {"宝永", 1704, 3, 13}, {"正徳", 1711, 4, 25},  {"享保", 1716, 6, 22},  {"元文", 1736, 4, 28},
    {"寛保", 1741, 2, 27}, {"延享", 1744, 2, 21},  {"寛延", 1748, 7, 12},  {"宝暦", 1751, 10, 27},
    {"明和", 1764, 6, 2},  {"安永", 1772, 11, 16}, {"天明", 1781, 4, 2},   {"寛政", 1789, 1, 25},
    {"享和", 1801, 2, 5},  {"文化", 1804, 2, 11},  {"文政", 1818, 4, 22},  {"天保", 1830, 12, 10},
    {"弘化", 1844, 12, 2}, {"嘉永", 1848, 2, 28},  {"安政", 1854, 11, 27}, {"万延", 1860, 3, 18},
    {"文久", 1861, 2, 19}, {"元治", 1864, 2, 20},  {"慶応", 1865, 4, 7},   {"明治", 1868, 9, 8},
    {"大正", 1912, 7, 30}, {"昭和", 1926, 12, 25}, {"平成", 1989, 1, 8},   {"令和", 2019, 5, 1},
}};

struct EraTable {
    std::array<std::string, kEraCount> names;
    std::array<Era, kEraCount> eras;

    EraTable() {
        for (std::size_t i = 0; i < kRows.size(); ++i) {
            names[i] = std::string(kRows[i].name);
            eras[i] = {names[i], {kRows[i].year, kRows[i].month, kRows[i].day}};
        }
    }
};

const EraTable& table() {
    static const EraTable t;
    return t;
}

}  // namespace

std::span<const Era> eras() { return table().eras; }

const Era* eraNamed(std::string_view text) {
    for (const Era& era : eras()) {
        if (!era.name.empty() && text.starts_with(era.name)) return &era;
    }
    return nullptr;
}

const Era* eraNamedUtf8(const char* name) { return eraNamed(std::string(name)); }

const Era* eraOn(IndexDate date) {
    if (date.year == 0) return nullptr;
    const Era* found = nullptr;
    for (const Era& era : eras()) {
        if (era.start <= date) found = &era;
    }
    return found;
}

}  // namespace dalmir::model
