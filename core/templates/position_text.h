// The position diagram texts: the position template "盤面書式" expanded around the diagram block
// and followed by the side-to-move line, as a .bod file, as clipboard text and as its HTML form.
// Texts are UTF-8 with CR LF line ends.
#pragma once

#include <string>

#include "core/base/safe_file.h"
#include "core/formats/diagram_block.h"
#include "core/record/record_store.h"

namespace core {

class TemplateExpander;

// The text of a .bod file: the template in the file context, then the side-to-move line.
std::string positionFileText(TemplateExpander& expander);

// The clipboard text: the template in the clipboard context, CR LF, then the side-to-move line;
// with html the whole is enclosed in "<TT>" and "</TT>".
std::string positionClipboardText(TemplateExpander& expander, bool html = false);

// Writes positionFileText crash-safe: Ok, CannotCreate (1) or WriteFailed (2).
[[nodiscard]] WriteResult writePositionFile(TemplateExpander& expander, const std::string& path);

}  // namespace core
