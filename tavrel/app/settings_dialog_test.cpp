#include "tavrel/app/settings_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/text/sjis.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/window_test_context.h"
#include "tavrel/platform/qt_text.h"
#include "tavrel/settings/environment_file.h"
#include "tests/support/qt_application.h"

namespace tavrel {
namespace {

std::string fileBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
}

class SettingsDialogTest : public ::testing::Test {
public:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }

    template <typename W>
    W* widget(SettingsDialog& dialog, const char* name) {
        W* w = dialog.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Shows the page holding w, so that clicks and keys reach it.
    void showPageOf(SettingsDialog& dialog, QWidget* w) {
        for (int i = 0; i < dialog.tabs()->count(); ++i) {
            if (dialog.tabs()->widget(i)->isAncestorOf(w)) dialog.tabs()->setCurrentIndex(i);
        }
        QApplication::processEvents();
    }
    void click(SettingsDialog& dialog, const char* name) {
        auto* b = widget<QAbstractButton>(dialog, name);
        showPageOf(dialog, b);
        // On the indicator: a check box takes clicks on its box and text only.
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    void key(SettingsDialog& dialog, const char* name, Qt::Key k) {
        auto* w = widget<QWidget>(dialog, name);
        showPageOf(dialog, w);
        QTest::keyClick(w, k);
    }
    void type(SettingsDialog& dialog, const char* name, const QString& text) {
        auto* edit = widget<QLineEdit>(dialog, name);
        showPageOf(dialog, edit);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        edit->insert(text);  // typed as one input: the test keys know only ASCII
    }
    void pressOk(SettingsDialog& dialog) {
        auto* box = dialog.findChild<QDialogButtonBox*>();
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
    }

    std::string envPath() const {
        return environmentFilePath(fsPath(folder.path() + u'/'), kDefaultEnvironmentName);
    }

    QTemporaryDir folder;
    Settings settings;
    core::RecordStore store;
};

// One control changed on each page, then OK: the environment file is the one of the default
// settings with exactly that value changed.
TEST_F(SettingsDialogTest, OkWritesExactlyTheChangeOfEachPage) {
    struct Case {
        const char* page;
        std::function<void(SettingsDialogTest&, SettingsDialog&)> act;
        std::function<void(Settings&)> expect;
    };
    const Case cases[] = {
        {"棋譜", [](auto& t, auto& d) { t.click(d, "backup"); }, [](Settings& s) { s.backup = 1; }},
        {"情報", [](auto& t, auto& d) { t.type(d, "userInfo1", QStringLiteral("対局場")); },
         [](Settings& s) { s.userInfoNames[0] = std::string("対局場"); }},
        {"メール", [](auto& t, auto& d) { t.click(d, "internetMailAuto"); },
         [](Settings& s) { s.internetMailAuto = 1; }},
        {"メール2", [](auto& t, auto& d) { t.click(d, "mailSave_2"); },
         [](Settings& s) { s.mailSave = MailSaveMode::AppendToOne; }},
        {"ｻｳﾝﾄﾞ", [](auto& t, auto& d) { t.click(d, "pieceSound_4"); },
         [](Settings& s) { s.pieceSound = PieceSoundKind::UserWave; }},
        {"印刷", [](auto& t, auto& d) { t.key(d, "printColumns", Qt::Key_Up); },
         [](Settings& s) { s.printColumns = 7; }},
        {"動作", [](auto& t, auto& d) { t.click(d, "moveTextStyle_3"); },
         [](Settings& s) { s.moveTextStyle = MoveTextStyle::TraditionalDown; }},
        {"画像", [](auto& t, auto& d) { t.type(d, "imageNameFormat", QStringLiteral("%n.png")); },
         [](Settings& s) { s.imageNameFormat = "%n.png"; }},
        {"再現", [](auto& t, auto& d) { t.key(d, "replaySpeed", Qt::Key_Right); },
         [](Settings& s) { s.replaySpeed = 6; }},
        {"履歴", [](auto& t, auto& d) { t.key(d, "historyCount", Qt::Key_Down); },
         [](Settings& s) { s.historyCount = 19; }},
        {"英語", [](auto& t, auto& d) { t.click(d, "englishNumbering_2"); },
         [](Settings& s) { s.englishNumbering = core::EnglishNumbering::None; }},
    };
    const std::string golden = core::ownTextFileBytes(formatEnvironmentText(Settings{}));
    for (const Case& c : cases) {
        settings = Settings{};
        QFile::remove(QString::fromStdString(envPath()));
        MainWindow window(quietTestContext(settings, store, folder, true));
        SettingsDialog dialog(settings, {}, &window);
        dialog.show();
        c.act(*this, dialog);
        pressOk(dialog);
        ASSERT_EQ(dialog.result(), QDialog::Accepted) << c.page;
        EXPECT_EQ(window.acceptSettingsDialog(dialog.draft()), CommandResult::Done);
        Settings expected;
        c.expect(expected);
        EXPECT_EQ(settings, expected) << c.page;
        std::string written = fileBytes(envPath());
        EXPECT_EQ(written, core::ownTextFileBytes(formatEnvironmentText(expected))) << c.page;
        EXPECT_NE(written, golden) << c.page;
    }
}

TEST_F(SettingsDialogTest, CancelChangesNothing) {
    settings.commentAutoWrap = 0;
    MainWindow window(quietTestContext(settings, store, folder, true));
    const Settings before = settings;
    SettingsDialog dialog(settings, {}, &window);
    dialog.show();
    click(dialog, "commentAutoWrap");
    type(dialog, "diagramFormat", QStringLiteral("%n"));
    click(dialog, "ftpNew");
    EXPECT_NE(dialog.draft(), before);
    auto* box = dialog.findChild<QDialogButtonBox*>();
    QTest::mouseClick(box->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(settings, before);
    EXPECT_EQ(fileBytes(envPath()), "<missing>");
}

// A file that cannot be written is reported; the settings still hold the change for this run.
TEST_F(SettingsDialogTest, OkReportsAnEnvironmentFileThatCannotBeWritten) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(envPath())));  // a folder in its place
    MainWindow window(quietTestContext(settings, store, folder, true));
    Settings draft = settings;
    draft.englishColumns = 4;
    EXPECT_EQ(window.acceptSettingsDialog(draft), CommandResult::Failed);
    EXPECT_EQ(settings.englishColumns, 4);
    ASSERT_EQ(window.shownMessages().size(), 1u);
    EXPECT_EQ(window.shownMessages()[0], environmentNotSavedMessage(envPath()));
}

