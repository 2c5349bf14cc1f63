#include "viewer/logic/startup.h"

#include <algorithm>

#include "core/text/sjis.h"

namespace viewer {

std::string environmentMissingWarning(std::string_view folder, std::string_view name) {
    return core::sjis("環境ファイル(") + std::string(folder) + std::string(name) +
           core::sjis(".ENV)が存在しませんので、標準設定で起動します。");
}

WindowRect mainWindowPlacement(const WindowRect& saved, int instance, const Desktop& desktop,
                               WindowRect defaultSize) {
    WindowRect r;
    if (saved.height >= 50) {
        r = saved;
        r.x += instanceOffset(instance);
        r.y += instanceOffset(instance);
    } else {
        r = WindowRect{5, 20, defaultSize.width, defaultSize.height};
    }
    if (r.x >= desktop.width) r.x = 5;
    if (r.y >= desktop.height) r.y = 20;
    return r;
}

WindowRect recordWindowPlacement(const WindowRect& saved, int instance, const Desktop& desktop) {
    WindowRect r = saved;
    r.x += instanceOffset(instance);
    r.y += instanceOffset(instance);
    if (instance == 1) {
        if (r.x >= desktop.width) r.x = 10;
        if (r.y >= desktop.height) r.y = 250;
    }
    r.x = std::max(r.x, 50 - r.width);
    r.y = std::max(r.y, 50 - r.height);
    return r;
}

WindowRect storedPlacement(const WindowRect& current, int instance) {
    WindowRect r = current;
    r.x = std::max(0, r.x - instanceOffset(instance));
    r.y = std::max(0, r.y - instanceOffset(instance));
    return r;
}

std::string absoluteProgramPath(std::string_view value, std::string_view programFolder) {
    if (value.empty() || value.front() == '/') return std::string(value);
    return std::string(programFolder) + std::string(value);
}

}  // namespace viewer
