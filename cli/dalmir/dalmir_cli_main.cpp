// dalmir-cli: Dalmir's database engine from the command line. The engine does the work; this
// file parses the arguments, opens and saves the database, answers the engine's questions from
// the options and prints.
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/common/cli_common.h"
#include "cli/common/cli_help.h"
#include "cli/dalmir/dalmir_analyse.h"
#include "cli/dalmir/dalmir_export.h"
#include "cli/dalmir/dalmir_tree.h"
#include "core/base/path_text.h"
#include "core/formats/kif_reader.h"
#include "core/formats/record_loader.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/analysis/move_losses.h"
#include "dalmir/model/analysis/player_analysis.h"
#include "dalmir/model/registration/error_log.h"
#include "dalmir/model/registration/folder_census.h"
#include "dalmir/model/registration/opening_labelling.h"
#include "dalmir/model/registration/registration.h"
#include "dalmir/model/search/duplicate_check.h"
#include "dalmir/model/search/player_report.h"
#include "dalmir/model/search/record_conditions.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/search/statistics.h"
#include "dalmir/model/store/binary_store.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/database_lock.h"
#include "dalmir/model/table/fs_paths.h"
#include "dalmir/model/table/list_cells.h"
#include "dalmir/model/tree/opening_tree.h"

namespace {

namespace fs = std::filesystem;
using namespace dalmir::model;

// Profile keys (section/key) a command may be given; the ones the commands use are read below.
constexpr const char* kProfileKeys[] = {
    "Env/user1",         "Env/user2",          "Env/user3",          "Env/user4",
    "Env/user5",         "Tool/replay_cmd_v6", "Tool/replay_opt",    "Tool/edit_cmd",
    "Tool/edit_opt",     "Tool/play_opt",      "Tool/print_opt",     "Tool/dia_opt",
    "View/default_sort", "Option/find_hanten", "Option/find_hasifu", "Option/del_confirm",
    "Option/dupli_del",  "Option/add_error",   "Option/history_n",   "Option/max_records",
    "Option/date_from",  "Option/date_to"};

struct Options {
    std::string command;
    std::vector<std::string> args;
    std::map<std::string, std::string> profile;
    cli::Encoding encoding = cli::Encoding::Utf8;
    bool subfolders = false;
    std::optional<int> kind;
    std::optional<std::string> player, event, opening;
    bool skipDuplicates = false;
    bool allColumns = false;
    bool noWait = false;
    int waitSeconds = 60;  // how long a saving command waits for another program's lock
    MissingFileMode missing = MissingFileMode::Keep;
    // Searches, statistics and duplicates.
    std::vector<std::string> players;  // every --player, in order
    std::optional<std::string> black, white, file, published;
    std::optional<int> handicap;
    std::optional<IndexDate> from, to;
    bool ignoreBlanks = false;
    std::optional<int> ply;
    bool side = false, reverse = false, edgePawns = false;
    std::optional<std::string> position, sequence;
    bool noDate = false, noPlayers = false, noCount = false;
    std::optional<int> nameBytes, moves;
    DuplicateMode deleteMode = DuplicateMode::Ask;
    // export, and list --format
    std::optional<ExportFormat> format;
    cli::ExportCommand exportCommand;
    // classify, report and the record conditions of find
    bool all = false;
    bool json = false;
    // export: the thresholds of the moves' marks in the analysis columns
    MarkThresholds marks;
    std::optional<std::string> aliases, end, material, comment;
};

// "Y/M/D" as a date of the index.
std::optional<IndexDate> parseDate(const std::string& text) {
    std::size_t a = text.find('/');
    std::size_t b = a == std::string::npos ? a : text.find('/', a + 1);
    if (b == std::string::npos) return std::nullopt;
    auto y = cli::parseInt(text.substr(0, a));
    auto m = cli::parseInt(text.substr(a + 1, b - a - 1));
    auto d = cli::parseInt(text.substr(b + 1));
    if (!y || !m || !d || *y < 0 || *y > 9999 || *m < 0 || *m > 12 || *d < 0 || *d > 31) {
        return std::nullopt;
    }
    return IndexDate{static_cast<uint16_t>(*y), static_cast<uint8_t>(*m), static_cast<uint8_t>(*d)};
}

int usage(const std::string& problem) {
    return cli::usageError("dalmir-cli", cli::usageText(cli::dalmirCliHelp()), problem);
}

std::optional<std::string> parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string(argv[++i]);
        };
        if (a == "--set") {
            auto v = value();
            std::size_t eq = v ? v->find('=') : std::string::npos;
            if (eq == std::string::npos) return "--set needs SECTION/KEY=VALUE";
            std::string key = v->substr(0, eq);
            bool known = false;
            for (const char* k : kProfileKeys) known = known || key == k;
            if (!known) return "unknown setting " + key;
            o.profile[key] = v->substr(eq + 1);
        } else if (a == "--encoding") {
            auto v = value();
            if (!v || (*v != "utf8" && *v != "sjis")) return "--encoding is utf8 or sjis";
            o.encoding = *v == "sjis" ? cli::Encoding::Sjis : cli::Encoding::Utf8;
        } else if (a == "--subfolders") {
            o.subfolders = true;
        } else if (a == "--kind") {
            auto v = value();
            auto n = v ? cli::parseInt(*v) : std::nullopt;
            if (!n || *n < 0) return "--kind needs a number";
            o.kind = *n;
        } else if (a == "--player" || a == "--event" || a == "--opening") {
            auto v = value();
            if (!v) return a + " needs a text";
            (a == "--player" ? o.player : a == "--event" ? o.event : o.opening) = *v;
            if (a == "--player") o.players.push_back(*v);
        } else if (a == "--black" || a == "--white" || a == "--file" || a == "--published" ||
                   a == "--position" || a == "--sequence") {
            auto v = value();
            if (!v) return a + " needs a text";
            (a == "--black"       ? o.black
             : a == "--white"     ? o.white
             : a == "--file"      ? o.file
             : a == "--published" ? o.published
             : a == "--position"  ? o.position
                                  : o.sequence) = *v;
        } else if (a == "--format" && i + 1 < argc &&
                   (std::string_view(argv[i + 1]) == "text" ||
                    std::string_view(argv[i + 1]) == "json")) {
            o.json = std::string_view(argv[++i]) == "json";
        } else if (a == "--all") {
            o.all = true;
        } else if (a == "--aliases" || a == "--end" || a == "--material" || a == "--comment") {
            auto v = value();
            if (!v) return a + " needs a text";
            (a == "--aliases"    ? o.aliases
             : a == "--end"      ? o.end
             : a == "--material" ? o.material
                                 : o.comment) = *v;
        } else if (a == "--format") {
            auto v = value();
            o.format = v ? cli::exportFormatNamed(*v) : std::nullopt;
            if (!o.format) return "--format is csv or jsonl";
            o.exportCommand.format = *o.format;
        } else if (a == "--marks") {
            auto v = value();
            auto t = v ? parseMarkThresholds(*v) : std::nullopt;
            if (!t) return "--marks needs SLACK,DUBIOUS,BLUNDER[,CAP] in order";
            o.marks = *t;
        } else if (a == "--raw") {
            o.exportCommand.raw = true;
        } else if (a == "-o") {
            auto v = value();
            if (!v) return "-o needs a file";
            o.exportCommand.output = *v;
        } else if (a == "--moves" && i + 1 < argc && cli::exportMovesNamed(argv[i + 1])) {
            o.exportCommand.moves = *cli::exportMovesNamed(argv[++i]);
        } else if (a == "--handicap" || a == "--ply" || a == "--name-bytes" || a == "--moves") {
            auto v = value();
            auto n = v ? cli::parseInt(*v) : std::nullopt;
            if (!n || *n < 0 || (a == "--handicap" && *n >= kHandicapCount)) {
                return a + " needs a number";
            }
            (a == "--handicap"     ? o.handicap
             : a == "--ply"        ? o.ply
             : a == "--name-bytes" ? o.nameBytes
                                   : o.moves) = *n;
        } else if (a == "--from" || a == "--to") {
            auto v = value();
            auto d = v ? parseDate(*v) : std::nullopt;
            if (!d) return a + " needs a date Y/M/D";
            (a == "--from" ? o.from : o.to) = *d;
        } else if (a == "--delete") {
            auto v = value();
            if (!v || (*v != "first" && *v != "second")) return "--delete is first or second";
            o.deleteMode = *v == "first" ? DuplicateMode::AlwaysFirst : DuplicateMode::AlwaysSecond;
        } else if (a == "--ignore-blanks") {
            o.ignoreBlanks = true;
        } else if (a == "--side") {
            o.side = true;
        } else if (a == "--reverse") {
            o.reverse = true;
        } else if (a == "--ignore-edge-pawns") {
            o.edgePawns = true;
        } else if (a == "--no-date") {
            o.noDate = true;
        } else if (a == "--no-players") {
            o.noPlayers = true;
        } else if (a == "--no-count") {
            o.noCount = true;
        } else if (a == "--skip-duplicates") {
            o.skipDuplicates = true;
        } else if (a == "--all-columns") {
            o.allColumns = true;
        } else if (a == "--no-wait") {
            o.noWait = true;
        } else if (a == "--wait") {
            auto v = value();
            auto n = v ? cli::parseInt(*v) : std::nullopt;
            if (!n || *n < 0) return "--wait needs a number of seconds";
            o.waitSeconds = *n;
        } else if (a == "--missing") {
            auto v = value();
            if (!v || (*v != "keep" && *v != "delete")) return "--missing is keep or delete";
            o.missing = *v == "keep" ? MissingFileMode::Keep : MissingFileMode::Delete;
        } else if (a.starts_with("--")) {
            return "unknown option " + a;
        } else if (o.command.empty()) {
            o.command = a;
        } else {
            o.args.push_back(a);
        }
    }
    return std::nullopt;
}

