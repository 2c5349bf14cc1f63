// Where a program keeps its settings and its per-user data: the XDG places
// ($XDG_CONFIG_HOME/<program>, $XDG_DATA_HOME/<program>), or the executable's own folder in the
// portable mode (the option "--portable", or a file "portable" beside the executable). Files
// found in a place an older version used are copied over once, so nobody loses settings.
#pragma once

#include <QString>
#include <QStringList>

namespace desktop {

inline constexpr const char* kPortableOption = "--portable";
inline constexpr const char* kPortableMarker = "portable";

struct SettingsPlaces {
    QString configFolder;  // ends with '/'
    QString dataFolder;    // ends with '/'
    bool portable = false;
    // false: the folder could not be created or written; nothing is ever written there.
    bool writable = false;
};

// program: the lower-case folder name ("tavrel"); exeFolder: the executable's folder;
// configHome, dataHome: $XDG_CONFIG_HOME and $XDG_DATA_HOME (or their defaults). The folders are
// created when they do not exist yet.
SettingsPlaces chooseSettingsPlaces(const QString& program, const QString& exeFolder,
                                    const QString& configHome, const QString& dataHome,
                                    bool portableOption);
// The same for the running program, from QStandardPaths.
SettingsPlaces settingsPlaces(const QString& program, bool portableOption);

// Removes every "--portable" from arguments; true when there was one.
bool takePortableOption(QStringList& arguments);

// When folder holds no file that matches nameFilters, copies the matching files of the first
// old folder that has any (never replacing a file). Returns how many files were copied.
int copyFromOldPlace(const QString& folder, const QStringList& oldFolders,
                     const QStringList& nameFilters);

// Copies the settings file an older version wrote (oldFile) to newFile when newFile does not
// exist yet. True when it copied.
bool copyOldSettingsFile(const QString& oldFile, const QString& newFile);

}  // namespace desktop
