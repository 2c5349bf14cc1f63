#include "tavrel/app/analysis_dock.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "core/formats/usi_reader.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/app/board_widget.h"
#include "tavrel/platform/qt_text.h"
#include "tavrel/platform/usi_process.h"
#include "usi/record_analysis.h"

namespace tavrel {

namespace {

constexpr int kRefreshMs = 100;  // at most ten redraws a second

QString number(std::int64_t n) { return n < 0 ? QString() : QString::number(n); }

core::NotationOptions notationOf(const Settings& settings) {
    core::NotationOptions o;
    o.dragonAsRyu = settings.dragonNotation != 0;
    return o;
}

}  // namespace

void AnalysisModel::refresh(const usi::AnalysisLines& lines,
                            const core::NotationOptions& notation) {
    std::vector<std::array<QString, ColumnCount>> rows;
    const core::Position& pos = lines.position();
    for (const usi::AnalysisLine& l : lines.lines()) {
        std::array<QString, ColumnCount> r;
        r[Rank] = QString::number(l.multiPv);
        r[Score] = fromUtf8(scoreText(l.score, pos.sideToMove, false));
        r[BlackScore] = fromUtf8(scoreText(l.score, pos.sideToMove, true));
        r[Depth] = l.depth < 0 ? QString()
                               : QString::number(l.depth) +
                                     (l.selDepth >= 0 ? "/" + QString::number(l.selDepth) : "");
        r[Nodes] = number(l.nodes);
        r[Nps] = number(l.nps);
        r[Pv] = fromUtf8(usi::pvText(pos, l.pv, lines.previousDestination(), notation));
        rows.push_back(std::move(r));
    }
    const int old = static_cast<int>(m_rows.size());
    const int now = static_cast<int>(rows.size());
    if (now < old) {
        beginRemoveRows({}, now, old - 1);
        m_rows.resize(static_cast<std::size_t>(now));
        endRemoveRows();
    }
    for (int i = 0; i < std::min(old, now); ++i)
        m_rows[static_cast<std::size_t>(i)] = rows[static_cast<std::size_t>(i)];
    if (std::min(old, now) > 0) {
        Q_EMIT dataChanged(index(0, 0), index(std::min(old, now) - 1, ColumnCount - 1));
    }
    if (now > old) {
        beginInsertRows({}, old, now - 1);
        for (int i = old; i < now; ++i) m_rows.push_back(rows[static_cast<std::size_t>(i)]);
        endInsertRows();
    }
}

int AnalysisModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int AnalysisModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AnalysisModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) return {};
    // The whole line as the tip of a line cut at the pane's edge.
    if (role == Qt::DisplayRole || (role == Qt::ToolTipRole && index.column() == Pv)) {
        return m_rows[static_cast<std::size_t>(index.row())]
                     [static_cast<std::size_t>(index.column())];
    }
    if (role == Qt::TextAlignmentRole && index.column() != Pv) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant AnalysisModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[ColumnCount] = {
        TR_NOOP("順位"), TR_NOOP("評価値"), TR_NOOP("先手から"), TR_NOOP("深さ"), TR_NOOP("ノード"),
        "NPS",           TR_NOOP("読み筋")};
    if (section < 0 || section >= ColumnCount) return {};
    return desktop::translated(kTitles[section]);
}

