#include "core/templates/template_contexts.h"

#include <gtest/gtest.h>

namespace core {
namespace {

const ContextRule& ruleAt(int i) { return contextRule(static_cast<TemplateContext>(i)); }

// A letter a context lists in one case only is matched in the other case too, with the same
// meaning unless the context gives the other case a meaning of its own.
TEST(TemplateContextsTest, EveryLetterIsKnownInBothCasesOrInNeither) {
    for (int i = 0; i < kTemplateContextCount; ++i) {
        const ContextRule& rule = ruleAt(i);
        for (char lower = 'a'; lower <= 'z'; ++lower) {
            const char upper = static_cast<char>(lower - 'a' + 'A');
            EXPECT_EQ(rule.meaning(lower) == Placeholder::Unknown,
                      rule.meaning(upper) == Placeholder::Unknown)
                << "context " << i << " letter " << lower;
        }
    }
    // "%n" has a meaning of its own in English; "%N" keeps its own.
    const ContextRule& english = contextRule(TemplateContext::EnglishBoard);
    EXPECT_EQ(english.meaning('n'), Placeholder::ChessNumber);
    EXPECT_EQ(english.meaning('N'), Placeholder::PlainNumber);
    EXPECT_EQ(contextRule(TemplateContext::InfoLine).meaning('N'), Placeholder::MoveNumber);
}

// An error needs a caption to be shown under; a context that never reports has none, and
// bytes that are no letters mean nothing anywhere.
TEST(TemplateContextsTest, ContextsThatReportUnknownLettersHaveACaption) {
    for (int i = 0; i < kTemplateContextCount; ++i) {
        const ContextRule& rule = ruleAt(i);
        EXPECT_EQ(rule.unknown == UnknownPlaceholder::Error, !rule.caption.empty()) << i;
        for (int byte = 0x80; byte < 0x100; ++byte) {
            EXPECT_EQ(rule.meaning(static_cast<char>(byte)), Placeholder::Unknown) << i;
        }
    }
    EXPECT_EQ(contextRule(TemplateContext::MailLink).caption, captionMailTemplateError());
    EXPECT_EQ(contextRule(TemplateContext::PositionClipboard).caption,
              captionPositionTemplateError());
}

}  // namespace
}  // namespace core
