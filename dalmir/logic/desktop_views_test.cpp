#include "dalmir/logic/desktop_views.h"

#include <gtest/gtest.h>

#include "dalmir/logic/dalmir_test_fixture.h"

namespace dalmir {
namespace {

using Texts = std::vector<std::string>;

class DesktopViewsTest : public testsupport::DalmirFixture {
protected:
    std::string programFolder() const { return folder.path() + "/bin/"; }
};

// The help beside the program comes first, the installed one next; with neither the installed
// one is named.
TEST_F(DesktopViewsTest, HelpIsLookedForBesideTheProgramFirst) {
    folder.writeBytes("bin/dalmir", "");
    showHelp(ui, programFolder());
    EXPECT_TRUE(eventsStartingWith("desktop: ").empty());
    EXPECT_EQ(ui.beeps, 1);
    const std::string installed = programFolder() + "../share/dalmir/help/dalmir/index.html";
    EXPECT_EQ(ui.messages, Texts{"ヘルプ(" + installed + ")が開けませんでした。"});

    folder.writeBytes("share/dalmir/help/dalmir/index.html", "<p>");
    showHelp(ui, programFolder());
    EXPECT_EQ(eventsStartingWith("desktop: "), Texts{installed});
    const std::string beside = folder.writeBytes("bin/help/index.html", "<p>");
    showHelp(ui, programFolder());
    EXPECT_EQ(eventsStartingWith("desktop: ").back(), beside);
    EXPECT_EQ(ui.beeps, 1);
}

TEST_F(DesktopViewsTest, VersionNamesTheProgramAndItsFiles) {
    EXPECT_EQ(versionText(), "Dalmir V6.20");
}

TEST_F(DesktopViewsTest, ErrorLog) {
    showErrorLog(ui, folder.file("errorlog.txt"));
    showErrorLog(ui, "");
    EXPECT_EQ(ui.messages, (Texts{"エラー記録はありません。", "エラー記録はありません。"}));
    const std::string log = folder.writeBytes("errorlog.txt", "x");
    showErrorLog(ui, log);
    EXPECT_EQ(ui.events.back(), "desktop: " + log);
    ui.desktopOpens = false;
    showErrorLog(ui, log);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(ui.messages.back(), "エラー記録の表示に失敗しました。");
}

}  // namespace
}  // namespace dalmir
