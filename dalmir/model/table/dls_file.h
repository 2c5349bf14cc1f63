// The index file (DLS, and the KIX beside a binary database): a Shift-JIS text with a comment line,
// the database's settings as "$key :value" lines and one record line per entry. Reading fills
// an `IndexTable` and keeps what was read before any fault; writing is crash-safe with CR LF.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"
#include "dalmir/model/table/index_entry.h"
#include "dalmir/model/table/index_settings.h"
#include "dalmir/model/table/index_table.h"

namespace dalmir::model {

inline constexpr std::string_view kDlsVersion = "6.20";
inline constexpr std::size_t kDlsMaxLineBytes = 4095;

enum class DlsWriteMode : uint8_t {
    AllRecords = 0,  // every registered record (saving a DLS file)
    Unskipped = 1,   // only slots whose skip flag is 0 (the KIX after a conversion)
    AllSlots = 2,    // every slot (the KIX of a binary save)
};

// The whole file text. skip[i] != 0 leaves slot i out in mode Unskipped (slots beyond the span
// are written). "$棋譜数" is always the number of registered records. A generation other than 0
// (a KIX) is written as the line "$世代        :%u" before "$棋譜数"; readers that do not know
// the key ignore it, as they do every unknown key.
std::string formatDls(const IndexTable& table, DlsWriteMode mode = DlsWriteMode::AllRecords,
                      std::span<const uint8_t> skip = {}, uint32_t generation = 0);

// The text (UTF-8) of an index file's bytes (Shift-JIS); a byte that is no Shift-JIS becomes "？".
std::string dlsText(std::string_view fileBytes);

// The file's bytes (Shift-JIS) from formatDls's text; nullopt when a field holds a character
// Shift-JIS cannot hold (*problem then says which, and on which line).
std::optional<std::string> dlsFileBytes(std::string_view text, std::string* problem = nullptr);

// "棋譜情報のN行目の文字「X」（U+XXXX）はShift-JISで書けないため、保存できません。"
std::string msgCannotHoldInDls(int line, std::string_view character);

// Makes path the table's path, then writes the file crash-safe: either the old file stays or
// the complete new one replaces it; Unencodable (nothing written) when dlsFileBytes refuses.
[[nodiscard]] core::WriteResult writeDls(IndexTable& table, const std::string& path,
                                         DlsWriteMode mode = DlsWriteMode::AllRecords,
                                         std::span<const uint8_t> skip = {});

enum class DlsNote : uint8_t {
    OldVersion,      // written before 5.2: handicap codes are converted (a notice, not a failure)
    EventMissing,    // "kisen error": the record keeps the fields read before
    OpeningMissing,  // "戦型error"
    TitleMissing,    // "表題error"
    TableFull,       // the record lines from here on were not pasted (capacity; a file's
                     // records are all read, beyond the capacity if need be)
    ReadingStopped,  // a line without a double quote ended the reading before further lines
};

struct DlsMessage {
    int line = 0;  // 1-based line number in the file or text
    DlsNote note = DlsNote::OldVersion;
    std::string text;  // the CP932 message to show
};

struct [[nodiscard]] DlsReadReport {
    core::ReadResult code = core::ReadResult::Ok;  // or LineFailed (see messages), CannotOpen
    int records = 0;                               // record lines read into the table
    bool oldVersion = false;                       // handicap codes were converted
    uint32_t generation = 0;  // the "$世代" line of a KIX; 0 when the file has none
    // Lines that read as what an index file holds: known settings lines and whole record lines.
    // None in a text with content: the text is no index file at all.
    int recognised = 0;
    bool otherContent = false;  // a line that is neither, nor blank, nor a comment
    std::vector<DlsMessage> messages;

    // The text had content but nothing an index file holds: random bytes, another kind of file.
    bool noIndexFile() const { return recognised == 0 && otherContent; }

    // Every record line of the text is in the table (a damaged line with the fields read before
    // its fault). Saving over a file read only in part would drop the rest.
    bool whole() const {
        return std::none_of(messages.begin(), messages.end(), [](const DlsMessage& m) {
            return m.note == DlsNote::ReadingStopped || m.note == DlsNote::TableFull;
        });
    }
};

// Reads an index file. Returns CannotOpen and leaves the table untouched when the file can't be
// read; otherwise empties the table (entries, display order, the three adding filters, the date
// filter, relative paths and automatic update off, the sort order set to defaultSortOrder; the
// column settings and the other settings stay until the file sets them), stores the path,
// reads every line and lists all records in slot order.
[[nodiscard]] DlsReadReport readDls(IndexTable& table, const std::string& path,
                                    int defaultSortOrder = 0);

// readDls over a text already in memory (UTF-8: a file's bytes go through dlsText first).
[[nodiscard]] DlsReadReport loadDls(IndexTable& table, const std::string& path,
                                    std::string_view content, int defaultSortOrder = 0);

// The generation of a KIX file's bytes (its "$世代" line before the first record line); 0 for
// none.
uint32_t dlsGeneration(std::string_view content);

enum class [[nodiscard]] RecordLineResult : int{
    Ok = 0,
    NoQuote = -1,        // the line holds no double quote: not a record line
    EventMissing = 1,    // the event field, or a field before it, is missing
    OpeningMissing = 2,  // the opening field is missing
    TitleMissing = 3,    // the title field is missing
};

// Parses one record line into entry, which is reset first. With a positive status the entry
// holds the fields read before the missing one; later fields are empty or zero. oldVersion
// converts the handicap code of a file written before 5.2.
[[nodiscard]] RecordLineResult parseRecordLine(std::string_view line, IndexEntry& entry,
                                               bool oldVersion = false);

// Whether text is stored whole between double quotes: a double quote, a line end or a NUL would
// end the field there.
bool fitsQuotedField(std::string_view text);

// Appends one record line with CR LF: serial number, path (given separately, as the line must
// show it) and the entry's stored fields.
void appendRecordLine(std::string& out, int serial, std::string_view path, const IndexEntry& entry);

// The message for a parse status > 0 ("kisen error", "戦型error", "表題error").
std::string recordLineMessage(RecordLineResult status);

enum class [[nodiscard]] SettingsLineResult : uint8_t{
    Ignored,     // not a settings line this database keeps
    Applied,     // a setting or a current version
    OldVersion,  // "バージョン" below 5.2
};

// Applies one settings line given without its "$".
SettingsLineResult applySettingsLine(std::string_view text, IndexSettings& settings);

}  // namespace dalmir::model
