#include "tavrel/settings/ftp_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <random>

#include "core/base/safe_file.h"
#include "core/text/sjis.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

FtpSettings twoDestinations() {
    FtpSettings s;
    s.selection = 1;
    s.entries.push_back(FtpSetting{std::string("自宅 \"表\""), "ftp.example.org", "kifu",
                                   "p\"a ss\\w~", std::string("/pub/棋譜"), false, true});
    s.entries.push_back(
        FtpSetting{std::string("設定2"), "10.0.0.1", "", std::string("表パ"), "", true, false});
    return s;
}

TEST(FtpPassword, ScrambleKeepsLengthAndPrintableFormAndReverses) {
    std::string every;
    for (int c = 0x20; c < 0x7F; ++c) every.push_back(static_cast<char>(c));
    for (const std::string& password : {every, std::string("secret"), std::string(""),
                                        std::string(300, 'a'), std::string(" \"\\ ")}) {
        std::string stored = scramblePassword(password);
        EXPECT_EQ(stored.size(), password.size());
        for (char c : stored) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << password;
        EXPECT_EQ(unscramblePassword(stored), password);
    }
    EXPECT_NE(scramblePassword("secret"), "secret");
    // The same character at different places is stored differently.
    std::string stored = scramblePassword("aaaa");
    EXPECT_NE(stored[0], stored[1]);
}

TEST(FtpPassword, BytesOutsidePrintableAsciiPassUnchanged) {
    const std::string password = "\x80\xFF\t\x7F";
    EXPECT_EQ(scramblePassword(password), password);
    // A two-byte character's second byte may be printable: still reversible byte by byte.
    const std::string japanese = std::string("パス表");
    EXPECT_EQ(unscramblePassword(scramblePassword(japanese)), japanese);
}

TEST(FtpSettingsText, WrittenLayout) {
    FtpSettings s;
    s.entries.push_back(FtpSetting{"a", "host", "me", "", "/x", true, false});
    EXPECT_EQ(formatFtpSettings(s), std::string("設定数 : 1\r\n"
                                                "選択   : 0\r\n"
                                                "#---------------\r\n"
                                                "01設定名     : \"a\"\r\n"
                                                "01サーバ     : host\r\n"
                                                "01ユーザ     : me\r\n"
                                                "01パスワード : \"\"\r\n"
                                                "01選択       : 0\r\n"
                                                "01PASV       : 1\r\n"
                                                "01フォルダ   : /x\r\n"));
}

TEST(FtpSettingsText, RoundTrip) {
    const FtpSettings written = twoDestinations();
    std::string text = formatFtpSettings(written);
    EXPECT_EQ(text.find("p\"a ss"), std::string::npos);  // never stored in clear
    EXPECT_EQ(parseFtpSettings(text), written);
}

TEST(FtpSettingsText, ALoneCrEndsALineAndNoValueHoldsOne) {
    const std::string text =
        std::string("設定数 : 1\r01サーバ : h\r01ユーザ : u\r\r\n01フォルダ:\r\x90");
    const FtpSettings s = parseFtpSettings(text);
    ASSERT_EQ(s.entries.size(), 1u);
    EXPECT_EQ(s.entries[0].server, "h");
    EXPECT_EQ(s.entries[0].user, "u");
    EXPECT_EQ(s.entries[0].folder, "");
    EXPECT_EQ(parseFtpSettings(formatFtpSettings(s)), s);
}

TEST(FtpSettingsText, MissingPasvLinesMeanPassive) {
    FtpSettings s = parseFtpSettings(
        std::string("設定数 : 2\n選択   : 0\n"
                    "#---\n01設定名 : \"a\"\n01サーバ : h1\n01選択 : 1\n01フォルダ : /\n"
                    "#---\n02設定名 : \"b\"\n02サーバ : h2\n02フォルダ : /\n"));
    ASSERT_EQ(s.entries.size(), 2u);
    EXPECT_TRUE(s.entries[0].passive);
    EXPECT_TRUE(s.entries[1].passive);
    EXPECT_TRUE(s.entries[0].selected);
    EXPECT_FALSE(s.entries[1].selected);
    EXPECT_EQ(s.entries[1].server, "h2");
}

TEST(FtpSettingsText, CountDecidesTheDestinations) {
    // Lines of destinations beyond the count are ignored; missing ones are empty and passive.
    FtpSettings s = parseFtpSettings(
        std::string("設定数 : 2\n01サーバ : a\n03サーバ : c\n1サーバ : x\n001サーバ : y\n"));
    ASSERT_EQ(s.entries.size(), 2u);
    EXPECT_EQ(s.entries[0].server, "a");
    EXPECT_EQ(s.entries[1], FtpSetting{});
    EXPECT_TRUE(parseFtpSettings(std::string("設定数 : -4\n01サーバ : a\n")).entries.empty());
    EXPECT_TRUE(parseFtpSettings(std::string("01サーバ : a\n")).entries.empty());
    EXPECT_EQ(parseFtpSettings(std::string("設定数 : 2147483647\n")).entries.size(),
              static_cast<std::size_t>(kMaxFtpSettings));
}

TEST(FtpSettingsText, TextsAreCut) {
    FtpSettings s =
        parseFtpSettings(std::string("設定数 : 1\n01サーバ : ") + std::string(2000, 'h') + "\n");
    EXPECT_EQ(s.entries[0].server, std::string(kFtpTextBytes, 'h'));
}

TEST(FtpSettingsText, MalformedInputNeverCrashes) {
    std::mt19937 random(42);
    const std::string base = formatFtpSettings(twoDestinations());
    for (int i = 0; i < 300; ++i) {
        std::string s = base;
        for (int j = 0; j < 20; ++j) s[random() % s.size()] = static_cast<char>(random() & 0xFF);
        s.resize(random() % s.size());
        FtpSettings once = parseFtpSettings(s);
        EXPECT_LE(once.entries.size(), 2u + 998u);
        FtpSettings twice = parseFtpSettings(formatFtpSettings(once));
        EXPECT_EQ(parseFtpSettings(formatFtpSettings(twice)), twice);
    }
}

TEST(FtpSettingsFile, ReadWrite) {
    std::string tmpl = (fs::temp_directory_path() / "tavrel-ftp-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    const std::string path = tmpl + "/ftp.env";
    FtpSettings s = twoDestinations();
    EXPECT_EQ(ReadFtpSettings(path, s), core::ReadResult::CannotOpen);
    EXPECT_EQ(s, twoDestinations());
    ASSERT_EQ(WriteFtpSettings(path, s), core::WriteResult::Ok);
    FtpSettings read;
    ASSERT_EQ(ReadFtpSettings(path, read), core::ReadResult::Ok);
    EXPECT_EQ(read, s);
    // The passwords are only scrambled: the file is the user's alone, even one that was not.
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    ASSERT_EQ(WriteFtpSettings(path, s), core::WriteResult::Ok);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(WriteFtpSettings(tmpl + "/missing/ftp.env", s), core::WriteResult::CannotCreate);
    fs::remove_all(tmpl);
}

}  // namespace
}  // namespace tavrel
