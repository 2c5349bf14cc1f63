#include "tavrel/logic/view/menu_state.h"

#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/document.h"

namespace tavrel {

CommandStates commandStates(ViewerMode mode) {
    bool blocked = isPlaying(mode) || mode == ViewerMode::PrintPreview;
    return CommandStates{!blocked, !blocked};
}

namespace {

bool atLineEnd(const core::RecordStore& store) {
    return store.node(store.current()).next == core::kNoNode;
}

bool resignAllowed(const core::RecordStore& store, const Settings& settings) {
    return settings.addVariationMode != core::AddMode::Overwrite || atLineEnd(store);
}

}  // namespace

PlayCommandStates playCommandStates(ViewerMode mode, const core::RecordStore& store,
                                    const Settings& settings) {
    PlayCommandStates s;
    bool playing = isPlaying(mode);
    s.terminals = playing;
    s.resign = playing && resignAllowed(store, settings);
    s.takeBack = playing && store.currentPly() > 0;
    s.continuePlay = !playing && mode != ViewerMode::PrintPreview;
    s.newGame = s.continuePlay;
    s.playerNames = mode != ViewerMode::PrintPreview;
    s.editing = !playing && mode != ViewerMode::PrintPreview;
    s.editCommands = isEditing(mode);
    return s;
}

std::string editingEntryText(ViewerMode mode) {
    return std::string(isEditing(mode) ? core::translate("局面編集の終了(&E)\tCtrl+E")
                                       : core::translate("局面編集の開始(&E)\tCtrl+E"));
}

std::vector<ContextEntry> contextMenuEntries(ViewerMode mode, const core::RecordStore& store,
                                             const Settings& settings, bool shift,
                                             const std::string& imageName) {
    std::vector<ContextEntry> e;
    auto add = [&](Command c, const char* utf8) { e.push_back({c, std::string(utf8)}); };
    if (isPlaying(mode)) {
        add(Command::Suspend, core::translate("中断(&Q)"));
        if (resignAllowed(store, settings)) add(Command::Resign, core::translate("投了(&G)"));
        add(Command::EndInput, core::translate("入力終了(&E)"));
        if (store.currentPly() > 1) add(Command::TakeBack, core::translate("入力の取り消し(&R)"));
        add(Command::SuspendMail, core::translate("中断し、メールを出力(&W)"));
        add(Command::Mate, core::translate("詰み(&T)"));
        if (shift) add(Command::Repetition, core::translate("千日手(&S)"));
    } else if (mode == ViewerMode::Viewing) {
        add(Command::PreviewPosition, core::translate("局面の印刷プレビュー(&P)"));
        add(Command::Editing, core::translate("局面編集の開始(&B)"));
        if (store.bookmarkCount() > 0)
            add(Command::GoToBookmark, core::translate("しおりへ移動(&G)..."));
        if (store.currentPly() > 0 && store.bookmarkOf(store.current()) < 0) {
            add(Command::AddBookmark, core::translate("しおりの登録(&R)"));
        }
    } else if (mode == ViewerMode::PrintPreview) {
        add(Command::SaveImage, core::translate("名前を付けて、画像を保存(&I)..."));
        e.push_back({Command::SaveImageNamed,
                     core::formatMessageUtf8(core::translate("画像を保存(%s)"), {imageName})});
        add(Command::CopyBitmap, core::translate("ビットマップのコピー(&B)"));
    } else if (isEditing(mode)) {
        add(Command::Editing, core::translate("局面編集の終了(&E)"));
        e.push_back({std::nullopt, {}});
        add(Command::EvenSetup, core::translate("平手初期配置(&H)"));
        add(Command::MateSetup, core::translate("詰将棋用配置(&M)"));
        add(Command::AllToBox, core::translate("全ての駒を駒箱へ(&K)"));
        add(Command::Flip, core::translate("先後反転(&I)"));
        add(Command::ChangeSide, core::translate("手番変更(&T)"));
    }
    return e;
}

std::vector<RecentMenuEntry> recentMenuEntries(const RecentFileList& list) {
    std::vector<RecentMenuEntry> entries;
    if (list.entries().empty()) {
        entries.push_back({std::string(core::translate("最近使ったファイル")), std::nullopt});
    }
    for (int i = 0; i < list.count(); ++i) {
        const std::string& path = list.entries()[static_cast<std::size_t>(i)];
        entries.push_back({recentMenuText(i, pathToText(path)), path});
    }
    return entries;
}

std::string toolMenuText(const Settings& settings, int index) {
    if (index < 0 || index >= kToolCount) return {};
    const std::string& text = settings.tools[static_cast<std::size_t>(index)].menu;
    return text.empty() ? std::string(core::translate("ツールメニュー")) + std::to_string(index + 1)
                        : text;
}

}  // namespace tavrel
