#include "tavrel/app/engine_dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <limits>

#include "desktop/qt_text.h"

namespace tavrel {

namespace {

QString qs(const std::string& utf8) { return QString::fromStdString(utf8); }

int clampToInt(std::int64_t n) {
    return static_cast<int>(std::clamp<std::int64_t>(n, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

}  // namespace

EngineOptionsDialog::EngineOptionsDialog(const usi::EngineEntry& entry,
                                         const std::vector<usi::UsiOption>& options,
                                         QWidget* parent)
    : QDialog(parent), m_entry(entry), m_options(options) {
    setWindowTitle(desktop::translated("エンジンのオプション") + " - " + qs(entry.name));
    auto* form = new QFormLayout;
    for (const usi::UsiOption& o : m_options) {
        QWidget* w = nullptr;
        switch (o.type) {
            case usi::UsiOptionType::Check:
                w = new QCheckBox;
                break;
            case usi::UsiOptionType::Spin: {
                auto* spin = new QSpinBox;
                spin->setRange(clampToInt(o.min), clampToInt(o.max));
                w = spin;
                break;
            }
            case usi::UsiOptionType::Combo: {
                auto* combo = new QComboBox;
                for (const std::string& c : o.choices) combo->addItem(qs(c));
                w = combo;
                break;
            }
            case usi::UsiOptionType::Button:
                // Pressed only while an engine runs; nothing to keep here.
                w = new QLabel(desktop::translated("（ボタン）"));
                break;
            case usi::UsiOptionType::String:
                w = new QLineEdit;
                break;
            case usi::UsiOptionType::Filename: {
                auto* row = new QWidget;
                auto* line = new QLineEdit;
                auto* browse = new QPushButton(desktop::translated("参照..."));
                auto* layout = new QHBoxLayout(row);
                layout->setContentsMargins(0, 0, 0, 0);
                layout->addWidget(line, 1);
                layout->addWidget(browse);
                connect(browse, &QPushButton::clicked, this, [this, line] {
                    const QString f = QFileDialog::getOpenFileName(this, QString(), line->text());
                    if (!f.isEmpty()) line->setText(f);
                });
                w = row;
                break;
            }
        }
        w->setObjectName(qs(o.name));
        showValue(o, w, optionValue(m_entry, o));
        form->addRow(qs(o.name), w);
        m_fields.push_back(w);
    }
    auto* fields = new QWidget;
    fields->setLayout(form);
    auto* scroll = new QScrollArea;
    scroll->setWidget(fields);
    scroll->setWidgetResizable(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::RestoreDefaults);
    buttons->button(QDialogButtonBox::RestoreDefaults)
        ->setText(desktop::translated("既定値に戻す"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            &EngineOptionsDialog::resetToDefaults);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addWidget(buttons);
}

void EngineOptionsDialog::showValue(const usi::UsiOption& o, QWidget* w, const std::string& value) {
    switch (o.type) {
        case usi::UsiOptionType::Check:
            static_cast<QCheckBox*>(w)->setChecked(normalOptionValue(o, value) == "true");
            break;
        case usi::UsiOptionType::Spin: {
            std::optional<std::string> v = normalOptionValue(o, value);
            static_cast<QSpinBox*>(w)->setValue(v ? clampToInt(std::stoll(*v)) : clampToInt(o.min));
            break;
        }
        case usi::UsiOptionType::Combo: {
            auto* combo = static_cast<QComboBox*>(w);
            const int i = combo->findText(qs(value));
            combo->setCurrentIndex(i >= 0 ? i : 0);
            break;
        }
        case usi::UsiOptionType::Button:
            break;
        case usi::UsiOptionType::String:
            static_cast<QLineEdit*>(w)->setText(qs(value));
            break;
        case usi::UsiOptionType::Filename:
            w->findChild<QLineEdit*>()->setText(qs(value));
            break;
    }
}

std::string EngineOptionsDialog::valueOf(const usi::UsiOption& o, const QWidget* w) const {
    switch (o.type) {
        case usi::UsiOptionType::Check:
            return static_cast<const QCheckBox*>(w)->isChecked() ? "true" : "false";
        case usi::UsiOptionType::Spin:
            return std::to_string(static_cast<const QSpinBox*>(w)->value());
        case usi::UsiOptionType::Combo:
            return static_cast<const QComboBox*>(w)->currentText().toStdString();
        case usi::UsiOptionType::Button:
            return "";
        case usi::UsiOptionType::String:
            return static_cast<const QLineEdit*>(w)->text().toStdString();
        case usi::UsiOptionType::Filename:
            return w->findChild<QLineEdit*>()->text().toStdString();
    }
    return "";
}

void EngineOptionsDialog::resetToDefaults() {
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        showValue(m_options[i], m_fields[i], m_options[i].defaultValue);
    }
}

QWidget* EngineOptionsDialog::field(const std::string& name) const {
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        if (m_options[i].name == name) return m_fields[i];
    }
    return nullptr;
}

usi::EngineEntry EngineOptionsDialog::chosen() const {
    usi::EngineEntry e = m_entry;
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        chooseOptionValue(e, m_options[i], valueOf(m_options[i], m_fields[i]));
    }
    return e;
}

EngineListDialog::EngineListDialog(std::vector<usi::EngineEntry> engines, Probe probe,
                                   QWidget* parent)
    : QDialog(parent),
      m_engines(std::move(engines)),
      m_probe(std::move(probe)),
      m_list(new QListWidget) {
    setWindowTitle(desktop::translated("エンジン設定"));
    auto* add = new QPushButton(desktop::translated("追加..."));
    auto* remove = new QPushButton(desktop::translated("削除"));
    auto* options = new QPushButton(desktop::translated("オプション..."));
    auto* close = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(close, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(add, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getOpenFileName(this, desktop::translated("エンジンの追加"));
        if (!path.isEmpty()) addProgram(path);
    });
    connect(remove, &QPushButton::clicked, this, &EngineListDialog::removeCurrent);
    connect(options, &QPushButton::clicked, this, &EngineListDialog::editOptions);
    auto* side = new QVBoxLayout;
    side->addWidget(add);
    side->addWidget(remove);
    side->addWidget(options);
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(m_list, 1);
    row->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(close);
    refill();
}

void EngineListDialog::refill() {
    m_list->clear();
    for (const usi::EngineEntry& e : m_engines) {
        m_list->addItem(qs(e.name) + "  (" + qs(e.path) + ")");
    }
}

void EngineListDialog::addProgram(const QString& path) {
    usi::EngineEntry e;
    e.path = path.toStdString();
    e.name = usi::defaultEngineName(e.path);
    // A second engine of the same file name keeps the first.
    std::string name = e.name;
    for (int n = 2; std::any_of(m_engines.begin(), m_engines.end(),
                                [&](const usi::EngineEntry& x) { return x.name == name; });
         ++n) {
        name = e.name + " (" + std::to_string(n) + ")";
    }
    e.name = name;
    m_list->setCurrentRow(putEngine(m_engines, e));
    refill();
    m_list->setCurrentRow(static_cast<int>(m_engines.size()) - 1);
}

void EngineListDialog::removeCurrent() {
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_engines.size())) return;
    m_engines.erase(m_engines.begin() + row);
    refill();
}

