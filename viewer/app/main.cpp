// Tavrel: instance number, settings folder, command line, environment file, main window.

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>

#include "core/record/record_store.h"
#include "core/text/sjis.h"
#include "core/text/version.h"
#include "viewer/app/main_window.h"
#include "viewer/logic/startup.h"
#include "viewer/logic/window_placement.h"
#include "viewer/platform/instance_lock.h"
#include "viewer/platform/program_folder.h"
#include "viewer/settings/engine_options.h"
#include "viewer/settings/environment_file.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VESK"));
    QApplication::setApplicationName(QStringLiteral("Tavrel"));
    const QString product = QStringLiteral("Tavrel");

    viewer::InstanceLock instance(product);
    viewer::ProgramFolder folder = viewer::programFolder();
    std::string folderBytes = QFile::encodeName(folder.path).toStdString();

    std::vector<std::string> args;
    for (const QString& a : QApplication::arguments().mid(1)) {
        args.push_back(QFile::encodeName(a).toStdString());
    }
    viewer::CommandLine commandLine = viewer::parseCommandLine(viewer::argumentTokens(args));
    std::string environment = commandLine.environmentName
                                  ? *commandLine.environmentName
                                  : std::string(viewer::kDefaultEnvironmentName);

    viewer::Settings settings;
    if (viewer::loadEnvironment(folderBytes, environment, settings) != core::ReadResult::Ok &&
        commandLine.environmentName) {
        QApplication::beep();
        QMessageBox::warning(
            nullptr, product,
            QString::fromStdString(core::toUtf8Lossy(viewer::environmentMissingWarning(
                viewer::pathToText(folderBytes), viewer::pathToText(environment)))));
    }
    viewer::applyPlaceSwitches(commandLine, settings);
    std::string folderText = viewer::pathToText(folderBytes);
    settings.databaseProgram = viewer::absoluteProgramPath(settings.databaseProgram, folderText);
    settings.problemDatabaseProgram =
        viewer::absoluteProgramPath(settings.problemDatabaseProgram, folderText);

    core::RecordStore store(settings.recordCapacity, viewer::recordOptions(settings));

    viewer::AppContext context;
    context.settings = &settings;
    context.store = &store;
    context.instance = instance.number();
    context.programFolder = folder.path;
    context.folderWritable = folder.writable;
    context.environmentName = commandLine.environmentName;
    context.profileName = product;

    auto* window = new viewer::MainWindow(context);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->processCommandLine(commandLine);
    return app.exec();
}
