#include "dalmir/model/table/dls_clipboard.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "core/text/sjis.h"
#include "dalmir/model/table/index_paths.h"

namespace dalmir::model {

namespace {

constexpr std::string_view kHeader = "DLS";

std::string_view nextLine(std::string_view text, std::size_t& pos) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t nul = line.find('\0');  // NUL is never the second byte of a character
    if (nul != std::string_view::npos) line = line.substr(0, nul);
    return line;
}

std::string comparisonKey(const IndexTable& table, std::string_view storedPath) {
    return pathKey(table.resolve(storedPath));
}

}  // namespace

std::string copyRecordsAsText(const IndexTable& table, std::span<const int32_t> slots) {
    std::string out;
    out.reserve(8 + slots.size() * 320);
    out += kHeader;
    out += "\r\n";
    for (int32_t slot : slots) {
        if (slot < 0 || slot >= table.size()) continue;
        const IndexEntry& entry = table.entry(slot);
        appendRecordLine(out, slot + 1, table.resolve(entry.path()), entry);
    }
    return out;
}

PasteReport pasteRecordsFromText(IndexTable& table, std::string_view text,
                                 std::size_t displayPosition, const PasteAccept& accept) {
    PasteReport result;
    std::size_t pos = 0;
    if (text.empty() || nextLine(text, pos) != kHeader) {
        result.code = PasteResult::NotRecords;
        return result;
    }

    std::unordered_set<std::string> registered;
    registered.reserve(static_cast<std::size_t>(table.size()) * 2);
    for (const IndexEntry& e : table.entries()) registered.insert(comparisonKey(table, e.path()));

    auto& order = table.displayOrder();
    std::size_t insertAt = std::min(displayPosition, order.size());
    IndexEntry entry;
    for (int lineNumber = 2; pos < text.size(); ++lineNumber) {
        std::string_view line = core::cutToBytes(nextLine(text, pos), kPasteMaxLineBytes);
        if (!line.empty() && line[0] == '#') continue;
        RecordLineResult status = parseRecordLine(line, entry);
        if (status == RecordLineResult::NoQuote) break;
        if (status != RecordLineResult::Ok) {
            DlsNote note = status == RecordLineResult::EventMissing     ? DlsNote::EventMissing
                           : status == RecordLineResult::OpeningMissing ? DlsNote::OpeningMissing
                                                                        : DlsNote::TitleMissing;
            result.messages.push_back({lineNumber, note, recordLineMessage(status)});
        }

        std::string path = table.resolve(entry.path());
        std::string key = pathKey(path);
        if (registered.contains(key)) {
            ++result.alreadyRegistered;
            continue;
        }
        if (table.isFull()) {
            result.code = PasteResult::TableFull;
            result.messages.push_back(
                {lineNumber, DlsNote::TableFull, tableFullMessage(table.capacity())});
            break;
        }
        entry.setText(IndexText::Path, path);
        if (accept && !accept(entry)) {
            ++result.refused;
            continue;
        }
        std::optional<std::string> relative;
        if (table.settings().relativePaths) relative = relativeTo(table.folder(), path);
        if (relative) entry.setText(IndexText::Path, *relative);
        int slot = table.append(std::move(entry));
        order.insert(order.begin() + static_cast<std::ptrdiff_t>(insertAt++), slot);
        registered.insert(std::move(key));
        ++result.added;
    }
    return result;
}

}  // namespace dalmir::model
