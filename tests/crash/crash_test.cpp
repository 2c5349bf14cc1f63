// Kills every file saver of the programs at random points and checks what each leaves behind:
// every file is either the old or the new complete version and loads, and the next successful
// save of the same target leaves no temporary or staged file.
//
//   crash_test [--runs N] [--seed S]
//
// How a run kills: the parent writes the old version, forks, and the child says "go" through a
// pipe and at once saves the new version. The parent, woken by that byte, spins for a random
// delay drawn from [0, 1.25 x the saver's measured save time] and sends SIGKILL, so the kill
// lands anywhere in the save, and sometimes after it. The parent then checks the folder.
// Runs go round the savers in turn; the seed (printed) repeats a run.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/base/safe_file.h"
#include "core/formats/record_loader.h"
#include "core/record/record_store.h"
#include "core/templates/date_time_snapshot.h"
#include "core/templates/record_saver.h"
#include "core/templates/template_expander.h"
#include "core/text/sjis.h"
#include "dalmir/model/store/binary_store.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/table/dls_file.h"
#include "dalmir/model/table/export_rows.h"
#include "tavrel/settings/environment_file.h"
#include "tavrel/settings/settings.h"
#include "tests/support/random_record.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// One saver under test. save runs in the killed child; the others in the parent.
struct Saver {
    std::string name;
    std::function<void(const fs::path&)> writeOld;      // the old version, complete
    std::function<bool(const fs::path&)> save;          // the new version; true when it succeeded
    std::function<std::string(const fs::path&)> check;  // "" when every file is old or new and
                                                        // loads; else what is wrong
    Clock::duration saveTime{};
    fs::path oldFolder;  // the old version, written once and copied for each run
};

// "" when file holds exactly one of the versions.
std::string oldOrNew(const fs::path& file, const std::string& oldBytes,
                     const std::string& newBytes) {
    std::optional<std::string> got = core::readFile(file.string());
    if (!got) return file.filename().string() + " is missing or unreadable";
    if (*got != oldBytes && *got != newBytes) {
        return file.filename().string() + " is neither version (" + std::to_string(got->size()) +
               " bytes)";
    }
    return {};
}

// ---- record files ----

struct RecordSide {
    core::RecordStore store;
    core::TextOutputOptions options;
    core::TemplateEnvironment environment;
    core::DateTimeSnapshot snapshot{[] { return core::LocalDateTime{2020, 1, 2, 3, 4, 5}; }};
    core::TemplateExpander expander{store, options, environment, snapshot};
    core::RecordWriteOptions writeOptions;

    bool saveTo(const fs::path& file) {
        return core::saveRecordFile(store, core::SaveFormat::Kif, file.string(), writeOptions,
                                    expander) == core::WriteResult::Ok;
    }
};

Saver recordSaver(std::mt19937& rng) {
    auto oldRecord = std::make_shared<RecordSide>();
    auto newRecord = std::make_shared<RecordSide>();
    testsupport::RandomRecordOptions options;
    options.minPlies = 150;
    options.maxPlies = 250;
    testsupport::makeRandomRecord(oldRecord->store, rng, options);
    testsupport::makeRandomRecord(newRecord->store, rng, options);
    auto oldBytes = std::make_shared<std::string>();
    auto newBytes = std::make_shared<std::string>();
    // The bytes on disk: Shift-JIS.
    *oldBytes = core::savedFile(oldRecord->store, core::SaveFormat::Kif, oldRecord->writeOptions,
                                oldRecord->expander)
                    .bytes;
    *newBytes = core::savedFile(newRecord->store, core::SaveFormat::Kif, newRecord->writeOptions,
                                newRecord->expander)
                    .bytes;
    Saver s;
    s.name = "record file";
    s.writeOld = [=](const fs::path& dir) { (void)oldRecord->saveTo(dir / "game.kif"); };
    s.save = [=](const fs::path& dir) { return newRecord->saveTo(dir / "game.kif"); };
    s.check = [=](const fs::path& dir) {
        std::string problem = oldOrNew(dir / "game.kif", *oldBytes, *newBytes);
        if (!problem.empty()) return problem;
        core::RecordStore back;
        core::ReadOptions read;
        read.ruleCheck = false;
        core::ReadReport r = core::loadRecordFile(back, (dir / "game.kif").string(), read);
        return r.result == core::ReadResult::Ok ? std::string() : "game.kif does not load";
    };
    return s;
}