int profileNumber(const Options& o, const std::string& key, int fallback) {
    auto it = o.profile.find(key);
    if (it == o.profile.end() || it->second.empty()) return fallback;
    return cli::parseInt(it->second).value_or(fallback);
}

// Prints the engine's messages; answers its questions from the options.
class CliHost : public OperationHost {
public:
    explicit CliHost(cli::Encoding encoding) : m_encoding(encoding) {}

    void message(std::string_view text) override { printError(text); }
    ReadErrorAnswer askReadError(std::string_view question, bool) override {
        printError(question);
        return ReadErrorAnswer::Continue;
    }
    bool askSearchReadError(std::string_view question) override {
        printError(question);
        return false;
    }
    void offerErrorLog(std::string_view question, std::string_view logPath) override {
        std::string_view firstLine = question.substr(0, question.find('\n'));
        std::fprintf(stderr, "%s %.*s\n", cli::printable(firstLine, m_encoding).c_str(),
                     static_cast<int>(logPath.size()), logPath.data());
    }

    void printError(std::string_view text) const {
        std::fprintf(stderr, "%s\n", cli::printable(text, m_encoding).c_str());
    }
    void print(std::string_view text) const {
        std::printf("%s\n", cli::printable(text, m_encoding).c_str());
    }

private:
    cli::Encoding m_encoding;
};

