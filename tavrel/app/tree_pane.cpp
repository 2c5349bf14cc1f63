#include "tavrel/app/tree_pane.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QVBoxLayout>

#include "core/base/safe_file.h"
#include "core/text/translation.h"
#include "desktop/program_link.h"
#include "desktop/qt_text.h"

namespace tavrel {

namespace {

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

constexpr const char* kTitles[] = {TR_NOOP("指し手"), TR_NOOP("局数"),       TR_NOOP("先手勝率"),
                                   TR_NOOP("先手勝"), TR_NOOP("後手勝"),     TR_NOOP("引分"),
                                   TR_NOOP("他"),     TR_NOOP("最終対局日"), TR_NOOP("定跡"),
                                   TR_NOOP("棋譜"),   TR_NOOP("評価値")};
static_assert(std::size(kTitles) == static_cast<std::size_t>(TreeColumn::ColumnCount));

}  // namespace

void TreePaneModel::reset() {
    beginResetModel();
    endResetModel();
}

int TreePaneModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_state.rows().size());
}

int TreePaneModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(TreeColumn::ColumnCount);
}

QVariant TreePaneModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const auto column = static_cast<TreeColumn>(index.column());
    if (role == Qt::DisplayRole) {
        return desktop::fromUtf8(m_state.cellText(index.row(), column));
    }
    if (role == Qt::TextAlignmentRole && column != TreeColumn::Move &&
        column != TreeColumn::Record) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole && column == TreeColumn::Move) {
        const auto& rows = m_state.rows();
        if (index.row() < static_cast<int>(rows.size())) {
            return desktop::fromFsPath(rows[static_cast<std::size_t>(index.row())].bestPath);
        }
    }
    return {};
}

QVariant TreePaneModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(TreeColumn::ColumnCount)) {
        return {};
    }
    return desktop::translated(kTitles[section]);
}

void TreePaneModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= static_cast<int>(TreeColumn::ColumnCount)) return;
    beginResetModel();
    m_state.sortBy(static_cast<TreeColumn>(column), order == Qt::DescendingOrder);
    endResetModel();
}

TreePane::TreePane(Document& doc, QWidget* parent)
    : QDockWidget(desktop::translated("ツリー"), parent),
      m_doc(doc),
      m_model(m_state),
      m_databaseButton(new QPushButton(desktop::translated("データベース"))),
      m_databaseMenu(new QMenu(this)),
      m_dalmirAction(nullptr),
      m_dalmirProbe(std::make_unique<core::NoteFileProbe>(
          core::userOpenDatabaseNotePath(desktop::currentUserId()), desktop::currentUserId())),
      m_bookButton(new QPushButton(desktop::translated("定跡ファイル..."))),
      m_source(new QLabel),
      m_table(new QTableView),
      m_status(new QLabel) {
    setObjectName(QStringLiteral("TreePane"));
    m_databaseButton->setObjectName(QStringLiteral("treeDatabase"));
    m_bookButton->setObjectName(QStringLiteral("treeBook"));
    m_pool.setMaxThreadCount(1);
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->setSortingEnabled(true);
    m_table->horizontalHeader()->setSortIndicator(static_cast<int>(TreeColumn::Count),
                                                  Qt::DescendingOrder);
    m_source->setWordWrap(true);
    m_status->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_databaseButton);
    buttons->addWidget(m_bookButton);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout;
    layout->addLayout(buttons);
    layout->addWidget(m_source);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_status);
    auto* body = new QWidget;
    body->setLayout(layout);
    setWidget(body);

    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown) applyRestore();
    });
    // The sources: a file chosen, or the database Dalmir has open (offered when it has one).
    QAction* fileAction = m_databaseMenu->addAction(desktop::translated("ファイルを選ぶ..."));
    fileAction->setObjectName(QStringLiteral("treeDatabaseFile"));
    connect(fileAction, &QAction::triggered, this, &TreePane::chooseDatabase);
    m_dalmirAction = m_databaseMenu->addAction(desktop::translated(kDalmirSourceText));
    m_dalmirAction->setObjectName(QStringLiteral("treeDatabaseDalmir"));
    m_databaseMenu->setToolTipsVisible(true);
    connect(m_dalmirAction, &QAction::triggered, this, [this] { (void)followDalmir(); });
    connect(m_databaseMenu, &QMenu::aboutToShow, this, [this] { (void)dalmirAction(); });
    m_databaseButton->setMenu(m_databaseMenu);
    connect(m_bookButton, &QPushButton::clicked, this, &TreePane::chooseBook);
    connect(m_table, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() != static_cast<int>(TreeColumn::Record)) playRow(index.row());
    });
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() == static_cast<int>(TreeColumn::Record)) openRow(index.row());
    });
    updateStatus();
}

