#include "tavrel/logic/view/move_animation.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(MoveAnimation, StepsFollowDistanceAndSpeed) {
    struct Case {
        Point from;
        Point to;
        int speed;
        int steps;
    } cases[] = {
        {{0, 0}, {34, 0}, 1, 11},                                // one square: d / 3
        {{0, 0}, {34, 0}, 0, 17},                                // d / 2
        {{0, 0}, {34, 0}, 2, 17},    {{0, 0}, {102, 0}, 1, 22},  // three squares: d / 3 * 2 / 3
        {{0, 0}, {170, 0}, 1, 28},                               // five squares: d / 3 / 2
        {{0, 0}, {120, 160}, 0, 50},                             // d = 200, l = 5: 200 / 2 / 2
        {{5, 5}, {5, 5}, 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(animationSteps(c.from, c.to, 31, c.speed), c.steps)
            << c.to.x << "," << c.to.y << " speed " << c.speed;
    }
    EXPECT_EQ(animationInterval(0), 1);
    EXPECT_EQ(animationInterval(1), 1);
    EXPECT_EQ(animationInterval(2), 0);
}

TEST(MoveAnimation, PointsRunFromOriginToDestination) {
    Point from{100, 50};
    Point to{40, 290};
    EXPECT_EQ(animationPoint(from, to, 0, 12), from);
    EXPECT_EQ(animationPoint(from, to, 12, 12), to);
    EXPECT_EQ(animationPoint(from, to, 6, 12), (Point{70, 170}));
    EXPECT_EQ(animationPoint(from, to, 3, 0), to);
}

}  // namespace
}  // namespace tavrel
