#include "tavrel/logic/document/program_commands.h"

#include <gtest/gtest.h>

#include "tavrel/logic/document/document_test_fixture.h"

namespace tavrel {
namespace {

using Events = std::vector<std::string>;

class ProgramCommandsTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override { settings.recordFolder = dir.string() + "/"; }
    std::string saveQuestion() const {
        return "ask: 棋譜(" + dir.string() + "/" + core::toUtf8Lossy(todayName()) +
               ".kif)を保存しますか？";
    }
};

TEST_F(ProgramCommandsTest, CloseWhileEditingAsksBeforeTheSaveQuestion) {
    doc.setMode(ViewerMode::EditingPieceHeld);
    store.markDirty();
    ui.answers = {Answer::No};
    EXPECT_FALSE(confirmClose(doc));
    EXPECT_EQ(ui.events, (Events{"ask: プログラムを終了しますか？"}));

    ui.events.clear();
    ui.answers = {Answer::Yes, Answer::Cancel};
    EXPECT_FALSE(confirmClose(doc));
    EXPECT_EQ(ui.events, (Events{"ask: プログラムを終了しますか？", saveQuestion()}));

    ui.answers = {Answer::Yes, Answer::No};
    EXPECT_TRUE(confirmClose(doc));
}

TEST_F(ProgramCommandsTest, CloseOffersAModifiedRecordEvenWithoutTheConfirmSetting) {
    EXPECT_TRUE(confirmClose(doc));
    EXPECT_TRUE(ui.events.empty());
    settings.confirmSave = 0;
    store.markDirty();
    ui.answer = Answer::Cancel;
    EXPECT_FALSE(confirmClose(doc));
    EXPECT_EQ(ui.events, (Events{saveQuestion()}));
}

TEST_F(ProgramCommandsTest, HelpIndexWarnsWhenMissingOrNotShown) {
    std::string folder = dir.string() + "/";
    showHelpIndex(doc, folder);
    EXPECT_EQ(ui.events, (Events{"beep"}));

    std::filesystem::create_directory(dir / "help");
    write("help/index.html", "<html></html>");
    ui.events.clear();
    showHelpIndex(doc, folder);
    EXPECT_EQ(ui.events, (Events{"desktop: " + folder + "help/index.html"}));
    ui.events.clear();
    ui.desktopOpens = false;
    showHelpIndex(doc, folder);
    EXPECT_EQ(ui.events, (Events{"desktop: " + folder + "help/index.html", "beep"}));
}

// An installed program finds the help where the install puts it; the copy beside the program
// (the build's) comes first.
TEST_F(ProgramCommandsTest, HelpIndexFoundInstalledToo) {
    std::filesystem::create_directories(dir / "bin");
    std::filesystem::create_directories(dir / "share/tavrel/help/tavrel");
    write("share/tavrel/help/tavrel/index.html", "<html></html>");
    const std::string bin = dir.string() + "/bin/";
    showHelpIndex(doc, bin);
    EXPECT_EQ(ui.events, (Events{"desktop: " + bin + "../share/tavrel/help/tavrel/index.html"}));
    std::filesystem::create_directories(dir / "bin/help");
    write("bin/help/index.html", "<html></html>");
    ui.events.clear();
    showHelpIndex(doc, bin);
    EXPECT_EQ(ui.events, (Events{"desktop: " + bin + "help/index.html"}));
}

}  // namespace
}  // namespace tavrel
