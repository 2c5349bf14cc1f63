// The board pane beside the list: the selected record's position on the shared board drawing,
// scaled to the pane, with its moves listed under it. Left/Right (and Up/Down on the board) step
// through the record, Home/End go to its start and end, a click on a move goes there; Enter or a
// double click on the board asks to open the record in the viewer at the ply shown.
#pragma once

#include <QDockWidget>
#include <QLabel>
#include <QListWidget>

#include "dalmir/logic/record_pane.h"
#include "desktop/board/position_view.h"

namespace dalmir {

class BoardDock : public QDockWidget {
    Q_OBJECT
public:
    explicit BoardDock(QWidget* parent = nullptr);

    // Shows the record of slot (-1: none); a record that can't be shown says why.
    void showFor(const model::Database& db, int slot);
    const RecordPane& pane() const { return m_pane; }
    // Steps the record shown; false when nothing changed.
    bool step(int delta);
    bool goToPly(int ply);
    board::PositionView* board() { return m_board; }
    QListWidget* moves() { return m_moves; }

Q_SIGNALS:
    // Enter or a double click: the record of slot at ply, in the viewer.
    void openRequested(int slot, int ply);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    RecordPane m_pane;
    model::RecordExtractor m_extractor;  // the pane's own: a search's runs on the worker
    bool m_handicap = false;
    board::PositionView* m_board = nullptr;
    QListWidget* m_moves = nullptr;
    QLabel* m_note = nullptr;
    bool m_filling = false;
};

// Keys that step a board pane from anywhere in the window: Left/Right one move.
bool isBoardStepKey(int key);

}  // namespace dalmir
