// The FTP settings file's reader on any text; the destinations read must survive being written
// (passwords scrambled) and read again.
#include "fuzz/fuzz_support.h"
#include "tavrel/settings/ftp_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const tavrel::FtpSettings first = tavrel::parseFtpSettings(fuzz::bytesOf(data, size));
    const std::string written = tavrel::formatFtpSettings(first);
    const tavrel::FtpSettings second = tavrel::parseFtpSettings(written);
    fuzz::require(second == first, "a destination changed being written and read again");
    for (const tavrel::FtpSetting& s : first.entries) {
        fuzz::require(
            tavrel::unscramblePassword(tavrel::scramblePassword(s.password)) == s.password,
            "a password does not unscramble to itself");
    }
    return 0;
}
