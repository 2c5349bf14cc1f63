#include "dalmir/app/settings_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "tests/support/qt_application.h"

namespace dalmir {
namespace {

class SettingsDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
};

// OK without changes keeps every value, the user-field sort orders included.
TEST_F(SettingsDialogTest, UnchangedDialogKeepsTheSettings) {
    AppSettings settings;
    settings.userFieldNames[1] = "段位";
    settings.defaultSort = 37;  // user field 2, descending
    settings.tools.replayCommand = "/opt/tavrel";
    settings.historyCount = 9;
    settings.historyEvent = false;
    model::IndexSettings database;
    database.replayMark = true;
    const AppSettings before = settings;
    const model::IndexSettings databaseBefore = database;
    SettingsDialog dialog(settings, database);
    dialog.accept();
    EXPECT_EQ(settings, before);
    EXPECT_EQ(database, databaseBefore);
}

TEST_F(SettingsDialogTest, EditedValuesAreStored) {
    AppSettings settings;
    model::IndexSettings database;
    SettingsDialog dialog(settings, database);
    auto* sort = dialog.findChild<QComboBox*>();
    ASSERT_NE(sort, nullptr);
    // Without user-field names the list holds the 34 fixed orders only.
    EXPECT_EQ(sort->count(), 34);
    sort->setCurrentIndex(15);
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
        if (box->text().contains(QStringLiteral("マークを付ける"))) box->setChecked(true);
    }
    // A million and beyond can be typed in.
    auto* maxRecords = dialog.findChild<QSpinBox*>(QStringLiteral("maxRecords"));
    ASSERT_NE(maxRecords, nullptr);
    EXPECT_EQ(maxRecords->value(), 100000);
    maxRecords->selectAll();
    QTest::keyClicks(maxRecords, QStringLiteral("2500000"));
    dialog.accept();
    EXPECT_EQ(settings.defaultSort, 15);
    EXPECT_TRUE(database.replayMark);
    EXPECT_EQ(settings.maxRecords, 2500000);
}

TEST_F(SettingsDialogTest, ColumnsDialogStoresFlagsAndWidths) {
    model::IndexSettings settings;
    ColumnsDialog dialog(settings, {"", "", "", "", ""});
    const auto boxes = dialog.findChildren<QCheckBox*>();
    ASSERT_EQ(boxes.size(), model::kColumnCount);
    boxes[1]->setChecked(true);   // Mark, off by default
    boxes[2]->setChecked(false);  // file name, on by default
    dialog.accept();
    EXPECT_EQ(settings.columnShown[1], 1);
    EXPECT_EQ(settings.columnShown[2], 0);
    EXPECT_EQ(settings.columnWidth, model::kDefaultColumnWidth);
}

}  // namespace
}  // namespace dalmir
