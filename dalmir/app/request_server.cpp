#include "dalmir/app/request_server.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <vector>

#include "core/ipc/user_sockets.h"

namespace dalmir {

namespace {

// A request line is a few bytes; anything longer is not a request.
constexpr qint64 kMaxLine = 64;

}  // namespace

RequestServer::RequestServer(QObject* parent) : QObject(parent) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &RequestServer::accept);
}

QString RequestServer::userServerName() {
    return QString::fromStdString(core::databaseServerName(static_cast<unsigned>(getuid())));
}

bool RequestServer::listen(const QString& name) {
    const QString serverName = name.isEmpty() ? userServerName() : name;
    // No safe folder for the user's sockets, or another user's socket in the place: stay silent
    // rather than answer (or take over) someone else's name.
    if (serverName.isEmpty()) return false;
    const std::string path = QFile::encodeName(serverName).toStdString();
    if (serverName.startsWith(QLatin1Char('/')) && QFileInfo::exists(serverName) &&
        !core::ownedByUser(path, static_cast<unsigned>(getuid()))) {
        return false;
    }
    // Listening would take the name over from a copy that listens already: ask first. A socket
    // file nobody answers on is left from a copy that ended and is removed. The connection is
    // local: it is taken or refused at once.
    QLocalSocket probe;
    probe.connectToServer(serverName);
    if (probe.waitForConnected(200)) return false;
    QLocalServer::removeServer(serverName);
    return m_server.listen(serverName);
}

void RequestServer::accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            std::vector<core::DatabaseRequest> requests;
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(kMaxLine);
                if (auto request = core::parseRequestLine(line.toStdString())) {
                    requests.push_back(*request);
                }
            }
            if (socket->bytesAvailable() > kMaxLine) socket->abort();
            // A request may open a modal dialog, whose event loop can delete this socket (its
            // client hangs up): the requests go out from the event loop, after the socket's
            // handler has let go of it, whatever connection the receiver chose.
            for (const core::DatabaseRequest request : requests) {
                QMetaObject::invokeMethod(
                    this, [this, request] { Q_EMIT requested(request); }, Qt::QueuedConnection);
            }
        });
    }
}

}  // namespace dalmir
