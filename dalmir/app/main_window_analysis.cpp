// 棋譜の解析 in the window: the dialog and the wiring of the run; the decisions are in
// DatabaseAnalysisCommand.
#include <thread>

#include "dalmir/app/analyse_dialog.h"
#include "dalmir/app/analysis_engines.h"
#include "dalmir/app/main_window.h"
#include "dalmir/app/tree_dock.h"

namespace dalmir {

void MainWindow::setUpAnalysis() {
    DalmirUi& ui = *this;
    m_analysis = std::make_unique<DatabaseAnalysisCommand>(
        m_db, ui, childProcessSessions(), steadyMilliseconds, std::thread::hardware_concurrency());
    m_analysis->setStoreChanged([this](std::shared_ptr<const model::EvaluationStore> store) {
        showEvaluations(std::move(store));
    });
    m_model->setAnalysisColumns(&m_analysisColumns);
}

void MainWindow::showEvaluations(std::shared_ptr<const model::EvaluationStore> store) {
    m_evaluations = std::move(store);
    m_analysisColumns.reset(&m_db, m_evaluations, m_settings.analysis.thresholds);
    if (m_treeDock) m_treeDock->setEvaluations(m_evaluations, m_settings.analysis.thresholds);
    refreshList();
}

void MainWindow::evaluationsRead(std::shared_ptr<const model::EvaluationStore> store) {
    showEvaluations(std::move(store));
}

void MainWindow::menuAnalyse() {
    if (!isEnabled(Command::Analyse)) return;
    const std::vector<int> rows = selectedRows();
    AnalysisRequest start = analysisRequestOf(m_settings.analysis);
    AnalyseDialog dialog(start, static_cast<int>(rows.size()), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const AnalysisRequest request = dialog.request();
    rememberAnalysisRequest(request, m_settings.analysis);
    const std::vector<std::int32_t>& order = m_db.table().displayOrder();
    std::vector<std::int32_t> slots;
    if (request.selectedOnly) {
        for (int row : rows) {
            if (row >= 0 && static_cast<std::size_t>(row) < order.size()) {
                slots.push_back(order[static_cast<std::size_t>(row)]);
            }
        }
    } else {
        slots = order;
    }
    (void)m_analysis->start(request, slots);
}

}  // namespace dalmir
