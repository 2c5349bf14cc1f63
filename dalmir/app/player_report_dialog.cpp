#include "dalmir/app/player_report_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>
#include <algorithm>

#include "dalmir/app/qt_text.h"

namespace dalmir {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

PlayerReportDialog::PlayerReportDialog(const PlayerReportView& view, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(fromUtf8(kPlayerReportTitle));
    m_text = new QPlainTextEdit(fromUtf8(view.text), this);
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setMinimumSize(560, 240);

    m_chart = new QChartView(this);
    m_chart->setObjectName(qs("resultsByYear"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumHeight(240);
    // The view's own chart: setChart() would leave the default one behind, undeleted.
    QChart* chart = m_chart->chart();
    chart->setTitle(qs("年別成績"));
    auto* wins = new QBarSet(qs("勝ち"));
    auto* losses = new QBarSet(qs("負け"));
    auto* draws = new QBarSet(qs("引き分け"));
    QStringList years;
    int most = 0;
    for (const YearResults& y : view.years) {
        years << fromUtf8(y.label);
        *wins << y.wins;
        *losses << y.losses;
        *draws << y.draws;
        most = std::max({most, y.wins, y.losses, y.draws});
    }
    auto* series = new QBarSeries;
    series->append(wins);
    series->append(losses);
    series->append(draws);
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(years);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto* y = new QValueAxis;
    // Whole games only: one tick a game for small counts, round steps above.
    y->setRange(0, std::max(1, most));
    if (most <= 10) {
        y->setTickCount(std::max(1, most) + 1);
    } else {
        y->applyNiceNumbers();
    }
    y->setLabelFormat(qs("%d"));
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    chart->legend()->setAlignment(Qt::AlignBottom);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(qs("コピー(&C)"), QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(m_text->toPlainText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_chart, 1);
    layout->addWidget(buttons);
}

QString PlayerReportDialog::text() const { return m_text->toPlainText(); }

QStringList PlayerReportDialog::years() const {
    for (QAbstractAxis* axis : m_chart->chart()->axes(Qt::Horizontal)) {
        if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis))
            return categories->categories();
    }
    return {};
}

QList<QPair<QString, QList<qreal>>> PlayerReportDialog::bars() const {
    QList<QPair<QString, QList<qreal>>> out;
    for (QAbstractSeries* s : m_chart->chart()->series()) {
        auto* series = qobject_cast<QBarSeries*>(s);
        if (!series) continue;
        for (QBarSet* set : series->barSets()) {
            QList<qreal> values;
            for (int i = 0; i < set->count(); ++i) values << set->at(i);
            out.append({set->label(), values});
        }
    }
    return out;
}

}  // namespace dalmir
