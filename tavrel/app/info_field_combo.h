// An editable drop-down for one information field: the choices come from the field's history
// and list file (tavrel/logic/document/info_fields.h), the value is CP932 cut to the field's 100
// bytes.
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

namespace tavrel {

class InfoFieldCombo : public QComboBox {
    Q_OBJECT
public:
    explicit InfoFieldCombo(QWidget* parent = nullptr);

    // Replaces the drop-down list, keeping the text being edited.
    void setChoices(const std::vector<std::string>& cp932Choices);
    void setValue(const std::string& cp932);
    // The edited text as CP932, cut to the field's bytes on a character boundary.
    std::string value() const;
};

}  // namespace tavrel