// ---- the environment file ----

Saver environmentSaver() {
    auto oldSettings = std::make_shared<tavrel::Settings>();
    auto newSettings = std::make_shared<tavrel::Settings>();
    newSettings->recordFolder = "/home/someone/records/";
    newSettings->pieceSet = 1;
    newSettings->boardColour = {10, 20, 30};
    auto oldBytes = std::make_shared<std::string>(
        core::ownTextFileBytes(tavrel::formatEnvironmentText(*oldSettings)));
    auto newBytes = std::make_shared<std::string>(
        core::ownTextFileBytes(tavrel::formatEnvironmentText(*newSettings)));
    Saver s;
    s.name = "environment file";
    s.writeOld = [=](const fs::path& dir) {
        (void)tavrel::WriteEnvironmentFile((dir / "Tavrel95.env").string(), *oldSettings);
    };
    s.save = [=](const fs::path& dir) {
        return tavrel::WriteEnvironmentFile((dir / "Tavrel95.env").string(), *newSettings) ==
               core::WriteResult::Ok;
    };
    s.check = [=](const fs::path& dir) {
        std::string problem = oldOrNew(dir / "Tavrel95.env", *oldBytes, *newBytes);
        if (!problem.empty()) return problem;
        tavrel::Settings back;
        return tavrel::ReadEnvironmentFile((dir / "Tavrel95.env").string(), back) ==
                       core::ReadResult::Ok
                   ? std::string()
                   : std::string("Tavrel95.env does not load");
    };
    return s;
}

// ---- databases ----

dalmir::model::IndexEntry entryFor(int i, int variant) {
    dalmir::model::IndexEntry e;
    e.setText(dalmir::model::IndexText::Path,
              "/games/" + std::to_string(variant) + "/" + std::to_string(i) + ".KIF");
    e.setText(dalmir::model::IndexText::BlackPlayer, std::string("先手") + std::to_string(i));
    e.setText(dalmir::model::IndexText::WhitePlayer, std::string("後手") + std::to_string(variant));
    e.setText(dalmir::model::IndexText::Event, std::string("棋戦"));
    e.moveCount = static_cast<uint16_t>(20 + i % 100);
    e.result = 1;
    return e;
}

std::vector<dalmir::model::ListMove> listFor(int i, int variant) {
    std::vector<dalmir::model::ListMove> l;
    for (int k = 0; k < 20 + i % 100; ++k) {
        l.push_back({static_cast<uint8_t>(11 + (k + variant) % 89), static_cast<uint8_t>(11 + k)});
    }
    return l;
}

std::shared_ptr<dalmir::model::Database> makeDatabase(bool binary, int records, int variant) {
    auto db = std::make_shared<dalmir::model::Database>(records);
    db->reset(binary);
    for (int i = 0; i < records; ++i) {
        (void)db->append(entryFor(i, variant),
                         binary ? listFor(i, variant) : std::vector<dalmir::model::ListMove>{});
    }
    return db;
}

// What a database shows once loaded: its index and lists in the file layouts, without the
// generation.
std::string contentOf(const dalmir::model::Database& db) {
    std::string out = dalmir::model::formatDls(db.table(), dalmir::model::DlsWriteMode::AllSlots);
    if (db.isBinary()) out += dalmir::model::formatDlb(db.lists(), db.table().size());
    return out;
}

std::optional<std::string> loadedContent(const fs::path& file, std::string& problem) {
    dalmir::model::Database back(1 << 20);
    dalmir::model::OpenReport r = dalmir::model::openDatabase(back, file.string());
    if (r.code != dalmir::model::OpenResult::Ok || !r.whole) {
        problem = file.filename().string() + " does not load whole";
        return std::nullopt;
    }
    back.table().setPath({});  // the same content in any folder
    return contentOf(back);
}

