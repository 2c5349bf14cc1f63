#include "tavrel/platform/usi_process.h"

#include <signal.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFileInfo>

#include "core/text/sjis.h"

namespace tavrel {

namespace {

std::int64_t monotonicMs() {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

constexpr int kTickMs = 100;
constexpr qint64 kMaxLineBytes = 1 << 20;

}  // namespace

UsiProcess::UsiProcess(usi::UsiEvents& events, QObject* parent, usi::UsiTimeouts timeouts)
    : QObject(parent),
      m_engine(std::make_unique<usi::UsiEngine>(*this, events, monotonicMs, timeouts)) {
    m_ticker.setInterval(kTickMs);
    connect(&m_ticker, &QTimer::timeout, this, [this] { m_engine->tick(); });
    connect(&m_process, &QProcess::started, this, [this] {
        m_group = m_process.processId();
        m_ticker.start();
        m_engine->start();
    });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &UsiProcess::readLines);

    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        m_ticker.stop();
        m_engine->startFailed(std::string(m_process.errorString().toStdString()));
    });
    connect(&m_process, &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                readLines();
                m_ticker.stop();
                // What the program started ends with it.
                endGroup();
                m_engine->exited(exitCode, status == QProcess::CrashExit);
            });
}

UsiProcess::~UsiProcess() {
    // The session's events go to objects that may be gone by now.
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        endGroup();
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void UsiProcess::start(const usi::EngineEntry& entry) {
    m_engine->setStartOptions(entry.options);
    const QString program = QString::fromStdString(entry.path);
    m_process.setProgram(QFileInfo(program).absoluteFilePath());
    m_process.setArguments({});
    m_process.setWorkingDirectory(QFileInfo(program).absolutePath());
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    // Without a group of its own the engine is still ended, alone.
    m_process.setChildProcessModifier([] { (void)::setpgid(0, 0); });
    m_process.start(QIODevice::ReadWrite);
}

void UsiProcess::send(std::string_view line) {
    if (m_process.state() != QProcess::Running) return;
    if (m_traffic) m_traffic(true, line);
    QByteArray bytes(line.data(), static_cast<qsizetype>(line.size()));
    bytes += '\n';
    m_process.write(bytes);
}

UsiProcess::Traffic engineLogTraffic(std::shared_ptr<EngineLog> log, std::string engineName) {
    return [log = std::move(log), name = std::move(engineName)](bool sent, std::string_view line) {
        log->add(name, sent ? EngineTraffic::Sent : EngineTraffic::Received, line);
    };
}

void UsiProcess::kill() {
    if (m_process.state() == QProcess::NotRunning) return;
    endGroup();
    m_process.kill();
}

void UsiProcess::endGroup() {
    // Asked once, when the program is ended or has just ended, so the id is still its own.
    if (m_group > 0) ::kill(static_cast<pid_t>(-m_group), SIGKILL);
    m_group = 0;
}

void UsiProcess::readLines() {
    while (m_process.canReadLine()) {
        const QByteArray line = m_process.readLine();
        const std::string_view text(line.constData(), static_cast<std::size_t>(line.size()));
        if (m_traffic) m_traffic(false, text);
        m_engine->receive(text);
    }
    // Output that never ends a line is garbage, not a reason to hold ever more of it.
    if (m_process.bytesAvailable() > kMaxLineBytes) {
        const QByteArray junk = m_process.readAll();
        const std::string_view text(junk.constData(), static_cast<std::size_t>(junk.size()));
        if (m_traffic) m_traffic(false, text);
        m_engine->receive(text);
    }
}

}  // namespace tavrel
