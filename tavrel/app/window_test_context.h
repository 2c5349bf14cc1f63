// The context a widget test makes its MainWindow with: the test's own settings, record store and
// program folder, no recent-file profile, messages recorded instead of shown.
#pragma once

#include <QTemporaryDir>

#include "tavrel/app/main_window.h"

namespace tavrel {

inline AppContext quietTestContext(Settings& settings, core::RecordStore& store,
                                   const QTemporaryDir& folder, bool folderWritable = false) {
    AppContext c;
    c.settings = &settings;
    c.store = &store;
    c.programFolder = folder.path() + QStringLiteral("/");
    c.folderWritable = folderWritable;
    c.profileName.clear();
    c.quiet = true;
    return c;
}

}  // namespace tavrel
