// The program's settings (sections Env, Tool, View, Print and Option of the per-user settings
// store "VESK"), with their defaults, read from and written to any string store. Every value is
// a string; numbers are decimal text; a missing, empty or unreadable value keeps the default.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/translation.h"
#include "dalmir/logic/launch_command.h"
#include "dalmir/model/analysis/move_losses.h"
#include "dalmir/model/table/index_table.h"

namespace dalmir {

struct FontSetting {
    std::string name;
    int size = 0;  // negative: character height in pixels; positive: points
    int weight = 0;
    bool italic = false;

    bool operator==(const FontSetting&) const = default;
};

struct SettingsDate {
    int year = 0;
    int month = 0;
    int day = 0;

    bool operator==(const SettingsDate&) const = default;
};

// The engine analysis of a database: the last choices of its dialog, and the thresholds of the
// marks the list, the export and the player report use.
struct AnalysisSettings {
    std::string engine;  // the engine program (file-system path)
    bool byNodes = false;
    int byoyomiMs = 1000;
    int nodes = 100000;
    int jobs = 0;     // 0: one per core
    int maxPly = -1;  // -1: to the end of the main line
    model::MarkThresholds thresholds;

    bool operator==(const AnalysisSettings&) const = default;
};

struct AppSettings {
    std::array<std::string, 5> userFieldNames;  // Env user1..user5 (UTF-8)
    ToolSettings tools;
    int defaultSort = 0;
    FontSetting statusFont{"ＭＳ ゴシック", -13, 0, false};
    FontSetting listFont{"メイリオ", -12, 0, false};
    FontSetting printFont{"ＭＳ 明朝", 9, 0, false};
    int printLeftMargin = 15;  // mm
    int printTopMargin = 10;
    int printFootMargin = 10;
    int printLineMargin = 5;           // tenths of a mm
    bool findReversed = true;          // find_hanten
    bool findIgnoreEdges = false;      // find_hasifu
    bool deleteConfirm = true;         // del_confirm
    bool duplicateDeleteFile = false;  // dupli_del
    bool addErrorsLogged = true;       // add_error
    int historyCount = 20;             // history_n
    int maxRecords =
        model::kDefaultMaxRecords;  // max_records: records a database may hold (at least 1)
    bool historyPlayer = true;
    bool historyEvent = true;
    bool historyOpening = true;
    SettingsDate dateFrom{1980, 1, 1};
    // 日以前: {0, 0, 0} (never chosen) offers the day the dialog opens.
    SettingsDate dateTo{0, 0, 0};
    // The filter stacks saved by name: the name and the stack's text (saveFilterStack).
    std::vector<std::pair<std::string, std::string>> filterStacks;
    // "言語": the locale's, Japanese or English; read at start-up.
    core::LanguageChoice language = core::LanguageChoice::System;
    AnalysisSettings analysis;

    bool operator==(const AppSettings&) const = default;
};

// The 日以前 date the search dialog offers: the one last chosen, or today when none was.
SettingsDate offeredDateTo(const AppSettings& settings, SettingsDate today);

// The most filter stacks kept by name.
inline constexpr int kMaxFilterStacks = 50;

// A string store keyed "Section/key" (QSettings in the program, a map in tests).
struct SettingsStore {
    std::function<std::optional<std::string>(const std::string&)> read;
    std::function<void(const std::string&, const std::string&)> write;
};

AppSettings readSettings(const SettingsStore& store);
void writeSettings(const AppSettings& settings, const SettingsStore& store);

// The most entries any input history keeps, whatever history_n says.
inline constexpr int kMaxHistoryEntries = 20;
inline constexpr std::size_t kHistoryEntryBytes = 255;

// An input history: most recent first, at most `limit` texts (UTF-8) of at most 255 bytes in
// their CP932 form, cut between characters.
class InputHistory {
public:
    explicit InputHistory(int limit = kMaxHistoryEntries);
    // Puts a text in front (moving it there when present; the last falls off when full). An
    // empty text is ignored. True when the list changed.
    bool enter(std::string_view text);
    // Reads a ".his" file: one entry per line, "#" lines and empty lines skipped. The file is one
    // of the program's own text files: Shift-JIS, or UTF-8 after a byte-order mark when it holds
    // a character Shift-JIS cannot.
    void load(std::string_view fileBytes);
    // The file's bytes: one entry per line, in the encoding load reads.
    std::string fileBytes() const;
    const std::vector<std::string>& entries() const { return m_entries; }
    void setLimit(int limit);

private:
    int m_limit;
    std::vector<std::string> m_entries;
};

}  // namespace dalmir
