#include "tavrel/logic/document/file_rules.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>

#include "core/base/path_text.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"

namespace tavrel {

using core::lowerExtension;

namespace {

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool anyOf(std::string_view ext, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), ext) != list.end();
}

// The name without extension with single-byte letters upper-cased, never touching the second
// byte of a two-byte character.
std::string sortKey(std::string_view name) {
    std::string_view stem = core::withoutExtension(name);
    std::string key;
    core::forEachChar(stem, [&](std::size_t i, std::size_t n) {
        if (n == 1) {
            key += upperAscii(stem[i]);
        } else {
            key.append(stem.substr(i, n));
        }
    });
    return key;
}

}  // namespace

const std::string& newRecordName() {
    static const std::string name = std::string(core::translate("新規棋譜"));
    return name;
}

std::string recordNameFromPath(std::string_view path) {
    std::string_view name = core::fileNameOf(path);
    if (anyOf(lowerExtension(name), {"kif", "ki2", "bod"})) name = core::withoutExtension(name);
    return std::string(name);
}

bool hasNoFile(std::string_view recordName) {
    return recordName.empty() || recordName == newRecordName();
}

std::string dateName(int year, int month, int day) {
    static constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* mon =
        (month >= 1 && month <= 12) ? kMonths[static_cast<std::size_t>(month - 1)] : "???";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d%3s%02d", ((year % 100) + 100) % 100, mon, day);
    return buf;
}

std::string todayName() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return dateName(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

namespace {
// The Save As dialog's filters in its order, each with the extension it adds.
struct SaveFilter {
    SaveFormat format;
    std::string_view extension;
};
constexpr std::array<SaveFilter, kSaveFilterCount> kSaveFilters{{
    {SaveFormat::Kif, "kif"},
    {SaveFormat::Ki2, "ki2"},
    {SaveFormat::Csa, "csa"},
    {SaveFormat::Bod, "bod"},
    {SaveFormat::EnglishRecord, "gam"},
    {SaveFormat::EnglishPosition, "txt"},
    {SaveFormat::Jkf, "jkf"},
    {SaveFormat::KifUtf8, "kifu"},
    {SaveFormat::Ki2Utf8, "ki2u"},
    {SaveFormat::CsaUtf8, "csau"},
}};
}  // namespace

SaveFormat saveFilterFormat(int n) {
    if (n < 1 || n > kSaveFilterCount) return SaveFormat::Kif;
    return kSaveFilters[static_cast<std::size_t>(n - 1)].format;
}

int saveFilterNumber(SaveFormat format) {
    for (int n = 1; n <= kSaveFilterCount; ++n) {
        if (kSaveFilters[static_cast<std::size_t>(n - 1)].format == format) return n;
    }
    return 0;
}

std::string_view saveFilterExtension(SaveFormat filter) {
    int n = saveFilterNumber(filter);
    if (n == 0) return "kif";
    return kSaveFilters[static_cast<std::size_t>(n - 1)].extension;
}

std::optional<SaveFormat> overwriteFormat(std::string_view path) {
    std::string ext = lowerExtension(path);
    if (ext == "kif") return SaveFormat::Kif;
    if (ext == "ki2") return SaveFormat::Ki2;
    if (ext == "bod") return SaveFormat::Bod;
    if (ext == "csa") return SaveFormat::Csa;
    if (ext == "jkf") return SaveFormat::Jkf;
    if (ext == "kifu") return SaveFormat::KifUtf8;
    if (ext == "ki2u") return SaveFormat::Ki2Utf8;
    if (ext == "csau") return SaveFormat::CsaUtf8;
    return std::nullopt;
}

SaveFormat initialSaveFilter(ViewerMode mode, std::optional<SaveFormat> lastUsed,
                             std::string_view currentPath, StandardFormat standardFormat) {
    if (isEditing(mode)) return SaveFormat::Bod;
    if (lastUsed && saveFilterNumber(*lastUsed) != 0) {
        return *lastUsed;
    }
    std::string ext = lowerExtension(currentPath);
    if (ext == "ki2") return SaveFormat::Ki2;
    if (!anyOf(ext, {"kif", "ki2", "bod"}) && standardFormat == StandardFormat::Ki2)
        return SaveFormat::Ki2;
    return SaveFormat::Kif;
}

OpenFilter initialOpenFilter(StandardFormat standardFormat) {
    return standardFormat == StandardFormat::Ki2 ? OpenFilter::Ki2 : OpenFilter::Kif;
}

std::string applySaveExtension(std::string_view name, SaveFormat filter) {
    std::string ext = lowerExtension(name);
    std::string_view own = saveFilterExtension(filter);
    bool record = filter == SaveFormat::Kif || filter == SaveFormat::Ki2 ||
                  filter == SaveFormat::EnglishRecord;
    bool matches = record ? anyOf(ext, {"kif", "ki2", "gam"}) : ext == own;
    std::string result(name);
    if (!matches) {
        result += '.';
        result += own;
    }
    return result;
}

std::optional<std::string> siblingFile(const std::vector<std::string>& folderNames,
                                       std::string_view currentName, bool forward) {
    std::string ext = lowerExtension(currentName);
    std::vector<std::pair<std::string, std::string>> list;  // key, name
    for (const std::string& n : folderNames) {
        if (list.size() >= kMaxFolderEntries) break;
        if (lowerExtension(n) == ext) list.emplace_back(sortKey(n), n);
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string currentKey = sortKey(currentName);
    if (forward) {
        for (const auto& [key, n] : list) {
            if (key > currentKey) return n;
        }
    } else {
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            if (it->first < currentKey) return it->second;
        }
    }
    return std::nullopt;
}

std::string primaryBackupPath(std::string_view path) {
    return std::string(core::folderOf(path)) + "bak/" + std::string(core::fileNameOf(path)) +
           ".bak";
}

std::string fallbackBackupPath(std::string_view path) { return std::string(path) + ".bak"; }

}  // namespace tavrel
