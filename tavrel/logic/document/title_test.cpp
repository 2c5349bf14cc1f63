#include "tavrel/logic/document/title.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"

namespace tavrel {
namespace {

TitleInput input(ViewerMode mode, std::string name, bool modified = false) {
    TitleInput in;
    in.mode = mode;
    in.recordName = name;
    in.recordFileName = name.empty() ? "" : name + ".kif";
    in.modified = modified;
    in.application = applicationTitle(std::nullopt);
    return in;
}

TEST(Title, EveryMode) {
    struct Case {
        TitleInput in;
        std::string expected;
    };
    TitleInput noBranch = input(ViewerMode::Playing, "g");
    noBranch.branchOnEntry = false;
    TitleInput partial = input(ViewerMode::Viewing, "g", true);
    partial.incomplete = true;
    TitleInput fresh = input(ViewerMode::Viewing, std::string("新規棋譜"), true);
    fresh.recordFileName = std::string("新規棋譜");
    Case cases[] = {
        {input(ViewerMode::Viewing, ""), "Tavrel"},
        {input(ViewerMode::Viewing, "g"), "g.kif - Tavrel"},
        {input(ViewerMode::Viewing, "g", true), "g.kif * - Tavrel"},
        {fresh, std::string("新規棋譜 - Tavrel")},
        {partial, std::string("g.kif（一部のみ読込） * - Tavrel")},
        {input(ViewerMode::Replaying, "g"), std::string("g.kif - Tavrel（再現中）")},
        {input(ViewerMode::Playing, "g"), std::string("g.kif - Tavrel（対局中）")},
        {input(ViewerMode::PlayingPieceHeld, "g", true), std::string("g.kif * - Tavrel（対局中）")},
        {noBranch, std::string("g.kif - Tavrel（対局中：分岐なし）")},
        {input(ViewerMode::PrintPreview, "g"), std::string("g.kif - Tavrel（プレビュー）")},
        {input(ViewerMode::PrintPreview, ""), std::string("Tavrel（プレビュー）")},
        {input(ViewerMode::Editing, "g"), std::string("Tavrel（局面編集中）")},
        {input(ViewerMode::EditingPieceHeld, "g"), std::string("Tavrel（局面編集中）")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(core::toUtf8Lossy(titleText(c.in)), core::toUtf8Lossy(c.expected));
    }
}

TEST(Title, EnvironmentNameInApplication) {
    EXPECT_EQ(applicationTitle(std::string("work")), std::string("Tavrel 設定：work"));
    TitleInput in = input(ViewerMode::Viewing, "g");
    in.application = applicationTitle(std::string("work"));
    EXPECT_EQ(titleText(in), std::string("g.kif - Tavrel 設定：work"));
}

TEST(Title, RecordWindowCaption) {
    EXPECT_EQ(recordWindowCaption(0, 0), std::string("棋譜 0手"));
    EXPECT_EQ(recordWindowCaption(5, 5), std::string("棋譜 5手"));
    EXPECT_EQ(recordWindowCaption(3, 7), std::string("棋譜 3手 / 7手"));
}

}  // namespace
}  // namespace tavrel
