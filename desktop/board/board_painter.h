// The drawing both programs share for a board: the board with its lines, star points and
// coordinates, a piece picture at its size on screen, and a piece stand with its pieces, counts
// and side label. The painter is set up for design pixels (the view's transform applied); piece
// pictures are drawn at client pixels so that they stay sharp at any scale.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include "core/board/board_geometry.h"
#include "desktop/board/piece_pictures.h"

namespace board {

struct BoardLook {
    const PiecePictures* pictures = nullptr;
    QImage boardGrain;  // null: the plain colour
    QImage standGrain;
    QColor boardColour{237, 170, 86};
    QColor standColour{188, 126, 79};
    QFont coordinateFont;
    QFont labelFont;
};

inline QRect qrect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

// The painter's transform for the view (none at 100%), smoothing a scaled picture.
void applyView(QPainter& p, const BoardGeometry& g);

// The board's area, lines, star points and the file digits above and rank numerals beside it.
void paintGrid(QPainter& p, const BoardGeometry& g, const BoardLook& look);

// Piece code (pictureCode) of the picture set (true: drawn the first player's way up) at a design
// point; tint recolours a built-in piece's face. ratio is the device's pixel ratio.
void paintPicture(QPainter& p, const BoardGeometry& g, const PiecePictures& pictures,
                  bool pictureSet, int code, Point designTopLeft, qreal ratio,
                  const QColor* tint = nullptr);

// A side's stand: its area and frame, the pieces in hand with a count badge from two up, and
// the side label box (filled pale yellow when emphasised).
void paintStand(QPainter& p, const BoardGeometry& g, const BoardLook& look, core::SideByte side,
                const core::HandCounts& hands, const QString& label, bool emphasised, qreal ratio);

}  // namespace board
