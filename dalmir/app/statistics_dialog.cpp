#include "dalmir/app/statistics_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "dalmir/app/qt_text.h"

namespace dalmir {

namespace {

constexpr int kRowRole = Qt::UserRole + 1;
constexpr int kRateColumn = 5;

// The rate as a bar under its number.
class RateDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QVariant value = index.data(Qt::DisplayRole);
        if (value.isValid() && !value.toString().isEmpty()) {
            const double rate = std::clamp(value.toDouble(), 0.0, 1.0);
            QRect bar = option.rect.adjusted(3, 4, -3, -4);
            p->save();
            p->fillRect(bar, option.palette.alternateBase());
            bar.setWidth(static_cast<int>(bar.width() * rate));
            p->fillRect(bar, QColor(120, 170, 230));
            p->restore();
        }
        QStyledItemDelegate::paint(p, option, index);
    }
};

QStandardItem* numberItem(const QVariant& value) {
    auto* item = new QStandardItem;
    item->setData(value, Qt::DisplayRole);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setEditable(false);
    return item;
}

}  // namespace

StatisticsDialog::StatisticsDialog(const QString& title, StatisticsTable table, QWidget* parent)
    : QDialog(parent), m_table(std::move(table)) {
    setWindowTitle(title);
    m_model = new QStandardItemModel(this);
    QStringList headings;
    for (const std::string& h : statisticsHeadings(m_table)) headings << fromUtf8(h);
    m_model->setHorizontalHeaderLabels(headings);
    for (std::size_t i = 0; i < m_table.rows.size(); ++i) {
        const StatisticsRow& r = m_table.rows[i];
        auto* name = new QStandardItem(fromUtf8(r.name));
        name->setEditable(false);
        name->setData(static_cast<int>(i), kRowRole);
        if (r.filter) name->setToolTip(desktop::translated("クリックでこの棋譜に絞り込む"));
        QList<QStandardItem*> row{
            name,
            numberItem(r.count),
            numberItem(QString::number(r.share, 'f', 1).toDouble()),
            numberItem(r.blackWins),
            numberItem(r.whiteWins),
            numberItem(r.rate ? QVariant(std::round(*r.rate * 1000) / 1000) : QVariant(QString()))};
        m_model->appendRow(row);
    }
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(Qt::DisplayRole);
    m_view = new QTableView(this);
    m_view->setModel(m_sorted);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(1, Qt::DescendingOrder);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->verticalHeader()->hide();
    m_view->setItemDelegateForColumn(kRateColumn, new RateDelegate(m_view));
    m_view->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_view->resizeColumnsToContents();
    m_view->setMinimumSize(560, 360);
    connect(m_view, &QTableView::clicked, this, [this](const QModelIndex& index) {
        const QModelIndex source = m_sorted->mapToSource(index.siblingAtColumn(0));
        const int i = m_model->item(source.row(), 0)->data(kRowRole).toInt();
        const StatisticsRow& r = m_table.rows[static_cast<std::size_t>(i)];
        if (r.filter) Q_EMIT filterRequested(*r.filter);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* text = buttons->addButton(desktop::translated("テキストでコピー(&C)"),
                                           QDialogButtonBox::ActionRole);
    QPushButton* csv =
        buttons->addButton(desktop::translated("CSVでコピー(&V)"), QDialogButtonBox::ActionRole);
    connect(text, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(fromUtf8(statisticsText(m_table))); });
    connect(csv, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(fromUtf8(statisticsCsv(m_table))); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* total = new QLabel(
        desktop::translated("表示中の棋譜 %1 局").arg(QLocale().toString(m_table.listed)), this);
    layout->addWidget(total);
    layout->addWidget(m_view, 1);
    layout->addWidget(buttons);
}

}  // namespace dalmir
