// The engine log: what the window and its USI engines said to each other, line by line, for the
// user to look at when an engine misbehaves (a banner or debug text the protocol does not know
// is only shown here). Bounded: the oldest lines go first. Owned by the window's engine part;
// every engine process it starts feeds it.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace tavrel {

enum class EngineTraffic : unsigned char {
    Sent,      // a command to the engine
    Received,  // a line the engine printed
};

struct EngineLogLine {
    std::string engine;  // the engine's name in the list (UTF-8)
    EngineTraffic direction = EngineTraffic::Sent;
    std::string text;  // the line as sent or printed, without its line end
};

class EngineLog {
public:
    static constexpr std::size_t kDefaultCapacity = 5000;
    // The longest line kept whole; longer ones are cut, their length noted.
    static constexpr std::size_t kMaxLineBytes = 4096;

    explicit EngineLog(std::size_t capacity = kDefaultCapacity);

    // Adds a line (its line end, if any, taken off); the listener hears of it.
    void add(std::string_view engine, EngineTraffic direction, std::string_view line);
    void clear();

    const std::deque<EngineLogLine>& lines() const { return m_lines; }
    // Lines that fell off the front since the last clear.
    std::size_t dropped() const { return m_dropped; }
    // Called after each line added (the view appends it).
    void setListener(std::function<void(const EngineLogLine&)> listener) {
        m_listener = std::move(listener);
    }

private:
    std::size_t m_capacity;
    std::size_t m_dropped = 0;
    std::deque<EngineLogLine> m_lines;
    std::function<void(const EngineLogLine&)> m_listener;
};

// A line as the log view shows it (UTF-8): "engine> command" for what was sent, "engine< line"
// for what the engine printed. A line that is not UTF-8 is read as CP932, and bytes that are
// neither show as U+FFFD; control characters other than tab show as "?".
std::string engineLogText(const EngineLogLine& line);

}  // namespace tavrel