void EngineListDialog::editOptions() {
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_engines.size()) || !m_probe) return;
    const std::string name = m_engines[static_cast<std::size_t>(row)].name;
    m_probe(m_engines[static_cast<std::size_t>(row)],
            [this, name](const std::vector<usi::UsiOption>& options) {
                auto it = std::find_if(m_engines.begin(), m_engines.end(),
                                       [&](const usi::EngineEntry& e) { return e.name == name; });
                if (it == m_engines.end() || options.empty()) return;
                EngineOptionsDialog dialog(*it, options, this);
                if (dialog.exec() == QDialog::Accepted) *it = dialog.chosen();
            });
}

RecordAnalysisDialog::RecordAnalysisDialog(QWidget* parent)
    : QDialog(parent),
      m_seconds(new QSpinBox),
      m_multiPv(new QSpinBox),
      m_mainLine(new QRadioButton(desktop::translated("本譜のみ"))),
      m_everyLine(new QRadioButton(desktop::translated("すべての変化"))) {
    setWindowTitle(desktop::translated("棋譜解析"));
    m_seconds->setRange(1, 3600);
    m_seconds->setValue(3);
    m_seconds->setSuffix(desktop::translated(" 秒"));
    m_multiPv->setRange(1, 16);
    m_mainLine->setChecked(true);
    auto* form = new QFormLayout;
    form->addRow(desktop::translated("1手あたりの時間"), m_seconds);
    form->addRow(desktop::translated("候補手の数"), m_multiPv);
    form->addRow(desktop::translated("対象"), m_mainLine);
    form->addRow(QString(), m_everyLine);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

usi::RecordAnalysisOptions RecordAnalysisDialog::options() const {
    usi::RecordAnalysisOptions o;
    o.moveTimeMs = static_cast<std::int64_t>(m_seconds->value()) * 1000;
    o.multiPv = m_multiPv->value();
    o.everyLine = m_everyLine->isChecked();
    return o;
}

}  // namespace tavrel
