// Pages of header fields, each a label and a drop-down per field: the event page (表題 .. 掲載),
// the date and user-field page (開始日時 with its calendar, 終了日時, the five user fields), and
// any other list of fields. The 棋譜情報 and 詰将棋情報 dialogs and the new-game sheet show them;
// what the fields are and what OK does lives in tavrel/logic/document/record_info.h.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "tavrel/app/info_field_combo.h"
#include "tavrel/logic/document/record_info.h"

class QCalendarWidget;
class QFormLayout;

namespace tavrel {

class InfoFieldsPage : public QWidget {
    Q_OBJECT
public:
    // A page of the given fields in their order. A page holding 開始日時 has the calendar
    // button "▲" beside it.
    explicit InfoFieldsPage(std::vector<RecordInfoField> fields, QWidget* parent = nullptr);

    // Fills each drop-down from the field's history and list file in folder.
    void fillChoices(const Settings& settings, const Histories& histories,
                     const std::string& folder);
    // Shows the record's values and remembers them as the values at opening.
    void showRecord(const core::RecordStore& store);
    // Shows values (empty for fields not given) and remembers them as at opening.
    void showValues(const std::vector<std::pair<core::HeaderField, std::string>>& values);

    // The value of a field on the page (CP932, cut to 100 bytes); empty for a field not on it.
    std::string value(core::HeaderField field) const;
    void setValue(core::HeaderField field, const std::string& cp932);
    // Every field with its value at opening and now, for applyInfoFields.
    std::vector<InfoFieldEdit> edits() const;
    // OK of the page: applyInfoFields with its edits.
    InfoApplyReport apply(core::RecordStore& store, const Settings& settings, Histories& histories,
                          const std::string& folder) const;

    const std::vector<RecordInfoField>& fields() const { return m_fields; }
    // Null for a field not on the page.
    InfoFieldCombo* combo(core::HeaderField field) const;
    QLabel* label(core::HeaderField field) const;
    // The "▲" beside 開始日時; null when the page has no start date.
    QPushButton* calendarButton() const { return m_calendarButton; }
    // On a page with 戦型: the classifier's line under it and the button that copies the
    // opening's name into 戦型 (null on other pages).
    QLabel* autoOpeningLabel() const { return m_autoOpeningLabel; }
    QPushButton* autoOpeningButton() const { return m_autoOpeningButton; }

    // Where the calendar's date comes from (tests); by default the dialog DateDialog.
    void setDateSource(std::function<std::optional<QDate>()> source) {
        m_dateSource = std::move(source);
    }
    // The calendar: a chosen date goes into 開始日時 as "%4d/%02d/%02d(%s)".
    void chooseStartDate();

private:
    int indexOf(core::HeaderField field) const;

    std::vector<RecordInfoField> m_fields;
    std::vector<InfoFieldCombo*> m_combos;
    std::vector<QLabel*> m_labels;
    std::vector<std::string> m_atOpening;
    QPushButton* m_calendarButton = nullptr;
    QLabel* m_autoOpeningLabel = nullptr;
    QPushButton* m_autoOpeningButton = nullptr;
    std::string m_autoOpeningName;
    std::function<std::optional<QDate>()> m_dateSource;
};

// 表題, 棋戦, 戦型, 持ち時間, (消費時間,) 場所, 掲載.
class RecordEventPage : public InfoFieldsPage {
    Q_OBJECT
public:
    explicit RecordEventPage(bool withTimeUsed, QWidget* parent = nullptr);
};

// (開始日時 with the calendar, 終了日時,) the five user fields labelled from the settings; a field
// without a name reads "（未定義）" and has no input box.
class RecordDateUserPage : public InfoFieldsPage {
    Q_OBJECT
public:
    RecordDateUserPage(const Settings& settings, bool withDates, QWidget* parent = nullptr);
};

// The calendar dialog "日付の入力" (CDateDlg).
class DateDialog : public QDialog {
    Q_OBJECT
public:
    explicit DateDialog(QWidget* parent = nullptr);
    QCalendarWidget* calendar() const { return m_calendar; }
    // The date chosen, nullopt when cancelled.
    std::optional<QDate> ask();

private:
    QCalendarWidget* m_calendar;
};

}  // namespace tavrel
