#include "tavrel/settings/history.h"

#include <algorithm>
#include <optional>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "tavrel/settings/setting_line.h"

namespace tavrel {

namespace {

constexpr std::array<std::string_view, kHistoryFieldCount> kFileNames = {
    "棋戦",           "戦型",   "持ち時間", "場所",     "表題",   "掲載",   "開始日時",
    "保存棋譜初期名", "対局者", "しおり",   "作品番号", "作者",   "発表誌", "発表年月",
    "出典",           "完全性", "分類",     "受賞",     "作品名", "手数",   "備考",
    "user1",          "user2",  "user3",    "user4",    "user5",
};

}  // namespace

std::string_view historyFileName(HistoryField field) {
    return kFileNames[static_cast<std::size_t>(field)];
}

std::string historyFilePath(const std::string& folder, HistoryField field) {
    return folder + std::string(historyFileName(field)) + ".his";
}

History::History(int maximum) : m_maximum(std::clamp(maximum, 0, kCapacity)) {}

std::string_view History::value(int i) const {
    if (i < 0 || i >= count()) return {};
    return m_entries[static_cast<std::size_t>(i)];
}

bool History::contains(std::string_view v) const {
    return std::find(m_entries.begin(), m_entries.end(), v) != m_entries.end();
}

HistoryAddResult History::add(std::string_view v) {
    std::string entry = cutText(singleLine(v), kEntryBytes);
    if (entry.empty() || m_maximum <= 0) return HistoryAddResult::Ignored;
    auto found = std::find(m_entries.begin(), m_entries.end(), entry);
    if (found != m_entries.end()) {
        std::rotate(m_entries.begin(), found, found + 1);
        return HistoryAddResult::MovedToFront;
    }
    // Newest first: appended, then turned to the front.
    m_entries.push_back(std::move(entry));
    std::rotate(m_entries.rbegin(), m_entries.rbegin() + 1, m_entries.rend());
    if (count() > m_maximum) m_entries.resize(static_cast<std::size_t>(m_maximum));
    return HistoryAddResult::Inserted;
}

core::ReadResult History::read(const std::string& path) {
    m_entries.clear();
    if (m_maximum <= 0) return core::ReadResult::Ok;
    std::optional<std::string> text = core::readFile(path);
    if (!text) return core::ReadResult::CannotOpen;
    *text = core::ownTextFileText(*text);
    for (std::string_view line : splitLines(*text)) {
        if (count() >= m_maximum) break;
        if (line.empty() || line[0] == '#') continue;
        m_entries.push_back(cutText(line, kEntryBytes));
    }
    return core::ReadResult::Ok;
}

core::WriteResult History::write(const std::string& path) const {
    if (m_maximum <= 0) return core::WriteResult::Ok;
    std::string out;
    for (const std::string& e : m_entries) appendLine(out, e);
    return core::writeFileAtomically(path, core::ownTextFileBytes(out));
}

Histories::Histories(int maximum) { m_items.fill(History(maximum)); }

void Histories::readAll(const std::string& folder) {
    for (int i = 0; i < kHistoryFieldCount; ++i) {
        auto field = static_cast<HistoryField>(i);
        // A missing file is an empty history, not an error.
        (void)m_items[index(field)].read(historyFilePath(folder, field));
    }
}

core::WriteResult Histories::writeAll(const std::string& folder) const {
    core::WriteResult result = core::WriteResult::Ok;
    for (int i = 0; i < kHistoryFieldCount; ++i) {
        auto field = static_cast<HistoryField>(i);
        core::WriteResult r = m_items[index(field)].write(historyFilePath(folder, field));
        if (r != core::WriteResult::Ok && result == core::WriteResult::Ok) result = r;
    }
    return result;
}

}  // namespace tavrel
