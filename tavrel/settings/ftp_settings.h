// The FTP upload destinations and their file "ftp.env" beside the environment file. The list is
// held in the viewer's settings record; the upload itself lives elsewhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"

namespace tavrel {

// Byte capacity of each text of a destination.
inline constexpr std::size_t kFtpTextBytes = 511;
// The most destinations a file may declare; a larger count is taken as this many.
inline constexpr int kMaxFtpSettings = 999;

// One destination. All texts UTF-8; the password is held in clear in memory.
struct FtpSetting {
    std::string name;
    std::string server;
    std::string user;
    std::string password;
    std::string folder;
    bool passive = true;
    bool selected = false;  // whether an upload goes to this destination
    friend bool operator==(const FtpSetting&, const FtpSetting&) = default;
};

struct FtpSettings {
    std::vector<FtpSetting> entries;
    int selection = 0;  // index remembered by the settings page ("選択")
    friend bool operator==(const FtpSettings&, const FtpSettings&) = default;
};

// The stored form of a password: every printable ASCII character (blank to '~') becomes another
// one, depending on its position; other bytes stay as they are. Length is kept.
std::string scramblePassword(std::string_view password);
// The inverse of scramblePassword.
std::string unscramblePassword(std::string_view scrambled);

// The name of the n-th destination made on the settings page ("設定%d").
std::string ftpSettingName(int n);

// Parses the text of an FTP settings file. A destination without a PASV line is passive.
FtpSettings parseFtpSettings(std::string_view text);
// The text of an FTP settings file (CP932, CR LF), passwords scrambled.
std::string formatFtpSettings(const FtpSettings& settings);

// Reads path into settings. Returns Ok, or CannotOpen when the file does not open (settings
// untouched).
[[nodiscard]] core::ReadResult ReadFtpSettings(const std::string& path, FtpSettings& settings);
// Writes settings to path crash-safe (on failure the old file is untouched), readable by the
// user alone (0600): the passwords in it are only scrambled.
[[nodiscard]] core::WriteResult WriteFtpSettings(const std::string& path,
                                                 const FtpSettings& settings);

}  // namespace tavrel
