#include "tavrel/app/record_info_pages.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "tavrel/logic/document/auto_opening.h"
#include "tavrel/platform/qt_text.h"

namespace tavrel {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

std::vector<RecordInfoField> dateAndUserFields(const Settings& settings, bool withDates) {
    std::vector<RecordInfoField> fields;
    if (withDates) fields = dateInfoFields();
    for (RecordInfoField& f : userInfoFields(settings)) fields.push_back(std::move(f));
    return fields;
}

}  // namespace

InfoFieldsPage::InfoFieldsPage(std::vector<RecordInfoField> fields, QWidget* parent)
    : QWidget(parent), m_fields(std::move(fields)) {
    auto* form = new QFormLayout(this);
    for (const RecordInfoField& f : m_fields) {
        auto* label = new QLabel(fromUtf8(f.label), this);
        auto* combo = new InfoFieldCombo(this);
        label->setBuddy(combo);
        m_labels.push_back(label);
        m_combos.push_back(combo);
        m_atOpening.emplace_back();
        if (!f.editable) {
            combo->setVisible(false);
            combo->setEnabled(false);
            form->addRow(label, static_cast<QWidget*>(nullptr));
            continue;
        }
        if (f.field == core::HeaderField::StartDateTime) {
            auto* row = new QHBoxLayout;
            row->addWidget(combo, 1);
            m_calendarButton = new QPushButton(qs("▲"), this);
            m_calendarButton->setObjectName(QStringLiteral("calendarButton"));
            row->addWidget(m_calendarButton);
            connect(m_calendarButton, &QPushButton::clicked, this,
                    &InfoFieldsPage::chooseStartDate);
            form->addRow(label, row);
        } else if (f.field == core::HeaderField::Opening) {
            auto* row = new QHBoxLayout;
            row->addWidget(combo, 1);
            m_autoOpeningButton = new QPushButton(desktop::translated("自動戦型"), this);
            m_autoOpeningButton->setObjectName(QStringLiteral("autoOpeningButton"));
            m_autoOpeningButton->setEnabled(false);
            row->addWidget(m_autoOpeningButton);
            connect(m_autoOpeningButton, &QPushButton::clicked, this,
                    [this] { setValue(core::HeaderField::Opening, m_autoOpeningName); });
            form->addRow(label, row);
            m_autoOpeningLabel = new QLabel(this);
            m_autoOpeningLabel->setObjectName(QStringLiteral("autoOpeningLabel"));
            m_autoOpeningLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
            form->addRow(static_cast<QWidget*>(nullptr), m_autoOpeningLabel);
        } else {
            form->addRow(label, combo);
        }
    }
}

int InfoFieldsPage::indexOf(core::HeaderField field) const {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].field == field) return static_cast<int>(i);
    }
    return -1;
}

InfoFieldCombo* InfoFieldsPage::combo(core::HeaderField field) const {
    int i = indexOf(field);
    return i < 0 ? nullptr : m_combos[static_cast<std::size_t>(i)];
}

QLabel* InfoFieldsPage::label(core::HeaderField field) const {
    int i = indexOf(field);
    return i < 0 ? nullptr : m_labels[static_cast<std::size_t>(i)];
}

void InfoFieldsPage::fillChoices(const Settings& settings, const Histories& histories,
                                 const std::string& folder) {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (!m_fields[i].editable) continue;
        m_combos[i]->setChoices(infoFieldChoices(m_fields[i].source, settings, histories, folder));
    }
}

void InfoFieldsPage::showRecord(const core::RecordStore& store) {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_atOpening[i] = store.header(m_fields[i].field);
        m_combos[i]->setValue(m_atOpening[i]);
    }
    if (m_autoOpeningLabel != nullptr) {
        AutoOpeningText text = autoOpeningText(store);
        m_autoOpeningLabel->setText(fromUtf8(text.shown));
        m_autoOpeningName = text.name;
        m_autoOpeningButton->setEnabled(!text.name.empty());
    }
}

void InfoFieldsPage::showValues(
    const std::vector<std::pair<core::HeaderField, std::string>>& values) {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_atOpening[i].clear();
        for (const auto& [field, text] : values) {
            if (field == m_fields[i].field) m_atOpening[i] = text;
        }
        m_combos[i]->setValue(m_atOpening[i]);
    }
}

std::string InfoFieldsPage::value(core::HeaderField field) const {
    InfoFieldCombo* c = combo(field);
    return c ? c->value() : std::string();
}

void InfoFieldsPage::setValue(core::HeaderField field, const std::string& cp932) {
    if (InfoFieldCombo* c = combo(field)) c->setValue(cp932);
}

std::vector<InfoFieldEdit> InfoFieldsPage::edits() const {
    std::vector<InfoFieldEdit> result;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        // The whole text typed, so that OK can tell the user what it had to cut.
        result.push_back(
            InfoFieldEdit{m_fields[i], m_atOpening[i], toUtf8(m_combos[i]->currentText())});
    }
    return result;
}

InfoApplyReport InfoFieldsPage::apply(core::RecordStore& store, const Settings& settings,
                                      Histories& histories, const std::string& folder) const {
    return applyInfoFields(store, edits(), settings, histories, folder);
}

void InfoFieldsPage::chooseStartDate() {
    std::optional<QDate> date;
    if (m_dateSource) {
        date = m_dateSource();
    } else {
        DateDialog dialog(this);
        date = dialog.ask();
    }
    if (!date || !date->isValid()) return;
    setValue(core::HeaderField::StartDateTime,
             calendarDateText(date->year(), date->month(), date->day()));
}

RecordEventPage::RecordEventPage(bool withTimeUsed, QWidget* parent)
    : InfoFieldsPage(eventInfoFields(withTimeUsed), parent) {}

RecordDateUserPage::RecordDateUserPage(const Settings& settings, bool withDates, QWidget* parent)
    : InfoFieldsPage(dateAndUserFields(settings, withDates), parent) {}

DateDialog::DateDialog(QWidget* parent) : QDialog(parent), m_calendar(new QCalendarWidget(this)) {
    setWindowTitle(desktop::translated("日付の入力"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_calendar);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(desktop::translated("キャンセル"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_calendar, &QCalendarWidget::activated, this, &QDialog::accept);
}

std::optional<QDate> DateDialog::ask() {
    if (exec() != QDialog::Accepted) return std::nullopt;
    return m_calendar->selectedDate();
}

}  // namespace tavrel
