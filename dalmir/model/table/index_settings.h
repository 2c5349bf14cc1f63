// The settings one database keeps inside its index file (list columns, path style, the adding
// filters and a few switches), and the table of the 22 list columns with their defaults.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dalmir::model {

inline constexpr int kColumnCount = 22;
inline constexpr int kFirstUserColumn = 17;  // columns 17..21 are the five user fields

// Column numbers of the list, in file order.
enum class ListColumn : uint8_t {
    Number = 0,
    Mark,
    FileName,
    BlackPlayer,
    WhitePlayer,
    Handicap,
    StartDate,
    EndDate,
    Event,
    Opening,
    MoveCount,
    Result,
    Title,
    TimeLimit,
    Place,
    PublishedIn,
    NextMove,
    User1,
};

// The title of a fixed column (0..16); empty for the user columns, which take the names
// of the user fields.
std::string_view columnTitle(int column);

inline constexpr std::array<uint8_t, kColumnCount> kDefaultColumnShown = {
    1, 0, 1, 1, 1, 0, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1};
inline constexpr std::array<int, kColumnCount> kDefaultColumnWidth = {
    40, 36, 100, 75, 75, 50, 63, 63, 75, 75, 40, 75, 75, 75, 75, 75, 75, 75, 75, 75, 75, 75};

struct IndexSettings {
    std::array<uint8_t, kColumnCount> columnShown = kDefaultColumnShown;  // 表示項目
    std::array<int, kColumnCount> columnWidth = kDefaultColumnWidth;      // 表示項目幅, pixels
    bool relativePaths = false;  // 棋譜相対パス: paths relative to the index file's folder
    int sortOrder = 0;           // 表示順: a sort-order code of the list
    int fileNameStyle = 0;  // ファイル名パス: 0 name, 1 path as stored, 2 folder and name
    bool fileNameExtension = true;  // ファイル名拡張子: the file-name column keeps the extension
    int yearStyle = 0;    // 年４桁: 0 two-digit years, 1 four-digit years, 2 era name and year
    std::string addPath;  // 追加パス: folder last used for adding by folder
    bool addSubfolders = false;  // 追加サブ
    int addKind = 0;             // 追加種類: which file kinds adding by folder takes
    std::string addPlayer;       // 追加対局者: adding filter on the players
    std::string addEvent;        // 追加棋戦
    std::string addOpening;      // 追加戦型
    bool addDateFilter = false;  // the date filter switch (not stored in the file)
    int addYear = 0;             // 追加年, 追加月, 追加日: the date filter
    int addMonth = 0;
    int addDay = 0;
    int autoReplayCount = 0;  // 自動再現数: hits opened in the viewer by a search with replay
    bool autoUpdate = false;  // 自動更新: re-read every record file when the index is loaded
    bool replayMark = false;  // 再現マーク: opening a record in the viewer sets its mark 1

    bool operator==(const IndexSettings&) const = default;
};

// Width limits of the settings texts; longer texts are cut.
inline constexpr std::size_t kAddPathMaxBytes = 259;
inline constexpr std::size_t kAddFilterMaxBytes = 59;

}  // namespace dalmir::model
