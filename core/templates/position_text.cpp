#include "core/templates/position_text.h"

#include "core/templates/template_expander.h"
#include "core/text/sjis.h"

namespace core {

std::string positionFileText(TemplateExpander& expander) {
    std::string text =
        expander.expand(expander.options().positionTemplate, TemplateContext::PositionFile);
    appendSideToMoveLine(text, expander.store(), false);
    return text;
}

std::string positionClipboardText(TemplateExpander& expander, bool html) {
    std::string text =
        expander.expand(expander.options().positionTemplate, TemplateContext::PositionClipboard);
    appendSideToMoveLine(text, expander.store(), true);
    if (html) text = "<TT>" + text + "</TT>";
    return text;
}

WriteResult writePositionFile(TemplateExpander& expander, const std::string& path) {
    std::optional<std::string> bytes = cp932Bytes(positionFileText(expander));
    if (!bytes) return WriteResult::Unencodable;
    return writeFileAtomically(path, *bytes);
}

}  // namespace core
