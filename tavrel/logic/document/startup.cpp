#include "tavrel/logic/document/startup.h"

#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

std::string environmentMissingWarning(std::string_view folder, std::string_view name) {
    return std::string(core::translate("環境ファイル(")) + std::string(folder) + std::string(name) +
           std::string(core::translate(".ENV)が存在しませんので、標準設定で起動します。"));
}

std::string absoluteProgramPath(std::string_view value, std::string_view programFolder) {
    if (value.empty() || value.front() == '/') return std::string(value);
    return std::string(programFolder) + std::string(value);
}

}  // namespace tavrel
