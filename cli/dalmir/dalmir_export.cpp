#include "cli/dalmir/dalmir_export.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/common/cli_common.h"
#include "core/base/safe_file.h"

namespace cli {

std::optional<dalmir::model::ExportFormat> exportFormatNamed(const std::string& name) {
    if (name == "csv") return dalmir::model::ExportFormat::Csv;
    if (name == "jsonl") return dalmir::model::ExportFormat::Jsonl;
    return std::nullopt;
}

std::optional<dalmir::model::ExportMoves> exportMovesNamed(const std::string& name) {
    if (name == "usi") return dalmir::model::ExportMoves::Usi;
    if (name == "kif") return dalmir::model::ExportMoves::Kif;
    return std::nullopt;
}

int runExportCommand(const dalmir::model::IndexTable& table, const ExportCommand& c,
                     const dalmir::model::ExtraColumns* extra) {
    dalmir::model::MainLineReader mainLine(std::string(table.folder()), c.moves);
    dalmir::model::MainLineSource source;
    if (c.moves != dalmir::model::ExportMoves::None) {
        source = [&](const dalmir::model::IndexEntry& e) { return mainLine(e); };
    }
    core::StreamedFile file;
    if (c.output) {
        if (file.open(*c.output) != core::WriteResult::Ok) {
            std::fprintf(stderr, "dalmir-cli: cannot write %s: %s\n", c.output->c_str(),
                         std::strerror(errno));
            return kExitFile;
        }
    }
    dalmir::model::ExportSink sink = [&](std::string_view bytes) {
        if (c.output) return file.write(bytes);
        return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    };
    const dalmir::model::ExportFormat format = c.raw && c.format == dalmir::model::ExportFormat::Csv
                                                   ? dalmir::model::ExportFormat::CsvRaw
                                                   : c.format;
    dalmir::model::ExportReport r =
        dalmir::model::exportListedRows(table, format, c.moves, sink, source, extra);
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
