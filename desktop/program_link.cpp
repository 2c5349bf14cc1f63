#include "desktop/program_link.h"

#include <unistd.h>

#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include "core/ipc/user_sockets.h"

namespace desktop {

LocalProgramLink::LocalProgramLink(QObject* context, std::function<void(bool)> waiting)
    : m_context(context), m_waiting(std::move(waiting)) {}

bool LocalProgramLink::send(const std::string& serverName, std::string_view line) {
    // Only a server of this user's own is told anything: a socket another user put in the place
    // would receive the request.
    if (serverName.empty()) return false;
    if (serverName.front() == '/' && QFileInfo::exists(QFile::decodeName(serverName.c_str())) &&
        !core::ownedByUser(serverName, currentUserId())) {
        return false;
    }
    // A local connection is taken or refused at once; the short waits never hold the window.
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(serverName));
    if (!socket.waitForConnected(200)) return false;
    socket.write(QByteArray(line.data(), static_cast<qsizetype>(line.size())) + '\n');
    const bool written = socket.waitForBytesWritten(200) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return written;
}

bool LocalProgramLink::start(const std::string& program,
                             const std::vector<std::string>& arguments) {
    if (program.empty()) return false;
    QStringList list;
    for (const std::string& a : arguments) list << QString::fromStdString(a);
    return QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(program)), list);
}

void LocalProgramLink::after(int ms, std::function<void()> then) {
    if (!m_context) return;
    QTimer::singleShot(ms, m_context.data(), std::move(then));
}

void LocalProgramLink::setWaiting(bool waiting) {
    if (m_waiting) m_waiting(waiting);
}

unsigned currentUserId() { return static_cast<unsigned>(getuid()); }

bool isExecutableFile(const std::string& path) {
    const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(path)));
    return info.isFile() && info.isExecutable();
}

}  // namespace desktop
