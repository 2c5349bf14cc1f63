#include "tavrel/app/tool_settings_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/text/sjis.h"
#include "desktop/qt_text.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

namespace {

QString qtext(const std::string& cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }
// Field text back to program text, cut to the setting's capacity.
std::string cp932(const QString& text) {
    return std::string(core::cutToBytes(std::string(text.toStdString()), kSettingTextBytes));
}

}  // namespace

ToolSettingsDialog::ToolSettingsDialog(const ToolEntries& tools, QWidget* parent)
    : QDialog(parent), m_tools(tools) {
    setWindowTitle(desktop::translated("ツールメニュー設定"));
    m_entry = new QComboBox(this);
    for (int i = 1; i <= kToolCount; ++i) m_entry->addItem(QString::number(i));
    m_menu = new QLineEdit(this);
    m_program = new QLineEdit(this);
    m_arguments = new QLineEdit(this);
    m_browse = new QPushButton(desktop::translated("参照(&R)..."), this);
    for (QLineEdit* e : {m_menu, m_program, m_arguments}) {
        e->setMaxLength(static_cast<int>(kSettingTextBytes));
    }

    auto* form = new QFormLayout;
    form->addRow(desktop::translated("ツールメニュー："), m_entry);
    form->addRow(desktop::translated("メニュー表示："), m_menu);
    auto* programRow = new QHBoxLayout;
    programRow->addWidget(m_program, 1);
    programRow->addWidget(m_browse);
    form->addRow(desktop::translated("起動プログラム："), programRow);
    form->addRow(desktop::translated("引数："), m_arguments);
    auto* help = new QLabel(
        desktop::translated("%K   棋譜ファイルフルパス\n%N  手数\n%D  Tavrel.EXE のパス(\\付き)"),
        this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(help);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        storeFields();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_entry, &QComboBox::currentIndexChanged, this, [this](int index) {
        storeFields();
        showEntry(index);
    });
    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString chosen = m_chooser ? m_chooser() : chooseProgram();
        if (!chosen.isEmpty()) m_program->setText(chosen);
    });
    showEntry(0);
}

ToolEntries ToolSettingsDialog::tools() {
    storeFields();
    return m_tools;
}

void ToolSettingsDialog::storeFields() {
    ToolEntry& tool = m_tools[static_cast<std::size_t>(m_shown)];
    tool.menu = cp932(m_menu->text());
    tool.command = cp932(m_program->text());
    tool.arguments = cp932(m_arguments->text());
}

void ToolSettingsDialog::showEntry(int index) {
    if (index < 0 || index >= kToolCount) return;
    m_shown = index;
    const ToolEntry& tool = m_tools[static_cast<std::size_t>(index)];
    m_menu->setText(qtext(tool.menu));
    m_program->setText(qtext(tool.command));
    m_arguments->setText(qtext(tool.arguments));
}

QString ToolSettingsDialog::chooseProgram() {
    return QFileDialog::getOpenFileName(this, desktop::translated("起動プログラムの設定"),
                                        m_program->text(), desktop::translated("プログラム(*)"));
}

}  // namespace tavrel
