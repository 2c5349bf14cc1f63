// The CSA reader on any bytes as a file (so that the file's declared character set is followed),
// then the CSA writer over what it read. A reading error is a normal outcome.
#include "core/formats/csa_reader.h"
#include "core/formats/csa_writer.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static core::RecordStore store;
    static fuzz::InputFile csa("input.csa");
    static fuzz::InputFile csau("input.csau");
    const unsigned bits = static_cast<unsigned>(size * 2654435761u >> 8);

    core::ReadOptions options;
    options.ruleCheck = (bits & 1u) == 0;
    options.database = (bits & 2u) != 0;
    options.fileName = "fuzz.csa";
    fuzz::InputFile& file = (bits & 4u) ? csau : csa;
    const core::ReadReport report =
        core::readCsaFile(store, file.write(fuzz::bytesOf(data, size)), options);
    fuzz::require(report.result != core::ReadResult::CannotOpen, "the input file did not open");
    const std::string text = core::csaText(store);
    fuzz::require(!text.empty(), "the CSA writer gave nothing");
    return 0;
}
