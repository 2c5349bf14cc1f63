#include "dalmir/app/search_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QSpinBox>
#include <QTest>

#include "core/text/sjis.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

namespace dalmir {
namespace {

class PositionSearchDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
};

TEST_F(PositionSearchDialogTest, ShowsTheStartAndGivesTheClickedChoices) {
    PositionSearchForm start;
    start.alsoReversed = true;
    start.replayCount = 3;
    PositionSearchDialog dialog(start);
    dialog.show();
    const auto box = [&](const char* name) {
        auto* c = dialog.findChild<QCheckBox*>(QString::fromUtf8(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    };
    auto* count = dialog.findChild<QSpinBox*>(QStringLiteral("replayCount"));
    ASSERT_NE(count, nullptr);
    EXPECT_TRUE(box("reversed")->isChecked());
    EXPECT_FALSE(count->isEnabled());  // only with automatic replay

    for (const char* name : {"side", "reversed", "edges", "all", "replay"}) {
        QTest::keyClick(box(name), Qt::Key_Space);
    }
    EXPECT_TRUE(count->isEnabled());
    count->setValue(12);

    const PositionSearchForm f = dialog.form();
    EXPECT_TRUE(f.sideMustMatch);
    EXPECT_FALSE(f.alsoReversed);
    EXPECT_TRUE(f.ignoreEdgePawns);
    EXPECT_TRUE(f.allRecords);
    EXPECT_TRUE(f.autoReplay);
    EXPECT_EQ(f.replayCount, 12);
}

class SequenceSearchDialogTest : public PositionSearchDialogTest {
protected:
    QString folderName() const { return QString::fromStdString(folder.path() + "/"); }
    static QStringList items(QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
        return out;
    }

    testsupport::TempFolder folder;
};

// Patterns entered come first next time, are kept in the data folder at most history_n of
// them, and the program folder's list follows without repeats.
TEST_F(SequenceSearchDialogTest, PatternsEnterTheHistory) {
    QFile list(folderName() + QString::fromUtf8("手順.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(std::string("+76歩,-34歩\r\n\r\n+26歩 # 居飛車\r\n").c_str());
    list.close();
    AppSettings settings;
    settings.historyCount = 2;

    {
        InputHistories histories(folderName(), settings);
        SequenceSearchDialog dialog(histories, folderName());
        auto* box = dialog.findChild<QComboBox*>(QStringLiteral("pattern"));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(items(box), (QStringList{QString::fromUtf8("+76歩,-34歩"),
                                           QString::fromUtf8("+26歩 # 居飛車")}));
        for (const char* typed : {"+26歩", "  -84歩  ", "+76歩,-34歩", ""}) {
            box->setEditText(QString::fromUtf8(typed));
            EXPECT_EQ(dialog.pattern(), QString::fromUtf8(typed).trimmed());
        }
    }

    InputHistories reread(folderName(), settings);
    SequenceSearchDialog dialog(reread, folderName());
    auto* box = dialog.findChild<QComboBox*>(QStringLiteral("pattern"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(items(box), (QStringList{QString::fromUtf8("+76歩,-34歩"), QString::fromUtf8("-84歩"),
                                       QString::fromUtf8("+26歩 # 居飛車")}));
    EXPECT_EQ(box->currentText(), QString::fromUtf8("+76歩,-34歩"));
}

// Changed history settings act when the settings dialog closes, not after a restart.
TEST_F(SequenceSearchDialogTest, HistorySettingsApplyAtOnce) {
    AppSettings settings;
    settings.historyCount = 5;
    InputHistories histories(folderName(), settings);
    for (const char* name : {"a", "b", "c", "d"})
        histories.enter(QString::fromUtf8("対局者"), QString::fromUtf8(name));
    ASSERT_NE(histories.find(QString::fromUtf8("対局者")), nullptr);

    settings.historyCount = 2;
    histories.apply(settings);
    EXPECT_EQ(histories.find(QString::fromUtf8("対局者"))->entries(),
              (std::vector<std::string>{"d", "c"}));

    settings.historyPlayer = false;
    histories.apply(settings);
    EXPECT_EQ(histories.find(QString::fromUtf8("対局者")), nullptr);
    EXPECT_NE(histories.find(QString::fromUtf8("棋戦")), nullptr);

    // Switched on again, the history comes back from its file.
    settings.historyPlayer = true;
    settings.historyCount = 20;
    histories.apply(settings);
    ASSERT_NE(histories.find(QString::fromUtf8("対局者")), nullptr);
    EXPECT_EQ(histories.find(QString::fromUtf8("対局者"))->entries(),
              (std::vector<std::string>{"d", "c"}));
}

// The player list falls back to player.txt when 対局者.txt is missing.
TEST_F(SequenceSearchDialogTest, PlayerListFallsBackToTheEnglishFile) {
    QFile english(folderName() + QStringLiteral("player.txt"));
    ASSERT_TRUE(english.open(QIODevice::WriteOnly));
    english.write(std::string("# players\r\n羽生\r\n").c_str());
    english.close();
    EXPECT_EQ(suggestionList(folderName(), QString::fromUtf8("対局者")),
              QStringList{QString::fromUtf8("羽生")});
    QFile japanese(folderName() + QString::fromUtf8("対局者.txt"));
    ASSERT_TRUE(japanese.open(QIODevice::WriteOnly));
    japanese.write(std::string("谷川\r\n").c_str());
    japanese.close();
    EXPECT_EQ(suggestionList(folderName(), QString::fromUtf8("対局者")),
              QStringList{QString::fromUtf8("谷川")});
}

// Completion from the history suggests and never changes what was typed: "engine" then Enter
// searches "engine", not the longer "engine-A" of the history, nor an entry that differs only in
// case; a pattern typed is the pattern searched.
TEST_F(SequenceSearchDialogTest, CompletionNeverChangesWhatWasTyped) {
    AppSettings settings;
    InputHistories histories(folderName(), settings);
    histories.enter(QStringLiteral("対局者"), QStringLiteral("Engine"));
    histories.enter(QStringLiteral("対局者"), QStringLiteral("engine-A"));
    histories.enter(QString::fromUtf8("手順"), QString::fromUtf8("+76歩,-34歩,+26歩"));

    HeaderSearchDialog header(settings, histories, folderName());
    header.show();
    const QList<QComboBox*> fields = header.findChildren<QComboBox*>();
    ASSERT_GE(fields.size(), 2);
    for (const char* typed : {"engine", "engin", "ENGINE"}) {
        QComboBox* black = fields[0];
        black->setFocus();
        black->setEditText(QString());
        QTest::keyClicks(black, QString::fromUtf8(typed));
        QTest::keyClick(black, Qt::Key_Return);
        EXPECT_EQ(black->currentText(), QString::fromUtf8(typed));
        EXPECT_EQ(header.criteria().black, typed);
    }

    SequenceSearchDialog sequence(histories, folderName());
    sequence.show();
    auto* box = sequence.findChild<QComboBox*>(QStringLiteral("pattern"));
    ASSERT_NE(box, nullptr);
    box->setFocus();
    box->setEditText(QString());
    QTest::keyClicks(box, QStringLiteral("+76"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(sequence.pattern(), QStringLiteral("+76"));
}

}  // namespace
}  // namespace dalmir
