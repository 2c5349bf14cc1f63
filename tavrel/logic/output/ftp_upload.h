// Publishing the record file on FTP servers (上書き保存し、FTP転送): the save-first rule and the
// question, UploadRecord with its return codes and messages, and the list operations of the FTP
// settings page. The transfer itself is the platform's (FtpTransport); it writes under the
// temporary name "<name>.FTPTMP" and renames afterwards, so that a reader on the server never
// sees a half-written record. The transfer runs on a worker thread; what it reports is shown on
// the window's thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tavrel/logic/document/document.h"
#include "tavrel/settings/ftp_settings.h"

namespace tavrel {

// UploadRecord's results.
enum class UploadResult : int {
    Done = 0,           // uploaded, or nothing to do (no server or no user name)
    NoConnection = -1,  // no Internet access, or the server cannot be reached or logged in to
    FolderFailed = -2,
    UploadFailed = -3,
    RenameFailed = -4,
};

// One upload as the transport sees it. Texts are the bytes sent to the server (CP932 as the
// settings hold them); localPath is the file system's bytes.
struct FtpJob {
    std::string localPath;
    std::string server;
    std::string user;
    std::string password;
    std::string folder;     // changed to first when not empty
    std::string tempName;   // "<name>.FTPTMP"
    std::string finalName;  // the file's name without folder
    bool passive = true;
};

class FtpTransport {
public:
    virtual ~FtpTransport() = default;
    // Whether Internet access can be had at all (the library starts).
    virtual bool available() = 0;
    // Connects, changes to the folder, uploads as an image under tempName and renames it to
    // finalName; the first step that failed decides the result. Called on a worker thread.
    virtual UploadResult transfer(const FtpJob& job) = 0;
};

// What one upload came to, with the texts to show.
struct UploadOutcome {
    UploadResult result = UploadResult::Done;
    bool skipped = false;     // no server or no user name: nothing shown
    std::string startStatus;  // "FTP転送開始(%s → %s)。"
    std::string status;       // the status line afterwards
    std::string message;      // the message box on failure; empty on success
};

// The job for a local file and a setting.
FtpJob ftpJob(const std::string& localPath, const FtpSetting& setting);
// "FTP転送開始(%s → %s)。".
std::string uploadStartStatus(const std::string& localPath, const FtpSetting& setting);
// Runs one upload through the transport and words its outcome. Touches no window: safe on a
// worker thread.
UploadOutcome transferRecord(FtpTransport& transport, const std::string& localPath,
                             const FtpSetting& setting);
// Shows an outcome: the status line, and the message box captioned with the program's name.
void reportUpload(DocumentUi& ui, const UploadOutcome& outcome);

// UploadRecord for setting `index`, on the caller's thread (start status, transfer, report).
// An index outside the list does nothing and gives Done.
UploadResult UploadRecord(DocumentUi& ui, FtpTransport& transport, const std::string& localPath,
                          const FtpSettings& settings, int index);

// The first half of 上書き保存し、FTP転送: saves (Save for a record with a file, else Save As),
// then asks "棋譜ファイルをFTPでサーバへ送信しますか？". The path to upload when the record was
// saved and the answer was Yes; nullopt when the command ends there.
std::optional<std::string> prepareFtpUpload(Document& doc);
// The settings an upload goes to, in list order: every selected one.
std::vector<int> selectedFtpSettings(const FtpSettings& settings);

// The list operations of the FTP settings page. Each keeps `selection` on the same entry (or
// the nearest one left) and returns the index to show as current afterwards.
// 新規作成: a new passive setting named "設定n" (the first n not in use) at the end.
int addFtpSetting(FtpSettings& settings);
// 削除: removes entry index (nothing for an index outside the list).
int removeFtpSetting(FtpSettings& settings, int index);
// ↑ and ↓: swaps entry index with its neighbour (nothing at the ends).
int moveFtpSettingUp(FtpSettings& settings, int index);
int moveFtpSettingDown(FtpSettings& settings, int index);

}  // namespace tavrel
