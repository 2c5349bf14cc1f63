#include "dalmir/app/analyse_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "dalmir/app/qt_text.h"

namespace dalmir {

using desktop::translated;

AnalyseDialog::AnalyseDialog(const AnalysisRequest& start, int selected, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(translated("棋譜の解析"));
    auto* form = new QFormLayout;

    m_engine = new QLineEdit(fromFsPath(start.engine));
    auto* browse = new QPushButton(translated("参照(&B)..."));
    connect(browse, &QPushButton::clicked, this, [this] { this->browse(); });
    auto* engineRow = new QHBoxLayout;
    engineRow->addWidget(m_engine, 1);
    engineRow->addWidget(browse);
    form->addRow(translated("エンジン："), engineRow);

    m_byoyomi = new QRadioButton(translated("秒読み(ミリ秒)"));
    m_nodes = new QRadioButton(translated("ノード数"));
    m_byoyomiMs = new QSpinBox;
    m_byoyomiMs->setRange(1, 24 * 3600 * 1000);
    m_byoyomiMs->setValue(static_cast<int>(start.byoyomiMs));
    m_nodeCount = new QSpinBox;
    m_nodeCount->setRange(1, std::numeric_limits<int>::max());
    m_nodeCount->setValue(static_cast<int>(start.nodes));
    (start.byNodes ? m_nodes : m_byoyomi)->setChecked(true);
    auto* budget = new QButtonGroup(this);
    budget->addButton(m_byoyomi);
    budget->addButton(m_nodes);
    form->addRow(m_byoyomi, m_byoyomiMs);
    form->addRow(m_nodes, m_nodeCount);

    m_jobs = new QSpinBox;
    m_jobs->setRange(0, 256);
    m_jobs->setSpecialValueText(translated("コアの数"));
    m_jobs->setValue(start.jobs);
    form->addRow(translated("エンジンの数："), m_jobs);

    m_maxPly = new QSpinBox;
    m_maxPly->setRange(-1, 100000);
    m_maxPly->setSpecialValueText(translated("最後まで"));
    m_maxPly->setValue(start.maxPly);
    form->addRow(translated("最大手数："), m_maxPly);

    m_redo = new QCheckBox(translated("解析済みの局面も解析し直す"));
    m_redo->setChecked(start.redo);
    form->addRow(m_redo);

    m_listed = new QRadioButton(translated("表示中の棋譜"));
    m_selected = new QRadioButton(translated("選択した棋譜"));
    m_selected->setEnabled(selected > 0);
    (start.selectedOnly && selected > 0 ? m_selected : m_listed)->setChecked(true);
    auto* scope = new QButtonGroup(this);
    scope->addButton(m_listed);
    scope->addButton(m_selected);
    auto* scopeRow = new QHBoxLayout;
    scopeRow->addWidget(m_listed);
    scopeRow->addWidget(m_selected);
    form->addRow(translated("対象："), scopeRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

AnalysisRequest AnalyseDialog::request() const {
    AnalysisRequest r;
    r.engine = fsPath(m_engine->text().trimmed());
    r.byNodes = m_nodes->isChecked();
    r.byoyomiMs = m_byoyomiMs->value();
    r.nodes = m_nodeCount->value();
    r.jobs = m_jobs->value();
    r.maxPly = m_maxPly->value();
    r.redo = m_redo->isChecked();
    r.selectedOnly = m_selected->isChecked();
    return r;
}

void AnalyseDialog::accept() {
    if (const auto problem = analysisRequestProblem(request())) {
        QMessageBox::warning(this, windowTitle(), fromUtf8(*problem));
        return;
    }
    QDialog::accept();
}

void AnalyseDialog::browse() {
    const QString chosen =
        QFileDialog::getOpenFileName(this, translated("エンジンを選ぶ"), m_engine->text());
    if (!chosen.isEmpty()) m_engine->setText(chosen);
}

}  // namespace dalmir
