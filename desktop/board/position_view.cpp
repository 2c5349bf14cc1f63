#include "desktop/board/position_view.h"

#include <QPaintEvent>
#include <algorithm>
#include <cmath>

namespace board {

namespace {

// The part of the design picture a position needs: up to the right edge of the bottom-right
// stand (the viewer's information box beyond it is left out).
int contentWidth(const BoardGeometry& g) { return g.standRect(Stand::BottomRight).right + 4; }

}  // namespace

PositionView::PositionView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_pictures.buildBuiltIn(kStandardPieceSet);
    m_look.pictures = &m_pictures;
    m_look.boardGrain = woodGrain(Wood::Grain1);
    m_look.standGrain = woodGrain(Wood::Grain2);
    m_look.coordinateFont = font();
    m_look.coordinateFont.setPixelSize(11);
    m_look.labelFont = font();
    m_look.labelFont.setPixelSize(13);
}

void PositionView::setPosition(const ShownPosition& position) {
    m_position = position;
    m_has = true;
    update();
}

void PositionView::clearPosition() {
    m_has = false;
    update();
}

void PositionView::setTurned(bool turned) {
    m_turned = turned;
    update();
}

void PositionView::setLabels(const QString& black, const QString& white, const QString& lower,
                             const QString& upper) {
    m_labels[0] = black;
    m_labels[1] = white;
    m_labels[2] = lower;
    m_labels[3] = upper;
    update();
}

BoardGeometry PositionView::geometry() const {
    const BoardGeometry natural(m_pictures.cell(), m_turned);
    const double w = contentWidth(natural);
    const double h = natural.designHeight();
    const double factor =
        std::clamp(std::min(width() / w, height() / h), kMinBoardScale, kMaxBoardScale);
    ViewScale view;
    view.factor = factor;
    view.origin.x = std::max(0, static_cast<int>(std::lround((width() - w * factor) / 2)));
    view.origin.y = std::max(0, static_cast<int>(std::lround((height() - h * factor) / 2)));
    return BoardGeometry(natural.cell(), m_turned, view);
}

QSize PositionView::sizeHint() const {
    const BoardGeometry g(m_pictures.cell(), m_turned);
    return QSize(contentWidth(g), g.designHeight());
}

QSize PositionView::minimumSizeHint() const {
    const QSize s = sizeHint();
    return QSize(s.width() / 2, s.height() / 2);
}

QImage PositionView::render() const {
    QImage image(size() * devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatioF());
    QPainter p(&image);
    draw(p);
    return image;
}

void PositionView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    draw(p);
}

void PositionView::draw(QPainter& p) const {
    p.fillRect(rect(), palette().window());
    if (!m_has) return;
    const BoardGeometry g = geometry();
    const qreal ratio = devicePixelRatioF();
    p.save();
    applyView(p, g);
    paintGrid(p, g, m_look);
    const QColor lastColour(255, 210, 120);
    for (int f = 1; f <= 9; ++f) {
        for (int r = 1; r <= 9; ++r) {
            const int sq = core::makeSquare(f, r);
            const Rect rect = g.squareRect(f, r);
            if (sq == m_position.lastSquare) p.fillRect(qrect(rect), lastColour);
            const core::PieceByte piece = m_position.cells[static_cast<std::size_t>(sq)];
            if (piece == 0 || piece == core::kWall) continue;
            const bool black = core::sideOf(piece) == core::kSideBlack;
            paintPicture(p, g, m_pictures, black != m_turned, pictureCode(piece),
                         Point{rect.left, rect.top}, ratio);
        }
    }
    for (core::SideByte side : {core::kSideBlack, core::kSideWhite}) {
        const int label = (m_position.handicap ? 2 : 0) + (side == core::kSideBlack ? 0 : 1);
        paintStand(p, g, m_look, side, m_position.hands, m_labels[label],
                   m_position.sideToMove == side, ratio);
    }
    p.restore();
}

}  // namespace board
