// Writing a record or position file in a chosen format: the one place that picks the writer for
// Tavrel's Save, Save As and the save question, and for tavrel-cli convert. KIF, KI2 and CSA
// records (KIF and KI2 also as UTF-8), the .bod position diagram, and the English record and
// position. The caller owns the record, the options and the expander.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/base/safe_file.h"
#include "core/formats/record_encoding.h"
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
    Jkf = 9,       // the JSON kifu format, UTF-8
    Usi = 10,      // the main line as one USI position command
    CsaUtf8 = 11,  // CSA declaring 'CSA encoding=UTF-8 on its first line
};

// The format of an output file by its extension (any case): kif, ki2, csa, kifu, ki2u, csau, bod,
// gam (English record), txt (English position), jkf, usi; nullopt for any other extension and for
// none.
std::optional<SaveFormat> saveFormatOfPath(std::string_view path);

// Whether the format holds the record itself (KIF, KI2, CSA, JKF and the UTF-8 forms) rather than
// a text made from it (the position diagram, the English texts, the USI line).
bool isRecordFormat(SaveFormat format);

// Whether the file is Shift-JIS (CP932): KIF, KI2, CSA, the position diagram and the English
// texts. The others are UTF-8.
bool isCp932Format(SaveFormat format);

// The UTF-8 form of a CP932 record format (KIF -> .kifu, KI2 -> .ki2u, CSA -> CSA declaring
// UTF-8); nullopt for the others.
std::optional<SaveFormat> utf8FormOf(SaveFormat format);

// The extension a format's file is written with ("kif", "kifu", "csau" ...).
std::string_view extensionOf(SaveFormat format);

// How the UTF-8 form is offered in a message: "KIF形式(UTF-8)(*.kifu)" and the like.
std::string utf8FormName(SaveFormat utf8Form);

// The message for a save to a CP932 format that cannot hold a character of the record: which field,
// which character, and the UTF-8 form of the format when there is one.
std::string msgCannotSaveInCp932(SaveFormat format, const Cp932Problem& problem);

// The file's bytes, or the character that keeps a CP932 format from holding the record.
struct SavedFile {
    std::string bytes;
    std::optional<Cp932Problem> problem;  // set: nothing may be written
};

// The bytes of the file. REQUIRES: expander reads store; its text options and templates make the
// position diagram and the English texts.
SavedFile savedFile(const RecordStore& store, SaveFormat format, const RecordWriteOptions& options,
                    TemplateExpander& expander);

// The text of the file as UTF-8 (what savedFile converts for a CP932 format).
std::string savedFileText(const RecordStore& store, SaveFormat format,
                          const RecordWriteOptions& options, TemplateExpander& expander);

// Writes savedFile to path crash-safe: Ok, CannotCreate or WriteFailed (the old file is then
// untouched); Unencodable, with nothing written, when a CP932 format cannot hold a character
// (*problem then says which). After a record format is written the store is clean. Moving the
// bookmark that "棋譜読込局面" 3 asks for (markLoadPosition) is left to the caller.
[[nodiscard]] WriteResult saveRecordFile(RecordStore& store, SaveFormat format,
                                         const std::string& path, const RecordWriteOptions& options,
                                         TemplateExpander& expander,
                                         Cp932Problem* problem = nullptr);

}  // namespace core
