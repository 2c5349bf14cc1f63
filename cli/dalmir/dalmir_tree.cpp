#include "cli/dalmir/dalmir_tree.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli/common/cli_common.h"
#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/formats/usi_reader.h"
#include "core/text/sjis.h"
#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/analysis/move_losses.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/table/export_rows.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/table/record_extractor.h"
#include "dalmir/model/tree/opening_book.h"
#include "dalmir/model/tree/opening_tree.h"
#include "dalmir/model/tree/tree_index.h"

namespace cli {

namespace {

namespace fs = std::filesystem;
using namespace dalmir::model;

constexpr const char* kProgram = "dalmir-cli";

// The options the tree commands take, each once with its arity and the commands it belongs to.
struct TreeOption {
    const char* name;
    bool takesValue;
    const char* commands;  // blank-separated
};
constexpr TreeOption kTreeOptions[] = {
    {"--usi", true, "tree"},
    {"--sfen", true, "tree"},
    {"--format", true, "tree book"},
    {"--min-count", true, "tree book"},
    {"--max-ply", true, "book"},
    {"--side", true, "book"},
    {"--winner-only", false, "book"},
    {"-o", true, "book"},
    {"--black", true, "tree book"},
    {"--white", true, "tree book"},
    {"--player", true, "tree book"},
    {"--event", true, "tree book"},
    {"--opening", true, "tree book"},
    {"--handicap", true, "tree book"},
    {"--from", true, "tree book"},
    {"--to", true, "tree book"},
    {"--ignore-blanks", false, "tree book"},
    {"--encoding", true, "tree book tree-index"},
};

bool isTreeCommand(std::string_view c) { return c == "tree" || c == "book" || c == "tree-index"; }

bool belongsTo(const TreeOption& o, const std::string& command) {
    std::string_view list = o.commands;
    std::size_t at = 0;
    while (at < list.size()) {
        std::size_t end = list.find(' ', at);
        if (end == std::string_view::npos) end = list.size();
        if (list.substr(at, end - at) == command) return true;
        at = end + 1;
    }
    return false;
}

int usageProblem(const std::string& problem) {
    std::fprintf(stderr, "%s: %s\n", kProgram, problem.c_str());
    std::fprintf(stderr, "Try '%s --help'.\n", kProgram);
    return kExitUsage;
}

struct Settings {
    std::string command;
    std::string dbPath;
    std::optional<std::string> usi, sfen, output;
    std::string format;
    int minCount = 1;
    int maxPly = 40;
    BookSide side = BookSide::Both;
    bool winnerOnly = false;
    HeaderCriteria header;
    Encoding encoding = Encoding::Utf8;
};

std::optional<IndexDate> parseDate(const std::string& text) {
    std::size_t a = text.find('/');
    std::size_t b = a == std::string::npos ? a : text.find('/', a + 1);
    if (b == std::string::npos) return std::nullopt;
    auto y = parseInt(text.substr(0, a));
    auto m = parseInt(text.substr(a + 1, b - a - 1));
    auto d = parseInt(text.substr(b + 1));
    if (!y || !m || !d || *y < 0 || *y > 9999 || *m < 0 || *m > 12 || *d < 0 || *d > 31) {
        return std::nullopt;
    }
    return IndexDate{static_cast<uint16_t>(*y), static_cast<uint8_t>(*m), static_cast<uint8_t>(*d)};
}

std::optional<std::string> settingsOf(const TreeCommandLine& line, Settings& s) {
    s.command = line.command;
    if (line.args.size() != 1) return line.command + " needs DB (and nothing more)";
    s.dbPath = line.args[0];
    s.format = s.command == "book" ? "yaneuraou" : "text";
    std::vector<std::string> players;
    for (const auto& [name, value] : line.options) {
        auto number = [&, v = value](int least, int most) -> std::optional<int> {
            auto n = parseInt(v);
            if (!n || *n < least || *n > most) return std::nullopt;
            return n;
        };
        if (name == "--usi") {
            s.usi = value;
        } else if (name == "--sfen") {
            s.sfen = value;
        } else if (name == "-o") {
            s.output = value;
        } else if (name == "--format") {
            const bool ok = s.command == "book"
                                ? value == "yaneuraou"
                                : (value == "text" || value == "csv" || value == "jsonl");
            if (!ok) {
                return s.command == "book" ? "--format is yaneuraou"
                                           : "--format is text, csv or jsonl";
            }
            s.format = value;
        } else if (name == "--min-count" || name == "--max-ply") {
            auto n = number(name == "--min-count" ? 1 : 0, 100000);
            if (!n) return name + " needs a number";
            (name == "--min-count" ? s.minCount : s.maxPly) = *n;
        } else if (name == "--side") {
            if (value != "black" && value != "white" && value != "both") {
                return "--side is black, white or both";
            }
            s.side = value == "black"   ? BookSide::Black
                     : value == "white" ? BookSide::White
                                        : BookSide::Both;
        } else if (name == "--winner-only") {
            s.winnerOnly = true;
        } else if (name == "--black") {
            s.header.black = argumentText(value);
        } else if (name == "--white") {
            s.header.white = argumentText(value);
        } else if (name == "--player") {
            players.push_back(argumentText(value));
        } else if (name == "--event") {
            s.header.event = argumentText(value);
        } else if (name == "--opening") {
            s.header.opening = argumentText(value);
        } else if (name == "--handicap") {
            auto n = number(0, kHandicapCount - 1);
            if (!n) return "--handicap needs a number";
            s.header.handicap = *n + 1;
        } else if (name == "--from" || name == "--to") {
            auto d = parseDate(value);
            if (!d) return name + " needs a date Y/M/D";
            (name == "--from" ? s.header.from : s.header.to) = *d;
            (name == "--from" ? s.header.fromOn : s.header.toOn) = true;
        } else if (name == "--ignore-blanks") {
            s.header.ignoreBlanks = true;
        } else if (name == "--encoding") {
            if (value != "utf8" && value != "sjis") return "--encoding is utf8 or sjis";
            s.encoding = value == "sjis" ? Encoding::Sjis : Encoding::Utf8;
        }
    }
    if (players.size() > 2) return "--player is given at most twice";
    if (!players.empty()) s.header.playerA = players[0];
    if (players.size() > 1) s.header.playerB = players[1];
    if (s.usi && s.sfen) return "give --usi or --sfen, not both";
    if (s.command == "book" && !s.output) return "book needs -o FILE";
    return std::nullopt;
}

void printError(std::string_view cp932, Encoding encoding) {
    std::fprintf(stderr, "%s\n", printable(cp932, encoding).c_str());
}

// Opens the database; a text database gets its records' main lines read from their files (the
// binary pair keeps them). False (with the message printed) when it can't be opened. unread
// counts the records whose files could not be read.
bool openForTree(Database& db, const Settings& s, int& unread) {
    const DatabaseKind kind = databaseKindOf(s.dbPath);
    if (kind == DatabaseKind::Unknown) {
        printError(openErrorMessage(OpenResult::NotDatabase, std::string(s.dbPath)), s.encoding);
        return false;
    }
    const std::string base(core::withoutExtension(s.dbPath));
    const bool exists =
        fs::exists(s.dbPath) ||
        (kind == DatabaseKind::Binary && (fs::exists(base + ".KIX") || fs::exists(base + ".kix")));
    OpenReport r;
    if (exists) r = openDatabase(db, s.dbPath);
    if (!exists || r.code != OpenResult::Ok) {
        printError(withSystemReason(openErrorMessage(exists ? r.code : OpenResult::CannotOpen,
                                                     argumentText(s.dbPath)),
                                    s.dbPath),
                   s.encoding);
        return false;
    }
    for (const std::string& notice : r.notices) printError(notice, s.encoding);
    for (const DlsMessage& m : r.index.messages) printError(m.text, s.encoding);
    if (!r.indexNotice.empty()) printError(r.indexNotice, s.encoding);
    const std::vector<int> missed = readMainLines(db);
    for (int slot : missed) printError(db.table().entry(slot).path(), s.encoding);
    unread = static_cast<int>(missed.size());
    return true;
}

// The position asked for: --usi, --sfen, or the even start.
std::optional<ReplayBoard> targetOf(const Settings& s, std::string& problem) {
    ReplayBoard board;
    if (!s.usi && !s.sfen) {
        (void)startBoard(0, board);
        return board;
    }
    std::string text = s.usi ? *s.usi : *s.sfen;
    if (s.usi && text.rfind("position ", 0) != 0) text = "position " + text;
    if (s.sfen && text.rfind("sfen ", 0) == 0) text = text.substr(5);
    if (s.sfen && !boardOfSfen(text, board)) {
        problem = "--sfen: not a position: " + text;
        return std::nullopt;
    }
    if (s.sfen) return board;
    core::RecordStore store;
    core::ReadOptions options;
    const core::ReadReport r = core::readUsiText(store, text, options);
    if (r.result != core::ReadResult::Ok) {
        problem = "--usi: " + printable(readFailureText(r, store, "--usi"), Encoding::Utf8);
        return std::nullopt;
    }
    board.load(positionOfRecord(store, -1));
    return board;
}

std::string entryPath(const Database& db, int slot) {
    return slot < 0 ? std::string() : core::toUtf8Lossy(db.table().entry(slot).path());
}

void appendRow(std::string& out, const std::string& format, const std::string& move,
               const std::string& notation, const TreeCounts& c, const std::string& best) {
    const std::string numbers[] = {std::to_string(c.count), std::to_string(c.blackWins),
                                   std::to_string(c.whiteWins), std::to_string(c.draws),
                                   std::to_string(c.other)};
    if (format == "csv") {
        appendCsvField(out, move);
        out += ',';
        appendCsvField(out, notation);
        for (const std::string& n : numbers) out += ',' + n;
        out += ',' + isoDate(c.lastDate) + ',';
        appendCsvField(out, best, true);
        out += ',' + std::to_string(c.bestSlot < 0 ? 0 : c.bestPly) + "\r\n";
        return;
    }
    static const char* kNames[] = {"count", "black_wins", "white_wins", "draws", "other"};
    out += "{\"move\":";
    appendJsonString(out, move);
    out += ",\"notation\":";
    appendJsonString(out, notation);
    for (std::size_t i = 0; i < 5; ++i) out += ",\"" + std::string(kNames[i]) + "\":" + numbers[i];
    out += ",\"last_date\":";
    appendJsonString(out, isoDate(c.lastDate));
    out += ",\"best_record\":";
    appendJsonString(out, best);
    out += ",\"best_ply\":" + std::to_string(c.bestSlot < 0 ? 0 : c.bestPly) + "}\n";
}

// Pads UTF-8 text to a width in columns, counting a character beyond ASCII as two.
std::string padded(const std::string& utf8, std::size_t width) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            ++columns;
        } else if (c >= 0xC0) {
            columns += 2;
        }
    }
    return utf8 + std::string(width > columns ? width - columns : 1, ' ');
}

