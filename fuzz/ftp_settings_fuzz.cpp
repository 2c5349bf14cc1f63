// The FTP settings file's reader on any text; the destinations read must survive being written
// (passwords scrambled) and read again.
#include "fuzz/fuzz_support.h"
#include "viewer/settings/ftp_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const viewer::FtpSettings first = viewer::parseFtpSettings(fuzz::bytesOf(data, size));
    const std::string written = viewer::formatFtpSettings(first);
    const viewer::FtpSettings second = viewer::parseFtpSettings(written);
    fuzz::require(second == first, "a destination changed being written and read again");
    for (const viewer::FtpSetting& s : first.entries) {
        fuzz::require(
            viewer::unscramblePassword(viewer::scramblePassword(s.password)) == s.password,
            "a password does not unscramble to itself");
    }
    return 0;
}