AnalysisDock::AnalysisDock(Document& doc, QWidget* parent)
    : QDockWidget(desktop::translated("検討"), parent),
      m_doc(doc),
      m_engineBox(new QComboBox),
      m_startButton(new QPushButton(desktop::translated("開始"))),
      m_stopButton(new QPushButton(desktop::translated("停止"))),
      m_addButton(new QPushButton(desktop::translated("変化として追加"))),
      m_totals(new QLabel),
      m_status(new QLabel),
      m_table(new QTableView),
      m_previewSlider(new QSlider(Qt::Horizontal)),
      m_previewStore(std::make_unique<core::RecordStore>()),
      m_previewBoard(nullptr) {
    setObjectName(QStringLiteral("AnalysisDock"));
    m_startButton->setObjectName(QStringLiteral("analysisStart"));
    m_stopButton->setObjectName(QStringLiteral("analysisStop"));
    m_addButton->setObjectName(QStringLiteral("analysisAddVariation"));
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    // The line takes the width the numbers leave and is cut at its end, never at its start.
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(AnalysisModel::Pv, QHeaderView::Stretch);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->setWordWrap(false);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_status->setWordWrap(true);
    m_previewBoard = new BoardWidget(*m_previewStore, doc.settings());
    m_previewBoard->setMinimumSize(160, 160);
    m_previewSlider->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_engineBox, 1);
    buttons->addWidget(m_startButton);
    buttons->addWidget(m_stopButton);
    auto* previewRow = new QHBoxLayout;
    previewRow->addWidget(m_previewSlider, 1);
    previewRow->addWidget(m_addButton);
    auto* layout = new QVBoxLayout;
    layout->addLayout(buttons);
    layout->addWidget(m_totals);
    layout->addWidget(m_table, 2);
    layout->addWidget(m_previewBoard, 2);
    layout->addLayout(previewRow);
    layout->addWidget(m_status);
    auto* body = new QWidget;
    body->setLayout(layout);
    setWidget(body);

    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &AnalysisDock::flush);
    connect(m_startButton, &QPushButton::clicked, this, &AnalysisDock::startAnalysis);
    connect(m_stopButton, &QPushButton::clicked, this, &AnalysisDock::stopAnalysis);
    connect(m_addButton, &QPushButton::clicked, this, &AnalysisDock::addPreviewAsVariation);
    connect(m_table, &QTableView::clicked, this,
            [this](const QModelIndex& index) { preview(index.row()); });
    connect(m_previewSlider, &QSlider::valueChanged, this, [this](int k) {
        // The slider stays within the preview's line.
        (void)m_previewStore->goToPly(m_previewBase + k);
        m_previewBoard->update();
    });
    connect(m_engineBox, &QComboBox::currentIndexChanged, this, [this] {
        const bool was = m_analysing;
        endEngine();
        if (was) startAnalysis();
    });
    updateButtons();
}

AnalysisDock::~AnalysisDock() {
    m_refresh.stop();
    delete m_process;
}

void AnalysisDock::setEngines(const std::vector<usi::EngineEntry>& engines) {
    m_engines = engines;
    const QSignalBlocker block(m_engineBox);
    const QString chosen = m_engineBox->currentText();
    m_engineBox->clear();
    for (const usi::EngineEntry& e : m_engines)
        m_engineBox->addItem(QString::fromStdString(e.name));
    const int again = m_engineBox->findText(chosen);
    if (again >= 0) m_engineBox->setCurrentIndex(again);
    updateButtons();
}

void AnalysisDock::updateButtons() {
    m_startButton->setEnabled(!m_analysing && m_engineBox->count() > 0);
    m_stopButton->setEnabled(m_analysing);
    m_addButton->setEnabled(!m_previewPv.empty());
}

void AnalysisDock::startAnalysis() {
    if (m_analysing) return;
    const int i = m_engineBox->currentIndex();
    if (i < 0 || i >= static_cast<int>(m_engines.size())) return;
    m_status->clear();
    if (!m_process) {
        m_process = new UsiProcess(*this, this);
        const usi::EngineEntry& entry = m_engines[static_cast<std::size_t>(i)];
        if (m_log) m_process->setTraffic(engineLogTraffic(m_log, entry.name));
        m_process->start(entry);
    }
    m_analysing = true;
    m_refresh.start();
    searchCurrent();
    updateButtons();
}

void AnalysisDock::stopAnalysis() {
    if (!m_analysing) return;
    m_analysing = false;
    if (m_process) m_process->engine().stop();
    flush();
    m_refresh.stop();
    updateButtons();
}

void AnalysisDock::endEngine() {
    m_analysing = false;
    m_refresh.stop();
    if (m_process) {
        m_process->engine().quit();
        // The process goes once it has ended (or been killed after the timeout).
        UsiProcess* old = m_process;
        m_process = nullptr;
        QTimer::singleShot(4000, old, [old] { old->deleteLater(); });
    }
    updateButtons();
}

void AnalysisDock::positionChanged() {
    const core::RecordStore& store = m_doc.store();
    // A change that left the position as it was (a comment, a header) needs no new search.
    if (store.current() == m_searchedNode && store.position() == m_lines.position()) return;
    if (m_analysing) searchCurrent();
}

