// The dialog of 棋譜の解析: the engine program, its budget per position (byoyomi or nodes), the
// number of engines, the last ply, whether to analyse again what the store holds, and the
// records (listed or selected).
#pragma once

#include <QDialog>

#include "dalmir/logic/database_analysis_command.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace dalmir {

class AnalyseDialog : public QDialog {
public:
    AnalyseDialog(const AnalysisRequest& start, int selected, QWidget* parent = nullptr);

    AnalysisRequest request() const;
    // A request that can't run keeps the dialog open with the reason.
    void accept() override;

private:
    void browse();

    QLineEdit* m_engine;
    QRadioButton* m_byoyomi;
    QRadioButton* m_nodes;
    QSpinBox* m_byoyomiMs;
    QSpinBox* m_nodeCount;
    QSpinBox* m_jobs;
    QSpinBox* m_maxPly;
    QCheckBox* m_redo;
    QRadioButton* m_listed;
    QRadioButton* m_selected;
};

}  // namespace dalmir
