// The exclusive lock on one stored database, held while a program changes and saves it:
// dalmir-cli from loading to saving, so that two writers never both load, change and save one
// file, the later one dropping the earlier one's work; a window while it saves (it checks then
// that nobody changed the file since it read it). It is an flock on a lock file beside the
// database, removed when the lock is let go; readers never take it (saves replace files by
// renames).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace dalmir::model {

enum class [[nodiscard]] LockResult : int{
    Ok = 0,
    CannotCreate = -1,  // the lock file can't be created or opened (errno tells why)
    Busy = 1,           // another program holds the lock and waiting was not asked for
};

// Holds the lock until destroyed or released. Move-only.
class DatabaseLock {
public:
    DatabaseLock() = default;
    ~DatabaseLock() { release(); }
    DatabaseLock(DatabaseLock&& other) noexcept;
    DatabaseLock& operator=(DatabaseLock&& other) noexcept;
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    bool isHeld() const { return m_fd >= 0; }
    // The lock file (file-system path); empty when nothing is held. Releasing removes it.
    const std::string& path() const { return m_path; }
    void release();

private:
    friend LockResult lockDatabase(const std::string&, DatabaseLock&, bool,
                                   const std::function<void()>&);
    int m_fd = -1;
    int m_owner = 0;  // the process that took the lock (and removes its file)
    std::string m_path;
};

// The lock file of the database at fsPath: the text database's path with ".lock" added, or for
// a binary pair the path without its extension and ".dlb.lock", so that opening the DLB or the
// KIX takes the same lock. Symbolic links to the database are followed first.
std::string lockPathOf(std::string_view fsPath);

// Takes the lock of the database at fsPath into lock (releasing what lock held). When another
// program holds it: with wait, calls waiting once and blocks until it is free; without, gives
// Busy at once. A GUI must not wait: it asks again from a timer.
LockResult lockDatabase(const std::string& fsPath, DatabaseLock& lock, bool wait,
                        const std::function<void()>& waiting = {});

}  // namespace dalmir::model
