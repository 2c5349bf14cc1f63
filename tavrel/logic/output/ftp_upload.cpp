#include "tavrel/logic/output/ftp_upload.h"

#include <algorithm>
#include <filesystem>

#include "core/base/path_text.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/file_rules.h"
#include "tavrel/logic/document/save_as.h"

namespace tavrel {

FtpJob ftpJob(const std::string& localPath, const FtpSetting& setting) {
    FtpJob job;
    job.localPath = localPath;
    job.server = setting.server;
    job.user = setting.user;
    job.password = setting.password;
    job.folder = setting.folder;
    job.finalName = std::string(core::fileNameOf(localPath));
    job.tempName = job.finalName + ".FTPTMP";
    job.passive = setting.passive;
    return job;
}

std::string uploadStartStatus(const std::string& localPath, const FtpSetting& setting) {
    return core::formatMessageUtf8(core::translate("FTP転送開始(%s → %s)。"),
                                   {pathToText(localPath), setting.server});
}

UploadOutcome transferRecord(FtpTransport& transport, const std::string& localPath,
                             const FtpSetting& setting) {
    UploadOutcome outcome;
    if (!transport.available()) {
        outcome.result = UploadResult::NoConnection;
        outcome.message = std::string(core::translate("インターネットが使用できません。"));
        return outcome;
    }
    if (setting.server.empty() || setting.user.empty()) {
        outcome.skipped = true;
        return outcome;
    }
    outcome.startStatus = uploadStartStatus(localPath, setting);
    const FtpJob job = ftpJob(localPath, setting);
    outcome.result = transport.transfer(job);
    const std::string pathText = pathToText(localPath);
    switch (outcome.result) {
        case UploadResult::Done:
            outcome.status = core::formatMessageUtf8(core::translate("FTP転送しました(%s → %s)。"),
                                                     {pathText, setting.server});
            break;
        case UploadResult::NoConnection:
            outcome.message = core::formatMessageUtf8(
                core::translate("サーバ(%s)に接続できません。"), {setting.server});
            outcome.status = outcome.message;
            break;
        case UploadResult::FolderFailed:
            outcome.message = core::formatMessageUtf8(
                core::translate("ディレクトリの変更に失敗しました(%s)。"), {setting.folder});
            break;
        case UploadResult::UploadFailed:
            outcome.message = core::formatMessageUtf8(
                core::translate("ファイルのFTP転送に失敗しました(%s)。"), {pathText});
            break;
        case UploadResult::RenameFailed:
            outcome.message =
                core::formatMessageUtf8(core::translate("ファイル名の変更に失敗しました(%s)。"),
                                        {pathToText(job.finalName)});
            break;
    }
    return outcome;
}

void reportUpload(DocumentUi& ui, const UploadOutcome& outcome) {
    if (outcome.skipped) return;
    if (!outcome.status.empty()) ui.setStatusText(outcome.status);
    if (!outcome.message.empty()) ui.showMessage(outcome.message, programCaption());
}

UploadResult UploadRecord(DocumentUi& ui, FtpTransport& transport, const std::string& localPath,
                          const FtpSettings& settings, int index) {
    if (index < 0 || index >= static_cast<int>(settings.entries.size())) {
        return UploadResult::Done;
    }
    const FtpSetting& setting = settings.entries[static_cast<std::size_t>(index)];
    if (transport.available() && !setting.server.empty() && !setting.user.empty()) {
        ui.setStatusText(uploadStartStatus(localPath, setting));
    }
    const UploadOutcome outcome = transferRecord(transport, localPath, setting);
    reportUpload(ui, outcome);
    return outcome.result;
}

std::optional<std::string> prepareFtpUpload(Document& doc) {
    if (hasNoFile(doc.recordName()) || doc.recordPath().empty()) {
        saveAs(doc, SaveAsKind::AnyFormat);
    } else {
        save(doc);
    }
    // A cancelled or failed save ends the command: only what the window shows is published.
    if (hasNoFile(doc.recordName()) || doc.recordPath().empty() || doc.modified()) {
        return std::nullopt;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(doc.recordPath(), error)) return std::nullopt;
    if (doc.ui().ask(std::string(core::translate("棋譜ファイルをFTPでサーバへ送信しますか？")),
                     std::string(core::translate("FTP送信")), false) != Answer::Yes) {
        return std::nullopt;
    }
    return doc.recordPath();
}

std::vector<int> selectedFtpSettings(const FtpSettings& settings) {
    std::vector<int> indices;
    for (std::size_t i = 0; i < settings.entries.size(); ++i) {
        if (settings.entries[i].selected) indices.push_back(static_cast<int>(i));
    }
    return indices;
}

namespace {

bool validIndex(const FtpSettings& settings, int index) {
    return index >= 0 && index < static_cast<int>(settings.entries.size());
}

}  // namespace

int addFtpSetting(FtpSettings& settings) {
    if (static_cast<int>(settings.entries.size()) >= kMaxFtpSettings) {
        return static_cast<int>(settings.entries.size()) - 1;
    }
    int n = 1;
    auto used = [&](const std::string& name) {
        return std::any_of(settings.entries.begin(), settings.entries.end(),
                           [&](const FtpSetting& s) { return s.name == name; });
    };
    while (used(ftpSettingName(n))) ++n;
    FtpSetting setting;
    setting.name = ftpSettingName(n);
    settings.entries.push_back(setting);
    return static_cast<int>(settings.entries.size()) - 1;
}

int removeFtpSetting(FtpSettings& settings, int index) {
    if (!validIndex(settings, index)) return -1;
    settings.entries.erase(settings.entries.begin() + index);
    const int count = static_cast<int>(settings.entries.size());
    if (settings.selection > index) --settings.selection;
    settings.selection = std::clamp(settings.selection, 0, std::max(0, count - 1));
    return count == 0 ? -1 : std::min(index, count - 1);
}

namespace {

int swapWith(FtpSettings& settings, int index, int other) {
    if (!validIndex(settings, index) || !validIndex(settings, other)) return index;
    std::swap(settings.entries[static_cast<std::size_t>(index)],
              settings.entries[static_cast<std::size_t>(other)]);
    if (settings.selection == index) {
        settings.selection = other;
    } else if (settings.selection == other) {
        settings.selection = index;
    }
    return other;
}

}  // namespace

int moveFtpSettingUp(FtpSettings& settings, int index) {
    return swapWith(settings, index, index - 1);
}

int moveFtpSettingDown(FtpSettings& settings, int index) {
    return swapWith(settings, index, index + 1);
}

}  // namespace tavrel
