// tavrel-cli: Tavrel's record engine from the command line. Everything it does is done by the
// engine; this file parses the arguments, loads and writes, and prints.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/common/cli_common.h"
#include "cli/common/cli_help.h"
#include "cli/common/engine_run.h"
#include "core/base/parallel_for.h"
#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/classify/classifier.h"
#include "core/formats/diagram_block.h"
#include "core/formats/kif_writer.h"
#include "core/formats/record_loader.h"
#include "core/formats/usi.h"
#include "core/templates/date_time_snapshot.h"
#include "core/templates/record_saver.h"
#include "core/templates/template_expander.h"
#include "core/text/sjis.h"
#include "tavrel/logic/output/text_options.h"
#include "tavrel/logic/view/record_list_text.h"
#include "tavrel/settings/engine_options.h"
#include "tavrel/settings/environment_file.h"
#include "usi/record_analysis.h"
#include "usi/usi_engine.h"

namespace {

// Saves the record; says why not on failure (a character Shift-JIS cannot hold: which field,
// which character, and the UTF-8 form that would keep it).
bool saveOrSay(core::RecordStore& store, core::SaveFormat format, const std::string& out,
               const core::RecordWriteOptions& w, core::TemplateExpander& expander,
               cli::Encoding encoding) {
    core::Cp932Problem problem;
    const core::WriteResult r = core::saveRecordFile(store, format, out, w, expander, &problem);
    if (r == core::WriteResult::Ok) return true;
    if (r == core::WriteResult::Unencodable) {
        std::fprintf(stderr, "tavrel-cli: %s: %s\n", out.c_str(),
                     cli::printable(core::msgCannotSaveInCp932(format, problem), encoding).c_str());
    } else {
        std::fprintf(stderr, "tavrel-cli: cannot write %s\n", out.c_str());
    }
    return false;
}

namespace fs = std::filesystem;

struct Options {
    std::string command;
    std::vector<std::string> args;
    std::optional<int> ply;
    std::optional<std::string> envFile;
    std::vector<std::string> sets;
    cli::Encoding encoding = cli::Encoding::Utf8;
    std::optional<std::string> engine;
    std::int64_t moveTime = 1000;
    int multiPv = 1;
    bool verbose = false;
    bool why = false;
};

int usage(const std::string& problem) {
    return cli::usageError("tavrel-cli", cli::usageText(cli::tavrelCliHelp()), problem);
}

// Parses the command line; a message for a usage error.
std::optional<std::string> parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string(argv[++i]);
        };
        if (a == "--ply") {
            auto v = value();
            if (!v) return "--ply needs a number";
            auto n = cli::parseInt(*v);
            if (!n || *n < 0) return "--ply needs a number, not " + *v;
            o.ply = *n;
        } else if (a == "--env") {
            auto v = value();
            if (!v) return "--env needs a file";
            o.envFile = *v;
        } else if (a == "--set") {
            auto v = value();
            if (!v || v->find('=') == std::string::npos) return "--set needs KEY=VALUE";
            o.sets.push_back(*v);
        } else if (a == "--encoding") {
            auto v = value();
            if (!v || (*v != "utf8" && *v != "sjis")) return "--encoding is utf8 or sjis";
            o.encoding = *v == "sjis" ? cli::Encoding::Sjis : cli::Encoding::Utf8;
        } else if (a == "--engine") {
            auto v = value();
            if (!v) return "--engine needs a program";
            o.engine = *v;
        } else if (a == "--movetime") {
            auto v = value();
            auto n = v ? cli::parseInt(*v) : std::nullopt;
            if (!n || *n <= 0) return "--movetime needs a number of milliseconds above 0";
            o.moveTime = *n;
        } else if (a == "--multipv") {
            auto v = value();
            auto n = v ? cli::parseInt(*v) : std::nullopt;
            if (!n || *n < 1 || *n > 64) return "--multipv needs a number from 1 to 64";
            o.multiPv = static_cast<int>(*n);
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "--why") {
            o.why = true;
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

// The settings the options produce: defaults, then --env, then each --set.
int loadSettings(const Options& o, tavrel::Settings& settings) {
    if (o.envFile && tavrel::ReadEnvironmentFile(*o.envFile, settings) != core::ReadResult::Ok) {
        std::string text = cli::withSystemReason(core::msgFileMissing(*o.envFile), *o.envFile);
        std::fprintf(stderr, "tavrel-cli: %s\n", cli::printable(text, o.encoding).c_str());
        return cli::kExitFile;
    }
    for (const std::string& s : o.sets) {
        std::size_t eq = s.find('=');
        std::string key = cli::argumentText(s.substr(0, eq));
        std::string value = cli::argumentText(s.substr(eq + 1));
        switch (tavrel::setFromKeyValue(settings, key, value)) {
            case tavrel::SetKeyResult::Set:
                break;
            case tavrel::SetKeyResult::UnknownKey:
                std::fprintf(stderr, "tavrel-cli: unknown setting %s\n", s.substr(0, eq).c_str());
                return cli::kExitUsage;
            case tavrel::SetKeyResult::BadValue:
                std::fprintf(stderr, "tavrel-cli: bad value for %s\n", s.c_str());
                return cli::kExitUsage;
        }
    }
    return cli::kExitOk;
}

// How loading a record went.
enum class Loaded {
    Clean,
    Troubled,    // read whole, but bytes that were not UTF-8 became "？": output, then exit 1
    Broken,      // a reading error: what came before it was read; exit 1, convert writes nothing
    Unreadable,  // nothing to work on (no file, or no such ply): exit 1
};

// Loads a record as Tavrel does and makes the requested ply current. Prints the reader's
// messages.
Loaded load(const Options& o, const tavrel::Settings& settings, core::RecordStore& store,
            const std::string& path) {
    core::ReadOptions read = tavrel::readOptions(settings);
    read.fileName = core::fileNameOf(path);
    core::ReadReport r = core::loadRecordFile(store, path, read);
    for (const std::string& w : r.warnings) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), cli::printable(w, o.encoding).c_str());
    }
    Loaded loaded = r.invalidUtf8 ? Loaded::Troubled : Loaded::Clean;
    if (r.result != core::ReadResult::Ok) {
        std::fprintf(stderr, "%s\n",
                     cli::printable(cli::readFailureText(r, store, path), o.encoding).c_str());
        if (r.result == core::ReadResult::CannotOpen) return Loaded::Unreadable;
        loaded = Loaded::Broken;
    }
    core::NodeIndex target = core::kRootNode;
    if (o.ply) {
        target = store.nodeAtPly(*o.ply);
        if (target == core::kNoNode) {
            std::fprintf(stderr, "tavrel-cli: the main line has no ply %d\n", *o.ply);
            return Loaded::Unreadable;
        }
    } else {
        target = core::nodeAfterLoad(store, static_cast<int>(settings.positionAfterLoad));
        if (target == core::kNoNode) target = core::kRootNode;
    }
    // `target` is a node of the record read: cannot fail.
    (void)store.goTo(target);
    return loaded;
}

