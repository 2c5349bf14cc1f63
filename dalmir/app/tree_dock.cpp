#include "dalmir/app/tree_dock.h"

#include <QCoreApplication>
#include <QVBoxLayout>

#include "dalmir/app/qt_text.h"
#include "dalmir/logic/tree_view.h"

namespace dalmir {

namespace {
QString qs(const char* utf8) { return QString::fromUtf8(utf8); }
}  // namespace

TreeDock::TreeDock(QWidget* parent)
    : QDockWidget(qs("ツリー"), parent),
      m_caption(new QLabel),
      m_lines(new QListWidget),
      m_listButton(new QPushButton(qs("この手の棋譜を一覧"))) {
    setObjectName(QStringLiteral("TreeDock"));
    m_pool.setMaxThreadCount(1);
    m_listButton->setObjectName(QStringLiteral("treeList"));
    m_caption->setWordWrap(true);
    auto* layout = new QVBoxLayout;
    layout->addWidget(m_caption);
    layout->addWidget(m_lines, 1);
    layout->addWidget(m_listButton);
    auto* body = new QWidget;
    body->setLayout(layout);
    setWidget(body);
    m_listButton->setEnabled(false);
    connect(m_lines, &QListWidget::currentRowChanged, this,
            [this](int row) { m_listButton->setEnabled(row >= 0); });
    connect(m_listButton, &QPushButton::clicked, this, &TreeDock::listRequested);
    connect(m_lines, &QListWidget::itemDoubleClicked, this, &TreeDock::listRequested);
}

TreeDock::~TreeDock() { settle(); }

void TreeDock::showFor(const model::Database& db, int slot) {
    const uint64_t generation = ++m_generation;
    m_pending.reset();
    const std::optional<model::ReplayBoard> board = treePositionOf(db, slot);
    if (!board || !db.isBinary()) {
        // Nothing to compute: what is shown goes at once, and a running tree is not shown.
        m_lines->clear();
        m_tree = {};
        m_board.reset();
        m_caption->setText(db.isBinary() || slot < 0
                               ? QString()
                               : qs("ツリーはバイナリ形式のデータベースで表示します。"));
        return;
    }
    Request request{&db, *board, static_cast<int>(db.table().entry(slot).hitPly), generation};
    m_caption->setText(qs("%1 手目の局面：計算中").arg(request.hitPly));
    if (m_running != 0) {
        m_pending = std::move(request);  // after the one running; a later request replaces it
    } else {
        start(std::move(request));
    }
}

void TreeDock::start(Request request) {
    m_running = request.generation;
    m_pool.start([this, request] {
        model::TreeMaker maker(*request.db);
        maker.setCancel(&m_cancel);
        model::OpeningTree tree = maker.treeOf(request.board, {});
        // The dock waits for its worker before it goes, so it is there to take the result.
        QMetaObject::invokeMethod(
            this,
            [this, generation = request.generation, board = request.board, hitPly = request.hitPly,
             tree = std::move(tree)]() mutable {
                finished(generation, board, hitPly, std::move(tree));
            },
            Qt::QueuedConnection);
    });
}

void TreeDock::finished(uint64_t generation, model::ReplayBoard board, int hitPly,
                        model::OpeningTree tree) {
    if (generation != m_running) return;  // settled before it ended
    m_running = 0;
    if (generation == m_generation) {
        m_tree = std::move(tree);
        m_board = board;
        m_lines->clear();
        m_caption->setText(qs("%1 手目の局面：%2 局").arg(hitPly).arg(m_tree.records));
        for (const std::string& text :
             treeRowTexts(m_tree, *m_board, m_evaluations.get(), m_thresholds)) {
            m_lines->addItem(fromUtf8(text));
        }
    }
    if (m_pending) {
        Request next = std::move(*m_pending);
        m_pending.reset();
        start(std::move(next));
    }
}

void TreeDock::settle() {
    m_pending.reset();
    if (m_running == 0) return;
    m_cancel = true;
    m_pool.waitForDone();
    m_cancel = false;
    m_running = 0;
    // The tree shown may no longer be the database's; the window asks again when it follows.
    if (m_caption->text().endsWith(qs("計算中"))) m_caption->clear();
}

void TreeDock::waitForIdle() {
    while (busy()) {
        m_pool.waitForDone();
        QCoreApplication::sendPostedEvents(this);
    }
}

int TreeDock::listChosen(model::Database& db) {
    const int row = m_lines->currentRow();
    if (!m_board || row < 0) return 0;
    return listRecordsBehind(db, m_tree, *m_board, static_cast<std::size_t>(row));
}

}  // namespace dalmir
