// Reaching other programs for real: the per-user local servers of Dalmir and Pellam, programs
// started detached, and the waits between looks as timers on the window's thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ipc/program_link.h"

namespace desktop {

class LocalProgramLink : public core::ProgramLink {
public:
    // Timers are bound to `context`: they never fire after it was destroyed.
    explicit LocalProgramLink(QObject* context, std::function<void(bool)> waiting = {});
    bool send(const std::string& serverName, std::string_view line) override;
    bool start(const std::string& program, const std::vector<std::string>& arguments) override;
    void after(int ms, std::function<void()> then) override;
    void setWaiting(bool waiting) override;

private:
    QPointer<QObject> m_context;
    std::function<void(bool)> m_waiting;
};

// The user's id, for the server names.
unsigned currentUserId();
// Whether path (file system's bytes) is an executable file.
bool isExecutableFile(const std::string& path);

}  // namespace desktop