// The error log in the per-user data folder, created when missing.
std::string errorLogPath() {
    fs::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = fs::path(home) / ".local" / "share";
    } else {
        return {};
    }
    fs::path folder = base / "VESK" / "Dalmir";
    std::error_code ec;
    fs::create_directories(folder, ec);
    return ec ? std::string() : (folder / kErrorLogName).string();
}

// Opens the database, or starts a new one when the file does not exist yet and create is set.
bool openOrCreate(Database& db, const std::string& path, const Options& o, const CliHost& host,
                  bool create) {
    DatabaseKind kind = databaseKindOf(path);
    if (kind == DatabaseKind::Unknown) {
        host.printError(openErrorMessage(OpenResult::NotDatabase, std::string(path)));
        return false;
    }
    std::string base(core::withoutExtension(path));
    bool exists = fs::exists(path) || (kind == DatabaseKind::Binary &&
                                       (fs::exists(base + ".KIX") || fs::exists(base + ".kix")));
    if (!exists) {
        if (!create) {
            // Only adding makes a database; anything else would answer for an empty one.
            host.printError(cli::withSystemReason(
                openErrorMessage(OpenResult::CannotOpen, cli::argumentText(path)), path));
            return false;
        }
        db.reset(kind == DatabaseKind::Binary);
        return true;
    }
    OpenReport r = openDatabase(db, path, profileNumber(o, "View/default_sort", 0));
    for (const std::string& notice : r.notices) host.printError(notice);
    for (const DlsMessage& m : r.index.messages) host.printError(m.text);
    if (!r.indexNotice.empty()) host.printError(r.indexNotice);
    if (!r.labelsNotice.empty()) host.printError(r.labelsNotice);
    if (r.code != OpenResult::Ok) {
        host.printError(
            cli::withSystemReason(openErrorMessage(r.code, cli::argumentText(path)), path));
        return false;
    }
    return true;
}

// Says why nothing was written when the database was not read whole.
void explainRefusedSave(core::WriteResult r, const std::string& path) {
    if (r == core::WriteResult::NotReadWhole) {
        std::fprintf(stderr, "dalmir-cli: %s was not read whole and is left as it was\n",
                     path.c_str());
    }
}

bool save(Database& db, const std::string& path, const CliHost& host) {
    std::string problem;
    core::WriteResult r = saveDatabase(db, path, &problem);
    if (r == core::WriteResult::Ok) return true;
    host.printError(saveErrorMessage(cli::argumentText(path)));
    if (r == core::WriteResult::Unencodable) host.printError(problem);
    explainRefusedSave(r, path);
    return false;
}

// The database a command saves, which it must lock from loading to saving; nullopt for the
// commands that only read.
std::optional<std::string> savedDatabase(const Options& o) {
    if (o.command == "add" || o.command == "update" || o.command == "remove" ||
        o.command == "classify" ||
        (o.command == "duplicates" && o.deleteMode != DuplicateMode::Ask)) {
        return o.args[0];
    }
    if (o.command == "convert" && o.args.size() == 2) return conversionTarget(o.args[1]);
    return std::nullopt;
}

