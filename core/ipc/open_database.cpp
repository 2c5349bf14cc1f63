#include "core/ipc/open_database.h"

#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/base/safe_file.h"
#include "core/ipc/user_sockets.h"

namespace core {

namespace {

constexpr std::size_t kMaxNote = 64 * 1024;

bool numberOf(std::string_view text, uint64_t& out) {
    if (text.empty()) return false;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

}  // namespace

std::string openDatabaseNotePath(const std::string& socketFolder) {
    return socketFolder + "/DalmirClass.open";
}

std::string userOpenDatabaseNotePath(unsigned userId) {
    std::optional<std::string> folder = userSocketFolder(userId, std::getenv("XDG_RUNTIME_DIR"));
    return folder ? openDatabaseNotePath(*folder) : std::string();
}

std::string openDatabaseNoteText(const OpenDatabaseNote& note) {
    return "pid " + std::to_string(note.pid) + "\nstarted " + std::to_string(note.started) +
           "\nsaved " + (note.saved ? "1" : "0") + "\npath " + note.path;
}

std::optional<OpenDatabaseNote> parseOpenDatabaseNote(std::string_view text) {
    OpenDatabaseNote note;
    uint64_t values[3] = {0, 0, 0};
    const char* names[3] = {"pid ", "started ", "saved "};
    for (int k = 0; k < 3; ++k) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) return std::nullopt;
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::string_view name = names[k];
        if (line.substr(0, name.size()) != name) return std::nullopt;
        if (!numberOf(line.substr(name.size()), values[k])) return std::nullopt;
    }
    if (text.substr(0, 5) != "path " || values[0] == 0 || values[0] > 0x7FFFFFFF || values[2] > 1) {
        return std::nullopt;
    }
    note.pid = static_cast<long>(values[0]);
    note.started = values[1];
    note.saved = values[2] == 1;
    note.path = std::string(text.substr(5));
    if (note.path.find('\0') != std::string::npos) return std::nullopt;
    return note;
}

uint64_t processStartTime(long pid) {
    if (pid <= 0) return 0;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::stringstream s;
    s << in.rdbuf();
    const std::string stat = s.str();
    // "PID (NAME) STATE ..." where NAME may hold blanks and parentheses: fields after the last ')'.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int k = 3; k <= 22 && fields >> field; ++k) {
        if (k == 22) {
            uint64_t v = 0;
            return numberOf(field, v) ? v : 0;
        }
    }
    return 0;
}

OpenDatabaseNote noteOfThisProcess(std::string path, bool saved) {
    OpenDatabaseNote note;
    note.pid = static_cast<long>(::getpid());
    note.started = processStartTime(note.pid);
    note.path = std::move(path);
    note.saved = saved;
    return note;
}

std::optional<std::string> NoteFileProbe::noteText() {
    if (m_path.empty() || !ownedByUser(m_path, m_user)) return std::nullopt;
    return readFile(m_path, kMaxNote);
}

OpenDatabaseState openDatabaseState(OpenDatabaseProbe& probe) {
    OpenDatabaseState state;
    const std::optional<std::string> text = probe.noteText();
    if (!text) return state;
    const std::optional<OpenDatabaseNote> note = parseOpenDatabaseNote(*text);
    if (!note || note->started == 0 || probe.startTime(note->pid) != note->started) return state;
    state.program = note->path.empty() ? DatabaseProgram::NoDatabase : DatabaseProgram::Open;
    state.path = note->path;
    state.saved = note->saved;
    return state;
}

}  // namespace core
