// The recent-file list: at most ten full paths, most recent first, and the texts the File menu
// shows for them. Storage is the platform's business; this is the list and its rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

inline constexpr int kRecentFileCount = 10;
inline constexpr std::size_t kRecentPathBytes = 511;
// Paths of this many bytes or more are shortened in the menu.
inline constexpr std::size_t kRecentShortenBytes = 40;

class RecentFileList {
public:
    // Moves path to the top (an existing entry moves up, otherwise the others shift down and the
    // oldest beyond ten drops out). Empty paths and paths longer than kRecentPathBytes are not
    // kept.
    void add(const std::string& path);
    // Replaces the entries (as read from storage), dropping empty ones and keeping at most ten.
    void assign(const std::vector<std::string>& paths);
    void remove(const std::string& path);
    const std::vector<std::string>& entries() const { return m_entries; }
    int count() const { return static_cast<int>(m_entries.size()); }

private:
    std::vector<std::string> m_entries;
};

// The path as the menu shows it: whole when shorter than 40 bytes, else "<folders>/.../<file>"
// with folders dropped from the end until the text is shorter than 40 bytes, else the file name.
std::string shortenedPath(std::string_view path);

// "&1 <path>" .. "&9 <path>", "&0 <path>" for the tenth (index 0..9).
std::string recentMenuText(int index, std::string_view path);

}  // namespace tavrel
