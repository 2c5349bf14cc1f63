#include "dalmir/logic/undo.h"

#include <utility>

namespace dalmir {

void UndoKeeper::keep(const model::Database& db) {
    m_kept = db;
    m_savedSince = false;
}

void UndoKeeper::forget() {
    m_kept.reset();
    m_savedSince = false;
}

bool UndoKeeper::undo(model::Database& db) {
    if (!m_kept) return false;
    model::Database restored = std::move(*m_kept);
    restored.setModified(restored.isModified() || m_savedSince);
    forget();
    restored.table().setPath(db.table().path());
    restored.setPartialSource(db.partialSource());
    restored.setGeneration(db.generation());
    db = std::move(restored);
    return true;
}

}  // namespace dalmir