int runTree(const Settings& s) {
    std::string problem;
    const auto target = targetOf(s, problem);
    if (!target) return usageProblem(problem);
    Database db;
    int unread = 0;
    if (!openForTree(db, s, unread)) return kExitFile;

    std::shared_ptr<const TreeIndex> index;
    if (db.isBinary()) {
        PositionIndexReadResult r = PositionIndexReadResult::Ok;
        index = TreeIndex::open(treeIndexPath(s.dbPath), db.table(), db.lists(), r);
        const std::string notice = treeIndexNotice(r, db.table().path());
        if (!notice.empty()) printError(notice, s.encoding);
    }
    TreeFilter filter;
    filter.header = s.header;
    filter.minCount = s.minCount;
    TreeMaker maker(db, index.get());
    const std::vector<int32_t> listed = db.table().displayOrder();
    const OpeningTree tree = maker.treeOf(*target, filter, &listed);

    std::string out;
    const std::string endedText = "(ended here)";
    if (s.format == "csv") {
        out +=
            "move,notation,count,black_wins,white_wins,draws,other,last_date,best_record,"
            "best_ply\r\n";
    }
    if (s.format == "text") {
        out += "position  " + boardSfen(*target) + "\n";
        out += "records   " + std::to_string(tree.records) + "\n\n";
        out += padded("move", 7) + padded("notation", 14) +
               "  count  black  white  draws  other  last date   best record\n";
    }
    auto row = [&](const std::string& move, const std::string& notation, const TreeCounts& c) {
        const std::string best = entryPath(db, c.bestSlot);
        if (s.format != "text") {
            appendRow(out, s.format, move, notation, c, best);
            return;
        }
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%7d%7d%7d%7d%7d  ", c.count, c.blackWins,
                      c.whiteWins, c.draws, c.other);
        out += padded(move, 7) + padded(notation, 14) + numbers + padded(isoDate(c.lastDate), 10) +
               "  " + best + "\n";
    };
    for (const TreeRow& r : tree.rows) {
        row(usiMoveText(r.move), core::toUtf8Lossy(moveNotation(*target, r.move)), r);
    }
    if (tree.ended.count > 0) row("", endedText, tree.ended);
    if (s.format == "text" && s.encoding == Encoding::Sjis) out = std::string(out);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return unread > 0 ? kExitFile : kExitOk;
}

