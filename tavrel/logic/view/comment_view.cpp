#include "tavrel/logic/view/comment_view.h"

#include "tavrel/logic/document/annotations.h"

namespace tavrel {

CommentDisplay commentDisplay(const Settings& settings) {
    const CommentDisplay mode = settings.commentWindow.mode;
    return mode >= CommentDisplay::None && mode <= CommentDisplay::WindowWhenAny
               ? mode
               : CommentDisplay::None;
}

bool commentWindowShown(CommentDisplay display, bool hasComment) {
    return display == CommentDisplay::Window ||
           (display == CommentDisplay::WindowWhenAny && hasComment);
}

WindowRect commentWindowPlacement(const PanelSetting<CommentDisplay>& setting, int instance,
                                  const Desktop& desktop) {
    WindowRect r{setting.x + instanceOffset(instance), setting.y + instanceOffset(instance),
                 setting.width, setting.height};
    if (instance == 1) {
        if (r.x >= desktop.width) r.x = 10;
        if (r.y >= desktop.height) r.y = 540;
    }
    if (r.x + r.width < 10) r.x = 10 - r.width;
    if (r.y + r.height < 10) r.y = 10 - r.height;
    return r;
}

void storeCommentWindowPlace(PanelSetting<CommentDisplay>& setting, const WindowRect& current,
                             int instance) {
    const WindowRect stored = storedPlacement(current, instance);
    setting.x = stored.x;
    setting.y = stored.y;
    setting.width = stored.width;
    setting.height = stored.height;
}

CommentView currentCommentView(const core::RecordStore& store, const Settings& settings) {
    CommentView view;
    view.caption = commentCaption(store, store.current(), settings);
    view.text = std::string(store.comment(store.currentPly()));
    view.any = !view.text.empty();
    return view;
}

}  // namespace tavrel
