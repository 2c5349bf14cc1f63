// The settings dialog "設定": its pages and controls as one table over the settings record, the
// rules for which controls are enabled, the FTP page's list and the OK/Cancel contract. The
// dialog edits a draft copy; the window only draws the controls the table describes.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tavrel/settings/settings.h"

namespace tavrel {

enum class ControlKind {
    Check,   // 0/1; an unchanged check keeps any other stored value
    Number,  // spin box within [minimum, maximum]
    Slider,  // the same, drawn as a slider with its value beside it
    Choice,  // a group of radio buttons, the value being the button's index
    Text,    // one line of text, at most `bytes` CP932 bytes
    Path,    // a program path with a button "参照" and a file dialog
};

// A file dialog a Path control opens.
struct PathDialog {
    std::string_view button;  // "参照(&K)..."
    std::string_view title;
    std::string_view filter;
};

// One control. Texts are UTF-8 as shown; settings values are reached through the accessors.
struct SettingControl {
    std::string_view id;     // names the control for the enable rules and the tests
    std::string_view label;  // caption, or the group's title for a Choice
    ControlKind kind = ControlKind::Check;
    int minimum = 0;
    int maximum = 1;
    int displayScale = 1;   // Slider/Number: shown value = stored value × displayScale
    std::string_view unit;  // shown after a number ("手", "mm")
    std::vector<std::string_view> choices;     // Choice: the buttons in value order
    std::size_t bytes = kSettingTextBytes;     // Text/Path
    PathDialog dialog;                         // Path
    int (*number)(const Settings&) = nullptr;  // Check, Number, Slider, Choice
    void (*setNumber)(Settings&, int) = nullptr;
    const std::string& (*text)(const Settings&) = nullptr;  // Text, Path
    void (*setText)(Settings&, std::string) = nullptr;
    bool (*enabled)(const Settings&) = nullptr;  // null: always enabled
};

// Pages whose controls are not all in the table.
enum class PageKind {
    Plain,
    Sound,    // the table's controls and the test button "駒音ﾃｽﾄ(&T)"
    Fonts,    // the two print font buttons
    Desktop,  // the two set-up actions of the desktop
    Ftp,      // the FTP destinations
};

struct SettingsPage {
    std::string_view title;
    PageKind kind = PageKind::Plain;
    std::vector<SettingControl> controls;
    std::string_view group = {};  // when set, the controls are drawn in a group of that title
    std::vector<std::string_view> notes = {};  // help lines shown below the controls
};

// The 画像 page's help: one line per placeholder of the image file name, "%M ...".
std::vector<std::string_view> imageNameNotes();

// Every page in the dialog's order, with its controls.
const std::vector<SettingsPage>& settingsPages();
// The control of that id on any page; null when there is none.
const SettingControl* findSettingControl(std::string_view id);

// The value a control stores for what the user set: numbers kept in the control's range (the
// scale taken off), texts cut to the control's bytes on a character boundary.
void storeNumber(const SettingControl& control, Settings& draft, int shownValue);
void storeText(const SettingControl& control, Settings& draft, std::string cp932);
// The value shown at opening: numbers scaled and kept in the range, a check ticked for non-zero.
int shownNumber(const SettingControl& control, const Settings& draft);
bool controlEnabled(const SettingControl& control, const Settings& draft);

// The sound page. The piece sound kinds in value order (PieceSoundKind).
std::vector<std::string_view> pieceSoundChoices();
// The WAVE file's field and button follow the choice of the user's file.
bool userWaveEnabled(const Settings& draft);
// The test button: plays the draft's piece sound and file, through `play`, which receives a copy
// of the stored settings with only those two values changed; the stored settings stay as they
// are.
using PieceSoundTest = std::function<void(const Settings& trial)>;
void testPieceSound(const Settings& stored, const Settings& draft, const PieceSoundTest& play);

// The FTP page: the list "設定一覧" of the draft's destinations and the one being edited.
class FtpPageModel {
public:
    explicit FtpPageModel(FtpSettings& draft);

    const std::vector<FtpSetting>& entries() const { return m_draft.entries; }
    // -1 when the list is empty.
    int current() const { return m_current; }
    void select(int index);
    // The editing fields follow the list: enabled while an entry is chosen.
    bool fieldsEnabled() const { return m_current >= 0; }
    bool canRemove() const { return m_current >= 0; }
    bool canMoveUp() const { return m_current > 0; }
    bool canMoveDown() const {
        return m_current >= 0 && m_current + 1 < static_cast<int>(m_draft.entries.size());
    }

    // "新規作成": appends "設定n" (n its number in the list, passive) and chooses it.
    // Returns false when the list already holds kMaxFtpSettings.
    bool add();
    // "削除": removes the chosen entry; the next one (or the new last) is chosen.
    void remove();
    void moveUp();
    void moveDown();

    // Edits of the chosen entry (CP932, cut to kFtpTextBytes); nothing without one.
    enum class Field { Name, Server, User, Password, Folder };
    void setField(Field field, std::string cp932);
    void setPassive(bool passive);
    // The upload mark of an entry in the list.
    void setUploadTo(int index, bool selected);

private:
    void remember();

    FtpSettings& m_draft;
    int m_current = -1;
};

// The set-up page's messages (CP932): a target that cannot be written, and the two successes.
std::string cannotWriteMessage(std::string_view path);
std::string associatedMessage();
std::string shortcutCreatedMessage();
// OK could not write the environment file (the settings in memory hold the change).
std::string environmentNotSavedMessage(std::string_view path);

// What the dialog's OK does with the draft: the settings take it and the environment is written
// through `save` (the safe writer). Returns save's result; Cancel simply drops the draft.
template <typename Save>
auto acceptSettings(Settings& settings, const Settings& draft, Save&& save) {
    settings = draft;
    return save(settings);
}

}  // namespace tavrel
