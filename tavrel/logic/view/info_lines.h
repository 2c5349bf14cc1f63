// The texts of the information area beside the board: player names, their time texts, handicap,
// ply, the current move, the side to move and the three template lines. The first template line
// that comes out blank shows the record's automatic opening label instead.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/record/record_store.h"
#include "core/templates/date_time_snapshot.h"
#include "core/templates/template_expander.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

inline constexpr int kInfoLineCount = 11;
// nullopt: nothing is drawn on that line (the move line at the terminal entry 中断).
using InfoLines = std::array<std::optional<std::string>, kInfoLineCount>;

struct InfoContext {
    // The names the template lines read ("%f", "%F").
    core::TemplateEnvironment environment;
    // The date and time "%y" and "%t" show; null: taken now.
    core::DateTimeSnapshot* snapshot = nullptr;
    // The clock texts of a game in progress (lines 1 and 3); empty outside play, when the lines
    // show the consumed times of the moves played so far.
    std::optional<std::string> blackClock;
    std::optional<std::string> whiteClock;
};

// A move's time and its side's total as the information area shows them:
// "%02d:%02d / %02d:%02d:%02d" (minutes and seconds, then hours, minutes and seconds).
std::string timeText(std::uint32_t moveSeconds, std::uint32_t total);

InfoLines informationLines(const core::RecordStore& store, const Settings& settings,
                           const InfoContext& context);

// The current move as the viewer shows it (display style 指し手表記, without side mark), for the
// move of `node` whose predecessor moved to previousDestination.
std::string lastMoveText(const core::MoveNode& node, int previousDestination,
                         const Settings& settings);

}  // namespace tavrel
