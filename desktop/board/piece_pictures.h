// The pictures the board display draws with: pieces of both players in one cell size (built-in
// sets drawn here at run time, or cut from an external picture file in either grid layout) and
// the two wood-grain textures "Mokume01" and "Mokume02". Owned by a board widget.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <array>

#include "core/board/board_geometry.h"

namespace board {

class PiecePictures {
public:
    // Draws the built-in set for a piece set number 0..17 (its size class gives the cell size).
    void buildBuiltIn(int pieceSet);
    // Cuts the pictures from an external picture; false when the image has no usable grid.
    bool buildFromImage(const QImage& image);

    CellSize cell() const { return m_cell; }
    bool external() const { return m_external; }
    // The picture of piece code 0..15 for the first (black) or second player, already drawn the
    // way up it is shown for that player on an unturned board.
    const QImage& picture(bool black, int code) const {
        return m_pictures[black ? 0 : 1][static_cast<std::size_t>(code & 15)];
    }
    // The same piece with its face in another colour (last-piece emphasis); built-in sets only.
    QImage tinted(bool black, int code, const QColor& face) const;

    // The pictures for a cell of `target` logical pixels on a device of pixel ratio `ratio`:
    // built-in pieces drawn afresh at that size (vector, never a scaled bitmap), an external
    // picture scaled smoothly. At the natural size and ratio 1 these are picture() itself. Kept
    // until the size, the ratio or the set changes.
    const QImage& sized(bool black, int code, CellSize target, qreal ratio) const;
    QImage sizedTinted(bool black, int code, const QColor& face, CellSize target,
                       qreal ratio) const;

private:
    QImage drawPiece(int code, bool upsideDown, const QColor& face) const;
    QImage drawPiece(int code, bool upsideDown, const QColor& face, int w, int h) const;

    CellSize m_cell;
    int m_set = 3;
    bool m_external = false;
    std::array<std::array<QImage, 16>, 2> m_pictures;
    mutable std::array<std::array<QImage, 16>, 2> m_sized;
    mutable CellSize m_sizedCell{0, 0};
    mutable qreal m_sizedRatio = 0;
};

// Wood grain Grain1 ("Mokume01", a light straight grain) or Grain2 ("Mokume02", a darker one), a
// tileable texture drawn at run time; a null image for Plain or any other value.
// The values are those of the settings' wood choices.
enum class Wood : int { Grain1 = 0, Grain2 = 1, Plain = 2 };
QImage woodGrain(Wood kind);

// The piece code of a piece byte for the pictures: types 1..15 as they are, Black's king the
// second king form (8) and White's king the first (0).
int pictureCode(core::PieceByte piece);

}  // namespace board
