#include "tavrel/logic/view/record_list_text.h"

#include <cstdio>

#include "core/notation/piece_text.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

namespace {

// Width the move text is padded to, in bytes.
constexpr std::size_t kMoveTextWidth = 14;
// Where the alternatives of the branch form begin: the ply number, the comment mark, the move text
// and a blank.
constexpr int kFirstAlternativeColumn = 4 + static_cast<int>(kMoveTextWidth) + 1;
constexpr int kMaxListedAlternatives = 9;

std::vector<core::NodeIndex> currentLine(const core::RecordStore& store) {
    std::vector<core::NodeIndex> path;
    for (core::NodeIndex n = store.current(); n != core::kRootNode; n = store.parentOf(n)) {
        if (n == core::kNoNode) break;
        path.push_back(n);
    }
    std::vector<core::NodeIndex> line(path.rbegin(), path.rend());
    for (core::NodeIndex n = store.node(store.current()).next; n != core::kNoNode;
         n = store.node(n).next) {
        line.push_back(n);
    }
    return line;
}

// Replaces the first blank of text by mark, or appends the mark when there is none.
void markFirstBlank(std::string& text, char mark) {
    for (std::size_t i = 0; i < text.size(); i += core::charLength(text, i)) {
        if (text[i] == ' ') {
            text[i] = mark;
            return;
        }
    }
    text += mark;
}

std::string padded(std::string text) {
    const std::size_t width = core::cp932Width(text);
    if (width < kMoveTextWidth) text.append(kMoveTextWidth - width, ' ');
    return text;
}

std::string plyNumber(int n) {
    char buf[16];
    if (n > 999) {
        std::snprintf(buf, sizeof buf, "%03d", n % 1000);
    } else {
        std::snprintf(buf, sizeof buf, "%3d", n);
    }
    return buf;
}

}  // namespace

RecordListStyle recordListStyle(const Settings& settings) {
    RecordListStyle style;
    style.moveTextStyle = settings.moveTextStyle;
    style.userMarks = settings.privateCharUse.screen != 0;
    style.ruleCheck = settings.checkRules != 0;
    style.dragonAsRyu = settings.dragonNotation != 0;
    style.bookmarkNames = settings.showBookmarkNames == 1;
    return style;
}

std::string displayMoveText(const core::MoveNode& node, int previousDestination,
                            const RecordListStyle& style) {
    bool down = usesDownMark(style.moveTextStyle);
    core::MarkStyle marks = down ? core::MarkStyle::Down : core::MarkStyle::Up;
    if (style.userMarks) marks = down ? core::MarkStyle::UserDown : core::MarkStyle::UserUp;
    core::NotationOptions options{.dragonAsRyu = style.dragonAsRyu};
    bool traditional = isTraditional(style.moveTextStyle) && style.ruleCheck;
    if (traditional) {
        return core::traditionalText(node, previousDestination, core::DestinationForm::FullWidth,
                                     marks, 0, options);
    }
    return core::originFormText(node, previousDestination, marks, 0, options);
}

std::vector<std::string> recordListLines(const core::RecordStore& store, RecordListForm form,
                                         const RecordListStyle& style) {
    std::vector<std::string> lines;
    for (RecordListRow& row : recordListRows(store, form, style)) {
        lines.push_back(std::move(row.text));
    }
    return lines;
}

Rgb recordLineColour(bool current, bool alternatives, Rgb currentColour, Rgb variationColour,
                     bool manyColours) {
    if (current && alternatives && manyColours) {
        auto channel = [](std::uint8_t c, std::uint8_t v) {
            int reduced = c - (255 - v) / 2;
            return static_cast<std::uint8_t>(reduced < 0 ? 0 : reduced);
        };
        return Rgb{channel(currentColour.red, variationColour.red),
                   channel(currentColour.green, variationColour.green),
                   channel(currentColour.blue, variationColour.blue)};
    }
    if (current) return currentColour;
    if (alternatives) return variationColour;
    return Rgb{255, 255, 255};
}

