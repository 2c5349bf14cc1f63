// A program run by the command-line tools as a child with pipes to its standard input and output
// (posix_spawn, no shell): lines written to it, lines read back with a timeout, its exit. The
// child leads a process group of its own, so that ending it ends whatever it started too. The
// window runs programs through QProcess instead; this one needs no Qt. One thread owns it.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace cli {

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Kills a child still running (with its group) and waits for it.
    ~ChildProcess();

    // Starts program with arguments (argument 0 is the program) in folder (empty: the current
    // one), in a new process group; its standard error goes to /dev/null. False with the
    // system's reason when it cannot be started.
    bool start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& folder, std::string& reason);

    // Writes line and a line end; false when the child no longer reads.
    bool writeLine(std::string_view line);

    enum class Read { Line, Timeout, Closed };
    // The next line the child printed (without its line end), waiting at most timeoutMs from the
    // call, however the output trickles in. Closed when the child closed its output and no whole
    // line is left (a last unfinished line is still given).
    Read readLine(std::string& line, int timeoutMs);

    // Ends the child and every process of its group with SIGKILL.
    void kill();
    // Waits at most timeoutMs for the child's end. When it has ended: ends what is left of its
    // process group, sets exitCode (or crashed for a signal) and gives true. What it printed
    // can still be read.
    bool waitFor(int timeoutMs, int& exitCode, bool& crashed);
    // Waits for the child's end as long as it takes: its exit code, or -1 with crashed set for
    // a signal. Kill first when the child may not end by itself.
    int wait(bool& crashed);
    bool running() const { return m_pid > 0; }
    // The process (and group) id; -1 when none runs.
    pid_t pid() const { return m_pid; }

private:
    int reap(bool& crashed);

    pid_t m_pid = -1;
    int m_exitFd = -1;  // readable once the child has ended
    int m_in = -1;
    int m_out = -1;
    std::string m_buffer;
    bool m_closed = false;
};

}  // namespace cli
