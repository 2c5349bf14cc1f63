// The recent-file list in the per-user profile: an INI file of the organisation "VESK", section
// "MRU", values "No." (the count) and "file0".."file9" holding the paths; and the tree pane's
// sources.
#pragma once

#include <QString>
#include <string>

#include "tavrel/logic/document/recent_file_list.h"

namespace tavrel {

// organisation "VESK", application product (the INI file "VESK/<product>.ini").
void loadRecentFiles(RecentFileList& list, const QString& product);
void saveRecentFiles(const RecentFileList& list, const QString& product);

// The tree pane's sources in the same profile, section "Tree" (file-system paths, empty for
// none): the database and the book it showed when the program last closed.
struct TreeSourcePaths {
    std::string database;
    std::string book;
};
TreeSourcePaths loadTreeSources(const QString& product);
void saveTreeSources(const TreeSourcePaths& paths, const QString& product);

}  // namespace tavrel