Saver databaseSaver(bool binary) {
    const std::string name = binary ? "games.DLB" : "games.dls";
    auto oldDb = makeDatabase(binary, 600, 1);
    auto newDb = makeDatabase(binary, 650, 2);
    auto oldContent = std::make_shared<std::string>();
    auto newContent = std::make_shared<std::string>();
    Saver s;
    s.name = binary ? "DLB/KIX pair" : "DLS index";
    s.writeOld = [=](const fs::path& dir) {
        (void)dalmir::model::saveDatabase(*oldDb, (dir / name).string());
        if (oldContent->empty()) {
            std::string problem;
            *oldContent = loadedContent(dir / name, problem).value_or("");
        }
    };
    s.save = [=](const fs::path& dir) {
        bool ok =
            dalmir::model::saveDatabase(*newDb, (dir / name).string()) == core::WriteResult::Ok;
        if (ok && newContent->empty()) {
            std::string problem;
            *newContent = loadedContent(dir / name, problem).value_or("");
        }
        return ok;
    };
    s.check = [=](const fs::path& dir) {
        std::string problem;
        std::optional<std::string> content = loadedContent(dir / name, problem);
        if (!content) return problem;
        if (*content != *oldContent && *content != *newContent) {
            return name + " loads as neither version";
        }
        return std::string();
    };
    return s;
}

// ---- exports ----

// dalmir-cli export -o: the rows streamed into the file, which appears only when complete.
std::string exportOf(const dalmir::model::Database& db, const fs::path& file, bool& ok) {
    std::string text;
    core::StreamedFile out;
    ok = !file.empty() && out.open(file.string()) == core::WriteResult::Ok;
    dalmir::model::ExportSink sink = [&](std::string_view bytes) {
        if (file.empty()) {
            text += bytes;
            return true;
        }
        return out.write(bytes);
    };
    dalmir::model::ExportReport r = dalmir::model::exportListedRows(
        db.table(), dalmir::model::ExportFormat::Csv, dalmir::model::ExportMoves::None, sink);
    if (!file.empty()) ok = ok && !r.stopped && out.commit() == core::WriteResult::Ok;
    return text;
}

Saver exportSaver() {
    auto oldDb = makeDatabase(false, 2000, 3);
    auto newDb = makeDatabase(false, 2500, 4);
    bool ignored = false;
    auto oldBytes = std::make_shared<std::string>(exportOf(*oldDb, {}, ignored));
    auto newBytes = std::make_shared<std::string>(exportOf(*newDb, {}, ignored));
    Saver s;
    s.name = "export";
    s.writeOld = [=](const fs::path& dir) {
        bool ok = false;
        (void)exportOf(*oldDb, dir / "games.csv", ok);
    };
    s.save = [=](const fs::path& dir) {
        bool ok = false;
        (void)exportOf(*newDb, dir / "games.csv", ok);
        return ok;
    };
    s.check = [=](const fs::path& dir) {
        return oldOrNew(dir / "games.csv", *oldBytes, *newBytes);
    };
    return s;
}

// Temporary and staged files left in the folder.
std::vector<std::string> leftovers(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::string n = e.path().filename().string();
        if (n.find(".tmp") != std::string::npos || n.ends_with(".new")) out.push_back(n);
    }
    return out;
}

void freshFolder(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
}

// The folder as the old version left it.
void oldVersionIn(const Saver& s, const fs::path& dir) {
    freshFolder(dir);
    fs::copy(s.oldFolder, dir, fs::copy_options::recursive);
}

