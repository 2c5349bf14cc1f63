#include "tavrel/app/settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/text/translation.h"
#include "desktop/language.h"
#include "tavrel/platform/qt_text.h"
#include "tavrel/platform/setting_font.h"

namespace tavrel {

namespace {

QString u8(std::string_view utf8) { return fromUtf8(utf8); }

// A text of the settings table (marked TR_NOOP there), in the program's language.
QString tr8(std::string_view japanese) {
    return desktop::translated(std::string(japanese).c_str());
}

QString fontText(const FontSetting& font) {
    return QStringLiteral("%1  %2px")
        .arg(fromUtf8(font.face))
        .arg(font.height < 0 ? -font.height : font.height);
}

}  // namespace

SettingsDialog::SettingsDialog(const Settings& stored, Hooks hooks, QWidget* parent)
    : QDialog(parent),
      m_stored(stored),
      m_draft(stored),
      m_hooks(std::move(hooks)),
      m_tabs(new QTabWidget(this)),
      m_language(new QComboBox(this)),
      m_englishSides(new QComboBox(this)) {
    setWindowTitle(desktop::translated("設定"));
    setObjectName(QStringLiteral("settingsDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    m_ftp = std::make_unique<FtpPageModel>(m_draft.ftp);
    for (const SettingsPage& page : settingsPages()) {
        QWidget* w = nullptr;
        switch (page.kind) {
            case PageKind::Plain:
            case PageKind::Sound:
                w = buildPage(page);
                break;
            case PageKind::Fonts:
                w = buildFontsPage();
                break;
            case PageKind::Desktop:
                w = buildDesktopPage();
                break;
            case PageKind::Ftp:
                w = buildFtpPage();
                break;
        }
        auto* scroll = new QScrollArea(m_tabs);
        scroll->setWidget(w);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        m_tabs->addTab(scroll, tr8(page.title));
    }
    m_language->setObjectName(QStringLiteral("language"));
    for (const QString& text : desktop::languageChoiceTexts()) m_language->addItem(text);
    auto* languageRow = new QFormLayout;
    languageRow->addRow(desktop::translated("言語(&G)"), m_language);
    m_englishSides->setObjectName(QStringLiteral("englishSides"));
    for (const QString& text : desktop::englishSidesTexts()) m_englishSides->addItem(text);
    languageRow->addRow(desktop::translated("英語での先手・後手："), m_englishSides);
    languageRow->addRow(QString(), new QLabel(desktop::languageChangeNote(), this));
    layout->addLayout(languageRow);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (m_hooks.help) m_hooks.help();
    });
    changed();
    loadFtp();
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::setLanguageChoice(core::LanguageChoice choice) {
    m_language->setCurrentIndex(static_cast<int>(choice));
}

core::LanguageChoice SettingsDialog::languageChoice() const {
    return static_cast<core::LanguageChoice>(std::max(0, m_language->currentIndex()));
}

void SettingsDialog::setEnglishSides(core::EnglishSides sides) {
    m_englishSides->setCurrentIndex(static_cast<int>(sides));
}

core::EnglishSides SettingsDialog::englishSides() const {
    return static_cast<core::EnglishSides>(std::max(0, m_englishSides->currentIndex()));
}

QWidget* SettingsDialog::buildPage(const SettingsPage& page) {
    auto* w = new QWidget;
    QWidget* holder = w;
    if (!page.group.empty()) {
        auto* outer = new QVBoxLayout(w);
        auto* group = new QGroupBox(tr8(page.group), w);
        outer->addWidget(group);
        outer->addStretch();
        holder = group;
    }
    auto* form = new QFormLayout(holder);
    for (const SettingControl& c : page.controls) addControl(holder, form, c);
    if (!page.notes.empty()) {
        QStringList lines;
        for (std::string_view line : page.notes) lines << tr8(line);
        auto* notes = new QLabel(lines.join(QLatin1Char('\n')), holder);
        notes->setObjectName(QStringLiteral("notes"));
        notes->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(notes);
    }
    if (page.kind == PageKind::Sound) {
        auto* test = new QPushButton(desktop::translated("駒音ﾃｽﾄ(&T)"), w);
        test->setObjectName(QStringLiteral("pieceSoundTest"));
        connect(test, &QPushButton::clicked, this,
                [this] { testPieceSound(m_stored, m_draft, m_hooks.testSound); });
        form->addRow(test);
    }
    return w;
}

void SettingsDialog::addControl(QWidget* page, QFormLayout* form, const SettingControl& c) {
    const SettingControl* control = &c;
    QString id = u8(c.id);
    QString label = tr8(c.label);
    switch (c.kind) {
        case ControlKind::Check: {
            auto* box = new QCheckBox(label, page);
            box->setObjectName(id);
            connect(box, &QCheckBox::toggled, this, [this, control](bool on) {
                if (m_loading) return;
                storeNumber(*control, m_draft, on ? 1 : 0);
                changed();
            });
            form->addRow(box);
            m_bound.push_back({control, box, [this, box, control] {
                                   box->setChecked(shownNumber(*control, m_draft) != 0);
                               }});
            break;
        }
        case ControlKind::Number: {
            auto* spin = new QSpinBox(page);
            spin->setObjectName(id);
            spin->setRange(c.minimum * c.displayScale, c.maximum * c.displayScale);
            spin->setSingleStep(c.displayScale);
            if (!c.unit.empty()) spin->setSuffix(QStringLiteral(" ") + tr8(c.unit));
            connect(spin, &QSpinBox::valueChanged, this, [this, control](int v) {
                if (m_loading) return;
                storeNumber(*control, m_draft, v);
                changed();
            });
            form->addRow(label, spin);
            m_bound.push_back({control, spin, [this, spin, control] {
                                   spin->setValue(shownNumber(*control, m_draft));
                               }});
            break;
        }
        case ControlKind::Slider: {
            auto* row = new QWidget(page);
            auto* h = new QHBoxLayout(row);
            h->setContentsMargins(0, 0, 0, 0);
            auto* slider = new QSlider(Qt::Horizontal, row);
            slider->setObjectName(id);
            slider->setRange(c.minimum, c.maximum);
            auto* value = new QLabel(row);
            h->addWidget(slider, 1);
            h->addWidget(value);
            connect(slider, &QSlider::valueChanged, this, [this, control](int v) {
                if (m_loading) return;
                storeNumber(*control, m_draft, v * control->displayScale);
                changed();
            });
            form->addRow(label, row);
            m_bound.push_back({control, row, [this, slider, value, control] {
                                   int shown = shownNumber(*control, m_draft);
                                   slider->setValue(shown / control->displayScale);
                                   value->setText(
                                       QStringLiteral("%1 %2").arg(shown).arg(tr8(control->unit)));
                               }});
            break;
        }
        case ControlKind::Choice: {
            auto* group = new QGroupBox(label, page);
            group->setObjectName(id);
            auto* h = new QHBoxLayout(group);
            auto* buttons = new QButtonGroup(group);
            for (std::size_t i = 0; i < c.choices.size(); ++i) {
                auto* radio = new QRadioButton(tr8(c.choices[i]), group);
                radio->setObjectName(id + QStringLiteral("_%1").arg(i));
                buttons->addButton(radio, static_cast<int>(i));
                h->addWidget(radio);
            }
            connect(buttons, &QButtonGroup::idClicked, this, [this, control](int v) {
                if (m_loading) return;
                storeNumber(*control, m_draft, v);
                changed();
            });
            form->addRow(group);
            m_bound.push_back({control, group, [this, buttons, control] {
                                   if (QAbstractButton* b =
                                           buttons->button(shownNumber(*control, m_draft))) {
                                       b->setChecked(true);
                                   }
                               }});
            break;
        }
        case ControlKind::Text:
        case ControlKind::Path: {
            auto* row = new QWidget(page);
            auto* h = new QHBoxLayout(row);
            h->setContentsMargins(0, 0, 0, 0);
            auto* edit = new QLineEdit(fromUtf8(c.text(m_draft)), row);
            edit->setObjectName(id);
            h->addWidget(edit, 1);
            connect(edit, &QLineEdit::textChanged, this, [this, control](const QString& t) {
                if (m_loading) return;
                storeText(*control, m_draft, toUtf8(t));
                changed();
            });
            if (c.kind == ControlKind::Path) {
                auto* browse = new QPushButton(tr8(c.dialog.button), row);
                browse->setObjectName(id + QStringLiteral("Browse"));
                h->addWidget(browse);
                connect(browse, &QPushButton::clicked, this, [this, edit, control] {
                    QString chosen =
                        QFileDialog::getOpenFileName(this, tr8(control->dialog.title), edit->text(),
                                                     tr8(control->dialog.filter));
                    if (!chosen.isEmpty()) edit->setText(chosen);
                });
            }
            form->addRow(label, row);
            m_bound.push_back({control, row, {}});
            break;
        }
    }
}

void SettingsDialog::changed() {
    if (m_loading) return;
    m_loading = true;
    for (const Bound& b : m_bound) {
        if (b.load) b.load();
        b.widget->setEnabled(controlEnabled(*b.control, m_draft));
    }
    m_loading = false;
}

QWidget* SettingsDialog::buildFontsPage() {
    auto* w = new QWidget;
    auto* form = new QFormLayout(w);
    auto add = [&](const char* text, const char* name, FontSetting Settings::*member) {
        auto* button = new QPushButton(desktop::translated(text), w);
        button->setObjectName(QString::fromLatin1(name));
        auto* shown = new QLabel(fontText(m_draft.*member), w);
        form->addRow(button, shown);
        connect(button, &QPushButton::clicked, this,
                [this, member, shown] { chooseFont(m_draft.*member, shown); });
    };
    add(TR_NOOP("盤上駒フォント(&B)..."), "printFont", &Settings::printFont);
    add(TR_NOOP("持ち駒フォント(&M)..."), "printHandFont", &Settings::printHandFont);
    return w;
}

void SettingsDialog::chooseFont(FontSetting& font, QLabel* shown) {
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, settingFont(font), this);
    if (!ok) return;
    font = fontSetting(chosen);
    shown->setText(fontText(font));
}

QWidget* SettingsDialog::buildDesktopPage() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    auto add = [&](const char* text, const char* button, const char* name,
                   std::function<void()> Hooks::*hook) {
        auto* label = new QLabel(desktop::translated(text), w);
        label->setWordWrap(true);
        auto* b = new QPushButton(desktop::translated(button), w);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, [this, hook] {
            if (m_hooks.*hook) (m_hooks.*hook)();
        });
        auto* row = new QHBoxLayout;
        row->addWidget(label, 1);
        row->addWidget(b);
        v->addLayout(row);
    };
    add(TR_NOOP(
            "ボタンを押すと、棋譜(KIF/KI2/CSA)、局面(BOD)ファイルを本プログラムと対応付けします。"),
        TR_NOOP("実行(&E)"), "associate", &Hooks::associate);
    add(TR_NOOP("ボタンを押すと、本プログラムのショートカットをデスクトップに作成します。"),
        TR_NOOP("作成(&C)"), "shortcut", &Hooks::shortcut);
    v->addStretch(1);
    return w;
}

