#include "tavrel/logic/document/document.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/base/path_text.h"
#include "core/base/version.h"
#include "core/formats/jkf_reader.h"
#include "core/formats/kif_writer.h"
#include "core/formats/record_loader.h"
#include "core/formats/usi_reader.h"
#include "core/templates/english_exports.h"
#include "core/templates/position_text.h"
#include "core/templates/record_saver.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/title.h"
#include "tavrel/logic/output/text_options.h"
#include "tavrel/settings/engine_options.h"

namespace tavrel {

namespace {

// Whether two paths name one file (also through a link or another spelling of the folder).
bool sameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

// Whether reading text gave nothing at all: no move, header, name, comment, bookmark or
// position. A text that names a handicap ("手合割"), a hand ("持駒") or draws a board frame
// ("+---") gives a position even when that is the usual start.
bool tookNothing(const core::RecordStore& read, std::string_view text) {
    if (read.node(core::kRootNode).next != core::kNoNode || read.customStart() ||
        read.handicap() != core::kHandicapEven || read.bookmarkCount() > 0 || read.anyComment()) {
        return false;
    }
    for (int i = 0; i < core::kHeaderFieldCount; ++i) {
        if (!read.header(static_cast<core::HeaderField>(i)).empty()) return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (!read.playerName(static_cast<core::PlayerField>(i)).empty()) return false;
    }
    for (const char* key : {"手合割", "持駒", "+---"}) {
        if (core::findText(text, std::string(key)) != std::string_view::npos) return false;
    }
    return true;
}

}  // namespace

std::string pathToText(const std::string& path) { return core::toUtf8Lossy(path); }

std::string programCaption() { return std::string(core::kProgramName); }

std::string textToPath(const std::string& text) { return text; }

Document::Document(core::RecordStore& store, Settings& settings, DocumentUi& ui)
    : m_store(store), m_settings(settings), m_ui(ui) {}

std::string Document::recordFolder() const { return textToPath(m_settings.recordFolder); }

void Document::setNamesFromPath(const std::string& path) {
    m_recordPath = path;
    m_recordFileName = std::string(
        core::cutToBytes(pathToText(std::string(core::fileNameOf(path))), kRecordNameBytes));
    m_recordName =
        std::string(core::cutToBytes(pathToText(recordNameFromPath(path)), kRecordNameBytes));
    std::string folder(core::folderOf(path));
    if (!folder.empty()) m_settings.recordFolder = pathToText(folder);
}

void Document::setNewRecordNames() {
    recordReplaced();
    m_recordName = newRecordName();
    m_recordFileName = newRecordName();
    m_recordPath = recordFolder() + textToPath(newRecordName());
}

std::string Document::title() const {
    TitleInput in;
    in.mode = m_mode;
    in.recordName = m_recordName;
    in.recordFileName = m_recordFileName;
    in.modified = modified();
    in.incomplete = incomplete();
    in.branchOnEntry = addsVariations();
    in.application = applicationTitle(m_environment);
    return titleText(in);
}

void Document::warningSound() {
    if (m_settings.warningSound != 0) m_ui.beep();
}

void Document::notAvailableYet(const std::string& feature) {
    warningSound();
    m_ui.showMessage(feature + std::string(core::translate("は、この版ではまだ使用できません。")),
                     programCaption());
}

core::ReadOptions Document::readOptionsFor(const std::string& path) const {
    core::ReadOptions o = readOptions(m_settings);
    o.fileName = pathToText(std::string(core::fileNameOf(path)));
    return o;
}

void Document::showWarnings(const std::vector<std::string>& warnings) {
    if (warnings.empty()) return;
    if (warnings.size() > kWarningsInAMessage) {
        m_ui.showMessageList(core::formatMessageUtf8(core::translate("警告が%s件あります。"),
                                                     {std::to_string(warnings.size())}),
                             programCaption(), warnings);
        return;
    }
    std::string text;
    for (const std::string& w : warnings) {
        if (!text.empty() && text.back() != '\n') text += '\n';
        text += w;
    }
    m_ui.showMessage(text, programCaption());
}

void Document::showLoadResult(const core::ReadReport& report, const std::string& path) {
    std::string shownPath = pathToText(path);
    showWarnings(report.warnings);
    switch (report.result) {
        case core::ReadResult::Ok:
            return;
        case core::ReadResult::CannotOpen:
            warningSound();
            m_ui.showMessage(core::msgFileMissing(shownPath), core::captionReadError());
            return;
        case core::ReadResult::CapacityReached:
            warningSound();
            m_ui.showMessage(core::msgReadError(shownPath, core::msgRecordSizeOver()),
                             programCaption());
            return;
        case core::ReadResult::LineFailed:
            warningSound();
            if (!report.message.empty()) {
                m_ui.showMessage(report.message, programCaption());
            } else {
                m_ui.showMessage(core::msgReadError(shownPath, m_store.readingError()),
                                 programCaption());
            }
            return;
    }
}

void Document::dropMovesWhileEditing() {
    if (m_store.moveCount() == 0 && m_store.node(core::kRootNode).next == core::kNoNode) return;
    m_store.reset();
    m_store.restoreStartPosition(m_store.position());
    m_store.markDirty();
    warningSound();
    m_ui.showMessage(std::string(core::translate("局面編集中なので、棋譜は消しました。")),
                     std::string(core::translate("警告")));
}

CommandResult Document::loadRecordFile(const std::string& path) {
    if (core::formatOfPath(path) == core::RecordFormat::Unsupported) {
        warningSound();
        m_ui.showMessage(core::msgCannotReadFile(pathToText(path)), programCaption());
        return CommandResult::Failed;
    }
    m_ui.setBusy(true);
    std::string reason;
    const bool nothing = fileGaveNothing(path, reason);
    core::ReadReport report;
    if (!nothing) report = core::loadRecordFile(m_store, path, readOptionsFor(path));
    m_ui.setBusy(false);
    if (nothing) {
        // The record shown stays as it was, under its own names.
        warningSound();
        m_ui.showMessage(
            core::formatMessageUtf8(
                core::translate("棋譜ファイル(%s)から棋譜を読み込めませんでした。\n%s"),
                {pathToText(path), reason}),
            core::captionReadError());
        return CommandResult::Failed;
    }
    if (report.result != core::ReadResult::CannotOpen) {
        recordReplaced();
        setNamesFromPath(path);
        m_partialSource.clear();
        m_partialReason.clear();
        if (report.result == core::ReadResult::CapacityReached) {
            m_partialSource = path;
            m_partialReason = core::msgRecordSizeOver();
        } else if (report.result == core::ReadResult::LineFailed) {
            m_partialSource = path;
            m_partialReason = report.message.empty() ? m_store.readingError() : report.message;
        }
    }
    showLoadResult(report, path);
    m_ui.setStatusText({});
    if (isEditing(m_mode)) dropMovesWhileEditing();
    if (report.result == core::ReadResult::CannotOpen) return CommandResult::Failed;
    m_recent.add(path);
    if (!applyLoadPosition(m_settings.positionAfterLoad)) return CommandResult::Failed;
    return report.result == core::ReadResult::Ok ? CommandResult::Done : CommandResult::Failed;
}

bool Document::isPartialSource(const std::string& path) const {
    return !m_partialSource.empty() && sameFile(path, m_partialSource);
}

bool Document::confirmOverwriteOfPartialSource(const std::string& path) {
    if (!isPartialSource(path)) return true;
    warningSound();
    const std::string question = core::formatMessageUtf8(
        core::translate("棋譜(%s)は一部しか読み込めていません。\n%s\n"
                        "上書きすると、読み込めなかった部分は失われます。上書きしますか？"),
        {pathToText(m_partialSource), m_partialReason});
    if (m_ui.askDefaultNo(question, std::string(core::translate("棋譜保存"))) != Answer::Yes)
        return false;
    // The file now holds what the user chose to keep.
    m_partialSource.clear();
    m_partialReason.clear();
    return true;
}

bool Document::applyLoadPosition(PositionAfterLoad setting) {
    core::NodeIndex node = core::nodeAfterLoad(m_store, static_cast<int>(setting));
    if (node == core::kNoNode || !m_store.isInUse(node)) return false;
    return m_store.goTo(node) == core::EditResult::Ok;
}

void Document::showPly(int n) {
    // The root is always in use: cannot fail.
    (void)m_store.goTo(core::kRootNode);
    while (m_store.currentPly() < n) {
        core::NodeIndex next = m_store.node(m_store.current()).next;
        if (next == core::kNoNode) break;
        if (m_store.stepForward(next) != core::EditResult::Ok) break;
    }
}

bool Document::fileGaveNothing(const std::string& path, std::string& reason) {
    std::optional<std::string> bytes = core::readFile(path);
    // A file that can't be read, and an empty one, take the usual way.
    if (!bytes || bytes->empty()) return false;
    core::RecordStore trial(m_store.capacity(), m_store.options());
    const core::ReadReport tried = core::loadRecordFile(trial, path, readOptionsFor(path));
    if (tried.result == core::ReadResult::CannotOpen ||
        tried.result == core::ReadResult::CapacityReached) {
        return false;
    }
    const core::DecodedText decoded =
        core::decodeRecordBytes(std::move(*bytes), core::lowerExtension(path));
    if (!tookNothing(trial, decoded.text)) return false;
    reason = tried.message.empty() ? trial.readingError() : tried.message;
    if (reason.empty()) reason = std::string(core::translate("棋譜も局面も見つかりませんでした。"));
    return true;
}

CommandResult Document::pasteRecord(const std::optional<std::string>& text) {
    if (askSaveBeforeDiscard(true) == Answer::Cancel) return CommandResult::Cancelled;
    if (!text) {
        warningSound();
        m_ui.showMessage(std::string(core::translate("クリップボードが使用できません。")),
                         std::string(core::translate("エラー")));
        return CommandResult::Failed;
    }
    bool editing = isEditing(m_mode);
    const core::ReadOptions options = readOptionsFor(textToPath(newRecordName()));
    if (!core::looksLikeUsi(*text) && !core::looksLikeJkf(*text)) {
        // Text that is no record at all must not cost the record shown: it is tried on a scratch
        // store first, and a text that fails before giving a move leaves the record as it was.
        core::RecordStore trial(m_store.capacity(), m_store.options());
        const core::ReadReport tried = core::readRecordText(trial, *text, false, options);
        const bool failed = tried.result == core::ReadResult::LineFailed && trial.moveCount() == 0;
        if (failed || (tried.result == core::ReadResult::Ok && tookNothing(trial, *text))) {
            warningSound();
            std::string reason = trial.readingError();
            if (reason.empty())
                reason = std::string(core::translate("棋譜も局面も見つかりませんでした。"));
            m_ui.showMessage(std::string(core::translate("棋譜・局面読込みエラー\n")) + reason,
                             programCaption());
            return CommandResult::Failed;
        }
    }
    if (!editing) setNewRecordNames();
    m_partialSource.clear();
    recordReplaced();
    // A USI position or a JSON kifu text is read by its own reader, everything else as KIF/KI2.
    core::ReadReport report = core::looksLikeUsi(*text) ? core::readUsiText(m_store, *text, options)
                              : core::looksLikeJkf(*text)
                                  ? core::readJkfText(m_store, core::toUtf8Lossy(*text), options)
                                  : core::readRecordText(m_store, *text, false, options);
    showWarnings(report.warnings);
    if (editing) {
        dropMovesWhileEditing();
    } else if (m_settings.positionAfterLoad == PositionAfterLoad::End ||
               m_settings.positionAfterLoad == PositionAfterLoad::EndIfSuspended) {
        applyLoadPosition(m_settings.positionAfterLoad);
    }
    switch (report.result) {
        case core::ReadResult::Ok:
            m_ui.setStatusText(
                std::string(core::translate("クリップボードから棋譜、局面を読み込みました。")));
            return CommandResult::Done;
        case core::ReadResult::CapacityReached:
            warningSound();
            m_ui.showMessage(core::msgRecordSizeOver(), programCaption());
            return CommandResult::Failed;
        default:
            warningSound();
            m_ui.showMessage(
                std::string(core::translate("棋譜・局面読込みエラー\n")) + m_store.readingError(),
                programCaption());
            return CommandResult::Failed;
    }
}

Answer Document::askSaveBeforeDiscard(bool onlyWithConfirmSetting) {
    if (!modified()) return Answer::No;
    if (onlyWithConfirmSetting && m_settings.confirmSave == 0) return Answer::No;
    // A record with a file of its own is saved into that file, under its own name; one without
    // gets a date name in the standard format.
    const bool ownFile = !hasNoFile(m_recordName) && overwriteFormat(m_recordPath).has_value();
    bool ki2 = m_settings.standardFormat == StandardFormat::Ki2;
    const SaveFormat format = ki2 ? SaveFormat::Ki2 : SaveFormat::Kif;
    std::string proposed = ownFile ? pathToText(m_recordPath)
                                   : m_settings.recordFolder +
                                         (hasNoFile(m_recordName) ? todayName() : m_recordName) +
                                         "." + std::string(saveFilterExtension(format));
    Answer a =
        m_ui.ask(core::formatMessageUtf8(core::translate("棋譜(%s)を保存しますか？"), {proposed}),
                 std::string(core::translate("棋譜保存")), true);
    if (a != Answer::Yes) return a;
    if (ownFile) {
        // saveInPlace shows its own messages; the record is still unsaved when it fails or the
        // user kept a file read only in part, and nothing may discard it then.
        std::optional<core::WriteResult> r = saveInPlace();
        if (!r || *r != core::WriteResult::Ok) return Answer::Cancel;
        m_ui.documentChanged();
        return Answer::Yes;
    }
    const std::string target = textToPath(proposed);
    if (!confirmOverwriteOfPartialSource(target)) return Answer::Cancel;
    core::WriteResult r = writeRecord(format, target);
    if (r == core::WriteResult::Cancelled) return Answer::Cancel;  // said so already
    if (r != core::WriteResult::Ok) {
        warningSound();
        m_ui.showMessage(core::formatMessageUtf8(core::translate("棋譜保存エラー(%s)"), {proposed}),
                         programCaption());
        // The record is still unsaved: whatever was about to discard it must not go on.
        return Answer::Cancel;
    }
    m_store.markClean();
    m_ui.setStatusText(
        core::formatMessageUtf8(core::translate("棋譜ファイル(%s)を出力しました。"), {proposed}));
    m_ui.documentChanged();
    return Answer::Yes;
}

bool Document::canWrite(SaveFormat format) { return saveFilterNumber(format) != 0; }

core::TemplateEnvironment Document::templateEnvironment() const {
    core::TemplateEnvironment env;
    env.recordName = m_recordName;
    env.recordFileName = m_recordFileName;
    env.recordFolder = m_settings.recordFolder;
    env.recordPath = pathToText(m_recordPath);
    return env;
}

core::WriteResult Document::writeFile(SaveFormat format, const std::string& path) {
    core::RecordWriteOptions options = writeOptions(m_settings);
    core::TextOutputOptions text = textOutputOptions(m_settings);
    core::TemplateEnvironment env = templateEnvironment();
    core::TemplateExpander expander(
        m_store, text, env, m_snapshot, [this](std::string_view caption, std::string_view message) {
            m_ui.showMessage(std::string(message), std::string(caption));
        });
    // A KIF or KI2 file written by the viewer returns to the position shown when 棋譜読込局面 is
    // 3: both carry the bookmark. The other formats keep no bookmarks.
    if (format == SaveFormat::Kif || format == SaveFormat::Ki2 || format == SaveFormat::KifUtf8 ||
        format == SaveFormat::Ki2Utf8) {
        core::markLoadPosition(m_store, options);
    }
    m_writtenPath = path;
    core::Cp932Problem problem;
    core::WriteResult r = core::saveRecordFile(m_store, format, path, options, expander, &problem);
    if (r != core::WriteResult::Unencodable) return r;
    warningSound();
    const std::string message = core::msgCannotSaveInCp932(format, problem);
    const std::optional<SaveFormat> utf8 = core::utf8FormOf(format);
    if (!utf8) {
        m_ui.showMessage(message, programCaption());
        return core::WriteResult::Cancelled;
    }
    const std::string utf8Path =
        std::string(core::withoutExtension(path)) + "." + std::string(core::extensionOf(*utf8));
    const Answer a = m_ui.ask(
        message + "\n" +
            core::formatMessageUtf8(core::translate("%s に保存しますか？"), {pathToText(utf8Path)}),
        std::string(core::translate("棋譜保存")), false);
    if (a != Answer::Yes) return core::WriteResult::Cancelled;
    r = core::saveRecordFile(m_store, *utf8, utf8Path, options, expander);
    if (r == core::WriteResult::Ok) m_writtenPath = utf8Path;
    return r;
}

core::WriteResult Document::writeRecord(SaveFormat format, const std::string& path) {
    core::WriteResult r = writeFile(format, path);
    if (r != core::WriteResult::Ok) return r;
    if (core::isRecordFormat(format)) {
        setNamesFromPath(m_writtenPath);
        m_recent.add(m_writtenPath);
    }
    return core::WriteResult::Ok;
}

bool Document::backupCopy(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(path, ec)) return true;
    auto opts = fs::copy_options::overwrite_existing;
    if (fs::copy_file(path, primaryBackupPath(path), opts, ec)) return true;
    ec.clear();
    return fs::copy_file(path, fallbackBackupPath(path), opts, ec);
}

