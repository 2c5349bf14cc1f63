#include "dalmir/logic/recent_databases.h"

#include <algorithm>

namespace dalmir {

void RecentDatabases::add(const std::string& fsPath) {
    // A copy: the path may be one of the entries, which removing it would free.
    const std::string path = fsPath;
    if (path.empty()) return;
    remove(path);
    m_entries.insert(m_entries.begin(), path);
    if (m_entries.size() > kRecentDatabaseCount) m_entries.resize(kRecentDatabaseCount);
}

void RecentDatabases::remove(const std::string& path) {
    m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), path), m_entries.end());
}

void RecentDatabases::assign(const std::vector<std::string>& paths) {
    m_entries.clear();
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) add(*it);
}

std::string recentMenuText(int index, const std::string& path) {
    const std::string n = std::to_string(index + 1);
    std::string out = n.size() == 1 ? "&" + n : n.substr(0, 1) + "&" + n.substr(1);
    return out + " " + path;
}

}  // namespace dalmir
