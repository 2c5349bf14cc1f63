// The two-letter CSA piece codes shared by the CSA reader and writer: the index is the piece type
// (a promoted type is the unpromoted type plus 8). Entries 0 and 13 stand for no piece and never
// match a code read from text.
#pragma once

#include <array>
#include <string_view>

namespace core {

inline constexpr std::array<std::string_view, 16> kCsaPieceCodes{
    " 0", "FU", "KY", "KE", "GI", "KI", "KA", "HI", "OU", "TO", "NY", "NK", "NG", "13", "UM", "RY"};

// Piece type 1..15 of the code at the start of text (two characters compared); 0 when the text
// is shorter or names no piece.
constexpr int csaPieceType(std::string_view text) {
    if (text.size() < 2) return 0;
    for (int type = 1; type < static_cast<int>(kCsaPieceCodes.size()); ++type) {
        if (type == 13) continue;
        std::string_view code = kCsaPieceCodes[static_cast<std::size_t>(type)];
        if (text[0] == code[0] && text[1] == code[1]) return type;
    }
    return 0;
}

}  // namespace core
