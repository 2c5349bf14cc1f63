// What the JSON kifu format reader and writer share: the piece codes, the start presets and the
// words that end a line of play. The tables are constant; texts of the record stay CP932 and are
// converted only where JSON text is made or read.
#pragma once

#include <optional>
#include <string_view>

#include "core/rules/move_node.h"
#include "core/rules/position.h"

namespace core {

// Start presets by handicap type 0..13 ("HIRATE", "KY", ... "10"); "OTHER" for the rest.
std::string_view jkfPreset(HandicapType type);
// The handicap type of a preset; nullopt for "OTHER" and unknown names.
std::optional<HandicapType> handicapOfJkfPreset(std::string_view preset);

// "TORYO", "CHUDAN", ... for a terminal entry; the side to move decides between
// "ILLEGAL_MOVE" (the side to move fouled) and "+ILLEGAL_ACTION"/"-ILLEGAL_ACTION" (the other
// side did). Empty for codes without a word.
std::string_view jkfSpecial(TerminalCode code, SideByte toMove);
// The terminal code of a special word with the side to move; nullopt for an unknown word.
std::optional<TerminalCode> terminalOfJkfSpecial(std::string_view word, SideByte toMove);

// The relative word ("L", "RU", "H" ...) of a direction-word code of the notation hint; empty
// when the move needs none. A drop that needs "打" has the word "H".
std::string_view jkfRelative(int hintCode, bool drop);

}  // namespace core