void AnalysisDock::recordReplaced() {
    const core::RecordStore& store = m_doc.store();
    m_searchedNode = core::kNoNode;
    m_lines.reset(store.position(), 0);
    m_model.refresh(m_lines, notationOf(m_doc.settings()));
    m_totals->clear();
    m_status->clear();
    m_previewPv.clear();
    // The preview board keeps its store: emptied, not replaced.
    m_previewStore->reset();
    m_previewBoard->update();
    {
        const QSignalBlocker block(m_previewSlider);
        m_previewSlider->setRange(0, 0);
    }
    m_previewSlider->setEnabled(false);
    updateButtons();
    if (m_analysing) searchCurrent();
}

void AnalysisDock::searchCurrent() {
    if (!m_process) return;
    const core::RecordStore& store = m_doc.store();
    const core::NodeIndex node = store.current();
    const int previous = node == core::kRootNode ? 0 : store.node(node).destination();
    m_searchedNode = node;
    m_lines.reset(store.position(), previous);
    m_previewPv.clear();
    m_previewSlider->setEnabled(false);
    usi::GoLimits limits;
    limits.infinite = true;
    m_process->engine().go(store.position(), usi::usiPositionCommandAt(store, node), limits);
    flush();
}

void AnalysisDock::flush() {
    if (!m_lines.takeChanged()) return;
    m_model.refresh(m_lines, notationOf(m_doc.settings()));
    m_totals->setText(fromUtf8(m_lines.totalsText()));
}

void AnalysisDock::preview(int row, int moves) {
    if (row < 0 || row >= static_cast<int>(m_lines.lines().size())) return;
    int illegalAt = -1;
    const std::vector<std::string>& pv = m_lines.lines()[static_cast<std::size_t>(row)].pv;
    std::vector<core::MoveNode> nodes = usi::pvNodes(m_lines.position(), pv, &illegalAt);
    m_previewPv.assign(pv.begin(), pv.begin() + static_cast<std::ptrdiff_t>(nodes.size()));
    if (illegalAt >= 0) {
        static const std::string format =
            std::string(core::translate("読み筋に指せない手があります：%s"));
        m_status->setText(
            fromUtf8(core::formatMessage(format, {pv[static_cast<std::size_t>(illegalAt)]})));
    }
    // The preview's own record: the position shown, then the line.
    const core::RecordStore& store = m_doc.store();
    std::string command = usi::usiPositionCommandAt(store, store.current());
    m_previewBase = store.plyOf(store.current());
    bool first = command.find(" moves ") == std::string::npos;
    for (const std::string& m : m_previewPv) {
        command += first ? " moves " : " ";
        command += m;
        first = false;
    }
    // The engine's line is legal; the preview shows what was read.
    (void)core::readUsiText(*m_previewStore, command, {});
    // The start may be a SFEN of its own: count the plies from there.
    m_previewBase = m_previewStore->lineEnd() - static_cast<int>(m_previewPv.size());
    const int k = moves < 0 ? static_cast<int>(m_previewPv.size()) : moves;
    const QSignalBlocker block(m_previewSlider);
    m_previewSlider->setRange(0, static_cast<int>(m_previewPv.size()));
    m_previewSlider->setValue(k);
    m_previewSlider->setEnabled(!m_previewPv.empty());
    // The slider stays within the preview's line.
    (void)m_previewStore->goToPly(m_previewBase + k);
    m_previewBoard->update();
    updateButtons();
}

void AnalysisDock::addPreviewAsVariation() {
    if (m_previewPv.empty()) return;
    if (usi::addPvAsVariation(m_doc.store(), m_previewPv) > 0) Q_EMIT recordChanged();
}

void AnalysisDock::engineReady() {}

void AnalysisDock::engineInfo(const usi::UsiInfo& info) { m_lines.add(info); }

void AnalysisDock::engineWarning(const std::string& message) {
    m_status->setText(fromUtf8(message));
}

void AnalysisDock::engineFailed(const std::string& message) {
    m_status->setText(fromUtf8(message));
    m_analysing = false;
    m_refresh.stop();
    if (m_process) {
        m_process->deleteLater();
        m_process = nullptr;
    }
    updateButtons();
}

}  // namespace tavrel
