// The suggestion lists of the dialogs' input fields: hand-edited text files in the program
// folder, one entry a line, which the program reads and never writes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dalmir {

// The files tried for a field's list, in order: "<field>.txt", then the English alternative
// ("対局者" → "player.txt", "棋戦" → "kisen.txt", "戦型" → "senkei.txt"). Names are UTF-8.
std::vector<std::string> suggestionFileNames(std::string_view field);

// The entries of a list file (Shift-JIS, or UTF-8 from a UTF-8 editor) as UTF-8: lines trimmed,
// empty lines and lines that start with "#" skipped; a byte that is no character shows as U+FFFD
// and the line is kept.
std::vector<std::string> suggestionLines(std::string_view fileBytes);

}  // namespace dalmir