// The exit code of a command that printed what it could of a record loaded so.
int exitAfter(Loaded loaded) { return loaded == Loaded::Clean ? cli::kExitOk : cli::kExitFile; }

int convert(const Options& o, const tavrel::Settings& settings) {
    if (o.args.size() != 2) return usage("convert takes IN and OUT");
    core::RecordStore store(settings.recordCapacity, tavrel::recordOptions(settings));
    const Loaded loaded = load(o, settings, store, o.args[0]);
    // A record cut short by a reading error is not written as if it were the whole game.
    if (loaded == Loaded::Unreadable || loaded == Loaded::Broken) return cli::kExitFile;
    const std::string& out = o.args[1];
    std::optional<core::SaveFormat> format = core::saveFormatOfPath(out);
    if (!format) return usage("cannot write the format of " + out);
    core::RecordWriteOptions w = tavrel::writeOptions(settings);
    // The templated texts (the position diagram, the English position) read these.
    core::TextOutputOptions text = tavrel::textOutputOptions(settings);
    core::TemplateEnvironment environment;
    environment.recordPath = cli::argumentText(o.args[0]);
    environment.recordFileName = cli::argumentText(core::fileNameOf(o.args[0]));
    core::DateTimeSnapshot snapshot;
    core::TemplateExpander expander(
        store, text, environment, snapshot, [&](std::string_view caption, std::string_view msg) {
            std::fprintf(stderr, "%s: %s\n", cli::printable(caption, o.encoding).c_str(),
                         cli::printable(msg, o.encoding).c_str());
        });
    if (!saveOrSay(store, *format, out, w, expander, o.encoding)) return cli::kExitFile;
    // The record is written with "？" for the bad bytes, but the run still reports the trouble.
    return exitAfter(loaded);
}

