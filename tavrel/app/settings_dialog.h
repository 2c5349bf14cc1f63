// The tabbed dialog "設定": draws the pages of settingsPages() over a draft copy of the settings,
// the sound test button, the print fonts, the desktop set-up buttons and the FTP page. The
// caller takes the draft on OK; nothing reaches the settings otherwise.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QTabWidget>
#include <functional>
#include <memory>
#include <vector>

#include "core/text/translation.h"
#include "tavrel/logic/tools/settings_pages.h"

class QLabel;
class QListWidget;
class QLineEdit;
class QCheckBox;
class QPushButton;
class QFormLayout;

namespace tavrel {

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    // What the dialog hands to its owner.
    struct Hooks {
        PieceSoundTest testSound;         // "駒音ﾃｽﾄ(&T)"
        std::function<void()> associate;  // "実行(&E)"
        std::function<void()> shortcut;   // "作成(&C)"
        std::function<void()> help;       // the help button
    };

    SettingsDialog(const Settings& stored, Hooks hooks, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    const Settings& draft() const { return m_draft; }
    // "言語": kept in the profile, not in the environment file.
    void setLanguageChoice(core::LanguageChoice choice);
    core::LanguageChoice languageChoice() const;
    // "英語での先手・後手": how the English texts name the players.
    void setEnglishSides(core::EnglishSides sides);
    core::EnglishSides englishSides() const;
    QTabWidget* tabs() { return m_tabs; }

private:
    struct Bound {
        const SettingControl* control;
        QWidget* widget;             // enabled by the control's rule
        std::function<void()> load;  // shows the draft's value (numbers only)
    };

    QWidget* buildPage(const SettingsPage& page);
    void addControl(QWidget* page, QFormLayout* form, const SettingControl& c);
    QWidget* buildFontsPage();
    QWidget* buildDesktopPage();
    QWidget* buildFtpPage();
    void changed();
    void loadFtp();
    void chooseFont(FontSetting& font, QLabel* shown);

    const Settings& m_stored;
    Settings m_draft;
    Hooks m_hooks;
    QTabWidget* m_tabs;
    QComboBox* m_language;
    QComboBox* m_englishSides;
    std::vector<Bound> m_bound;
    bool m_loading = false;

    std::unique_ptr<FtpPageModel> m_ftp;
    QListWidget* m_ftpList = nullptr;
    std::vector<QLineEdit*> m_ftpFields;
    QCheckBox* m_ftpPassive = nullptr;
    QPushButton* m_ftpRemove = nullptr;
    QPushButton* m_ftpUp = nullptr;
    QPushButton* m_ftpDown = nullptr;
};

}  // namespace tavrel
