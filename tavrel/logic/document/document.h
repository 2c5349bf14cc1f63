// The current record of the viewer: its names, path and viewer mode around the one RecordStore,
// loading by extension, pasting, the save question and saving in every format the program
// writes. It talks to the user only through DocumentUi, so every flow is testable without
// windows. Paths are the file system's bytes; names and messages are CP932.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/base/safe_file.h"
#include "core/formats/kif_reader.h"
#include "core/formats/record_writer_options.h"
#include "core/record/record_store.h"
#include "core/templates/date_time_snapshot.h"
#include "core/templates/template_expander.h"
#include "tavrel/logic/document/document_ui.h"
#include "tavrel/logic/document/file_rules.h"
#include "tavrel/logic/document/recent_file_list.h"
#include "tavrel/logic/document/viewer_mode.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

inline constexpr std::size_t kRecordNameBytes = 1023;
// More warnings than this are shown as a count with a scrollable list, not as one message box.
inline constexpr std::size_t kWarningsInAMessage = 10;

// The document (CTavrelDoc): the record shown, its names and path, and the viewer mode.
class Document {
public:
    Document(core::RecordStore& store, Settings& settings, DocumentUi& ui);

    core::RecordStore& store() { return m_store; }
    const core::RecordStore& store() const { return m_store; }
    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    DocumentUi& ui() { return m_ui; }

    ViewerMode mode() const { return m_mode; }
    // Leaving play ends a branch entry (startBranchEntry).
    void setMode(ViewerMode mode) {
        m_mode = mode;
        if (!isPlaying(mode)) m_branchEntry = false;
    }
    // 棋譜の分岐を作成する: until play ends, the moves entered become a variation whatever
    // 棋譜追加モード says.
    void startBranchEntry() { m_branchEntry = true; }
    // Whether a move entered beside an existing continuation becomes a variation (棋譜追加モード
    // 1, or a branch entry) rather than replacing it.
    bool addsVariations() const {
        return m_settings.addVariationMode != core::AddMode::Overwrite || m_branchEntry;
    }
    bool modified() const { return m_store.dirty() != 0; }
    // Counts the records put in the store in place of the one shown (read, pasted, new): what
    // belongs to the old record (an analysis) goes when it changes.
    std::uint32_t recordSerial() const { return m_recordSerial; }
    void recordReplaced() { ++m_recordSerial; }
    // The game was resumed from an interrupted record (中断局面から再開, "/G"); a new game and
    // 継続対局 clear it.
    bool resumed() const { return m_resumed; }
    void setResumed(bool on) { m_resumed = on; }

    const std::string& recordName() const { return m_recordName; }
    const std::string& recordFileName() const { return m_recordFileName; }
    const std::string& recordPath() const { return m_recordPath; }
    // 棋譜パス as a file-system path (ending with '/', or empty).
    std::string recordFolder() const;
    // Sets the names of a record read from or saved to path.
    void setNamesFromPath(const std::string& path);
    // The names of a record without file ("新規棋譜").
    void setNewRecordNames();

    RecentFileList& recentFiles() { return m_recent; }
    const RecentFileList& recentFiles() const { return m_recent; }

    void setEnvironmentName(std::optional<std::string> name) { m_environment = std::move(name); }
    const std::optional<std::string>& environmentName() const { return m_environment; }
    std::string title() const;

    // The warning sound, unless 警告音 is 0.
    void warningSound();
    // The warning sound and "<feature>は、この版ではまだ使用できません。".
    void notAvailableYet(const std::string& feature);

    // The Save As filter chosen last (1..6; 0: none yet). The next Save As starts with it.
    std::optional<SaveFormat> saveFilter() const { return m_saveFilter; }
    void setSaveFilter(SaveFormat filter) { m_saveFilter = filter; }
    // The Open filter chosen last (1..6; 0: none yet), as saveFilter.
    std::optional<OpenFilter> openFilter() const { return m_openFilter; }
    void setOpenFilter(OpenFilter filter) { m_openFilter = filter; }

