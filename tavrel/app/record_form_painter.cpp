// The record form (棋譜用紙): a fixed score sheet laid out in millimetres: a header of four bands
// and a grid of 26 rows by 6 column pairs (move, time), one sheet per 156 moves.
#include <QFontMetrics>
#include <algorithm>
#include <vector>

#include "core/notation/piece_text.h"
#include "core/templates/template_expander.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "desktop/qt_text.h"
#include "tavrel/app/print_painter.h"
#include "tavrel/logic/output/print_layout.h"
#include "tavrel/logic/output/text_options.h"

namespace tavrel {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }
QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

constexpr double kFormLeft = 12;
constexpr double kFormTop = 10;
constexpr double kFormWidth = 186;
constexpr double kBand = 15;
constexpr double kRow = 8;
constexpr double kMoveCell = 20;
constexpr double kTimeCell = 11;
constexpr const char* kSerif = "ＭＳ 明朝";

struct FormMove {
    QString text;
    int seconds = 0;
};

class FormSheet {
public:
    FormSheet(QPainter& p, const PageArea& area) : m_p(p), m_area(area) {}

    int x(double mm) const { return m_area.rect.left() + mmToPixels(kFormLeft + mm, m_area.dpiX); }
    int y(double mm) const { return m_area.rect.top() + mmToPixels(kFormTop + mm, m_area.dpiY); }
    QRect box(double left, double top, double width, double height) const {
        return QRect(QPoint(x(left), y(top)), QPoint(x(left + width), y(top + height)));
    }
    void pen(bool bold) {
        m_p.setPen(QPen(Qt::black, std::max(1, mmToPixels(bold ? 0.5 : 0.15, m_area.dpiX))));
    }
    void line(double x1, double y1, double x2, double y2, bool bold) {
        pen(bold);
        m_p.drawLine(x(x1), y(y1), x(x2), y(y2));
    }
    void font(double points) {
        QFont f(qs(kSerif));
        f.setPointSizeF(points);
        m_p.setFont(f);
    }
    void text(double left, double top, double width, double height, const QString& s,
              int align = Qt::AlignLeft | Qt::AlignVCenter) {
        m_p.drawText(box(left, top, width, height), align, s);
    }

private:
    QPainter& m_p;
    const PageArea& m_area;
};

QString cutName(const std::string& name, int characters) {
    QString s = qtext(name);
    return characters > 0 ? s.left(characters) : s;
}

void drawHeader(FormSheet& f, const core::RecordStore& store, const Settings& settings) {
    const double third = kFormWidth / 3;
    const bool handicap = store.handicap() != core::kHandicapEven;
    f.font(9);
    // Band 1: event, start, end.
    f.text(2, 0, third - 2, kBand,
           desktop::translated("棋戦　") + qtext(store.header(core::HeaderField::Event)));
    f.text(third + 2, 0, third - 2, kBand / 2,
           desktop::translated("開始　") + qtext(store.header(core::HeaderField::StartDateTime)));
    f.text(third + 2, kBand / 2, third - 2, kBand / 2,
           desktop::translated("終了　") + qtext(store.header(core::HeaderField::EndDateTime)));
    f.text(2 * third + 2, 0, third - 2, kBand / 2,
           desktop::translated("昼休　　　時　分～　　　時　分"));
    f.text(2 * third + 2, kBand / 2, third - 2, kBand / 2,
           desktop::translated("夕休　　　時　分～　　　時　分"));
    // Band 2: handicap, time limit, time used.
    f.text(2, kBand, third - 2, kBand,
           desktop::translated("手　合　割　") + qtext(core::handicapName(store.handicap())));
    f.text(third + 2, kBand, third - 2, kBand,
           desktop::translated("持　時　間　") + qtext(store.header(core::HeaderField::TimeLimit)));
    f.text(2 * third + 2, kBand, third - 2, kBand / 2,
           desktop::translated("消 費 時 間　▲") + qtext(formTimeUsed(store, 0)));
    f.text(2 * third + 2, kBand * 1.5, third - 2, kBand / 2,
           desktop::translated("　　　　　　△") + qtext(formTimeUsed(store, 1)));
    // Band 3: the players (with 印刷対局者名縦 their names written downwards) and the result.
    const QString names[2] = {
        cutName(store.playerName(core::PlayerField::Black), settings.printBlackNameChars),
        cutName(store.playerName(core::PlayerField::White), settings.printWhiteNameChars)};
    const char* const captions[2] = {handicap ? TR_NOOP("下手 ▲") : TR_NOOP("先手 ▲"),
                                     handicap ? TR_NOOP("上手 △") : TR_NOOP("後手 △")};
    for (int side = 0; side < 2; ++side) {
        const double left = side * third + 2;
        f.font(13);
        if (settings.printNamesVertical == 0) {
            f.text(left, 2 * kBand, third - 2, kBand,
                   desktop::translated(captions[side]) + names[side]);
            continue;
        }
        f.text(left, 2 * kBand, 16, kBand, desktop::translated(captions[side]));
        const int count = static_cast<int>(names[side].size());
        const double step = count > 0 ? std::min(5.0, (kBand - 1) / count) : 0;
        for (int i = 0; i < count; ++i) {
            f.text(left + 16, 2 * kBand + 0.5 + i * step, 6, step, names[side].mid(i, 1),
                   Qt::AlignCenter);
        }
    }
    f.font(9);
    f.text(2 * third + 2, 2 * kBand, third - 2, kBand, qtext(formResultLine(store)));
    // Band 4: opening, site, recorder, remarks, time before the breaks.
    f.text(2, 3 * kBand, third - 2, kBand / 2,
           desktop::translated("戦型　") + qtext(store.header(core::HeaderField::Opening)));
    f.text(2, 3.5 * kBand, third - 2, kBand / 2,
           desktop::translated("場所　") + qtext(store.header(core::HeaderField::Place)));
    f.text(third + 2, 3 * kBand, third - 2, kBand / 2, desktop::translated("記録係"));
    f.text(third + 2, 3.5 * kBand, third - 2, kBand / 2,
           desktop::translated("昼休前△　　　分・夕休前△　　　分"));
    f.text(2 * third + 2, 3 * kBand, third - 2, kBand / 2, desktop::translated("備考"));
    for (int i = 1; i < 3; ++i) f.line(i * third, 0, i * third, 4 * kBand, false);
}

