// Mail for games by correspondence: the mail files (.mal, .ma2) in their three save modes, the
// mail link for the desktop's mail program, the send with the record file attached and the
// one-step "中断し、メールを出力". Texts come from the mail templates; every failure shows its
// message and leaves the record as it was.
#pragma once

#include <optional>
#include <string>

#include "tavrel/logic/document/document.h"
#include "tavrel/logic/output/export_ui.h"

namespace tavrel {

class MoveClock;

enum class MailText : std::uint8_t { One = 1, Two = 2 };  // メール書式１ / メール書式２

// メール保存, anything unknown read as Overwrite.
MailSaveMode mailSaveMode(const Settings& settings);

// The file a mail text goes to under the settings: 通信パス followed by メール追加名 (mode 2), or
// by the record's file name without extension (today's date as "05Nov15" for a record without file)
// and ".mal" or ".ma2". The file system's bytes.
std::string mailFilePath(Document& doc, MailText text);

enum class [[nodiscard]] MailResult : int{
    Ok = 0,
    Failed = -1,    // the failure message was shown
    Cancelled = 1,  // a dialog was cancelled; nothing happened
};

// The mail text in the mail-file context (CR LF line ends).
std::string mailFileText(Document& doc, MailText text);

// メール(MAL)作成 / メール(MA2)作成: writes the text to mailFilePath in the save mode.
MailResult writeMailFile(Document& doc, MailText text);
// Writes (append: adds to) the text at path; "メール保存エラー(%s)" on failure, the status line on
// success. An existing file that cannot be read whole is never replaced.
MailResult writeMailFileAt(Document& doc, MailText text, const std::string& path, bool append);

// メール作成...: the dialog with the .MAL and .MA2 filters; the extension of the chosen type is
// added to a name without either.
MailResult writeMailFileWithDialog(Document& doc);

// The "mailto:" link of the Internet mail templates ("%0D%0A" line breaks), at most
// kMaxMailLinkBytes; nullopt when it would be longer.
std::optional<std::string> mailLink(Document& doc);
// インターネットメールの送信: opens the link; "メールの作成に失敗しました。本文が長過ぎたと
// 思われます。" when it is too long or the desktop could not open it.
MailResult openMailLink(Document& doc, ExportUi& desktop);

// 棋譜ファイルをメールで送信: the mail program with the record file attached, for the user to
// review; "メールの作成に失敗しました。" when the record was never saved or the program failed.
MailResult sendRecordByMail(Document& doc, ExportUi& desktop);

// 中断し、メールを出力: enters 中断 at the position shown, saves the record, copies mail text 1,
// writes the .mal file and, with Iメール自動作成, opens the mail link. Stops when the record could
// not be saved.
MailResult suspendAndMail(Document& doc, MoveClock& clock, ExportUi& desktop);

}  // namespace tavrel
