// The benchmark corpus on disk (bench/run.sh writes it with make_corpus): where it is and its
// files of one kind.
#pragma once

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern "C" char** environ;

namespace benchcorpus {

// Runs a program (args[0] a path) with the output `silenced` (1 or 2) thrown away and waits for
// it; its wait status, -1 when it could not be started.
inline int runProgram(std::vector<std::string> args, int silenced) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, silenced, "/dev/null", 1, 0);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

// TAVREL_CORPUS, else bench/corpus beside the sources.
inline std::filesystem::path folder() {
    if (const char* env = std::getenv("TAVREL_CORPUS")) return env;
    return std::filesystem::path(TAVREL_SOURCE_DIR) / "bench" / "corpus";
}

// The files of one kind ("kif", "ki2", "csa"), sorted; empty when the corpus is missing.
inline std::vector<std::string> files(const char* kind) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder() / kind, ec)) {
        out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The scale corpus of make_corpus --scale (TAVREL_SCALE_CORPUS; empty when unset) and the folder
// its databases are written to (TAVREL_SCALE_WORK, else "work" beside the corpus).
inline std::string scaleCorpus() {
    const char* v = std::getenv("TAVREL_SCALE_CORPUS");
    return v ? v : "";
}
inline std::filesystem::path scaleWork() {
    const char* w = std::getenv("TAVREL_SCALE_WORK");
    return w && *w ? std::filesystem::path(w)
                   : std::filesystem::path(scaleCorpus()).parent_path() / "work";
}
inline std::string scaleDlbPath() { return (scaleWork() / "scale.DLB").string(); }

// The peak resident memory of this process so far, in MB.
inline double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return 0;
}

// The resident memory of this process now, in MB.
inline double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return 0;
}

// Starts the peak over from the memory resident now, so that a later peakMegabytes is the peak
// of what ran since (a transient peak of opening the database no longer hides it). False where
// the system can't.
inline bool resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace benchcorpus
