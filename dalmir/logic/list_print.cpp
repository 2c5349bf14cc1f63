#include "dalmir/logic/list_print.h"

#include <cmath>
#include <cstdio>

#include "core/text/sjis.h"
#include "dalmir/model/table/index_codes.h"

namespace dalmir {

using model::ListColumn;

std::vector<CardField> cardFields(const model::IndexEntry* entry,
                                  const model::IndexSettings& settings,
                                  const model::UserFieldNames& userNames) {
    auto text = [&](std::string_view cp932) {
        return entry ? core::toUtf8Lossy(cp932) : std::string();
    };
    auto date = [&](model::IndexDate d) {
        return entry ? core::toUtf8Lossy(model::dateCellText(d, settings.yearStyle))
                     : std::string();
    };
    std::vector<CardField> out;
    const model::IndexEntry none;
    const model::IndexEntry& e = entry ? *entry : none;
    out.push_back({"ファイル名：", text(e.path())});
    out.push_back({"先手(下手)：", text(e.blackPlayer())});
    out.push_back({"後手(上手)：", text(e.whitePlayer())});
    out.push_back({"手合割：", text(model::handicapText(e.handicap))});
    out.push_back({"結果：", text(model::resultText(e.result, e.handicap))});
    out.push_back({"対局日：", date(e.start)});
    out.push_back({"終了日：", date(e.end)});
    out.push_back({"表題：", text(e.title())});
    out.push_back({"棋戦：", text(e.event())});
    out.push_back({"戦型：", text(e.opening())});
    for (int k = 0; k < model::kUserFieldCount; ++k) {
        const std::string& name = userNames[static_cast<std::size_t>(k)];
        if (name.empty()) continue;
        out.push_back({core::toUtf8Lossy(name) + "：", text(e.user(k))});
    }
    out.push_back({"持ち時間：", text(e.timeLimit())});
    out.push_back({"場所：", text(e.place())});
    out.push_back({"掲載：", text(e.publishedIn())});
    out.push_back({"手数：", entry ? std::to_string(e.moveCount) : std::string()});
    return out;
}

PrintLayout printLayout(const PrintGeometry& g, int listedRecords) {
    PrintLayout l;
    l.left = g.leftMarginMm * g.unitsPerMmX;
    l.top = g.topMarginMm * g.unitsPerMmY;
    const double bottom = g.footMarginMm * g.unitsPerMmY;
    const double extra = g.lineMarginTenthMm / 10.0 * g.unitsPerMmY;
    l.lineHeight = g.fontHeight + 2 * extra;
    if (l.lineHeight <= 0) return l;
    const double usable = g.pageHeight - l.top - bottom;
    l.linesPerPage = usable > 0 ? static_cast<int>(std::floor(usable / l.lineHeight)) : 0;
    if (l.linesPerPage <= 5) return l;
    l.recordsPerPage = l.linesPerPage - 5;
    l.pageCount = std::max(1, (listedRecords + l.recordsPerPage - 1) / l.recordsPerPage);
    return l;
}

std::string lineSpacingTooLargeMessage() { return "行間隔が大き過ぎます。"; }

std::string printHeaderText(int year, int month, int day, int weekday, int hour, int minute,
                            int second, const std::string& name) {
    static const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    char buf[96];
    std::snprintf(buf, sizeof buf, "%4d/%02d/%02d(%s) %02d:%02d:%02d ", year, month, day,
                  kWeekdays[((weekday % 7) + 7) % 7], hour, minute, second);
    std::string shown = name;
    // Characters, not bytes: count UTF-8 lead bytes.
    std::size_t chars = 0;
    std::size_t cut = std::string::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) continue;
        if (chars == 65) cut = i;
        ++chars;
    }
    if (chars > 68) shown = name.substr(0, cut) + "...";
    return buf + shown;
}

std::string printPageText(int page, int pageCount) {
    return "Page " + std::to_string(page) + " / " + std::to_string(pageCount);
}

std::string printCellText(const model::IndexTable& table, int row, int column) {
    const auto& order = table.displayOrder();
    if (row < 0 || static_cast<std::size_t>(row) >= order.size()) return {};
    char buf[16];
    if (column == static_cast<int>(ListColumn::Number)) {
        const std::size_t listed = order.size();
        const char* format = listed < 1000 ? "%3d" : (listed < 10000 ? "%4d" : "%5d");
        std::snprintf(buf, sizeof buf, format, row + 1);
        return buf;
    }
    if (column == static_cast<int>(ListColumn::MoveCount)) {
        std::snprintf(buf, sizeof buf, "%4d",
                      table.entry(order[static_cast<std::size_t>(row)]).moveCount);
        return buf;
    }
    return model::cellText(table, row, column);
}

}  // namespace dalmir
