#include "cli/dalmir/dalmir_export.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/common/cli_common.h"
#include "core/text/safe_file.h"

namespace cli {

std::optional<database::ExportFormat> exportFormatNamed(const std::string& name) {
    if (name == "csv") return database::ExportFormat::Csv;
    if (name == "jsonl") return database::ExportFormat::Jsonl;
    return std::nullopt;
}

std::optional<database::ExportMoves> exportMovesNamed(const std::string& name) {
    if (name == "usi") return database::ExportMoves::Usi;
    if (name == "kif") return database::ExportMoves::Kif;
    return std::nullopt;
}

int runExportCommand(const database::IndexTable& table, const ExportCommand& c) {
    database::MainLineReader mainLine(std::string(table.folder()), c.moves);
    database::MainLineSource source;
    if (c.moves != database::ExportMoves::None) {
        source = [&](const database::IndexEntry& e) { return mainLine(e); };
    }
    core::StreamedFile file;
    if (c.output) {
        if (file.open(*c.output) != core::WriteResult::Ok) {
            std::fprintf(stderr, "dalmir-cli: cannot write %s: %s\n", c.output->c_str(),
                         std::strerror(errno));
            return kExitFile;
        }
    }
    database::ExportSink sink = [&](std::string_view bytes) {
        if (c.output) return file.write(bytes);
        return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    };
    database::ExportReport r = database::exportListedRows(table, c.format, c.moves, sink, source);
    bool written = !r.stopped;
    if (c.output) {
        written = file.commit() == core::WriteResult::Ok && written;
    } else {
        written = std::fflush(stdout) == 0 && written;
    }
    if (!written) {
        std::fprintf(stderr, "dalmir-cli: cannot write %s\n",
                     c.output ? c.output->c_str() : "the output");
        return kExitFile;
    }
    if (r.unreadable > 0) {
        std::fprintf(stderr,
                     "dalmir-cli: %d record file(s) could not be read; their main_line is empty\n",
                     r.unreadable);
        return kExitFile;
    }
    return kExitOk;
}

}  // namespace cli
