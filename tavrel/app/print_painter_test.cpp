#include "tavrel/app/print_painter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <fstream>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

namespace tavrel {
namespace {

const char* const kRecord =
    "開始日時：2026/12/01\r\n棋戦：見本戦\r\n手合割：平手\r\n先手：甲田\r\n後手：乙川\r\n"
    "   1 ７六歩(77)   ( 0:03/00:00:03)\r\n*初手の考え\r\n   2 ３四歩(33)   ( 0:02/00:00:02)\r\n"
    "   3 投了         ( 0:00/00:00:03)\r\n"
    "変化：2手\r\n   2 ８四歩(83)\r\n";

// Pages printed to PDF and read back as text.
class PrintToPdfTest : public testsupport::DocumentFixture {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
            GTEST_SKIP() << "poppler-utils is not installed";
        }
        ASSERT_EQ(doc.loadRecordFile(write("game.kif", std::string(kRecord))), CommandResult::Done);
        doc.showPly(1);
    }
    // Prints to a PDF file; returns its text.
    QString print(PrintKind kind, int* pages) {
        const QString pdf = QString::fromStdString(path("out.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        EXPECT_EQ(printDocument(printer, doc, kind), 0);
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        info.waitForFinished();
        const QString meta = QString::fromUtf8(info.readAllStandardOutput());
        for (const QString& line : meta.split(QLatin1Char('\n'))) {
            if (line.startsWith(QStringLiteral("Pages:"))) *pages = line.mid(6).trimmed().toInt();
        }
        EXPECT_TRUE(meta.contains(printJobName(kind))) << meta.toStdString();
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        text.waitForFinished();
        // The PDF's fonts may map some kanji to their radical forms; compare in NFKC.
        return QString::fromUtf8(text.readAllStandardOutput())
            .normalized(QString::NormalizationForm_KC);
    }
    static bool has(const QString& text, const char* utf8) {
        return text.contains(QString::fromUtf8(utf8).normalized(QString::NormalizationForm_KC));
    }
};

TEST_F(PrintToPdfTest, PositionPageHasHeaderCentredLineBoardAndComment) {
    int pages = 0;
    const QString text = print(PrintKind::Position, &pages);
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(has(text, "印刷：")) << text.toStdString();
    EXPECT_TRUE(has(text, "game")) << text.toStdString();
    EXPECT_TRUE(has(text, "【第1手▲７六歩まで】")) << text.toStdString();
    EXPECT_TRUE(has(text, "持駒"));
    EXPECT_TRUE(has(text, "初手の考え"));
}

TEST_F(PrintToPdfTest, RecordPageListsHeaderMovesResultAndVariation) {
    int pages = 0;
    const QString text = print(PrintKind::Record, &pages);
    EXPECT_EQ(pages, 1);
    for (const char* expected : {"ファイル：", "棋戦：見本戦", "先手：甲田", "▲７六歩",
                                 "まで2手で後手の勝ち", "変化：2手", "△８四歩", "初手の考え"}) {
        EXPECT_TRUE(has(text, expected)) << expected << "\n" << text.toStdString();
    }
    settings.printComments = 0;
    EXPECT_FALSE(has(print(PrintKind::Record, &pages), "初手の考え"));
}

// Print controls are read once: an "&" in a file name or a comment is printed as it is, and
// "&&" in the template prints one "&".
TEST_F(PrintToPdfTest, AmpersandsInTextArePrintedAsTheyAre) {
    ASSERT_EQ(doc.loadRecordFile(write("R&D.kif", std::string(kRecord))), CommandResult::Done);
    doc.showPly(1);
    settings.printPositionFormat = std::string("%f%cA&&B%c%*");
    int pages = 0;
    const QString text = print(PrintKind::Position, &pages);
    EXPECT_TRUE(has(text, "R&D")) << text.toStdString();
    EXPECT_TRUE(has(text, "A&B")) << text.toStdString();
    EXPECT_FALSE(has(text, "A&&B")) << text.toStdString();
}

TEST_F(PrintToPdfTest, LongRecordFlowsOntoMorePages) {
    std::string record = "手合割：平手\r\n";
    const char* const moves[] = {"   %d ５八玉(59)\r\n*a\r\n", "   %d ５二玉(51)\r\n*b\r\n",
                                 "   %d ５九玉(58)\r\n*c\r\n", "   %d ５一玉(52)\r\n*d\r\n"};
    for (int i = 0; i < 160; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, moves[i % 4], i + 1);
        record += line;
    }
    ASSERT_EQ(doc.loadRecordFile(write("long.kif", std::string(record))), CommandResult::Done);
    int pages = 0;
    (void)print(PrintKind::Record, &pages);
    EXPECT_GT(pages, 2);
    // The form holds 156 moves a sheet.
    const QString form = print(PrintKind::Form, &pages);
    EXPECT_EQ(pages, 2);
    EXPECT_TRUE(form.contains(QStringLiteral("Page 2 / 2")));
}

TEST_F(PrintToPdfTest, RecordFormCarriesCaptionsNamesAndResult) {
    int pages = 0;
    const QString text = print(PrintKind::Form, &pages);
    EXPECT_EQ(pages, 1);
    for (const char* expected : {"見本戦", "手", "合", "割", "甲", "乙", "2手で後手の勝ち",
                                 "▲７六歩", "昼休", "記録係", "備考"}) {
        EXPECT_TRUE(has(text, expected)) << expected << "\n" << text.toStdString();
    }
    EXPECT_FALSE(text.contains(QStringLiteral("Page")));

    // Written across, the names keep to their character counts.
    settings.printNamesVertical = 0;
    settings.printWhiteNameChars = 1;
    const QString across = print(PrintKind::Form, &pages);
    EXPECT_TRUE(has(across, "甲田")) << across.toStdString();
    EXPECT_TRUE(has(across, "乙")) << across.toStdString();
    EXPECT_FALSE(has(across, "乙川")) << across.toStdString();
}

}  // namespace
}  // namespace tavrel
