// The environment file's reader on any text; the settings read must survive being written and
// read again (the file is rewritten at every exit and read at the next start).
#include "fuzz/fuzz_support.h"
#include "tavrel/settings/environment_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    tavrel::Settings first;
    tavrel::parseEnvironmentText(fuzz::bytesOf(data, size), first);
    const std::string written = tavrel::formatEnvironmentText(first);
    tavrel::Settings second;
    tavrel::parseEnvironmentText(written, second);
    fuzz::require(second == first, "a setting changed being written and read again");
    return 0;
}
