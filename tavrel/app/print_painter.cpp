#include "tavrel/app/print_painter.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/notation/piece_text.h"
#include "core/templates/template_expander.h"
#include "core/text/sjis.h"
#include "desktop/qt_text.h"
#include "tavrel/logic/output/export_text.h"
#include "tavrel/logic/output/print_layout.h"
#include "tavrel/platform/setting_font.h"

namespace tavrel {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }

// A font setting's height is in 0.01 inch; the device counts pixels.
QFont deviceFont(const FontSetting& setting, double dpiY) {
    QFont font = settingFont(setting);
    const int units = setting.height == 0 ? 21 : std::abs(setting.height);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(units * dpiY / 100.0))));
    return font;
}

// Walks a page template: text accumulates along the line and is drawn at a line break or a
// block; "&C" centres the rest of the line over the board picture. Lines that do not fit start a
// new page.
class PageWriter : public core::TemplateSink {
public:
    PageWriter(QPainter* painter, QPrinter* printer, const PageArea& area, int onlyPage,
               Document& doc, const core::TextOutputOptions& options)
        : m_painter(painter),
          m_printer(printer),
          m_area(area),
          m_onlyPage(onlyPage),
          m_doc(doc),
          m_options(options),
          m_font(deviceFont(doc.settings().printFont, area.dpiY)),
          m_handFont(deviceFont(doc.settings().printHandFont, area.dpiY)),
          m_metrics(m_font) {
        const Settings& s = doc.settings();
        m_left = area.rect.left() + mmToPixels(s.printLeftMargin, area.dpiX);
        m_top = area.rect.top() + mmToPixels(s.printTopMargin, area.dpiY);
        m_y = m_top;
        m_lineHeight =
            printLineHeight(m_metrics.height(), m_metrics.leading(), s.printLineSpacing, area.dpiY);
        m_cellW = mmToPixels(9, area.dpiX);
        m_cellH = mmToPixels(10, area.dpiY);
        m_handW = mmToPixels(14, area.dpiX);
        if (drawing()) m_painter->setFont(m_font);
    }

    int pages() const { return m_page + 1; }
    void finish() { flushLine(); }

    void text(std::string_view plain) override {
        // The expander has read the print controls: what it hands over is plain text.
        (m_centred ? m_centre : m_leftText) += qtext(plain);
    }
    void lineBreak() override {
        flushLine();
        advance(m_lineHeight);
    }
    void centreRest() override { m_centred = true; }
    void block(core::TemplateBlock block) override {
        flushLine();
        if (block == core::TemplateBlock::Board) {
            drawBoard();
            return;
        }
        const bool header = block == core::TemplateBlock::RecordWithHeader;
        for (const std::string& line : printedRecordLines(
                 m_doc.store(), m_options, printRecordOptions(m_doc.settings(), header))) {
            room(m_lineHeight);
            if (drawing() && !line.empty()) {
                m_painter->drawText(m_left, m_y + m_metrics.ascent(), qtext(line));
            }
            advance(m_lineHeight);
        }
    }

private:
    bool drawing() const { return m_painter && (m_onlyPage < 0 || m_page == m_onlyPage); }

    int boardPictureWidth() const { return 9 * m_cellW + 2 * m_handW; }
    int boardPictureHeight() const { return 9 * m_cellH + 2 * m_lineHeight; }

    void room(int height) {
        if (m_y + height <= m_area.rect.bottom() || m_y == m_top) return;
        ++m_page;
        if (m_printer && m_painter && m_onlyPage < 0) m_printer->newPage();
        m_y = m_top;
        if (drawing()) m_painter->setFont(m_font);
    }
    void advance(int height) { m_y += height; }

    void flushLine() {
        if (m_leftText.isEmpty() && m_centre.isEmpty()) {
            m_centred = false;
            return;
        }
        room(m_lineHeight);
        if (drawing()) {
            const int baseline = m_y + m_metrics.ascent();
            m_painter->drawText(m_left, baseline, m_leftText);
            if (!m_centre.isEmpty()) {
                const int x = centredStart(m_left, boardPictureWidth(),
                                           m_metrics.horizontalAdvance(m_centre));
                m_painter->drawText(std::max(x, m_left + m_metrics.horizontalAdvance(m_leftText)),
                                    baseline, m_centre);
            }
        }
        m_leftText.clear();
        m_centre.clear();
        m_centred = false;
    }

    void drawHand(core::SideByte side, const QRect& column) {
        const core::HandCounts hands = core::countHand(m_doc.store().position());
        const bool black = side == core::kSideBlack;
        const core::RecordStore& store = m_doc.store();
        QString caption =
            qtext(black ? core::kMarkBlack : core::kMarkWhite) +
            qtext(store.playerName(black ? core::PlayerField::Black : core::PlayerField::White));
        QStringList lines{caption, desktop::translated("持駒")};
        bool any = false;
        for (int type = 7; type >= 1; --type) {
            const int n = hands.count(side, type);
            if (n == 0) continue;
            any = true;
            QString entry = qtext(core::kPieceKanji[static_cast<std::size_t>(type)]);
            if (n > 1) entry += QString::number(n);
            lines << entry;
        }
        if (!any) lines << desktop::translated("なし");
        m_painter->setFont(m_handFont);
        const QFontMetrics fm(m_handFont);
        int y = column.top() + fm.ascent();
        for (const QString& l : lines) {
            m_painter->drawText(column.left(), y, l);
            y += fm.height();
        }
        m_painter->setFont(m_font);
    }

