#include "tavrel/logic/document/record_info.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tests/support/temp_folder.h"

namespace tavrel {
namespace {

using core::HeaderField;

const RecordInfoField& fieldOf(const std::vector<RecordInfoField>& fields, HeaderField f) {
    for (const RecordInfoField& x : fields) {
        if (x.field == f) return x;
    }
    throw std::logic_error("field not listed");
}

std::string repeat(const char* utf8, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += std::string(utf8);
    return s;
}

TEST(RecordInfoTest, RecordDialogListsEveryFieldInItsScreenOrder) {
    Settings settings;
    settings.userInfoNames = {std::string("段位"), "", std::string("解説"), "", ""};
    std::vector<RecordInfoField> fields = recordInfoFields(settings);
    std::vector<std::string> labels;
    for (const RecordInfoField& f : fields) labels.push_back(core::toUtf8Lossy(f.label));
    EXPECT_EQ(labels,
              (std::vector<std::string>{"開始日時：", "終了日時：", "表題：", "棋戦：", "戦型：",
                                        "持ち時間：", "消費時間：", "場所：", "掲載：", "段位：",
                                        "（未定義）", "解説：", "（未定義）", "（未定義）"}));
    EXPECT_TRUE(fieldOf(fields, HeaderField::User1).editable);
    EXPECT_FALSE(fieldOf(fields, HeaderField::User2).editable);
    EXPECT_EQ(fieldOf(fields, HeaderField::User3).source.list, ListField::User3);
    EXPECT_EQ(fieldOf(fields, HeaderField::User3).source.history, HistoryField::User3);
    // The new-game sheet's event page has no 消費時間.
    for (const RecordInfoField& f : eventInfoFields(false)) {
        EXPECT_NE(f.field, HeaderField::TimeUsed);
    }
    EXPECT_EQ(problemInfoFields().size(), 11u);
}

class RecordInfoApplyTest : public ::testing::Test {
protected:
    std::vector<InfoFieldEdit> edits(std::vector<std::pair<HeaderField, std::string>> values) {
        std::vector<RecordInfoField> fields = recordInfoFields(settings);
        std::vector<InfoFieldEdit> result;
        for (auto& [field, value] : values) {
            result.push_back({fieldOf(fields, field), store.header(field), value});
        }
        return result;
    }
    InfoApplyReport apply(std::vector<std::pair<HeaderField, std::string>> values) {
        return applyInfoFields(store, edits(std::move(values)), settings, histories, dir);
    }

    testsupport::TempFolder folder;
    std::string dir = folder.path() + "/";
    Settings settings;
    Histories histories;
    core::RecordStore store{100};
};

TEST_F(RecordInfoApplyTest, LongValuesAreCutOnACharacterBoundaryAndReported) {
    // 51 two-byte characters: 102 bytes; the cut keeps 50 whole characters.
    const std::string event = repeat("棋", 51);
    const std::string place = std::string(1, 'x') + repeat("場", 60);
    InfoApplyReport report = apply({{HeaderField::Event, event},
                                    {HeaderField::Place, place},
                                    {HeaderField::Title, std::string("名人戦第1局")}});
    EXPECT_EQ(store.header(HeaderField::Event), repeat("棋", 50));
    EXPECT_EQ(store.header(HeaderField::Place), std::string(1, 'x') + repeat("場", 49));
    EXPECT_TRUE(core::isValidCp932(store.header(HeaderField::Place)));
    EXPECT_EQ(store.header(HeaderField::Title), std::string("名人戦第1局"));
    // The history holds the same cut value.
    EXPECT_EQ(histories[HistoryField::Event].value(0), repeat("棋", 50));
    EXPECT_EQ(core::toUtf8Lossy(infoCutMessage(report)),
              "棋戦、場所は100バイトを超えたので、100バイトまでにしました。");
    EXPECT_TRUE(store.dirty() != 0);
    EXPECT_TRUE(report.changed);
}

TEST_F(RecordInfoApplyTest, UnchangedFieldsStayOutOfTheHistory) {
    store.setHeader(HeaderField::Opening, std::string("矢倉"));
    InfoApplyReport report = apply(
        {{HeaderField::Opening, std::string("矢倉")}, {HeaderField::Event, std::string("王将戦")}});
    EXPECT_EQ(histories[HistoryField::Opening].count(), 0);
    EXPECT_EQ(histories[HistoryField::Event].count(), 1);
    EXPECT_TRUE(infoCutMessage(report).empty());
}

TEST_F(RecordInfoApplyTest, UndefinedUserFieldsAreLeftAsStored) {
    settings.userInfoNames = {std::string("段位"), "", "", "", ""};
    store.setHeader(HeaderField::User2, std::string("読み込んだ値"));
    apply({{HeaderField::User1, std::string("五段")}, {HeaderField::User2, ""}});
    EXPECT_EQ(store.header(HeaderField::User1), std::string("五段"));
    EXPECT_EQ(store.header(HeaderField::User2), std::string("読み込んだ値"));
}

TEST(RecordInfoTest, CalendarDateCarriesTheWeekday) {
    EXPECT_EQ(core::toUtf8Lossy(calendarDateText(2024, 2, 29)), "2024/02/29(木)");
    EXPECT_EQ(core::toUtf8Lossy(calendarDateText(2000, 1, 2)), "2000/01/02(日)");
}

TEST(RecordInfoTest, StartDateWarnings) {
    auto warn = [](const char* text) {
        return core::toUtf8Lossy(startDateWarning(std::string(text), 2026, 12, 9));
    };
    EXPECT_EQ(warn(""), "");
    EXPECT_EQ(warn("2026/12/09(水) 10:00:00"), "");
    EXPECT_EQ(warn("1999/02/28"), "");
    EXPECT_EQ(warn("2026/12/10"), "開始日時が未来です。");
    EXPECT_EQ(warn("2025/02/29"), "開始日時が異常です。");
    EXPECT_EQ(warn("2025/13/01"), "開始日時が異常です。");
    EXPECT_EQ(warn("平成7年"), "開始日時が異常です。");
    EXPECT_EQ(warn("2025/1/1"), "開始日時が異常です。");
}

}  // namespace
}  // namespace tavrel
