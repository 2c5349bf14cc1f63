// Taking back the last change to the list (元に戻す, Ctrl+Z and Alt+Backspace): before a command
// changes the records or the list, the window keeps a copy of the database; undoing puts the
// copy back. One change is kept; opening or starting another database forgets it.
#pragma once

#include <optional>

#include "dalmir/model/store/database.h"

namespace dalmir {

class UndoKeeper {
public:
    // Keeps the database as it is now, replacing what was kept before.
    void keep(const model::Database& db);
    void forget();
    bool canUndo() const { return m_kept.has_value(); }
    // The database was saved: what undoing puts back then differs from the file.
    void noteSaved() { m_savedSince = true; }

    // Puts the kept records, their move lists, the display order and the list settings back.
    // The database's file (its path, the file it was partly read from, the pair's generation)
    // stays the current one. The database comes out modified unless it was unmodified when
    // kept and has not been saved since. False when nothing was kept.
    bool undo(model::Database& db);

private:
    std::optional<model::Database> m_kept;
    bool m_savedSince = false;
};

}  // namespace dalmir
