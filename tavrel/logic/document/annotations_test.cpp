#include "tavrel/logic/document/annotations.h"

#include <gtest/gtest.h>

#include "core/formats/kif_reader.h"
#include "tavrel/logic/document/document_test_fixture.h"
#include "tavrel/settings/list_file.h"

namespace tavrel {
namespace {

// 1.７六歩 2.３四歩 3.２六歩 4.８四歩, with ６六歩 beside ply 3.
const char* const kRecord =
    "手合割：平手\r\n"
    "   1 ７六歩(77)\r\n   2 ３四歩(33)\r\n   3 ２六歩(27)\r\n   4 ８四歩(83)\r\n"
    "変化：3手\r\n   3 ６六歩(67)\r\n";

class AnnotationsTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        ASSERT_EQ(core::readRecordText(store, std::string(kRecord), false, {}).result,
                  core::ReadResult::Ok);
        store.markClean();
    }
    std::string utf8(std::string_view cp932) { return core::toUtf8Lossy(cp932); }
    core::NodeIndex variation() {
        return store.node(store.nodeAtPly(3)).sibling;  // ６六歩
    }
};

TEST_F(AnnotationsTest, CommentLineEndsRoundTripThroughTheEditBox) {
    const std::string typed = std::string("一行目\r\n二行目\r\n");
    ASSERT_TRUE(storeComment(doc, 3, typed));
    EXPECT_EQ(store.comment(3), std::string("一行目\n二行目\n"));
    bool cut = true;
    EXPECT_EQ(commentForEditing(store.comment(3), &cut), typed);
    EXPECT_FALSE(cut);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(ui.changes, 1);
}

