// The main window's engine part: the analysis dock, the evaluation graph, the engine list and
// whole-record analysis (EngineWindows), wired to the window's menu and document.
#include "tavrel/app/main_window_engine.h"

#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/text/translation.h"
#include "dalmir/model/analysis/stored_analysis.h"
#include "desktop/program_link.h"
#include "desktop/qt_text.h"
#include "tavrel/app/engine_dialogs.h"
#include "tavrel/app/main_window.h"
#include "tavrel/platform/engine_store.h"
#include "tavrel/platform/qt_text.h"
#include "tavrel/platform/usi_process.h"

namespace tavrel {

namespace {

// Starts an engine only to learn its option lines, then ends it.
class OptionProbe : public QObject, public usi::UsiEvents {
public:
    OptionProbe(const usi::EngineEntry& entry, DocumentUi& ui,
                std::function<void(const std::vector<usi::UsiOption>&)> done, QObject* parent)
        : QObject(parent), m_ui(ui), m_done(std::move(done)), m_process(*this, this) {
        m_process.start(entry);
    }
    void engineReady() override {
        std::vector<usi::UsiOption> options = m_process.engine().options();
        m_process.engine().quit();
        finish(options);
    }
    void engineFailed(const std::string& message) override {
        m_ui.showMessage(message, std::string(core::translate("エンジン設定")));
        finish({});
    }

private:
    void finish(const std::vector<usi::UsiOption>& options) {
        if (!m_done) return;
        auto done = std::move(m_done);
        m_done = nullptr;
        // The dialog opens once this engine's signal has returned.
        QTimer::singleShot(0, parent(), [done, options] { done(options); });
        QTimer::singleShot(4000, this, [this] { deleteLater(); });
    }

