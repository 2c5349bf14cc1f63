// The player report: the report's text, read-only and copyable, above a bar chart of the wins,
// losses and draws of each year.
#pragma once

#include <QDialog>
#include <QStringList>

#include "dalmir/logic/player_report_view.h"

class QPlainTextEdit;
class QChartView;

namespace dalmir {

class PlayerReportDialog : public QDialog {
public:
    explicit PlayerReportDialog(const PlayerReportView& view, QWidget* parent = nullptr);
    QString text() const;
    // The chart's year labels, left to right, and each bar set's name with its values.
    QStringList years() const;
    QList<QPair<QString, QList<qreal>>> bars() const;

private:
    QPlainTextEdit* m_text;
    QChartView* m_chart;
};

}  // namespace dalmir
