// Tavrel: instance number, settings folder, command line, environment file, main window.

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>

#include "core/base/version.h"
#include "core/record/record_store.h"
#include "core/text/sjis.h"
#include "desktop/desktop_integration.h"
#include "desktop/instance_lock.h"
#include "desktop/language.h"
#include "desktop/settings_places.h"
#include "tavrel/app/main_window.h"
#include "tavrel/logic/document/startup.h"
#include "tavrel/logic/view/window_placement.h"
#include "tavrel/platform/program_folder.h"
#include "tavrel/settings/engine_options.h"
#include "tavrel/settings/environment_file.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VESK"));
    QApplication::setApplicationName(QStringLiteral("Tavrel"));
    QApplication::setWindowIcon(desktop::programIcon(QStringLiteral("tavrel")));
    const QString product = QStringLiteral("Tavrel");
    core::useEnglishSides(desktop::storedEnglishSides(product));
    desktop::setUpLanguage(desktop::storedLanguageChoice(product), "tavrel");

    desktop::InstanceLock instance(product);
    QStringList arguments = QApplication::arguments().mid(1);
    const bool portable = desktop::takePortableOption(arguments);
    tavrel::ProgramFolder folder = tavrel::programFolder(portable);
    std::string folderBytes = QFile::encodeName(folder.path).toStdString();

    std::vector<std::string> args;
    for (const QString& a : arguments) {
        args.push_back(QFile::encodeName(a).toStdString());
    }
    tavrel::CommandLine commandLine = tavrel::parseCommandLine(tavrel::argumentTokens(args));
    std::string environment = commandLine.environmentName
                                  ? *commandLine.environmentName
                                  : std::string(tavrel::kDefaultEnvironmentName);

    tavrel::Settings settings;
    if (tavrel::loadEnvironment(folderBytes, environment, settings) != core::ReadResult::Ok &&
        commandLine.environmentName) {
        QApplication::beep();
        QMessageBox::warning(
            nullptr, product,
            QString::fromStdString(core::toUtf8Lossy(tavrel::environmentMissingWarning(
                tavrel::pathToText(folderBytes), tavrel::pathToText(environment)))));
    }
    tavrel::applyPlaceSwitches(commandLine, settings);
    // Programs named without a folder are looked for beside this one.
    std::string folderText =
        tavrel::pathToText(QFile::encodeName(tavrel::executableFolder()).toStdString());
    settings.databaseProgram = tavrel::absoluteProgramPath(settings.databaseProgram, folderText);
    settings.problemDatabaseProgram =
        tavrel::absoluteProgramPath(settings.problemDatabaseProgram, folderText);

    core::RecordStore store(settings.recordCapacity, tavrel::recordOptions(settings));

    tavrel::AppContext context;
    context.settings = &settings;
    context.store = &store;
    context.instance = instance.number();
    context.programFolder = folder.path;
    context.folderWritable = folder.writable;
    context.environmentName = commandLine.environmentName;
    context.profileName = product;

    auto* window = new tavrel::MainWindow(context);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->processCommandLine(commandLine);
    return app.exec();
}
