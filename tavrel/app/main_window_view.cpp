// The main window's View menu: the board's turn and emphasis, the status bar, colours, fonts and
// the board and piece pictures, and the record window's entries. Each command is bound to the
// window's table here.
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>

#include "core/text/sjis.h"
#include "desktop/qt_text.h"
#include "tavrel/app/main_window.h"
#include "tavrel/logic/tools/piece_choices.h"

namespace tavrel {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }

}  // namespace

void MainWindow::bindViewCommands() {
    using C = Command;
    bind(
        C::Turn, [this] { m_board->setTurned(!m_board->turned()); },
        [this] { return m_board->turned(); });
    bind(
        C::EmphasiseSide,
        [this] {
            m_settings.emphasiseSideToMove = m_settings.emphasiseSideToMove ? 0 : 1;
            m_board->update();
        },
        [this] { return m_settings.emphasiseSideToMove != 0; });
    const std::pair<C, LastPieceEmphasis> lastPiece[] = {
        {C::LastPieceNone, LastPieceEmphasis::None},
        {C::LastPieceColour, LastPieceEmphasis::PieceColour},
        {C::LastSquareColour, LastPieceEmphasis::SquareColour}};
    for (auto [command, value] : lastPiece) {
        bind(
            command,
            [this, value = value] {
                m_settings.lastPieceEmphasis = value;
                m_board->update();
            },
            [this, value = value] { return m_settings.lastPieceEmphasis == value; });
    }
    bind(
        C::StatusBar,
        [this] {
            m_settings.showStatusBar = m_settings.showStatusBar ? 0 : 1;
            statusBar()->setVisible(m_settings.showStatusBar != 0);
        },
        [this] { return m_settings.showStatusBar != 0; });

    const std::pair<C, Rgb Settings::*> colours[] = {
        {C::BoardColour, &Settings::boardColour},
        {C::StandColour, &Settings::pieceBoxColour},
        {C::LastPieceColourDialog, &Settings::lastPieceColour},
        {C::CurrentMoveColour, &Settings::currentMoveColour},
        {C::VariationColour, &Settings::variationColour},
        {C::BackgroundColour, &Settings::backgroundColour}};
    for (auto [command, colour] : colours) {
        bind(command, [this, colour = colour] {
            chooseColour(m_settings.*colour);
            m_recordWindow->invalidate();
            m_recordWindow->refresh();
        });
    }
    const std::pair<C, FontSetting Settings::*> fonts[] = {
        {C::InformationFont, &Settings::informationFont},
        {C::StatusFont, &Settings::statusFont},
        {C::RecordFont, &Settings::recordFont},
        {C::CoordinateFont, &Settings::coordinateFont},
        {C::CommentFont, &Settings::commentFont}};
    for (auto [command, font] : fonts) {
        bind(command, [this, font = font] { chooseFont(m_settings.*font); });
    }
    bind(C::PieceSettings, [this] { pieceSettings(); });

    bind(
        C::RecordWindow, [this] { showRecordWindow(!recordShown()); },
        [this] { return recordShown(); });
    const std::pair<C, RecordListForm> forms[] = {{C::RecordTimes, RecordListForm::Times},
                                                  {C::RecordBranches, RecordListForm::Branches}};
    for (auto [command, form] : forms) {
        bind(command, [this, form = form] {
            m_settings.recordWindow.form = form;
            m_recordWindow->refresh();
        });
    }
    bind(
        C::BookmarkNames,
        [this] {
            m_settings.showBookmarkNames = m_settings.showBookmarkNames == 1 ? 0 : 1;
            m_recordWindow->refresh();
        },
        [this] { return m_settings.showBookmarkNames == 1; });
    for (int value = 0; value < 3; ++value) {
        bind(
            commandAt(C::BranchWindow0, value),
            [this, value] {
                m_settings.branchWindow.mode = static_cast<BranchWindowMode>(value);
                m_branchWindow->refresh();
                m_branchDock->setVisible(!m_branchWindow->isHidden());
            },
            [this, value] {
                return m_settings.branchWindow.mode == static_cast<BranchWindowMode>(value);
            });
    }
}

void MainWindow::chooseColour(Rgb& colour) {
    QColor chosen = QColorDialog::getColor(toColour(colour), this);
    if (!chosen.isValid()) return;
    colour = Rgb{static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
                 static_cast<std::uint8_t>(chosen.blue())};
    m_board->update();
}

