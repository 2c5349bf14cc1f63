#include "dalmir/logic/copy_files.h"

#include <gtest/gtest.h>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "dalmir/logic/dalmir_test_fixture.h"
#include "tests/support/test_records.h"

namespace dalmir {
namespace {

using testsupport::TempFolder;

struct Host : model::OperationHost {
    std::vector<std::string> texts;
    int cancelAt = -1;
    int polls = 0;
    void status(std::string_view text) override { texts.push_back(core::toUtf8Lossy(text)); }
    bool cancelRequested() override { return polls++ == cancelAt; }
};

TEST(CopyFilesTest, CopiesKeepsExistingTargetsAndCancels) {
    TempFolder folder("dalmir_copy");
    const std::string a = folder.writeBytes("src/a.kif", "A");
    const std::string b = folder.writeBytes("src/b.kif", "B");
    folder.writeBytes("dst/b.kif", "old");
    const std::string target = folder.file("dst");

    Host host;
    CopyReport report = copyRecordFiles({a, b, folder.file("src/gone.kif")}, target, false, host);
    EXPECT_EQ(report.copied, 1);
    EXPECT_EQ(report.failed.size(), 2u);
    EXPECT_EQ(core::readFile(folder.file("dst/a.kif")), std::string("A"));
    EXPECT_EQ(core::readFile(folder.file("dst/b.kif")), std::string("old"));
    EXPECT_EQ(host.texts.front(), "棋譜コピー中...  1 / 3");
    EXPECT_EQ(host.texts.back(), "棋譜 1 コピーしました。");

    Host overwrite;
    report = copyRecordFiles({b}, target, true, overwrite);
    EXPECT_EQ(report.copied, 1);
    EXPECT_EQ(core::readFile(folder.file("dst/b.kif")), std::string("B"));

    Host cancel;
    cancel.cancelAt = 1;
    report = copyRecordFiles({a, b}, folder.file("src"), true, cancel);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.copied, 0);  // a onto itself is refused, b never starts
    EXPECT_EQ(core::readFile(a), std::string("A"));
}

// The folder comes first; a cancel there asks nothing more; only Yes replaces files.
TEST(CopyFilesTest, TheTargetIsAskedFor) {
    testsupport::RecordingDalmirUi ui;
    EXPECT_EQ(askCopyTarget(ui), std::nullopt);
    EXPECT_TRUE(ui.questions.empty());
    ui.choices = {"/k/dst", "/k/other"};
    ui.answers = {Answer::Yes};
    std::optional<CopyTarget> target = askCopyTarget(ui);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->folder, "/k/dst");
    EXPECT_TRUE(target->overwrite);
    EXPECT_EQ(ui.questions[0].text, "同じ名前のファイルがあるとき、上書きしますか？");
    EXPECT_EQ(ui.questions[0].caption, "選択棋譜のコピー");
    target = askCopyTarget(ui);
    ASSERT_TRUE(target);
    EXPECT_FALSE(target->overwrite);
    EXPECT_EQ(ui.events.front(), "folder dialog: 選択棋譜のコピー");
}

}  // namespace
}  // namespace dalmir
