#include "dalmir/app/search_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/text/sjis.h"
#include "dalmir/app/qt_text.h"
#include "dalmir/logic/suggestion_lists.h"
#include "dalmir/model/table/index_codes.h"

namespace dalmir {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

model::IndexDate indexDate(const QDate& d) {
    return {static_cast<uint16_t>(d.year()), static_cast<uint8_t>(d.month()),
            static_cast<uint8_t>(d.day())};
}

// An editable field whose list only suggests: the completer shows a popup instead of writing
// the rest of an entry into the field, and Enter never swaps the typed text for an entry that
// merely matches it (a longer one, or one in another case), nor adds it to the list.
void suggestOnly(QComboBox* box) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    if (QCompleter* completer = box->completer()) {
        completer->setCompletionMode(QCompleter::PopupCompletion);
        completer->setCaseSensitivity(Qt::CaseSensitive);
    }
}

}  // namespace

QStringList suggestionList(const QString& programFolder, const QString& name) {
    for (const std::string& file : suggestionFileNames(name.toStdString())) {
        QFile list(programFolder + fromUtf8(file));
        if (!list.open(QIODevice::ReadOnly)) continue;
        QStringList out;
        for (const std::string& line : suggestionLines(list.readAll().toStdString())) {
            out << fromUtf8(line);
        }
        return out;
    }
    return {};
}

InputHistories::InputHistories(QString dataFolder, const AppSettings& settings)
    : m_folder(std::move(dataFolder)) {
    apply(settings);
}

void InputHistories::apply(const AppSettings& settings) {
    const std::array<std::pair<const char*, bool>, 4> kinds = {{{"対局者", settings.historyPlayer},
                                                                {"棋戦", settings.historyEvent},
                                                                {"戦型", settings.historyOpening},
                                                                {"手順", true}}};
    for (const auto& [name, on] : kinds) {
        const QString key = qs(name);
        if (!on) {
            m_histories.erase(key);
            continue;
        }
        auto it = m_histories.find(key);
        if (it != m_histories.end()) {
            const std::size_t before = it->second.entries().size();
            it->second.setLimit(settings.historyCount);
            // A smaller 履歴数 cuts the file too, so the entries cut do not come back with it.
            if (it->second.entries().size() != before) save(key, it->second);
            continue;
        }
        InputHistory history(settings.historyCount);
        QFile file(m_folder + key + qs(".his"));
        if (file.open(QIODevice::ReadOnly)) history.load(file.readAll().toStdString());
        m_histories.emplace(key, std::move(history));
    }
}

InputHistory* InputHistories::find(const QString& name) {
    auto it = m_histories.find(name);
    return it == m_histories.end() ? nullptr : &it->second;
}

void InputHistories::enter(const QString& name, const QString& text) {
    InputHistory* history = find(name);
    if (history && history->enter(text.toStdString())) save(name, *history);
}

void InputHistories::save(const QString& name, const InputHistory& history) {
    if (m_folder.isEmpty()) return;
    QSaveFile file(m_folder + name + qs(".his"));
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(QByteArray::fromStdString(history.fileBytes()));
    // The history only helps typing: a failed save keeps the older file.
    (void)file.commit();
}

HeaderSearchDialog::HeaderSearchDialog(AppSettings& settings, InputHistories& histories,
                                       const QString& programFolder, QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_histories(histories),
      m_programFolder(programFolder) {
    setWindowTitle(qs("条件検索"));
    m_form = new QFormLayout;
    m_black = field(qs("先手(下手)："), qs("対局者"), qs("対局者"));
    m_white = field(qs("後手(上手)："), qs("対局者"), qs("対局者"));
    m_playerA = field(qs("対局者："), qs("対局者"), qs("対局者"));
    m_playerB = field(qs("対局者："), qs("対局者"), qs("対局者"));
    m_event = field(qs("棋戦："), qs("棋戦"), qs("棋戦"));
    m_opening = field(qs("戦型："), qs("戦型"), qs("戦型"));
    m_fileName = new QLineEdit(this);
    m_form->addRow(qs("ファイル名："), m_fileName);
    m_handicap = new QComboBox(this);
    m_handicap->addItem(qs("(指定なし)"));
    for (int h = 0; h < model::kHandicapCount; ++h) {
        m_handicap->addItem(fromUtf8(model::handicapText(static_cast<uint8_t>(h))));
    }
    m_form->addRow(qs("手合割："), m_handicap);
    m_fromOn = new QCheckBox(qs("日以降"), this);
    m_from = new QDateEdit(
        QDate(settings.dateFrom.year, settings.dateFrom.month, settings.dateFrom.day), this);
    m_form->addRow(m_fromOn, m_from);
    m_toOn = new QCheckBox(qs("日以前"), this);
    const QDate today = QDate::currentDate();
    const SettingsDate to =
        offeredDateTo(settings, SettingsDate{today.year(), today.month(), today.day()});
    m_to = new QDateEdit(QDate(to.year, to.month, to.day), this);
    m_form->addRow(m_toOn, m_to);
    m_ignoreBlanks = new QCheckBox(qs("対局者名の空白を無視する"), this);
    m_form->addRow(m_ignoreBlanks);
    // What only the moves and comments tell: read from the records after the headers matched.
    m_end = new QComboBox(this);
    m_end->setObjectName(qs("end"));
    for (const std::string& choice : gameEndChoices()) m_end->addItem(fromUtf8(choice));
    m_form->addRow(qs("終局："), m_end);
    m_material = new QLineEdit(this);
    m_material->setObjectName(qs("material"));
    m_material->setPlaceholderText(qs("例：飛車2枚 先手"));
    m_materialPly = new QSpinBox(this);
    m_materialPly->setObjectName(qs("materialPly"));
    m_materialPly->setRange(-1, 9999);
    m_materialPly->setValue(-1);
    m_materialPly->setSpecialValueText(qs("終局"));
    m_materialPly->setSuffix(qs("手目"));
    auto* material = new QHBoxLayout;
    material->addWidget(m_material, 1);
    material->addWidget(m_materialPly);
    m_form->addRow(qs("盤上の駒："), material);
    m_comment = new QLineEdit(this);
    m_comment->setObjectName(qs("comment"));
    m_form->addRow(qs("コメント："), m_comment);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_form);
    layout->addWidget(okCancel(this));
}

