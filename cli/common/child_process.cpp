#include "cli/common/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

extern char** environ;

namespace cli {

namespace {

constexpr std::size_t kMaxLineBytes = 1 << 20;

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
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
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
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
        const int ready = ::poll(&p, 1, timeoutMs);
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
    if (m_pid > 0) ::kill(m_pid, SIGKILL);
}

int ChildProcess::wait(bool& crashed) {
    crashed = false;
    if (m_pid <= 0) return -1;
    closeFd(m_in);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    closeFd(m_out);
    if (WIFSIGNALED(status)) {
        crashed = true;
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace cli
