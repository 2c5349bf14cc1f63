#include "tavrel/settings/list_file.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/base/safe_file.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/settings/setting_line.h"

namespace tavrel {

namespace {

struct ListName {
    std::string_view japanese;
    std::string_view english;
};

constexpr std::array<ListName, kListFieldCount> kNames = {{
    {"対局者", "player"},
    {"棋戦", "kisen"},
    {"戦型", "senkei"},
    {"表題", "subj"},
    {"持ち時間", ""},
    {"場所", ""},
    {"掲載", ""},
    {"ユーザ1", "user1"},
    {"ユーザ2", "user2"},
    {"ユーザ3", "user3"},
    {"ユーザ4", "user4"},
    {"ユーザ5", "user5"},
    {"しおり", ""},
    {"消費時間", ""},
    {"開始日時", ""},
}};

const ListName& names(ListField f) { return kNames[static_cast<std::size_t>(f)]; }

}  // namespace

std::string_view listFileName(ListField field) { return names(field).japanese; }

std::string_view listFileEnglishName(ListField field) { return names(field).english; }

std::string listFilePath(const std::string& folder, ListField field, bool english) {
    std::string_view name = english ? names(field).english : names(field).japanese;
    return folder + std::string(name) + ".txt";
}

std::vector<std::string> parseListFile(std::string_view text) {
    std::vector<std::string> values;
    for (std::string_view line : splitLines(text)) {
        if (line.empty() || line[0] == '#') continue;
        values.emplace_back(line);
    }
    return values;
}

std::vector<std::string> readListFile(const std::string& folder, ListField field) {
    std::optional<std::string> text = core::readFile(listFilePath(folder, field));
    if (!text && !names(field).english.empty()) {
        text = core::readFile(listFilePath(folder, field, true));
    }
    if (!text) return {};
    return parseListFile(core::ownTextFileText(*text));
}

std::vector<std::string> fieldChoices(const History* history, int historySetting,
                                      const std::vector<std::string>& listLines) {
    std::vector<std::string> choices;
    const bool useHistory = history != nullptr && historySetting != 0;
    if (useHistory) {
        const std::string automaticMarker = std::string("（自動設定）");
        for (const std::string& e : history->entries()) {
            if (e != automaticMarker) choices.push_back(e);
        }
    }
    for (const std::string& line : listLines) {
        if (useHistory && historySetting == 2 && history->contains(line)) continue;
        choices.push_back(line);
    }
    return choices;
}

int EditListFile(const std::string& folder, ListField field, const OpenWithDefaultProgram& open,
                 std::string* failedName) {
    std::string path = listFilePath(folder, field);
    if (open && open(path, folder)) return 0;
    if (!names(field).english.empty() && open && open(listFilePath(folder, field, true), folder)) {
        return 0;
    }
    if (failedName != nullptr) *failedName = path;
    return -1;
}

std::string listEditFailedMessage(std::string_view fileNameUtf8) {
    return core::formatMessage(core::translate("テキストファイル(%s)の編集に失敗しました。"),
                               {fileNameUtf8});
}

}  // namespace tavrel