// Takes the lock of the database a saving command writes; a second writer waits (saying so) or,
// with --no-wait, fails at once.
bool lockForSaving(const std::string& path, const Options& o, DatabaseLock& lock) {
    // The lock is held only while a program changes or saves the database: this command from
    // loading to saving, a window while it saves.
    LockResult r = lockDatabase(path, lock, false);
    if (r == LockResult::Busy && !o.noWait && o.waitSeconds > 0) {
        std::fprintf(stderr,
                     "dalmir-cli: %s is locked by another program that is changing or saving "
                     "it; waiting at most %d seconds for it to let go\n",
                     path.c_str(), o.waitSeconds);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(o.waitSeconds);
        while (r == LockResult::Busy && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            r = lockDatabase(path, lock, false);
        }
        if (r == LockResult::Busy) {
            std::fprintf(stderr, "dalmir-cli: gave up after %d seconds: %s is still locked\n",
                         o.waitSeconds, path.c_str());
            return false;
        }
    }
    if (r == LockResult::Busy) {
        std::fprintf(stderr,
                     "dalmir-cli: %s is locked by another program that is changing or saving it\n",
                     path.c_str());
    } else if (r == LockResult::CannotCreate) {
        std::fprintf(stderr, "dalmir-cli: cannot lock %s: %s\n", lockPathOf(path).c_str(),
                     std::generic_category().message(errno).c_str());
    }
    return r == LockResult::Ok;
}

UserFieldNames userNames(const Options& o) {
    UserFieldNames names;
    for (int k = 0; k < kUserFieldCount; ++k) {
        auto it = o.profile.find("Env/user" + std::to_string(k + 1));
        if (it != o.profile.end())
            names[static_cast<std::size_t>(k)] = cli::argumentText(it->second);
    }
    return names;
}

int runAdd(Database& db, Registrar& registrar, const Options& o, CliHost& host) {
    if (o.args.size() < 2) return usage("add needs DB and at least one PATH");
    IndexSettings& s = db.table().settings();
    FolderAdd request;
    request.subfolders = o.subfolders;
    // Without --kind every record type is taken; the window's own setting stays as it is.
    request.kind = o.kind ? static_cast<AddKind>(*o.kind) : AddKind::AnyRecord;
    if (o.player) request.filters.player = cli::argumentText(*o.player);
    if (o.event) request.filters.event = cli::argumentText(*o.event);
    if (o.opening) request.filters.opening = cli::argumentText(*o.opening);
    request.filters.skipDuplicates = o.skipDuplicates;

    AddCounts total;
    bool ended = false;
    bool failed = false;  // a file could not be read, was refused, or read with a warning
    for (std::size_t i = 1; i < o.args.size() && !ended; ++i) {
        const std::string& path = o.args[i];
        std::error_code ec;
        RunReport run;
        const bool folder = fs::is_directory(path, ec);
        if (folder) {
            request.folder = path;
            run = registrar.addFolder(request);
            if (run.counts.added + run.counts.updated + run.counts.errors == 0 && !run.cancelled) {
                FolderCensus census = countFolderFiles(path, request.subfolders, request.kind);
                if (census.taken == 0) {
                    host.printError(msgNothingToAdd(cli::argumentText(path), census));
                }
            }
            // The run's choices become the database's adding settings, as the dialog keeps them.
            if (auto stored =
                    storedFromFileSystem(fs::absolute(path).lexically_normal().string())) {
                s.addPath = std::string(core::cutToBytes(*stored, kAddPathMaxBytes));
            }
            s.addSubfolders = request.subfolders;
            if (o.kind) s.addKind = static_cast<int>(request.kind);
            s.addPlayer = request.filters.player;
            s.addEvent = request.filters.event;
            s.addOpening = request.filters.opening;
        } else {
            run = registrar.addSingle(path);
        }
        for (const std::string& warning : run.warnings) host.printError(warning);
        for (const SkippedFile& skipped : run.skipped) {
            std::string shown = cli::argumentText(folder ? skipped.fsPath : path);
            if (skipped.code == AddFileResult::CannotOpen) {
                host.printError(cli::withSystemReason(core::msgFileMissing(shown), skipped.fsPath));
            } else if (folder) {
                // A single file's refusal has been told by the registration itself.
                host.printError(std::string(core::translate("棋譜を登録できませんでした。")) + "(" +
                                shown + ")");
            }
        }
        failed = failed || run.counts.errors > 0 || run.counts.warnings > 0 || !run.skipped.empty();
        total.added += run.counts.added;
        total.updated += run.counts.updated;
        total.errors += run.counts.errors;
        ended = run.end == AddFileResult::TableFull || run.end == AddFileResult::Stopped;
        failed = failed || run.end == AddFileResult::TableFull;  // the rest was refused
    }
    db.table().rebuildDisplayOrder();
    if (!save(db, o.args[0], host)) return cli::kExitFile;
    host.print(addEndStatus(total));
    return failed ? cli::kExitFile : cli::kExitOk;
}

