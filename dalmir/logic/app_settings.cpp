#include "dalmir/logic/app_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/text/sjis.h"

namespace dalmir {

namespace {

std::optional<int> parseInt(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

class Reader {
public:
    explicit Reader(const SettingsStore& store) : m_store(store) {}

    void text(const std::string& key, std::string& value) const {
        auto v = m_store.read(key);
        if (v && !v->empty()) value = *v;
    }
    void number(const std::string& key, int& value) const {
        auto v = m_store.read(key);
        if (!v) return;
        if (auto n = parseInt(*v)) value = *n;
    }
    void flag(const std::string& key, bool& value) const {
        int n = value ? 1 : 0;
        number(key, n);
        value = n != 0;
    }
    void font(const std::string& prefix, FontSetting& f) const {
        text(prefix + "_name", f.name);
        number(prefix + "_size", f.size);
        number(prefix + "_weight", f.weight);
        flag(prefix + "_italic", f.italic);
    }
    void date(const std::string& key, SettingsDate& d) const {
        auto v = m_store.read(key);
        if (!v) return;
        int y = 0, m = 0, day = 0;
        char extra = 0;
        if (std::sscanf(v->c_str(), "%d %d %d %c", &y, &m, &day, &extra) == 3) d = {y, m, day};
    }

private:
    const SettingsStore& m_store;
};

class Writer {
public:
    explicit Writer(const SettingsStore& store) : m_store(store) {}
    void text(const std::string& key, const std::string& value) const { m_store.write(key, value); }
    void number(const std::string& key, int value) const { text(key, std::to_string(value)); }
    void font(const std::string& prefix, const FontSetting& f) const {
        text(prefix + "_name", f.name);
        number(prefix + "_size", f.size);
        number(prefix + "_weight", f.weight);
        number(prefix + "_italic", f.italic ? 1 : 0);
    }
    void date(const std::string& key, SettingsDate d) const {
        text(key,
             std::to_string(d.year) + ' ' + std::to_string(d.month) + ' ' + std::to_string(d.day));
    }

private:
    const SettingsStore& m_store;
};

}  // namespace

AppSettings readSettings(const SettingsStore& store) {
    AppSettings s;
    const Reader r(store);
    for (std::size_t k = 0; k < s.userFieldNames.size(); ++k) {
        r.text("Env/user" + std::to_string(k + 1), s.userFieldNames[k]);
    }
    r.text("Tool/replay_cmd_v6", s.tools.replayCommand);
    r.text("Tool/replay_opt", s.tools.replayOptions);
    r.text("Tool/edit_cmd", s.tools.editCommand);
    r.text("Tool/edit_opt", s.tools.editOptions);
    r.text("Tool/play_opt", s.tools.playOptions);
    r.text("Tool/print_opt", s.tools.printOptions);
    r.text("Tool/dia_opt", s.tools.diagramOptions);
    r.number("View/default_sort", s.defaultSort);
    r.font("View/status_font", s.statusFont);
    r.font("View/list_font", s.listFont);
    r.font("Print/print_font", s.printFont);
    r.number("Print/print_left_margin", s.printLeftMargin);
    r.number("Print/print_top_margin", s.printTopMargin);
    r.number("Print/print_foot_margin", s.printFootMargin);
    r.number("Print/print_line_margin", s.printLineMargin);
    r.flag("Option/find_hanten", s.findReversed);
    r.flag("Option/find_hasifu", s.findIgnoreEdges);
    r.flag("Option/del_confirm", s.deleteConfirm);
    r.flag("Option/dupli_del", s.duplicateDeleteFile);
    r.flag("Option/add_error", s.addErrorsLogged);
    r.number("Option/history_n", s.historyCount);
    const int defaultMaxRecords = s.maxRecords;
    r.number("Option/max_records", s.maxRecords);
    if (s.maxRecords < 1) s.maxRecords = defaultMaxRecords;
    r.flag("Option/history_player", s.historyPlayer);
    r.flag("Option/history_kisen", s.historyEvent);
    r.flag("Option/history_senkei", s.historyOpening);
    r.date("Option/date_from", s.dateFrom);
    r.date("Option/date_to", s.dateTo);
    int stacks = 0;
    r.number("Filters/count", stacks);
    for (int k = 0; k < std::clamp(stacks, 0, kMaxFilterStacks); ++k) {
        std::pair<std::string, std::string> stack;
        r.text("Filters/name" + std::to_string(k + 1), stack.first);
        r.text("Filters/stack" + std::to_string(k + 1), stack.second);
        if (!stack.first.empty()) s.filterStacks.push_back(std::move(stack));
    }
    std::string language;
    r.text("View/language", language);
    s.language = core::languageChoiceFromWord(language);
    r.text("Analysis/engine", s.analysis.engine);
    r.flag("Analysis/by_nodes", s.analysis.byNodes);
    r.number("Analysis/byoyomi", s.analysis.byoyomiMs);
    r.number("Analysis/nodes", s.analysis.nodes);
    r.number("Analysis/jobs", s.analysis.jobs);
    r.number("Analysis/max_ply", s.analysis.maxPly);
    std::string thresholds;
    r.text("Analysis/thresholds", thresholds);
    if (auto t = model::parseMarkThresholds(thresholds)) s.analysis.thresholds = *t;
    const AnalysisSettings defaults;
    if (s.analysis.byoyomiMs < 1) s.analysis.byoyomiMs = defaults.byoyomiMs;
    if (s.analysis.nodes < 1) s.analysis.nodes = defaults.nodes;
    if (s.analysis.jobs < 0) s.analysis.jobs = defaults.jobs;
    if (s.analysis.maxPly < -1) s.analysis.maxPly = defaults.maxPly;
    s.historyCount = std::clamp(s.historyCount, 0, kMaxHistoryEntries);
    if (s.defaultSort < 0 || s.defaultSort >= 44) s.defaultSort = 0;
    return s;
}

void writeSettings(const AppSettings& s, const SettingsStore& store) {
    const Writer w(store);
    for (std::size_t k = 0; k < s.userFieldNames.size(); ++k) {
        w.text("Env/user" + std::to_string(k + 1), s.userFieldNames[k]);
    }
    w.text("Tool/replay_cmd_v6", s.tools.replayCommand);
    w.text("Tool/replay_opt", s.tools.replayOptions);
    w.text("Tool/edit_cmd", s.tools.editCommand);
    w.text("Tool/edit_opt", s.tools.editOptions);
    w.text("Tool/play_opt", s.tools.playOptions);
    w.text("Tool/print_opt", s.tools.printOptions);
    w.text("Tool/dia_opt", s.tools.diagramOptions);
    w.number("View/default_sort", s.defaultSort);
    w.font("View/status_font", s.statusFont);
    w.font("View/list_font", s.listFont);
    w.font("Print/print_font", s.printFont);
    w.number("Print/print_left_margin", s.printLeftMargin);
    w.number("Print/print_top_margin", s.printTopMargin);
    w.number("Print/print_foot_margin", s.printFootMargin);
    w.number("Print/print_line_margin", s.printLineMargin);
    w.number("Option/find_hanten", s.findReversed ? 1 : 0);
    w.number("Option/find_hasifu", s.findIgnoreEdges ? 1 : 0);
    w.number("Option/del_confirm", s.deleteConfirm ? 1 : 0);
    w.number("Option/dupli_del", s.duplicateDeleteFile ? 1 : 0);
    w.number("Option/add_error", s.addErrorsLogged ? 1 : 0);
    w.number("Option/max_records", s.maxRecords);
    w.number("Option/history_n", s.historyCount);
    w.number("Option/history_player", s.historyPlayer ? 1 : 0);
    w.number("Option/history_kisen", s.historyEvent ? 1 : 0);
    w.number("Option/history_senkei", s.historyOpening ? 1 : 0);
    w.date("Option/date_from", s.dateFrom);
    w.date("Option/date_to", s.dateTo);
    w.text("View/language", std::string(core::languageChoiceWord(s.language)));
    w.text("Analysis/engine", s.analysis.engine);
    w.number("Analysis/by_nodes", s.analysis.byNodes ? 1 : 0);
    w.number("Analysis/byoyomi", s.analysis.byoyomiMs);
    w.number("Analysis/nodes", s.analysis.nodes);
    w.number("Analysis/jobs", s.analysis.jobs);
    w.number("Analysis/max_ply", s.analysis.maxPly);
    w.text("Analysis/thresholds", model::markThresholdsText(s.analysis.thresholds));
    const int stacks = std::min(static_cast<int>(s.filterStacks.size()), kMaxFilterStacks);
    w.number("Filters/count", stacks);
    for (int k = 0; k < stacks; ++k) {
        w.text("Filters/name" + std::to_string(k + 1),
               s.filterStacks[static_cast<std::size_t>(k)].first);
        w.text("Filters/stack" + std::to_string(k + 1),
               s.filterStacks[static_cast<std::size_t>(k)].second);
    }
}

SettingsDate offeredDateTo(const AppSettings& settings, SettingsDate today) {
    return settings.dateTo.year == 0 ? today : settings.dateTo;
}

InputHistory::InputHistory(int limit) : m_limit(std::clamp(limit, 0, kMaxHistoryEntries)) {}

void InputHistory::setLimit(int limit) {
    m_limit = std::clamp(limit, 0, kMaxHistoryEntries);
    if (static_cast<int>(m_entries.size()) > m_limit)
        m_entries.resize(static_cast<std::size_t>(m_limit));
}

bool InputHistory::enter(std::string_view text) {
    if (text.empty() || m_limit == 0) return false;
    std::string value = std::string(core::cutToBytes(text, kHistoryEntryBytes));
    auto it = std::find(m_entries.begin(), m_entries.end(), value);
    if (it != m_entries.end() && it == m_entries.begin()) return false;
    if (it != m_entries.end()) m_entries.erase(it);
    m_entries.insert(m_entries.begin(), std::move(value));
    if (static_cast<int>(m_entries.size()) > m_limit) m_entries.pop_back();
    return true;
}

void InputHistory::load(std::string_view fileBytes) {
    const std::string text = core::ownTextFileText(fileBytes);
    std::string_view fileText = text;
    m_entries.clear();
    while (!fileText.empty() && static_cast<int>(m_entries.size()) < m_limit) {
        std::size_t eol = fileText.find('\n');
        std::string_view line = fileText.substr(0, eol);
        fileText.remove_prefix(eol == std::string_view::npos ? fileText.size() : eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        m_entries.push_back(std::string(core::cutToBytes(line, kHistoryEntryBytes)));
    }
}

std::string InputHistory::fileBytes() const {
    std::string out;
    for (const auto& e : m_entries) {
        out += e;
        out += '\n';
    }
    return core::ownTextFileBytes(out);
}

}  // namespace dalmir
