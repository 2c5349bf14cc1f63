// The main window's tree pane: a dock beside the analysis dock, shown from the menu that shows
// that one; a move played in it and a record opened from it reach the document as any others.
#include <QMenu>

#include "desktop/qt_text.h"
#include "tavrel/app/main_window.h"
#include "tavrel/app/tree_pane.h"
#include "tavrel/platform/recent_file_store.h"

namespace tavrel {

void MainWindow::setUpTreePane() {
    m_treePane = new TreePane(m_doc, this);
    addDockWidget(Qt::RightDockWidgetArea, m_treePane);
    m_treePane->hide();
    // Shown and hidden beside the analysis dock's entry.
    QAction* toggle = m_treePane->toggleViewAction();
    toggle->setObjectName(QStringLiteral("treePaneView"));
    if (QAction* analysis = action(Command::AnalysisView)) {
        for (QObject* owner : analysis->associatedObjects()) {
            auto* menu = qobject_cast<QMenu*>(owner);
            if (menu == nullptr) continue;
            const QList<QAction*> actions = menu->actions();
            const qsizetype at = actions.indexOf(analysis);
            menu->insertAction(at + 1 < actions.size() ? actions[at + 1] : nullptr, toggle);
        }
    }
    // The sources of the last run, opened when the pane is shown.
    if (!m_context.profileName.isEmpty()) {
        const TreeSourcePaths last = loadTreeSources(m_context.profileName);
        m_treePane->restore(desktop::fromFsPath(last.database), desktop::fromFsPath(last.book));
    }
    connect(m_treePane, &TreePane::recordChanged, this, [this] { documentChanged(); });
    connect(m_treePane, &TreePane::openRecord, this, [this](const QString& path, int ply) {
        if (openFile(path) != CommandResult::Done) return;
        (void)m_doc.store().goToPly(ply);
        documentChanged();
    });
}

}  // namespace tavrel
