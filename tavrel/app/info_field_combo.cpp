#include "tavrel/app/info_field_combo.h"

#include <QLineEdit>

#include "tavrel/logic/document/info_fields.h"
#include "tavrel/platform/qt_text.h"

namespace tavrel {

InfoFieldCombo::InfoFieldCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(24);
}

void InfoFieldCombo::setChoices(const std::vector<std::string>& cp932Choices) {
    const QString text = currentText();
    clear();
    for (const std::string& choice : cp932Choices) addItem(fromUtf8(choice));
    setEditText(text);
}

void InfoFieldCombo::setValue(const std::string& cp932) { setEditText(fromUtf8(cp932)); }

std::string InfoFieldCombo::value() const { return cutInfoField(toUtf8(currentText())); }

}  // namespace tavrel
