#include "dalmir/logic/opening_label_command.h"

#include <gtest/gtest.h>

#include "dalmir/logic/dalmir_test_fixture.h"

namespace dalmir {
namespace {

class OpeningLabelCommandTest : public testsupport::DalmirFixture {};

TEST_F(OpeningLabelCommandTest, TheAnswerChoosesTheRecords) {
    ui.answers = {Answer::Yes, Answer::No, Answer::Cancel};
    EXPECT_EQ(askLabelScope(ui), std::optional<bool>(true));
    EXPECT_EQ(askLabelScope(ui), std::optional<bool>(false));
    EXPECT_EQ(askLabelScope(ui), std::nullopt);
    ASSERT_EQ(ui.questions.size(), 3U);
    EXPECT_TRUE(ui.questions[0].withCancel);
    // A window without a user labels nothing on its own.
    EXPECT_EQ(ui.questions[0].unattended, Answer::Cancel);
}

TEST_F(OpeningLabelCommandTest, OutcomeIsToldWithUnreadableFilesAndStops) {
    model::LabelRunReport done;
    done.labelled = 3;
    done.status = "OK";
    tellLabelRun(ui, done);
    EXPECT_EQ(ui.status, "OK");
    EXPECT_TRUE(ui.messages.empty());

    model::LabelRunReport partial;
    partial.unreadable = 2;
    partial.cancelled = true;
    partial.status = "S";
    tellLabelRun(ui, partial);
    EXPECT_EQ(ui.status, "中止しました。S");
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_NE(ui.messages[0].find("2件"), std::string::npos);
}

}  // namespace
}  // namespace dalmir