TEST_F(AnnotationsTest, EditBoxCutNeverSplitsACharacterOrALineEnd) {
    // 16384 two-byte characters (in Shift-JIS): the last one does not fit.
    std::string stored;
    for (int i = 0; i < 16384; ++i) stored += "棋";
    bool cut = false;
    std::string shown = commentForEditing(stored, &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(core::cp932Width(shown), 32766u);
    EXPECT_TRUE(core::isValidUtf8(shown));
    // 32765 bytes and a line feed: CR LF needs two bytes, only one is left.
    shown = commentForEditing(std::string(32765, 'a') + "\nb", &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(shown, std::string(32765, 'a'));
    shown = commentForEditing(std::string(32764, 'a') + "\n", &cut);
    EXPECT_FALSE(cut);
    EXPECT_EQ(shown.size(), 32766u);
}

TEST_F(AnnotationsTest, CaptionsNameThePlyAndTheMove) {
    EXPECT_EQ(utf8(commentCaption(store, store.nodeAtPly(3), settings)),
              "第3手、▲２六歩のコメント");
    EXPECT_EQ(utf8(commentCaption(store, core::kRootNode, settings)), "開始局面のコメント");
    settings.moveTextStyle = MoveTextStyle::OriginDown;
    EXPECT_EQ(utf8(timeCaption(store, store.nodeAtPly(2), settings)),
              "第2手、▽３四歩(33)の消費時間");
}

TEST_F(AnnotationsTest, CommentDeletionAsksFirst) {
    ASSERT_TRUE(storeComment(doc, 2, "x"));
    EXPECT_FALSE(deleteCommentAsking(doc, 1));  // nothing to delete, nothing asked
    EXPECT_TRUE(ui.questions.empty());
    ui.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(deleteCommentAsking(doc, 2));
    EXPECT_EQ(store.comment(2), "x\n");
    EXPECT_TRUE(deleteCommentAsking(doc, 2));
    EXPECT_TRUE(store.comment(2).empty());
    EXPECT_EQ(utf8(ui.questions[0]), "コメントを削除しますか？");
}

TEST_F(AnnotationsTest, BulkDeletionKeepsTheOtherSideOfThePly) {
    auto fill = [&] {
        for (int ply = 0; ply <= 4; ++ply) ASSERT_TRUE(storeComment(doc, ply, "c"));
    };
    auto commented = [&] {
        std::string marks;
        for (int ply = 0; ply <= 4; ++ply) marks += store.comment(ply).empty() ? '-' : '*';
        return marks;
    };
    fill();
    deleteComments(doc, CommentDeletion::UpTo, 2);
    EXPECT_EQ(commented(), "---**");
    fill();
    deleteComments(doc, CommentDeletion::FromOn, 2);
    EXPECT_EQ(commented(), "**---");
    deleteComments(doc, CommentDeletion::FromOn, 9);
    EXPECT_EQ(commented(), "**---");
    fill();
    deleteComments(doc, CommentDeletion::UpTo, 9);
    EXPECT_EQ(commented(), "-----");
    fill();
    deleteComments(doc, CommentDeletion::All, 0);
    EXPECT_FALSE(store.anyComment());
}

TEST_F(AnnotationsTest, ThinkingTimeIsMinutesAndSeconds) {
    core::NodeIndex third = store.nodeAtPly(3);
    ASSERT_TRUE(storeThinkingTime(doc, third, 90, 30));
    EXPECT_EQ(store.node(third).seconds, 5430);
    EXPECT_EQ(splitSeconds(5430).minutes, 90);
    EXPECT_EQ(splitSeconds(5430).seconds, 30);
    EXPECT_TRUE(doc.modified());
    // Beyond what a move can hold: the most it can, and the status bar says so.
    ASSERT_TRUE(storeThinkingTime(doc, third, 2000, 0));
    EXPECT_EQ(store.node(third).seconds, 65535);
    EXPECT_FALSE(ui.status.empty());
    EXPECT_FALSE(storeThinkingTime(doc, core::kRootNode, 1, 0));
    zeroAllTimes(doc);
    EXPECT_EQ(store.node(third).seconds, 0);
}

TEST_F(AnnotationsTest, ProposedBookmarkNames) {
    EXPECT_EQ(utf8(proposedBookmarkName(store, store.nodeAtPly(1), settings)), "第1手、▲７六歩");
    EXPECT_EQ(utf8(proposedBookmarkName(store, core::kRootNode, settings)), "開始局面");
    BookmarkEditSession session(doc);
    ASSERT_TRUE(session.registerName(store.nodeAtPly(1), "opening"));
    EXPECT_EQ(proposedBookmarkName(store, store.nodeAtPly(1), settings), "opening");
}

TEST_F(AnnotationsTest, DuplicateBookmarkNamesFollowTheSetting) {
    BookmarkEditSession session(doc);
    ASSERT_TRUE(session.registerName(store.nodeAtPly(1), "A"));
    EXPECT_FALSE(session.registerName(store.nodeAtPly(2), "A"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(utf8(ui.messages[0].first), "同名のしおりがあります。");
    EXPECT_EQ(utf8(ui.messages[0].second), "しおり登録エラー");
    EXPECT_EQ(store.bookmarkCount(), 1);
    // Renaming a position's own bookmark to its own name is no duplicate.
    EXPECT_TRUE(session.registerName(store.nodeAtPly(1), "A"));

    store.setDuplicateBookmarkNames(true);
    ASSERT_TRUE(session.registerName(store.nodeAtPly(2), "A"));
    EXPECT_EQ(store.bookmarkCount(), 2);
    EXPECT_EQ(store.bookmarkByName("A"), store.nodeAtPly(1));
}

TEST_F(AnnotationsTest, TheTableHoldsAtMost1024AndRenamingStillWorks) {
    // 1025 positions to carry them: the kings walk to and fro after the four moves.
    core::RecordStore big(2000);
    testsupport::RecordingUi bigUi;
    Document bigDoc(big, settings, bigUi);
    ASSERT_EQ(core::readRecordText(big, std::string(kRecord), false, {}).result,
              core::ReadResult::Ok);
    ASSERT_EQ(big.goToPly(4), core::EditResult::Ok);
    const int walk[4][2] = {{59, 48}, {51, 42}, {48, 59}, {42, 51}};
    std::vector<core::NodeIndex> nodes;
    for (int i = 0; i < 1025; ++i) {
        ASSERT_EQ(big.addAndAdvance(core::kAddStoreAll,
                                    core::packMove(walk[i % 4][0], walk[i % 4][1]), 0),
                  core::AddResult::Ok);
        nodes.push_back(big.current());
    }
    BookmarkEditSession session(bigDoc);
    for (int i = 0; i < 1024; ++i) {
        ASSERT_TRUE(
            session.registerName(nodes[static_cast<std::size_t>(i)], "b" + std::to_string(i)));
    }
    EXPECT_FALSE(session.registerName(nodes[1024], "one too many"));
    EXPECT_EQ(core::toUtf8Lossy(bigUi.messages.back().first), "しおりの数の上限を超えました。");
    EXPECT_EQ(big.bookmarkCount(), 1024);
    EXPECT_TRUE(session.registerName(nodes[10], "renamed"));
    EXPECT_EQ(big.bookmarkAt(10)->name, "renamed");
}

TEST_F(AnnotationsTest, CancelRestoresTheTableAfterADelete) {
    {
        BookmarkEditSession first(doc);
        ASSERT_TRUE(first.registerName(store.nodeAtPly(1), "one"));
        ASSERT_TRUE(first.registerName(store.nodeAtPly(3), "three"));
    }
    store.markClean();
    BookmarkEditSession session(doc);
    ASSERT_TRUE(session.deleteOf(store.nodeAtPly(1)));
    ASSERT_TRUE(session.moveUp(0) == false);
    session.deleteAll();
    EXPECT_EQ(store.bookmarkCount(), 0);
    session.cancel();
    EXPECT_EQ(session.names(), (std::vector<std::string>{"one", "three"}));
    EXPECT_FALSE(doc.modified());
    EXPECT_FALSE(session.deleteOf(store.nodeAtPly(2)));
    EXPECT_EQ(utf8(ui.messages.back().second), "しおり削除エラー");
}

TEST_F(AnnotationsTest, EditDialogReordersAndGoToReachesAVariation) {
    BookmarkEditSession session(doc);
    const core::NodeIndex side = variation();
    ASSERT_TRUE(session.registerName(store.nodeAtPly(1), "one"));
    ASSERT_TRUE(session.registerName(side, "side"));
    ASSERT_TRUE(session.moveUp(1));
    EXPECT_EQ(session.names(), (std::vector<std::string>{"side", "one"}));
    EXPECT_FALSE(session.moveDown(1));
    ASSERT_TRUE(goToBookmark(doc, 0));
    EXPECT_EQ(store.current(), side);
    EXPECT_EQ(store.currentPly(), 3);
    EXPECT_FALSE(goToBookmark(doc, 5));
}

TEST_F(AnnotationsTest, RegisteredNamesAreRememberedBeforeTheListFile) {
    Histories histories;
    write(std::string(listFileName(ListField::Bookmarks)) + ".txt", "listed\nkept\n");
    const std::string folder = dir.string() + "/";
    BookmarkEditSession session(doc);
    ASSERT_TRUE(session.registerName(store.nodeAtPly(2), "kept", &histories, folder));
    EXPECT_EQ(bookmarkChoices(histories, folder), (std::vector<std::string>{"kept", "listed"}));
    History reread;
    ASSERT_EQ(reread.read(historyFilePath(folder, HistoryField::Bookmarks)), core::ReadResult::Ok);
    EXPECT_EQ(reread.value(0), "kept");
}

}  // namespace
}  // namespace tavrel
