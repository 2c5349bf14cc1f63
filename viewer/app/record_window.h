// The record window beside the main window: the moves of the line through the current position,
// one row each, with the current one selected; its caption says the ply. Choosing a row shows
// that ply. Owned by the main window.
#pragma once

#include <QListWidget>
#include <QWidget>

#include "core/record/record_store.h"
#include "viewer/settings/settings.h"

namespace viewer {

class RecordWindow : public QWidget {
    Q_OBJECT
public:
    RecordWindow(const core::RecordStore& store, const Settings& settings, QWidget* parent);
    // Rebuilds the rows and the caption from the store.
    void refresh();

Q_SIGNALS:
    void plyChosen(int ply);

private:
    const core::RecordStore& m_store;
    const Settings& m_settings;
    QListWidget* m_list;
    bool m_refreshing = false;
};

}  // namespace viewer