// The median of a few complete saves: the range the kill delays are drawn from.
Clock::duration measureSave(Saver& s, const fs::path& dir) {
    std::vector<Clock::duration> times;
    for (int i = 0; i < 7; ++i) {
        oldVersionIn(s, dir);
        Clock::time_point start = Clock::now();
        if (!s.save(dir)) {
            std::fprintf(stderr, "crash test: %s cannot save at all\n", s.name.c_str());
            std::exit(2);
        }
        times.push_back(Clock::now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// One run: the old version, a child saving the new one killed after delay, and the checks.
// Returns "" or what went wrong; killedEarly tells whether the child was still saving.
std::string runOnce(Saver& s, const fs::path& dir, Clock::duration delay, bool& killedEarly) {
    oldVersionIn(s, dir);
    int go[2];
    if (::pipe(go) != 0) return "no pipe";
    pid_t pid = ::fork();
    if (pid < 0) return "no fork";
    if (pid == 0) {
        ::close(go[0]);
        (void)!::write(go[1], "g", 1);
        ::_exit(s.save(dir) ? 0 : 1);
    }
    ::close(go[1]);
    char c = 0;
    (void)!::read(go[0], &c, 1);
    ::close(go[0]);
    const Clock::time_point until = Clock::now() + delay;
    while (Clock::now() < until) {
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    killedEarly = WIFSIGNALED(status);
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) return "the save failed by itself";

    std::string problem = s.check(dir);
    if (!problem.empty() || leftovers(dir).empty()) return problem;
    // The next successful save clears what the killed one left.
    if (!s.save(dir)) return "the next save failed";
    if (std::vector<std::string> left = leftovers(dir); !left.empty()) {
        return "the next save left " + left.front();
    }
    return s.check(dir);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 1000;
    uint64_t seed = std::random_device{}();
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--runs") runs = std::atoi(argv[i + 1]);
        if (a == "--seed") seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    std::printf("crash test: seed %llu\n", static_cast<unsigned long long>(seed));
    std::fflush(stdout);

    std::string tmpl = (fs::temp_directory_path() / "tavrel-crash-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) return 2;
    const fs::path root = tmpl;
    const fs::path dir = root / "run";

    std::mt19937 rng(static_cast<std::mt19937::result_type>(seed));
    // Every saver the programs have.
    std::vector<Saver> savers = {recordSaver(rng), environmentSaver(), databaseSaver(false),
                                 databaseSaver(true), exportSaver()};
    for (std::size_t i = 0; i < savers.size(); ++i) {
        Saver& s = savers[i];
        s.oldFolder = root / ("old-" + std::to_string(i));
        freshFolder(s.oldFolder);
        s.writeOld(s.oldFolder);
        s.saveTime = measureSave(s, dir);
    }

    int corrupt = 0;
    std::vector<int> killedMidSave(savers.size(), 0);
    for (int run = 0; run < runs; ++run) {
        Saver& s = savers[static_cast<std::size_t>(run) % savers.size()];
        auto range = std::chrono::duration_cast<std::chrono::nanoseconds>(s.saveTime) * 5 / 4;
        std::uniform_int_distribution<int64_t> pick(0, std::max<int64_t>(range.count(), 1));
        std::chrono::nanoseconds delay(pick(rng));
        bool killedEarly = false;
        std::string problem = runOnce(s, dir, delay, killedEarly);
        if (killedEarly) ++killedMidSave[static_cast<std::size_t>(run) % savers.size()];
        if (!problem.empty()) {
            ++corrupt;
            std::printf("run %d (%s, killed after %lld ns): %s\n", run, s.name.c_str(),
                        static_cast<long long>(delay.count()), problem.c_str());
            if (!fs::exists(root / ("corrupt-" + std::to_string(run)))) {
                std::error_code ec;
                fs::rename(dir, root / ("corrupt-" + std::to_string(run)), ec);
            }
        }
    }
    for (std::size_t i = 0; i < savers.size(); ++i) {
        std::printf(
            "  %s: save takes %lld us, killed mid-save %d times\n", savers[i].name.c_str(),
            static_cast<long long>(
                std::chrono::duration_cast<std::chrono::microseconds>(savers[i].saveTime).count()),
            killedMidSave[i]);
    }
    std::printf("crash test: %d runs, %d corrupt\n", runs, corrupt);
    if (corrupt == 0)
        fs::remove_all(root);
    else
        std::printf("crash test: the corrupt folders are kept in %s\n", root.c_str());
    return corrupt > 0 ? 1 : 0;
}
