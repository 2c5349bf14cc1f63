// The main window's title text for each viewer mode, and the record window's caption.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tavrel/logic/document/viewer_mode.h"

namespace tavrel {

// The product name, or "<product> 設定：<name>" when the command line named an environment .
std::string applicationTitle(const std::optional<std::string>& environmentName);

struct TitleInput {
    ViewerMode mode = ViewerMode::Viewing;
    std::string recordName;  // empty before anything was loaded
    std::string recordFileName;
    bool modified = false;
    bool incomplete = false;    // the record's file was read only in part
    bool branchOnEntry = true;  // 棋譜追加モード
    std::string application;    // applicationTitle()
};

// The window title.
std::string titleText(const TitleInput& in);

// "棋譜 %d手", or "棋譜 %d手 / %d手" when the current ply lies before the end of the line.
std::string recordWindowCaption(int currentPly, int lineEnd);

}  // namespace tavrel
