#include "dalmir/model/registration/error_log.h"

#include <array>
#include <cstdio>

#include "core/text/sjis.h"

namespace dalmir::model {

namespace {

constexpr std::string_view kEol = "\r\n";

}  // namespace

std::string ErrorLog::timeStamp(const std::tm& local) {
    static const std::array<std::string, 7> kWeekdays = {
        std::string("日"), std::string("月"), std::string("火"), std::string("水"),
        std::string("木"), std::string("金"), std::string("土")};
    char date[32];
    std::snprintf(date, sizeof date, "%4d/%02d/%02d(", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    char time[16];
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    std::string out = date;
    out += kWeekdays[static_cast<std::size_t>(local.tm_wday % 7)];
    out += ") ";
    out += time;
    return out;
}

bool ErrorLog::appendReadError(std::string_view path, std::string_view errorText) {
    static const std::string kHeading = std::string("棋譜読み込みエラー");
    return appendEntry(kHeading, path, errorText);
}

bool ErrorLog::appendWarning(std::string_view path, std::string_view warning) {
    return appendEntry({}, path, warning);
}

bool ErrorLog::appendEntry(std::string_view heading, std::string_view path,
                           std::string_view detail) {
    ++m_errors;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::string text = "---";
    text += kEol;
    text += timeStamp(local);
    text += kEol;
    if (!heading.empty()) {
        text += heading;
        text += kEol;
    }
    text += path;
    text += kEol;
    text += detail;
    text += kEol;
    return append(text);
}

bool ErrorLog::appendSummary() {
    static const std::string kCount = std::string(" エラー数 ");
    std::string text = "---";
    text += kEol;
    text += kCount + std::to_string(m_errors);
    text += kEol;
    text += "======";
    text += kEol;
    return append(text);
}

bool ErrorLog::append(std::string_view text) {
    if (m_path.empty()) return false;
    std::FILE* f = std::fopen(m_path.c_str(), "ab");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

}  // namespace dalmir::model