    DocumentUi& m_ui;
    std::function<void(const std::vector<usi::UsiOption>&)> m_done;
    UsiProcess m_process;
};

}  // namespace

EngineWindows::EngineWindows(QMainWindow& window, Document& doc, DocumentUi& ui,
                             QString profileName)
    : QObject(&window),
      m_window(window),
      m_doc(doc),
      m_ui(ui),
      m_profileName(std::move(profileName)),
      m_dock(new AnalysisDock(doc, &window)),
      m_graphDock(new QDockWidget(desktop::translated("評価値グラフ"), &window)),
      m_graph(new AnalysisGraph) {
    m_graphDock->setObjectName(QStringLiteral("AnalysisGraphDock"));
    m_graphDock->setWidget(m_graph);
    window.addDockWidget(Qt::RightDockWidgetArea, m_dock);
    window.addDockWidget(Qt::BottomDockWidgetArea, m_graphDock);
    m_dock->hide();
    m_graphDock->hide();
    if (!m_profileName.isEmpty()) setEngines(loadEngines(m_profileName));
    m_dock->setEngineLog(m_log);
    connect(m_dock, &AnalysisDock::recordChanged, this, &EngineWindows::recordChanged);
    connect(m_graph, &AnalysisGraph::plyClicked, this, &EngineWindows::jumpToPly);
}

EngineWindows::~EngineWindows() {
    if (m_analysis) m_analysis->cancel();
    delete m_analysisProcess;
}

namespace {

// A pane opened under the board takes a third of the window's height: the dock layout would
// give it its contents' wish (the table and the preview board), leaving the board a sliver.
void fitUnderBoard(QMainWindow& window, QDockWidget* dock) {
    if (dock->isFloating() || window.dockWidgetArea(dock) != Qt::BottomDockWidgetArea) return;
    window.resizeDocks({dock}, {window.height() / 3}, Qt::Vertical);
}

}  // namespace

void EngineWindows::bindCommands(const CommandBinder& bind) {
    for (auto [command, dock] :
         {std::pair<Command, QDockWidget*>{Command::AnalysisView, m_dock},
          std::pair<Command, QDockWidget*>{Command::GraphView, m_graphDock}}) {
        bind(
            command,
            [this, dock = dock] {
                dock->setVisible(dock->isHidden());
                if (!dock->isHidden()) fitUnderBoard(m_window, dock);
            },
            [dock = dock] { return !dock->isHidden(); });
    }
    bind(Command::AnalyseRecord, [this] { analyseRecord(); }, {});
    bind(Command::WriteStoredAnalysis, [this] { writeStoredAnalysis(); }, {});
    bind(Command::EngineSettings, [this] { editEngines(); }, {});
    bind(Command::EngineLog, [this] { showEngineLog(); }, {});
}

void EngineWindows::showEngineLog() {
    if (m_logDialog) {
        m_logDialog->show();
        m_logDialog->raise();
        return;
    }
    auto* dialog = new QDialog(&m_window);
    dialog->setObjectName(QStringLiteral("engineLog"));
    dialog->setWindowTitle(desktop::translated("エンジンの通信"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QPlainTextEdit(dialog);
    text->setObjectName(QStringLiteral("engineLogText"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setMaximumBlockCount(static_cast<int>(EngineLog::kDefaultCapacity));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    text->setFont(fixed);
    QStringList shown;
    for (const EngineLogLine& line : m_log->lines())
        shown << QString::fromStdString(engineLogText(line));
    text->setPlainText(shown.join(QLatin1Char('\n')));
    auto* clear = new QPushButton(desktop::translated("消去(&C)"), dialog);
    auto* close = new QPushButton(desktop::translated("閉じる"), dialog);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clear);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    layout->addLayout(buttons);
    connect(clear, &QPushButton::clicked, dialog, [this, text] {
        m_log->clear();
        text->clear();
    });
    connect(close, &QPushButton::clicked, dialog, &QDialog::close);
    // New lines are appended while the dialog is open; the log forgets the view when it closes.
    m_log->setListener([text](const EngineLogLine& line) {
        text->appendPlainText(QString::fromStdString(engineLogText(line)));
    });
    connect(dialog, &QObject::destroyed, this, [log = m_log] { log->setListener({}); });
    dialog->resize(640, 420);
    m_logDialog = dialog;
    dialog->show();
}

void EngineWindows::setEngines(std::vector<usi::EngineEntry> engines) {
    m_engines = std::move(engines);
    m_dock->setEngines(m_engines);
}

void EngineWindows::documentChanged() {
    if (m_doc.recordSerial() != m_recordSerial) {
        m_recordSerial = m_doc.recordSerial();
        m_dock->recordReplaced();
    }
    m_dock->positionChanged();
    const core::RecordStore& store = m_doc.store();
    const bool onMainLine = !store.isInVariation(store.current());
    followDatabase();
    m_graph->setScores(graphScores(store, m_evaluations.store()),
                       onMainLine ? store.currentPly() : -1);
}

void EngineWindows::setDalmirProbe(std::unique_ptr<core::OpenDatabaseProbe> probe) {
    m_dalmirProbe = std::move(probe);
    documentChanged();
}

void EngineWindows::followDatabase() {
    if (!m_dalmirProbe) {
        m_dalmirProbe = std::make_unique<core::NoteFileProbe>(
            core::userOpenDatabaseNotePath(desktop::currentUserId()), desktop::currentUserId());
    }
    const core::OpenDatabaseState state = core::openDatabaseState(*m_dalmirProbe);
    const std::string path =
        state.program == core::DatabaseProgram::Open ? state.path : std::string();
    std::int64_t stamp = -1;
    if (!path.empty()) {
        const QFileInfo info(desktop::fromFsPath(DatabaseEvaluations::storePathOf(path)));
        if (info.isFile()) {
            stamp = info.lastModified().toMSecsSinceEpoch() * 1000 + info.size() % 1000;
        }
    }
    (void)m_evaluations.follow(path, stamp);
}

std::vector<std::string> EngineWindows::storedMoveMarks() const {
    if (m_evaluations.store() == nullptr) return {};
    return tavrel::storedMoveMarks(m_doc.store(), *m_evaluations.store(), {});
}

void EngineWindows::writeStoredAnalysis() {
    followDatabase();
    if (m_evaluations.store() == nullptr) {
        m_ui.showMessage(core::translate("Dalmirで開いているデータベースに解析結果がありません。"),
                         core::translate("棋譜解析"));
        return;
    }
    core::NotationOptions notation;
    notation.dragonAsRyu = m_doc.settings().dragonNotation != 0;
    const int written =
        dalmir::model::writeStoredAnalysis(m_doc.store(), *m_evaluations.store(), notation);
    if (written == 0) {
        m_ui.showMessage(core::translate("この棋譜の局面の解析結果はありません。"),
                         core::translate("棋譜解析"));
        return;
    }
    Q_EMIT recordChanged();
}

void EngineWindows::jumpToPly(int ply) {
    core::RecordStore& store = m_doc.store();
    core::NodeIndex n = core::kRootNode;
    for (int k = 0; k < ply && store.node(n).next != core::kNoNode; ++k) n = store.node(n).next;
    if (store.goTo(n) == core::EditResult::Ok) Q_EMIT recordChanged();
}

void EngineWindows::editEngines() {
    EngineListDialog dialog(
        m_engines,
        [this](const usi::EngineEntry& entry,
               std::function<void(const std::vector<usi::UsiOption>&)> done) {
            new OptionProbe(entry, m_ui, std::move(done), this);
        },
        &m_window);
    if (dialog.exec() != QDialog::Accepted) return;
    setEngines(dialog.engines());
    if (!m_profileName.isEmpty()) saveEngines(m_engines, m_profileName);
}

void EngineWindows::analyseRecord() {
    if (m_analysis) return;
    if (m_engines.empty()) {
        m_ui.showMessage(std::string(core::translate("エンジンが登録されていません")),
                         std::string(core::translate("棋譜解析")));
        return;
    }
    RecordAnalysisDialog dialog(&m_window);
    if (dialog.exec() != QDialog::Accepted) return;
    const int i = std::max(0, m_dock->currentEngine());
    usi::RecordAnalysisOptions options = dialog.options();
    options.notation.dragonAsRyu = m_doc.settings().dragonNotation != 0;
    startRecordAnalysis(m_engines[static_cast<std::size_t>(i)], options);
}

void EngineWindows::startRecordAnalysis(const usi::EngineEntry& engine,
                                        const usi::RecordAnalysisOptions& options) {
    if (m_analysis) return;
    // The dock's search would compete for the same processor.
    m_dock->stopAnalysis();
    m_analysis = std::make_unique<usi::RecordAnalysis>(m_doc.store(), options);
    m_analysisProcess = new UsiProcess(*m_analysis, this);
    m_analysisProcess->setTraffic(engineLogTraffic(m_log, engine.name));
    m_progress =
        new QProgressDialog(desktop::translated("棋譜解析中..."), desktop::translated("キャンセル"),
                            0, m_analysis->total(), &m_window);
    m_progress->setObjectName(QStringLiteral("engineAnalysisProgress"));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(0);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        if (m_analysis) m_analysis->cancel();
    });
    m_analysis->run(m_analysisProcess->engine(), [this] {
        // Called from inside the engine's events: the rest waits for the event loop.
        QTimer::singleShot(0, this, &EngineWindows::analysisChanged);
    });
    m_analysisProcess->start(engine);
    m_progress->show();
}

void EngineWindows::analysisChanged() {
    if (!m_analysis) return;
    if (m_progress) m_progress->setValue(m_analysis->done());
    Q_EMIT recordChanged();
    if (!m_analysis->finished()) return;
    const std::string message = m_analysis->failed() ? m_analysis->message() : std::string();
    if (m_progress) m_progress->deleteLater();
    // The process quits in its own time and goes after the quit timeout at the latest; the run
    // receives its last events until then.
    UsiProcess* process = m_analysisProcess;
    m_analysisProcess = nullptr;
    usi::RecordAnalysis* run = m_analysis.release();
    connect(process, &QObject::destroyed, [run] { delete run; });
    QTimer::singleShot(4000, process, [process] { process->deleteLater(); });
    if (m_graphDock->isHidden()) {
        m_graphDock->show();
        fitUnderBoard(m_window, m_graphDock);
    }
    documentChanged();
    if (!message.empty()) m_ui.showMessage(message, std::string(core::translate("棋譜解析")));
    Q_EMIT recordAnalysisFinished();
}

void MainWindow::setUpEngines() {
    m_engines = new EngineWindows(*this, m_doc, *this, m_context.profileName);
    m_engines->bindCommands(
        [this](Command c, std::function<void()> run, std::function<bool()> checked) {
            bind(c, std::move(run), std::move(checked));
        });
    connect(m_engines, &EngineWindows::recordChanged, this, [this] { documentChanged(); });
}

}  // namespace tavrel
