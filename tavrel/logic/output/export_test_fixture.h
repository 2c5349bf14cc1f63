// Test support for the record's outputs: a desktop that records the clipboard, the links opened
// and the mails composed, and can be told to fail.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tavrel/logic/document/document_test_fixture.h"
#include "tavrel/logic/output/export_ui.h"

namespace testsupport {
using namespace ::tavrel;

struct RecordingDesktop : ExportUi {
    std::optional<std::string> clipboard;
    std::vector<std::string> urls;
    std::vector<MailMessage> mails;
    bool clipboardWorks = true;
    bool opens = true;
    DesktopFolders folders;

    DesktopFolders desktopFolders() override { return folders; }
    bool setClipboardText(const std::string& cp932) override {
        if (!clipboardWorks) return false;
        clipboard = cp932;
        return true;
    }
    bool openUrl(const std::string& url) override {
        urls.push_back(url);
        return opens;
    }
    bool composeMail(const MailMessage& mail) override {
        mails.push_back(mail);
        return opens;
    }
};

class ExportFixture : public DocumentFixture {
protected:
    void load(const std::string& name, const char* record = kSampleRecord) {
        ASSERT_EQ(doc.loadRecordFile(write(name, std::string(record))), CommandResult::Done);
        ui.events.clear();
        ui.messages.clear();
        ui.status.clear();
    }
    RecordingDesktop desktop;
};

}  // namespace testsupport