QComboBox* HeaderSearchDialog::field(const QString& label, const QString& history,
                                     const QString& listName) {
    auto* box = new QComboBox(this);
    suggestOnly(box);
    box->addItem(QString());
    if (InputHistory* h = m_histories.find(history)) {
        for (const auto& entry : h->entries()) box->addItem(fromUtf8(entry));
    }
    for (const QString& listed : suggestionList(m_programFolder, listName)) {
        if (box->findText(listed) < 0) box->addItem(listed);
    }
    box->setCurrentIndex(0);
    m_form->addRow(label, box);
    return box;
}

model::HeaderCriteria HeaderSearchDialog::criteria() {
    model::HeaderCriteria c;
    auto take = [&](QComboBox* box, const QString& history) {
        const QString text = box->currentText().trimmed();
        m_histories.enter(history, text);
        return toUtf8(text);
    };
    c.black = take(m_black, qs("対局者"));
    c.white = take(m_white, qs("対局者"));
    c.playerA = take(m_playerA, qs("対局者"));
    c.playerB = take(m_playerB, qs("対局者"));
    c.event = take(m_event, qs("棋戦"));
    c.opening = take(m_opening, qs("戦型"));
    c.fileName = toUtf8(m_fileName->text().trimmed());
    c.handicap = m_handicap->currentIndex();
    c.fromOn = m_fromOn->isChecked();
    c.from = indexDate(m_from->date());
    c.toOn = m_toOn->isChecked();
    c.to = indexDate(m_to->date());
    c.ignoreBlanks = m_ignoreBlanks->isChecked();
    m_settings.dateFrom = {m_from->date().year(), m_from->date().month(), m_from->date().day()};
    // A 日以前 date is kept only when it was used: otherwise the dialog goes on offering today.
    if (c.toOn) {
        m_settings.dateTo = {m_to->date().year(), m_to->date().month(), m_to->date().day()};
    }
    return c;
}

RecordSearchForm HeaderSearchDialog::recordForm() const {
    RecordSearchForm form;
    form.end = m_end->currentIndex();
    form.material = m_material->text().trimmed().toStdString();
    form.materialPly = m_materialPly->value();
    form.comment = m_comment->text().trimmed().toStdString();
    return form;
}

SequenceSearchDialog::SequenceSearchDialog(InputHistories& histories, const QString& programFolder,
                                           QWidget* parent)
    : QDialog(parent), m_histories(histories) {
    setWindowTitle(qs("手順検索"));
    m_pattern = new QComboBox(this);
    m_pattern->setObjectName(qs("pattern"));
    suggestOnly(m_pattern);
    // Room for a long sequence in characters of the dialog's font, at any screen scale.
    m_pattern->setMinimumWidth(m_pattern->fontMetrics().averageCharWidth() * 48);
    QStringList items;
    if (InputHistory* h = m_histories.find(qs("手順"))) {
        for (const auto& entry : h->entries()) items << fromUtf8(entry);
    }
    // Pattern lines are kept whole: a "#" starts a comment inside a pattern.
    QFile list(programFolder + qs("手順.txt"));
    if (list.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : list.readAll().split('\n')) {
            const QString text = fromUtf8(core::ownTextFileText(line.trimmed().toStdString()));
            if (!text.isEmpty() && !items.contains(text)) items << text;
        }
    }
    m_pattern->addItems(items);
    if (!items.isEmpty()) m_pattern->setCurrentIndex(0);
    auto* form = new QFormLayout;
    form->addRow(qs("手順指定："), m_pattern);
    auto* help = new QLabel(qs("<指し手> = [<手番>]<移動先><駒>[<手の種類>]\n\n"
                               "<手の種類> = 成、不(成)、打、移、取、合、移動合\n\n"
                               "指し手は、\",\"で区切り、８手まで指定可"),
                            this);
    help->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(help);
    layout->addWidget(okCancel(this));
}

