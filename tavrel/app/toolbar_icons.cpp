#include "tavrel/app/toolbar_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tavrel {

namespace {

enum class Shape {
    Open,
    Save,
    Paste,
    Turn,
    First,
    BackMany,
    Back,
    Stop,
    Forward,
    ForwardMany,
    Last
};

// A triangle pointing left or right inside a box of the unit square.
QPainterPath triangle(double left, double right, bool pointsRight) {
    QPainterPath p;
    const double tip = pointsRight ? right : left;
    const double base = pointsRight ? left : right;
    p.moveTo(base, 0.22);
    p.lineTo(tip, 0.5);
    p.lineTo(base, 0.78);
    p.closeSubpath();
    return p;
}

void drawShape(QPainter& p, Shape shape, bool enabled) {
    const QColor ink = enabled ? QColor(40, 40, 48) : QColor(150, 150, 150);
    const QColor fill = enabled ? QColor(70, 110, 170) : QColor(180, 180, 180);
    p.setPen(QPen(ink, 0.06, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    switch (shape) {
        case Shape::Open: {
            QPainterPath folder;
            folder.moveTo(0.1, 0.3);
            folder.lineTo(0.38, 0.3);
            folder.lineTo(0.45, 0.38);
            folder.lineTo(0.9, 0.38);
            folder.lineTo(0.9, 0.8);
            folder.lineTo(0.1, 0.8);
            folder.closeSubpath();
            p.setBrush(enabled ? QColor(230, 190, 90) : QColor(200, 200, 200));
            p.drawPath(folder);
            break;
        }
        case Shape::Save:
            p.drawRoundedRect(QRectF(0.14, 0.14, 0.72, 0.72), 0.06, 0.06);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(0.3, 0.14, 0.4, 0.24));
            p.drawRect(QRectF(0.26, 0.55, 0.48, 0.31));
            break;
        case Shape::Paste:
            p.setBrush(enabled ? QColor(200, 160, 110) : QColor(200, 200, 200));
            p.drawRoundedRect(QRectF(0.18, 0.16, 0.64, 0.72), 0.05, 0.05);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(0.3, 0.3, 0.4, 0.48));
            p.setBrush(ink);
            p.drawRect(QRectF(0.38, 0.1, 0.24, 0.1));
            break;
        case Shape::Turn: {
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(0.18, 0.18, 0.64, 0.64), 30 * 16, 270 * 16);
            QPainterPath head;
            head.moveTo(0.78, 0.18);
            head.lineTo(0.8, 0.42);
            head.lineTo(0.58, 0.34);
            head.closeSubpath();
            p.setBrush(ink);
            p.drawPath(head);
            break;
        }
        case Shape::First:
            p.drawRect(QRectF(0.18, 0.22, 0.08, 0.56));
            p.drawPath(triangle(0.3, 0.8, false));
            break;
        case Shape::BackMany:
            p.drawPath(triangle(0.1, 0.5, false));
            p.drawPath(triangle(0.48, 0.88, false));
            break;
        case Shape::Back:
            p.drawPath(triangle(0.25, 0.75, false));
            break;
        case Shape::Stop:
            p.drawRect(QRectF(0.26, 0.26, 0.48, 0.48));
            break;
        case Shape::Forward:
            p.drawPath(triangle(0.25, 0.75, true));
            break;
        case Shape::ForwardMany:
            p.drawPath(triangle(0.12, 0.52, true));
            p.drawPath(triangle(0.5, 0.9, true));
            break;
        case Shape::Last:
            p.drawPath(triangle(0.2, 0.7, true));
            p.drawRect(QRectF(0.74, 0.22, 0.08, 0.56));
            break;
    }
}

class VectorIconEngine : public QIconEngine {
public:
    explicit VectorIconEngine(Shape shape) : m_shape(shape) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width(), rect.height());
        drawShape(*painter, m_shape, mode != QIcon::Disabled);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        QPixmap pm(size * scale);
        pm.fill(Qt::transparent);
        pm.setDevicePixelRatio(scale);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine* clone() const override { return new VectorIconEngine(m_shape); }

private:
    Shape m_shape;
};

}  // namespace

std::optional<QIcon> toolbarIcon(Command command) {
    std::optional<Shape> shape;
    switch (command) {
        case Command::Open:
            shape = Shape::Open;
            break;
        case Command::Save:
            shape = Shape::Save;
            break;
        case Command::Paste:
            shape = Shape::Paste;
            break;
        case Command::Turn:
            shape = Shape::Turn;
            break;
        case Command::ToStart:
            shape = Shape::First;
            break;
        case Command::ReplayBack:
            shape = Shape::BackMany;
            break;
        case Command::StepBack:
            shape = Shape::Back;
            break;
        case Command::ReplayStop:
            shape = Shape::Stop;
            break;
        case Command::StepForward:
            shape = Shape::Forward;
            break;
        case Command::ReplayForward:
            shape = Shape::ForwardMany;
            break;
        case Command::ToEnd:
            shape = Shape::Last;
            break;
        default:
            break;
    }
    if (!shape) return std::nullopt;
    return QIcon(new VectorIconEngine(*shape));
}

}  // namespace tavrel
