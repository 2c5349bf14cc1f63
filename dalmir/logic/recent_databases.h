// The recent-file list of the File menu: at most 16 database paths, most recent first.
#pragma once

#include <string>
#include <vector>

namespace dalmir {

inline constexpr int kRecentDatabaseCount = 16;

class RecentDatabases {
public:
    // Moves path to the front (an entry already there moves up; the oldest beyond 16 drops out).
    // An empty path is ignored.
    void add(const std::string& path);
    void remove(const std::string& path);
    // Replaces the list (as read from storage), dropping empty entries and repeats.
    void assign(const std::vector<std::string>& paths);
    const std::vector<std::string>& entries() const { return m_entries; }

private:
    std::vector<std::string> m_entries;
};

// The menu text of entry index (0-based): "&1 path" .. "&9 path", then "1&0 path" .. "1&6 path".
std::string recentMenuText(int index, const std::string& path);

}  // namespace dalmir