// Header fields, the diagram of the current position, and the record window's list.
int show(const Options& o, const tavrel::Settings& settings) {
    if (o.args.size() != 1) return usage("show takes one record file");
    core::RecordStore store(settings.recordCapacity, tavrel::recordOptions(settings));
    const Loaded loaded = load(o, settings, store, o.args[0]);
    if (loaded == Loaded::Unreadable) return cli::kExitFile;
    core::RecordWriteOptions w = tavrel::writeOptions(settings);
    std::string text;
    core::appendHeaderLines(text, store, w);
    core::DiagramNames names{store.playerName(core::PlayerField::Black),
                             store.playerName(core::PlayerField::White)};
    core::appendDiagramBlock(text, store.position(), store.handicap(), &names);
    for (const std::string& line : tavrel::recordListLines(store, tavrel::RecordListForm::Times,
                                                           tavrel::recordListStyle(settings))) {
        text += line;
        text += "\r\n";
    }
    std::string printed = cli::printable(text, o.encoding);
    if (o.encoding == cli::Encoding::Utf8) {
        // Terminals want plain line ends.
        std::string lf;
        for (char c : printed) {
            if (c != '\r') lf += c;
        }
        printed = lf;
    }
    std::fwrite(printed.data(), 1, printed.size(), stdout);
    return exitAfter(loaded);
}

int usiCommand(const Options& o, const tavrel::Settings& settings) {
    if (o.args.size() != 1) return usage("usi takes one record file");
    core::RecordStore store(settings.recordCapacity, tavrel::recordOptions(settings));
    const Loaded loaded = load(o, settings, store, o.args[0]);
    if (loaded == Loaded::Unreadable) return cli::kExitFile;
    std::printf("%s\n", core::usiPositionCommand(store).c_str());
    return exitAfter(loaded);
}

int sfen(const Options& o, const tavrel::Settings& settings) {
    if (o.args.size() != 1) return usage("sfen takes one record file");
    core::RecordStore store(settings.recordCapacity, tavrel::recordOptions(settings));
    const Loaded loaded = load(o, settings, store, o.args[0]);
    if (loaded == Loaded::Unreadable) return cli::kExitFile;
    core::Position pos;
    store.restoreStartPosition(pos);
    int ply = 0;
    std::printf("%s\n", core::sfen(pos, 1).c_str());
    for (core::NodeIndex n = store.node(core::kRootNode).next; n != core::kNoNode;
         n = store.node(n).next) {
        const core::MoveNode& m = store.node(n);
        if (m.isTerminal() || !core::RecordStore::applyNodeMove(m, pos)) break;
        pos.sideToMove = core::opponent(pos.sideToMove);
        ++ply;
        std::printf("%s\n", core::sfen(pos, ply + 1).c_str());
    }
    return exitAfter(loaded);
}

// Every record file below a folder, sorted; the path itself when it is a file. A folder that
// cannot be read (or read to the end) adds "FOLDER: reason" to problems and the walk goes on
// with the others. Links to folders are not followed.
void collect(const fs::path& path, std::vector<std::string>& files,
             std::vector<std::string>& problems) {
    std::error_code ec;
    if (!fs::is_directory(path, ec)) {
        files.push_back(path.string());
        return;
    }
    std::vector<std::string> found;
    std::vector<fs::path> folders{path};
    while (!folders.empty()) {
        fs::path folder = std::move(folders.back());
        folders.pop_back();
        fs::directory_iterator it(folder, ec);
        for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            if (it->symlink_status(typeError).type() == fs::file_type::directory) {
                folders.push_back(it->path());
            } else if (it->is_regular_file(typeError) &&
                       core::formatOfPath(it->path().string()) != core::RecordFormat::Unsupported &&
                       !core::lowerExtension(it->path().string()).empty()) {
                found.push_back(it->path().string());
            }
        }
        if (ec) problems.push_back(folder.string() + ": " + ec.message() + "\n");
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
}

// The record files the arguments name (folders are walked), in order, and what could not be
// listed.
struct ArgumentFiles {
    std::vector<std::string> files;
    std::vector<std::string> problems;
};

ArgumentFiles argumentFiles(const Options& o) {
    ArgumentFiles out;
    for (const std::string& a : o.args) collect(a, out.files, out.problems);
    std::sort(out.problems.begin(), out.problems.end());
    return out;
}

// Reads the files on every core, each worker with its own record; visit(i, path, store, report)
// runs on the worker of file i.
template <class Visit>
void readEach(const std::vector<std::string>& files, const tavrel::Settings& settings,
              bool ruleCheck, Visit&& visit) {
    unsigned workers = core::workerCount(files.size());
    std::vector<std::unique_ptr<core::RecordStore>> stores;
    for (unsigned w = 0; w < workers; ++w) {
        stores.push_back(std::make_unique<core::RecordStore>(settings.recordCapacity,
                                                             tavrel::recordOptions(settings)));
    }
    core::ReadOptions base = tavrel::readOptions(settings);
    base.ruleCheck = ruleCheck;
    core::parallelFor(files.size(), workers, [&](unsigned worker, std::size_t i) {
        const std::string& path = files[i];
        core::ReadOptions read = base;
        read.fileName = core::fileNameOf(path);
        core::RecordStore& store = *stores[worker];
        const core::ReadReport r = core::loadRecordFile(store, path, read);
        visit(i, path, store, r);
    });
}

