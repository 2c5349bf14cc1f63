#include "tavrel/logic/view/record_window_menu.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

// 1.７六歩 2.３四歩 3.２六歩 with ６六歩 and ５六歩 beside ply 3.
const char* const kRecord =
    "手合割：平手\r\n   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ２六歩(27)\r\n"
    "変化：3手\r\n   3 ６六歩(67)\r\n変化：3手\r\n   3 ５六歩(57)\r\n";

class RecordMenuTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        ASSERT_EQ(doc.loadRecordFile(write("m.kif", std::string(kRecord))), CommandResult::Done);
        ui.changes = 0;
    }
    std::vector<std::string> texts(ViewerMode mode, RecordListForm form, int ply, int column) {
        std::vector<std::string> out;
        RecordMenuTarget t = recordMenuTarget(store, form, ply, column);
        for (const RecordMenuEntry& e : recordMenuEntries(mode, store, form, t, {})) {
            out.push_back(core::toUtf8Lossy(e.text));
        }
        return out;
    }
};

TEST_F(RecordMenuTest, EntriesFollowFormModeAndLine) {
    EXPECT_EQ(texts(ViewerMode::Viewing, RecordListForm::Times, 0, 0),
              (std::vector<std::string>{"指定手数へ(&J)...", "分岐を表示する(&H)",
                                        "コメントの編集(&C)... 開始局面"}));
    EXPECT_EQ(texts(ViewerMode::Playing, RecordListForm::Times, 2, 0),
              (std::vector<std::string>{"分岐を表示する(&H)", "コメントの編集(&C)... △３四歩",
                                        "消費時間の編集(&T)... △３四歩", "", "削除(&D) △３四歩"}));
    // Branch form, a click on the second listed alternative of ply 3 chooses ５六歩.
    EXPECT_EQ(texts(ViewerMode::Viewing, RecordListForm::Branches, 3, 19 + 14),
              (std::vector<std::string>{"指定手数へ(&J)...", "消費時間を表示する(&S)",
                                        "先頭へ(&T) ▲５六歩", "コメントの編集(&C)... ▲５六歩",
                                        "消費時間の編集(&T)... ▲５六歩", "", "削除(&D) ▲５六歩"}));
    ASSERT_EQ(store.setBookmark(core::kRootNode, std::string("x")), core::BookmarkResult::Ok);
    EXPECT_EQ(texts(ViewerMode::Viewing, RecordListForm::Times, 1, 0)[1], "しおりへ移動(&B)...");
    // No line there: the start position stands in.
    EXPECT_EQ(texts(ViewerMode::Viewing, RecordListForm::Times, 9, 0).back(),
              "コメントの編集(&C)... 開始局面");
}

TEST_F(RecordMenuTest, MakeFirstAndDelete) {
    RecordMenuTarget t = recordMenuTarget(store, RecordListForm::Branches, 3, 19 + 14);
    ASSERT_TRUE(makeMoveFirst(doc, t.node));
    EXPECT_EQ(store.node(store.node(store.nodeAtPly(2)).next).to, 56);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(ui.changes, 1);
    ASSERT_TRUE(deleteMove(doc, t.node));
    EXPECT_EQ(store.node(store.node(store.nodeAtPly(2)).next).to, 26);
    EXPECT_EQ(ui.changes, 2);
    EXPECT_FALSE(deleteMove(doc, core::kRootNode));
    EXPECT_FALSE(deleteMove(doc, t.node));  // already gone
    EXPECT_EQ(ui.changes, 2);
}

}  // namespace
}  // namespace tavrel
