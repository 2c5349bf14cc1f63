// The dialogs of game play: the sheet "新規対局" (the players page, the event page and the date
// and user-field page), "対局者名変更" and "棋譜の保存" at the end of a game. They show and collect
// texts; what the values do is tavrel/logic/play/game_play.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <string>
#include <vector>

#include "tavrel/app/info_field_combo.h"
#include "tavrel/logic/document/document_ui.h"
#include "tavrel/logic/play/game_play.h"

namespace tavrel {

class RecordEventPage;
class RecordDateUserPage;

// Where the drop-downs' choices come from: the settings, the session's histories and the folder
// of the list files.
struct ChoiceSource {
    const Settings* settings = nullptr;
    const Histories* histories = nullptr;
    std::string folder;
    // The registered engines' names (UTF-8), offered as players.
    std::vector<std::string> engineNames;
};

// 手合割, the 先手 and 後手 names (下手 and 上手 in a handicap game) with their short names and the
// button "先手後手未定(&M)"; who plays each side (人間 or a registered engine) and the time
// control.
class GamePlayersPage : public QWidget {
    Q_OBJECT
public:
    GamePlayersPage(const ChoiceSource& source, QWidget* parent = nullptr);

    void showFields(const NewGameFields& fields);
    // Handicap and names into fields.
    void collect(NewGameFields& fields) const;

    QComboBox* handicapBox() const { return m_handicap; }
    InfoFieldCombo* blackBox() const { return m_black; }
    InfoFieldCombo* whiteBox() const { return m_white; }
    QLabel* blackLabel() const { return m_blackLabel; }
    QLabel* whiteLabel() const { return m_whiteLabel; }
    QPushButton* undecidedButton() const { return m_undecided; }
    QComboBox* blackPlayerBox() const { return m_blackPlayer; }
    QComboBox* whitePlayerBox() const { return m_whitePlayer; }
    QSpinBox* initialMinutesBox() const { return m_initial; }
    QSpinBox* byoyomiBox() const { return m_byoyomi; }
    QSpinBox* incrementBox() const { return m_increment; }

private:
    core::HandicapType handicap() const;
    void followHandicap();

    QComboBox* m_handicap;
    QLabel* m_blackLabel;
    QLabel* m_whiteLabel;
    InfoFieldCombo* m_black;
    InfoFieldCombo* m_white;
    QLineEdit* m_blackShort;
    QLineEdit* m_whiteShort;
    QPushButton* m_undecided;
    QComboBox* m_blackPlayer;
    QComboBox* m_whitePlayer;
    QSpinBox* m_initial;
    QSpinBox* m_byoyomi;
    QSpinBox* m_increment;
};

// The sheet "新規対局".
class NewGameSheet : public QDialog {
    Q_OBJECT
public:
    NewGameSheet(const ChoiceSource& source, const NewGameFields& fields,
                 QWidget* parent = nullptr);

    // The values entered.
    NewGameFields fields() const;

    QTabWidget* tabs() const { return m_tabs; }
    GamePlayersPage* playersPage() const { return m_players; }
    RecordEventPage* eventPage() const { return m_event; }
    RecordDateUserPage* dateUserPage() const { return m_dateUser; }

private:
    QTabWidget* m_tabs;
    GamePlayersPage* m_players;
    RecordEventPage* m_event;
    RecordDateUserPage* m_dateUser;
};

// The dialog "対局者名変更".
class PlayerNamesDlg : public QDialog {
    Q_OBJECT
public:
    PlayerNamesDlg(const ChoiceSource& source, const std::string& black, const std::string& white,
                   core::HandicapType handicap, QWidget* parent = nullptr);

    std::string black() const { return m_black->value(); }
    std::string white() const { return m_white->value(); }
    InfoFieldCombo* blackBox() const { return m_black; }
    InfoFieldCombo* whiteBox() const { return m_white; }
    QPushButton* undecidedButton() const { return m_undecided; }

private:
    InfoFieldCombo* m_black;
    InfoFieldCombo* m_white;
    QPushButton* m_undecided;
};

// The dialog "棋譜の保存" over the record's name.
GameSaveChoice askGameSaveDialog(QWidget* parent, const std::string& recordName);

}  // namespace tavrel
