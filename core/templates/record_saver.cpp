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
        {"kif", SaveFormat::Kif},           {"ki2", SaveFormat::Ki2},
        {"csa", SaveFormat::Csa},           {"kifu", SaveFormat::KifUtf8},
        {"ki2u", SaveFormat::Ki2Utf8},      {"bod", SaveFormat::Bod},
        {"gam", SaveFormat::EnglishRecord}, {"txt", SaveFormat::EnglishPosition},
        {"jkf", SaveFormat::Jkf},           {"usi", SaveFormat::Usi},
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

std::string savedFileText(const RecordStore& store, SaveFormat format,
                          const RecordWriteOptions& options, TemplateExpander& expander) {
    assert(&expander.store() == &store);
    switch (format) {
        case SaveFormat::Kif:
            return kifText(store, options);
        case SaveFormat::Ki2:
            return ki2Text(store, options);
        case SaveFormat::Csa:
            return csaText(store);
        case SaveFormat::KifUtf8:
            return toUtf8Lossy(kifText(store, options));
        case SaveFormat::Ki2Utf8:
            return toUtf8Lossy(ki2Text(store, options));
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

WriteResult saveRecordFile(RecordStore& store, SaveFormat format, const std::string& path,
                           const RecordWriteOptions& options, TemplateExpander& expander) {
    WriteResult r = writeFileAtomically(path, savedFileText(store, format, options, expander));
    if (r == WriteResult::Ok && isRecordFormat(format)) store.markClean();
    return r;
}

}  // namespace core
