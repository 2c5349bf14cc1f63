// The tree dock of Dalmir's window: the opening tree of the selected record's position, one line
// per next move with its count and results, and a button that lists the records behind the
// chosen line. The window owns the database; the dock keeps the last tree it showed.
#pragma once

#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <optional>

#include "dalmir/model/store/database.h"
#include "dalmir/model/tree/opening_tree.h"

namespace dalmir {

class TreeDock : public QDockWidget {
    Q_OBJECT
public:
    explicit TreeDock(QWidget* parent = nullptr);

    // Shows the tree of the slot's position (nothing for -1 or a slot without one).
    void showFor(const model::Database& db, int slot);
    // Makes the records behind the current line the list; the count listed.
    int listChosen(model::Database& db);

    QListWidget* lines() { return m_lines; }
    QString caption() const { return m_caption->text(); }

Q_SIGNALS:
    // The list button was pressed.
    void listRequested();

private:
    QLabel* m_caption;
    QListWidget* m_lines;
    QPushButton* m_listButton;
    model::OpeningTree m_tree;
    std::optional<model::ReplayBoard> m_board;
};

}  // namespace dalmir
