#include "tavrel/app/analysis_graph.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace tavrel {

namespace {

// Scores beyond this (mates included) are drawn at the edge.
constexpr int kGraphLimit = 3000;

}  // namespace

AnalysisGraph::AnalysisGraph(QWidget* parent)
    : QChartView(parent),
      m_series(new QLineSeries),
      m_current(new QLineSeries),
      m_x(new QValueAxis),
      m_y(new QValueAxis) {
    setObjectName(QStringLiteral("AnalysisGraph"));
    // The view's own chart: setChart() would leave the default one behind, undeleted.
    QChart* c = chart();
    c->legend()->hide();
    c->addSeries(m_series);
    c->addSeries(m_current);
    c->addAxis(m_x, Qt::AlignBottom);
    c->addAxis(m_y, Qt::AlignLeft);
    for (QLineSeries* s : {m_series, m_current}) {
        s->attachAxis(m_x);
        s->attachAxis(m_y);
    }
    m_series->setPointsVisible(true);
    m_x->setLabelFormat(QStringLiteral("%d"));
    // Ticks at round plies, as many as the width has room for: no label is cut to "…".
    m_x->setTickType(QValueAxis::TicksDynamic);
    m_x->setTickAnchor(0);
    m_x->setTickInterval(10);
    m_y->setRange(-kGraphLimit, kGraphLimit);
    m_y->setLabelFormat(QStringLiteral("%d"));
    m_y->setTickCount(5);
    QFont labels = font();
    labels.setPointSizeF(std::max(7.0, labels.pointSizeF() * 0.85));
    m_x->setLabelsFont(labels);
    m_y->setLabelsFont(labels);
    c->setMargins(QMargins(2, 2, 2, 2));
    setRenderHint(QPainter::Antialiasing);
    // Beside the analysis pane the dock layout would give the graph what the table leaves, a
    // sliver whose axis labels the chart cuts to "...": it keeps room for whole labels.
    setMinimumSize(240, 120);
}

void AnalysisGraph::setScores(const std::vector<std::optional<int>>& scores, int currentPly) {
    QList<QPointF> points;
    for (std::size_t ply = 0; ply < scores.size(); ++ply) {
        if (!scores[ply]) continue;
        points.append(
            QPointF(static_cast<double>(ply), std::clamp(*scores[ply], -kGraphLimit, kGraphLimit)));
    }
    m_series->replace(points);
    m_plies = static_cast<int>(scores.size());
    m_x->setRange(0, std::max(1, m_plies - 1));
    fitTicks();
    m_current->replace({QPointF(currentPly, -kGraphLimit), QPointF(currentPly, kGraphLimit)});
}

void AnalysisGraph::fitTicks() {
    // Room for one label per 48 pixels; the interval a round number of plies.
    const int room = std::max(2, width() / 48);
    const int span = std::max(1, m_plies - 1);
    int interval = 1;
    for (int step : {1, 2, 5, 10, 20, 50, 100, 200, 500}) {
        interval = step;
        if (span / step <= room) break;
    }
    m_x->setTickInterval(interval);
}

void AnalysisGraph::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    fitTicks();
}

int AnalysisGraph::plyAt(const QPoint& at) const {
    if (m_plies == 0) return -1;
    const QPointF value = chart()->mapToValue(mapToScene(at), m_series);
    const int ply = static_cast<int>(std::lround(value.x()));
    return ply >= 0 && ply < m_plies ? ply : -1;
}

void AnalysisGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int ply = plyAt(event->position().toPoint());
        if (ply >= 0) Q_EMIT plyClicked(ply);
    }
    QChartView::mousePressEvent(event);
}

}  // namespace tavrel
