#include "tavrel/logic/play/engine_log.h"

#include <algorithm>
#include <optional>

#include "core/text/sjis.h"

namespace tavrel {

EngineLog::EngineLog(std::size_t capacity) : m_capacity(std::max<std::size_t>(capacity, 1)) {}

void EngineLog::add(std::string_view engine, EngineTraffic direction, std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    EngineLogLine entry{std::string(engine), direction, {}};
    if (line.size() > kMaxLineBytes) {
        entry.text = std::string(line.substr(0, kMaxLineBytes)) + " ... (" +
                     std::to_string(line.size()) + " bytes)";
    } else {
        entry.text = std::string(line);
    }
    if (m_lines.size() == m_capacity) {
        m_lines.pop_front();
        ++m_dropped;
    }
    m_lines.push_back(std::move(entry));
    if (m_listener) m_listener(m_lines.back());
}

void EngineLog::clear() {
    m_lines.clear();
    m_dropped = 0;
}

std::string engineLogText(const EngineLogLine& line) {
    std::string text;
    if (core::isValidUtf8(line.text)) {
        text = line.text;
    } else if (std::optional<std::string> decoded = core::cp932ToUtf8(line.text)) {
        text = std::move(*decoded);
    } else {
        // Neither: keep the ASCII readable and mark the rest.
        for (unsigned char c : line.text)
            text += c < 0x80 ? std::string(1, static_cast<char>(c)) : "\xEF\xBF\xBD";
    }
    for (char& c : text) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) c = '?';
    }
    return line.engine + (line.direction == EngineTraffic::Sent ? "> " : "< ") + text;
}

}  // namespace tavrel
