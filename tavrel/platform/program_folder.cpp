#include "tavrel/platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tavrel {

namespace {

QString withSlash(QString p) {
    if (!p.endsWith(QLatin1Char('/'))) p += QLatin1Char('/');
    return p;
}

// Whether a file can be created in the folder (a probe, not the permission bits).
bool canCreateIn(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tavrel-probe-XXXXXX")));
    return probe.open();
}

}  // namespace

ProgramFolder chooseProgramFolder(const QString& exeFolder, const QString& dataFolder) {
    if (canCreateIn(exeFolder)) return {withSlash(exeFolder), true};
    if (!dataFolder.isEmpty()) {
        QDir().mkpath(dataFolder);
        if (canCreateIn(dataFolder)) return {withSlash(dataFolder), true};
    }
    return {withSlash(exeFolder), false};
}

ProgramFolder programFolder() {
    return chooseProgramFolder(QCoreApplication::applicationDirPath(),
                               QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

}  // namespace tavrel
