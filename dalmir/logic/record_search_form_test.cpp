#include "dalmir/logic/record_search_form.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "dalmir/logic/dalmir_test_fixture.h"

namespace dalmir {
namespace {

class RecordSearchFormTest : public testsupport::DalmirFixture {};

// Each end choice stands for the end dalmir-cli find --end reads from the same word.
TEST_F(RecordSearchFormTest, EndChoicesAreTheCommandLineWords) {
    const std::vector<std::string> choices = gameEndChoices();
    ASSERT_EQ(choices.size(), 9U);
    EXPECT_EQ(choices[0], "(指定なし)");
    const char* words[] = {"詰み",     "投了", "千日手", "持将棋",
                           "入玉宣言", "反則", "中断",   "時間切れ"};
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(choices[static_cast<std::size_t>(i)], words[i - 1]);
        RecordSearchForm form;
        form.end = i;
        auto c = recordConditions(ui, form);
        ASSERT_TRUE(c);
        EXPECT_EQ(c->end, model::gameEndNamed(words[i - 1])) << words[i - 1];
    }
    // No choice, or one out of range, asks nothing.
    for (int end : {0, -1, 9}) {
        RecordSearchForm form;
        form.end = end;
        auto c = recordConditions(ui, form);
        ASSERT_TRUE(c);
        EXPECT_TRUE(c->empty()) << end;
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RecordSearchFormTest, MaterialAndCommentAreReadAsTheCommandLineReadsThem) {
    RecordSearchForm form;
    form.material = "飛車２枚 先手";  // full-width digit, as typed
    form.materialPly = 30;
    form.comment = "四間に";
    auto c = recordConditions(ui, form);
    ASSERT_TRUE(c);
    model::MaterialParse cli = model::parseMaterial(std::string("飛車２枚 先手"));
    ASSERT_TRUE(cli.pattern && c->material);
    EXPECT_EQ(c->material->count, cli.pattern->count);
    EXPECT_EQ(c->material->side, cli.pattern->side);
    EXPECT_EQ(c->materialPly, 30);
    EXPECT_EQ(c->comment, std::string("四間に"));

    // The ply goes with the pattern only; a negative ply is the end.
    form.materialPly = -7;
    EXPECT_EQ(recordConditions(ui, form)->materialPly, -1);
    form.material.clear();
    form.materialPly = 30;
    c = recordConditions(ui, form);
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->material);
    EXPECT_TRUE(ui.messages.empty());
}

// A pattern that cannot be read is told and no search runs on what is left.
TEST_F(RecordSearchFormTest, UnreadableInputStopsTheSearch) {
    RecordSearchForm form;
    form.end = 2;
    form.material = "飛車たくさん";
    EXPECT_FALSE(recordConditions(ui, form));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0], model::parseMaterial("飛車たくさん").error);
}

// Records hold any character now, so a comment with one Shift-JIS cannot hold is searched as typed.
TEST_F(RecordSearchFormTest, ACommentIsSearchedAsTyped) {
    RecordSearchForm form;
    form.comment = "🙂 한국 ü";
    auto c = recordConditions(ui, form);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->comment, "🙂 한국 ü");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RecordSearchFormTest, RecordSearchFollowsOnlyAFruitfulHeaderSearch) {
    model::SearchReport found;
    found.hits = 3;
    model::SearchReport none;
    model::RecordConditions asked;
    asked.comment = "x";
    EXPECT_TRUE(needsRecordSearch(found, asked));
    EXPECT_FALSE(needsRecordSearch(none, asked));
    EXPECT_FALSE(needsRecordSearch(found, model::RecordConditions{}));
}

}  // namespace
}  // namespace dalmir
