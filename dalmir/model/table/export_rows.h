// Rows of the listed records for analysis tools: the index fields of each entry (players, dates
// in ISO 8601, texts, handicap, result, move count, marks, path), optionally with the main line,
// as CSV (RFC 4180) or JSON Lines, UTF-8. Rows go to a sink one by one, so an export of any size
// needs only the memory of one row; the caller owns the sink and the table.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/record/record_store.h"
#include "dalmir/model/table/index_entry.h"
#include "dalmir/model/table/index_table.h"

namespace dalmir::model {

// Csv: a text field that a spreadsheet would take for a formula (starting with "=", "+", "-" or
// "@") gets a leading "'". CsvRaw: every field exactly as stored. Jsonl: exact as well.
enum class ExportFormat : uint8_t { Csv, Jsonl, CsvRaw };
enum class ExportMoves : uint8_t { None, Usi, Kif };

// Receives the text of the export piece by piece (whole rows, UTF-8). Returns false to stop.
using ExportSink = std::function<bool(std::string_view)>;

// The main line of a listed entry (UTF-8), or nullopt when its record file could not be read.
using MainLineSource = std::function<std::optional<std::string>(const IndexEntry&)>;

// An index date as ISO 8601: "2013-06-01", "2013-06" without a day, "2013" with only a year;
// empty when the year is 0 or the month or day is out of range.
std::string isoDate(const IndexDate& date);

// A CSV field: as it is, or in double quotes (inner quotes doubled) when it holds a comma, a
// quote or a line break. With guardFormula, a text that starts like a spreadsheet formula is
// written after a "'".
void appendCsvField(std::string& out, std::string_view utf8, bool guardFormula = false);
// A JSON string literal of UTF-8 text, with quotes.
void appendJsonString(std::string& out, std::string_view utf8);

// Columns after the entry's own (and the main line), such as figures kept beside the database:
// their names, and the cells of an entry by its slot. Cells are numbers; an empty one is written
// empty in CSV and as null in JSON.
struct ExtraColumns {
    std::vector<std::string> names;
    std::function<std::vector<std::string>(int32_t slot)> cells;
};

class ExportRowWriter {
public:
    ExportRowWriter(ExportFormat format, ExportMoves moves, ExportSink sink);
    // The extra columns each row gets (null: none); they must outlive the writer.
    void setExtraColumns(const ExtraColumns* extra) { m_extra = extra; }

    // The CSV header line (nothing for JSON Lines). False when the sink stopped.
    bool begin();
    // One row: number is the row's place in the list (from 1), mainLine the moves column
    // (ignored without moves). False when the sink stopped.
    // extraCells: the extra columns' cells, one per name.
    bool row(const IndexEntry& entry, int number, std::string_view mainLine = {},
             const std::vector<std::string>& extraCells = {});

private:
    const ExtraColumns* m_extra = nullptr;
    ExportFormat m_format;
    ExportMoves m_moves;
    ExportSink m_sink;
    std::string m_row;  // reused for every row
};

// The main line of an entry's record file, read with Dalmir's reader (main line only): the USI
// position command, or the moves in KIF origin form ("７六歩(77)") separated by blanks and ending
// with the closing word. Keeps one record for every call.
class MainLineReader {
public:
    // indexFolder: the index file's folder with its "/" (CP932), for relative paths.
    MainLineReader(std::string indexFolder, ExportMoves moves);
    ~MainLineReader();
    std::optional<std::string> operator()(const IndexEntry& entry);

private:
    std::string m_folder;
    ExportMoves m_moves;
    std::unique_ptr<core::RecordStore> m_store;
};

struct [[nodiscard]] ExportReport {
    int rows = 0;
    int unreadable = 0;    // records whose main line could not be read (the column is empty)
    bool stopped = false;  // the sink refused a row
};

// Writes the header and one row per listed entry in display order; with moves, mainLine
// supplies each entry's main line.
ExportReport exportListedRows(const IndexTable& table, ExportFormat format, ExportMoves moves,
                              const ExportSink& sink, const MainLineSource& mainLine = {},
                              const ExtraColumns* extra = nullptr);

}  // namespace dalmir::model
