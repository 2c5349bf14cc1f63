// Painting the printed pages on any QPainter (printer, PDF file, preview, image): the position
// and record pages walked from their templates with the "&C" and "&&" controls, the board picture
// and the printed record, and the record form. The arithmetic and the texts come from
// tavrel/logic/output/print_layout; this only draws. The document and the settings are the
// caller's.
#pragma once

#include <QPainter>
#include <QPrinter>
#include <QRect>

#include "tavrel/logic/document/document.h"

namespace tavrel {

enum class PrintKind : std::uint8_t {
    Position,  // 局面の印刷: "印刷盤面書式"
    Record,    // 棋譜の印刷: "印刷棋譜書式"
    Form,      // 棋譜用紙印刷
};

// The document name of a print job: "Tavrel - 盤面", "Tavrel - 棋譜" (the form's is the record's).
QString printJobName(PrintKind kind);

// Where a page is drawn: the printable area in device pixels and the device's resolution.
struct PageArea {
    QRect rect;
    double dpiX = 96;
    double dpiY = 96;
};

// Draws the pages of a kind. For a printer, newPage is called between pages; for other devices
// only the first page (the one asked for) is drawn.
class PrintPainter {
public:
    explicit PrintPainter(Document& doc) : m_doc(doc) {}

    // Draws every page on the printer (which must be active in painter). The pages drawn.
    int printAll(QPainter& painter, QPrinter& printer, const PageArea& area, PrintKind kind);
    // Draws page `page` (from 0) only, for the preview and images.
    void drawPage(QPainter& painter, const PageArea& area, PrintKind kind, int page = 0);
    // The pages a kind needs on an area.
    int pageCount(const PageArea& area, PrintKind kind);

private:
    int paint(QPainter* painter, QPrinter* printer, const PageArea& area, PrintKind kind,
              int onlyPage);
    int paintForm(QPainter* painter, QPrinter* printer, const PageArea& area, int onlyPage);

    Document& m_doc;
};

// Prints a kind on a printer or to a PDF file (a QPrinter with a PDF output file): 0 after the
// job, -1 when the job could not be started ("印刷エラー(StartDoc)" is the caller's).
int printDocument(QPrinter& printer, Document& doc, PrintKind kind);

}  // namespace tavrel