std::optional<core::WriteResult> Document::saveInPlace() {
    if (hasNoFile(m_recordName)) return std::nullopt;
    std::optional<SaveFormat> format = overwriteFormat(m_recordPath);
    if (!format) return std::nullopt;
    bool position = *format == SaveFormat::Bod;
    std::string shown = pathToText(m_recordPath);
    if (!canWrite(*format)) {
        warningSound();
        m_ui.showMessage(core::formatMessageUtf8(position ? core::translate("局面保存エラー(%s)")
                                                          : core::translate("棋譜保存エラー(%s)"),
                                                 {shown}),
                         programCaption());
        return core::WriteResult::Unsupported;
    }
    if (!confirmOverwriteOfPartialSource(m_recordPath)) return core::WriteResult::Unsupported;
    if (m_settings.backup == 1) backupCopy(m_recordPath);
    core::WriteResult r = writeRecord(*format, m_recordPath);
    if (r == core::WriteResult::Cancelled) return r;  // said so already
    if (r != core::WriteResult::Ok) {
        warningSound();
        m_ui.showMessage(core::formatMessageUtf8(position ? core::translate("局面保存エラー(%s)")
                                                          : core::translate("棋譜保存エラー(%s)"),
                                                 {shown}),
                         programCaption());
        return r;
    }
    m_ui.setStatusText(
        core::formatMessageUtf8(position ? core::translate("局面ファイル(%s)を出力しました。")
                                         : core::translate("棋譜ファイル(%s)を保存しました。"),
                                {shown}));
    return r;
}

}  // namespace tavrel