void MainWindow::pieceSettings() {
    PieceChoices choices = pieceChoices(m_settings);
    QDialog dialog(this);
    dialog.setWindowTitle(desktop::translated("盤・駒の設定"));
    auto* form = new QFormLayout(&dialog);
    // The items in the order of WoodChoice.
    auto woodChoices = [&](WoodChoice value) {
        auto* box = new QComboBox(&dialog);
        box->addItems({desktop::translated("木目１"), desktop::translated("木目２"),
                       desktop::translated("単色")});
        box->setCurrentIndex(static_cast<int>(value));
        return box;
    };
    QComboBox* board = woodChoices(choices.board);
    QComboBox* stand = woodChoices(choices.stand);
    form->addRow(desktop::translated("　盤："), board);
    form->addRow(desktop::translated("駒台："), stand);
    auto* pieceGroup = new QGroupBox(desktop::translated("駒"), &dialog);
    auto* pieceForm = new QFormLayout(pieceGroup);
    auto* standard = new QRadioButton(desktop::translated("標準(&S)"), pieceGroup);
    auto* oneCharacter = new QRadioButton(desktop::translated("一文字(&1)"), pieceGroup);
    standard->setObjectName(QStringLiteral("standardPieces"));
    oneCharacter->setObjectName(QStringLiteral("oneCharacterPieces"));
    auto* styles = new QHBoxLayout;
    styles->addWidget(standard);
    styles->addWidget(oneCharacter);
    pieceForm->addRow(styles);
    auto* set = new QSpinBox(pieceGroup);
    set->setObjectName(QStringLiteral("pieceSet"));
    set->setRange(0, kPieceSetCount - 1);
    set->setValue(choices.pieceSet);
    pieceForm->addRow(desktop::translated("駒の種類："), set);
    // The two buttons choose their sets; another set number leaves both unchecked.
    auto showStyle = [standard, oneCharacter](int value) {
        standard->setAutoExclusive(false);
        oneCharacter->setAutoExclusive(false);
        standard->setChecked(value == kStandardPieceSet);
        oneCharacter->setChecked(value == kOneCharacterPieceSet);
        standard->setAutoExclusive(true);
        oneCharacter->setAutoExclusive(true);
    };
    showStyle(choices.pieceSet);
    connect(set, &QSpinBox::valueChanged, &dialog, showStyle);
    connect(standard, &QRadioButton::clicked, &dialog, [set] { set->setValue(kStandardPieceSet); });
    connect(oneCharacter, &QRadioButton::clicked, &dialog,
            [set] { set->setValue(kOneCharacterPieceSet); });
    form->addRow(pieceGroup);
    auto* externalGroup = new QGroupBox(desktop::translated("外部駒"), &dialog);
    auto* externalForm = new QVBoxLayout(externalGroup);
    auto* external = new QCheckBox(desktop::translated("外部駒使用(&G)"), externalGroup);
    external->setChecked(choices.externalPieces);
    externalForm->addWidget(external);
    auto* pathRow = new QHBoxLayout;
    auto* path = new QLineEdit(qtext(choices.pieceBitmap), externalGroup);
    auto* browse = new QPushButton(desktop::translated("参照(&R)..."), externalGroup);
    pathRow->addWidget(path);
    pathRow->addWidget(browse);
    externalForm->addLayout(pathRow);
    form->addRow(externalGroup);
    connect(browse, &QPushButton::clicked, &dialog, [&] {
        QString f = QFileDialog::getOpenFileName(
            &dialog, desktop::translated("外部駒ファイルの設定"), path->text(),
            desktop::translated("BITMAP (*.bmp *.BMP);;画像 (*.bmp *.png *.BMP *.PNG)"));
        if (!f.isEmpty()) path->setText(f);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return;
    choices.pieceSet = set->value();
    choices.board = static_cast<WoodChoice>(board->currentIndex());
    choices.stand = static_cast<WoodChoice>(stand->currentIndex());
    choices.externalPieces = external->isChecked();
    choices.pieceBitmap = path->text().toStdString();
    applyPieceChoices(choices, m_settings);
    std::string message = m_board->reloadPictures();
    if (!message.empty()) showMessage(message, programCaption());
}

}  // namespace tavrel
