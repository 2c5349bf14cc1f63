// The window's layout in the per-user profile (section "Layout" of "VESK/<product>.ini"): the
// panes' places as the main window saves them, the board size choice and the two ways of
// entering moves on the board. The main window reads them at start and writes them when it
// closes, before anything is hidden.
#pragma once

#include <QByteArray>
#include <QString>

namespace tavrel {

struct WindowLayout {
    QByteArray paneState;          // QMainWindow::saveState; empty: the first layout
    int boardSize = 0;             // kBoardSizeFit or a percent of kBoardSizeChoices
    bool recordSeparate = false;   // the record list in a window of its own
    bool dragWhileViewing = true;  // a piece dragged while viewing enters the move
    bool promotionOnBoard = true;  // promotion chosen on the board, not by a question
};

// An empty product keeps nothing: the defaults come back and nothing is written.
WindowLayout loadWindowLayout(const QString& product);
void saveWindowLayout(const WindowLayout& layout, const QString& product);

}  // namespace tavrel
