#include "tavrel/platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QStringList>

#include "desktop/settings_places.h"

namespace tavrel {

ProgramFolder programFolder(bool portable) {
    const desktop::SettingsPlaces places =
        desktop::settingsPlaces(QStringLiteral("tavrel"), portable);
    if (!places.portable && places.writable) {
        // Where older versions wrote: beside the executable when it could, else the data folder.
        const QStringList old{QCoreApplication::applicationDirPath(),
                              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)};
        desktop::copyFromOldPlace(places.configFolder, old,
                                  {QStringLiteral("*.env"), QStringLiteral("*.ENV"),
                                   QStringLiteral("*.his"), QStringLiteral("*.txt")});
    }
    return {places.configFolder, places.writable, places.portable};
}

QString executableFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty()) folder = QDir::currentPath();
    return folder + QLatin1Char('/');
}

}  // namespace tavrel
