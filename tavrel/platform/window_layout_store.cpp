#include "tavrel/platform/window_layout_store.h"

#include <QSettings>

#include "tavrel/logic/view/board_geometry.h"

namespace tavrel {

WindowLayout loadWindowLayout(const QString& product) {
    WindowLayout layout;
    if (product.isEmpty()) return layout;
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    s.beginGroup(QStringLiteral("Layout"));
    layout.paneState = s.value(QStringLiteral("panes")).toByteArray();
    layout.boardSize = validBoardSize(s.value(QStringLiteral("boardSize"), 0).toInt());
    layout.recordSeparate = s.value(QStringLiteral("recordSeparate"), false).toBool();
    layout.dragWhileViewing = s.value(QStringLiteral("dragWhileViewing"), true).toBool();
    layout.promotionOnBoard = s.value(QStringLiteral("promotionOnBoard"), true).toBool();
    return layout;
}

void saveWindowLayout(const WindowLayout& layout, const QString& product) {
    if (product.isEmpty()) return;
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VESK"), product);
    s.beginGroup(QStringLiteral("Layout"));
    s.setValue(QStringLiteral("panes"), layout.paneState);
    s.setValue(QStringLiteral("boardSize"), layout.boardSize);
    s.setValue(QStringLiteral("recordSeparate"), layout.recordSeparate);
    s.setValue(QStringLiteral("dragWhileViewing"), layout.dragWhileViewing);
    s.setValue(QStringLiteral("promotionOnBoard"), layout.promotionOnBoard);
}

}  // namespace tavrel
