// The Japanese era names from 元亀 to 令和 with the first day of each era: read when a record's
// date is written with an era name, and used to show dates in era form. A constant table.
#pragma once

#include <span>
#include <string_view>

#include "dalmir/model/table/index_entry.h"

namespace dalmir::model {

struct Era {
    std::string_view name;  // two double-byte characters, CP932
    IndexDate start;        // first day of the era, as the table has always listed it
};

inline constexpr int kEraCount = 44;

// The eras in order of their start.
std::span<const Era> eras();

// The era whose name begins text (compared over its two characters); nullptr when none.
const Era* eraNamed(std::string_view text);

// The era in force on the date: the last era that started on or before it (an era starting
// within a year counts from its first day). nullptr for a date before the first era or with no
// year.
const Era* eraOn(IndexDate date);

// The era of the given name (UTF-8 literal such as "平成"); nullptr when the table has none.
const Era* eraNamedUtf8(const char* name);

}  // namespace dalmir::model
