// The environment file "<name>.env" in the settings folder: every viewer setting as one
// "key : value" line, read once at start-up into the Settings record and rewritten in full at
// exit. One table of keys drives reading, writing and setting a value by key.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"
#include "core/base/version.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

inline constexpr std::string_view kDefaultEnvironmentName = "Tavrel95";
inline constexpr std::string_view kEnvironmentVersion = core::kProgramVersion;

// folder (ending with '/') + name + ".env"; the FTP settings file folder + "ftp.env".
std::string environmentFilePath(const std::string& folder, std::string_view name);
std::string ftpSettingsPath(const std::string& folder);

// Folder settings end with '/' so that a file name can be appended; "." or "./" means none.
void normaliseFolder(std::string& folder);

// Applies the lines of an environment file's text to settings: unknown keys and comment lines
// are ignored, the folder settings normalised ("." or "./" becomes empty, a '/' is appended to
// any other non-empty folder).
void parseEnvironmentText(std::string_view text, Settings& settings);
// The text of the environment file: header line, then every key in table order with the section
// lines, with CR LF (written as one of the own text files: Shift-JIS where it holds the text).
std::string formatEnvironmentText(const Settings& settings);

// Reads the environment file at path into settings. Returns Ok, or CannotOpen when it does not
// open (the settings are then untouched).
[[nodiscard]] core::ReadResult ReadEnvironmentFile(const std::string& path, Settings& settings);
// Writes the environment file crash-safe (on failure an existing file is untouched).
[[nodiscard]] core::WriteResult WriteEnvironmentFile(const std::string& path,
                                                     const Settings& settings);

// Start-up reading: the environment file of that name in folder (".env", or ".ENV" as copied
// from elsewhere), then the FTP settings file. When the FTP file does not exist and the older
// key ftpサーバ held a server, one destination "設定1" is made from the older keys.
// Returns the result of reading the environment file (CannotOpen: missing, defaults stand).
[[nodiscard]] core::ReadResult loadEnvironment(const std::string& folder, std::string_view name,
                                               Settings& settings);
// Exit writing: the environment file, then the FTP settings file (which now holds any migrated
// destination, whose password the environment file never stores). Returns Ok or the first
// failure.
[[nodiscard]] core::WriteResult saveEnvironment(const std::string& folder, std::string_view name,
                                                const Settings& settings);

enum class [[nodiscard]] SetKeyResult : int{
    Set = 0,
    UnknownKey = -1,  // not a key of the environment file (nothing changed)
    BadValue = -2,    // the value does not read as the key's kind (nothing changed)
};

// Sets one setting from its key and its value text as the file holds them (CP932), e.g.
// ("棋譜最大サイズ", "3000") or ("盤面色", "0 128 255") or ("ツール引数1", "\"\\\"%K\\\"\"").
// Unlike reading a file, a value without a number leaves an integer setting unchanged.
[[nodiscard]] SetKeyResult setFromKeyValue(Settings& settings, std::string_view key,
                                           std::string_view value);

// The value text of a written key as the file would hold it (without the trailing comment);
// nullopt for an unknown key.
std::optional<std::string> valueText(const Settings& settings, std::string_view key);

// Every written key in file order (tool keys with their numbers), CP932.
std::vector<std::string> environmentKeys();

}  // namespace tavrel
