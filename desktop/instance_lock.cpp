#include "desktop/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace desktop {

InstanceLock::InstanceLock(const QString& product, const QString& folder) {
    QString dir = folder.isEmpty()
                      ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                      : folder;
    if (dir.isEmpty()) dir = QDir::tempPath();
    QDir().mkpath(dir);
    for (int i = 1; i <= kInstanceSlots; ++i) {
        QString path = QDir(dir).filePath(QStringLiteral("%1 Instance%2.lock").arg(product).arg(i));
        int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            m_number = i;
            return;
        }
        ::close(fd);
    }
}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}

}  // namespace desktop
