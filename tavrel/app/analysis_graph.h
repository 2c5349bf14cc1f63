// The evaluation graph under the board: the score of each main-line position (Black's view) as
// the analysis lines in the comments give it, one point per ply; a click jumps to that ply.
#pragma once

#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <optional>
#include <vector>

namespace tavrel {

class AnalysisGraph : public QChartView {
    Q_OBJECT
public:
    explicit AnalysisGraph(QWidget* parent = nullptr);

    // The scores of plies 0.. (none where a position was not analysed); the current ply marked.
    void setScores(const std::vector<std::optional<int>>& scores, int currentPly);
    int pointCount() const { return static_cast<int>(m_series->count()); }
    // The ply a click at x (widget coordinates) means; -1 outside the plies shown.
    int plyAt(const QPoint& at) const;

Q_SIGNALS:
    void plyClicked(int ply);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitTicks();

    QLineSeries* m_series;
    QLineSeries* m_current;
    QValueAxis* m_x;
    QValueAxis* m_y;
    int m_plies = 0;
};

}  // namespace tavrel
