#include "tavrel/logic/tools/settings_pages.h"

#include <gtest/gtest.h>

#include <set>

#include "core/templates/template_contexts.h"
#include "core/text/sjis.h"
#include "tavrel/settings/environment_file.h"

namespace tavrel {
namespace {

const SettingControl& control(std::string_view id) {
    const SettingControl* c = findSettingControl(id);
    EXPECT_NE(c, nullptr) << id;
    return *c;
}

TEST(SettingsPages, PagesInTheirOrderWithUniqueWiredControls) {
    std::vector<std::string_view> titles;
    std::set<std::string_view> ids;
    for (const SettingsPage& page : settingsPages()) {
        titles.push_back(page.title);
        for (const SettingControl& c : page.controls) {
            EXPECT_TRUE(ids.insert(c.id).second) << c.id;
            bool textual = c.kind == ControlKind::Text || c.kind == ControlKind::Path;
            EXPECT_EQ(textual, c.text != nullptr && c.setText != nullptr) << c.id;
            EXPECT_EQ(!textual, c.number != nullptr && c.setNumber != nullptr) << c.id;
            if (c.kind == ControlKind::Choice) {
                EXPECT_EQ(c.maximum + 1, static_cast<int>(c.choices.size())) << c.id;
            }
        }
    }
    EXPECT_EQ(titles, (std::vector<std::string_view>{"棋譜", "情報", "メール", "メール2", "ｻｳﾝﾄﾞ",
                                                     "印刷", "印刷2", "動作", "画像", "再現",
                                                     "履歴", "英語", "初期", "FTP"}));
}

// The captions users look for, exactly as the help and the manuals quote them.
TEST(SettingsPages, CaptionsAsQuoted) {
    EXPECT_EQ(control("offerReplayAfterLoad").label, "再開、再現時の棋譜読み込み選択(&S)");
    EXPECT_EQ(control("checkRules").label, "ルールチェック(&R)");
    const SettingsPage* mail = nullptr;
    for (const SettingsPage& page : settingsPages()) {
        if (page.title == "メール") mail = &page;
    }
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail->group, "インターネットメールの設定");
}

// The 画像 page's help names each placeholder the image file name knows, and only those.
TEST(SettingsPages, ImageNameHelpMatchesThePlaceholders) {
    const core::ContextRule& rule = core::contextRule(core::TemplateContext::ImageName);
    std::string letters;
    for (std::string_view line : imageNameNotes()) {
        ASSERT_GE(line.size(), 3u);
        ASSERT_EQ(line[0], '%') << line;
        EXPECT_NE(rule.table[static_cast<unsigned char>(line[1])], core::Placeholder::Unknown)
            << line;
        letters += line[1];
    }
    EXPECT_EQ(letters, "MEPKfFDNBWYyT");
    const SettingsPage* image = nullptr;
    for (const SettingsPage& page : settingsPages()) {
        if (page.title == "画像") image = &page;
    }
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->notes.size(), letters.size());
}

// Each control writes its own setting and nothing else: one change per control, compared key by
// key with the environment file's view of the settings.
TEST(SettingsPages, EachControlChangesExactlyItsOwnKey) {
    const Settings defaults;
    for (const SettingsPage& page : settingsPages()) {
        for (const SettingControl& c : page.controls) {
            Settings draft = defaults;
            if (c.text) {
                storeText(c, draft, "x");
            } else if (c.kind == ControlKind::Check) {
                storeNumber(c, draft, shownNumber(c, draft) ? 0 : 1);
            } else {
                int shown = shownNumber(c, draft);
                int other = shown == c.minimum * c.displayScale ? c.maximum : c.minimum;
                storeNumber(c, draft, other * c.displayScale);
            }
            int changed = 0;
            for (const std::string& key : environmentKeys()) {
                if (valueText(draft, key) != valueText(defaults, key)) ++changed;
            }
            EXPECT_EQ(changed, 1) << c.id;
        }
    }
}

TEST(SettingsPages, NumbersStayInRangeAndScale) {
    Settings draft;
    const SettingControl& history = control("historyCount");
    storeNumber(history, draft, 35);
    EXPECT_EQ(draft.historyCount, 20);
    storeNumber(history, draft, -1);
    EXPECT_EQ(draft.historyCount, 0);

    // The replay speed is kept in tenths of a second and shown in milliseconds.
    const SettingControl& speed = control("replaySpeed");
    EXPECT_EQ(shownNumber(speed, draft), 500);
    storeNumber(speed, draft, 1200);
    EXPECT_EQ(draft.replaySpeed, 12);
    // A stored value out of range is shown at the nearest end, but stays until changed.
    draft.recordCapacity = 0;
    EXPECT_EQ(shownNumber(control("recordCapacity"), draft), 1);
    EXPECT_EQ(draft.recordCapacity, 0);
}

