#include "dalmir/app/list_printer.h"

#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dalmir/app/qt_text.h"
#include "dalmir/logic/list_commands.h"
#include "dalmir/logic/list_print.h"

namespace dalmir {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

QFont printFont(const FontSetting& setting, double dpiY) {
    QFont font(QString::fromStdString(setting.name));
    // Points to device pixels; a negative size is a pixel height already.
    const int pixels = setting.size > 0 ? static_cast<int>(dpiY * setting.size / 72.0)
                                        : std::max(1, -setting.size);
    font.setPixelSize(std::max(1, pixels));
    if (setting.weight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(setting.weight, 1, 1000)));
    font.setItalic(setting.italic);
    return font;
}

}  // namespace

PrintReport printList(QPrinter& printer, const model::Database& db,
                      const model::UserFieldNames& userNames, const AppSettings& settings,
                      const QDateTime& now) {
    PrintReport report;
    const model::IndexTable& table = db.table();
    const int listed = static_cast<int>(table.displayOrder().size());
    const double dpiX = printer.logicalDpiX();
    const double dpiY = printer.logicalDpiY();
    const QFont font = printFont(settings.printFont, dpiY);
    const QFontMetricsF metrics(font, &printer);

    PrintGeometry g;
    g.unitsPerMmX = dpiX / 25.4;
    g.unitsPerMmY = dpiY / 25.4;
    g.pageHeight = printer.height();
    g.fontHeight = metrics.height();
    g.leftMarginMm = settings.printLeftMargin;
    g.topMarginMm = settings.printTopMargin;
    g.footMarginMm = settings.printFootMargin;
    g.lineMarginTenthMm = settings.printLineMargin;
    const PrintLayout layout = printLayout(g, listed);
    if (layout.pageCount == 0) {
        report.error = fromUtf8(lineSpacingTooLargeMessage());
        return report;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double screenDpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double scale = g.unitsPerMmX / (screenDpi / 25.4);
    const auto columns = shownColumns(table, userNames);

    QPainter painter;
    if (!painter.begin(&printer)) {
        report.error = qs("印刷を開始できませんでした。");
        return report;
    }
    painter.setFont(font);
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, scale));
    painter.setPen(pen);

    const QString name = fromUtf8(windowTitle(db)).remove(qs(" *"));
    const QDate date = now.date();
    const QTime time = now.time();
    const QString headerText =
        fromUtf8(printHeaderText(date.year(), date.month(), date.day(), date.dayOfWeek() % 7,
                                 time.hour(), time.minute(), time.second(), name.toStdString()));
    const double pageWidth = printer.width();
    const double padding = g.unitsPerMmX * 0.5;

    for (int page = 0; page < layout.pageCount; ++page) {
        if (page > 0) printer.newPage();
        report.rows.emplace_back();
        double y = layout.top;
        painter.drawText(QRectF(layout.left, y, pageWidth - layout.left, layout.lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, headerText);
        const double pageTextRight = pageWidth - 30 * g.unitsPerMmX;
        painter.drawText(QRectF(0, y, pageTextRight, layout.lineHeight),
                         Qt::AlignRight | Qt::AlignVCenter,
                         fromUtf8(printPageText(page + 1, layout.pageCount)));
        y += 1.5 * layout.lineHeight;

        const int first = page * layout.recordsPerPage;
        const int last = std::min(listed, first + layout.recordsPerPage);
        const double tableTop = y;
        auto drawRow = [&](const QStringList& cells) {
            double x = layout.left;
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const double w = columns[c].width * scale;
                const QRectF cell(x + padding, y, w - 2 * padding, layout.lineHeight);
                painter.drawText(cell,
                                 (columns[c].rightAligned ? Qt::AlignRight : Qt::AlignLeft) |
                                     Qt::AlignVCenter | Qt::TextSingleLine,
                                 cells[static_cast<qsizetype>(c)]);
                x += w;
            }
            y += layout.lineHeight;
            painter.drawLine(QPointF(layout.left, y), QPointF(x, y));
        };
        QStringList titles;
        for (const auto& column : columns) titles << fromUtf8(column.title);
        double tableWidth = 0;
        for (const auto& column : columns) tableWidth += column.width * scale;
        painter.drawLine(QPointF(layout.left, y), QPointF(layout.left + tableWidth, y));
        drawRow(titles);
        for (int row = first; row < last; ++row) {
            QStringList cells;
            for (const auto& column : columns) {
                cells << fromUtf8(printCellText(table, row, column.column));
            }
            drawRow(cells);
            report.rows.back().push_back(cells);
        }
        double x = layout.left;
        painter.drawLine(QPointF(x, tableTop), QPointF(x, y));
        for (const auto& column : columns) {
            x += column.width * scale;
            painter.drawLine(QPointF(x, tableTop), QPointF(x, y));
        }
    }
    painter.end();
    report.pages = layout.pageCount;
    return report;
}

PageLayoutDialog::PageLayoutDialog(AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_font(settings.printFont) {
    setWindowTitle(qs("ﾍﾟｰｼﾞﾚｲｱｳﾄの設定"));
    auto* form = new QFormLayout;
    auto* fontButton = new QPushButton(qs("フォント(&F)..."), this);
    connect(fontButton, &QPushButton::clicked, this, [this] {
        auto* dialog = new QFontDialog(QFont(QString::fromStdString(m_font.name)), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QFontDialog::fontSelected, this, [this](const QFont& f) {
            m_font.name = f.family().toStdString();
            if (f.pointSize() > 0) m_font.size = f.pointSize();
            m_font.weight = f.weight();
            m_font.italic = f.italic();
        });
        dialog->open();
    });
    form->addRow(fontButton);
    auto spin = [&](const char* label, int value, int maximum, const char* suffix) {
        auto* box = new QSpinBox(this);
        box->setRange(0, maximum);
        box->setValue(value);
        box->setSuffix(qs(suffix));
        form->addRow(qs(label), box);
        return box;
    };
    m_left = spin("左端余白：", settings.printLeftMargin, 100, " mm");
    m_top = spin("上端余白：", settings.printTopMargin, 100, " mm");
    m_foot = spin("下端余白：", settings.printFootMargin, 100, " mm");
    m_line = spin("行間隔：", settings.printLineMargin, 500, " /10 mm");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PageLayoutDialog::accept() {
    m_settings.printFont = m_font;
    m_settings.printLeftMargin = m_left->value();
    m_settings.printTopMargin = m_top->value();
    m_settings.printFootMargin = m_foot->value();
    m_settings.printLineMargin = m_line->value();
    QDialog::accept();
}

CardDialog::CardDialog(const model::IndexEntry* entry, const model::IndexSettings& settings,
                       const model::UserFieldNames& userNames, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs("カード形表示"));
    auto* form = new QFormLayout;
    for (const CardField& field : cardFields(entry, settings, userNames)) {
        auto* edit = new QLineEdit(fromUtf8(field.text), this);
        edit->setReadOnly(true);
        edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 48);
        form->addRow(fromUtf8(field.label), edit);
        m_texts << edit->text();
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QStringList CardDialog::texts() const { return m_texts; }

}  // namespace dalmir
