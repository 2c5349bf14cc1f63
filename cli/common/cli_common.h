// What tavrel-cli and dalmir-cli share: exit codes, the printed encoding, arguments given in the
// terminal's UTF-8, and the texts of reading failures.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/formats/kif_reader.h"
#include "core/record/record_store.h"

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFile = 1;       // a file could not be read or written
inline constexpr int kExitUsage = 2;      // wrong usage
inline constexpr int kExitStopped = 130;  // stopped by Ctrl+C, what was done kept

enum class Encoding { Utf8, Sjis };

// Reports a usage error: "PROGRAM: problem" (when there is one) and the usage text on stderr.
// Returns kExitUsage.
// Turns the program's texts to the locale's language (the catalogue `domain` beside the program
// or under ../share/locale); the texts stay Japanese when the catalogue is missing.
void useLocaleLanguage(const std::string& domain);

int usageError(std::string_view program, std::string_view usageText, std::string_view problem);

// A whole decimal number, nullopt for anything else.
std::optional<int> parseInt(std::string_view text);

// Program text (UTF-8) as printed: as it is, or converted for Shift-JIS output (a character
// Shift-JIS cannot hold shows as "？" there).
std::string printable(std::string_view text, Encoding encoding);

// A command-line argument as program text: UTF-8 as it is; a byte that is no UTF-8 shows as
// U+FFFD.
std::string argumentText(std::string_view argument);

// text without its trailing line breaks.
std::string_view withoutTrailingNewline(std::string_view text);

// The system's reason a file cannot be read, in strerror's words ("No such file or directory",
// "Is a directory", "Permission denied"); empty when it can be read now.
std::string systemReason(const std::string& fsPath);

// text followed by " (REASON)" with the system's reason the file cannot be read, when there is
// one.
std::string withSystemReason(std::string text, const std::string& fsPath);

// The reader's own text for a failed read: the missing file (with the system's reason),
// the record size, or the failing line.
std::string readFailureText(const core::ReadReport& report, const core::RecordStore& store,
                            const std::string& path);

}  // namespace cli
