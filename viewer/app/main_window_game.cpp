// The main window's part in game play: the sheet and the dialogs it shows for viewer/logic's
// game commands, and the one-second timer that redraws the running turn clock.
#include <QFile>

#include "viewer/app/main_window.h"
#include "viewer/logic/open_commands.h"

namespace viewer {

namespace {

std::string nativeFolder(const QString& folder) { return QFile::encodeName(folder).toStdString(); }

}  // namespace

void MainWindow::setUpGame() {
    m_turnTimer = new QTimer(this);
    m_turnTimer->setObjectName(QStringLiteral("turnTimer"));
    m_turnTimer->setInterval(1000);
    connect(m_turnTimer, &QTimer::timeout, this, [this] { showTurnClock(); });
}

ChoiceSource MainWindow::choiceSource() {
    return ChoiceSource{&m_settings, &histories(), nativeFolder(m_context.programFolder)};
}

void MainWindow::startNewGame() {
    if (m_input.held()) m_input.putBack();
    HistoryPlace place{&histories(), nativeFolder(m_context.programFolder)};
    (void)newGame(m_doc, m_clock, *this, place);
}

void MainWindow::resumeFromSuspension(bool askForOpen) {
    if (m_input.held()) m_input.putBack();
    (void)resumeGame(m_doc, m_clock, askForOpen, [this] { return openRecord(m_doc); });
}

bool MainWindow::newGameSheet(NewGameFields& fields) {
    if (m_newGameSource) {
        std::optional<NewGameFields> chosen = m_newGameSource(fields);
        if (!chosen) return false;
        fields = *chosen;
        return true;
    }
    if (m_quiet) return false;
    NewGameSheet sheet(choiceSource(), fields, this);
    if (sheet.exec() != QDialog::Accepted) return false;
    fields = sheet.fields();
    return true;
}

bool MainWindow::playerNamesDialog(std::string& black, std::string& white,
                                   core::HandicapType handicap) {
    if (m_quiet) return false;
    PlayerNamesDlg dialog(choiceSource(), black, white, handicap, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    black = dialog.black();
    white = dialog.white();
    return true;
}

GameSaveChoice MainWindow::askGameSave(const std::string& recordName) {
    if (m_quiet) {
        m_shown.push_back(core::sjis("棋譜を保存しますか？"));
        return GameSaveChoice::DontSave;
    }
    return askGameSaveDialog(this, recordName);
}

void MainWindow::followGameClock() {
    if (!m_turnTimer) return;
    if (isPlaying(m_doc.mode())) {
        if (!m_turnTimer->isActive()) m_turnTimer->start();
    } else {
        m_turnTimer->stop();
    }
    showTurnClock();
}

void MainWindow::showTurnClock() {
    if (!isPlaying(m_doc.mode())) m_turnTimer->stop();
    if (isPlaying(m_doc.mode()) && m_clock.running()) {
        TurnClockTexts texts = turnClockTexts(m_doc.store(), m_clock.elapsed());
        m_board->setClockTexts(std::move(texts.black), std::move(texts.white));
    } else {
        m_board->setClockTexts(std::nullopt, std::nullopt);
    }
    m_board->update();
}

}  // namespace viewer
