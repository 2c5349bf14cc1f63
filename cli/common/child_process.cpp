#include "cli/common/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>

extern char** environ;

namespace cli {

namespace {

constexpr std::size_t kMaxLineBytes = 1 << 20;

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int msUntil(std::int64_t deadline) {
    return static_cast<int>(std::clamp<std::int64_t>(deadline - nowMs(), 0, INT_MAX));
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (m_pid > 0) {
        kill();
        bool crashed = false;
        // The child is being thrown away: how it ended does not matter.
        (void)wait(crashed);
    }
    closeFd(m_in);
    closeFd(m_out);
    closeFd(m_exitFd);
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder, std::string& reason) {
    // A child that stops reading must not end this program with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        reason = std::strerror(errno);
        ::close(toChild[0]);
        ::close(toChild[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> argv;
    std::vector<std::string> args = arguments;
    if (args.empty()) args.push_back(program);
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // A group of its own, and SIGPIPE as the program expects it rather than ignored as here.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int error =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    if (error != 0) {
        reason = std::strerror(error);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        return false;
    }
    m_pid = pid;
    // Without it (an old kernel) the end is looked for every few milliseconds.
    m_exitFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    m_in = toChild[1];
    m_out = fromChild[0];
    m_buffer.clear();
    m_closed = false;
    return true;
}

bool ChildProcess::writeLine(std::string_view line) {
    if (m_in < 0) return false;
    std::string text(line);
    text += '\n';
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(m_in, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

ChildProcess::Read ChildProcess::readLine(std::string& line, int timeoutMs) {
    const std::int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        std::size_t nl = m_buffer.find('\n');
        if (nl != std::string::npos) {
            line = m_buffer.substr(0, nl);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            m_buffer.erase(0, nl + 1);
            return Read::Line;
        }
        // Output that never ends a line is garbage, not a reason to hold ever more of it.
        if (m_closed || m_out < 0 || m_buffer.size() > kMaxLineBytes) {
            if (!m_buffer.empty()) {
                line = std::move(m_buffer);
                m_buffer.clear();
                return Read::Line;
            }
            return Read::Closed;
        }
        pollfd p{m_out, POLLIN, 0};
        const int ready = ::poll(&p, 1, msUntil(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) return Read::Timeout;
        char chunk[4096];
        ssize_t n = ::read(m_out, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_closed = true;
            continue;
        }
        m_buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

void ChildProcess::kill() {
    if (m_pid > 0) ::kill(-m_pid, SIGKILL);
}

bool ChildProcess::waitFor(int timeoutMs, int& exitCode, bool& crashed) {
    crashed = false;
    exitCode = -1;
    if (m_pid <= 0) return false;
    const std::int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        siginfo_t info{};
        // WNOWAIT: the ended child stays unreaped, so its id still names its group.
        if (::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
            if (errno == EINTR) continue;
            m_pid = -1;
            crashed = true;
            return true;
        }
        if (info.si_pid == m_pid) {
            ::kill(-m_pid, SIGKILL);
            exitCode = reap(crashed);
            return true;
        }
        const int left = msUntil(deadline);
        if (left <= 0) return false;
        if (m_exitFd >= 0) {
            pollfd p{m_exitFd, POLLIN, 0};
            // Woken early or late alike: the loop measures the time left.
            (void)::poll(&p, 1, left);
        } else {
            // A short pause; the loop measures the time left.
            (void)::poll(nullptr, 0, std::min(left, 10));
        }
    }
}

int ChildProcess::wait(bool& crashed) {
    crashed = false;
    if (m_pid <= 0) return -1;
    closeFd(m_in);
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOWAIT) != 0 &&
           errno == EINTR) {
    }
    ::kill(-m_pid, SIGKILL);
    return reap(crashed);
}

int ChildProcess::reap(bool& crashed) {
    crashed = false;
    closeFd(m_in);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    closeFd(m_exitFd);
    if (WIFSIGNALED(status)) {
        crashed = true;
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace cli
