// Every dialog of the database window lays out by layouts: with the application's font and with
// a font twice its size (what a 200% screen does to text), no control is cut below the size its
// text needs or pushed outside the dialog.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <functional>
#include <memory>

#include "dalmir/app/folder_add_dialog.h"
#include "dalmir/app/list_printer.h"
#include "dalmir/app/search_dialogs.h"
#include "dalmir/app/settings_dialog.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

namespace dalmir {
namespace {

// The shown controls of the dialog that are narrower or lower than their text needs, or stand
// outside the dialog, each as "class name: why".
QStringList cutControls(QDialog& dialog) {
    QStringList cut;
    const QRect inside = dialog.rect();
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (w->isWindow() || !w->isVisibleTo(&dialog)) continue;
        // The editors inside spin and combo boxes are laid out by their boxes.
        QWidget* owner = w->parentWidget();
        if (qobject_cast<QAbstractSpinBox*>(owner) || qobject_cast<QComboBox*>(owner)) continue;
        const bool hasText = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) ||
                             qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QAbstractSpinBox*>(w);
        if (!hasText) continue;
        const QString name =
            QString::fromLatin1(w->metaObject()->className()) + " " + w->objectName() + " '" +
            (qobject_cast<QAbstractButton*>(w)
                 ? qobject_cast<QAbstractButton*>(w)->text()
                 : (qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text() : QString())) +
            "'";
        const QRect at(w->mapTo(&dialog, QPoint(0, 0)), w->size());
        if (!inside.contains(at)) cut << name + ": outside the dialog";
        const QSize need = w->minimumSizeHint();
        if (w->width() < need.width() || w->height() < need.height()) {
            cut << name + QStringLiteral(": %1x%2 < %3x%4")
                              .arg(w->width())
                              .arg(w->height())
                              .arg(need.width())
                              .arg(need.height());
        }
    }
    return cut;
}

class DialogLayoutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void TearDown() override { QApplication::setFont(m_font); }

    // Opens each dialog the factory makes with the normal font and with double its size.
    void expectUncut(const char* title, const std::function<std::unique_ptr<QDialog>()>& make) {
        for (int factor : {1, 2}) {
            QFont font = m_font;
            if (font.pointSizeF() > 0) {
                font.setPointSizeF(m_font.pointSizeF() * factor);
            } else {
                font.setPixelSize(m_font.pixelSize() * factor);
            }
            QApplication::setFont(font);
            std::unique_ptr<QDialog> dialog = make();
            dialog->show();
            QApplication::processEvents();
            EXPECT_NE(dialog->layout(), nullptr) << title;
            const QStringList cut = cutControls(*dialog);
            EXPECT_TRUE(cut.isEmpty()) << title << " at " << factor
                                       << "x: " << cut.join(QStringLiteral("; ")).toStdString();
            dialog->close();
        }
        QApplication::setFont(m_font);
    }

    const QFont m_font = QApplication::font();
    testsupport::TempFolder folder;
    AppSettings settings;
    model::IndexSettings database;
    model::UserFieldNames names;
};

TEST_F(DialogLayoutTest, SearchDialogsAreNeverCut) {
    const QString data = QString::fromStdString(folder.path() + "/");
    InputHistories histories(data, settings);
    expectUncut("header search",
                [&] { return std::make_unique<HeaderSearchDialog>(settings, histories, data); });
    expectUncut("sequence search",
                [&] { return std::make_unique<SequenceSearchDialog>(histories, data); });
    expectUncut("position search",
                [&] { return std::make_unique<PositionSearchDialog>(PositionSearchForm{}); });
    expectUncut("duplicates", [&] { return std::make_unique<DuplicateDialog>(); });
    expectUncut("report", [&] {
        return std::make_unique<ReportDialog>(QStringLiteral("戦型分析"),
                                              QStringLiteral("四間飛車  12局\n"));
    });
}

TEST_F(DialogLayoutTest, SettingsCardAndFolderDialogsAreNeverCut) {
    expectUncut("settings", [&] { return std::make_unique<SettingsDialog>(settings, database); });
    expectUncut("columns", [&] { return std::make_unique<ColumnsDialog>(database, names); });
    expectUncut("page layout", [&] { return std::make_unique<PageLayoutDialog>(settings); });
    model::IndexEntry entry;
    entry.setText(model::IndexText::BlackPlayer, std::string("先手の人"));
    entry.setText(model::IndexText::Event, std::string("第一期 とても長い名前の棋戦 予選"));
    expectUncut("card", [&] { return std::make_unique<CardDialog>(&entry, database, names); });
    expectUncut("empty card",
                [&] { return std::make_unique<CardDialog>(nullptr, database, names); });
    expectUncut("folder add", [&] {
        return std::make_unique<FolderAddDialog>(database, false, false,
                                                 model::DuplicateCriteria{});
    });
}

}  // namespace
}  // namespace dalmir