    // Whether the record came from a file that was read only in part (the store ran out of nodes,
    // or a line could not be read) and is still named after that file: saving over it would
    // lose what was not read.
    bool incomplete() const { return !m_partialSource.empty() && m_partialSource == m_recordPath; }
    // Asks before the record is written to path when that is the file it was read from only in
    // part, saying what would be lost; No is the default. True when the write may go on (path
    // is another file, or the user said Yes).
    bool confirmOverwriteOfPartialSource(const std::string& path);
    // Whether path is the file the record was read from only in part.
    bool isPartialSource(const std::string& path) const;

    // LoadRecordFile: a file that gives no record at all (no move, header, name, comment or
    // position) is refused with the reason, and the record shown stays. Failed when nothing was
    // loaded (also when 棋譜読込局面 3 or 4 finds no
    // bookmark; the record then stays at its start). Shows every message itself.
    CommandResult loadRecordFile(const std::string& path);
    // Pastes record text from the clipboard (nullopt when the clipboard has no text).
    // Shows its own message; returns Cancelled when the user said no to the save question.
    CommandResult pasteRecord(const std::optional<std::string>& text);
    // AskSaveBeforeDiscard. onlyWithConfirmSetting: ask only when 棋譜保存確認 is on (Open,
    // recent files, paste, position editing). Cancel also when the chosen save failed.
    Answer askSaveBeforeDiscard(bool onlyWithConfirmSetting);
    // Shows the position 棋譜読込局面 asks for; false when the bookmark of 3 or 4 is missing.
    bool applyLoadPosition(PositionAfterLoad setting);
    // Shows ply n of the main line (the end when shorter).
    void showPly(int n);

    // Writes the record (the position for Bod and EnglishPosition) to path in format; on success
    // a record file (kif, ki2, csa) becomes the current file, joins the recent-file list and the
    // record counts as saved.
    core::WriteResult writeRecord(SaveFormat format, const std::string& path);
    // Whether this program can write the format.
    static bool canWrite(SaveFormat format);
    // Save (上書き保存) of a record that has a kif/ki2/bod/csa file: backup, write, message.
    // Returns nullopt when the record has no such file (the caller goes on with Save As), and
    // Unsupported when the user kept a file that was read only in part.
    std::optional<core::WriteResult> saveInPlace();
    // The backup copy before overwriting; false when neither place could be written.
    static bool backupCopy(const std::string& path);

    // The names and folders the templates read.
    core::TemplateEnvironment templateEnvironment() const;
    core::DateTimeSnapshot& snapshot() { return m_snapshot; }

    // The reader's options for a file (its name goes into the warnings).
    core::ReadOptions readOptionsFor(const std::string& path) const;

private:
    // Writes the file in format with the viewer's options; the record's names stay.
    // A CP932 format that cannot hold a character of the record: says which field and which
    // character, and offers the UTF-8 form (written beside, with its own extension) instead;
    // Cancelled when the user declines. The path written last is m_writtenPath.
    core::WriteResult writeFile(SaveFormat format, const std::string& path);
    void showWarnings(const std::vector<std::string>& warnings);
    // Whether a file's text gave no record at all; reason says why.
    bool fileGaveNothing(const std::string& path, std::string& reason);
    void showLoadResult(const core::ReadReport& report, const std::string& path);
    void dropMovesWhileEditing();

    core::RecordStore& m_store;
    Settings& m_settings;
    DocumentUi& m_ui;
    ViewerMode m_mode = ViewerMode::Viewing;
    bool m_resumed = false;
    std::uint32_t m_recordSerial = 0;
    bool m_branchEntry = false;
    std::optional<SaveFormat> m_saveFilter;  // the filter chosen last, none before the first
    std::optional<OpenFilter> m_openFilter;
    std::string m_recordName;
    std::string m_recordFileName;
    std::string m_recordPath;
    std::string m_writtenPath;
    // The file the record was read from only in part; empty when it was read whole.
    std::string m_partialSource;
    std::string m_partialReason;  // what stopped the reading
    std::optional<std::string> m_environment;
    RecentFileList m_recent;
    core::DateTimeSnapshot m_snapshot;
};

// Conversions of paths between the file system (UTF-8) and the program's text.
std::string pathToText(const std::string& path);
std::string textToPath(const std::string& text);

// The caption of the program's message boxes: the program's name.
std::string programCaption();

}  // namespace tavrel
