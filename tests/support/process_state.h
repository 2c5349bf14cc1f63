// What the tests of engine programs ask of a process they did not start themselves (one the
// scripted engine forked): whether it has gone.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>

namespace testsupport {

// Whether process pid is gone, a zombie waiting for its reaper, or has SIGKILL pending (it dies
// as soon as the kernel gets to it).
inline bool processGone(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    std::string value;
    while (status >> key >> value) {
        if (key == "State:" && (value == "Z" || value == "X")) return true;
        if ((key == "SigPnd:" || key == "ShdPnd:") &&
            (std::strtoull(value.c_str(), nullptr, 16) & (1ULL << (SIGKILL - 1))) != 0) {
            return true;
        }
        std::getline(status, value);
    }
    return !status.eof() || key.empty();
}

// The process id a file holds (0 when it holds none).
inline pid_t pidInFile(const std::string& path) {
    pid_t pid = 0;
    std::ifstream(path) >> pid;
    return pid;
}

}  // namespace testsupport