int runBook(const Settings& s) {
    Database db;
    int unread = 0;
    if (!openForTree(db, s, unread)) return kExitFile;
    BookOptions options;
    options.maxPly = s.maxPly;
    options.minCount = s.minCount;
    options.side = s.side;
    options.winnerOnly = s.winnerOnly;
    options.header = s.header;
    // A database analysed with the analyse command gives each move the stored score of the
    // position it leads to, and its depth.
    EvaluationStore store;
    const std::string storePath = evaluationStorePath(s.dbPath);
    std::error_code ec;
    if (std::filesystem::exists(storePath, ec)) {
        const EvaluationReadReport read = store.read(storePath);
        if (read.result == EvaluationReadResult::NotStore ||
            read.result == EvaluationReadResult::CannotRead) {
            std::fprintf(stderr, "%s: cannot read the evaluations of %s\n", kProgram,
                         storePath.c_str());
            return kExitFile;
        }
        if (store.size() > 0) {
            options.evaluate = [&store](const ReplayBoard& board, std::span<BookMove> moves) {
                evaluateBookMoves(store, board, moves, MarkThresholds{});
            };
        }
    }
    // Made through sorted runs in temporary files beside the book, so that memory stays within
    // a few chunks above the database however many records go in.
    const BookStreamResult r = writeBook(db, db.table().displayOrder(), options, *s.output);
    if (r.result != core::WriteResult::Ok) {
        printError(saveErrorMessage(argumentText(*s.output)), s.encoding);
        if (!r.problem.empty()) std::fprintf(stderr, "%s: %s\n", kProgram, r.problem.c_str());
        return kExitFile;
    }
    std::printf("%zu positions, %zu moves\n", r.positions, r.moves);
    return unread > 0 ? kExitFile : kExitOk;
}

