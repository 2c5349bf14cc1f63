// What the record's outputs (clipboard copies, mail, images) need from the desktop beyond
// DocumentUi: putting text on the clipboard, opening a mail link and handing a mail with an
// attachment to the user's mail program. The main window implements it; tests use a fake.
#pragma once

#include <string>

namespace tavrel {

// A mail the user reviews in the mail program before sending it.
struct MailMessage {
    std::string recipient;
    std::string subject;
    std::string body;
    std::string attachment;  // the file system's path
};

// The desktop's folders the image names use (the file system's bytes, ending with '/' or empty).
struct DesktopFolders {
    std::string documents;
    std::string desktop;
    std::string pictures;
    std::string program;
};

class ExportUi {
public:
    virtual ~ExportUi() = default;
    virtual DesktopFolders desktopFolders() { return {}; }
    // Puts text on the clipboard; false when no clipboard can be used.
    virtual bool setClipboardText(const std::string& cp932) = 0;
    // Opens a URL (the "mailto:" link) with the desktop's handler; false when that failed.
    virtual bool openUrl(const std::string& cp932Url) = 0;
    // Opens the mail program with a new mail; false when it could not be started.
    virtual bool composeMail(const MailMessage& mail) = 0;
};

}  // namespace tavrel