// The listed records as the list shows them; searches that record next moves add that column.
void printList(const Database& db, const Options& o, const CliHost& host, bool withNextMove) {
    const IndexTable& table = db.table();
    UserFieldNames names = userNames(o);
    std::vector<int> columns;
    for (int c = 0; c < kColumnCount; ++c) {
        if (o.allColumns || isColumnShown(table.settings(), c, names) ||
            (withNextMove && c == static_cast<int>(ListColumn::NextMove))) {
            columns.push_back(c);
        }
    }
    for (int row = 0; row < static_cast<int>(table.displayOrder().size()); ++row) {
        std::string line;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0) line += '\t';
            line += cellText(table, row, columns[i]);
        }
        host.print(line);
    }
}

// The export with the analysis columns when an evaluation store lies beside the database (a
// text database's main lines are read from the records' files for them).
int runExport(Database& db, const Options& o, const CliHost& host) {
    const std::string storePath = evaluationStorePath(o.args[0]);
    std::error_code ec;
    if (!fs::exists(storePath, ec)) return cli::runExportCommand(db.table(), o.exportCommand);
    EvaluationStore store;
    const EvaluationReadReport r = store.read(storePath);
    if (r.result == EvaluationReadResult::NotStore ||
        r.result == EvaluationReadResult::CannotRead) {
        std::fprintf(stderr, "dalmir-cli: cannot read the evaluations of %s\n", storePath.c_str());
        return cli::kExitFile;
    }
    if (r.result == EvaluationReadResult::Damaged) {
        std::fprintf(stderr, "dalmir-cli: %s: %zu damaged bytes were left out\n", storePath.c_str(),
                     r.damagedBytes);
    }
    const std::vector<int> unread = readMainLines(db);
    for (int slot : unread) host.printError(std::string(db.table().entry(slot).path()));
    const ExtraColumns columns = analysisColumns(db, store, o.marks);
    const int code = cli::runExportCommand(db.table(), o.exportCommand, &columns);
    return code == cli::kExitOk && unread.empty() ? code : cli::kExitFile;
}

int runList(Database& db, const Options& o, const CliHost& host) {
    if (o.format) return runExport(db, o, host);
    printList(db, o, host, false);
    return cli::kExitOk;
}

int runUpdate(Database& db, Registrar& registrar, const Options& o, const CliHost& host) {
    MissingFileMode mode = o.missing;
    UpdateReport report = registrar.update(mode);
    for (const std::string& warning : report.warnings) host.printError(warning);
    db.table().rebuildDisplayOrder();
    return save(db, o.args[0], host) ? cli::kExitOk : cli::kExitFile;
}

int runRemove(Database& db, Registrar& registrar, const Options& o, CliHost& host) {
    if (o.args.size() != 2) return usage("remove needs DB and DIR");
    if (o.args[1].empty()) {
        host.printError(std::string(core::translate("フォルダが指定されていません。")));
        return cli::kExitUsage;
    }
    DeleteKind kind = o.kind ? static_cast<DeleteKind>(*o.kind) : DeleteKind::All;
    FolderDeleteReport r = registrar.deleteByFolder(o.args[1], kind, o.subfolders);
    if (!save(db, o.args[0], host)) return cli::kExitFile;
    host.print(r.status);
    return cli::kExitOk;
}

int runConvert(Database& db, RecordExtractor& extractor, const Options& o, CliHost& host) {
    if (o.args.size() != 2) return usage("convert needs DB and OUT.DLB");
    std::string target = conversionTarget(o.args[1]);
    std::string base(core::withoutExtension(cli::argumentText(target)));
    if (db.isBinary()) {
        core::WriteResult r = saveBinary(db, target);
        if (r != core::WriteResult::Ok) {
            host.printError(binarySaveErrorMessage(cli::argumentText(target)));
            explainRefusedSave(r, target);
            return cli::kExitFile;
        }
    } else {
        ConvertReport r = convertToBinary(db, target, extractor, host);
        if (r.code != core::WriteResult::Ok) {
            host.printError(binarySaveErrorMessage(cli::argumentText(target)));
            explainRefusedSave(r.code, target);
            return cli::kExitFile;
        }
        host.print(binarySavedMessage(base));
        if (r.leftOut() > 0) {
            // A binary database holds only records it can replay: the rest are named by count
            // and reason, and the run fails.
            std::string why;
            const auto reason = [&why](int n, const char* text) {
                if (n == 0) return;
                if (!why.empty()) why += ", ";
                why += std::to_string(n) + " " + text;
            };
            reason(r.unreadable, "could not be read");
            reason(r.setUpStart, "start from a set-up position");
            reason(r.otherHandicap, "have the handicap その他");
            reason(r.noMoves, "have no move");
            std::fprintf(stderr, "dalmir-cli: %d of %d records were not carried over: %s\n",
                         r.leftOut(), db.table().size(), why.c_str());
            return cli::kExitFile;
        }
        return cli::kExitOk;
    }
    host.print(binarySavedMessage(base));
    return cli::kExitOk;
}

