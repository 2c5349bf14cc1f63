// The tree pane: a dock beside the board with the opening tree of the position shown, from a
// database file the user chooses or the one Dalmir has open (and an opening book beside it). The
// trees are computed on a worker of the pane's own, one at a time, so stepping never waits for
// them; the rows sort by any column, a click plays the move on the board and a double click opens
// the row's record. The decisions are TreePaneState's; the pane owns the state and the sources it
// opened.
#pragma once

#include <QAbstractTableModel>
#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QThreadPool>
#include <memory>
#include <optional>
#include <utility>

#include "core/ipc/open_database.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/tree/dalmir_source.h"
#include "tavrel/logic/tree/tree_pane_state.h"

namespace tavrel {

class TreePaneModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TreePaneModel(TreePaneState& state, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_state(state) {}

    // The state's rows changed.
    void reset();
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    TreePaneState& m_state;
};

class TreePane : public QDockWidget {
    Q_OBJECT
public:
    explicit TreePane(Document& doc, QWidget* parent = nullptr);
    ~TreePane() override;

    // The position on the board changed: its tree is computed (after the one computing now).
    void positionChanged();
    // Opens a database (on the worker) and shows its trees; an empty path closes it.
    void openDatabase(const QString& path);
    // Shows the trees of the database Dalmir has open, following it at each refresh. False
    // (nothing changes) when Dalmir has none open.
    bool followDalmir();
    bool followsDalmir() const { return m_followDalmir; }
    // Where Dalmir's note is read from (the user's own by default; tests give a fake).
    void setDalmirProbe(std::unique_ptr<core::OpenDatabaseProbe> probe);
    // The source menu's item for Dalmir's database, as it is when the menu opens.
    QAction* dalmirAction();
    // Reads an opening book to show beside the database. Shows its own message on failure.
    bool openBook(const QString& path);
    // The sources to open when the pane is next shown (at once when it is shown): those it
    // showed when the program last closed. A file no longer there is said in the pane.
    void restore(const QString& database, const QString& book);
    // The sources chosen (empty for none), to remember.
    QString databasePath() const { return m_databasePath; }
    QString bookPath() const { return m_bookPath; }
    // Waits until no computation is running or waiting (for the tests).
    void waitForIdle();

    TreePaneModel* model() { return &m_model; }
    QTableView* table() { return m_table; }
    const TreePaneState& state() const { return m_state; }
    QString statusText() const { return m_status->text(); }
    QString sourceText() const { return m_source->text(); }
    // What a click or a double click on a row does.
    void playRow(int row);
    void openRow(int row);

Q_SIGNALS:
    // A click played a move: the record and its current position changed.
    void recordChanged();
    // A double click asks for a record file to be opened at a ply.
    void openRecord(const QString& fsPath, int ply);

private:
    void start(uint64_t generation);
    void finished(TreePaneResult result);
    void chooseDatabase();
    void load(const QString& path);
    void refreshDalmir();
    void chooseBook();
    void updateStatus();
    void applyRestore();
    // Reads the book into m_book; false with why (the pane's text) when it can't.
    bool loadBook(const QString& path, QString& why);

    Document& m_doc;
    TreePaneState m_state;
    TreePaneModel m_model;
    std::shared_ptr<const TreeDatabase> m_db;
    std::shared_ptr<const dalmir::model::OpeningBook> m_book;
    QPushButton* m_databaseButton;
    QMenu* m_databaseMenu;
    QAction* m_dalmirAction;
    std::unique_ptr<core::OpenDatabaseProbe> m_dalmirProbe;
    DalmirFollower m_follower;
    bool m_followDalmir = false;
    QString m_dalmirNotice;
    QPushButton* m_bookButton;
    QLabel* m_source;
    QTableView* m_table;
    QLabel* m_status;
    QThreadPool m_pool;
    int m_opening = 0;  // databases being opened on the worker
    QString m_databasePath;
    QString m_bookPath;
    QString m_notice;                                      // what the restore could not open
    std::optional<std::pair<QString, QString>> m_restore;  // database, book
};

}  // namespace tavrel
