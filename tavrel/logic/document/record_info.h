// The header fields the information dialogs edit (棋譜情報, 詰将棋情報, and the pages the new-game
// sheet shares): each field's label, the record field it fills and where its choices come from,
// and what OK does with the edited values. The pages only show what these describe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/record/record_store.h"
#include "tavrel/logic/document/info_fields.h"

namespace tavrel {

// One field of a page.
struct RecordInfoField {
    core::HeaderField field = core::HeaderField::Title;
    std::string label;  // with its colon ("表題：")
    InfoFieldSource source;
    // False for a user field whose name is not set: its label reads "（未定義）" and it takes no
    // input.
    bool editable = true;
};

// 表題, 棋戦, 戦型, 持ち時間, (消費時間,) 場所, 掲載 in the order the pages show them. The new-game
// sheet leaves 消費時間 out.
std::vector<RecordInfoField> eventInfoFields(bool withTimeUsed);
// 開始日時 and 終了日時.
std::vector<RecordInfoField> dateInfoFields();
// The five user-defined fields, labelled from ユーザ定義情報１..５.
std::vector<RecordInfoField> userInfoFields(const Settings& settings);
// Every field of 棋譜情報 in its order on screen: dates, event fields, user fields.
std::vector<RecordInfoField> recordInfoFields(const Settings& settings);
// The fields of 詰将棋情報.
std::vector<RecordInfoField> problemInfoFields();

// "%s：" with the name of user field n (0..4), or "（未定義）" when the name is empty.
std::string userFieldLabel(const Settings& settings, int n);

// A field as the dialog holds it: the value shown at opening and the value at OK .
struct InfoFieldEdit {
    RecordInfoField field;
    std::string atOpening;
    std::string value;
};

// What OK did.
struct InfoApplyReport {
    std::vector<std::string> cutLabels;  // fields whose value was longer than 100 bytes
    bool historyWriteFailed = false;
    bool changed = false;  // some field of the record changed
};

// OK of an information dialog: for each editable field that changed, the cut value enters the
// field's history (written at once); every value, cut to 100 bytes on a character boundary,
// becomes the record's field; the record is marked modified.
InfoApplyReport applyInfoFields(core::RecordStore& store, const std::vector<InfoFieldEdit>& edits,
                                const Settings& settings, Histories& histories,
                                const std::string& folder);

// The status-bar line for the fields OK had to cut; empty when none was cut.
std::string infoCutMessage(const InfoApplyReport& report);

// The warning for a start date typed in: "開始日時が異常です。" when it does not begin with a date
// "YYYY/MM/DD" that exists, "開始日時が未来です。" when that date is after today; empty when it is
// fine or empty. Dates count in the proleptic Gregorian calendar.
std::string startDateWarning(std::string_view text, int todayYear, int todayMonth, int todayDay);

// The calendar's date in the start field: "%4d/%02d/%02d(%s)" with the weekday ("日".."土").
// REQUIRES: a valid date of the proleptic Gregorian calendar
std::string calendarDateText(int year, int month, int day);

}  // namespace tavrel
