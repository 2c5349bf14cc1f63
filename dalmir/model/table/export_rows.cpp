#include "dalmir/model/table/export_rows.h"

#include <array>
#include <cstdio>
#include <optional>

#include "core/classify/classifier.h"
#include "core/formats/record_loader.h"
#include "core/formats/usi.h"
#include "core/notation/notation.h"
#include "core/text/sjis.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/table/index_codes.h"
#include "dalmir/model/table/index_paths.h"

namespace dalmir::model {

namespace {

constexpr std::string_view kCsvEol = "\r\n";

// The columns in order; the text ones come from the entry's fields.
// auto_opening and auto_opening_name are the classifier's label and opening name (自動戦型),
// auto_castles both sides' castles read from that label (囲い).
constexpr std::array<std::string_view, 24> kColumns{"no",
                                                    "black",
                                                    "white",
                                                    "start",
                                                    "end",
                                                    "title",
                                                    "event",
                                                    "opening",
                                                    "time_limit",
                                                    "place",
                                                    "published_in",
                                                    "user1",
                                                    "user2",
                                                    "user3",
                                                    "user4",
                                                    "user5",
                                                    "handicap",
                                                    "result",
                                                    "moves",
                                                    "marks",
                                                    "path",
                                                    "auto_opening",
                                                    "auto_opening_name",
                                                    "auto_castles"};

constexpr std::array<IndexText, 14> kTexts{
    IndexText::BlackPlayer, IndexText::WhitePlayer, IndexText::Title, IndexText::Event,
    IndexText::Opening,     IndexText::TimeLimit,   IndexText::Place, IndexText::PublishedIn,
    IndexText::User1,       IndexText::User2,       IndexText::User3, IndexText::User4,
    IndexText::User5,       IndexText::Path};

std::string utf8(std::string_view cp932) { return core::toUtf8Lossy(cp932); }

std::string trimmedMarks(uint8_t marks) {
    std::string s;
    for (char c : markText(marks)) {
        if (c != ' ') s += c;
    }
    return s;
}

}  // namespace

std::string isoDate(const IndexDate& d) {
    if (d.year == 0 || d.month > 12 || d.day > 31 || (d.month == 0 && d.day != 0)) return {};
    char buf[16];
    if (d.month == 0) {
        std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(d.year));
    } else if (d.day == 0) {
        std::snprintf(buf, sizeof buf, "%04u-%02u", static_cast<unsigned>(d.year),
                      static_cast<unsigned>(d.month));
    } else {
        std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", static_cast<unsigned>(d.year),
                      static_cast<unsigned>(d.month), static_cast<unsigned>(d.day));
    }
    return buf;
}

