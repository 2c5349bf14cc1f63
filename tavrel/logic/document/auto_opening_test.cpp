#include "tavrel/logic/document/auto_opening.h"

#include <gtest/gtest.h>

#include "core/formats/usi_reader.h"
#include "core/text/sjis.h"

namespace tavrel {
namespace {

std::pair<std::string, std::string> textsOf(const std::string& usi) {
    core::RecordStore store(200);
    EXPECT_EQ(core::readUsiText(store, usi, {}).result, core::ReadResult::Ok);
    AutoOpeningText t = autoOpeningText(store);
    return {core::toUtf8Lossy(t.shown), core::toUtf8Lossy(t.name)};
}

TEST(AutoOpeningTextTest, ShowsTheLabelAndCopiesTheOpeningName) {
    auto [shown, name] = textsOf(
        "position startpos moves 7g7f 8c8d 6g6f 3c3d 2h6h 8d8e 8h7g 5a4b 5i4h 4b3b 4h3h 6a5b "
        "3h2h 7a6b 3i3h 6c6d 6i5h 1c1d 1g1f 9c9d");
    EXPECT_EQ(shown, "自動戦型：▲四間飛車(美濃囲い) △居飛車(舟囲い)");
    EXPECT_EQ(name, "四間飛車");
}

TEST(AutoOpeningTextTest, SaysWhyNothingCanBeCopied) {
    auto [shortShown, shortName] = textsOf("position startpos moves 7g7f 3c3d");
    EXPECT_EQ(shortShown, "自動戦型：（手数が少ないため分類できません）");
    EXPECT_EQ(shortName, "");
    auto [customShown, customName] =
        textsOf("position sfen 4k4/9/9/9/9/9/9/9/4K4 b - 1 moves 5i5h");
    EXPECT_EQ(customShown, "自動戦型：（任意の開始局面のため分類しません）");
    EXPECT_EQ(customName, "");
}

}  // namespace
}  // namespace tavrel
