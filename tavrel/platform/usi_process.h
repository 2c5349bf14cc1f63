// A USI engine program run by the window: a QProcess started with an argument list (no shell) in
// the program's own folder and in a process group of its own, whose output lines, exit and start
// failure feed a UsiEngine session, with a timer for the session's deadlines. Ending the program
// ends its group, so nothing it started stays behind. Owns the process and the session; the
// events sink belongs to the caller and outlives this object.
#pragma once

#include <QObject>
#include <QProcess>
#include <QTimer>
#include <memory>

#include "usi/engine_list.h"
#include "usi/usi_engine.h"

namespace tavrel {

class UsiProcess : public QObject, public usi::UsiLink {
    Q_OBJECT
public:
    UsiProcess(usi::UsiEvents& events, QObject* parent = nullptr, usi::UsiTimeouts timeouts = {});
    // Kills a program still running.
    ~UsiProcess() override;

    // Starts the entry's program with the entry's option values as start options. A failure to
    // start reaches the events as engineFailed with the system's reason.
    void start(const usi::EngineEntry& entry);
    usi::UsiEngine& engine() { return *m_engine; }
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // UsiLink
    void send(std::string_view line) override;
    void kill() override;

private:
    void readLines();
    void endGroup();

    QProcess m_process;
    QTimer m_ticker;
    qint64 m_group = 0;
    std::unique_ptr<usi::UsiEngine> m_engine;
};

}  // namespace tavrel
