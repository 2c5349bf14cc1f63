// A board showing one position, scaled to its area, drawn with the same pictures and painter as
// the viewer's board: the board, both stands with the pieces in hand, the side labels and the
// square of the last move. It takes no moves; the owner gives it positions.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>

#include "desktop/board/board_painter.h"
#include "desktop/board/piece_pictures.h"

namespace board {

struct ShownPosition {
    std::array<core::PieceByte, 100> cells{};  // squares 11..99
    core::HandCounts hands;
    core::SideByte sideToMove = core::kSideBlack;
    int lastSquare = 0;     // 0: none
    bool handicap = false;  // the labels say 下手/上手 rather than 先手/後手
};

class PositionView : public QWidget {
    Q_OBJECT
public:
    explicit PositionView(QWidget* parent = nullptr);

    void setPosition(const ShownPosition& position);
    void clearPosition();
    bool hasPosition() const { return m_has; }
    void setTurned(bool turned);
    // The labels of the two stands (translated by the owner), first player first.
    void setLabels(const QString& black, const QString& white, const QString& lower,
                   const QString& upper);

    // The geometry as drawn now: the board and both stands fitted to the widget.
    BoardGeometry geometry() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The whole drawing as an image of the widget's size.
    QImage render() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void draw(QPainter& p) const;

    PiecePictures m_pictures;
    BoardLook m_look;
    ShownPosition m_position;
    bool m_has = false;
    bool m_turned = false;
    QString m_labels[4];
};

}  // namespace board
