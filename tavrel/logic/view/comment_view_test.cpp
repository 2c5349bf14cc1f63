#include "tavrel/logic/view/comment_view.h"

#include <gtest/gtest.h>

#include "core/formats/kif_reader.h"
#include "core/text/sjis.h"

namespace tavrel {
namespace {

TEST(CommentViewTest, DisplayModesDecideTheWindow) {
    EXPECT_TRUE(commentWindowShown(CommentDisplay::Window, false));
    EXPECT_FALSE(commentWindowShown(CommentDisplay::WindowWhenAny, false));
    EXPECT_TRUE(commentWindowShown(CommentDisplay::WindowWhenAny, true));
    EXPECT_FALSE(commentWindowShown(CommentDisplay::MainWindow, true));
    Settings settings;
    settings.commentWindow.mode = static_cast<CommentDisplay>(7);
    EXPECT_EQ(commentDisplay(settings), CommentDisplay::None);
}

TEST(CommentViewTest, PlacementKeepsTheWindowReachable) {
    const Desktop desk{1024, 768};
    EXPECT_EQ(commentWindowPlacement({CommentDisplay::WindowWhenAny, 10, 540, 400, 100}, 1, desk),
              (WindowRect{10, 540, 400, 100}));
    EXPECT_EQ(commentWindowPlacement({CommentDisplay::WindowWhenAny, 10, 540, 400, 100}, 3, desk),
              (WindowRect{90, 620, 400, 100}));
    // Beyond the desktop: back to the default corner, for the first instance only.
    EXPECT_EQ(commentWindowPlacement({CommentDisplay::WindowWhenAny, 2000, 900, 400, 100}, 1, desk),
              (WindowRect{10, 540, 400, 100}));
    EXPECT_EQ(commentWindowPlacement({CommentDisplay::WindowWhenAny, 2000, 900, 400, 100}, 2, desk),
              (WindowRect{2040, 940, 400, 100}));
    // Wholly off to the left or the top: its far edge comes back to 10.
    EXPECT_EQ(
        commentWindowPlacement({CommentDisplay::WindowWhenAny, -900, -300, 400, 100}, 1, desk),
        (WindowRect{-390, -90, 400, 100}));
    PanelSetting<CommentDisplay> stored{CommentDisplay::WindowWhenAny, 0, 0, 0, 0};
    storeCommentWindowPlace(stored, {90, 620, 300, 200}, 3);
    EXPECT_EQ(stored,
              (PanelSetting<CommentDisplay>{CommentDisplay::WindowWhenAny, 10, 540, 300, 200}));
}

TEST(CommentViewTest, ViewFollowsTheCurrentPosition) {
    core::RecordStore store(50);
    ASSERT_EQ(core::readRecordText(store, std::string("   1 ７六歩(77)\r\n*よい手\r\n"), false, {})
                  .result,
              core::ReadResult::Ok);
    Settings settings;
    CommentView view = currentCommentView(store, settings);
    EXPECT_FALSE(view.any);
    EXPECT_EQ(core::toUtf8Lossy(view.caption), "開始局面のコメント");
    ASSERT_EQ(store.goToPly(1), core::EditResult::Ok);
    view = currentCommentView(store, settings);
    EXPECT_TRUE(view.any);
    EXPECT_EQ(core::toUtf8Lossy(view.text), "よい手\n");
    EXPECT_EQ(core::toUtf8Lossy(view.caption), "第1手、▲７六歩のコメント");
}

}  // namespace
}  // namespace tavrel