QWidget* SettingsDialog::buildFtpPage() {
    auto* w = new QWidget;
    auto* h = new QHBoxLayout(w);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(desktop::translated("設定一覧"), w));
    m_ftpList = new QListWidget(w);
    m_ftpList->setObjectName(QStringLiteral("ftpList"));
    left->addWidget(m_ftpList, 1);
    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* text, const char* name) {
        auto* b = new QPushButton(desktop::translated(text), w);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
        return b;
    };
    QPushButton* add = button(TR_NOOP("新規作成(&N)"), "ftpNew");
    m_ftpRemove = button(TR_NOOP("削除(&E)"), "ftpRemove");
    m_ftpUp = button("↑(&U)", "ftpUp");
    m_ftpDown = button("↓(&D)", "ftpDown");
    left->addLayout(buttons);
    h->addLayout(left, 1);

    auto* form = new QFormLayout;
    const std::pair<const char*, FtpPageModel::Field> fields[] = {
        {TR_NOOP("設定名"), FtpPageModel::Field::Name},
        {TR_NOOP("接続先のサーバ名"), FtpPageModel::Field::Server},
        {TR_NOOP("ユーザ名"), FtpPageModel::Field::User},
        {TR_NOOP("パスワード"), FtpPageModel::Field::Password},
        {TR_NOOP("送信先ディレクトリ"), FtpPageModel::Field::Folder}};
    const char* names[] = {"ftpName", "ftpServer", "ftpUser", "ftpPassword", "ftpFolder"};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        auto* edit = new QLineEdit(w);
        edit->setObjectName(QString::fromLatin1(names[i]));
        FtpPageModel::Field field = fields[i].second;
        if (field == FtpPageModel::Field::Password) edit->setEchoMode(QLineEdit::Password);
        connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& t) {
            m_ftp->setField(field, toUtf8(t));
            if (field == FtpPageModel::Field::Name && m_ftpList->currentItem()) {
                m_loading = true;
                m_ftpList->currentItem()->setText(t);
                m_loading = false;
            }
        });
        form->addRow(desktop::translated(fields[i].first), edit);
        m_ftpFields.push_back(edit);
    }
    m_ftpPassive = new QCheckBox(desktop::translated("PSVモード(&P)"), w);
    m_ftpPassive->setObjectName(QStringLiteral("ftpPassive"));
    connect(m_ftpPassive, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_loading) m_ftp->setPassive(on);
    });
    form->addRow(m_ftpPassive);
    h->addLayout(form, 2);

    connect(m_ftpList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_loading) return;
        m_ftp->select(row);
        loadFtp();
    });
    connect(m_ftpList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!m_loading) m_ftp->setUploadTo(m_ftpList->row(item), item->checkState() == Qt::Checked);
    });
    connect(add, &QPushButton::clicked, this, [this] {
        if (m_ftp->add()) loadFtp();
    });
    connect(m_ftpRemove, &QPushButton::clicked, this, [this] {
        m_ftp->remove();
        loadFtp();
    });
    connect(m_ftpUp, &QPushButton::clicked, this, [this] {
        m_ftp->moveUp();
        loadFtp();
    });
    connect(m_ftpDown, &QPushButton::clicked, this, [this] {
        m_ftp->moveDown();
        loadFtp();
    });
    return w;
}

