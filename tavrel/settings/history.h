// The value histories of the information fields: the values the user entered recently, most
// recent first, one ".his" file per field beside the environment file. The viewer owns one
// Histories object for the session.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"

namespace tavrel {

// Every field that keeps a history; the order is the order of historyFileName.
enum class HistoryField : int {
    Event,          // 棋戦
    Opening,        // 戦型
    TimeLimit,      // 持ち時間
    Place,          // 場所
    Title,          // 表題
    Publication,    // 掲載
    StartDate,      // 開始日時
    SaveName,       // 保存棋譜初期名
    Players,        // 対局者
    Bookmarks,      // しおり
    ProblemNumber,  // 作品番号
    Author,         // 作者
    Magazine,       // 発表誌
    PublishedDate,  // 発表年月
    Source,         // 出典
    Completeness,   // 完全性
    Category,       // 分類
    Award,          // 受賞
    ProblemName,    // 作品名
    MoveCount,      // 手数
    Remarks,        // 備考
    User1,
    User2,
    User3,
    User4,
    User5,
};
inline constexpr int kHistoryFieldCount = 26;

// The file name of a field's history without folder and extension, UTF-8 as the file system
// holds it ("棋戦", ..., "user1".."user5").
std::string_view historyFileName(HistoryField field);
// folder (ending with '/') + name + ".his".
std::string historyFilePath(const std::string& folder, HistoryField field);

// Result of History::add.
enum class HistoryAddResult : int {
    Ignored = 0,  // empty value, or a history that keeps nothing
    MovedToFront = 1,
    Inserted = 2,
};

// One history: at most `maximum` entries (0..kCapacity), each at most kEntryBytes of CP932.
class History {
public:
    static constexpr int kCapacity = 20;
    static constexpr std::size_t kEntryBytes = 255;

    // The maximum is the setting 情報履歴数, taken into 0..kCapacity.
    explicit History(int maximum = kCapacity);

    int maximum() const { return m_maximum; }
    int count() const { return static_cast<int>(m_entries.size()); }
    // Entry i (0 = most recent); empty for an index out of range.
    std::string_view value(int i) const;
    const std::vector<std::string>& entries() const { return m_entries; }
    bool contains(std::string_view value) const;

    // Cuts v to one line of kEntryBytes; an empty value is ignored; a value already present moves
    // to the front; otherwise it becomes the first entry, the oldest falling off at the maximum.
    HistoryAddResult add(std::string_view v);

    // Reads a history file: one entry per line, "#" lines and empty lines ignored, at most
    // `maximum` entries. Nothing is read when the maximum is 0. Returns Ok, or CannotOpen when the
    // file does not open (the history is then left empty).
    [[nodiscard]] core::ReadResult read(const std::string& path);
    // Writes the entries, one per line, crash-safe; nothing is written when the maximum is 0.
    [[nodiscard]] core::WriteResult write(const std::string& path) const;

    friend bool operator==(const History&, const History&) = default;

private:
    int m_maximum;
    std::vector<std::string> m_entries;
};

// The histories of every field, all with the same maximum.
class Histories {
public:
    explicit Histories(int maximum = History::kCapacity);

    History& operator[](HistoryField field) { return m_items[index(field)]; }
    const History& operator[](HistoryField field) const { return m_items[index(field)]; }

    // Reads every field's file from folder; a missing file leaves that history empty.
    void readAll(const std::string& folder);
    // Writes every field's file into folder. Returns Ok, or the first failure of History::write.
    [[nodiscard]] core::WriteResult writeAll(const std::string& folder) const;

private:
    static std::size_t index(HistoryField f) { return static_cast<std::size_t>(f); }
    std::array<History, kHistoryFieldCount> m_items;
};

}  // namespace tavrel
