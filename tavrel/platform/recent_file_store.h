// The recent-file list in the per-user profile: an INI file of the organisation "VESK", section
// "MRU", values "No." (the count) and "file0".."file9" holding the paths.
#pragma once

#include <QString>

#include "tavrel/logic/document/recent_file_list.h"

namespace tavrel {

// organisation "VESK", application product (the INI file "VESK/<product>.ini").
void loadRecentFiles(RecentFileList& list, const QString& product);
void saveRecentFiles(const RecentFileList& list, const QString& product);

}  // namespace tavrel
