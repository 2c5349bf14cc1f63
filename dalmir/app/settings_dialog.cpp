#include "dalmir/app/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <limits>

#include "core/text/sjis.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/logic/sort_order.h"
#include "dalmir/model/table/list_cells.h"
#include "desktop/language.h"

namespace dalmir {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

QLineEdit* line(const std::string& value, QWidget* parent) {
    return new QLineEdit(QString::fromStdString(value), parent);
}

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// A line edit with a "参照..." button that picks a program.
QWidget* withBrowse(QLineEdit* edit, const QString& title, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit);
    auto* browse = new QPushButton(qs("参照..."), row);
    QObject::connect(browse, &QPushButton::clicked, row, [edit, title, row] {
        const QString file = QFileDialog::getOpenFileName(row, title, edit->text());
        if (!file.isEmpty()) edit->setText(file);
    });
    layout->addWidget(browse);
    return row;
}

}  // namespace

SettingsDialog::SettingsDialog(AppSettings& settings, model::IndexSettings& database,
                               QWidget* parent, std::function<void()> associate)
    : QDialog(parent), m_settings(settings), m_database(database) {
    setWindowTitle(qs("設定"));
    auto* tabs = new QTabWidget(this);

    auto* action = new QWidget(tabs);
    auto* actionForm = new QFormLayout(action);
    m_defaultSort = new QComboBox(action);
    model::UserFieldNames names;
    for (std::size_t k = 0; k < names.size(); ++k)
        names[k] = std::string(settings.userFieldNames[k]);
    for (int code = 0; code < kSortOrderCount; ++code) {
        const bool user = code >= kFixedSortOrderCount;
        if (user && names[static_cast<std::size_t>((code - kFixedSortOrderCount) / 2)].empty()) {
            continue;
        }
        m_defaultSort->addItem(fromUtf8(sortOrderName(code, names)), code);
    }
    m_defaultSort->setCurrentIndex(std::max(0, m_defaultSort->findData(settings.defaultSort)));
    actionForm->addRow(qs("標準の表示順："), m_defaultSort);
    m_language = new QComboBox(action);
    m_language->setObjectName(qs("language"));
    for (const QString& text : desktop::languageChoiceTexts()) m_language->addItem(text);
    m_language->setCurrentIndex(static_cast<int>(settings.language));
    actionForm->addRow(desktop::translated("言語："), m_language);
    actionForm->addRow(QString(), new QLabel(desktop::languageChangeNote(), action));
    // The records a database may hold; a larger table only costs memory as it fills.
    m_maxRecords = new QSpinBox(action);
    m_maxRecords->setObjectName(QStringLiteral("maxRecords"));
    m_maxRecords->setRange(1, std::numeric_limits<int>::max());
    m_maxRecords->setGroupSeparatorShown(true);
    m_maxRecords->setValue(settings.maxRecords);
    actionForm->addRow(qs("最大登録数："), m_maxRecords);
    m_replayMark = new QCheckBox(qs("再現したとき、マークを付ける(&M)"), action);
    m_replayMark->setChecked(database.replayMark);
    m_deleteConfirm = new QCheckBox(qs("棋譜をごみ箱に移動する際、確認する(&C)"), action);
    m_deleteConfirm->setChecked(settings.deleteConfirm);
    m_addErrors = new QCheckBox(qs("追加中、エラーで中止しない(&Q)"), action);
    m_addErrors->setChecked(settings.addErrorsLogged);
    m_autoUpdate = new QCheckBox(qs("DLSファイル読み込み時、自動的に更新する(&A)"), action);
    m_autoUpdate->setChecked(database.autoUpdate);
    connect(m_autoUpdate, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) return;
        auto* box = new QMessageBox(
            QMessageBox::Warning, qs("設定"),
            qs("自動更新を有効にすると、DLSﾌｧｲﾙの読み込みに時間がかかるようになります。"),
            QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    for (QCheckBox* box : {m_replayMark, m_deleteConfirm, m_addErrors, m_autoUpdate}) {
        actionForm->addRow(box);
    }
    if (associate) {
        // The database files open in this program from the file manager (this user only).
        auto* button = new QPushButton(qs("ファイルの関連付け(&F)"), action);
        button->setObjectName(QStringLiteral("associateButton"));
        connect(button, &QPushButton::clicked, this, std::move(associate));
        actionForm->addRow(button);
    }
    tabs->addTab(action, qs("動作"));

    auto* tools = new QWidget(tabs);
    auto* toolForm = new QFormLayout(tools);
    m_replayCommand = line(settings.tools.replayCommand, tools);
    m_replayCommand->setPlaceholderText(qs("tavrel"));
    toolForm->addRow(qs("起動プログラム："),
                     withBrowse(m_replayCommand, qs("起動プログラムの設定"), tools));
    m_replayOptions = line(settings.tools.replayOptions, tools);
    m_playOptions = line(settings.tools.playOptions, tools);
    m_printOptions = line(settings.tools.printOptions, tools);
    m_diagramOptions = line(settings.tools.diagramOptions, tools);
    toolForm->addRow(qs("再現オプション："), m_replayOptions);
    toolForm->addRow(qs("対局オプション："), m_playOptions);
    toolForm->addRow(qs("印刷オプション："), m_printOptions);
    toolForm->addRow(qs("局面編集オプション："), m_diagramOptions);
    tabs->addTab(tools, qs("ツール"));

    auto* editor = new QWidget(tabs);
    auto* editorForm = new QFormLayout(editor);
    m_editCommand = line(settings.tools.editCommand, editor);
    m_editOptions = line(settings.tools.editOptions, editor);
    editorForm->addRow(qs("プログラム："), withBrowse(m_editCommand, qs("エディタの設定"), editor));
    editorForm->addRow(qs("オプション："), m_editOptions);
    tabs->addTab(editor, qs("エディタ"));

    auto* fields = new QWidget(tabs);
    auto* fieldForm = new QFormLayout(fields);
    for (std::size_t k = 0; k < m_userNames.size(); ++k) {
        m_userNames[k] = line(settings.userFieldNames[k], fields);
        fieldForm->addRow(qs("ユーザー定義キー%1：").arg(k + 1), m_userNames[k]);
    }
    tabs->addTab(fields, qs("棋譜情報"));

    auto* histories = new QWidget(tabs);
    auto* historyForm = new QFormLayout(histories);
    m_historyCount = new QSpinBox(histories);
    m_historyCount->setRange(0, kMaxHistoryEntries);
    m_historyCount->setValue(settings.historyCount);
    historyForm->addRow(qs("履歴数："), m_historyCount);
    m_historyPlayer = new QCheckBox(histories);
    m_historyPlayer->setChecked(settings.historyPlayer);
    m_historyEvent = new QCheckBox(histories);
    m_historyEvent->setChecked(settings.historyEvent);
    m_historyOpening = new QCheckBox(histories);
    m_historyOpening->setChecked(settings.historyOpening);
    historyForm->addRow(qs("対局者："), m_historyPlayer);
    historyForm->addRow(qs("棋　戦："), m_historyEvent);
    historyForm->addRow(qs("戦　型："), m_historyOpening);
    tabs->addTab(histories, qs("履歴"));

    // The marks of the analysed moves in the list, the export and the player report.
    auto* analysis = new QWidget(tabs);
    auto* analysisForm = new QFormLayout(analysis);
    const model::MarkThresholds& t = settings.analysis.thresholds;
    const std::array<std::pair<const char*, int>, 4> thresholds{{
        {TR_NOOP("緩手（損失の下限）："), t.slack},
        {TR_NOOP("疑問手（損失の下限）："), t.dubious},
        {TR_NOOP("悪手（損失の下限）："), t.blunder},
        {TR_NOOP("損失の上限："), t.cap},
    }};
    for (std::size_t k = 0; k < thresholds.size(); ++k) {
        m_thresholds[k] = new QSpinBox(analysis);
        m_thresholds[k]->setObjectName(QStringLiteral("threshold%1").arg(k));
        m_thresholds[k]->setRange(1, 100000);
        m_thresholds[k]->setValue(thresholds[k].second);
        analysisForm->addRow(desktop::translated(thresholds[k].first), m_thresholds[k]);
    }
    tabs->addTab(analysis, desktop::translated("解析"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(okCancel(this));
}

void SettingsDialog::accept() {
    model::MarkThresholds thresholds;
    thresholds.slack = m_thresholds[0]->value();
    thresholds.dubious = m_thresholds[1]->value();
    thresholds.blunder = m_thresholds[2]->value();
    thresholds.cap = m_thresholds[3]->value();
    if (!thresholds.valid()) {
        QMessageBox::warning(this, windowTitle(),
                             desktop::translated("損失は 緩手≦疑問手≦悪手≦上限 にしてください。"));
        return;
    }
    m_settings.analysis.thresholds = thresholds;
    const auto language =
        static_cast<core::LanguageChoice>(std::max(0, m_language->currentIndex()));
    m_settings.language = language;
    m_settings.defaultSort = m_defaultSort->currentData().toInt();
    m_settings.maxRecords = m_maxRecords->value();
    m_database.replayMark = m_replayMark->isChecked();
    m_settings.deleteConfirm = m_deleteConfirm->isChecked();
    m_settings.addErrorsLogged = m_addErrors->isChecked();
    m_database.autoUpdate = m_autoUpdate->isChecked();
    m_settings.tools.replayCommand = m_replayCommand->text().trimmed().toStdString();
    m_settings.tools.replayOptions = m_replayOptions->text().toStdString();
    m_settings.tools.playOptions = m_playOptions->text().toStdString();
    m_settings.tools.printOptions = m_printOptions->text().toStdString();
    m_settings.tools.diagramOptions = m_diagramOptions->text().toStdString();
    m_settings.tools.editCommand = m_editCommand->text().trimmed().toStdString();
    m_settings.tools.editOptions = m_editOptions->text().toStdString();
    for (std::size_t k = 0; k < m_userNames.size(); ++k) {
        m_settings.userFieldNames[k] = m_userNames[k]->text().trimmed().toStdString();
    }
    m_settings.historyCount = m_historyCount->value();
    m_settings.historyPlayer = m_historyPlayer->isChecked();
    m_settings.historyEvent = m_historyEvent->isChecked();
    m_settings.historyOpening = m_historyOpening->isChecked();
    QDialog::accept();
}

ColumnsDialog::ColumnsDialog(model::IndexSettings& settings, const model::UserFieldNames& userNames,
                             QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setWindowTitle(qs("表示項目"));
    auto* grid = new QGridLayout;
    for (int c = 0; c < model::kColumnCount; ++c) {
        QString title = fromUtf8(model::columnTitleText(c, userNames));
        if (title.isEmpty()) title = qs("ユーザー定義%1").arg(c - model::kFirstUserColumn + 1);
        auto i = static_cast<std::size_t>(c);
        m_shown[i] = new QCheckBox(title, this);
        m_shown[i]->setChecked(settings.columnShown[i] != 0);
        m_widths[i] = new QSpinBox(this);
        m_widths[i]->setRange(8, 1000);
        m_widths[i]->setValue(settings.columnWidth[i]);
        grid->addWidget(m_shown[i], c % 11, (c / 11) * 2);
        grid->addWidget(m_widths[i], c % 11, (c / 11) * 2 + 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(okCancel(this));
}

void ColumnsDialog::accept() {
    for (std::size_t i = 0; i < m_shown.size(); ++i) {
        m_settings.columnShown[i] = m_shown[i]->isChecked() ? 1 : 0;
        m_settings.columnWidth[i] = m_widths[i]->value();
    }
    QDialog::accept();
}

}  // namespace dalmir
