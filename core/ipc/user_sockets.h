// Where a user's programs put the local sockets they answer on: a folder only that user can
// enter, so no other user can take a program's name first (and receive its requests) or send it
// requests. The folder is $XDG_RUNTIME_DIR when that is safe, else a folder of the user's own
// under the temporary folder, made for it.
#pragma once

#include <optional>
#include <string>

namespace core {

// The user's socket folder: runtimeDir (the value of XDG_RUNTIME_DIR; null or empty when unset)
// when it is an absolute path to a folder owned by userId that others cannot enter, else
// fallbackBase + "/tavrel-<userId>", created 0700 when missing. nullopt when that folder is not
// a real folder of the user's own with no access for others (someone else made it first).
std::optional<std::string> userSocketFolder(unsigned userId, const char* runtimeDir,
                                            const std::string& fallbackBase = "/tmp");

// Whether path (not followed when it is a link) belongs to userId. False when it is missing.
bool ownedByUser(const std::string& path, unsigned userId);

}  // namespace core