int check(const Options& o, const tavrel::Settings& settings) {
    if (o.args.empty()) return usage("check takes files or folders");
    const ArgumentFiles listed = argumentFiles(o);
    std::vector<std::string> reports(listed.files.size());
    std::atomic<bool> failed{false};
    readEach(listed.files, settings, true,
             [&](std::size_t i, const std::string& path, core::RecordStore& store,
                 const core::ReadReport& r) {
                 std::string& out = reports[i];
                 for (const std::string& w : r.warnings) {
                     out += path + ": " +
                            cli::printable(cli::withoutTrailingNewline(w), o.encoding) + "\n";
                 }
                 // Bytes that became "？" were not read either, though the record was.
                 if (r.invalidUtf8) failed = true;
                 if (r.result != core::ReadResult::Ok) {
                     failed = true;
                     out += path + ": " +
                            cli::printable(cli::readFailureText(r, store, path), o.encoding) + "\n";
                 }
             });
    for (const std::string& out : listed.problems) std::fwrite(out.data(), 1, out.size(), stdout);
    for (const std::string& out : reports) std::fwrite(out.data(), 1, out.size(), stdout);
    return failed || !listed.problems.empty() ? cli::kExitFile : cli::kExitOk;
}

// One line per record: file, Black's label, White's label, game type, castles, named opening
// (tab-separated; a handicap game has its handicap in the game type, a record from a position
// of its own or too short for the rules has empty labels). --why adds the rules that fired.
int classify(const Options& o, const tavrel::Settings& settings) {
    if (o.args.empty()) return usage("classify takes files or folders");
    const ArgumentFiles listed = argumentFiles(o);
    std::vector<std::string> lines(listed.files.size());
    std::vector<std::string> errors(listed.files.size());
    std::atomic<bool> failed{false};
    readEach(
        listed.files, settings, false,
        [&](std::size_t i, const std::string& path, core::RecordStore& store,
            const core::ReadReport& r) {
            if (r.invalidUtf8) failed = true;
            if (r.result != core::ReadResult::Ok) {
                // A record cut short by an error is not labelled as if it were the whole
                // game.
                failed = true;
                errors[i] = path + ": " +
                            cli::printable(cli::readFailureText(r, store, path), o.encoding) + "\n";
                return;
            }
            core::Classification c = core::classifyRecord(store);
            std::string type = c.status == core::ClassifyStatus::Handicap
                                   ? core::openingText(c)
                                   : core::gameTypeName(c.type);
            bool labelled = c.status == core::ClassifyStatus::Classified;
            std::string text = (labelled ? core::sideText(c.black) : std::string()) + "\t" +
                               (labelled ? core::sideText(c.white) : std::string()) + "\t" + type +
                               "\t" + core::castlesText(c) + "\t" + core::openingName(c.opening);
            std::string& out = lines[i];
            out = path + "\t" + cli::printable(text, o.encoding) + "\n";
            if (o.why) {
                for (const std::string& reason : core::reasons(c)) {
                    out += "  " + cli::printable(reason, o.encoding) + "\n";
                }
            }
        });
    for (const std::string& out : listed.problems) std::fwrite(out.data(), 1, out.size(), stderr);
    for (std::size_t i = 0; i < listed.files.size(); ++i) {
        std::fwrite(errors[i].data(), 1, errors[i].size(), stderr);
        std::fwrite(lines[i].data(), 1, lines[i].size(), stdout);
    }
    return failed || !listed.problems.empty() ? cli::kExitFile : cli::kExitOk;
}

std::int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The analysis's events; the lines no protocol knows are printed with --verbose.
class AnalysisEvents : public usi::UsiEvents {
public:
    AnalysisEvents(usi::RecordAnalysis& analysis, bool verbose, cli::Encoding encoding)
        : m_analysis(analysis), m_verbose(verbose), m_encoding(encoding) {}
    void engineReady() override { m_analysis.engineReady(); }
    void engineInfo(const usi::UsiInfo& info) override { m_analysis.engineInfo(info); }
    void engineBestMove(const usi::UsiBestMove& best) override { m_analysis.engineBestMove(best); }
    void engineWarning(const std::string& message) override {
        if (m_verbose) print(message);
        m_analysis.engineWarning(message);
    }
    void engineUnknownLine(std::string_view line) override {
        if (m_verbose) print(std::string(line));
    }
    void engineFailed(const std::string& message) override { m_analysis.engineFailed(message); }
    void engineQuit() override { m_analysis.engineQuit(); }

private:
    void print(const std::string& text) const {
        std::fprintf(stderr, "tavrel-cli: engine: %s\n", cli::printable(text, m_encoding).c_str());
    }

