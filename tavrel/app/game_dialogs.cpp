#include "tavrel/app/game_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QMessageBox>
#include <QVBoxLayout>
#include <algorithm>

#include "core/notation/piece_text.h"
#include "tavrel/app/record_info_pages.h"
#include "tavrel/platform/qt_text.h"

namespace tavrel {

namespace {

const InfoFieldSource kPlayers{HistoryField::Players, ListField::Players};

InfoFieldCombo* playerBox(const ChoiceSource& source, QWidget* parent) {
    auto* box = new InfoFieldCombo(parent);
    if (source.settings && source.histories) {
        box->setChoices(
            infoFieldChoices(kPlayers, *source.settings, *source.histories, source.folder));
    }
    return box;
}

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// 人間 (no data) and the registered engines (their names as data).
QComboBox* playerKindBox(const ChoiceSource& source, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItem(desktop::translated("人間"), QString());
    for (const std::string& name : source.engineNames) {
        box->addItem(QString::fromStdString(name), QString::fromStdString(name));
    }
    return box;
}

QSpinBox* secondsBox(int maximum, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(0, maximum);
    return box;
}

}  // namespace

// ---- GamePlayersPage ----

GamePlayersPage::GamePlayersPage(const ChoiceSource& source, QWidget* parent)
    : QWidget(parent),
      m_handicap(new QComboBox(this)),
      m_blackLabel(new QLabel(this)),
      m_whiteLabel(new QLabel(this)),
      m_black(playerBox(source, this)),
      m_white(playerBox(source, this)),
      m_blackShort(new QLineEdit(this)),
      m_whiteShort(new QLineEdit(this)),
      m_undecided(new QPushButton(desktop::translated("先手後手未定(&M)"), this)),
      m_blackPlayer(playerKindBox(source, this)),
      m_whitePlayer(playerKindBox(source, this)),
      m_initial(secondsBox(kMaxControlSeconds / 60, this)),
      m_byoyomi(secondsBox(kMaxControlSeconds, this)),
      m_increment(secondsBox(kMaxControlSeconds, this)) {
    m_blackPlayer->setObjectName(QStringLiteral("blackPlayer"));
    m_whitePlayer->setObjectName(QStringLiteral("whitePlayer"));
    m_initial->setSuffix(desktop::translated(" 分"));
    m_byoyomi->setSuffix(desktop::translated(" 秒"));
    m_increment->setSuffix(desktop::translated(" 秒"));
    for (core::HandicapType t : offeredHandicaps()) {
        m_handicap->addItem(fromUtf8(core::handicapName(t)), t);
    }
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(desktop::translated("手合割："), this), 0, 0);
    grid->addWidget(m_handicap, 0, 1);
    grid->addWidget(m_blackLabel, 1, 0);
    grid->addWidget(m_black, 1, 1);
    grid->addWidget(new QLabel(desktop::translated("省略名："), this), 1, 2);
    grid->addWidget(m_blackShort, 1, 3);
    grid->addWidget(m_whiteLabel, 2, 0);
    grid->addWidget(m_white, 2, 1);
    grid->addWidget(new QLabel(desktop::translated("省略名："), this), 2, 2);
    grid->addWidget(m_whiteShort, 2, 3);
    grid->addWidget(m_undecided, 3, 1);
    grid->addWidget(new QLabel(desktop::translated("先手の対局者："), this), 4, 0);
    grid->addWidget(m_blackPlayer, 4, 1);
    grid->addWidget(new QLabel(desktop::translated("後手の対局者："), this), 5, 0);
    grid->addWidget(m_whitePlayer, 5, 1);
    grid->addWidget(new QLabel(desktop::translated("持ち時間："), this), 6, 0);
    grid->addWidget(m_initial, 6, 1);
    grid->addWidget(new QLabel(desktop::translated("秒読み："), this), 7, 0);
    grid->addWidget(m_byoyomi, 7, 1);
    grid->addWidget(new QLabel(desktop::translated("加算："), this), 7, 2);
    grid->addWidget(m_increment, 7, 3);
    grid->setRowStretch(8, 1);
    connect(m_handicap, &QComboBox::currentIndexChanged, this, [this] { followHandicap(); });
    connect(m_undecided, &QPushButton::clicked, this, [this] {
        auto [black, white] = undecidedNames(handicap());
        m_black->setValue(black);
        m_white->setValue(white);
    });
    followHandicap();
}

core::HandicapType GamePlayersPage::handicap() const {
    QVariant v = m_handicap->currentData();
    return v.isValid() ? v.toInt() : core::kHandicapEven;
}

void GamePlayersPage::followHandicap() {
    m_blackLabel->setText(fromUtf8(blackNameLabel(handicap())));
    m_whiteLabel->setText(fromUtf8(whiteNameLabel(handicap())));
}

