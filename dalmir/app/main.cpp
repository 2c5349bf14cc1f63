// Dalmir: instance number, program and data folders, settings, command line, main window.

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPrinter>
#include <QSettings>
#include <QStandardPaths>

#include "core/ipc/open_database.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/request_server.h"
#include "desktop/desktop_integration.h"
#include "desktop/instance_lock.h"
#include "desktop/language.h"
#include "desktop/settings_places.h"

namespace {

dalmir::SettingsStore qsettingsStore(QSettings& settings) {
    return {[&settings](const std::string& key) -> std::optional<std::string> {
                const QVariant v = settings.value(QString::fromStdString(key));
                if (!v.isValid()) return std::nullopt;
                return v.toString().toStdString();
            },
            [&settings](const std::string& key, const std::string& value) {
                settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
            }};
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VESK"));
    QApplication::setApplicationName(QStringLiteral("Dalmir"));
    QApplication::setWindowIcon(desktop::programIcon(QStringLiteral("dalmir")));

    desktop::InstanceLock instance(QStringLiteral("Dalmir"));

    QString programFolder = QApplication::applicationDirPath();
    if (programFolder.isEmpty()) programFolder = QDir::currentPath();
    QStringList arguments = QApplication::arguments().mid(1);
    const desktop::SettingsPlaces places =
        desktop::settingsPlaces(QStringLiteral("dalmir"), desktop::takePortableOption(arguments));
    if (!places.portable && places.writable) {
        // Where older versions kept the profile and the error log.
        desktop::copyOldSettingsFile(
            QSettings(QStringLiteral("VESK"), QStringLiteral("Dalmir")).fileName(),
            places.configFolder + QStringLiteral("dalmir.conf"));
        desktop::copyFromOldPlace(
            places.dataFolder,
            {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
             QStringLiteral("/Vesk/Dalmir")},
            {QStringLiteral("errorlog.txt")});
    }
    QString dataFolder = places.dataFolder;
    dataFolder.chop(1);

    QSettings store(places.configFolder + QStringLiteral("dalmir.conf"), QSettings::IniFormat);
    dalmir::AppSettings settings = dalmir::readSettings(qsettingsStore(store));
    desktop::setUpLanguage(settings.language, "dalmir");

    dalmir::RecentDatabases recent;
    std::vector<std::string> recentPaths;
    for (int i = 1; i <= dalmir::kRecentDatabaseCount; ++i) {
        const QString key = QStringLiteral("Recent File List/File%1").arg(i);
        recentPaths.push_back(QFile::encodeName(store.value(key).toString()).toStdString());
    }
    recent.assign(recentPaths);

    const auto storeSettings = [&] {
        dalmir::writeSettings(settings, qsettingsStore(store));
        store.remove(QStringLiteral("Recent File List"));
        for (std::size_t i = 0; i < recent.entries().size(); ++i) {
            store.setValue(QStringLiteral("Recent File List/File%1").arg(i + 1),
                           QFile::decodeName(QByteArray::fromStdString(recent.entries()[i])));
        }
        store.sync();
    };

    dalmir::DalmirContext context;
    context.storeSettings = storeSettings;
    context.recent = &recent;
    context.settings = &settings;
    context.programFolder = programFolder + QLatin1Char('/');
    context.dataFolder = dataFolder + QLatin1Char('/');
    context.instance = instance.number();

    auto* window = new dalmir::MainWindow(context);
    window->setAttribute(Qt::WA_DeleteOnClose);

    std::vector<std::string> files;
    for (const QString& a : arguments) files.push_back(a.toStdString());
    if (const dalmir::OpenRequest request = dalmir::openRequest(files); request.print) {
        // The desktop's print action: the list goes to the default printer, no window shows.
        QPrinter printer(QPrinter::HighResolution);
        const bool printed =
            !request.database.empty() &&
            window->printDatabase(QString::fromStdString(request.database), printer);
        if (!printed && !window->messages().isEmpty()) {
            QMessageBox::warning(nullptr, QStringLiteral("Dalmir"), window->messages().back());
        }
        delete window;
        return printed ? 0 : 1;
    }
    window->show();
    dalmir::RequestServer server;
    // Queued: a request may open a dialog, which never runs inside the socket's handler.
    QObject::connect(&server, &dalmir::RequestServer::requested, window,
                     &dalmir::MainWindow::handleRequest, Qt::QueuedConnection);
    // Only the first copy of a user answers the viewer's requests, and tells it which database
    // it has open.
    if (server.listen()) {
        window->publishOpenDatabase(
            core::userOpenDatabaseNotePath(static_cast<unsigned>(::getuid())));
    }
    window->openFiles(arguments);
    const int code = app.exec();
    storeSettings();
    return code;
}
