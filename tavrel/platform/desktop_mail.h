// The desktop's mail program: a "mailto:" link opened through xdg-open, and a new mail with an
// attachment through xdg-email, which shows the mail for the user to review before sending.
#pragma once

#include <QStringList>
#include <string>

#include "tavrel/logic/output/export_ui.h"

namespace tavrel {

// Opens a URL with the desktop's handler; false when no handler took it.
bool openDesktopUrl(const std::string& cp932Url);

// xdg-email's arguments for a mail (texts converted from CP932).
QStringList xdgEmailArguments(const MailMessage& mail);
// Starts xdg-email; false when it could not be started.
bool composeDesktopMail(const MailMessage& mail);

}  // namespace tavrel