QString SequenceSearchDialog::pattern() {
    const QString text = m_pattern->currentText().trimmed();
    m_histories.enter(qs("手順"), text);
    return text;
}

PositionSearchDialog::PositionSearchDialog(const PositionSearchForm& start, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs("局面検索"));
    const auto box = [this](const char* name, const char* text, bool on) {
        auto* c = new QCheckBox(qs(text), this);
        c->setObjectName(qs(name));
        c->setChecked(on);
        return c;
    };
    m_side = box("side", "手番の一致を調べる(&T)", start.sideMustMatch);
    m_reversed = box("reversed", "反転局面も検索する(&R)", start.alsoReversed);
    m_edges = box("edges", "端歩は調べない(&H)", start.ignoreEdgePawns);
    m_all = box("all", "全棋譜を対象にする(&A)", start.allRecords);
    m_replay = box("replay", "棋譜を自動再現する(&K)", start.autoReplay);
    m_replayCount = new QSpinBox(this);
    m_replayCount->setObjectName(qs("replayCount"));
    m_replayCount->setRange(0, kMaxAutoReplayCount);
    m_replayCount->setValue(start.replayCount);
    m_replayCount->setEnabled(start.autoReplay);
    connect(m_replay, &QCheckBox::toggled, m_replayCount, &QWidget::setEnabled);

    auto* replayGroup = new QGroupBox(qs("自動再現"), this);
    auto* replayLayout = new QHBoxLayout(replayGroup);
    replayLayout->addWidget(m_replay);
    replayLayout->addWidget(new QLabel(qs("棋譜数："), replayGroup));
    replayLayout->addWidget(m_replayCount);
    auto* layout = new QVBoxLayout(this);
    for (QCheckBox* c : {m_side, m_reversed, m_edges, m_all}) layout->addWidget(c);
    layout->addWidget(replayGroup);
    layout->addWidget(okCancel(this));
}

PositionSearchForm PositionSearchDialog::form() const {
    PositionSearchForm f;
    f.sideMustMatch = m_side->isChecked();
    f.alsoReversed = m_reversed->isChecked();
    f.ignoreEdgePawns = m_edges->isChecked();
    f.allRecords = m_all->isChecked();
    f.autoReplay = m_replay->isChecked();
    f.replayCount = m_replayCount->value();
    return f;
}

DuplicateDialog::DuplicateDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(qs("棋譜の重複を調べる"));
    const model::DuplicateCriteria defaults;
    auto* form = new QFormLayout;
    m_date = new QCheckBox(qs("対局日"), this);
    m_date->setChecked(defaults.sameDate);
    m_players = new QCheckBox(qs("対局者名"), this);
    m_players->setChecked(defaults.samePlayers);
    m_nameBytes = new QSpinBox(this);
    m_nameBytes->setRange(1, 40);
    m_nameBytes->setValue(defaults.nameBytes);
    m_nameBytes->setSuffix(qs(" 字(半角)"));
    m_blanks = new QCheckBox(qs("空白を無視する"), this);
    m_moveCount = new QCheckBox(qs("手数"), this);
    m_moveCount->setChecked(defaults.sameMoveCount);
    m_moves = new QCheckBox(qs("棋譜"), this);
    m_tolerance = new QSpinBox(this);
    m_tolerance->setRange(0, 100);
    m_tolerance->setSuffix(qs(" 手まで違いを許す"));
    form->addRow(m_date);
    form->addRow(m_players, m_nameBytes);
    form->addRow(m_blanks);
    form->addRow(m_moveCount);
    form->addRow(m_moves, m_tolerance);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

void DuplicateDialog::setCriteria(const model::DuplicateCriteria& c, bool moveLists) {
    m_date->setChecked(c.sameDate);
    m_players->setChecked(c.samePlayers);
    m_nameBytes->setValue(c.nameBytes);
    m_blanks->setChecked(c.ignoreBlanks);
    m_moveCount->setChecked(c.sameMoveCount);
    m_moves->setChecked(moveLists && c.compareMoves);
    m_moves->setEnabled(moveLists);
    m_tolerance->setValue(c.moveTolerance);
    m_tolerance->setEnabled(moveLists);
}

model::DuplicateCriteria DuplicateDialog::criteria() const {
    model::DuplicateCriteria c;
    c.sameDate = m_date->isChecked();
    c.samePlayers = m_players->isChecked();
    c.nameBytes = m_nameBytes->value();
    c.ignoreBlanks = m_blanks->isChecked();
    c.sameMoveCount = m_moveCount->isChecked();
    c.compareMoves = m_moves->isChecked();
    c.moveTolerance = m_tolerance->value();
    return c;
}

ReportDialog::ReportDialog(const QString& title, const QString& report, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    m_text = new QPlainTextEdit(report, this);
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setMinimumSize(520, 360);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(qs("コピー(&C)"), QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(m_text->toPlainText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
}

QString ReportDialog::text() const { return m_text->toPlainText(); }

}  // namespace dalmir
