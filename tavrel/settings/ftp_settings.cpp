#include "tavrel/settings/ftp_settings.h"

#include <cstdio>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"
#include "tavrel/settings/setting_line.h"

namespace tavrel {

namespace {

constexpr int kFirstPrintable = 0x20;
constexpr int kPrintableCount = 0x7F - 0x20;  // blank .. '~'

int shiftAt(std::size_t i) { return static_cast<int>((i * 17 + 29) % kPrintableCount); }

std::string rotate(std::string_view s, bool forward) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        int c = static_cast<unsigned char>(out[i]);
        if (c < kFirstPrintable || c >= kFirstPrintable + kPrintableCount) continue;
        int shift = forward ? shiftAt(i) : kPrintableCount - shiftAt(i);
        out[i] =
            static_cast<char>(kFirstPrintable + (c - kFirstPrintable + shift) % kPrintableCount);
    }
    return out;
}

// The keys of the file, CP932.
struct FtpKeys {
    std::string count = std::string("設定数");
    std::string selection = std::string("選択");
    std::string name = std::string("設定名");
    std::string server = std::string("サーバ");
    std::string user = std::string("ユーザ");
    std::string password = std::string("パスワード");
    std::string selected = std::string("選択");
    std::string passive = "PASV";
    std::string folder = std::string("フォルダ");
};

const FtpKeys& keys() {
    static const FtpKeys k;
    return k;
}

std::string number02(int i) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", i);
    return buffer;
}

// The destination number a key begins with, written as "%02d"; 0 when it has none.
int entryNumber(std::string_view key, std::string_view& rest) {
    std::size_t i = 0;
    while (i < key.size() && i < 4 && key[i] >= '0' && key[i] <= '9') ++i;
    if (i < 2) return 0;
    int n = leadingInt(key.substr(0, i)).value;
    if (number02(n) != key.substr(0, i)) return 0;
    rest = key.substr(i);
    return n;
}

void applyEntryLine(FtpSetting& e, std::string_view field, std::string_view value) {
    const FtpKeys& k = keys();
    if (core::startsWithText(field, k.name)) {
        e.name = cutText(textValue(value), kFtpTextBytes);
    } else if (core::startsWithText(field, k.server)) {
        e.server = cutText(value, kFtpTextBytes);
    } else if (core::startsWithText(field, k.user)) {
        e.user = cutText(value, kFtpTextBytes);
    } else if (core::startsWithText(field, k.password)) {
        e.password = cutText(unscramblePassword(textValue(value)), kFtpTextBytes);
    } else if (core::startsWithText(field, k.selected)) {
        e.selected = leadingInt(value).value != 0;
    } else if (core::startsWithText(field, k.passive)) {
        e.passive = leadingInt(value).value != 0;
    } else if (core::startsWithText(field, k.folder)) {
        e.folder = cutText(value, kFtpTextBytes);
    }
}

}  // namespace

std::string scramblePassword(std::string_view password) { return rotate(password, true); }

std::string unscramblePassword(std::string_view scrambled) { return rotate(scrambled, false); }

std::string ftpSettingName(int n) { return std::string("設定") + std::to_string(n); }

FtpSettings parseFtpSettings(std::string_view text) {
    const FtpKeys& k = keys();
    FtpSettings result;
    int count = 0;
    struct Line {
        int number;
        std::string_view field;
        std::string_view value;
    };
    std::vector<Line> entryLines;
    for (std::string_view line : splitLines(text)) {
        std::optional<KeyValue> kv = splitKeyValue(line);
        if (!kv) continue;
        std::string_view rest;
        if (int n = entryNumber(kv->key, rest); n > 0) {
            entryLines.push_back({n, rest, kv->value});
        } else if (kv->key == k.count) {
            count = leadingInt(kv->value).value;
        } else if (kv->key == k.selection) {
            result.selection = leadingInt(kv->value).value;
        }
    }
    if (count > kMaxFtpSettings) count = kMaxFtpSettings;
    if (count > 0) result.entries.resize(static_cast<std::size_t>(count));
    for (const Line& l : entryLines) {
        if (l.number > count) continue;
        applyEntryLine(result.entries[static_cast<std::size_t>(l.number - 1)], l.field, l.value);
    }
    return result;
}

std::string formatFtpSettings(const FtpSettings& settings) {
    const FtpKeys& k = keys();
    std::string out;
    appendLine(out, k.count + " : " + std::to_string(settings.entries.size()));
    appendLine(out, k.selection + "   : " + std::to_string(settings.selection));
    int i = 0;
    for (const FtpSetting& e : settings.entries) {
        std::string n = number02(++i);
        appendLine(out, "#---------------");
        appendLine(out, n + k.name + "     : \"" + std::string(singleLine(e.name)) + "\"");
        appendLine(out, n + k.server + "     : " + std::string(singleLine(e.server)));
        appendLine(out, n + k.user + "     : " + std::string(singleLine(e.user)));
        appendLine(out, n + k.password + " : \"" + scramblePassword(singleLine(e.password)) + "\"");
        appendLine(out, n + k.selected + "       : " + (e.selected ? "1" : "0"));
        appendLine(out, n + k.passive + "       : " + (e.passive ? "1" : "0"));
        appendLine(out, n + k.folder + "   : " + std::string(singleLine(e.folder)));
    }
    return out;
}

core::ReadResult ReadFtpSettings(const std::string& path, FtpSettings& settings) {
    std::optional<std::string> text = core::readFile(path);
    if (!text) return core::ReadResult::CannotOpen;
    settings = parseFtpSettings(core::ownTextFileText(*text));
    return core::ReadResult::Ok;
}

core::WriteResult WriteFtpSettings(const std::string& path, const FtpSettings& settings) {
    return core::writeFileAtomically(path, core::ownTextFileBytes(formatFtpSettings(settings)),
                                     core::FileAccess::OwnerOnly);
}

}  // namespace tavrel
