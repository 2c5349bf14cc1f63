// The program's name and version as every file it writes states them (record headers, the
// environment file). One place, so all outputs agree.
#pragma once

#include <string_view>

namespace core {

inline constexpr std::string_view kProgramName = "Tavrel";
inline constexpr std::string_view kProgramVersion = "V6.54";

}  // namespace core
