#include "tavrel/logic/output/export_text.h"

#include "tavrel/logic/output/text_options.h"

namespace tavrel {

ExportExpander::ExportExpander(Document& doc, const DesktopFolders& folders)
    : m_options(textOutputOptions(doc.settings())),
      m_env(doc.templateEnvironment()),
      m_expander(doc.store(), m_options, m_env, doc.snapshot(),
                 [&doc](std::string_view caption, std::string_view text) {
                     doc.ui().showMessage(std::string(text), std::string(caption));
                 }) {
    m_env.documentsFolder = pathToText(folders.documents);
    m_env.desktopFolder = pathToText(folders.desktop);
    m_env.picturesFolder = pathToText(folders.pictures);
    m_env.programFolder = pathToText(folders.program);
}

}  // namespace tavrel
