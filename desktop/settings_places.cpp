#include "desktop/settings_places.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace desktop {

namespace {

QString withSlash(QString p) {
    if (!p.endsWith(QLatin1Char('/'))) p += QLatin1Char('/');
    return p;
}

// Whether a file can be created in the folder (a probe, not the permission bits).
bool canCreateIn(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".settings-probe-XXXXXX")));
    return probe.open();
}

QStringList matchingFiles(const QString& folder, const QStringList& nameFilters) {
    if (folder.isEmpty()) return {};
    return QDir(folder).entryList(nameFilters, QDir::Files | QDir::Readable, QDir::Name);
}

}  // namespace

SettingsPlaces chooseSettingsPlaces(const QString& program, const QString& exeFolder,
                                    const QString& configHome, const QString& dataHome,
                                    bool portableOption) {
    SettingsPlaces p;
    p.portable = portableOption ||
                 QFileInfo::exists(QDir(exeFolder).filePath(QString::fromLatin1(kPortableMarker)));
    if (p.portable) {
        p.configFolder = p.dataFolder = withSlash(exeFolder);
        p.writable = canCreateIn(exeFolder);
        return p;
    }
    p.configFolder = withSlash(configHome) + program + QLatin1Char('/');
    p.dataFolder = withSlash(dataHome) + program + QLatin1Char('/');
    QDir().mkpath(p.configFolder);
    QDir().mkpath(p.dataFolder);
    p.writable = !configHome.isEmpty() && !dataHome.isEmpty() && canCreateIn(p.configFolder) &&
                 canCreateIn(p.dataFolder);
    return p;
}

SettingsPlaces settingsPlaces(const QString& program, bool portableOption) {
    QString exe = QCoreApplication::applicationDirPath();
    if (exe.isEmpty()) exe = QDir::currentPath();
    return chooseSettingsPlaces(
        program, exe, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation), portableOption);
}

bool takePortableOption(QStringList& arguments) {
    return arguments.removeAll(QString::fromLatin1(kPortableOption)) > 0;
}

int copyFromOldPlace(const QString& folder, const QStringList& oldFolders,
                     const QStringList& nameFilters) {
    if (!matchingFiles(folder, nameFilters).isEmpty()) return 0;
    const QString target = QFileInfo(folder).canonicalFilePath();
    for (const QString& old : oldFolders) {
        if (old.isEmpty() || QFileInfo(old).canonicalFilePath() == target) continue;
        const QStringList names = matchingFiles(old, nameFilters);
        if (names.isEmpty()) continue;
        int copied = 0;
        for (const QString& name : names) {
            const QString to = QDir(folder).filePath(name);
            if (!QFileInfo::exists(to) && QFile::copy(QDir(old).filePath(name), to)) ++copied;
        }
        return copied;
    }
    return 0;
}

bool copyOldSettingsFile(const QString& oldFile, const QString& newFile) {
    if (oldFile.isEmpty() || QFileInfo::exists(newFile) || !QFileInfo(oldFile).isFile()) {
        return false;
    }
    return QFile::copy(oldFile, newFile);
}

}  // namespace desktop
