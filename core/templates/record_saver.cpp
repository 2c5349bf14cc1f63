#include "core/templates/record_saver.h"

#include <cassert>

#include "core/base/path_text.h"
#include "core/formats/csa_writer.h"
#include "core/formats/jkf_writer.h"
#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/formats/usi.h"
#include "core/templates/english_exports.h"
#include "core/templates/position_text.h"
#include "core/text/sjis.h"

namespace core {

std::optional<SaveFormat> saveFormatOfPath(std::string_view path) {
    struct Extension {
        const char* text;
        SaveFormat format;
    };
    static constexpr Extension kExtensions[] = {
        {"kif", SaveFormat::Kif},
        {"ki2", SaveFormat::Ki2},
        {"csa", SaveFormat::Csa},
        {"kifu", SaveFormat::KifUtf8},
        {"ki2u", SaveFormat::Ki2Utf8},
        {"csau", SaveFormat::CsaUtf8},
        {"bod", SaveFormat::Bod},
        {"gam", SaveFormat::EnglishRecord},
        {"txt", SaveFormat::EnglishPosition},
        {"jkf", SaveFormat::Jkf},
        {"usi", SaveFormat::Usi},
    };
    std::string ext = lowerExtension(path);
    for (const Extension& e : kExtensions) {
        if (ext == e.text) return e.format;
    }
    return std::nullopt;
}

bool isRecordFormat(SaveFormat format) {
    switch (format) {
        case SaveFormat::Kif:
        case SaveFormat::Ki2:
        case SaveFormat::Csa:
        case SaveFormat::KifUtf8:
        case SaveFormat::Ki2Utf8:
        case SaveFormat::CsaUtf8:
        case SaveFormat::Jkf:
            return true;
        case SaveFormat::Usi:
        case SaveFormat::Bod:
        case SaveFormat::EnglishRecord:
        case SaveFormat::EnglishPosition:
            return false;
    }
    return false;
}

bool isCp932Format(SaveFormat format) {
    switch (format) {
        case SaveFormat::Kif:
        case SaveFormat::Ki2:
        case SaveFormat::Csa:
        case SaveFormat::Bod:
        case SaveFormat::EnglishRecord:
        case SaveFormat::EnglishPosition:
            return true;
        case SaveFormat::KifUtf8:
        case SaveFormat::Ki2Utf8:
        case SaveFormat::CsaUtf8:
        case SaveFormat::Jkf:
        case SaveFormat::Usi:
            return false;
    }
    return false;
}

std::optional<SaveFormat> utf8FormOf(SaveFormat format) {
    switch (format) {
        case SaveFormat::Kif:
            return SaveFormat::KifUtf8;
        case SaveFormat::Ki2:
            return SaveFormat::Ki2Utf8;
        case SaveFormat::Csa:
            return SaveFormat::CsaUtf8;
        default:
            return std::nullopt;
    }
}

std::string_view extensionOf(SaveFormat format) {
    switch (format) {
        case SaveFormat::Kif:
            return "kif";
        case SaveFormat::Ki2:
            return "ki2";
        case SaveFormat::Csa:
            return "csa";
        case SaveFormat::Bod:
            return "bod";
        case SaveFormat::EnglishRecord:
            return "gam";
        case SaveFormat::EnglishPosition:
            return "txt";
        case SaveFormat::KifUtf8:
            return "kifu";
        case SaveFormat::Ki2Utf8:
            return "ki2u";
        case SaveFormat::CsaUtf8:
            return "csau";
        case SaveFormat::Jkf:
            return "jkf";
        case SaveFormat::Usi:
            return "usi";
    }
    return "";
}

std::string utf8FormName(SaveFormat utf8Form) {
    switch (utf8Form) {
        case SaveFormat::KifUtf8:
            return std::string("KIF形式(UTF-8)(*.kifu)");
        case SaveFormat::Ki2Utf8:
            return std::string("KI2形式(UTF-8)(*.ki2u)");
        case SaveFormat::CsaUtf8:
            return std::string("CSA形式(UTF-8)(*.csau)");
        default:
            return {};
    }
}

std::string msgCannotSaveInCp932(SaveFormat format, const Cp932Problem& problem) {
    std::optional<SaveFormat> utf8 = utf8FormOf(format);
    return msgCannotHoldInCp932(problem, utf8 ? utf8FormName(*utf8) : std::string());
}

std::string savedFileText(const RecordStore& store, SaveFormat format,
                          const RecordWriteOptions& options, TemplateExpander& expander) {
    assert(&expander.store() == &store);
    switch (format) {
        case SaveFormat::Kif:
        case SaveFormat::KifUtf8:
            return kifText(store, options);
        case SaveFormat::Ki2:
        case SaveFormat::Ki2Utf8:
            return ki2Text(store, options);
        case SaveFormat::Csa:
            return csaText(store);
        case SaveFormat::CsaUtf8:
            return csaUtf8Text(store);
        case SaveFormat::Bod:
            return positionFileText(expander);
        case SaveFormat::EnglishRecord:
            return englishRecordText(store, expander.options());
        case SaveFormat::EnglishPosition:
            return englishPositionText(expander);
        case SaveFormat::Jkf:
            return jkfText(store, options);
        case SaveFormat::Usi:
            return usiPositionCommand(store) + "\n";
    }
    return {};
}

SavedFile savedFile(const RecordStore& store, SaveFormat format, const RecordWriteOptions& options,
                    TemplateExpander& expander) {
    SavedFile file;
    std::string text = savedFileText(store, format, options, expander);
    if (!isCp932Format(format)) {
        file.bytes = std::move(text);
        return file;
    }
    Cp932Problem problem;
    if (std::optional<std::string> bytes = cp932FileBytes(text, store, options, &problem)) {
        file.bytes = std::move(*bytes);
    } else {
        file.problem = std::move(problem);
    }
    return file;
}

WriteResult saveRecordFile(RecordStore& store, SaveFormat format, const std::string& path,
                           const RecordWriteOptions& options, TemplateExpander& expander,
                           Cp932Problem* problem) {
    SavedFile file = savedFile(store, format, options, expander);
    if (file.problem) {
        if (problem != nullptr) *problem = *file.problem;
        return WriteResult::Unencodable;
    }
    WriteResult r = writeFileAtomically(path, file.bytes);
    if (r == WriteResult::Ok && isRecordFormat(format)) store.markClean();
    return r;
}

}  // namespace core
