#include "tavrel/logic/view/branch_list.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

// 1.７六歩 2.３四歩 3.２六歩, with ６六歩* (commented) and 投了 beside ply 3.
const char* const kRecord =
    "手合割：平手\r\n   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ２六歩(27)\r\n"
    "変化：3手\r\n   3 ６六歩(67)\r\n*六六\r\n変化：3手\r\n   3 投了\r\n";

class BranchListTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        ASSERT_EQ(doc.loadRecordFile(write("b.kif", std::string(kRecord))), CommandResult::Done);
        ASSERT_EQ(store.goToPly(2), core::EditResult::Ok);
        ui.changes = 0;
    }
    MoveClock clock{[] { return std::int64_t{0}; }};
};

TEST_F(BranchListTest, RowsLabelsAndVisibility) {
    std::vector<BranchRow> rows = branchRows(store, {});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].label, " 1 ");
    EXPECT_EQ(rows[1].label, " 2*");
    EXPECT_EQ(rows[2].label, " 3 ");
    EXPECT_EQ(core::toUtf8Lossy(rows[0].moveText), "▲２六歩");
    EXPECT_EQ(core::toUtf8Lossy(rows[1].moveText), "▲６六歩");
    EXPECT_TRUE(rows[2].terminal);
    RecordListStyle origin;
    origin.moveTextStyle = MoveTextStyle::OriginDown;
    EXPECT_EQ(core::toUtf8Lossy(branchRows(store, origin)[0].moveText), "▲２六歩(27)");

    for (BranchWindowMode setting :
         {BranchWindowMode::Never, BranchWindowMode::Always, BranchWindowMode::WhenBranches}) {
        EXPECT_EQ(branchWindowShown(setting, store), setting != BranchWindowMode::Never)
            << static_cast<int>(setting);
    }
    ASSERT_EQ(store.goToPly(1), core::EditResult::Ok);
    EXPECT_FALSE(branchWindowShown(BranchWindowMode::WhenBranches, store));
    EXPECT_TRUE(branchWindowShown(BranchWindowMode::Always, store));
    EXPECT_EQ(branchRows(store, {}).size(), 1u);
}

TEST_F(BranchListTest, ClicksPlayRealMovesOnly) {
    EXPECT_FALSE(playBranch(doc, clock, 2));  // 投了
    EXPECT_FALSE(playBranch(doc, clock, 3));  // no such row
    EXPECT_EQ(store.currentPly(), 2);
    ASSERT_TRUE(playBranch(doc, clock, 1));
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_EQ(store.node(store.current()).to, 66);
    EXPECT_EQ(ui.animations.size(), 1u);
    EXPECT_EQ(ui.pieceSounds, 1);
    EXPECT_FALSE(doc.modified());
}

TEST_F(BranchListTest, MenuEntries) {
    auto texts = [&](int row) {
        std::vector<std::string> out;
        for (const BranchMenuEntry& e : branchMenuEntries(store, row, {})) {
            out.push_back(core::toUtf8Lossy(e.text));
        }
        return out;
    };
    EXPECT_EQ(texts(0), (std::vector<std::string>{"連続再現(&G) ▲２六歩", "削除(&D) ▲２六歩"}));
    EXPECT_EQ(texts(1), (std::vector<std::string>{"連続再現(&G) ▲６六歩", "先頭へ(&T) ▲６六歩",
                                                  "削除(&D) ▲６六歩"}));
    EXPECT_TRUE(texts(5).empty());
}

TEST(BranchWindowPlacementTest, OffsetAndScreenEdges) {
    const Desktop desk{1000, 800};
    struct Case {
        WindowRect saved;
        int instance;
        WindowRect placed;
    };
    for (Case c : {
             Case{{10, 350, 110, 130}, 1, {10, 350, 110, 130}},
             Case{{10, 350, 110, 130}, 3, {90, 430, 110, 130}},
             Case{{995, 795, 110, 130}, 1, {10, 350, 110, 130}},       // beyond the edges
             Case{{100, 700, 110, 130}, 1, {100, 670, 110, 130}},      // reaching below: moved up
             Case{{-200, -300, 110, 130}, 1, {-100, -120, 110, 130}},  // 10 pixels stay
             Case{{995, 795, 110, 130}, 2, {1035, 835, 110, 130}},     // later instances as stored
         }) {
        EXPECT_EQ(branchWindowPlacement(c.saved, c.instance, desk), c.placed)
            << c.saved.x << "," << c.saved.y << " #" << c.instance;
    }
}

}  // namespace
}  // namespace tavrel
