// Reading the dates of a record's header into index dates: the start date (対局日, 開始日時) in
// Western or Japanese era form, and the end date (終了日時). Texts are UTF-8.
#pragma once

#include <string_view>

#include "dalmir/model/table/index_entry.h"

namespace dalmir::model {

// The start date of a text such as "2013/06/01 10:00", "1996.2.14", "2/14/96", "2013年6月1日",
// "平成25年6月1日", "平成25(2013)年6月1日", "昭和五十年十月一日", "令和5年6月1日", "H25/6/1" or
// "R5/6/1" (years of 平成 and 令和). Two-digit years of 80..99 are 1900s; a third number of
// 91..99 means month/day/year; a year below 10 is in the 2000s. Parts that can't be read stay 0.
IndexDate parseStartDate(std::string_view text);

// The end date of a text such as "2013/06/02" or "2013年6月2日". Two-digit years of 91..99 are
// 1900s; otherwise the start-date rules for the other forms.
IndexDate parseEndDate(std::string_view text);

}  // namespace dalmir::model
