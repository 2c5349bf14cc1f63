// dalmir-cli export (and list --format): the listed records as CSV or JSON Lines on stdout or
// into a file that appears only when complete. The rows come from the engine's row writer.
#pragma once

#include <optional>
#include <string>

#include "database/engine/index/export_rows.h"
#include "database/engine/index/index_table.h"

namespace cli {

struct ExportCommand {
    database::ExportFormat format = database::ExportFormat::Csv;
    database::ExportMoves moves = database::ExportMoves::None;
    std::optional<std::string> output;  // -o FILE; stdout when empty
};

// "csv" / "jsonl" and "usi" / "kif" as the options spell them; nullopt for anything else.
std::optional<database::ExportFormat> exportFormatNamed(const std::string& name);
std::optional<database::ExportMoves> exportMovesNamed(const std::string& name);

// Writes the export; returns the exit code: 0, or 1 when the output could not be written or
// some record's main line could not be read (its column is then empty; a message says how many).
int runExportCommand(const database::IndexTable& table, const ExportCommand& command);

}  // namespace cli