HeaderCriteria headerCriteria(const Options& o) {
    HeaderCriteria c;
    auto text = [](const std::optional<std::string>& v) {
        return v ? cli::argumentText(*v) : std::string();
    };
    c.black = text(o.black);
    c.white = text(o.white);
    if (!o.players.empty()) c.playerA = cli::argumentText(o.players[0]);
    if (o.players.size() > 1) c.playerB = cli::argumentText(o.players[1]);
    c.event = text(o.event);
    c.opening = text(o.opening);
    c.fileName = text(o.file);
    c.publishedIn = text(o.published);
    c.handicap = o.handicap ? *o.handicap + 1 : 0;
    c.fromOn = o.from.has_value();
    c.from = o.from.value_or(IndexDate{});
    c.toOn = o.to.has_value();
    c.to = o.to.value_or(IndexDate{});
    c.ignoreBlanks = o.ignoreBlanks;
    return c;
}

// The search target: the position of a record file after its main line (or at --ply).
bool targetOf(const std::string& path, const Options& o, const CliHost& host,
              core::Position& target) {
    core::RecordStore store;
    core::ReadOptions read;
    read.ruleCheck = false;
    read.fileName = core::fileNameOf(path);
    core::ReadReport r = core::loadRecordFile(store, path, read);
    if (r.result != core::ReadResult::Ok) {
        host.printError(cli::readFailureText(r, store, path));
        if (r.result == core::ReadResult::CannotOpen) return false;
    }
    if (o.ply && store.nodeAtPly(*o.ply) == core::kNoNode) {
        std::fprintf(stderr, "dalmir-cli: the main line has no ply %d\n", *o.ply);
        return false;
    }
    target = positionOfRecord(store, o.ply.value_or(-1));
    return true;
}

PositionSearchOptions positionOptions(const Options& o) {
    PositionSearchOptions p;
    p.sideMustMatch = o.side;
    p.alsoReversed = o.reverse || profileNumber(o, "Option/find_hanten", 0) != 0;
    p.ignoreEdgePawns = o.edgePawns || profileNumber(o, "Option/find_hasifu", 0) != 0;
    return p;
}

// Runs a position search (record given) or a sequence search (pattern given). The exit code is
// set when the search could not run.
std::optional<SearchReport> search(Searcher& searcher, const std::optional<std::string>& record,
                                   const std::optional<std::string>& pattern, const Options& o,
                                   const CliHost& host, int& exitCode) {
    if (record) {
        core::Position target;
        if (!targetOf(*record, o, host, target)) {
            exitCode = cli::kExitFile;
            return std::nullopt;
        }
        return searcher.findPosition(target, positionOptions(o));
    }
    SearchReport r = searcher.findSequence(cli::argumentText(pattern.value_or("")));
    if (!r.error.empty()) {
        exitCode = cli::kExitUsage;
        return std::nullopt;
    }
    return r;
}

int printHits(const Database& db, const SearchReport& r, const Options& o, const CliHost& host,
              bool withNextMove) {
    if (r.hits == 0) {
        host.printError(std::string(core::translate("検出できませんでした。")));
    } else {
        printList(db, o, host, withNextMove);
    }
    return cli::kExitOk;
}

int runFind(Database& db, Searcher& searcher, RecordExtractor& extractor, const Options& o,
            CliHost& host) {
    if (o.args.size() != 1) return usage("find needs DB only");
    RecordConditions conditions;
    if (o.end) {
        conditions.end = gameEndNamed(*o.end);
        if (!conditions.end) {
            return usage("--end is one of 詰み 投了 千日手 持将棋 入玉宣言 反則 中断 時間切れ");
        }
    }
    if (o.material) {
        MaterialParse parsed = parseMaterial(cli::argumentText(*o.material));
        if (!parsed.pattern) return usage(cli::printable(parsed.error, cli::Encoding::Utf8));
        conditions.material = parsed.pattern;
        conditions.materialPly = o.ply.value_or(-1);
    } else if (o.ply) {
        return usage("--ply goes with --material");
    }
    if (o.comment) conditions.comment = cli::argumentText(*o.comment);
    SearchReport r = searcher.findByHeader(headerCriteria(o));
    if (r.hits > 0 && !conditions.empty()) {
        r = findByRecordConditions(db, extractor, host, conditions);
    }
    return printHits(db, r, o, host, false);
}

