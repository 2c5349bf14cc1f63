#include "tavrel/logic/document/recent_file_list.h"

#include <algorithm>

namespace tavrel {

void RecentFileList::add(const std::string& path) {
    if (path.empty() || path.size() > kRecentPathBytes) return;
    remove(path);
    // Newest first: appended, then turned to the front.
    m_entries.push_back(path);
    std::rotate(m_entries.rbegin(), m_entries.rbegin() + 1, m_entries.rend());
    if (m_entries.size() > static_cast<std::size_t>(kRecentFileCount)) {
        m_entries.resize(kRecentFileCount);
    }
}

void RecentFileList::assign(const std::vector<std::string>& paths) {
    m_entries.clear();
    for (const std::string& p : paths) {
        if (p.empty() || p.size() > kRecentPathBytes) continue;
        if (std::find(m_entries.begin(), m_entries.end(), p) != m_entries.end()) continue;
        m_entries.push_back(p);
        if (m_entries.size() == static_cast<std::size_t>(kRecentFileCount)) break;
    }
}

void RecentFileList::remove(const std::string& path) {
    m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), path), m_entries.end());
}

std::string shortenedPath(std::string_view path) {
    if (path.size() < kRecentShortenBytes) return std::string(path);
    std::size_t lastSep = path.rfind('/');
    if (lastSep == std::string_view::npos) return std::string(path);
    std::string_view fileName = path.substr(lastSep + 1);
    // Candidate folder prefixes end just before a separator, longest first; the prefix ending at
    // the last separator is the whole path and was already too long.
    std::size_t end = lastSep;
    while (end != std::string_view::npos && end > 0) {
        std::size_t sep = path.rfind('/', end - 1);
        if (sep == std::string_view::npos || sep == 0) break;
        std::string text = std::string(path.substr(0, sep)) + "/.../" + std::string(fileName);
        if (text.size() < kRecentShortenBytes) return text;
        end = sep;
    }
    return std::string(fileName);
}

std::string recentMenuText(int index, std::string_view path) {
    int digit = (index + 1) % 10;
    std::string text = "&";
    text += std::to_string(digit);
    text += ' ';
    text += shortenedPath(path);
    return text;
}

}  // namespace tavrel