int alternativeColumnAt(int column) {
    if (column < kFirstAlternativeColumn) return 0;
    int k = (column - kFirstAlternativeColumn) / static_cast<int>(kMoveTextWidth) + 1;
    return k > kMaxListedAlternatives ? 0 : k;
}

std::vector<core::NodeIndex> listedAlternatives(const core::RecordStore& store,
                                                core::NodeIndex node) {
    std::vector<core::NodeIndex> out;
    if (node == core::kRootNode || !store.isInUse(node)) return out;
    for (core::NodeIndex a = store.node(store.parentOf(node)).next; a != core::kNoNode;
         a = store.node(a).sibling) {
        if (a != node) out.push_back(a);
    }
    return out;
}

std::vector<RecordListRow> recordListRows(const core::RecordStore& store, RecordListForm form,
                                          const RecordListStyle& style) {
    std::vector<RecordListRow> lines;
    const core::MoveNode& root = store.node(core::kRootNode);
    char commentMark = root.comment ? '*' : ' ';
    int rootBookmark = store.bookmarkOf(core::kRootNode);
    if (form == RecordListForm::Times) {
        std::string l = " ==";
        l += commentMark;
        l += core::kWordStartPosition;
        l += rootBookmark >= 0 ? '&' : ' ';
        l += std::string(core::translate("==       消費時間(1手/累積)"));
        lines.push_back({l, false, core::kRootNode});
    } else {
        std::string l = " ==";
        l += commentMark;
        l += core::kWordStartPosition;
        if (rootBookmark >= 0) {
            l += '&';
            if (style.bookmarkNames) l += store.bookmarkAt(rootBookmark)->name;
        } else {
            l += ' ';
        }
        l += std::string(core::translate("==  分岐                     "));
        lines.push_back({l, false, core::kRootNode});
    }

    int ply = 0;
    int previous = 0;
    // Each side's running total of seconds (what cumulativeSeconds gives for the node), kept as
    // the line is walked so that the list stays linear in its length.
    std::uint32_t sideTotals[2] = {0, 0};
    for (core::NodeIndex n : currentLine(store)) {
        ++ply;
        const core::MoveNode& m = store.node(n);
        core::NodeIndex parent = store.parentOf(n);
        bool alternatives = store.node(parent).next != n || m.sibling != core::kNoNode;
        std::string text = padded(displayMoveText(m, previous, style));
        bool lastAlternative = m.sibling == core::kNoNode && store.node(parent).next != n;
        if (form == RecordListForm::Times ? alternatives : (alternatives && lastAlternative)) {
            markFirstBlank(text, '+');
        }
        int bookmark = store.bookmarkOf(n);
        if (bookmark >= 0) {
            markFirstBlank(text, '&');
            if (style.bookmarkNames && form == RecordListForm::Branches) {
                text += store.bookmarkAt(bookmark)->name;
            }
        }
        std::string line = plyNumber(ply);
        line += m.comment ? '*' : ' ';
        line += text;
        if (form == RecordListForm::Times) {
            std::uint32_t& total = sideTotals[ply % 2];
            total += m.seconds;
            char times[48];
            std::snprintf(times, sizeof times, "%02d:%02d / %02u:%02u:%02u", m.seconds / 60,
                          m.seconds % 60, (total / 3600) % 100, (total / 60) % 60, total % 60);
            line += times;
        } else {
            line += ' ';
            for (core::NodeIndex a = store.node(parent).next; a != core::kNoNode;
                 a = store.node(a).sibling) {
                if (a == n) continue;
                line += padded(displayMoveText(store.node(a), previous, style));
            }
        }
        lines.push_back({std::move(line), alternatives, n});
        previous = m.isTerminal() ? 0 : m.destination();
    }
    return lines;
}

}  // namespace tavrel