// Labels the records that have no 自動戦型 yet (with --all, every record) and saves.
int runClassify(Database& db, RecordExtractor& extractor, const Options& o, CliHost& host) {
    if (o.args.size() != 1) return usage("classify needs DB only");
    LabelRunReport r = labelOpenings(db, extractor, host, o.all);
    host.print(r.status);
    if (db.isModified() && !save(db, o.args[0], host)) return cli::kExitFile;
    return r.unreadable > 0 ? cli::kExitFile : cli::kExitOk;
}

// The player's report over every record of the database.
int runReport(Database& db, const Options& o, const CliHost& host) {
    if (o.args.size() != 1) return usage("report needs DB only");
    if (o.players.size() != 1 || o.players[0].empty()) {
        return usage("report needs one --player NAME");
    }
    PlayerAliases aliases;
    const std::string aliasPath = o.aliases.value_or(defaultAliasesPath());
    std::optional<std::string> text = core::readFile(aliasPath);
    if (!text && o.aliases) {
        host.printError(
            cli::withSystemReason(core::msgFileMissing(cli::argumentText(aliasPath)), aliasPath));
        return cli::kExitFile;
    }
    if (text) {
        std::string error;
        std::optional<PlayerAliases> read = PlayerAliases::parse(*text, error);
        if (!read) {
            host.printError(cli::argumentText(aliasPath) + ": " + error);
            return cli::kExitFile;
        }
        aliases = std::move(*read);
    }
    const std::string name = cli::argumentText(o.players[0]);
    PlayerReport report = playerReport(db.table(), name, aliases);
    std::string out = o.json ? playerReportJson(report) : playerReportText(report);
    // A database analysed with the analyse command: the player's analysed moves too.
    const std::string storePath = evaluationStorePath(o.args[0]);
    std::error_code ec;
    if (fs::exists(storePath, ec)) {
        EvaluationStore store;
        const EvaluationReadReport r = store.read(storePath);
        if (r.result == EvaluationReadResult::NotStore ||
            r.result == EvaluationReadResult::CannotRead) {
            std::fprintf(stderr, "dalmir-cli: cannot read the evaluations of %s\n",
                         storePath.c_str());
            return cli::kExitFile;
        }
        for (int slot : readMainLines(db)) {
            host.printError(std::string(db.table().entry(slot).path()));
        }
        const PlayerAnalysis a = playerAnalysis(db, name, aliases, store, o.marks);
        out = o.json ? withPlayerAnalysisJson(out, a) : out + playerAnalysisText(a);
    }
    if (o.encoding == cli::Encoding::Sjis) out = core::utf8ToCp932(out).text;
    std::fwrite(out.data(), 1, out.size(), stdout);
    return cli::kExitOk;
}

int runSearch(Database& db, Searcher& searcher, const Options& o, const CliHost& host) {
    const bool position = o.command == "search-position";
    if (o.args.size() != 2) {
        return usage(o.command + (position ? " needs DB and RECORD" : " needs DB and PATTERN"));
    }
    int exitCode = cli::kExitOk;
    std::optional<SearchReport> r =
        position ? search(searcher, o.args[1], std::nullopt, o, host, exitCode)
                 : search(searcher, std::nullopt, o.args[1], o, host, exitCode);
    return r ? printHits(db, *r, o, host, true) : exitCode;
}

int runStats(Database& db, Searcher& searcher, const Options& o, const CliHost& host) {
    if (o.args.size() < 2) return usage("stats needs DB and KIND");
    const std::string& kind = o.args[1];
    const bool player = kind == "player";
    if (player ? o.args.size() != 3 : o.args.size() != 2) {
        return usage(player ? "stats player needs a NAME" : "stats takes one KIND");
    }
    if (!player && kind != "results" && kind != "handicaps" && kind != "openings" &&
        kind != "next") {
        return usage("unknown statistics " + kind);
    }
    if (o.position && o.sequence) return usage("give --position or --sequence, not both");
    if (o.position || o.sequence) {
        int exitCode = cli::kExitOk;
        std::optional<SearchReport> r = search(searcher, o.position, o.sequence, o, host, exitCode);
        if (!r) return exitCode;
        if (r->hits == 0) host.printError(std::string(core::translate("検出できませんでした。")));
    }
    const IndexTable& table = db.table();
    std::string report;
    if (player) {
        PlayerStatistics stats;
        report = stats.compute(table, cli::argumentText(o.args[2]), o.ignoreBlanks);
    } else if (kind == "results") {
        report = resultsReport(table);
    } else if (kind == "handicaps") {
        report = handicapsReport(table);
    } else if (kind == "openings") {
        report = openingsReport(table);
    } else {
        report = nextMoveReport(table);
    }
    // The report's CR LF line ends become the terminal's.
    std::string text;
    for (std::size_t i = 0; i < report.size(); ++i) {
        if (report[i] == '\r' && i + 1 < report.size() && report[i + 1] == '\n') continue;
        text += report[i];
    }
    host.print(cli::withoutTrailingNewline(text));
    return cli::kExitOk;
}

