#include "cli/common/cli_common.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace cli {

void useLocaleLanguage(const std::string& domain) {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return;
    if (auto folder = core::localeFolderFor(exe.parent_path().string())) {
        core::useLanguage(core::systemLanguage(), domain, *folder);
    }
}

int usageError(std::string_view program, std::string_view usageText, std::string_view problem) {
    std::string text;
    if (!problem.empty()) {
        text += program;
        text += ": ";
        text += problem;
        text += '\n';
    }
    text += usageText;
    std::fwrite(text.data(), 1, text.size(), stderr);
    return kExitUsage;
}

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::string printable(std::string_view text, Encoding encoding) {
    if (encoding == Encoding::Sjis) return core::utf8ToCp932(text).text;
    return core::toUtf8Lossy(text);
}

std::string argumentText(std::string_view argument) { return core::toUtf8Lossy(argument); }

std::string_view withoutTrailingNewline(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

std::string systemReason(const std::string& fsPath) {
    errno = 0;
    if (core::readFile(fsPath)) return {};
    const int error = errno;
    if (error == 0) return {};
    return std::generic_category().message(error);
}

std::string withSystemReason(std::string text, const std::string& fsPath) {
    std::string reason = systemReason(fsPath);
    if (!reason.empty()) text += " (" + reason + ")";
    return text;
}

std::string readFailureText(const core::ReadReport& report, const core::RecordStore& store,
                            const std::string& path) {
    if (!report.message.empty()) return report.message;
    switch (report.result) {
        case core::ReadResult::Ok:
            return "";
        case core::ReadResult::CannotOpen:
            return withSystemReason(core::msgFileMissing(path), path);
        case core::ReadResult::CapacityReached:
            return core::msgReadError(path, core::msgRecordSizeOver());
        case core::ReadResult::LineFailed:
            break;
    }
    return core::msgReadError(path, store.readingError());
}

}  // namespace cli
