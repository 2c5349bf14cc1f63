#include "database/app/search_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QSpinBox>
#include <QTest>

#include "tests/support/qt_application.h"

namespace dalmir {
namespace {

class PositionSearchDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureQApplication(); }
};

TEST_F(PositionSearchDialogTest, ShowsTheStartAndGivesTheClickedChoices) {
    PositionSearchForm start;
    start.alsoReversed = true;
    start.replayCount = 3;
    PositionSearchDialog dialog(start);
    dialog.show();
    const auto box = [&](const char* name) {
        auto* c = dialog.findChild<QCheckBox*>(QString::fromUtf8(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    };
    auto* count = dialog.findChild<QSpinBox*>(QStringLiteral("replayCount"));
    ASSERT_NE(count, nullptr);
    EXPECT_TRUE(box("reversed")->isChecked());
    EXPECT_FALSE(count->isEnabled());  // only with automatic replay

    for (const char* name : {"side", "reversed", "edges", "all", "replay"}) {
        QTest::keyClick(box(name), Qt::Key_Space);
    }
    EXPECT_TRUE(count->isEnabled());
    count->setValue(12);

    const PositionSearchForm f = dialog.form();
    EXPECT_TRUE(f.sideMustMatch);
    EXPECT_FALSE(f.alsoReversed);
    EXPECT_TRUE(f.ignoreEdgePawns);
    EXPECT_TRUE(f.allRecords);
    EXPECT_TRUE(f.autoReplay);
    EXPECT_EQ(f.replayCount, 12);
}

}  // namespace
}  // namespace dalmir