int runDuplicates(Database& db, const Options& o, CliHost& host) {
    if (o.args.size() != 1) return usage("duplicates needs DB only");
    DuplicateCriteria c;
    c.sameDate = !o.noDate;
    c.samePlayers = !o.noPlayers;
    c.nameBytes = o.nameBytes.value_or(c.nameBytes);
    c.ignoreBlanks = o.ignoreBlanks;
    c.sameMoveCount = !o.noCount;
    c.compareMoves = db.isBinary();
    c.moveTolerance = o.moves.value_or(0);
    DuplicateCheckOptions options;
    options.mode = o.deleteMode;
    DuplicateCheckReport r = checkDuplicates(db, c, host, options);
    for (const DuplicatePair& p : r.found) {
        host.print("No." + std::to_string(p.firstRow) + "\tNo." + std::to_string(p.secondRow) +
                   "\t" + p.firstPath + "\t" + p.secondPath);
    }
    if (r.deleted > 0 && !save(db, o.args[0], host)) return cli::kExitFile;
    return cli::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    cli::useLocaleLanguage("dalmir");
    if (auto code = cli::answerInfoOptions(cli::dalmirCliHelp(), argc, argv)) return *code;
    if (auto code = cli::runTreeCommands(argc, argv)) return *code;
    if (auto code = cli::runAnalyseCommand(argc, argv)) return *code;
    Options o;
    if (auto problem = parse(argc, argv, o)) return usage(*problem);
    if (o.command.empty()) return usage("");
    const bool known = o.command == "add" || o.command == "list" || o.command == "update" ||
                       o.command == "remove" || o.command == "convert" || o.command == "find" ||
                       o.command == "search-position" || o.command == "search-sequence" ||
                       o.command == "stats" || o.command == "duplicates" || o.command == "export" ||
                       o.command == "classify" || o.command == "report";
    if (!known) return usage("unknown command " + o.command);
    if (o.args.empty()) return usage(o.command + " needs DB");

    CliHost host(o.encoding);
    DatabaseLock lock;  // held until the program ends, after its save
    if (auto saved = savedDatabase(o); saved && !lockForSaving(*saved, o, lock)) {
        return cli::kExitFile;
    }
    Database db(std::max(profileNumber(o, "Option/max_records", kDefaultMaxRecords), 1));
    if (!openOrCreate(db, o.args[0], o, host, o.command == "add")) return cli::kExitFile;

    UserFieldNames names = userNames(o);
    std::array<std::string, core::kUserHeaderFieldCount> keys;
    for (std::size_t k = 0; k < keys.size(); ++k) keys[k] = names[k];
    RecordExtractor extractor(keys);
    ErrorLog log(errorLogPath());
    RegistrationOptions options;
    options.quietErrors = profileNumber(o, "Option/add_error", 1) != 0;
    Registrar registrar(db, extractor, log, host, options);
    if (db.table().settings().autoUpdate) {
        // 自動更新: the records are re-read silently whenever the database is opened.
        MissingFileMode silent = MissingFileMode::SilentKeep;
        // 自動更新 is silent; the command's own work follows.
        (void)registrar.update(silent);
    }

    if (o.command == "add") return runAdd(db, registrar, o, host);
    if (o.command == "list") return runList(db, o, host);
    if (o.command == "export") {
        if (o.args.size() != 1) return usage("export needs DB only");
        return runExport(db, o, host);
    }
    if (o.command == "update") return runUpdate(db, registrar, o, host);
    if (o.command == "remove") return runRemove(db, registrar, o, host);
    if (o.command == "duplicates") return runDuplicates(db, o, host);
    Searcher searcher(db, extractor, host);
    if (o.command == "find") return runFind(db, searcher, extractor, o, host);
    if (o.command == "classify") return runClassify(db, extractor, o, host);
    if (o.command == "report") return runReport(db, o, host);
    if (o.command == "search-position" || o.command == "search-sequence") {
        return runSearch(db, searcher, o, host);
    }
    if (o.command == "stats") return runStats(db, searcher, o, host);
    return runConvert(db, extractor, o, host);
}
