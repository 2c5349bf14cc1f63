// The Tool menu's other programs and tools, the FTP upload of the File menu and the sounds: the
// window wires the commands to tavrel/logic and runs the FTP transfer on a worker thread.
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QThread>

#include "core/base/path_text.h"
#include "core/text/sjis.h"
#include "desktop/program_link.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/tool_settings_dialog.h"
#include "tavrel/logic/document/file_rules.h"
#include "tavrel/platform/ftp_transport.h"
#include "tavrel/platform/sound_player.h"

namespace tavrel {

namespace {

QString qtext(std::string_view cp932) { return QString::fromStdString(core::toUtf8Lossy(cp932)); }

}  // namespace

void MainWindow::setUpTools() {
    m_ftpTransport = [] { return std::make_unique<CurlFtpTransport>(); };
    setProgramLink(std::make_unique<desktop::LocalProgramLink>(
        this, [this](bool waiting) { setBusy(waiting); }));
    bind(Command::Dalmir, [this] { showDatabase(*m_starter, programPlaces()); });
    bind(Command::DalmirSearch,
         [this] { searchPositionInDatabase(m_doc, *m_exports, *m_starter, programPlaces()); });
    bind(Command::DalmirRegister,
         [this] { registerInDatabase(m_doc, *m_exports, *m_starter, programPlaces()); });
    bind(Command::Pellam, [this] { showProblemDatabase(*m_starter, programPlaces()); });
    bind(Command::ToolSettings, [this] { toolSettingsDialog(); });
    bind(Command::FtpUpload, [this] { saveAndUpload(); });
    for (int i = 0; i < kToolCount; ++i) {
        bind(commandAt(Command::Tool1, i), [this, i] {
            ToolContext context;
            context.recordPath = m_doc.recordPath();
            context.ply = m_doc.store().currentPly();
            context.programFolder = QFile::encodeName(m_context.programFolder).toStdString();
            runTool(m_doc, *m_link, i, context);
        });
    }
    updateCommandStates();
    // The built-in sounds are looked for at start-up, so a missing one is said at once.
    if (!m_quiet) soundPlayer();
}

void MainWindow::updateToolStates() {
    for (int i = 0; i < kToolCount; ++i) {
        action(commandAt(Command::Tool1, i))->setText(qtext(toolMenuLabel(m_settings, i)));
    }
}

ProgramPlaces MainWindow::programPlaces() const {
    const std::string folder = QFile::encodeName(m_context.programFolder).toStdString();
    const std::string binary =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    const std::string path = qEnvironmentVariable("PATH").toStdString();
    ProgramPlaces places;
    places.dalmir = locateProgram(textToPath(m_settings.databaseProgram), folder, binary, path,
                                  desktop::isExecutableFile);
    places.pellam = locateProgram(textToPath(m_settings.problemDatabaseProgram), folder, binary,
                                  path, desktop::isExecutableFile);
    places.dalmirServer = dalmirServerName(desktop::currentUserId());
    places.pellamServer = pellamServerName(desktop::currentUserId());
    return places;
}

SoundPlayer& MainWindow::soundPlayer() {
    if (!m_sounds) {
        auto player = std::make_unique<QtSoundPlayer>();
        for (int missing : player->missingBuiltIns()) {
            showMessage(builtInSoundMissingMessage(missing), programCaption());
        }
        m_sounds = std::move(player);
    }
    return *m_sounds;
}

void MainWindow::setSoundPlayer(std::unique_ptr<SoundPlayer> player) {
    m_sounds = std::move(player);
}

void MainWindow::pieceSound() { tavrel::pieceSound(m_settings, soundPlayer(), *this); }

void MainWindow::setProgramLink(std::unique_ptr<ProgramLink> link) {
    m_starter.reset();
    m_link = std::move(link);
    m_starter = std::make_unique<ProgramStarter>(m_doc, *m_link);
}

void MainWindow::setFtpTransportFactory(std::function<std::unique_ptr<FtpTransport>()> factory) {
    m_ftpTransport = std::move(factory);
}

void MainWindow::toolSettingsDialog() {
    ToolSettingsDialog dialog(m_settings.tools, this);
    if (m_quiet || dialog.exec() != QDialog::Accepted) return;
    m_settings.tools = dialog.tools();
    updateCommandStates();
}

void MainWindow::saveAndUpload() {
    if (m_ftpUploading) return;
    const std::optional<std::string> path = prepareFtpUpload(m_doc);
    if (!path) return;
    std::vector<FtpSetting> settings;
    for (int i : selectedFtpSettings(m_settings.ftp)) {
        settings.push_back(m_settings.ftp.entries[static_cast<std::size_t>(i)]);
    }
    if (settings.empty()) return;
    m_ftpUploading = true;
    setBusy(true);
    updateCommandStates();
    uploadNext(*path, std::move(settings), 0);
}

void MainWindow::uploadNext(std::string path, std::vector<FtpSetting> settings, std::size_t next) {
    if (next >= settings.size()) {
        m_ftpUploading = false;
        setBusy(false);
        updateCommandStates();
        return;
    }
    // The start status is shown before the transfer, as the transfer would show it.
    const FtpSetting& setting = settings[next];
    if (!setting.server.empty() && !setting.user.empty()) {
        setStatusText(uploadStartStatus(path, setting));
    }
    auto outcome = std::make_shared<UploadOutcome>();
    auto factory = m_ftpTransport;
    QThread* worker = QThread::create([outcome, factory, path, setting] {
        std::unique_ptr<FtpTransport> transport = factory();
        *outcome = transferRecord(*transport, path, setting);
    });
    // The thread ends on its own even when the window is gone; the report then goes nowhere.
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(
        worker, &QThread::finished, this,
        [this, outcome, path = std::move(path), settings = std::move(settings), next]() mutable {
            // A failure's message box waits for the user; the next upload comes after it.
            reportUpload(*this, *outcome);
            uploadNext(std::move(path), std::move(settings), next + 1);
        });
    worker->start();
}

}  // namespace tavrel
