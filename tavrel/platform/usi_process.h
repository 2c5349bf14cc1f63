// A USI engine program run by the window: a QProcess started with an argument list (no shell) in
// the program's own folder and in a process group of its own, whose output lines, exit and start
// failure feed a UsiEngine session, with a timer for the session's deadlines. Ending the program
// ends its group, so nothing it started stays behind. Owns the process and the session; the
// events sink belongs to the caller and outlives this object.
#pragma once

#include <QObject>
#include <QProcess>
#include <QTimer>
#include <functional>
#include <memory>
#include <string_view>

#include "tavrel/logic/play/engine_log.h"
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
    // Hears every line sent to the program (sent true) and every line it printed, before the
    // session reads it: the window's engine log.
    using Traffic = std::function<void(bool sent, std::string_view line)>;
    void setTraffic(Traffic traffic) { m_traffic = std::move(traffic); }
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
    Traffic m_traffic;
};

// The traffic of the named engine (UTF-8), into the log, which the process shares.
UsiProcess::Traffic engineLogTraffic(std::shared_ptr<EngineLog> log, std::string engineName);

}  // namespace tavrel
