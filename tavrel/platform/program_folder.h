// Where the viewer keeps its environment file and the small files beside it: the XDG settings
// place ($XDG_CONFIG_HOME/tavrel), or the executable's folder in the portable mode. The first
// start there copies what an older version kept beside the executable or in its data folder.
// When the place cannot be written, nothing is ever written there (the read-only medium rule).
#pragma once

#include <QString>

namespace tavrel {

struct ProgramFolder {
    QString path;           // ends with '/'
    bool writable = false;  // false: nothing is ever written there
    bool portable = false;
};

// The settings folder of the running program; portable: the option "--portable" was given.
ProgramFolder programFolder(bool portable);

// The executable's folder (ending with '/'): the help and the programs beside it.
QString executableFolder();

}  // namespace tavrel
