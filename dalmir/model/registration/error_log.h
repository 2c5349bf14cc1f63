// The error log "errorlog.txt" in the data folder: record files that failed to read while
// adding, or read with a warning, are appended to it with the time and the reader's text; it is
// never truncated.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace dalmir::model {

inline constexpr std::string_view kErrorLogName = "errorlog.txt";

class ErrorLog {
public:
    // fsPath: the log file; empty keeps no log (errors are still counted).
    explicit ErrorLog(std::string fsPath = {}) : m_path(std::move(fsPath)) {}

    const std::string& path() const { return m_path; }
    int errors() const { return m_errors; }
    void resetCount() { m_errors = 0; }

    // Appends "---", the date and time, "棋譜読み込みエラー", the record path and the error text
    //, and counts the error. False when the log can't be written.
    bool appendReadError(std::string_view path, std::string_view errorText);
    // Appends "---", the date and time, the record path and the warning of a record
    // that was read all the same, and counts it with the errors.
    bool appendWarning(std::string_view path, std::string_view warning);
    // Appends "---", " エラー数 %d" with the errors counted and "======".
    bool appendSummary();

    // "%4d/%02d/%02d(%s) %H:%M:%S" of a local time, the weekday as 日 月 火 水 木 金 土.
    static std::string timeStamp(const std::tm& local);

private:
    // "---", the time, the heading (when not empty), the path and the detail.
    bool appendEntry(std::string_view heading, std::string_view path, std::string_view detail);
    bool append(std::string_view text);

    std::string m_path;
    int m_errors = 0;
};

}  // namespace dalmir::model
