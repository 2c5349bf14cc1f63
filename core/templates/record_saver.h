// Writing a record or position file in a chosen format: the one place that picks the writer for
// Tavrel's Save, Save As and the save question, and for tavrel-cli convert. KIF, KI2 and CSA
// records (KIF and KI2 also as UTF-8), the .bod position diagram, and the English record and
// position. The caller owns the record, the options and the expander.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/base/safe_file.h"
#include "core/formats/record_writer_options.h"
#include "core/record/record_store.h"
#include "core/templates/template_expander.h"

namespace core {

// The formats, numbered as the Save As dialog lists its filters (1..6); the UTF-8 forms of the
// records follow.
enum class SaveFormat : int {
    Kif = 1,
    Ki2 = 2,
    Csa = 3,
    Bod = 4,
    EnglishRecord = 5,
    EnglishPosition = 6,
    KifUtf8 = 7,
    Ki2Utf8 = 8,
    Jkf = 9,   // the JSON kifu format, UTF-8
    Usi = 10,  // the main line as one USI position command
};

// The format of an output file by its extension (any case): kif, ki2, csa, kifu, ki2u, bod, gam
// (English record), txt (English position), jkf, usi; nullopt for any other extension and for
// none.
std::optional<SaveFormat> saveFormatOfPath(std::string_view path);

// Whether the format holds the record itself (KIF, KI2, CSA, JKF and the UTF-8 forms) rather than
// a text made from it (the position diagram, the English texts, the USI line).
bool isRecordFormat(SaveFormat format);

// The bytes of the file. REQUIRES: expander reads store; its text options and templates make the
// position diagram and the English texts.
std::string savedFileText(const RecordStore& store, SaveFormat format,
                          const RecordWriteOptions& options, TemplateExpander& expander);

// Writes savedFileText to path crash-safe: Ok, CannotCreate or WriteFailed (the old file is then
// untouched). After a record format is written the store is clean. Moving the bookmark that
// "棋譜読込局面" 3 asks for (markLoadPosition) is left to the caller.
[[nodiscard]] WriteResult saveRecordFile(RecordStore& store, SaveFormat format,
                                         const std::string& path, const RecordWriteOptions& options,
                                         TemplateExpander& expander);

}  // namespace core
