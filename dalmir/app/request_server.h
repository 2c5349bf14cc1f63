// The per-user local socket on which the viewer's requests arrive (open the most recent
// database, search the position on the clipboard, register a record file).
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include "core/ipc/database_request.h"

namespace dalmir {

class RequestServer : public QObject {
    Q_OBJECT
public:
    explicit RequestServer(QObject* parent = nullptr);

    // Listens on name (the user's server name when empty); a stale socket left by a copy that
    // ended is removed first. False when another copy already listens.
    bool listen(const QString& name = {});
    QString serverName() const { return m_server.serverName(); }
    static QString userServerName();

Q_SIGNALS:
    // Emitted from the event loop after the request's line was read, never inside the socket's
    // handler: a receiver may open a modal dialog.
    void requested(core::DatabaseRequest request);

private:
    void accept();
    QLocalServer m_server;
};

}  // namespace dalmir
