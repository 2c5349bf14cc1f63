// The seam through which a program reaches another one: a request line to a per-user local
// server, a detached start, and waits on the caller's timer. The desktop library implements it
// over local sockets and QProcess; tests use scripted fakes.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// What a program needs from the system to reach another program.
class ProgramLink {
public:
    virtual ~ProgramLink() = default;
    // Connects to the local server `serverName` and hands it one request line; false when no
    // server answers there.
    virtual bool send(const std::string& serverName, std::string_view line) = 0;
    // Starts program (file system's bytes) with arguments (UTF-8) detached; false when it could
    // not be started.
    virtual bool start(const std::string& program, const std::vector<std::string>& arguments) = 0;
    // Calls `then` once, after `ms` milliseconds, on the caller's thread.
    virtual void after(int ms, std::function<void()> then) = 0;
    // The wait cursor while a started program is looked for.
    virtual void setWaiting(bool) {}
};

}  // namespace core
