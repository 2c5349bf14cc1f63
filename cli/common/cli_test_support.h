// Running the built command-line programs from tests: arguments in, exit code and both output
// streams out.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace cli {

struct RunReport {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Reads a whole file (the captured output) into a string.
inline std::string slurp(const std::string& path) {
    std::string data;
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return data;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        data.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return data;
}

// Runs TAVREL_CLI_DIR/program with args; stdin is empty.
inline RunReport runProgram(const std::string& program, const std::vector<std::string>& args) {
    std::string exe = std::string(TAVREL_CLI_DIR) + "/" + program;
    std::string outPath = "/tmp/tavrel-cli-out-" + std::to_string(::getpid());
    std::string errPath = "/tmp/tavrel-cli-err-" + std::to_string(::getpid());
    std::vector<char*> argv;
    argv.push_back(exe.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    RunReport r;
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = slurp(outPath);
    r.err = slurp(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return r;
}

}  // namespace cli
