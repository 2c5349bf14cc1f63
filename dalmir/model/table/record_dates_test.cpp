#include "dalmir/model/table/record_dates.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "dalmir/model/table/era_table.h"

namespace dalmir::model {
namespace {

struct DateCase {
    const char* text;  // UTF-8
    int year;
    int month;
    int day;
};

class StartDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(StartDateTest, Parses) {
    const DateCase& c = GetParam();
    IndexDate d = parseStartDate(std::string(c.text));
    EXPECT_EQ(d.year, c.year) << c.text;
    EXPECT_EQ(d.month, c.month) << c.text;
    EXPECT_EQ(d.day, c.day) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StartDateTest,
    ::testing::Values(
        DateCase{"", 0, 0, 0}, DateCase{"2013/06/01 10:00:00", 2013, 6, 1},
        DateCase{"平成25年6月1日", 2013, 6, 1}, DateCase{"H25/6/1", 2013, 6, 1},
        // Only years below 10 move into the 2000s.
        DateCase{"13/6/1", 13, 6, 1}, DateCase{"5/6/1", 2005, 6, 1},
        DateCase{"96/2/14", 1996, 2, 14}, DateCase{"80/1/2", 1980, 1, 2},
        DateCase{"2/14/96", 1996, 2, 14}, DateCase{"1996.2.14", 1996, 2, 14},
        DateCase{"2013年6月1日(土)", 2013, 6, 1}, DateCase{"2013年", 2013, 0, 0},
        DateCase{"平成元年1月8日", 1989, 1, 8}, DateCase{"昭和五十年十月一日", 1975, 10, 1},
        DateCase{"平成5(1993)年6月1日", 1993, 6, 1}, DateCase{"平成25(2013)年6月1日", 2013, 6, 1},
        DateCase{"平成25(2013)/6/1", 2013, 6, 1}, DateCase{"平成元(1989)年2月3日", 1989, 2, 3},
        DateCase{"寛永3年2月30日", 1626, 2, 30}, DateCase{"天保十二年五月", 1841, 5, 0},
        DateCase{"平成", 0, 0, 0}, DateCase{"不明", 0, 0, 0},
        // 令和 from 2019-05-01, also where 平成 had been written on.
        DateCase{"令和5年6月1日", 2023, 6, 1}, DateCase{"令和元年5月1日", 2019, 5, 1},
        DateCase{"令和六年一月二日", 2024, 1, 2}, DateCase{"令和5(2023)/6/1", 2023, 6, 1},
        DateCase{"R5/6/1", 2023, 6, 1}, DateCase{"R1/5/1", 2019, 5, 1},
        DateCase{"平成31年4月30日", 2019, 4, 30}, DateCase{"平成36年1月1日", 2024, 1, 1},
        DateCase{"99999999999/1/1", 0, 1, 1}));

TEST(EndDateTest, TwoDigitYearsFrom91AreNineteenHundreds) {
    EXPECT_EQ(parseEndDate("96/2/14"), (IndexDate{1996, 2, 14}));
    EXPECT_EQ(parseEndDate("2/14/96"), (IndexDate{1996, 2, 14}));
    // 80..90 stay as written for end dates (they are 1900s only for start dates).
    EXPECT_EQ(parseEndDate("85/2/14"), (IndexDate{85, 2, 14}));
    EXPECT_EQ(parseEndDate("3/2/1"), (IndexDate{2003, 2, 1}));
    EXPECT_EQ(parseEndDate(std::string("2013年6月2日")), (IndexDate{2013, 6, 2}));
    EXPECT_EQ(parseEndDate(std::string("平成25年6月2日")), (IndexDate{}));
    EXPECT_EQ(parseEndDate("2013.6.2"), (IndexDate{2013, 0, 0}));
}

TEST(EraTableTest, HoldsTheErasInOrderAndFindsTheEraOfADate) {
    ASSERT_EQ(eras().size(), static_cast<std::size_t>(kEraCount));
    EXPECT_EQ(eras().front().name, std::string("元亀"));
    for (std::size_t i = 1; i < eras().size(); ++i) EXPECT_LT(eras()[i - 1].start, eras()[i].start);
    EXPECT_EQ(eraOn({1989, 1, 7})->name, std::string("昭和"));
    EXPECT_EQ(eraOn({1989, 1, 8})->name, std::string("平成"));
    EXPECT_EQ(eraOn({2019, 4, 30})->name, std::string("平成"));
    EXPECT_EQ(eraOn({2019, 5, 1})->name, std::string("令和"));
    EXPECT_EQ(eraOn({2024, 1, 1})->name, std::string("令和"));
    EXPECT_EQ(eraNamed(std::string("令和5年")), &eras().back());
    EXPECT_EQ(eraOn({1500, 1, 1}), nullptr);
    EXPECT_EQ(eraNamed(std::string("大正")), &eras()[40]);
}

}  // namespace
}  // namespace dalmir::model
