#include "core/ipc/user_sockets.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace core {

namespace {

// A real folder (not a link) of the user's own that group and others cannot enter.
bool privateFolder(const std::string& path, unsigned userId) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == userId &&
           (st.st_mode & 077) == 0;
}

}  // namespace

std::optional<std::string> userSocketFolder(unsigned userId, const char* runtimeDir,
                                            const std::string& fallbackBase) {
    if (runtimeDir != nullptr && runtimeDir[0] == '/' && privateFolder(runtimeDir, userId)) {
        return std::string(runtimeDir);
    }
    const std::string folder = fallbackBase + "/tavrel-" + std::to_string(userId);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
    if (!privateFolder(folder, userId)) return std::nullopt;
    return folder;
}

bool ownedByUser(const std::string& path, unsigned userId) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && st.st_uid == userId;
}

}  // namespace core