TEST(SettingsPages, UntouchedFlagsKeepOtherValues) {
    Settings draft;
    draft.backup = 2;
    const SettingControl& backup = control("backup");
    EXPECT_EQ(shownNumber(backup, draft), 1);
    storeNumber(backup, draft, 1);
    EXPECT_EQ(draft.backup, 2);
    storeNumber(backup, draft, 0);
    EXPECT_EQ(draft.backup, 0);
}

TEST(SettingsPages, TextsAreCutOnACharacterBoundary) {
    Settings draft;
    // 103 bytes in Shift-JIS: the cut keeps "あ" and 98 'a', the width of the field.
    std::string name = "あ" + std::string(99, 'a') + "い";
    storeText(control("userInfo1"), draft, name);
    EXPECT_EQ(core::cp932Width(draft.userInfoNames[0]), kUserInfoNameBytes);
    EXPECT_EQ(draft.userInfoNames[0], "あ" + std::string(kUserInfoNameBytes - 2, 'a'));
    std::string odd = std::string(99, 'c') + std::string("う");  // would end at byte 101
    storeText(control("userInfo2"), draft, odd);
    EXPECT_EQ(draft.userInfoNames[1], std::string(99, 'c'));
    // The mail folder is kept the way the environment file keeps folders.
    storeText(control("mailFolder"), draft, "/home/k/mail");
    EXPECT_EQ(draft.mailFolder, "/home/k/mail/");
    storeText(control("mailFolder"), draft, ".");
    EXPECT_EQ(draft.mailFolder, "");
}

TEST(SettingsPages, SecondPlayerMarkOfTheKi2Style) {
    const SettingControl& mark = control("secondMark");
    Settings draft;
    EXPECT_EQ(shownNumber(mark, draft), 0);  // 伝△
    storeNumber(mark, draft, 1);
    EXPECT_EQ(draft.ki2Style, Ki2Style::TraditionalDown);
    storeNumber(mark, draft, 0);
    EXPECT_EQ(draft.ki2Style, Ki2Style::TraditionalUp);
    draft.ki2Style = Ki2Style::Numbered;  // an older style stays unless ▽ is chosen
    storeNumber(mark, draft, 0);
    EXPECT_EQ(draft.ki2Style, Ki2Style::Numbered);
}

TEST(SettingsPages, ControlsFollowTheChoicesTheyDependOn) {
    Settings draft;
    struct Rule {
        const char* id;
        void (*on)(Settings&);
        void (*off)(Settings&);
    };
    const Rule rules[] = {
        {"commentWrapColumn", [](Settings& s) { s.commentAutoWrap = 1; },
         [](Settings& s) { s.commentAutoWrap = 0; }},
        {"ki2HalfWidthColumns", [](Settings& s) { s.ki2HalfWidth = 1; },
         [](Settings& s) { s.ki2HalfWidth = 0; }},
        {"ki2Columns", [](Settings& s) { s.ki2HalfWidth = 0; },
         [](Settings& s) { s.ki2HalfWidth = 1; }},
        {"commentWaitMs", [](Settings& s) { s.stopAtComments = ReplayStop::Wait; },
         [](Settings& s) { s.stopAtComments = ReplayStop::Pause; }},
        {"branchWaitMs", [](Settings& s) { s.stopAtBranches = ReplayStop::Wait; },
         [](Settings& s) { s.stopAtBranches = ReplayStop::Never; }},
        {"mailAppendName", [](Settings& s) { s.mailSave = MailSaveMode::AppendToOne; },
         [](Settings& s) { s.mailSave = MailSaveMode::Append; }},
        {"userHistory", [](Settings& s) { s.historyCount = 1; },
         [](Settings& s) { s.historyCount = 0; }},
    };
    for (const Rule& r : rules) {
        r.on(draft);
        EXPECT_TRUE(controlEnabled(control(r.id), draft)) << r.id;
        r.off(draft);
        EXPECT_FALSE(controlEnabled(control(r.id), draft)) << r.id;
    }
    draft.pieceSound = PieceSoundKind::BuiltIn2;
    EXPECT_FALSE(userWaveEnabled(draft));
    draft.pieceSound = PieceSoundKind::UserWave;
    EXPECT_TRUE(userWaveEnabled(draft));
}

