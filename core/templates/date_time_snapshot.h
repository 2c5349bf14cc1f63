// The date and time that templates insert. The owner (the viewer) keeps one snapshot, takes it at
// start-up and again before each mail, print and image-name expansion; other texts reuse the last
// values. The clock is injected so that tests get fixed values.
#pragma once

#include <functional>
#include <string>

namespace core {

// Local calendar time, four-digit year, month 1..12.
struct LocalDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

using Clock = std::function<LocalDateTime()>;

// The system's local time.
LocalDateTime systemLocalTime();

class DateTimeSnapshot {
public:
    // A null clock means systemLocalTime. The snapshot is taken at once.
    explicit DateTimeSnapshot(Clock clock = {});

    void refresh();
    const LocalDateTime& value() const { return m_value; }

    std::string date() const;         // "2013/02/01"
    std::string time() const;         // "09:05:07"
    std::string compactDate() const;  // "20130201"
    std::string shortDate() const;    // "13Feb01"
    std::string compactTime() const;  // "090507"

private:
    Clock m_clock;
    LocalDateTime m_value;
};

// "Jan".."Dec" for month 1..12; "???" otherwise.
const char* englishMonth(int month);

}  // namespace core
