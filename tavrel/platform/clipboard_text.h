// Text through the system clipboard: the program's CP932 text crosses to Unicode here and back.
#pragma once

#include <optional>
#include <string>

namespace tavrel {

// The clipboard's text as CP932 (characters CP932 cannot hold become "？"); nullopt when the
// clipboard holds no text.
std::optional<std::string> clipboardText();
// Puts text on the clipboard; false when no clipboard is available.
bool setClipboardText(const std::string& cp932);

}  // namespace tavrel