TEST(SettingsPages, SoundTestPlaysTheDraftAndChangesNothingStored) {
    Settings stored;
    Settings draft = stored;
    draft.pieceSound = PieceSoundKind::UserWave;
    draft.userWave = "/tmp/koma.wav";
    draft.backup = 1;  // another page's change does not reach the trial
    std::vector<Settings> played;
    testPieceSound(stored, draft, [&](const Settings& trial) { played.push_back(trial); });
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].pieceSound, PieceSoundKind::UserWave);
    EXPECT_EQ(played[0].userWave, "/tmp/koma.wav");
    EXPECT_EQ(played[0].backup, 0);
    EXPECT_EQ(stored, Settings{});
    testPieceSound(stored, draft, {});  // no player plugged in: nothing happens
}

TEST(SettingsPages, OkTakesTheDraftAndSaves) {
    Settings settings;
    Settings draft = settings;
    draft.englishColumns = 4;
    int saves = 0;
    int result = acceptSettings(settings, draft, [&](const Settings& s) {
        ++saves;
        return s.englishColumns;
    });
    EXPECT_EQ(result, 4);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(settings, draft);
}

class FtpPage : public ::testing::Test {
protected:
    FtpSettings list;
    std::vector<std::string> names() const {
        std::vector<std::string> n;
        for (const FtpSetting& s : list.entries) n.push_back(s.name);
        return n;
    }
};

TEST_F(FtpPage, EmptyListOffersOnlyNew) {
    FtpPageModel page(list);
    EXPECT_EQ(page.current(), -1);
    EXPECT_FALSE(page.fieldsEnabled());
    EXPECT_FALSE(page.canRemove());
    EXPECT_FALSE(page.canMoveUp());
    EXPECT_FALSE(page.canMoveDown());
    page.setField(FtpPageModel::Field::Server, "ftp.example.org");  // nothing to edit
    page.remove();
    EXPECT_TRUE(list.entries.empty());
}

TEST_F(FtpPage, NewEntriesAreNumberedAndChosen) {
    FtpPageModel page(list);
    ASSERT_TRUE(page.add());
    ASSERT_TRUE(page.add());
    EXPECT_EQ(names(), (std::vector<std::string>{ftpSettingName(1), ftpSettingName(2)}));
    EXPECT_EQ(ftpSettingName(2), std::string("設定2"));
    EXPECT_EQ(page.current(), 1);
    EXPECT_EQ(list.selection, 1);
    EXPECT_TRUE(list.entries[1].passive);
    EXPECT_FALSE(list.entries[1].selected);
    page.setField(FtpPageModel::Field::User, "kishi");
    page.setField(FtpPageModel::Field::Password, std::string(600, 'p'));
    page.setPassive(false);
    EXPECT_EQ(list.entries[1].user, "kishi");
    EXPECT_EQ(list.entries[1].password.size(), kFtpTextBytes);
    EXPECT_FALSE(list.entries[1].passive);
    EXPECT_EQ(list.entries[0].user, "");
}

TEST_F(FtpPage, MoveAndRemoveKeepTheChosenEntry) {
    FtpPageModel page(list);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(page.add());
    page.setUploadTo(2, true);
    EXPECT_FALSE(page.canMoveDown());
    page.moveUp();
    page.moveUp();
    EXPECT_EQ(page.current(), 0);
    EXPECT_FALSE(page.canMoveUp());
    EXPECT_EQ(names(),
              (std::vector<std::string>{ftpSettingName(3), ftpSettingName(1), ftpSettingName(2)}));
    EXPECT_TRUE(list.entries[0].selected);
    page.moveDown();
    EXPECT_EQ(page.current(), 1);
    page.select(2);
    page.remove();  // the last one: the new last is chosen
    EXPECT_EQ(page.current(), 1);
    EXPECT_EQ(names(), (std::vector<std::string>{ftpSettingName(1), ftpSettingName(3)}));
    page.select(0);
    page.remove();
    page.remove();
    EXPECT_EQ(page.current(), -1);
    EXPECT_EQ(list.selection, 0);
    page.select(5);  // out of range: ignored
    EXPECT_EQ(page.current(), -1);
}

TEST_F(FtpPage, OpensAtTheRememberedEntry) {
    list.entries.resize(3);
    list.selection = 2;
    EXPECT_EQ(FtpPageModel(list).current(), 2);
    list.selection = 7;  // a stale index from the file
    EXPECT_EQ(FtpPageModel(list).current(), 2);
}

}  // namespace
}  // namespace tavrel