int runTreeIndex(const Settings& s) {
    if (databaseKindOf(s.dbPath) != DatabaseKind::Binary) {
        return usageProblem("tree-index needs a binary database (.dlb or .kix)");
    }
    Database db;
    int unread = 0;
    if (!openForTree(db, s, unread)) return kExitFile;
    auto index = TreeIndex::build(db.table(), db.lists());
    if (!index) {
        std::fprintf(stderr, "%s: the database is too large for a tree index\n", kProgram);
        return kExitFile;
    }
    const std::string path = treeIndexPath(s.dbPath);
    if (writeTreeIndex(s.dbPath, *index) != core::WriteResult::Ok) {
        printError(saveErrorMessage(argumentText(path)), s.encoding);
        return kExitFile;
    }
    std::printf("%s: %llu positions, %llu records at them\n", path.c_str(),
                static_cast<unsigned long long>(index->positions()),
                static_cast<unsigned long long>(index->hits()));
    return kExitOk;
}

}  // namespace

std::optional<std::string> parseTreeCommandLine(const std::vector<std::string>& argv,
                                                TreeCommandLine& out) {
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a.empty() || a[0] != '-' || a == "-") {
            if (out.command.empty()) {
                out.command = a;
            } else {
                out.args.push_back(a);
            }
            continue;
        }
        const TreeOption* option = nullptr;
        for (const TreeOption& o : kTreeOptions) {
            if (a == o.name) option = &o;
        }
        if (option == nullptr) return "unknown option " + a;
        std::string value;
        if (option->takesValue) {
            if (i + 1 >= argv.size()) return a + " needs a value";
            value = argv[++i];
        }
        out.options.emplace_back(a, value);
    }
    if (!isTreeCommand(out.command)) return "not a tree command";
    for (const auto& [name, value] : out.options) {
        for (const TreeOption& o : kTreeOptions) {
            if (name == o.name && !belongsTo(o, out.command)) {
                return name + " is not an option of " + out.command;
            }
        }
    }
    return std::nullopt;
}

std::optional<int> runTreeCommands(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // The command is the first argument that is neither an option nor an option's value.
    std::string command;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!args[i].empty() && args[i][0] == '-') {
            for (const TreeOption& o : kTreeOptions) {
                if (args[i] == o.name && o.takesValue) ++i;
            }
            continue;
        }
        command = args[i];
        break;
    }
    if (!isTreeCommand(command)) return std::nullopt;
    TreeCommandLine line;
    if (auto problem = parseTreeCommandLine(args, line)) return usageProblem(*problem);
    Settings s;
    if (auto problem = settingsOf(line, s)) return usageProblem(*problem);
    if (s.command == "tree") return runTree(s);
    if (s.command == "book") return runBook(s);
    return runTreeIndex(s);
}

}  // namespace cli
