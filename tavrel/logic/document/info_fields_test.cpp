#include "tavrel/logic/document/info_fields.h"

#include <gtest/gtest.h>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "tests/support/temp_folder.h"

namespace tavrel {
namespace {

constexpr InfoFieldSource kEvent{HistoryField::Event, ListField::Event};
constexpr InfoFieldSource kTitle{std::nullopt, ListField::Title};

TEST(InfoFieldsTest, CutNeverSplitsADoubleByteCharacter) {
    // 99 single bytes and then a two-byte character: the character does not fit whole.
    const std::string value = std::string(99, 'a') + std::string("棋");
    EXPECT_EQ(cutInfoField(value), std::string(99, 'a'));
    const std::string kanji = [] {
        std::string s;
        for (int i = 0; i < 75; ++i) s += "戦";  // 150 bytes in Shift-JIS
        return s;
    }();
    EXPECT_EQ(core::cp932Width(cutInfoField(kanji)), 100u);
    EXPECT_EQ(cutInfoField(kanji), kanji.substr(0, 50 * std::string_view("戦").size()));
}

TEST(InfoFieldsTest, OkRemembersOnlyChangedValuesOfFieldsWithTheirSwitchOn) {
    testsupport::TempFolder folder;
    const std::string dir = folder.path() + "/";
    Settings settings;
    Histories histories;

    EXPECT_FALSE(rememberInfoField(kEvent, settings, histories, dir, "A", "A"));
    EXPECT_FALSE(rememberInfoField(kTitle, settings, histories, dir, "", "new title"));
    EXPECT_EQ(histories[HistoryField::Event].count(), 0);

    // 150 bytes: the cut value enters the history and its file at once.
    const std::string longValue(150, 'x');
    bool failed = true;
    EXPECT_TRUE(rememberInfoField(kEvent, settings, histories, dir, "", longValue, &failed));
    EXPECT_FALSE(failed);
    ASSERT_EQ(histories[HistoryField::Event].count(), 1);
    EXPECT_EQ(histories[HistoryField::Event].value(0), std::string(100, 'x'));
    History reread;
    ASSERT_EQ(reread.read(historyFilePath(dir, HistoryField::Event)), core::ReadResult::Ok);
    EXPECT_EQ(reread.value(0), std::string(100, 'x'));

    settings.eventHistory = 0;
    EXPECT_FALSE(rememberInfoField(kEvent, settings, histories, dir, "", "other"));
    EXPECT_EQ(histories[HistoryField::Event].count(), 1);
}

TEST(InfoFieldsTest, ChoicesPutTheHistoryBeforeTheListFile) {
    testsupport::TempFolder folder;
    const std::string dir = folder.path() + "/";
    ASSERT_EQ(core::writeFileAtomically(listFilePath(dir, ListField::Event), "B\nC\n"),
              core::WriteResult::Ok);
    Settings settings;
    Histories histories;
    (void)histories[HistoryField::Event].add("C");
    EXPECT_EQ(infoFieldChoices(kEvent, settings, histories, dir),
              (std::vector<std::string>{"C", "B", "C"}));
    settings.eventHistory = 2;
    EXPECT_EQ(infoFieldChoices(kEvent, settings, histories, dir),
              (std::vector<std::string>{"C", "B"}));
    settings.eventHistory = 0;
    EXPECT_EQ(infoFieldChoices(kEvent, settings, histories, dir),
              (std::vector<std::string>{"B", "C"}));
}

}  // namespace
}  // namespace tavrel
