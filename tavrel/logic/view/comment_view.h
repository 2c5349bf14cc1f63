// Where the comment of the current position is shown (棋譜コメント: 0 nowhere, 1 in the main
// window, 2 in the comment window, 3 in the comment window when there is a comment), the comment
// window's place from the setting コメントウィンドウ, and what it shows.
#pragma once

#include <string>

#include "core/record/record_store.h"
#include "tavrel/logic/view/window_placement.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

// The display mode of the setting, anything unknown read as None.
CommentDisplay commentDisplay(const Settings& settings);
// Whether the comment window is shown in this mode with or without a comment at the position.
bool commentWindowShown(CommentDisplay display, bool hasComment);

// The comment window's rectangle: the setting's X, Y, W, H shifted by the instance offset; for
// the first instance a left edge at or beyond the desktop's right edge becomes 10 and a top edge
// at or beyond its bottom 540; then a window wholly left of x = 10 (or above y = 10) is moved so
// that its right (bottom) edge is at 10.
WindowRect commentWindowPlacement(const PanelSetting<CommentDisplay>& setting, int instance,
                                  const Desktop& desktop);
// Stores the window's rectangle back into the setting (moved back by the instance offset).
void storeCommentWindowPlace(PanelSetting<CommentDisplay>& setting, const WindowRect& current,
                             int instance);

// What the windows show for the current position: its comment and its caption.
struct CommentView {
    std::string caption;
    std::string text;  // line ends as stored (line feeds)
    bool any = false;
};
CommentView currentCommentView(const core::RecordStore& store, const Settings& settings);

}  // namespace tavrel
