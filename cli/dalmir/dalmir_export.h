// dalmir-cli export (and list --format): the listed records as CSV or JSON Lines on stdout or
// into a file that appears only when complete. The rows come from the engine's row writer.
#pragma once

#include <optional>
#include <string>

#include "dalmir/model/table/export_rows.h"
#include "dalmir/model/table/index_table.h"

namespace cli {

struct ExportCommand {
    dalmir::model::ExportFormat format = dalmir::model::ExportFormat::Csv;
    dalmir::model::ExportMoves moves = dalmir::model::ExportMoves::None;
    std::optional<std::string> output;  // -o FILE; stdout when empty
    bool raw = false;                   // --raw: CSV texts exactly, formulas not defused
};

// "csv" / "jsonl" and "usi" / "kif" as the options spell them; nullopt for anything else.
std::optional<dalmir::model::ExportFormat> exportFormatNamed(const std::string& name);
std::optional<dalmir::model::ExportMoves> exportMovesNamed(const std::string& name);

// Writes the export; returns the exit code: 0, or 1 when the output could not be written or
// some record's main line could not be read (its column is then empty; a message says how many).
// extra: columns added to each row (the analysis of the records), or null.
int runExportCommand(const dalmir::model::IndexTable& table, const ExportCommand& command,
                     const dalmir::model::ExtraColumns* extra = nullptr);

}  // namespace cli