    void drawBoard() {
        room(boardPictureHeight());
        if (drawing()) {
            QPainter& p = *m_painter;
            const int x0 = m_left + m_handW;
            const int y0 = m_y + m_lineHeight;
            p.save();
            // File numbers above the board, 9 on the left.
            for (int i = 0; i < 9; ++i) {
                p.drawText(QRect(x0 + i * m_cellW, m_y, m_cellW, m_lineHeight), Qt::AlignCenter,
                           qtext(core::kFullWidthDigits[static_cast<std::size_t>(9 - i)]));
                p.drawText(QRect(x0 + 9 * m_cellW, y0 + i * m_cellH, m_lineHeight, m_cellH),
                           Qt::AlignCenter,
                           qtext(core::kRankNumerals[static_cast<std::size_t>(i + 1)]));
            }
            QPen thin(Qt::black, std::max(1, mmToPixels(0.2, m_area.dpiX)));
            p.setPen(thin);
            for (int i = 0; i <= 9; ++i) {
                p.drawLine(x0 + i * m_cellW, y0, x0 + i * m_cellW, y0 + 9 * m_cellH);
                p.drawLine(x0, y0 + i * m_cellH, x0 + 9 * m_cellW, y0 + i * m_cellH);
            }
            const core::Position& pos = m_doc.store().position();
            for (int file = 1; file <= 9; ++file) {
                for (int rank = 1; rank <= 9; ++rank) {
                    const core::PieceByte piece =
                        pos.cells[static_cast<std::size_t>(file * 10 + rank)];
                    if (piece == 0 || piece == core::kWall) continue;
                    const QRect cell(x0 + (9 - file) * m_cellW, y0 + (rank - 1) * m_cellH, m_cellW,
                                     m_cellH);
                    const QString kanji =
                        qtext(core::kPieceKanji[static_cast<std::size_t>(core::pieceType(piece))]);
                    if (core::sideOf(piece) == core::kSideBlack) {
                        p.drawText(cell, Qt::AlignCenter, kanji);
                    } else {
                        p.save();
                        p.translate(cell.center());
                        p.rotate(180);
                        p.drawText(QRect(-cell.width() / 2, -cell.height() / 2, cell.width(),
                                         cell.height()),
                                   Qt::AlignCenter, kanji);
                        p.restore();
                    }
                }
            }
            drawHand(core::kSideWhite, QRect(m_left, y0, m_handW, 9 * m_cellH));
            drawHand(core::kSideBlack,
                     QRect(x0 + 9 * m_cellW + m_lineHeight, y0, m_handW, 9 * m_cellH));
            p.restore();
        }
        advance(boardPictureHeight());
    }

    QPainter* m_painter;
    QPrinter* m_printer;
    PageArea m_area;
    int m_onlyPage;
    Document& m_doc;
    const core::TextOutputOptions& m_options;
    QFont m_font;
    QFont m_handFont;
    QFontMetrics m_metrics;
    int m_left = 0;
    int m_top = 0;
    int m_y = 0;
    int m_lineHeight = 0;
    int m_cellW = 0;
    int m_cellH = 0;
    int m_handW = 0;
    int m_page = 0;
    QString m_leftText;
    QString m_centre;
    bool m_centred = false;
};

}  // namespace

QString printJobName(PrintKind kind) {
    return QStringLiteral("Tavrel - ") + (kind == PrintKind::Position
                                              ? desktop::translated("盤面")
                                              : desktop::translated("棋譜"));
}

int PrintPainter::paint(QPainter* painter, QPrinter* printer, const PageArea& area, PrintKind kind,
                        int onlyPage) {
    if (kind == PrintKind::Form) return paintForm(painter, printer, area, onlyPage);
    ExportExpander ex(m_doc);
    PageWriter writer(painter, printer, area, onlyPage, m_doc, ex.options());
    const bool position = kind == PrintKind::Position;
    ex.expander().expand(
        position ? ex.options().printPositionTemplate : ex.options().printRecordTemplate,
        position ? core::TemplateContext::PrintPosition : core::TemplateContext::PrintRecord,
        writer);
    writer.finish();
    return writer.pages();
}

int PrintPainter::printAll(QPainter& painter, QPrinter& printer, const PageArea& area,
                           PrintKind kind) {
    return paint(&painter, &printer, area, kind, -1);
}

void PrintPainter::drawPage(QPainter& painter, const PageArea& area, PrintKind kind, int page) {
    // The page count is the printing loop's; one page is drawn here.
    (void)paint(&painter, nullptr, area, kind, page);
}

int PrintPainter::pageCount(const PageArea& area, PrintKind kind) {
    return paint(nullptr, nullptr, area, kind, -1);
}

int printDocument(QPrinter& printer, Document& doc, PrintKind kind) {
    printer.setDocName(printJobName(kind));
    QPainter painter;
    if (!painter.begin(&printer)) return -1;
    PageArea area;
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    area.rect = QRect(0, 0, static_cast<int>(page.width()), static_cast<int>(page.height()));
    area.dpiX = printer.logicalDpiX();
    area.dpiY = printer.logicalDpiY();
    PrintPainter(doc).printAll(painter, printer, area, kind);
    return painter.end() ? 0 : -1;
}

}  // namespace tavrel
