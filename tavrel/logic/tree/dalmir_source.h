// The tree pane's source "the database Dalmir has open": whether the pane's menu offers it (and
// why not), and at each refresh of the pane what to open and what to say. Dalmir's note tells
// the path and whether the database was saved (core/ipc/open_database.h); the pane reads the
// file from disk as it reads a chosen one, so what Dalmir has not saved is not in the tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/ipc/open_database.h"
#include "core/text/translation.h"

namespace tavrel {

inline constexpr const char* kDalmirSourceText = TR_NOOP("Dalmirで開いているデータベース");

struct DalmirSourceItem {
    bool enabled = false;
    std::string why;  // why it can't be chosen (the item's tip); the path when it can
};
DalmirSourceItem dalmirSourceItem(const core::OpenDatabaseState& state);

class DalmirFollower {
public:
    struct Step {
        // A database to open now (Dalmir opened another one, or saved it since it was read);
        // an empty path closes the one shown.
        std::optional<std::string> open;
        // What the pane says about its source; empty when all is well.
        std::string notice;
    };
    // state: Dalmir's note now; stamp: of the file it names (its size and time of writing),
    // -1 when there is no such file.
    Step refresh(const core::OpenDatabaseState& state, int64_t stamp);
    // The pane stopped following (another source was chosen): the next refresh opens anew.
    void reset() { *this = {}; }
    const std::string& path() const { return m_path; }

private:
    bool m_open = false;
    std::string m_path;
    int64_t m_stamp = -1;
};

}  // namespace tavrel
