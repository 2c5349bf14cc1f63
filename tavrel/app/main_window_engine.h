// What the main window does with USI engines: the analysis dock, the evaluation graph under the
// board, the engine list of the profile and its dialogs, and whole-record analysis with progress
// and Cancel. Owned by the main window; the document and the window outlive it.
#pragma once

#include <QDockWidget>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <functional>
#include <memory>
#include <vector>

#include "core/ipc/open_database.h"
#include "tavrel/app/analysis_dock.h"
#include "tavrel/app/analysis_graph.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/play/engine_log.h"
#include "tavrel/logic/tree/stored_evaluations.h"
#include "tavrel/logic/view/command_table.h"
#include "usi/engine_list.h"
#include "usi/record_analysis.h"

class QDialog;
class QMainWindow;
class QMenu;

namespace tavrel {

class UsiProcess;

class EngineWindows : public QObject {
    Q_OBJECT
public:
    // profileName: where the engine list is kept (empty: not kept, tests).
    EngineWindows(QMainWindow& window, Document& doc, DocumentUi& ui, QString profileName);
    ~EngineWindows() override;

    using CommandBinder =
        std::function<void(Command, std::function<void()> run, std::function<bool()> checked)>;
    // The エンジン menu's commands: the dock and the graph shown or not, record analysis and the
    // engine list.
    void bindCommands(const CommandBinder& bind);
    AnalysisDock* analysisDock() { return m_dock; }
    // What every engine the window runs said and was told; shown by エンジンの通信.
    const std::shared_ptr<EngineLog>& engineLog() { return m_log; }
    // The dialog エンジンの通信, modeless, following the log as it grows.
    void showEngineLog();
    QDialog* engineLogDialog() { return m_logDialog; }
    AnalysisGraph* graph() { return m_graph; }
    QDockWidget* graphDock() { return m_graphDock; }

    const std::vector<usi::EngineEntry>& engines() const { return m_engines; }
    void setEngines(std::vector<usi::EngineEntry> engines);

    // The record or its position changed.
    void documentChanged();

    void editEngines();
    // Asks for the analysis's choices, then runs it with the dock's engine.
    void analyseRecord();
    // Runs a whole-record analysis; progress and Cancel in a window-modal progress dialog.
    void startRecordAnalysis(const usi::EngineEntry& engine,
                             const usi::RecordAnalysisOptions& options);
    const usi::RecordAnalysis* recordAnalysis() const { return m_analysis.get(); }
    // The evaluations kept beside the database Dalmir has open (tests give a note of their
    // own); the graph draws them where the record's comments have no score.
    void setDalmirProbe(std::unique_ptr<core::OpenDatabaseProbe> probe);
    const DatabaseEvaluations& databaseEvaluations() const { return m_evaluations; }
    // The marks of the record's main-line moves by those evaluations (the default thresholds);
    // empty without them.
    std::vector<std::string> storedMoveMarks() const;
    // Writes the stored evaluations of the main line into its comments, in the lines the
    // whole-record analysis writes.
    void writeStoredAnalysis();
    QProgressDialog* progress() { return m_progress; }

Q_SIGNALS:
    // The record changed here (comments written, a variation added): the window redraws.
    void recordChanged();
    void recordAnalysisFinished();

private:
    void analysisChanged();
    void jumpToPly(int ply);
    // Reads Dalmir's note and the store beside its database when they changed.
    void followDatabase();

    QMainWindow& m_window;
    std::uint32_t m_recordSerial = 0;
    Document& m_doc;
    DocumentUi& m_ui;
    QString m_profileName;
    std::vector<usi::EngineEntry> m_engines;
    AnalysisDock* m_dock;
    QDockWidget* m_graphDock;
    AnalysisGraph* m_graph;
    std::unique_ptr<usi::RecordAnalysis> m_analysis;
    UsiProcess* m_analysisProcess = nullptr;
    QPointer<QProgressDialog> m_progress;
    std::shared_ptr<EngineLog> m_log = std::make_shared<EngineLog>();
    QPointer<QDialog> m_logDialog;
    std::unique_ptr<core::OpenDatabaseProbe> m_dalmirProbe;
    DatabaseEvaluations m_evaluations;
};

}  // namespace tavrel
