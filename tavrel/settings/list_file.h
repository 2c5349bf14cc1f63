// The hand-edited list files beside the environment file: fixed choices for the information
// fields, one value per line. The program reads them and never writes them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tavrel/settings/history.h"

namespace tavrel {

enum class ListField : int {
    Players,      // 対局者 (player)
    Event,        // 棋戦 (kisen)
    Opening,      // 戦型 (senkei)
    Title,        // 表題 (subj)
    TimeLimit,    // 持ち時間
    Place,        // 場所
    Publication,  // 掲載
    User1,        // ユーザ1 (user1)
    User2,
    User3,
    User4,
    User5,
    Bookmarks,  // しおり
    TimeUsed,   // 消費時間
    StartDate,  // 開始日時
};
inline constexpr int kListFieldCount = 15;

// File names without folder and extension, UTF-8 as the file system holds them. The English
// alternative is empty for the fields that have none.
std::string_view listFileName(ListField field);
std::string_view listFileEnglishName(ListField field);
// folder (ending with '/') + name + ".txt".
std::string listFilePath(const std::string& folder, ListField field, bool english = false);

// The values of a list file's text: one per line, "#" lines and empty lines ignored.
std::vector<std::string> parseListFile(std::string_view text);
// The values of a field's list file: the Japanese name, else the English alternative. A missing
// file gives no values.
std::vector<std::string> readListFile(const std::string& folder, ListField field);

// The choices of a field's drop-down list. When historySetting is not 0 the history entries come
// first (never the automatic start-date marker "（自動設定）"); then every list line, except that
// with historySetting 2 a line already in the history is not repeated.
std::vector<std::string> fieldChoices(const History* history, int historySetting,
                                      const std::vector<std::string>& listLines);

// Opens a file with the desktop's default program, in the given working folder; true on success.
using OpenWithDefaultProgram =
    std::function<bool(const std::string& file, const std::string& workingFolder)>;

// Opens the field's list file for editing: the Japanese name first, then the English
// alternative. Returns 0, or -1 when both failed; failedName then holds the Japanese file path
// for the message of listEditFailedMessage.
[[nodiscard]] int EditListFile(const std::string& folder, ListField field,
                               const OpenWithDefaultProgram& open, std::string* failedName);

// "テキストファイル(%s)の編集に失敗しました。" with the file name (UTF-8 path), CP932.
std::string listEditFailedMessage(std::string_view fileNameUtf8);

}  // namespace tavrel
