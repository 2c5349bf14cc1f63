// The tree dock of Dalmir's window: the opening tree of the selected record's position, one line
// per next move with its count and results, and a button that lists the records behind the
// chosen line. The window owns the database; the dock keeps the last tree it showed. Trees are
// computed on a worker of the dock's own, one at a time, and only the latest selection's is
// shown; the window settles the worker (stops and waits for it) before it changes the database.
#pragma once

#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <optional>

#include "dalmir/model/analysis/move_losses.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/tree/opening_tree.h"

namespace dalmir {

class TreeDock : public QDockWidget {
    Q_OBJECT
public:
    explicit TreeDock(QWidget* parent = nullptr);

    ~TreeDock() override;

    // Shows the tree of the slot's position (nothing for -1 or a slot without one), once the
    // worker has computed it; db must stay unchanged until settle() or the result.
    void showFor(const model::Database& db, int slot);
    // The stored evaluations whose scores the rows show (null: none), from the next tree on.
    void setEvaluations(std::shared_ptr<const model::EvaluationStore> store,
                        const model::MarkThresholds& thresholds) {
        m_evaluations = std::move(store);
        m_thresholds = thresholds;
    }
    // Stops the computation running and drops the one waiting: the database may change.
    void settle();
    // Waits until no computation runs or waits and its result is shown (for the tests).
    void waitForIdle();
    bool busy() const { return m_running != 0 || m_pending.has_value(); }
    // Makes the records behind the current line the list; the count listed.
    int listChosen(model::Database& db);

    QListWidget* lines() { return m_lines; }
    QString caption() const { return m_caption->text(); }

Q_SIGNALS:
    // The list button was pressed.
    void listRequested();

private:
    std::shared_ptr<const model::EvaluationStore> m_evaluations;
    model::MarkThresholds m_thresholds;
    struct Request {
        const model::Database* db = nullptr;
        model::ReplayBoard board;
        int hitPly = 0;
        uint64_t generation = 0;
    };
    void start(Request request);
    void finished(uint64_t generation, model::ReplayBoard board, int hitPly,
                  model::OpeningTree tree);

    QLabel* m_caption;
    QListWidget* m_lines;
    QPushButton* m_listButton;
    model::OpeningTree m_tree;
    std::optional<model::ReplayBoard> m_board;
    QThreadPool m_pool;
    std::atomic<bool> m_cancel{false};
    uint64_t m_generation = 0;  // of the latest request
    uint64_t m_running = 0;     // generation computing now, 0 for none
    std::optional<Request> m_pending;
};

}  // namespace dalmir