void SettingsDialog::loadFtp() {
    m_loading = true;
    m_ftpList->clear();
    for (const FtpSetting& s : m_ftp->entries()) {
        auto* item = new QListWidgetItem(fromUtf8(s.name), m_ftpList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(s.selected ? Qt::Checked : Qt::Unchecked);
    }
    m_ftpList->setCurrentRow(m_ftp->current());
    const FtpSetting* s = m_ftp->fieldsEnabled() ? &m_ftp->entries()[m_ftp->current()] : nullptr;
    const std::string* values[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
    if (s) {
        values[0] = &s->name;
        values[1] = &s->server;
        values[2] = &s->user;
        values[3] = &s->password;
        values[4] = &s->folder;
    }
    for (std::size_t i = 0; i < m_ftpFields.size(); ++i) {
        m_ftpFields[i]->setText(values[i] ? fromUtf8(*values[i]) : QString());
        m_ftpFields[i]->setEnabled(s != nullptr);
    }
    m_ftpPassive->setChecked(s && s->passive);
    m_ftpPassive->setEnabled(s != nullptr);
    m_ftpRemove->setEnabled(m_ftp->canRemove());
    m_ftpUp->setEnabled(m_ftp->canMoveUp());
    m_ftpDown->setEnabled(m_ftp->canMoveDown());
    m_loading = false;
}

}  // namespace tavrel