void GamePlayersPage::showFields(const NewGameFields& fields) {
    int index = m_handicap->findData(fields.handicap);
    m_handicap->setCurrentIndex(index < 0 ? 0 : index);
    m_black->setValue(fields.black);
    m_white->setValue(fields.white);
    m_blackShort->setText(fromUtf8(fields.blackShort));
    m_whiteShort->setText(fromUtf8(fields.whiteShort));
    // An engine no longer registered leaves its side to a human.
    const auto choose = [](QComboBox* box, const std::string& engine) {
        const int i = engine.empty() ? 0 : box->findData(QString::fromStdString(engine));
        box->setCurrentIndex(std::max(i, 0));
    };
    choose(m_blackPlayer, fields.players.blackEngine);
    choose(m_whitePlayer, fields.players.whiteEngine);
    m_initial->setValue(fields.players.time.initialSeconds / 60);
    m_byoyomi->setValue(fields.players.time.byoyomiSeconds);
    m_increment->setValue(fields.players.time.incrementSeconds);
    followHandicap();
}

void GamePlayersPage::collect(NewGameFields& fields) const {
    fields.handicap = handicap();
    fields.black = m_black->value();
    fields.white = m_white->value();
    fields.blackShort = toUtf8(m_blackShort->text());
    fields.whiteShort = toUtf8(m_whiteShort->text());
    fields.players.blackEngine = m_blackPlayer->currentData().toString().toStdString();
    fields.players.whiteEngine = m_whitePlayer->currentData().toString().toStdString();
    fields.players.time.initialSeconds = m_initial->value() * 60;
    fields.players.time.byoyomiSeconds = m_byoyomi->value();
    fields.players.time.incrementSeconds = m_increment->value();
}

// ---- NewGameSheet ----

NewGameSheet::NewGameSheet(const ChoiceSource& source, const NewGameFields& fields, QWidget* parent)
    : QDialog(parent),
      m_tabs(new QTabWidget(this)),
      m_players(new GamePlayersPage(source, m_tabs)),
      m_event(new RecordEventPage(false, m_tabs)),
      m_dateUser(new RecordDateUserPage(*source.settings, true, m_tabs)) {
    setWindowTitle(desktop::translated("新規対局"));
    m_tabs->addTab(m_players, desktop::translated("対局者"));
    m_tabs->addTab(m_event, desktop::translated("棋譜情報"));
    m_tabs->addTab(m_dateUser, desktop::translated("ユーザ情報"));
    if (source.histories) {
        m_event->fillChoices(*source.settings, *source.histories, source.folder);
        m_dateUser->fillChoices(*source.settings, *source.histories, source.folder);
    }
    m_players->showFields(fields);
    m_event->showValues(fields.header);
    m_dateUser->showValues(fields.header);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(okCancel(this));
}

NewGameFields NewGameSheet::fields() const {
    NewGameFields f;
    m_players->collect(f);
    for (const InfoFieldsPage* page : {static_cast<const InfoFieldsPage*>(m_dateUser),
                                       static_cast<const InfoFieldsPage*>(m_event)}) {
        for (const RecordInfoField& field : page->fields()) {
            if (field.editable) f.header.emplace_back(field.field, page->value(field.field));
        }
    }
    return f;
}

// ---- PlayerNamesDlg ----

PlayerNamesDlg::PlayerNamesDlg(const ChoiceSource& source, const std::string& black,
                               const std::string& white, core::HandicapType handicap,
                               QWidget* parent)
    : QDialog(parent),
      m_black(playerBox(source, this)),
      m_white(playerBox(source, this)),
      m_undecided(new QPushButton(desktop::translated("先手後手未定(&M)"), this)) {
    setWindowTitle(desktop::translated("対局者名変更"));
    m_black->setValue(black);
    m_white->setValue(white);
    auto* form = new QFormLayout(this);
    form->addRow(fromUtf8(blackNameLabel(handicap)), m_black);
    form->addRow(fromUtf8(whiteNameLabel(handicap)), m_white);
    form->addRow(m_undecided);
    form->addRow(okCancel(this));
    connect(m_undecided, &QPushButton::clicked, this, [this, handicap] {
        auto [b, w] = undecidedNames(handicap);
        m_black->setValue(b);
        m_white->setValue(w);
    });
}

// ---- 棋譜の保存 ----

GameSaveChoice askGameSaveDialog(QWidget* parent, const std::string& recordName) {
    QMessageBox box(parent);
    box.setWindowTitle(desktop::translated("棋譜の保存"));
    box.setIcon(QMessageBox::Question);
    box.setText(desktop::translated("棋譜を保存しますか？"));
    box.setInformativeText(fromUtf8(recordName));
    QPushButton* save =
        box.addButton(desktop::translated("上書き保存(&S)"), QMessageBox::AcceptRole);
    QPushButton* saveAs =
        box.addButton(desktop::translated("名前を付けて保存(&A)"), QMessageBox::ActionRole);
    QPushButton* none =
        box.addButton(desktop::translated("保存しない(&N)"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(none);
    box.exec();
    if (box.clickedButton() == save) return GameSaveChoice::Save;
    if (box.clickedButton() == saveAs) return GameSaveChoice::SaveAs;
    return GameSaveChoice::DontSave;
}

}  // namespace tavrel
