#include "core/position_text.h"

#include "core/sjis.h"
#include "core/template_expander.h"

namespace core {

namespace {
constexpr std::string_view kEol = "\r\n";
}  // namespace

std::string sideToMoveLine(const RecordStore& store) {
    const bool handicap = store.handicap() != kHandicapEven;
    if (store.position().sideToMove == kSideWhite) return sjis(handicap ? "上手番" : "後手番");
    return handicap ? sjis("下手番") : std::string();
}

void appendSideToMoveLine(std::string& text, const RecordStore& store, bool clipboard) {
    if (clipboard) text += kEol;
    std::string line = sideToMoveLine(store);
    if (line.empty()) return;
    if (!text.empty() && text.back() != '\n') text += kEol;
    text += line;
    text += kEol;
}

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
    return writeFileAtomically(path, positionFileText(expander));
}

}  // namespace core
