// The main window's part in game play: the sheet and the dialogs it shows for tavrel/logic's
// game commands, and the one-second timer that redraws the running turn clock.
#include <QElapsedTimer>
#include <QFile>

#include "core/text/translation.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/main_window_engine.h"
#include "tavrel/logic/document/open_commands.h"
#include "tavrel/platform/engine_store.h"

namespace tavrel {

namespace {

std::string nativeFolder(const QString& folder) { return QFile::encodeName(folder).toStdString(); }

std::int64_t steadyMs() {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

}  // namespace

void MainWindow::setUpGame() {
    m_turnTimer = new QTimer(this);
    m_turnTimer->setObjectName(QStringLiteral("turnTimer"));
    m_turnTimer->setInterval(1000);
    connect(m_turnTimer, &QTimer::timeout, this, [this] { showTurnClock(); });
    m_input.setLock([this] { return m_engineGame && m_engineGame->engineToMove(); });
}

ChoiceSource MainWindow::choiceSource() {
    ChoiceSource source{&m_settings, &histories(), nativeFolder(m_context.programFolder), {}};
    if (m_engines) {
        for (const usi::EngineEntry& e : m_engines->engines()) source.engineNames.push_back(e.name);
    }
    return source;
}

void MainWindow::startNewGame() {
    if (m_input.held()) m_input.putBack();
    HistoryPlace place{&histories(), nativeFolder(m_context.programFolder)};
    m_chosenPlayers = {};
    if (!newGame(m_doc, m_clock, *this, place)) return;
    startEngineGame(m_chosenPlayers);
}

void MainWindow::endEngineGame() {
    // The processes first: they report to the game.
    for (auto& process : m_gameProcesses) process.reset();
    m_engineGame.reset();
}

void MainWindow::startEngineGame(const GamePlayers& players) {
    endEngineGame();
    if (!players.anyEngine() || !isPlaying(m_doc.mode())) return;
    m_engineGame = std::make_unique<EngineGame>(m_doc, m_clock, steadyMs);
    const std::array<std::pair<core::SideByte, std::string>, 2> sides{
        std::pair{core::kSideBlack, players.blackEngine},
        std::pair{core::kSideWhite, players.whiteEngine}};
    for (std::size_t i = 0; i < sides.size(); ++i) {
        const auto& [side, name] = sides[i];
        if (name.empty()) continue;
        const usi::EngineEntry* entry = nullptr;
        for (const usi::EngineEntry& e : m_engines->engines()) {
            if (e.name == name) entry = &e;
        }
        if (!entry) {
            // The list changed under the sheet: that side is left to the user.
            showMessage(std::string(core::translate("エンジンが登録されていません：")) + name,
                        std::string(core::translate("対局")));
            continue;
        }
        m_gameProcesses[i] = std::make_unique<UsiProcess>(m_engineGame->events(side));
        m_gameProcesses[i]->setTraffic(engineLogTraffic(m_engines->engineLog(), entry->name));
        m_engineGame->attach(side, &m_gameProcesses[i]->engine());
        m_gameProcesses[i]->start(*entry);
    }
    m_engineGame->begin(players.time);
}

void MainWindow::resumeFromSuspension(bool askForOpen) {
    if (m_input.held()) m_input.putBack();
    // Shows its own message.
    (void)resumeGame(m_doc, m_clock, askForOpen, [this] { return openRecord(m_doc); });
}

bool MainWindow::newGameSheet(NewGameFields& fields) {
    const bool remember = !m_context.profileName.isEmpty();
    if (remember) fields.players = loadGamePlayers(m_context.profileName);
    if (m_newGameSource) {
        std::optional<NewGameFields> chosen = m_newGameSource(fields);
        if (!chosen) return false;
        fields = *chosen;
    } else {
        if (m_quiet) return false;
        NewGameSheet sheet(choiceSource(), fields, this);
        if (sheet.exec() != QDialog::Accepted) return false;
        fields = sheet.fields();
    }
    nameEnginePlayers(fields);
    m_chosenPlayers = fields.players;
    if (remember) saveGamePlayers(fields.players, m_context.profileName);
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
        m_shown.push_back(std::string("棋譜を保存しますか？"));
        return GameSaveChoice::DontSave;
    }
    return askGameSaveDialog(this, recordName);
}

void MainWindow::followGameClock() {
    // The engines look at the record once the change that called here is over.
    if (m_engineGame && m_engineGame->active() && !m_engineUpdateQueued) {
        m_engineUpdateQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_engineUpdateQueued = false;
            if (m_engineGame) m_engineGame->update();
        });
    }
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

}  // namespace tavrel