void appendCsvField(std::string& out, std::string_view s, bool guardFormula) {
    const bool formula =
        guardFormula && !s.empty() && std::string_view("=+-@").find(s[0]) != std::string_view::npos;
    if (s.find_first_of(",\"\r\n") == std::string_view::npos) {
        if (formula) out += '\'';
        out += s;
        return;
    }
    out += '"';
    if (formula) out += '\'';
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void appendJsonString(std::string& out, std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20) {
                    out += "\\u00";
                    out += kHex[u >> 4];
                    out += kHex[u & 0x0F];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

ExportRowWriter::ExportRowWriter(ExportFormat format, ExportMoves moves, ExportSink sink)
    : m_format(format), m_moves(moves), m_sink(std::move(sink)) {}

bool ExportRowWriter::begin() {
    if (m_format == ExportFormat::Jsonl) return true;
    m_row.clear();
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        if (i > 0) m_row += ',';
        m_row += kColumns[i];
    }
    if (m_moves != ExportMoves::None) m_row += ",main_line";
    if (m_extra) {
        for (const std::string& name : m_extra->names) {
            m_row += ',';
            appendCsvField(m_row, name);
        }
    }
    m_row += kCsvEol;
    return m_sink(m_row);
}

bool ExportRowWriter::row(const IndexEntry& e, int number, std::string_view mainLine,
                          const std::vector<std::string>& extraCells) {
    m_row.clear();
    const bool csv = m_format != ExportFormat::Jsonl;
    const bool guardFormulas = m_format == ExportFormat::Csv;
    std::size_t column = 0;
    auto key = [&]() {
        if (csv) {
            if (column > 0) m_row += ',';
        } else {
            m_row += column == 0 ? "{\"" : ",\"";
            m_row += column < kColumns.size() ? kColumns[column] : std::string_view("main_line");
            m_row += "\":";
        }
        ++column;
    };
    auto text = [&](std::string_view utf8Text) {
        key();
        if (csv) {
            appendCsvField(m_row, utf8Text, guardFormulas);
        } else {
            appendJsonString(m_row, utf8Text);
        }
    };
    auto number_ = [&](long n) {
        key();
        m_row += std::to_string(n);
    };
    number_(number);
    text(utf8(e.blackPlayer()));
    text(utf8(e.whitePlayer()));
    text(isoDate(e.start));
    text(isoDate(e.end));
    for (std::size_t i = 2; i + 1 < kTexts.size(); ++i) text(utf8(e.text(kTexts[i])));
    text(utf8(handicapText(e.handicap)));
    text(utf8(resultText(e.result, e.handicap)));
    number_(e.moveCount);
    text(trimmedMarks(e.marks));
    text(utf8(e.path()));
    text(utf8(e.autoOpening()));
    text(utf8(e.autoOpeningName()));
    text(core::castlesOfSummary(utf8(e.autoOpening())));
    if (m_moves != ExportMoves::None) text(mainLine);
    if (m_extra) {
        for (std::size_t i = 0; i < m_extra->names.size(); ++i) {
            const std::string cell = i < extraCells.size() ? extraCells[i] : std::string();
            if (csv) {
                m_row += ',';
                m_row += cell;
            } else {
                m_row += ',';
                appendJsonString(m_row, m_extra->names[i]);
                m_row += ':';
                m_row += cell.empty() ? std::string("null") : cell;
            }
        }
    }
    m_row += csv ? kCsvEol : std::string_view("}\n");
    return m_sink(m_row);
}

MainLineReader::MainLineReader(std::string indexFolder, ExportMoves moves)
    : m_folder(std::move(indexFolder)),
      m_moves(moves),
      m_store(std::make_unique<core::RecordStore>()) {}

MainLineReader::~MainLineReader() = default;

std::optional<std::string> MainLineReader::operator()(const IndexEntry& entry) {
    core::ReadOptions options;
    options.database = true;
    options.mainLineOnly = true;
    options.ruleCheck = false;
    const std::string path = locateFile(fileSystemFromStored(resolvePath(m_folder, entry.path())));
    core::ReadReport r = core::loadRecordFile(*m_store, path, options);
    if (r.result != core::ReadResult::Ok) return std::nullopt;
    if (m_moves == ExportMoves::Usi) return core::usiPositionCommand(*m_store);
    std::string line;
    int previous = 0;
    for (core::NodeIndex n = m_store->node(core::kRootNode).next; n != core::kNoNode;
         n = m_store->node(n).next) {
        const core::MoveNode& m = m_store->node(n);
        if (!line.empty()) line += ' ';
        line += core::originFormText(m, previous, core::MarkStyle::None, 0);
        previous = m.to;
    }
    return utf8(line);
}

ExportReport exportListedRows(const IndexTable& table, ExportFormat format, ExportMoves moves,
                              const ExportSink& sink, const MainLineSource& mainLine,
                              const ExtraColumns* extra) {
    ExportReport report;
    ExportRowWriter writer(format, moves, sink);
    writer.setExtraColumns(extra);
    if (!writer.begin()) {
        report.stopped = true;
        return report;
    }
    int number = 0;
    for (int32_t slot : table.displayOrder()) {
        const IndexEntry& e = table.entry(slot);
        std::string line;
        if (moves != ExportMoves::None && mainLine) {
            std::optional<std::string> read = mainLine(e);
            if (read) {
                line = std::move(*read);
            } else {
                ++report.unreadable;
            }
        }
        const std::vector<std::string> cells =
            extra && extra->cells ? extra->cells(slot) : std::vector<std::string>();
        if (!writer.row(e, ++number, line, cells)) {
            report.stopped = true;
            return report;
        }
        ++report.rows;
    }
    return report;
}

}  // namespace dalmir::model