TEST_F(SettingsDialogTest, DependentControlsFollowAndDuplicatesStayInStep) {
    SettingsDialog dialog(settings, {}, nullptr);
    dialog.show();
    auto* column = widget<QSpinBox>(dialog, "commentWrapColumn");
    EXPECT_FALSE(column->isEnabled());
    click(dialog, "commentAutoWrap");
    EXPECT_TRUE(column->isEnabled());
    auto* wave = widget<QLineEdit>(dialog, "userWave");
    EXPECT_FALSE(wave->isEnabledTo(&dialog));
    click(dialog, "pieceSound_4");
    EXPECT_TRUE(wave->isEnabledTo(&dialog));
    // The two-colour preview is on two pages and shows the same value on both.
    click(dialog, "previewTwoColour");
    EXPECT_FALSE(widget<QCheckBox>(dialog, "previewTwoColourImage")->isChecked());
    EXPECT_EQ(dialog.draft().previewTwoColour, 0);
}

TEST_F(SettingsDialogTest, SoundTestPlaysThePageChoiceOnly) {
    std::vector<Settings> played;
    SettingsDialog::Hooks hooks;
    hooks.testSound = [&](const Settings& trial) { played.push_back(trial); };
    SettingsDialog dialog(settings, hooks, nullptr);
    dialog.show();
    click(dialog, "pieceSound_3");
    click(dialog, "pieceSoundTest");
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].pieceSound, PieceSoundKind::BuiltIn2);
    EXPECT_EQ(settings.pieceSound, PieceSoundKind::BuiltIn1);
}

TEST_F(SettingsDialogTest, FtpPageEditsTheList) {
    SettingsDialog dialog(settings, {}, nullptr);
    dialog.show();
    auto* server = widget<QLineEdit>(dialog, "ftpServer");
    EXPECT_FALSE(server->isEnabled());
    click(dialog, "ftpNew");
    click(dialog, "ftpNew");
    EXPECT_TRUE(server->isEnabled());
    type(dialog, "ftpServer", QStringLiteral("ftp.example.org"));
    click(dialog, "ftpPassive");
    click(dialog, "ftpUp");
    const FtpSettings& ftp = dialog.draft().ftp;
    ASSERT_EQ(ftp.entries.size(), 2u);
    EXPECT_EQ(ftp.entries[0].name, std::string("設定2"));
    EXPECT_EQ(ftp.entries[0].server, "ftp.example.org");
    EXPECT_FALSE(ftp.entries[0].passive);
    EXPECT_EQ(ftp.entries[1].server, "");
    auto* list = widget<QListWidget>(dialog, "ftpList");
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_FALSE(widget<QPushButton>(dialog, "ftpUp")->isEnabled());
    list->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(dialog.draft().ftp.entries[1].selected);
    click(dialog, "ftpRemove");
    EXPECT_EQ(dialog.draft().ftp.entries.size(), 1u);
    EXPECT_EQ(server->text(), QString());
}

// F2 opens the dialog; its set-up button writes the file associations under XDG_DATA_HOME.
TEST_F(SettingsDialogTest, F2OpensTheDialogAndItsSetUpButtonRegisters) {
    QTemporaryDir data;
    QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    MainWindow window(quietTestContext(settings, store, folder, false));
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen = true;
        click(*dialog, "associate");
        dialog->reject();
    });
    window.action(Command::Settings)->trigger();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(QFile::exists(data.path() + QStringLiteral("/applications/tavrel.desktop")));
    EXPECT_TRUE(QFile::exists(data.path() + QStringLiteral("/mime/packages/tavrel.xml")));
    EXPECT_EQ(window.statusText().toStdString(), core::toUtf8Lossy(associatedMessage()));
    if (saved.isNull()) {
        qunsetenv("XDG_DATA_HOME");
    } else {
        qputenv("XDG_DATA_HOME", saved);
    }
}

}  // namespace
}  // namespace tavrel
