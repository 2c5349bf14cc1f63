#include "tavrel/logic/view/pane_layout.h"

#include <algorithm>

#include "core/text/sjis.h"

namespace tavrel {

std::optional<int> nextPane(const std::vector<bool>& shown, int current, bool backwards) {
    const int n = static_cast<int>(shown.size());
    if (n == 0) return std::nullopt;
    if (current < 0 || current >= n) current = backwards ? 0 : n - 1;
    for (int step = 1; step <= n; ++step) {
        int i = backwards ? (current - step + n * 2) % n : (current + step) % n;
        if (shown[static_cast<std::size_t>(i)]) return i;
    }
    return std::nullopt;
}

std::optional<std::pair<int, int>> firstOverlap(const std::vector<Rect>& rects) {
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const Rect& a = rects[i];
        if (a.width() <= 0 || a.height() <= 0) continue;
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const Rect& b = rects[j];
            if (b.width() <= 0 || b.height() <= 0) continue;
            if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) {
                return std::pair{static_cast<int>(i), static_cast<int>(j)};
            }
        }
    }
    return std::nullopt;
}

int widestLine(const std::vector<std::string>& lines) {
    int widest = -1;
    for (const std::string& line : lines) {
        widest = std::max(widest, static_cast<int>(core::cp932Width(line)));
    }
    return widest;
}

}  // namespace tavrel
