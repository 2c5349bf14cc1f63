#include "tavrel/app/record_window.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include "core/text/sjis.h"
#include "tavrel/logic/document/title.h"
#include "tavrel/logic/tree/stored_evaluations.h"
#include "tavrel/logic/view/pane_layout.h"
#include "tavrel/platform/setting_font.h"

namespace tavrel {

namespace {

QColor toQColor(Rgb c) { return QColor(c.red, c.green, c.blue); }

bool manyColours() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return !screen || screen->depth() > 8;
}

int styleKey(const RecordListStyle& s) {
    return static_cast<int>(s.moveTextStyle) | (s.userMarks << 4) | (s.ruleCheck << 5) |
           (s.bookmarkNames << 6) | (s.dragonAsRyu << 7);
}

}  // namespace

void RecordListModel::setRows(std::vector<RecordListRow> rows, int current, Rgb currentColour,
                              Rgb variationColour, bool many) {
    beginResetModel();
    m_rows = std::move(rows);
    m_current = current;
    m_currentColour = currentColour;
    m_variationColour = variationColour;
    m_manyColours = many;
    endResetModel();
}

void RecordListModel::setCurrent(int current) {
    int old = m_current;
    m_current = current;
    for (int r : {old, current}) {
        if (r >= 0 && r < rowCount()) Q_EMIT dataChanged(index(r), index(r));
    }
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const RecordListRow& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(core::toUtf8Lossy(row.text));
        case Qt::BackgroundRole:
            return toQColor(recordLineColour(index.row() == m_current, row.alternatives,
                                             m_currentColour, m_variationColour, m_manyColours));
        case Qt::ForegroundRole:
            return QColor(Qt::black);
        default:
            return {};
    }
}

namespace {

// The record font with a fixed pitch, so that the time column lines up: a face without one is
// replaced by the system's fixed font of the same size (the kanji come from the font's
// fallbacks either way).
QFont listFont(const FontSetting& setting) {
    QFont font = settingFont(setting);
    if (!QFontInfo(font).fixedPitch()) {
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPixelSize(font.pixelSize());
        fixed.setBold(font.bold());
        fixed.setItalic(font.italic());
        font = fixed;
    }
    return font;
}

// A long line of the time form, for the width before any record is shown.
constexpr const char* kLongLine = "999 ▲１二成銀(23)   (99:99/99:99:99)+";

}  // namespace

RecordWindow::RecordWindow(const core::RecordStore& store, const Settings& settings,
                           QWidget* parent)
    : QWidget(parent, Qt::Tool),
      m_store(store),
      m_settings(settings),
      m_view(new QListView(this)),
      m_model(new RecordListModel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setModel(m_model);
    m_view->setUniformItemSizes(true);
    m_view->setSelectionMode(QAbstractItemView::NoSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_view->setFont(listFont(settings.recordFont));
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QListView::clicked, this,
            [this](const QModelIndex& index) { Q_EMIT plyChosen(index.row()); });
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QModelIndex index = m_view->indexAt(at);
        if (!index.isValid()) return;
        int charWidth = std::max(1, m_view->fontMetrics().averageCharWidth());
        int column = (at.x() + m_view->horizontalScrollBar()->value()) / charWidth;
        Q_EMIT contextMenuWanted(m_view->viewport()->mapToGlobal(at), index.row(), column);
    });
    setWindowTitle(QString::fromStdString(core::toUtf8Lossy(recordWindowCaption(0, 0))));
}

RecordListForm RecordWindow::form() const {
    return m_settings.recordWindow.form == RecordListForm::Branches ? RecordListForm::Branches
                                                                    : RecordListForm::Times;
}

RecordWindow::LineKey RecordWindow::keyOf(core::NodeIndex node) const {
    const core::MoveNode& m = m_store.node(node);
    LineKey k{node, m.from, m.to, m.seconds, m.comment != nullptr, false};
    if (node != core::kRootNode) {
        k.alternatives = m_store.node(m.parent).next != node || m.sibling != core::kNoNode;
    }
    return k;
}

bool RecordWindow::sameLine() const {
    if (m_lineNodes.empty() || m_dirty != m_store.dirty() ||
        m_bookmarks != m_store.bookmarkCount() || m_form != static_cast<int>(form()) ||
        m_styleKey != styleKey(recordListStyle(m_settings))) {
        return false;
    }
    int ply = m_store.currentPly();
    if (ply < 0 || ply >= static_cast<int>(m_lineNodes.size())) return false;
    if (m_lineNodes[static_cast<std::size_t>(ply)].node != m_store.current()) return false;
    // The line up to the current node: its ancestors; beyond it: the first continuations.
    for (std::size_t i = 0; i < m_lineNodes.size(); ++i) {
        const LineKey& k = m_lineNodes[i];
        if (!m_store.isInUse(k.node) || !(keyOf(k.node) == k)) return false;
        if (i == 0) continue;
        core::NodeIndex previous = m_lineNodes[i - 1].node;
        if (m_store.parentOf(k.node) != previous) return false;
        if (i > static_cast<std::size_t>(ply) && m_store.node(previous).next != k.node) {
            return false;
        }
    }
    return m_store.node(m_lineNodes.back().node).next == core::kNoNode;
}

void RecordWindow::setMoveMarks(std::vector<std::string> marks) {
    if (marks == m_marks) return;
    m_marks = std::move(marks);
    invalidate();
    refresh();
}

void RecordWindow::refresh() {
    int ply = m_store.currentPly();
    if (sameLine()) {
        m_model->setCurrent(ply);
    } else {
        RecordListStyle style = recordListStyle(m_settings);
        std::vector<RecordListRow> rows = recordListRows(m_store, form(), style);
        addMoveMarks(rows, m_store, m_marks);
        m_lineNodes.clear();
        m_lineNodes.reserve(rows.size());
        for (const RecordListRow& r : rows) m_lineNodes.push_back(keyOf(r.node));
        m_dirty = m_store.dirty();
        m_bookmarks = m_store.bookmarkCount();
        m_form = static_cast<int>(form());
        m_styleKey = styleKey(style);
        m_view->setFont(listFont(m_settings.recordFont));
        m_model->setRows(std::move(rows), ply, m_settings.currentMoveColour,
                         m_settings.variationColour, manyColours());
    }
    m_view->scrollTo(m_model->index(ply), QAbstractItemView::EnsureVisible);
    setWindowTitle(QString::fromStdString(
        core::toUtf8Lossy(recordWindowCaption(ply, m_store.lineEndOfMoves()))));
}

QSize RecordWindow::sizeHint() const {
    const QFontMetrics fm(m_view->font());
    int widest = fm.horizontalAdvance(QString::fromUtf8(kLongLine));
    std::vector<std::string> lines;
    for (const RecordListRow& r : m_model->rows()) lines.push_back(r.text);
    const int longest = widestLine(lines);
    for (const RecordListRow& r : m_model->rows()) {
        if (static_cast<int>(r.text.size()) != longest) continue;
        widest = std::max(widest,
                          fm.horizontalAdvance(QString::fromStdString(core::toUtf8Lossy(r.text))));
        break;
    }
    const int scrollBar = m_view->verticalScrollBar()->sizeHint().width();
    return QSize(widest + scrollBar + 2 * m_view->frameWidth() + 12, 20 * fm.height());
}

QPoint RecordWindow::linePoint(int ply) const {
    QRect r = m_view->visualRect(m_model->index(ply));
    return QPoint(r.left() + 2, r.center().y());
}

}  // namespace tavrel
