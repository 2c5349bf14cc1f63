// Start-up rules of the viewer that need no windows: the missing-environment warning and the
// program paths made absolute. Where the windows go is window_placement's.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

inline constexpr int kMaxInstances = 32;

// "環境ファイル(<folder><name>.ENV)が存在しませんので、標準設定で起動します。" .
std::string environmentMissingWarning(std::string_view folder, std::string_view name);

// A program path setting made absolute: relative values get the program folder in front.
std::string absoluteProgramPath(std::string_view value, std::string_view programFolder);

}  // namespace tavrel
