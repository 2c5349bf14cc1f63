#include "dalmir/app/folder_add_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "core/text/sjis.h"
#include "tests/support/qt_application.h"

namespace dalmir {
namespace {

class FolderAddDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }

    template <typename W>
    static W* child(QDialog& d, const char* name) {
        W* w = d.findChild<W*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

// A filled-in dialog gives the request and leaves its values in the settings.
TEST_F(FolderAddDialogTest, FilledDialogGivesTheRequest) {
    model::IndexSettings settings;
    model::DuplicateCriteria criteria;
    criteria.compareMoves = true;
    FolderAddDialog dialog(settings, false, false, criteria);
    QLineEdit* folder = child<QLineEdit>(dialog, "folder");
    folder->clear();
    QTest::keyClicks(folder, QStringLiteral("/data/"));
    folder->insert(QString::fromUtf8("棋譜"));  // typed through an input method
    child<QCheckBox>(dialog, "subfolders")->setChecked(true);
    child<QComboBox>(dialog, "kind")->setCurrentIndex(1);
    child<QLineEdit>(dialog, "player")->setText(QString::fromUtf8("名人"));
    child<QLineEdit>(dialog, "opening")->setText(QString::fromUtf8("矢倉"));
    child<QCheckBox>(dialog, "dateFilter")->setChecked(true);
    child<QSpinBox>(dialog, "year")->setValue(2005);
    child<QSpinBox>(dialog, "month")->setValue(4);
    child<QSpinBox>(dialog, "day")->setValue(1);
    child<QCheckBox>(dialog, "skipDuplicates")->setChecked(true);
    dialog.accept();

    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    const model::FolderAdd& r = dialog.request();
    EXPECT_EQ(r.folder, "/data/棋譜");
    EXPECT_TRUE(r.subfolders);
    EXPECT_EQ(r.kind, model::AddKind::Ki2);
    EXPECT_EQ(r.filters.player, std::string("名人"));
    EXPECT_EQ(r.filters.event, "");
    EXPECT_EQ(r.filters.opening, std::string("矢倉"));
    EXPECT_TRUE(r.dateFilter);
    EXPECT_EQ(r.year * 10000 + r.month * 100 + r.day, 20050401);
    EXPECT_TRUE(r.filters.skipDuplicates);
    EXPECT_FALSE(r.filters.duplicates.compareMoves);  // a text database keeps no move lists
    EXPECT_EQ(settings.addPath, std::string("/data/棋譜"));
    EXPECT_EQ(settings.addKind, 1);

    // The next dialog opens with these values.
    FolderAddDialog again(settings, false, true, criteria);
    const FolderAddForm f = again.form();
    EXPECT_EQ(f.folder, "/data/棋譜");
    EXPECT_EQ(f.kind, 1);
    EXPECT_EQ(f.player, std::string("名人"));
    EXPECT_TRUE(f.dateFilter);
}

TEST_F(FolderAddDialogTest, EmptyFolderKeepsTheDialogOpen) {
    model::IndexSettings settings;
    settings.addPlayer = "old";
    FolderAddDialog dialog(settings, true, false, {});
    dialog.show();
    child<QLineEdit>(dialog, "folder")->setText(QStringLiteral("  "));
    child<QLineEdit>(dialog, "player")->setText(QStringLiteral("new"));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(child<QLabel>(dialog, "message")->text(),
              QString::fromUtf8("フォルダを指定して下さい。"));
    EXPECT_EQ(settings.addPlayer, "old");
    dialog.reject();
}

// Deleting by folder: an empty folder keeps the dialog open with its message; the OK button
// then gives the folder, the kind and the subfolder switch.
TEST_F(FolderAddDialogTest, FolderDeleteDialog) {
    FolderDeleteDialog dialog({"/data/kifu", 4, false});
    dialog.show();
    QLineEdit* folder = child<QLineEdit>(dialog, "folder");
    EXPECT_EQ(folder->text(), QStringLiteral("/data/kifu"));
    QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    folder->clear();
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(child<QLabel>(dialog, "message")->text(),
              QString::fromUtf8("フォルダが指定されていません。"));

    QTest::keyClicks(folder, QStringLiteral("/data/old"));
    child<QComboBox>(dialog, "kind")->setCurrentIndex(2);
    QTest::keyClick(child<QCheckBox>(dialog, "subfolders"), Qt::Key_Space);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.form(), (FolderDeleteForm{"/data/old", 2, true}));
}

}  // namespace
}  // namespace dalmir
