// Per-user desktop integration of both programs: the MIME package of the record and database
// files and the program's menu entry under the XDG data folder, the desktop shortcut, and the
// desktop's own tools (update-mime-database, update-desktop-database, xdg-mime) run afterwards
// when they are installed. The packaged files under resources/ are the ones written here and the
// ones `cmake --install` puts system-wide.
#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <functional>

namespace desktop {

// What one program registers.
struct DesktopApp {
    QString id;          // "tavrel": the entry "tavrel.desktop" and the icon "tavrel.svg"
    QString executable;  // absolute path of the program the entry starts
};

struct DesktopResult {
    bool ok = true;
    QString failedPath;   // the file or folder that could not be written
    QStringList written;  // the files in place afterwards (none after a failure)
};

// The program's own icon ("tavrel" or "dalmir"), the same vector picture the desktop entry names;
// both programs set it as the application's window icon. A null icon for an unknown id.
QIcon programIcon(const QString& id);

// The per-user data folder: $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
QString xdgDataHome();

// The packaged entry of the program with Exec set to the executable (quoted when needed) and
// "%f", so that the file manager starts it with the opened file as its only argument.
QString desktopEntryText(const DesktopApp& app);
// The MIME types the program's entry opens (its MimeType line).
QStringList desktopEntryMimeTypes(const DesktopApp& app);

// Writes mime/packages/tavrel.xml, applications/<id>.desktop and the icon under dataHome. Every
// target folder is checked first: when one cannot be written nothing is written at all; a write
// failing half-way removes what this call wrote.
DesktopResult installFileAssociations(const DesktopApp& app, const QString& dataHome);
// Writes <id>.desktop into the desktop folder, executable, so that the desktop starts it.
DesktopResult createDesktopShortcut(const DesktopApp& app, const QString& desktopFolder);

// The desktop tools to run after installFileAssociations, each as program and arguments, for the
// programs that `find` locates (find returns the program's path or an empty string).
QList<QStringList> desktopRefreshCommands(const DesktopApp& app, const QString& dataHome,
                                          const std::function<QString(const QString&)>& find);
// Starts each command detached; the window never waits for them.
void startDesktopCommands(const QList<QStringList>& commands);
// installFileAssociations, then (when it wrote everything and runTools is set) the desktop tools
// found on the PATH, started detached: the set-up command of both programs.
DesktopResult registerFileTypes(const DesktopApp& app, const QString& dataHome, bool runTools);

}  // namespace desktop
