// "ツールメニュー設定": the five tool entries, one shown at a time (menu text, program with a
// browse button, argument template), with the template's placeholders explained. OK keeps all
// five entries as edited; Cancel drops every change.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <functional>

#include "tavrel/settings/settings.h"

namespace tavrel {

using ToolEntries = std::array<ToolEntry, kToolCount>;

class ToolSettingsDialog : public QDialog {
    Q_OBJECT
public:
    ToolSettingsDialog(const ToolEntries& tools, QWidget* parent = nullptr);
    // The entries as edited.
    ToolEntries tools();
    // What "参照(&R)..." asks for (tests put a fake in); an empty text keeps the field.
    void setProgramChooser(std::function<QString()> chooser) { m_chooser = std::move(chooser); }

    QComboBox* entryChoice() { return m_entry; }
    QLineEdit* menuField() { return m_menu; }
    QLineEdit* programField() { return m_program; }
    QLineEdit* argumentsField() { return m_arguments; }
    QPushButton* browseButton() { return m_browse; }

private:
    void storeFields();
    void showEntry(int index);
    QString chooseProgram();

    ToolEntries m_tools;
    int m_shown = 0;
    QComboBox* m_entry;
    QLineEdit* m_menu;
    QLineEdit* m_program;
    QLineEdit* m_arguments;
    QPushButton* m_browse;
    std::function<QString()> m_chooser;
};

}  // namespace tavrel
