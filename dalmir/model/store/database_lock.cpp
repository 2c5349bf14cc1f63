#include "dalmir/model/store/database_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

#include "core/base/path_text.h"
#include "dalmir/model/store/binary_store.h"
#include "dalmir/model/store/database.h"

namespace dalmir::model {

namespace {

// The path with its symbolic links followed as far as they exist.
std::string resolved(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

}  // namespace

DatabaseLock::DatabaseLock(DatabaseLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_owner(other.m_owner), m_path(std::move(other.m_path)) {
    other.m_path.clear();
}

DatabaseLock& DatabaseLock::operator=(DatabaseLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_owner = other.m_owner;
        m_path = std::move(other.m_path);
        other.m_path.clear();
    }
    return *this;
}

void DatabaseLock::release() {
    if (m_fd >= 0) {
        // The lock file goes while the lock is still held, so no one finds it afterwards; one
        // waiting on it then sees that it was removed and locks the new file (lockDatabase).
        // A child that inherited the descriptor only lets go of it.
        if (m_owner == ::getpid()) (void)::unlink(m_path.c_str());
        ::close(m_fd);  // closing the only descriptor drops the flock
    }
    m_fd = -1;
    m_path.clear();
}

std::string lockPathOf(std::string_view fsPath) {
    if (databaseKindOf(fsPath) != DatabaseKind::Binary)
        return resolved(std::string(fsPath)) + ".lock";
    std::string dlb = resolved(existingPairPath(fsPath, "DLB"));
    return std::string(core::withoutExtension(dlb)) + ".dlb.lock";
}

LockResult lockDatabase(const std::string& fsPath, DatabaseLock& lock, bool wait,
                        const std::function<void()>& waiting) {
    lock.release();
    const std::string path = lockPathOf(fsPath);
    bool told = false;
    for (;;) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            // Another user's lock file in a shared folder: flock needs no write access.
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        }
        if (fd < 0) return LockResult::CannotCreate;
        int r = ::flock(fd, LOCK_EX | LOCK_NB);
        if (r != 0 && errno == EWOULDBLOCK) {
            if (!wait) {
                ::close(fd);
                return LockResult::Busy;
            }
            if (waiting && !told) waiting();
            told = true;
            do {
                r = ::flock(fd, LOCK_EX);
            } while (r != 0 && errno == EINTR);
        }
        if (r != 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return LockResult::CannotCreate;
        }
        // The holder before removed the file as it let go: a lock on that file locks nothing
        // anyone else sees. The file now at the path (or a new one) is locked instead.
        struct stat locked {};
        struct stat current {};
        if (::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &current) == 0 &&
            locked.st_dev == current.st_dev && locked.st_ino == current.st_ino) {
            lock.m_fd = fd;
            lock.m_owner = ::getpid();
            lock.m_path = path;
            return LockResult::Ok;
        }
        ::close(fd);
    }
}

}  // namespace dalmir::model