TreePane::~TreePane() { m_pool.waitForDone(); }

void TreePane::positionChanged() {
    if (m_followDalmir) refreshDalmir();
    if (!m_db && !m_book) return;
    if (auto generation = m_state.request(boardOfStore(m_doc.store()))) start(*generation);
    updateStatus();
}

void TreePane::start(uint64_t generation) {
    // The worker gets its own references: the sources stay alive while it reads them.
    m_pool.start([this, db = m_db, book = m_book, board = m_state.board(), generation] {
        TreePaneResult result = computeTreeRows(db.get(), book.get(), board);
        result.generation = generation;
        // The pane waits for its worker before it goes, so it is there to take the result.
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)]() mutable { finished(std::move(result)); },
            Qt::QueuedConnection);
    });
}

void TreePane::finished(TreePaneResult result) {
    std::optional<uint64_t> next;
    if (m_state.finish(std::move(result), next)) m_model.reset();
    if (next) start(*next);
    updateStatus();
}

void TreePane::setDalmirProbe(std::unique_ptr<core::OpenDatabaseProbe> probe) {
    m_dalmirProbe = std::move(probe);
}

QAction* TreePane::dalmirAction() {
    const DalmirSourceItem item = dalmirSourceItem(core::openDatabaseState(*m_dalmirProbe));
    m_dalmirAction->setEnabled(item.enabled);
    m_dalmirAction->setToolTip(desktop::fromUtf8(item.why));
    return m_dalmirAction;
}

bool TreePane::followDalmir() {
    if (!dalmirAction()->isEnabled()) return false;
    if (m_restore) m_restore->first.clear();
    m_followDalmir = true;
    m_follower.reset();
    positionChanged();  // reads Dalmir's note and opens its database
    return true;
}

void TreePane::refreshDalmir() {
    const core::OpenDatabaseState state = core::openDatabaseState(*m_dalmirProbe);
    int64_t stamp = -1;
    if (state.program == core::DatabaseProgram::Open) {
        const QFileInfo info(desktop::fromFsPath(state.path));
        if (info.isFile()) {
            stamp = info.lastModified().toMSecsSinceEpoch() * 1000 + info.size() % 1000;
        }
    }
    const DalmirFollower::Step step = m_follower.refresh(state, stamp);
    m_dalmirNotice = desktop::fromUtf8(step.notice);
    if (step.open) load(desktop::fromFsPath(*step.open));
    updateStatus();
}

void TreePane::openDatabase(const QString& path) {
    if (m_restore) m_restore->first.clear();  // the user's choice wins over the remembered one
    m_followDalmir = false;
    m_follower.reset();
    m_dalmirNotice.clear();
    load(path);
}

void TreePane::load(const QString& path) {
    m_databasePath = m_followDalmir ? QString() : path;
    m_state.clear();
    m_model.reset();
    m_db.reset();
    if (path.isEmpty()) {
        m_source->clear();
        positionChanged();
        return;
    }
    m_source->setText(desktop::translated("読み込み中: ") + QFileInfo(path).fileName());
    ++m_opening;
    m_pool.start([this, fsPath = desktop::fsPath(path), path] {
        TreeDatabase::OpenResult code = TreeDatabase::OpenResult::Ok;
        std::string message;
        std::shared_ptr<const TreeDatabase> db = TreeDatabase::open(fsPath, code, message);
        QMetaObject::invokeMethod(
            this,
            [this, db, message, path] {
                --m_opening;
                m_db = db;
                const QString name = QFileInfo(path).fileName();
                m_source->setText(!db ? QString()
                                  : m_followDalmir
                                      ? desktop::translated(kDalmirSourceText) + qs(": ") + name
                                      : name);
                if (!message.empty()) m_source->setText(desktop::fromUtf8(message));
                if (!m_notice.isEmpty()) m_source->setText(m_source->text() + "\n" + m_notice);
                m_state.clear();
                positionChanged();
            },
            Qt::QueuedConnection);
    });
}

