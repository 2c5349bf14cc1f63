#include "tavrel/logic/document/record_info.h"

#include <chrono>
#include <cstdio>

#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

namespace {

using core::HeaderField;

RecordInfoField field(HeaderField f, const char* labelUtf8, std::optional<HistoryField> history,
                      std::optional<ListField> list) {
    return RecordInfoField{f, std::string(labelUtf8), InfoFieldSource{history, list}, true};
}

constexpr std::array<HistoryField, kUserInfoCount> kUserHistories = {
    HistoryField::User1, HistoryField::User2, HistoryField::User3, HistoryField::User4,
    HistoryField::User5};
constexpr std::array<ListField, kUserInfoCount> kUserLists = {
    ListField::User1, ListField::User2, ListField::User3, ListField::User4, ListField::User5};

}  // namespace

std::vector<RecordInfoField> eventInfoFields(bool withTimeUsed) {
    std::vector<RecordInfoField> fields = {
        field(HeaderField::Title, core::translate("表題："), HistoryField::Title, ListField::Title),
        field(HeaderField::Event, core::translate("棋戦："), HistoryField::Event, ListField::Event),
        field(HeaderField::Opening, core::translate("戦型："), HistoryField::Opening,
              ListField::Opening),
        field(HeaderField::TimeLimit, core::translate("持ち時間："), HistoryField::TimeLimit,
              ListField::TimeLimit),
    };
    if (withTimeUsed) {
        fields.push_back(field(HeaderField::TimeUsed, core::translate("消費時間："), std::nullopt,
                               ListField::TimeUsed));
    }
    fields.push_back(field(HeaderField::Place, core::translate("場所："), HistoryField::Place,
                           ListField::Place));
    fields.push_back(field(HeaderField::PublishedIn, core::translate("掲載："),
                           HistoryField::Publication, ListField::Publication));
    return fields;
}

std::vector<RecordInfoField> dateInfoFields() {
    return {
        field(HeaderField::StartDateTime, core::translate("開始日時："), std::nullopt,
              ListField::StartDate),
        field(HeaderField::EndDateTime, core::translate("終了日時："), std::nullopt, std::nullopt),
    };
}

std::string userFieldLabel(const Settings& settings, int n) {
    const std::string& name = settings.userInfoNames[static_cast<std::size_t>(n)];
    if (name.empty()) return std::string(core::translate("（未定義）"));
    return name + std::string(core::translate("："));
}

std::vector<RecordInfoField> userInfoFields(const Settings& settings) {
    std::vector<RecordInfoField> fields;
    for (int n = 0; n < kUserInfoCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        RecordInfoField f;
        f.field = static_cast<HeaderField>(static_cast<int>(HeaderField::User1) + n);
        f.label = userFieldLabel(settings, n);
        f.source = InfoFieldSource{kUserHistories[i], kUserLists[i]};
        f.editable = !settings.userInfoNames[i].empty();
        fields.push_back(std::move(f));
    }
    return fields;
}

std::vector<RecordInfoField> recordInfoFields(const Settings& settings) {
    std::vector<RecordInfoField> fields = dateInfoFields();
    for (RecordInfoField& f : eventInfoFields(true)) fields.push_back(std::move(f));
    for (RecordInfoField& f : userInfoFields(settings)) fields.push_back(std::move(f));
    return fields;
}

std::vector<RecordInfoField> problemInfoFields() {
    return {
        field(HeaderField::WorkNumber, core::translate("作品番号："), HistoryField::ProblemNumber,
              std::nullopt),
        field(HeaderField::WorkName, core::translate("作品名："), HistoryField::ProblemName,
              std::nullopt),
        field(HeaderField::Author, core::translate("作者："), HistoryField::Author, std::nullopt),
        field(HeaderField::Magazine, core::translate("発表誌："), HistoryField::Magazine,
              std::nullopt),
        field(HeaderField::PublicationDate, core::translate("発表年月："),
              HistoryField::PublishedDate, std::nullopt),
        field(HeaderField::Source, core::translate("出典："), HistoryField::Source, std::nullopt),
        field(HeaderField::MoveCount, core::translate("手数："), HistoryField::MoveCount,
              std::nullopt),
        field(HeaderField::Completeness, core::translate("完全性："), HistoryField::Completeness,
              std::nullopt),
        field(HeaderField::Classification, core::translate("分類："), HistoryField::Category,
              std::nullopt),
        field(HeaderField::Award, core::translate("受賞："), HistoryField::Award, std::nullopt),
        field(HeaderField::Remarks, core::translate("備考："), HistoryField::Remarks, std::nullopt),
    };
}

InfoApplyReport applyInfoFields(core::RecordStore& store, const std::vector<InfoFieldEdit>& edits,
                                const Settings& settings, Histories& histories,
                                const std::string& folder) {
    InfoApplyReport report;
    for (const InfoFieldEdit& e : edits) {
        if (!e.field.editable) continue;
        bool failed = false;
        rememberInfoField(e.field.source, settings, histories, folder, e.atOpening, e.value,
                          &failed);
        report.historyWriteFailed = report.historyWriteFailed || failed;
    }
    for (const InfoFieldEdit& e : edits) {
        if (!e.field.editable) continue;
        std::string value = cutInfoField(e.value);
        if (value.size() < e.value.size()) report.cutLabels.push_back(e.field.label);
        if (store.header(e.field.field) != value) report.changed = true;
        store.setHeader(e.field.field, value);
    }
    store.markDirty();
    return report;
}

std::string infoCutMessage(const InfoApplyReport& report) {
    if (report.cutLabels.empty()) return {};
    std::string names;
    for (const std::string& label : report.cutLabels) {
        std::string_view name = label;
        // The labels end with the full-width colon.
        const std::string colon = std::string(core::translate("："));
        if (name.ends_with(colon)) name.remove_suffix(colon.size());
        if (!names.empty()) names += std::string(core::translate("、"));
        names += name;
    }
    return names +
           std::string(core::translate("は100バイトを超えたので、100バイトまでにしました。"));
}

std::string startDateWarning(std::string_view text, int todayYear, int todayMonth, int todayDay) {
    if (text.empty() || text == std::string("（自動設定）")) return {};
    auto number = [&](std::size_t at, std::size_t digits) {
        int n = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
            n = n * 10 + (text[i] - '0');
        }
        return n;
    };
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    const bool separators = text.size() >= 10 && text[4] == '/' && text[7] == '/';
    const std::chrono::year_month_day date{std::chrono::year{year},
                                           std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    if (!separators || year < 0 || month < 0 || day < 0 || !date.ok()) {
        return std::string(core::translate("開始日時が異常です。"));
    }
    const std::chrono::year_month_day today{std::chrono::year{todayYear},
                                            std::chrono::month{static_cast<unsigned>(todayMonth)},
                                            std::chrono::day{static_cast<unsigned>(todayDay)}};
    if (date > today) return std::string(core::translate("開始日時が未来です。"));
    return {};
}

std::string calendarDateText(int year, int month, int day) {
    static constexpr const char* kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    const std::chrono::year_month_day date{std::chrono::year{year},
                                           std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    const std::chrono::weekday weekday{std::chrono::sys_days{date}};
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%4d/%02d/%02d(", year, month, day);
    return std::string(buffer) + std::string(kWeekdays[weekday.c_encoding()]) + ")";
}

}  // namespace tavrel
