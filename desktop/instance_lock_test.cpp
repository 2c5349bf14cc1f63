// Numbering running copies of a program with lock files, as the desktop sees them.
#include "desktop/instance_lock.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace desktop {
namespace {

TEST(InstanceLock, NumbersRunningCopiesAndFreesOnExit) {
    QTemporaryDir dir;
    auto first = std::make_unique<InstanceLock>(QStringLiteral("Tavrel"), dir.path());
    InstanceLock second(QStringLiteral("Tavrel"), dir.path());
    EXPECT_EQ(first->number(), 1);
    EXPECT_EQ(second.number(), 2);
    first.reset();
    InstanceLock third(QStringLiteral("Tavrel"), dir.path());
    EXPECT_EQ(third.number(), 1);
}

TEST(InstanceLock, ThirtyThreeWhenAllAreTaken) {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<InstanceLock>> locks;
    for (int i = 0; i < kInstanceSlots; ++i) {
        locks.push_back(std::make_unique<InstanceLock>(QStringLiteral("Tavrel"), dir.path()));
    }
    EXPECT_EQ(locks.back()->number(), 32);
    InstanceLock extra(QStringLiteral("Tavrel"), dir.path());
    EXPECT_EQ(extra.number(), 33);
}

}  // namespace
}  // namespace desktop