bool TreePane::loadBook(const QString& path, QString& why) {
    const std::optional<std::string> text =
        core::readFile(desktop::fsPath(path), std::size_t{1} << 30);
    auto book = std::make_shared<dalmir::model::OpeningBook>();
    const dalmir::model::BookReadReport r =
        text ? dalmir::model::readBook(*text, *book) : dalmir::model::BookReadReport{false, 0, {}};
    if (!r.ok) {
        why = QFileInfo(path).fileName() + "\n" +
              (text ? desktop::translated("%1 行目: %2")
                          .arg(r.line)
                          .arg(QString::fromStdString(r.problem))
                    : desktop::translated("ファイルを読めません。"));
        if (book->positions.empty()) return false;
    }
    m_book = std::move(book);
    m_bookPath = path;
    m_state.clear();
    positionChanged();
    return r.ok;
}

bool TreePane::openBook(const QString& path) {
    if (m_restore) m_restore->second.clear();
    QString why;
    const bool ok = loadBook(path, why);
    if (!ok) QMessageBox::warning(this, windowTitle(), why);
    return ok;
}

void TreePane::restore(const QString& database, const QString& book) {
    m_restore.emplace(database, book);
    if (isVisible()) applyRestore();
}

void TreePane::applyRestore() {
    if (!m_restore) return;
    const auto [database, book] = *m_restore;
    m_restore.reset();
    QStringList missing;
    if (!database.isEmpty()) {
        if (QFileInfo::exists(database)) {
            openDatabase(database);
        } else {
            m_databasePath = database;  // kept for when the file is back
            missing << QFileInfo(database).fileName();
        }
    }
    if (!book.isEmpty()) {
        QString why;
        if (!QFileInfo::exists(book)) {
            m_bookPath = book;
            missing << QFileInfo(book).fileName();
        } else if (!loadBook(book, why)) {
            m_bookPath = book;
            missing << why;
        }
    }
    m_notice.clear();
    if (!missing.isEmpty()) {
        m_notice = desktop::translated("前回のファイルを開けません: ") +
                   missing.join(desktop::translated("、"));
        m_source->setText(m_notice);
    }
}

void TreePane::waitForIdle() {
    while (m_opening > 0 || m_state.busy()) {
        m_pool.waitForDone();
        QCoreApplication::sendPostedEvents(this);
    }
}

void TreePane::playRow(int row) {
    const std::optional<std::string> move = m_state.moveAt(row);
    if (!move) return;
    if (playTreeMove(m_doc.store(), *move)) Q_EMIT recordChanged();
}

void TreePane::openRow(int row) {
    const auto record = m_state.recordAt(row);
    if (record) Q_EMIT openRecord(desktop::fromFsPath(record->fsPath), record->ply);
}

void TreePane::chooseDatabase() {
    const QString path = QFileDialog::getOpenFileName(
        this, desktop::translated("データベースを開く"), {},
        desktop::translated("データベース (*.dlb *.DLB *.kix *.KIX *.dls *.DLS)"));
    if (!path.isEmpty()) openDatabase(path);
}

void TreePane::chooseBook() {
    const QString path =
        QFileDialog::getOpenFileName(this, desktop::translated("定跡ファイルを開く"), {},
                                     desktop::translated("定跡ファイル (*.db);;すべて (*)"));
    if (!path.isEmpty()) (void)openBook(path);
}

void TreePane::updateStatus() {
    QString text = desktop::fromUtf8(m_state.statusText());
    if (m_followDalmir && !m_dalmirNotice.isEmpty()) text += QLatin1Char('\n') + m_dalmirNotice;
    m_status->setText(text);
}

}  // namespace tavrel