void drawGrid(FormSheet& f, const std::vector<FormMove>& moves, int sheet) {
    const double gridTop = 4 * kBand;
    const double pair = kMoveCell + kTimeCell;
    for (int r = 1; r < kFormRows; ++r) {
        f.line(0, gridTop + r * kRow, kFormWidth, gridTop + r * kRow, r % 5 == 0);
    }
    for (int c = 0; c < kFormColumnPairs; ++c) {
        const double left = c * pair;
        if (c > 0) f.line(left, gridTop, left, gridTop + kFormRows * kRow, true);
        f.line(left + kMoveCell, gridTop, left + kMoveCell, gridTop + kFormRows * kRow, false);
        for (int r = 0; r < kFormRows; ++r) {
            const double top = gridTop + r * kRow;
            f.line(left + kMoveCell, top + kRow, left + pair, top, false);  // the time's diagonal
            const int index = sheet * kFormMovesPerSheet + c * kFormRows + r;
            if (r == 0) {
                f.font(7);
                f.text(left + 0.5, top, kMoveCell, kRow / 2,
                       QString::number(index + 1) + desktop::translated("～"),
                       Qt::AlignLeft | Qt::AlignTop);
            }
            if (index >= static_cast<int>(moves.size())) continue;
            const FormMove& m = moves[static_cast<std::size_t>(index)];
            f.font(9);
            f.text(left, top, kMoveCell, kRow, m.text, Qt::AlignCenter);
            if (m.seconds > 0) {
                f.font(7);
                f.text(left + kMoveCell + kTimeCell / 2, top + kRow / 2, kTimeCell / 2, kRow / 2,
                       QString::number((m.seconds + 59) / 60), Qt::AlignCenter);
            }
        }
    }
}

}  // namespace

int PrintPainter::paintForm(QPainter* painter, QPrinter* printer, const PageArea& area,
                            int onlyPage) {
    const core::RecordStore& store = m_doc.store();
    const core::TextOutputOptions options = textOutputOptions(m_doc.settings());
    const core::MarkStyle marks =
        core::markStyleOf(options, options.userMarksFor(core::GlyphTarget::Printing));
    std::vector<FormMove> moves;
    for (core::NodeIndex x = store.node(core::kRootNode).next; x != core::kNoNode;
         x = store.node(x).next) {
        const core::MoveNode& n = store.node(x);
        if (n.isTerminal()) break;
        moves.push_back(FormMove{
            qtext(core::moveText(store, options, x, core::SameSquare::Allowed, marks)), n.seconds});
    }
    const int sheets = formSheetCount(static_cast<int>(moves.size()));
    if (!painter) return sheets;
    for (int sheet = 0; sheet < sheets; ++sheet) {
        if (onlyPage >= 0 && sheet != onlyPage) continue;
        if (sheet > 0 && printer && onlyPage < 0) printer->newPage();
        painter->save();
        FormSheet f(*painter, area);
        const std::string caption = formPageCaption(sheet + 1, sheets);
        if (!caption.empty()) {
            f.font(9);
            f.text(0, -6, kFormWidth, 5, QString::fromStdString(caption), Qt::AlignRight);
        }
        f.pen(true);
        painter->drawRect(f.box(0, 0, kFormWidth, 4 * kBand + kFormRows * kRow));
        for (int b = 1; b <= 4; ++b) f.line(0, b * kBand, kFormWidth, b * kBand, true);
        drawHeader(f, store, m_doc.settings());
        drawGrid(f, moves, sheet);
        painter->restore();
    }
    return sheets;
}

}  // namespace tavrel
