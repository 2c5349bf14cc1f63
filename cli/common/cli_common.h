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
inline constexpr int kExitFile = 1;   // a file could not be read or written
inline constexpr int kExitUsage = 2;  // wrong usage

enum class Encoding { Utf8, Sjis };

// Reports a usage error: "PROGRAM: problem" (when there is one) and the usage text on stderr.
// Returns kExitUsage.
int usageError(std::string_view program, std::string_view usageText, std::string_view problem);

// A whole decimal number, nullopt for anything else.
std::optional<int> parseInt(std::string_view text);

// CP932 program text as printed: converted to UTF-8, or as it is for Shift-JIS output.
std::string printable(std::string_view cp932, Encoding encoding);

// A command-line argument as program text: UTF-8 converted to CP932; bytes that are not UTF-8
// are taken to be CP932 already.
std::string argumentText(std::string_view argument);

// text without its trailing line breaks.
std::string_view withoutTrailingNewline(std::string_view text);

// The system's reason a file cannot be read, in strerror's words ("No such file or directory",
// "Is a directory", "Permission denied"); empty when it can be read now.
std::string systemReason(const std::string& fsPath);

// text followed by " (REASON)" with the system's reason the file cannot be read, when there is
// one.
std::string withSystemReason(std::string text, const std::string& fsPath);

// The reader's own text for a failed read (CP932): the missing file (with the system's reason),
// the record size, or the failing line.
std::string readFailureText(const core::ReadReport& report, const core::RecordStore& store,
                            const std::string& path);

}  // namespace cli