    usi::RecordAnalysis& m_analysis;
    bool m_verbose;
    cli::Encoding m_encoding;
};

int analyse(const Options& o, const tavrel::Settings& settings) {
    if (o.args.size() != 2) return usage("analyse takes IN and OUT");
    if (!o.engine) return usage("analyse needs --engine PATH");
    core::RecordStore store(settings.recordCapacity, tavrel::recordOptions(settings));
    const Loaded loaded = load(o, settings, store, o.args[0]);
    if (loaded == Loaded::Unreadable || loaded == Loaded::Broken) return cli::kExitFile;
    const std::string& out = o.args[1];
    std::optional<core::SaveFormat> format = core::saveFormatOfPath(out);
    if (!format) return usage("cannot write the format of " + out);

    std::error_code ec;
    const fs::path program = fs::absolute(*o.engine, ec);
    cli::ChildProcess child;
    std::string reason;
    if (ec || !child.start(program.string(), {program.string()}, program.parent_path().string(),
                           reason)) {
        std::fprintf(stderr, "tavrel-cli: %s: %s\n", o.engine->c_str(),
                     ec ? ec.message().c_str() : reason.c_str());
        return cli::kExitFile;
    }
    usi::RecordAnalysisOptions options;
    options.moveTimeMs = o.moveTime;
    options.multiPv = o.multiPv;
    options.notation.dragonAsRyu = settings.dragonNotation != 0;
    usi::RecordAnalysis analysis(store, options);
    AnalysisEvents events(analysis, o.verbose, o.encoding);
    cli::ChildLink link(child);
    usi::UsiEngine engine(link, events, steadyMs);
    analysis.run(engine);
    engine.start();
    cli::runEngine(child, engine, steadyMs);
    if (!analysis.message().empty()) {
        std::fprintf(stderr, "tavrel-cli: %s\n",
                     cli::printable(analysis.message(), o.encoding).c_str());
    }
    // Every position is to get its line: one the engine gave nothing usable for is a failure
    // too, not only an engine that gave up.
    const bool failed = analysis.failed() || analysis.analysed() < analysis.total();
    if (analysis.analysed() < analysis.total()) {
        std::fprintf(stderr, "tavrel-cli: %d of %d positions were not analysed\n",
                     analysis.total() - analysis.analysed(), analysis.total());
    }

    // What was analysed is written even when the engine gave up part way.
    core::RecordWriteOptions w = tavrel::writeOptions(settings);
    core::TextOutputOptions text = tavrel::textOutputOptions(settings);
    core::TemplateEnvironment environment;
    environment.recordPath = cli::argumentText(o.args[0]);
    environment.recordFileName = cli::argumentText(core::fileNameOf(o.args[0]));
    core::DateTimeSnapshot snapshot;
    core::TemplateExpander expander(store, text, environment, snapshot,
                                    [](std::string_view, std::string_view) {});
    if (!saveOrSay(store, *format, out, w, expander, o.encoding)) return cli::kExitFile;
    return failed ? cli::kExitFile : exitAfter(loaded);
}

int env(const Options& o, const tavrel::Settings& settings) {
    if (!o.args.empty()) return usage("env takes no arguments");
    std::string text = tavrel::formatEnvironmentText(settings);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return cli::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    cli::useLocaleLanguage("tavrel");
    if (auto code = cli::answerInfoOptions(cli::tavrelCliHelp(), argc, argv)) return *code;
    Options o;
    if (auto problem = parse(argc, argv, o)) return usage(*problem);
    if (o.command.empty()) return usage("");
    tavrel::Settings settings;
    if (int r = loadSettings(o, settings); r != cli::kExitOk) return r;
    if (o.command == "convert") return convert(o, settings);
    if (o.command == "show") return show(o, settings);
    if (o.command == "usi") return usiCommand(o, settings);
    if (o.command == "sfen") return sfen(o, settings);
    if (o.command == "check") return check(o, settings);
    if (o.command == "env") return env(o, settings);
    if (o.command == "classify") return classify(o, settings);
    if (o.command == "analyse") return analyse(o, settings);
    return usage("unknown command " + o.command);
}
