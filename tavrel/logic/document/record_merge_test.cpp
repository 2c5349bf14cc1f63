#include "tavrel/logic/document/record_merge.h"

#include <gtest/gtest.h>

#include "core/formats/kif_reader.h"
#include "core/formats/kif_writer.h"
#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

const char* const kCurrent =
    "棋戦：練習対局\r\n手合割：平手\r\n"
    "   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ２六歩(27)\r\n   4 ８四歩(83)\r\n";

class RecordMergeTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        settings.confirmSave = 0;
        ASSERT_EQ(core::readRecordText(store, std::string(kCurrent), false, {}).result,
                  core::ReadResult::Ok);
        store.markClean();
        (void)store.goToPly(2);
    }
    // The moves of the tree as "ply:from-to" in node order, alternatives included.
    std::vector<std::string> moves() const {
        std::vector<std::string> out;
        for (core::NodeIndex n = 1; n < store.capacity(); ++n) {
            if (!store.isInUse(n)) continue;
            out.push_back(std::to_string(store.plyOf(n)) + ":" +
                          std::to_string(store.node(n).from) + "-" +
                          std::to_string(store.node(n).to));
        }
        return out;
    }
    std::string utf8(std::string_view s) const { return core::toUtf8Lossy(s); }
};

TEST_F(RecordMergeTest, ARecordFromAnotherStartIsRefusedAndChangesNothing) {
    const std::vector<std::string> before = moves();
    const std::string text =
        std::string("棋戦：別の棋戦\r\n先手：誰か\r\n手合割：香落ち\r\n   1 ３四歩(33)\r\n");
    EXPECT_EQ(mergeFromClipboard(doc, text), CommandResult::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(utf8(ui.messages[0].first), "手合が違います。");
    EXPECT_EQ(moves(), before);
    EXPECT_EQ(utf8(store.header(core::HeaderField::Event)), "練習対局");
    EXPECT_TRUE(store.playerName(core::PlayerField::Black).empty());
    EXPECT_EQ(store.handicap(), core::kHandicapEven);
    EXPECT_FALSE(doc.modified());

    const std::string whiteFirst = std::string("手合割：平手\r\n後手番\r\n");
    EXPECT_EQ(mergeFromClipboard(doc, whiteFirst), CommandResult::Failed);
    EXPECT_EQ(utf8(ui.messages.back().first), "手番が違います。");
    EXPECT_EQ(moves(), before);
}

TEST_F(RecordMergeTest, MovesJoinAsVariationsAtTheirPly) {
    const std::vector<std::string> before = moves();
    // The same two moves, then ６六歩 at ply 3 and ８四歩.
    const std::string text = std::string(
        "手合割：平手\r\n   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ６六歩(67)\r\n"
        "   4 ８四歩(83)\r\n");
    ASSERT_EQ(mergeFromClipboard(doc, text), CommandResult::Done);
    EXPECT_EQ(utf8(ui.status), "クリップボードから棋譜を読み込み、合成しました。");
    std::vector<std::string> after = moves();
    ASSERT_EQ(after.size(), before.size() + 2);
    EXPECT_NE(std::find(after.begin(), after.end(), "3:67-66"), after.end());
    EXPECT_NE(std::find(after.begin(), after.end(), "4:83-84"), after.end());
    EXPECT_TRUE(store.hasAlternativeAt(3));
    EXPECT_EQ(store.currentPly(), 0);
    EXPECT_TRUE(doc.modified());
    // The same record again adds nothing.
    ASSERT_EQ(mergeFromClipboard(doc, text), CommandResult::Done);
    EXPECT_EQ(moves().size(), after.size());
}

TEST_F(RecordMergeTest, NoClipboardTextIsReported) {
    EXPECT_EQ(mergeFromClipboard(doc, std::nullopt), CommandResult::Failed);
    EXPECT_EQ(utf8(ui.messages.back().first), "クリップボードが使用できません。");
}

TEST_F(RecordMergeTest, PastingGarbageKeepsTheRecord) {
    const std::vector<std::string> before = moves();
    EXPECT_EQ(doc.pasteRecord(std::string("これは棋譜ではありません\r\nhello\r\n")),
              CommandResult::Failed);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_TRUE(utf8(ui.messages.back().first).starts_with("棋譜・局面読込みエラー"));
    EXPECT_EQ(moves(), before);
    EXPECT_EQ(utf8(store.header(core::HeaderField::Event)), "練習対局");
    // A real record still replaces it.
    EXPECT_EQ(doc.pasteRecord(std::string("手合割：平手\r\n   1 ２六歩(27)\r\n")),
              CommandResult::Done);
    EXPECT_EQ(moves(), (std::vector<std::string>{"1:27-26"}));
    // So does a diagram of the usual start with nothing else.
    const std::string diagram = std::string(
        "後手の持駒：なし\r\n"
        "  ９ ８ ７ ６ ５ ４ ３ ２ １\r\n+---------------------------+\r\n"
        "|v香v桂v銀v金v玉v金v銀v桂v香|一\r\n| ・v飛 ・ ・ ・ ・ ・v角 ・|二\r\n"
        "|v歩v歩v歩v歩v歩v歩v歩v歩v歩|三\r\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\r\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\r\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\r\n"
        "| 歩 歩 歩 歩 歩 歩 歩 歩 歩|七\r\n| ・ 角 ・ ・ ・ ・ ・ 飛 ・|八\r\n"
        "| 香 桂 銀 金 玉 金 銀 桂 香|九\r\n+---------------------------+\r\n"
        "先手の持駒：なし\r\n");
    EXPECT_EQ(doc.pasteRecord(diagram), CommandResult::Done);
    EXPECT_TRUE(moves().empty());
}

}  // namespace
}  // namespace tavrel
