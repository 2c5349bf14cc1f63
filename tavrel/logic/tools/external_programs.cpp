#include "tavrel/logic/tools/external_programs.h"

#include <fstream>
#include <utility>

#include "core/base/path_text.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/file_rules.h"
#include "tavrel/logic/output/copy_commands.h"
#include "tavrel/logic/view/menu_state.h"

namespace tavrel {

std::string dalmirServerName(unsigned userId) { return core::databaseServerName(userId); }

std::string pellamServerName(unsigned userId) { return "PellamClass." + std::to_string(userId); }

ProgramStarter::ProgramStarter(Document& doc, ProgramLink& link) : m_doc(doc), m_link(link) {}

void ProgramStarter::start(const std::string& program, const std::string& serverName,
                           std::optional<core::DatabaseRequest> request,
                           std::function<void(bool)> done) {
    if (*m_busy) return;  // the program asked for a moment ago is still being looked for
    m_server = serverName;
    m_request = request;
    m_done = std::move(done);
    if (m_link.send(m_server, core::requestLine(core::DatabaseRequest::Show))) {
        finish(true);
        return;
    }
    if (!m_link.start(program, {})) {
        m_doc.warningSound();
        m_doc.ui().showMessage(core::formatMessageUtf8(core::translate("起動に失敗しました。(%s)"),
                                                       {pathToText(program)}),
                               programCaption());
        if (auto callback = std::exchange(m_done, {})) callback(false);
        return;
    }
    *m_busy = true;
    m_link.setWaiting(true);
    lookAgain(1);
}

void ProgramStarter::lookAgain(int attempt) {
    m_link.after(kRetryMs, [this, attempt, alive = m_alive] {
        if (!*alive) return;
        if (m_link.send(m_server, core::requestLine(core::DatabaseRequest::OpenRecent))) {
            m_link.after(kSettleMs, [this, alive] {
                if (!*alive) return;
                // The program is running; a lost request only skips the showing.
                (void)m_link.send(m_server, core::requestLine(core::DatabaseRequest::Show));
                finish(true);
            });
        } else if (attempt < kRetries) {
            lookAgain(attempt + 1);
        } else {
            finish(false);  // not there after 2.5 seconds: given up without a message
        }
    });
}

void ProgramStarter::finish(bool reached) {
    if (*m_busy) m_link.setWaiting(false);
    *m_busy = false;
    // The program answered just now; a lost request shows nothing.
    if (reached && m_request) (void)m_link.send(m_server, core::requestLine(*m_request));
    if (auto callback = std::exchange(m_done, {})) callback(reached);
}

std::string locateProgram(const std::string& configured, const std::string& programFolder,
                          const std::string& binaryFolder, const std::string& pathList,
                          const std::function<bool(const std::string&)>& isExecutable) {
    if (configured.empty()) return configured;
    if (isExecutable(configured)) return configured;
    std::string name;
    if (configured.find('/') == std::string::npos) {
        name = configured;
    } else if (!programFolder.empty() && configured.starts_with(programFolder) &&
               configured.find('/', programFolder.size()) == std::string::npos) {
        name = configured.substr(programFolder.size());
    } else {
        return configured;  // a path the user chose: started as it stands
    }
    auto inFolder = [&](std::string folder) {
        if (folder.empty()) folder = ".";
        if (folder.back() != '/') folder += '/';
        return folder + name;
    };
    if (!binaryFolder.empty() && isExecutable(inFolder(binaryFolder))) {
        return inFolder(binaryFolder);
    }
    std::size_t from = 0;
    while (from <= pathList.size()) {
        std::size_t end = pathList.find(':', from);
        if (end == std::string::npos) end = pathList.size();
        const std::string folder = pathList.substr(from, end - from);
        if (!folder.empty() && isExecutable(inFolder(folder))) return inFolder(folder);
        from = end + 1;
    }
    return configured;
}

void showDatabase(ProgramStarter& starter, const ProgramPlaces& places) {
    starter.start(places.dalmir, places.dalmirServer, std::nullopt);
}

void searchPositionInDatabase(Document& doc, ExportUi& clipboard, ProgramStarter& starter,
                              const ProgramPlaces& places) {
    if (copyProduct(doc, clipboard, CopyProduct::Position) != CopyResult::Ok) return;
    starter.start(places.dalmir, places.dalmirServer, core::DatabaseRequest::SearchPosition);
}

bool registerInDatabaseEnabled(const Document& doc) {
    return !hasNoFile(doc.recordName()) && !doc.recordFileName().empty() &&
           !doc.recordPath().empty();
}

namespace {

bool opensForReading(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

}  // namespace

void registerInDatabase(Document& doc, ExportUi& clipboard, ProgramStarter& starter,
                        const ProgramPlaces& places) {
    if (!registerInDatabaseEnabled(doc) || !opensForReading(doc.recordPath())) return;
    if (copyText(doc.ui(), clipboard, CopyProduct::Short, pathToText(doc.recordPath()),
                 std::string(core::translate("エラー"))) != CopyResult::Ok) {
        return;
    }
    starter.start(places.dalmir, places.dalmirServer, core::DatabaseRequest::RegisterRecord);
}

bool problemDatabaseEnabled(bool replayRunning) { return !replayRunning; }

void showProblemDatabase(ProgramStarter& starter, const ProgramPlaces& places) {
    starter.start(places.pellam, places.pellamServer, std::nullopt);
}

namespace {

// Expands the placeholders of one template text: value(letter) gives what %K, %N or %D stands
// for; %% is one '%'; any other character after '%' gives nothing and a final '%' ends the text.
// charLength says how long the character at a place is (CP932 or UTF-8).
template <typename Value, typename CharLength>
std::string expandPlaceholders(std::string_view text, Value value, CharLength charLength) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = charLength(text, i);
        if (text[i] != '%') {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        if (i + 1 >= text.size()) break;  // a '%' at the very end
        const char letter = text[i + 1];
        if (letter == '%') {
            out += '%';
        } else {
            out += value(static_cast<char>(letter & ~0x20));  // K, N, D in either case
        }
        i += 1 + charLength(text, i + 1);
    }
    return out;
}

std::size_t utf8CharLength(std::string_view s, std::size_t i) {
    std::size_t n = 1;
    while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
    return n;
}

}  // namespace

std::string expandToolArguments(std::string_view argumentTemplate, const ToolContext& context) {
    auto value = [&](char letter) -> std::string {
        if (letter == 'K') return pathToText(context.recordPath);
        if (letter == 'N') return std::to_string(context.ply);
        if (letter == 'D') return pathToText(context.programFolder);
        return {};  // unknown placeholders give nothing
    };
    const std::string out = expandPlaceholders(argumentTemplate, value, core::charLength);
    return std::string(core::cutToBytes(out, kToolParameterBytes));
}

std::vector<std::string> toolArguments(std::string_view argumentTemplate,
                                       const ToolContext& context) {
    auto value = [&](char letter) -> std::string {
        if (letter == 'K') return context.recordPath;
        if (letter == 'N') return std::to_string(context.ply);
        if (letter == 'D') return context.programFolder;
        return {};
    };
    std::vector<std::string> arguments;
    for (const std::string& piece : splitArguments(argumentTemplate)) {
        arguments.push_back(expandPlaceholders(core::toUtf8Lossy(piece), value, utf8CharLength));
    }
    return arguments;
}

bool toolNeedsRecordPath(std::string_view argumentTemplate) {
    return argumentTemplate.find("%K") != std::string_view::npos ||
           argumentTemplate.find("%k") != std::string_view::npos;
}

bool toolEnabled(const Settings& settings, int index, bool recordHasFile) {
    if (index < 0 || index >= kToolCount) return false;
    const ToolEntry& tool = settings.tools[static_cast<std::size_t>(index)];
    if (tool.command.empty()) return false;
    return recordHasFile || !toolNeedsRecordPath(tool.arguments);
}

std::string toolMenuLabel(const Settings& settings, int index) {
    return toolMenuText(settings, index) + "(&" + std::to_string(index + 1) + ")";
}

std::vector<std::string> splitArguments(std::string_view parameters) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    char quote = 0;
    for (std::size_t i = 0; i < parameters.size();) {
        const std::size_t length = core::charLength(parameters, i);
        const char c = parameters[i];
        if (length > 1) {
            current.append(parameters.substr(i, length));
            inArgument = true;
        } else if (quote == '\'') {
            if (c == '\'') {
                quote = 0;
            } else {
                current += c;
            }
        } else if (c == '\\' && i + 1 < parameters.size()) {
            const std::size_t next = core::charLength(parameters, i + 1);
            const char n = parameters[i + 1];
            // Inside double quotes only a quote or a backslash is escaped, as in a shell.
            if (quote == '"' && n != '"' && n != '\\') {
                current += c;
                ++i;
                continue;
            }
            current.append(parameters.substr(i + 1, next));
            inArgument = true;
            i += 1 + next;
            continue;
        } else if (quote == '"') {
            if (c == '"') {
                quote = 0;
            } else {
                current += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            inArgument = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (inArgument) arguments.push_back(std::exchange(current, {}));
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
        i += length;
    }
    if (inArgument) arguments.push_back(std::move(current));
    return arguments;
}

bool runTool(Document& doc, ProgramLink& link, int index, const ToolContext& context) {
    const bool hasFile = !context.recordPath.empty() && !hasNoFile(doc.recordName());
    if (!toolEnabled(doc.settings(), index, hasFile)) return false;
    const ToolEntry& tool = doc.settings().tools[static_cast<std::size_t>(index)];
    if (link.start(textToPath(tool.command), toolArguments(tool.arguments, context))) return true;
    const std::string parameters = expandToolArguments(tool.arguments, context);
    doc.warningSound();
    doc.ui().showMessage(core::formatMessageUtf8(core::translate("起動に失敗しました。(%s %s)"),
                                                 {tool.command, parameters}),
                         programCaption());
    return false;
}

bool openInEditorTool(const Settings& settings, ProgramLink& link, const std::string& file,
                      const std::string& programFolder) {
    const ToolEntry& editor = settings.tools[0];
    if (!editor.command.empty() && toolNeedsRecordPath(editor.arguments)) {
        const ToolContext context{file, 0, programFolder};
        return link.start(textToPath(editor.command), toolArguments(editor.arguments, context));
    }
    return link.start("xdg-open", {file});
}

}  // namespace tavrel
