// The record window beside the main window: the moves of the line through the current position,
// one line each (a model over the texts the logic makes, so only the visible lines are drawn),
// with the current line and the lines with alternatives coloured; its caption says the ply. A
// click on a line shows that ply; a right click asks the main window for the context menu. Owned
// by the main window.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QWidget>
#include <string>
#include <vector>

#include "core/record/record_store.h"
#include "tavrel/logic/view/record_list_text.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

// The lines of the record list for a view: texts converted only when a line is drawn.
class RecordListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit RecordListModel(QObject* parent) : QAbstractListModel(parent) {}
    void setRows(std::vector<RecordListRow> rows, int current, Rgb currentColour,
                 Rgb variationColour, bool manyColours);
    // Only the current line changed: the two lines concerned are redrawn.
    void setCurrent(int current);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    const std::vector<RecordListRow>& rows() const { return m_rows; }
    int current() const { return m_current; }

private:
    std::vector<RecordListRow> m_rows;
    int m_current = 0;
    Rgb m_currentColour;
    Rgb m_variationColour;
    bool m_manyColours = true;
};

class RecordWindow : public QWidget {
    Q_OBJECT
public:
    RecordWindow(const core::RecordStore& store, const Settings& settings, QWidget* parent);
    // Rebuilds the lines (unless only the current line moved along the same line) and the
    // caption from the store.
    void refresh();
    // Forces the next refresh to rebuild every line (a form, font or colour changed).
    void invalidate() { m_lineNodes.clear(); }
    RecordListForm form() const;
    QListView* view() { return m_view; }
    RecordListModel* model() { return m_model; }
    // The point of line `ply` in view coordinates (its left edge, vertically centred).
    QPoint linePoint(int ply) const;
    // Wide enough for the longest line shown (and at least for a long line of a record) without
    // a horizontal scroll bar.
    QSize sizeHint() const override;
    // The marks of the main line's moves to show after them (stored evaluations), ply 1 first;
    // the lines are built again.
    void setMoveMarks(std::vector<std::string> marks);

Q_SIGNALS:
    void plyChosen(int ply);
    // A right click on line `ply` at character column `column`.
    void contextMenuWanted(const QPoint& globalPos, int ply, int column);

private:
    // Whether the cached lines still show the line through the current node.
    bool sameLine() const;

    const core::RecordStore& m_store;
    const Settings& m_settings;
    std::vector<std::string> m_marks;
    QListView* m_view;
    RecordListModel* m_model;
    // What a line was built from: its node and what of the node its text shows. A record read
    // anew can reuse the same node indices, so the moves are compared too.
    struct LineKey {
        core::NodeIndex node = core::kNoNode;
        std::uint8_t from = 0;
        std::uint8_t to = 0;
        std::uint16_t seconds = 0;
        bool comment = false;
        bool alternatives = false;
        friend bool operator==(const LineKey&, const LineKey&) = default;
    };
    LineKey keyOf(core::NodeIndex node) const;

    // What the lines were built from: the line, the record's change count and bookmark count,
    // the form and the style.
    std::vector<LineKey> m_lineNodes;
    int m_bookmarks = 0;
    std::uint32_t m_dirty = 0;
    int m_form = -1;
    int m_styleKey = -1;
};

}  // namespace tavrel
