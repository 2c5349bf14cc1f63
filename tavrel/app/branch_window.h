// The branch window (分岐): a small pop-up listing the moves that can follow the position shown,
// drawn row by row in the record font. A left click on a row asks to play it, a right click asks
// for its menu; moving or resizing stores the rectangle in the settings, closing it while the
// setting says "always" turns the setting off. Owned by the main window.
#pragma once

#include <QWidget>
#include <vector>

#include "core/record/record_store.h"
#include "tavrel/logic/view/branch_list.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

// The branch window (CBraWnd).
class BranchWindow : public QWidget {
    Q_OBJECT
public:
    BranchWindow(const core::RecordStore& store, Settings& settings, int instance, QWidget* parent);
    // Takes the rows of the position shown and shows or hides the window by the setting.
    void refresh();
    // Places the window from the setting (at creation).
    void placeFromSettings(const Desktop& desktop);
    int rowHeight() const;
    // Room for a few rows of moves, as a pane.
    QSize sizeHint() const override;
    // The point inside row `row` (0-based) where a click lands.
    QPoint rowPoint(int row) const;
    const std::vector<BranchRow>& rows() const { return m_rows; }

Q_SIGNALS:
    void rowClicked(int row);
    void rowMenuWanted(const QPoint& globalPos, int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void storeRect();

    const core::RecordStore& m_store;
    Settings& m_settings;
    int m_instance;
    std::vector<BranchRow> m_rows;
    bool m_placing = false;
};

}  // namespace tavrel
