// Which database the user's database program has open, for the viewer's tree pane: the program
// that answers on the user's socket keeps a note beside it (in the same private folder) with its
// process, the database's path and whether it was saved, rewritten whenever that changes and
// removed when it ends. The viewer reads the note as it refreshes, never waiting on the other
// program; a note whose process is gone (a crash) counts as no program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

struct OpenDatabaseNote {
    long pid = 0;
    uint64_t started = 0;  // the process's start time, so that a reused pid is not taken for it
    std::string path;      // file-system bytes; empty when no database is open (or untitled)
    bool saved = true;
};

// "DalmirClass.open" in a socket folder; in the user's, empty when there is no safe one.
std::string openDatabaseNotePath(const std::string& socketFolder);
std::string userOpenDatabaseNotePath(unsigned userId);

// The note's text: "pid N", "started N", "saved 0|1" lines, then "path " and the path's bytes to
// the end (a path may hold a line end).
std::string openDatabaseNoteText(const OpenDatabaseNote& note);
std::optional<OpenDatabaseNote> parseOpenDatabaseNote(std::string_view text);

// The start time of a running process (clock ticks since boot, from /proc), 0 when none runs.
uint64_t processStartTime(long pid);
// This process's note for a database.
OpenDatabaseNote noteOfThisProcess(std::string path, bool saved);

// What a reader needs from the system: the note's text, and whether its process still runs.
class OpenDatabaseProbe {
public:
    virtual ~OpenDatabaseProbe() = default;
    virtual std::optional<std::string> noteText() = 0;
    virtual uint64_t startTime(long pid) = 0;
};

// The probe of a note file (only a file of the user's own is read).
class NoteFileProbe : public OpenDatabaseProbe {
public:
    NoteFileProbe(std::string path, unsigned userId) : m_path(std::move(path)), m_user(userId) {}
    std::optional<std::string> noteText() override;
    uint64_t startTime(long pid) override { return processStartTime(pid); }

private:
    std::string m_path;
    unsigned m_user;
};

enum class DatabaseProgram : uint8_t { NotRunning, NoDatabase, Open };

struct OpenDatabaseState {
    DatabaseProgram program = DatabaseProgram::NotRunning;
    std::string path;
    bool saved = true;
};

// What the note says now; a missing, unreadable or stale note is NotRunning.
OpenDatabaseState openDatabaseState(OpenDatabaseProbe& probe);

}  // namespace core
