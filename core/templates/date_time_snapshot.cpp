#include "core/templates/date_time_snapshot.h"

#include <cstdio>
#include <ctime>
#include <utility>

namespace core {

LocalDateTime systemLocalTime() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    LocalDateTime v;
    if (localtime_r(&now, &tm) == nullptr) return v;
    v.year = tm.tm_year + 1900;
    v.month = tm.tm_mon + 1;
    v.day = tm.tm_mday;
    v.hour = tm.tm_hour;
    v.minute = tm.tm_min;
    v.second = tm.tm_sec;
    return v;
}

const char* englishMonth(int month) {
    static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? kMonths[month - 1] : "???";
}

DateTimeSnapshot::DateTimeSnapshot(Clock clock) : m_clock(std::move(clock)) { refresh(); }

void DateTimeSnapshot::refresh() { m_value = m_clock ? m_clock() : systemLocalTime(); }

namespace {
std::string format(const char* fmt, int a, int b, int c) {
    char buf[48];
    std::snprintf(buf, sizeof buf, fmt, a, b, c);
    return buf;
}
}  // namespace

std::string DateTimeSnapshot::date() const {
    return format("%04d/%02d/%02d", m_value.year, m_value.month, m_value.day);
}
std::string DateTimeSnapshot::time() const {
    return format("%02d:%02d:%02d", m_value.hour, m_value.minute, m_value.second);
}
std::string DateTimeSnapshot::compactDate() const {
    return format("%04d%02d%02d", m_value.year, m_value.month, m_value.day);
}
std::string DateTimeSnapshot::shortDate() const {
    char buf[32];
    int yy = ((m_value.year % 100) + 100) % 100;
    std::snprintf(buf, sizeof buf, "%02d%s%02d", yy, englishMonth(m_value.month), m_value.day);
    return buf;
}
std::string DateTimeSnapshot::compactTime() const {
    return format("%02d%02d%02d", m_value.hour, m_value.minute, m_value.second);
}

}  // namespace core
