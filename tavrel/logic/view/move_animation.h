// The travelling piece of a move played forward on screen (setting アニメ速度): how many steps
// the straight line from origin to destination is cut into and where the piece stands at each.
// The board widget runs the steps on a timer; nothing here waits.
#pragma once

#include "tavrel/logic/view/board_geometry.h"

namespace tavrel {

// Steps n for a line of d pixels with cells w wide: step size g = 3 for speed 1, else 2; with
// l = d / (w + 3) squares, n = d / g / 2 when l >= 5, d / g when l < 3, else d / g * 2 / 3.
// The piece is drawn at steps 1 .. n-1.
int animationSteps(Point from, Point to, int cellWidth, int speed);

// The point i/n of the way from `from` to `to`.
Point animationPoint(Point from, Point to, int step, int steps);

// Milliseconds between steps: 1 for speeds 0 and 1, none for 2 and more.
int animationInterval(int speed);

}  // namespace tavrel
