#include "dalmir/app/list_printer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>

#include "core/text/sjis.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/qt_text.h"
#include "tests/support/qt_application.h"
#include "tests/support/test_records.h"

namespace dalmir {
namespace {

using testsupport::TempFolder;

class ListPrinterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }

    static model::Database sample(int n) {
        model::Database db(n);
        for (int i = 0; i < n; ++i) {
            model::IndexEntry e;
            e.setText(model::IndexText::Path, "/k/r" + std::to_string(i) + ".kif");
            e.setText(model::IndexText::BlackPlayer, std::string("先手") + std::to_string(i));
            e.moveCount = static_cast<uint16_t>(i);
            EXPECT_GE(db.append(std::move(e)), 0);
        }
        return db;
    }

    static int pdfPages(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return -1;
        const QByteArray bytes = file.readAll();
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
        return static_cast<int>(QString::fromLatin1(bytes).count(page));
    }

    TempFolder folder{"dalmir_print"};
};

// 120 records at 10 mm line spacing on A4 need several pages: the PDF has as many pages as the
// layout says, every record is printed once, in list order, with the list's texts.
TEST_F(ListPrinterTest, PdfHasTheExpectedPagesAndRows) {
    model::Database db = sample(120);
    AppSettings settings;
    settings.printLineMargin = 50;  // 5 mm above and below each line
    const QString path = QString::fromStdString(folder.file("list.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const PrintReport report = printList(printer, db, {}, settings, QDateTime::currentDateTime());
    ASSERT_TRUE(report.error.isEmpty()) << report.error.toStdString();
    // A4 less the printer's and our margins at about 11 mm a line: some 20 records a page.
    ASSERT_EQ(static_cast<int>(report.rows.size()), report.pages);
    const int perPage = static_cast<int>(report.rows.front().size());
    ASSERT_GE(perPage, 10);
    ASSERT_LE(perPage, 30);
    EXPECT_EQ(report.pages, (120 + perPage - 1) / perPage);
    EXPECT_EQ(pdfPages(path), report.pages);

    int row = 0;
    for (const auto& page : report.rows) {
        for (const QStringList& cells : page) {
            // No., file name, black player, white player, date, event, opening, moves, result,
            // next move: the default columns.
            ASSERT_EQ(cells.size(), 10);
            EXPECT_EQ(cells[0], QStringLiteral("%1").arg(row + 1, 3));
            EXPECT_EQ(cells[1], QStringLiteral("r%1.kif").arg(row));
            EXPECT_EQ(cells[2], QStringLiteral("先手%1").arg(row));
            EXPECT_EQ(cells[7], QStringLiteral("%1").arg(row, 4));
            ++row;
        }
    }
    EXPECT_EQ(row, 120);
}

TEST_F(ListPrinterTest, TooLargeLineSpacingPrintsNothing) {
    model::Database db = sample(3);
    AppSettings settings;
    settings.printLineMargin = 1500;
    const QString path = QString::fromStdString(folder.file("none.pdf"));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    const PrintReport report = printList(printer, db, {}, settings, QDateTime::currentDateTime());
    EXPECT_EQ(report.pages, 0);
    EXPECT_EQ(report.error, QStringLiteral("行間隔が大き過ぎます。"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ListPrinterTest, CardShowsTheFirstSelectedRecord) {
    model::Database db = sample(3);
    const model::UserFieldNames names = {"", "", "", "", ""};
    CardDialog card(&db.table().entry(2), db.table().settings(), names);
    const QStringList texts = card.texts();
    ASSERT_EQ(texts.size(), 14);
    EXPECT_EQ(texts[0], QStringLiteral("/k/r2.kif"));
    EXPECT_EQ(texts[1], QStringLiteral("先手2"));
    EXPECT_EQ(texts[13], QStringLiteral("2"));
    CardDialog empty(nullptr, db.table().settings(), names);
    EXPECT_EQ(empty.texts().join(QString()), QString());
}

}  // namespace
}  // namespace dalmir
