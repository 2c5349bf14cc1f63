// The analysis view: a dock beside the board where a registered engine searches the position
// shown. Its MultiPV lines (score from the side to move's and Black's view, depth, nodes, speed,
// PV in traditional notation) are redrawn at most ten times a second whatever the engine sends.
// A click on a line previews the PV on a small board of its own; the record changes only when
// the user adds the line as a variation. The dock owns the engine process while it runs.
#pragma once

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <QTimer>
#include <memory>
#include <vector>

#include "core/record/record_store.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/play/engine_log.h"
#include "usi/analysis_lines.h"
#include "usi/engine_list.h"
#include "usi/usi_engine.h"

namespace tavrel {

class BoardWidget;
class UsiProcess;

// The lines as table rows; filled from AnalysisLines when the dock's timer finds a change.
class AnalysisModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Rank, Score, BlackScore, Depth, Nodes, Nps, Pv, ColumnCount };
    using QAbstractTableModel::QAbstractTableModel;

    void refresh(const usi::AnalysisLines& lines, const core::NotationOptions& notation);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<std::array<QString, ColumnCount>> m_rows;
};

class AnalysisDock : public QDockWidget, public usi::UsiEvents {
    Q_OBJECT
public:
    AnalysisDock(Document& doc, QWidget* parent = nullptr);
    ~AnalysisDock() override;

    // The engines the combo offers (the profile's list).
    void setEngines(const std::vector<usi::EngineEntry>& engines);
    // The record's position changed (a step, a replay, an entered move): a running analysis
    // searches the new one.
    void positionChanged();
    // Another record took the place of the one analysed: the lines, the preview and the messages
    // go; a running analysis goes on with the new record's position.
    void recordReplaced();
    void startAnalysis();
    void stopAnalysis();
    bool analysing() const { return m_analysing; }
    // The engine chosen in the combo; -1 when the list is empty.
    int currentEngine() const { return m_engineBox->currentIndex(); }

    AnalysisModel* model() { return &m_model; }
    QTableView* table() { return m_table; }
    // Takes a pending change of the lines into the table now (the timer does it every 100 ms).
    void flush();
    // Shows line row of the table on the preview board, k moves into it (all by default).
    void preview(int row, int moves = -1);
    // Adds the previewed line to the record as a variation.
    void addPreviewAsVariation();
    const core::RecordStore& previewStore() const { return *m_previewStore; }
    QString statusText() const { return m_status->text(); }
    // Where the engine's traffic goes (null: nowhere).
    void setEngineLog(std::shared_ptr<EngineLog> log) { m_log = std::move(log); }

    // UsiEvents
    void engineReady() override;
    void engineInfo(const usi::UsiInfo& info) override;
    void engineBestMove(const usi::UsiBestMove&) override {}
    void engineWarning(const std::string& message) override;
    void engineFailed(const std::string& message) override;
    void engineQuit() override {}

Q_SIGNALS:
    // The record got a variation; the window redraws.
    void recordChanged();

private:
    void searchCurrent();
    void endEngine();
    void updateButtons();

    Document& m_doc;
    AnalysisModel m_model;
    usi::AnalysisLines m_lines;
    std::vector<usi::EngineEntry> m_engines;
    UsiProcess* m_process = nullptr;
    std::shared_ptr<EngineLog> m_log;
    bool m_analysing = false;
    QTimer m_refresh;
    QComboBox* m_engineBox;
    QPushButton* m_startButton;
    QPushButton* m_stopButton;
    QPushButton* m_addButton;
    QLabel* m_totals;
    QLabel* m_status;
    QTableView* m_table;
    QSlider* m_previewSlider;
    std::unique_ptr<core::RecordStore> m_previewStore;
    BoardWidget* m_previewBoard;
    std::vector<std::string> m_previewPv;
    int m_previewBase = 0;
    core::NodeIndex m_searchedNode = core::kNoNode;
};

}  // namespace tavrel
