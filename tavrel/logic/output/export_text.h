// The template expander the record's outputs share: the settings' text options, the document's
// names and the desktop's folders, with template errors shown as the viewer's dialogs. One lives
// for the duration of one output.
#pragma once

#include <string>

#include "core/templates/template_expander.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/output/export_ui.h"

namespace tavrel {

class ExportExpander {
public:
    explicit ExportExpander(Document& doc, const DesktopFolders& folders = {});
    ExportExpander(const ExportExpander&) = delete;
    ExportExpander& operator=(const ExportExpander&) = delete;

    core::TemplateExpander& expander() { return m_expander; }
    const core::TextOutputOptions& options() const { return m_options; }
    core::TemplateEnvironment& environment() { return m_env; }

private:
    core::TextOutputOptions m_options;
    core::TemplateEnvironment m_env;
    core::TemplateExpander m_expander;
};

}  // namespace tavrel
