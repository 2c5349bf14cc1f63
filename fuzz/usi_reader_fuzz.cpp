// The USI position reader (a "position" command, a bare SFEN) on any text. What it reads is
// written back as a position command, which must read again to the same command: no SFEN the
// reader takes is cut or changed on the way.
#include "core/formats/usi.h"
#include "core/formats/usi_reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static core::RecordStore store;
    static core::RecordStore again;
    core::ReadOptions options;
    options.ruleCheck = (size & 1u) == 0;
    const core::ReadReport report = core::readUsiText(store, fuzz::bytesOf(data, size), options);
    fuzz::require(report.result != core::ReadResult::CannotOpen, "text reported as a file");
    fuzz::require(report.result == core::ReadResult::Ok || !report.message.empty(),
                  "a failed read without its message");
    const std::string command = core::usiPositionCommand(store);
    const core::ReadReport second = core::readUsiText(again, command, options);
    if (report.result == core::ReadResult::Ok) {
        fuzz::require(second.result == core::ReadResult::Ok, "the written command does not read");
        fuzz::require(core::usiPositionCommand(again) == command,
                      "the written command reads to another one");
    }
    return 0;
}
