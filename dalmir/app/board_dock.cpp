#include "dalmir/app/board_dock.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>

#include "dalmir/app/qt_text.h"
#include "desktop/qt_text.h"

namespace dalmir {

bool isBoardStepKey(int key) { return key == Qt::Key_Left || key == Qt::Key_Right; }

BoardDock::BoardDock(QWidget* parent) : QDockWidget(parent) {
    setObjectName(QStringLiteral("boardDock"));
    setWindowTitle(desktop::translated("盤面"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* split = new QSplitter(Qt::Vertical, body);
    m_board = new board::PositionView(split);
    m_board->setLabels(desktop::translated("先手"), desktop::translated("後手"),
                       desktop::translated("下手"), desktop::translated("上手"));
    m_board->installEventFilter(this);
    m_moves = new QListWidget(split);
    m_moves->setObjectName(QStringLiteral("boardMoves"));
    m_moves->installEventFilter(this);
    split->addWidget(m_board);
    split->addWidget(m_moves);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    m_note = new QLabel(body);
    m_note->setWordWrap(true);
    m_note->hide();
    layout->addWidget(split, 1);
    layout->addWidget(m_note);
    setWidget(body);
    // A move of the list shows the position after it; the first line is the start.
    connect(m_moves, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_filling && row >= 0) goToPly(row);
    });
}

void BoardDock::showFor(const model::Database& db, int slot) {
    if (slot < 0) {
        m_pane.clear();
        m_note->hide();
    } else if (!m_pane.load(db, m_extractor, slot)) {
        m_note->setText(fromUtf8(m_pane.message()));
        m_note->show();
    } else {
        m_note->hide();
        m_handicap = !model::isEvenHandicap(db.table().entry(slot).handicap);
    }
    m_filling = true;
    m_moves->clear();
    if (!m_pane.empty()) {
        QStringList lines;
        lines.reserve(static_cast<qsizetype>(m_pane.moveTexts().size()) + 1);
        lines << desktop::translated("開始局面");
        for (const std::string& text : m_pane.moveTexts()) lines << fromUtf8(text);
        m_moves->addItems(lines);
    }
    m_filling = false;
    refresh();
}

bool BoardDock::step(int delta) { return goToPly(m_pane.ply() + delta); }

bool BoardDock::goToPly(int ply) {
    if (!m_pane.setPly(ply)) return false;
    refresh();
    return true;
}

void BoardDock::refresh() {
    if (m_pane.empty()) {
        m_board->clearPosition();
        return;
    }
    board::ShownPosition shown;
    shown.cells = m_pane.board().cells;
    shown.hands = m_pane.hands();
    shown.sideToMove = m_pane.board().sideToMove;
    shown.lastSquare = m_pane.lastSquare();
    shown.handicap = m_handicap;
    m_board->setPosition(shown);
    const QSignalBlocker block(m_moves);
    m_moves->setCurrentRow(m_pane.ply());
}

bool BoardDock::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_board && !m_pane.empty()) {
        Q_EMIT openRequested(m_pane.slot(), m_pane.ply());
        return true;
    }
    if (event->type() != QEvent::KeyPress) return QDockWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Left:
            step(-1);
            return true;
        case Qt::Key_Right:
            step(1);
            return true;
        case Qt::Key_Up:
            if (watched != m_board) break;
            step(-1);
            return true;
        case Qt::Key_Down:
            if (watched != m_board) break;
            step(1);
            return true;
        case Qt::Key_Home:
            goToPly(0);
            return true;
        case Qt::Key_End:
            goToPly(m_pane.lastPly());
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!m_pane.empty()) Q_EMIT openRequested(m_pane.slot(), m_pane.ply());
            return true;
        default:
            break;
    }
    return QDockWidget::eventFilter(watched, event);
}

}  // namespace dalmir
