#include "desktop/board/board_painter.h"

#include <QPen>

#include "core/notation/piece_text.h"

namespace board {

namespace {

const QColor kLineColour(40, 25, 10);

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void fill(QPainter& p, const QRect& r, const QImage& grain, const QColor& plain) {
    if (!grain.isNull()) {
        p.fillRect(r, QBrush(grain));
    } else {
        p.fillRect(r, plain);
    }
}

}  // namespace

void applyView(QPainter& p, const BoardGeometry& g) {
    if (g.view() == ViewScale{}) return;
    // A scaled picture is smoothed; one only moved stays pixel for pixel.
    if (g.scale() != 1.0) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    p.translate(g.view().origin.x, g.view().origin.y);
    p.scale(g.scale(), g.scale());
}

void paintGrid(QPainter& p, const BoardGeometry& g, const BoardLook& look) {
    const CellSize c = g.cell();
    const bool turned = g.turned();
    const QRect board = qrect(g.boardRect());
    fill(p, board, look.boardGrain, look.boardColour);
    // Lines run through the middle of the gaps between the squares.
    p.setPen(QPen(kLineColour, 1));
    const Point first = g.squareTopLeft(turned ? 1 : 9, turned ? 9 : 1);
    for (int i = 0; i <= 9; ++i) {
        const int x = first.x - 2 + i * (c.w + 3);
        const int y = first.y - 2 + i * (c.h + 3);
        p.drawLine(x, first.y - 2, x, first.y - 2 + 9 * (c.h + 3));
        p.drawLine(first.x - 2, y, first.x - 2 + 9 * (c.w + 3), y);
    }
    p.setPen(QPen(kLineColour, 2));
    p.drawRect(QRect(first.x - 2, first.y - 2, 9 * (c.w + 3), 9 * (c.h + 3)));
    p.setPen(Qt::NoPen);
    p.setBrush(kLineColour);
    for (Point s : g.starPoints()) {
        p.drawRect(QRect(s.x - 1, s.y - 2, 3, 5));
        p.drawRect(QRect(s.x - 2, s.y - 1, 5, 3));
    }
    p.setBrush(Qt::NoBrush);

    // Coordinates: file digits above the board, rank numerals at its right.
    p.setFont(look.coordinateFont);
    p.setPen(QColor(20, 20, 20));
    for (int f = 1; f <= 9; ++f) {
        const Rect sq = g.squareRect(f, turned ? 9 : 1);
        p.drawText(QRect(sq.left, 0, sq.width(), 13), Qt::AlignCenter,
                   text(core::kFullWidthDigits[static_cast<std::size_t>(f)]));
    }
    for (int r = 1; r <= 9; ++r) {
        const Rect sq = g.squareRect(turned ? 9 : 1, r);
        p.drawText(QRect(board.right() + 1, sq.top, 12 * c.w + 75 - board.right() - 1, sq.height()),
                   Qt::AlignCenter, text(core::kRankNumerals[static_cast<std::size_t>(r)]));
    }
}

void paintPicture(QPainter& p, const BoardGeometry& g, const PiecePictures& pictures,
                  bool pictureSet, int code, Point designTopLeft, qreal ratio, const QColor* tint) {
    if (g.view() == ViewScale{} && ratio == 1.0) {
        p.drawImage(
            designTopLeft.x, designTopLeft.y,
            tint ? pictures.tinted(pictureSet, code, *tint) : pictures.picture(pictureSet, code));
        return;
    }
    // Scaled: the piece is drawn at its size on screen, not scaled as a bitmap.
    const Point at = g.toClient(designTopLeft);
    const CellSize cell = g.clientCell();
    p.save();
    p.resetTransform();
    if (tint) {
        p.drawImage(at.x, at.y, pictures.sizedTinted(pictureSet, code, *tint, cell, ratio));
    } else {
        p.drawImage(at.x, at.y, pictures.sized(pictureSet, code, cell, ratio));
    }
    p.restore();
}

void paintStand(QPainter& p, const BoardGeometry& g, const BoardLook& look, core::SideByte side,
                const core::HandCounts& hands, const QString& label, bool emphasised, qreal ratio) {
    const Stand stand = g.standOf(side);
    fill(p, qrect(g.standRect(stand)), look.standGrain, look.standColour);
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.drawRect(qrect(g.standRect(stand)).adjusted(0, 0, -1, -1));

    const bool black = side == core::kSideBlack;
    const bool pictureSet = black != g.turned();
    const std::array<int, 9> slotOf = standSlots(g, hands, side);
    QFont countFont = look.coordinateFont;
    countFont.setBold(true);
    p.setFont(countFont);
    for (int type = 1; type <= core::kKing; ++type) {
        const int slot = slotOf[static_cast<std::size_t>(type)];
        if (slot == 0) continue;
        const Point at = g.handSlotTopLeft(stand, slot);
        if (look.pictures) {
            paintPicture(p, g, *look.pictures, pictureSet, pictureCode(core::makePiece(side, type)),
                         at, ratio);
        }
        const int count = hands.count(side, type);
        if (count > 1) {
            const QRect badge(at.x + g.cell().w - 11, at.y + g.cell().h - 12, 13, 12);
            p.fillRect(badge, QColor(255, 255, 255, 200));
            p.setPen(QColor(0, 0, 0));
            p.drawText(badge, Qt::AlignCenter, QString::number(count));
        }
    }

    // The box holds two Japanese characters; a longer word (English) widens it about its
    // centre, within the stand.
    QRect box = qrect(g.labelRect(stand));
    const int advance = QFontMetrics(look.labelFont).horizontalAdvance(label);
    if (advance > box.width()) {
        const QRect standBox = qrect(g.standRect(stand));
        const int width = std::min(advance + 4, standBox.width());
        box = QRect(box.center().x() - width / 2, box.top(), width, box.height())
                  .intersected(QRect(standBox.left(), box.top(), standBox.width(), box.height()));
    }
    if (emphasised) p.fillRect(box, QColor(255, 255, 200));
    p.setFont(look.labelFont);
    p.setPen(QColor(0, 0, 0));
    p.drawText(box, Qt::AlignCenter, label);
}

}  // namespace board
