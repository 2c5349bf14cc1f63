#include "tavrel/logic/output/mail_output.h"

#include <cerrno>
#include <filesystem>

#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/file_rules.h"
#include "tavrel/logic/document/save_as.h"
#include "tavrel/logic/output/copy_commands.h"
#include "tavrel/logic/output/export_text.h"
#include "tavrel/logic/play/play_move.h"

namespace tavrel {

namespace {

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

const char* extensionOf(MailText text) { return text == MailText::One ? ".mal" : ".ma2"; }

void failMailLink(Document& doc) {
    doc.ui().showMessage(
        std::string(core::translate("メールの作成に失敗しました。本文が長過ぎたと思われます。")),
        programCaption());
}

}  // namespace

MailSaveMode mailSaveMode(const Settings& settings) {
    switch (settings.mailSave) {
        case MailSaveMode::Append:
        case MailSaveMode::AppendToOne:
            return settings.mailSave;
        default:
            return MailSaveMode::Overwrite;
    }
}

std::string mailFilePath(Document& doc, MailText text) {
    const Settings& s = doc.settings();
    const std::string folder = withSlash(textToPath(s.mailFolder));
    if (mailSaveMode(s) == MailSaveMode::AppendToOne) {
        return folder + textToPath(s.mailAppendName);
    }
    std::string name;
    if (hasNoFile(doc.recordName())) {
        doc.snapshot().refresh();
        name = doc.snapshot().shortDate();
    } else {
        name = std::string(core::withoutExtension(textToPath(doc.recordFileName())));
    }
    return folder + name + extensionOf(text);
}

std::string mailFileText(Document& doc, MailText text) {
    ExportExpander ex(doc);
    const std::string& tpl =
        text == MailText::One ? ex.options().mailTemplate1 : ex.options().mailTemplate2;
    return ex.expander().expand(tpl, core::TemplateContext::MailFile);
}

MailResult writeMailFileAt(Document& doc, MailText text, const std::string& path, bool append) {
    const std::string shown = pathToText(path);
    std::string bytes;
    if (append) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) {
            std::optional<std::string> old = core::readFile(path);
            if (!old) {
                doc.ui().showMessage(
                    core::formatMessageUtf8(core::translate("メール保存エラー(%s)"), {shown}), {});
                return MailResult::Failed;
            }
            bytes = core::ownTextFileText(*old);
        }
    }
    bytes += mailFileText(doc, text);
    if (core::writeFileAtomically(path, core::ownTextFileBytes(bytes)) != core::WriteResult::Ok) {
        doc.ui().showMessage(
            core::formatMessageUtf8(core::translate("メール保存エラー(%s)"), {shown}), {});
        return MailResult::Failed;
    }
    doc.ui().setStatusText(
        append ? core::formatMessageUtf8(core::translate("メールファイルを(%s)に追加しました。"),
                                         {shown})
               : core::formatMessageUtf8(core::translate("メールファイル(%s)を出力しました。"),
                                         {shown}));
    return MailResult::Ok;
}

MailResult writeMailFile(Document& doc, MailText text) {
    const bool append = mailSaveMode(doc.settings()) != MailSaveMode::Overwrite;
    return writeMailFileAt(doc, text, mailFilePath(doc, text), append);
}

MailResult writeMailFileWithDialog(Document& doc) {
    FileDialogRequest request;
    request.title = std::string(core::translate("メール作成"));
    request.folder = withSlash(textToPath(doc.settings().mailFolder));
    request.name = std::string(core::fileNameOf(mailFilePath(doc, MailText::One)));
    request.filters = {std::string(core::translate("メール１(*.mal)")),
                       std::string(core::translate("メール２(*.ma2)"))};
    request.selected = 0;
    std::optional<FileChoice> choice = doc.ui().chooseSaveFile(request);
    if (!choice || choice->path.empty()) return MailResult::Cancelled;
    std::string path = choice->path;
    const std::string ext = core::lowerExtension(path);
    MailText text = choice->filter == 1 ? MailText::Two : MailText::One;
    if (ext == "mal") {
        text = MailText::One;
    } else if (ext == "ma2") {
        text = MailText::Two;
    } else {
        path += extensionOf(text);
    }
    const bool append = mailSaveMode(doc.settings()) != MailSaveMode::Overwrite;
    return writeMailFileAt(doc, text, path, append);
}

std::optional<std::string> mailLink(Document& doc) {
    ExportExpander ex(doc);
    std::string url =
        core::mailLinkUrl(core::mailTexts(ex.expander(), core::TemplateContext::MailLink));
    if (url.size() > core::kMaxMailLinkBytes) return std::nullopt;
    return url;
}

MailResult openMailLink(Document& doc, ExportUi& desktop) {
    std::optional<std::string> url = mailLink(doc);
    if (!url || !desktop.openUrl(*url)) {
        failMailLink(doc);
        return MailResult::Failed;
    }
    return MailResult::Ok;
}

MailResult sendRecordByMail(Document& doc, ExportUi& desktop) {
    const std::string failed = std::string(core::translate("メールの作成に失敗しました。"));
    MailMessage mail;
    {
        ExportExpander ex(doc);
        core::MailTexts texts = core::mailTexts(ex.expander(), core::TemplateContext::SimpleMail);
        mail.recipient = std::move(texts.recipient);
        mail.subject = std::move(texts.subject);
        mail.body = std::move(texts.body);
    }
    std::error_code ec;
    if (hasNoFile(doc.recordName()) || doc.recordPath().empty() ||
        !std::filesystem::is_regular_file(doc.recordPath(), ec)) {
        doc.ui().showMessage(failed, programCaption());
        return MailResult::Failed;
    }
    mail.attachment = doc.recordPath();
    if (!desktop.composeMail(mail)) {
        doc.ui().showMessage(failed, programCaption());
        return MailResult::Failed;
    }
    return MailResult::Ok;
}

MailResult suspendAndMail(Document& doc, MoveClock& clock, ExportUi& desktop) {
    if (!isPlaying(doc.mode())) {
        doc.warningSound();
        return MailResult::Cancelled;
    }
    enterTerminal(doc, clock, core::TerminalCode::Suspend, GameEndSave::Skip);
    // Nothing entered: the moves after the position shown were kept (a suspension never cuts
    // them off); the game has ended all the same.
    const core::RecordStore& store = doc.store();
    const core::NodeIndex next = store.node(store.current()).next;
    if (next == core::kNoNode ||
        store.node(next).to != core::terminalByte(core::TerminalCode::Suspend)) {
        return MailResult::Cancelled;
    }
    save(doc);
    if (doc.modified()) return MailResult::Failed;
    if (copyProduct(doc, desktop, CopyProduct::Mail1) != CopyResult::Ok) return MailResult::Failed;
    MailResult r = writeMailFile(doc, MailText::One);
    if (r != MailResult::Ok) return r;
    if (doc.settings().internetMailAuto != 0) return openMailLink(doc, desktop);
    return MailResult::Ok;
}

}  // namespace tavrel
