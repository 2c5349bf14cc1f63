// The recent-file list in the per-user profile: an INI file of the organisation "VESK", section
// "MRU", values "No." (the count) and "file0".."file9" holding the paths.
#pragma once

#include <QString>

#include "viewer/logic/recent_file_list.h"

namespace viewer {

// organisation "VESK", application product (the INI file "VESK/<product>.ini").
void loadRecentFiles(RecentFileList& list, const QString& product);
void saveRecentFiles(const RecentFileList& list, const QString& product);

}  // namespace viewer
