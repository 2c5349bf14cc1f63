#include "tavrel/logic/view/move_animation.h"

#include <cmath>

namespace tavrel {

int animationSteps(Point from, Point to, int cellWidth, int speed) {
    double dx = to.x - from.x;
    double dy = to.y - from.y;
    int d = static_cast<int>(std::sqrt(dx * dx + dy * dy));
    int g = speed == 1 ? 3 : 2;
    int l = d / (cellWidth + 3);
    if (l >= 5) return d / g / 2;
    if (l < 3) return d / g;
    return d / g * 2 / 3;
}

Point animationPoint(Point from, Point to, int step, int steps) {
    if (steps <= 0) return to;
    return Point{from.x + (to.x - from.x) * step / steps, from.y + (to.y - from.y) * step / steps};
}

int animationInterval(int speed) { return speed <= 1 ? 1 : 0; }

}  // namespace tavrel
