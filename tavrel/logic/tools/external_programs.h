// Starting other programs from the viewer: the record database Dalmir (shown, asked to search
// the position on the clipboard, asked to register the record file), the mating-problem program
// Pellam, and the user's five tools whose command lines are built from a small template.
//
// A running Dalmir or Pellam is a per-user local server named after its window class; the
// viewer finds it by connecting. When none answers, the configured program is started and looked
// for again every 500 ms, at most five times, without ever blocking: the waits go through the
// link's timer.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ipc/database_request.h"
#include "core/ipc/program_link.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/output/export_ui.h"

namespace tavrel {

using core::ProgramLink;

// The local server names of the user's Dalmir and Pellam.
std::string dalmirServerName(unsigned userId);
std::string pellamServerName(unsigned userId);

// FindOrStartDatabase for Dalmir or Pellam. start() looks for the program's server: when it
// answers it is only shown; otherwise the program is started, looked for every 500 ms at most
// five times, sent "F4" once found and shown 1000 ms later. Then `request` (when given) is
// sent. `done` is called once with whether the program was reached; a program that did not
// appear is given up silently. A start failure beeps and shows "起動に失敗しました。(%s)".
class ProgramStarter {
public:
    static constexpr int kRetryMs = 500;
    static constexpr int kRetries = 5;
    static constexpr int kSettleMs = 1000;

    ProgramStarter(Document& doc, ProgramLink& link);
    ~ProgramStarter() { *m_alive = false; }
    ProgramStarter(const ProgramStarter&) = delete;
    ProgramStarter& operator=(const ProgramStarter&) = delete;

    // program: the path to start (file system's bytes); serverName: where it answers.
    void start(const std::string& program, const std::string& serverName,
               std::optional<core::DatabaseRequest> request, std::function<void(bool)> done = {});
    // Whether a started program is still being looked for (a second command waits its turn by
    // being refused quietly).
    bool busy() const { return *m_busy; }

private:
    void lookAgain(int attempt);
    void finish(bool reached);

    Document& m_doc;
    ProgramLink& m_link;
    std::string m_server;
    std::optional<core::DatabaseRequest> m_request;
    std::function<void(bool)> m_done;
    // Shared with the pending timer callbacks, so that a callback after the starter was
    // destroyed does nothing.
    std::shared_ptr<bool> m_busy = std::make_shared<bool>(false);
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Where a configured program is: the path itself when it names an executable file; otherwise,
// for a bare name (or a bare name made absolute against programFolder at start-up), the file of
// that name next to the viewer's binary, then in each folder of pathList (":"-separated). The
// configured path unchanged when none is found, so that starting it fails with its own name.
std::string locateProgram(const std::string& configured, const std::string& programFolder,
                          const std::string& binaryFolder, const std::string& pathList,
                          const std::function<bool(const std::string&)>& isExecutable);

// Where Dalmir and Pellam are and where they answer.
struct ProgramPlaces {
    std::string dalmir;  // program paths (file system's bytes)
    std::string pellam;
    std::string dalmirServer;
    std::string pellamServer;
};

// 棋譜データベースを起動 (F8): find or start Dalmir; a running one is only shown.
void showDatabase(ProgramStarter& starter, const ProgramPlaces& places);
// 棋譜データベースで局面検索 (F9): copies the position as 局面・メールのコピー › 通常 does; when
// that succeeded, finds or starts Dalmir and asks it to search (F5).
void searchPositionInDatabase(Document& doc, ExportUi& clipboard, ProgramStarter& starter,
                              const ProgramPlaces& places);
// Whether 棋譜データベースに登録 is enabled: the record has a name other than "新規棋譜" and a
// file name.
bool registerInDatabaseEnabled(const Document& doc);
// 棋譜データベースに登録 (F10): only for a record file that opens for reading. Its path goes on
// the clipboard as text (failures "クリップボードが使用できません。" or "メモリ不足です。"
// captioned "エラー" end it); then Dalmir is found or started and asked to register (1324).
void registerInDatabase(Document& doc, ExportUi& clipboard, ProgramStarter& starter,
                        const ProgramPlaces& places);
// Whether 詰将棋データベースを起動 is enabled: while no continuous replay runs. A program that is
// not installed is reported when the command starts it, so the user learns why nothing came.
bool problemDatabaseEnabled(bool replayRunning);
// 詰将棋データベースを起動 (F11): find or start Pellam.
void showProblemDatabase(ProgramStarter& starter, const ProgramPlaces& places);

// The tools.

// What a tool's argument template is filled from: the record file (file system's bytes; empty
// without file), the ply shown, and the program folder ending with '/'.
struct ToolContext {
    std::string recordPath;
    int ply = 0;
    std::string programFolder;
};

// The most bytes the parameters hold.
inline constexpr std::size_t kToolParameterBytes = 1023;

// Expands a template: %K/%k the record path, %N/%n the ply, %D/%d the program folder,
// %% one '%'; any other character after '%' gives nothing and a final '%' ends the template.
// Paths are turned into text (CP932); the result is cut to kToolParameterBytes.
std::string expandToolArguments(std::string_view argumentTemplate, const ToolContext& context);
// The arguments a tool is started with: the template split into arguments first (as
// splitArguments does), then the placeholders of each argument expanded, so that no value can
// add or split arguments. Arguments are UTF-8, paths as the file system has them.
std::vector<std::string> toolArguments(std::string_view argumentTemplate,
                                       const ToolContext& context);
// Whether a template contains %K or %k.
bool toolNeedsRecordPath(std::string_view argumentTemplate);
// Whether tool entry `index` can be run: it has a program, and a template that needs the record
// path has a record file to give.
bool toolEnabled(const Settings& settings, int index, bool recordHasFile);
// The menu text of tool `index`: its menu text (or "ツールメニューn") and "(&n)".
std::string toolMenuLabel(const Settings& settings, int index);

// Splits parameters into arguments as a shell user expects: blanks separate; text in
// double or single quotes stays one argument (quotes removed; "" gives an empty argument); a
// backslash outside single quotes keeps the next character as it is. Two-byte characters are
// never split or taken for a quote or backslash.
std::vector<std::string> splitArguments(std::string_view parameters);

// Runs tool `index`: starts its program with toolArguments. On failure: the
// warning sound and "起動に失敗しました。(%s %s)" (program, parameters). False when it did not
// start (also for a disabled entry).
bool runTool(Document& doc, ProgramLink& link, int index, const ToolContext& context);

// Opens a text file (file system's bytes) for editing with the editor tool: tool 1 with the file
// in place of %K when its template takes the record path, else the desktop's program for the
// file. False when the program did not start.
bool openInEditorTool(const Settings& settings, ProgramLink& link, const std::string& file,
                      const std::string& programFolder);

}  // namespace tavrel
