// Where the viewer keeps its environment file and the small files beside it: the executable's
// folder when it is writable, else the per-user data folder. When neither can be written, the
// files are read from the executable's folder and never written (the read-only medium rule).
#pragma once

#include <QString>

namespace tavrel {

struct ProgramFolder {
    QString path;           // ends with '/'
    bool writable = false;  // false: nothing is ever written there
};

// exeFolder: the running executable's folder; dataFolder: the per-user data folder (both
// without trailing '/'). The data folder is created when the executable's one is not writable.
ProgramFolder chooseProgramFolder(const QString& exeFolder, const QString& dataFolder);
// The same for the running program (QCoreApplication and QStandardPaths::AppDataLocation).
ProgramFolder programFolder();

}  // namespace tavrel
