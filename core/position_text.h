// The position diagram texts: the position template "盤面書式" expanded around the diagram block
// and followed by the side-to-move line, as a .bod file, as clipboard text and as its HTML form.
// Texts are CP932 with CR LF line ends.
#pragma once

#include <string>

#include "core/record_store.h"
#include "core/safe_file.h"

namespace core {

class TemplateExpander;

// "後手番" (even game) or "上手番" (handicap) when White is to move, "下手番" when Black is to move
// in a handicap game; empty when Black is to move in an even game. No line end.
std::string sideToMoveLine(const RecordStore& store);

// The text of a .bod file: the template in the file context, then the side-to-move line.
std::string positionFileText(TemplateExpander& expander);

// The clipboard text: the template in the clipboard context, CR LF, then the side-to-move line;
// with html the whole is enclosed in "<TT>" and "</TT>".
std::string positionClipboardText(TemplateExpander& expander, bool html = false);

// Writes positionFileText crash-safe: Ok, CannotCreate (1) or WriteFailed (2).
[[nodiscard]] WriteResult writePositionFile(TemplateExpander& expander, const std::string& path);

// Appends the side-to-move line with its line end to an expanded template. A file text that does
// not end with a line break gets one first, so that the line stays a line of its own.
void appendSideToMoveLine(std::string& text, const RecordStore& store, bool clipboard);

}  // namespace core
