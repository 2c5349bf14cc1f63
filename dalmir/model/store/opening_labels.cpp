#include "dalmir/model/store/opening_labels.h"

#include <cstring>
#include <filesystem>
#include <unordered_map>

#include "core/base/checksum.h"
#include "core/base/path_text.h"
#include "core/text/message_format.h"

namespace dalmir::model {

namespace {

constexpr char kMagic[4] = {'D', 'O', 'L', '1'};
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kMaxLabelFileSize = std::size_t{1} << 30;

template <class T>
void put(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

template <class T>
bool get(std::string_view data, std::size_t& at, T& value) {
    if (data.size() - at < sizeof(T)) return false;
    std::memcpy(&value, data.data() + at, sizeof(T));
    at += sizeof(T);
    return true;
}

bool getText(std::string_view data, std::size_t& at, std::size_t length, std::string_view& text) {
    if (data.size() - at < length) return false;
    text = data.substr(at, length);
    at += length;
    return true;
}

struct StoredLabel {
    uint16_t moveCount = 0;
    uint8_t handicap = 0;
    uint8_t result = 0;
    std::string_view label;
    std::string_view name;
};

}  // namespace

std::string openingLabelsPath(std::string_view fsPath) {
    return std::string(core::withoutExtension(fsPath)) + ".DOL";
}

std::string formatOpeningLabels(const IndexTable& table) {
    std::string body;
    uint32_t count = 0;
    for (int slot = 0; slot < table.size(); ++slot) {
        const IndexEntry& e = table.entry(slot);
        if (e.autoOpening().empty()) continue;
        // Both texts are cut to their fields' widths, so their lengths fit.
        put(body, static_cast<uint16_t>(e.path().size()));
        body.append(e.path());
        put(body, e.moveCount);
        put(body, e.handicap);
        put(body, e.result);
        put(body, static_cast<uint8_t>(e.autoOpening().size()));
        body.append(e.autoOpening());
        put(body, static_cast<uint8_t>(e.autoOpeningName().size()));
        body.append(e.autoOpeningName());
        ++count;
    }
    std::string out(kMagic, sizeof kMagic);
    put(out, kOpeningRulesVersion);
    put(out, count);
    put(out, uint32_t{0});
    put(out, static_cast<uint64_t>(body.size()));
    put(out, core::checksum(body.data(), body.size()));
    return out + body;
}

OpeningLabelsReport attachOpeningLabels(IndexTable& table, std::string_view bytes) {
    OpeningLabelsReport report;
    uint32_t version = 0;
    uint32_t count = 0;
    uint32_t reserved = 0;
    uint64_t bodySize = 0;
    uint64_t sum = 0;
    std::size_t at = sizeof kMagic;
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0 ||
        !get(bytes, at, version) || !get(bytes, at, count) || !get(bytes, at, reserved) ||
        !get(bytes, at, bodySize) || !get(bytes, at, sum) ||
        bodySize != bytes.size() - kHeaderSize) {
        report.result = OpeningLabelsResult::Damaged;
        return report;
    }
    std::string_view body = bytes.substr(kHeaderSize);
    if (core::checksum(body.data(), body.size()) != sum) {
        report.result = OpeningLabelsResult::Damaged;
        return report;
    }
    if (version != kOpeningRulesVersion) {
        report.result = OpeningLabelsResult::Stale;
        return report;
    }
    std::unordered_map<std::string_view, StoredLabel> labels;
    at = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint16_t pathLength = 0;
        uint8_t labelLength = 0;
        uint8_t nameLength = 0;
        std::string_view path;
        StoredLabel stored;
        if (!get(body, at, pathLength) || !getText(body, at, pathLength, path) ||
            !get(body, at, stored.moveCount) || !get(body, at, stored.handicap) ||
            !get(body, at, stored.result) || !get(body, at, labelLength) ||
            !getText(body, at, labelLength, stored.label) || !get(body, at, nameLength) ||
            !getText(body, at, nameLength, stored.name)) {
            // The checksum held, so the writer was not this one: trust nothing of it.
            report.result = OpeningLabelsResult::Damaged;
            return report;
        }
        labels[path] = stored;
    }
    if (at != body.size()) {
        report.result = OpeningLabelsResult::Damaged;
        return report;
    }
    std::size_t used = 0;
    for (int slot = 0; slot < table.size(); ++slot) {
        IndexEntry& e = table.entry(slot);
        auto it = labels.find(e.path());
        if (it == labels.end()) continue;
        const StoredLabel& s = it->second;
        if (s.moveCount != e.moveCount || s.handicap != e.handicap || s.result != e.result) {
            continue;
        }
        e.setText(IndexText::AutoOpening, s.label);
        e.setText(IndexText::AutoOpeningName, s.name);
        ++report.attached;
        ++used;
    }
    report.unmatched = static_cast<int>(labels.size() > used ? labels.size() - used : 0);
    return report;
}

OpeningLabelsReport readOpeningLabels(IndexTable& table, const std::string& fsPath) {
    std::string path = openingLabelsPath(fsPath);
    OpeningLabelsReport report;
    std::optional<core::LargeBytes> content = core::readFileBytes(path, kMaxLabelFileSize);
    if (!content) {
        std::error_code ec;
        report.result = std::filesystem::exists(path, ec) ? OpeningLabelsResult::CannotRead
                                                          : OpeningLabelsResult::Missing;
        return report;
    }
    return attachOpeningLabels(table, content->view());
}

core::WriteResult writeOpeningLabels(const IndexTable& table, const std::string& fsPath) {
    bool any = false;
    for (int slot = 0; slot < table.size() && !any; ++slot) {
        any = !table.entry(slot).autoOpening().empty();
    }
    if (!any) return core::WriteResult::Ok;
    return core::writeFileAtomically(openingLabelsPath(fsPath), formatOpeningLabels(table));
}

std::string openingLabelsNotice(OpeningLabelsResult result, std::string_view storedPath) {
    switch (result) {
        case OpeningLabelsResult::Damaged:
        case OpeningLabelsResult::CannotRead:
            return core::formatMessageUtf8(
                "自動戦型ファイル(%s)が読めないため、自動戦型なしで開きました。", {storedPath});
        case OpeningLabelsResult::Stale:
            return core::formatMessageUtf8(
                "自動戦型ファイル(%s)は古い規則で作られたため、使いませんでした。", {storedPath});
        case OpeningLabelsResult::Ok:
        case OpeningLabelsResult::Missing:
            break;
    }
    return {};
}

}  // namespace dalmir::model
