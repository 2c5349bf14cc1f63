// The JSON kifu reader on any bytes, then every writer (the JSON one too) over what it read. A
// reading error is a normal outcome. fuzz/CMakeLists.txt adds the target once the reader exists.
#include "core/formats/jkf_reader.h"
#include "core/formats/jkf_writer.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static core::RecordStore store;
    const unsigned bits = static_cast<unsigned>(size * 2654435761u >> 8);
    core::ReadOptions options;
    options.ruleCheck = (bits & 1u) == 0;
    options.fileName = "fuzz.jkf";
    (void)core::readJkfText(store, fuzz::bytesOf(data, size), options);
    fuzz::writeEverything(store, bits);
    fuzz::require(!core::jkfText(store, fuzz::cachedOutputOptions(bits).writer).empty(),
                  "the JSON kifu writer gave nothing");
    return 0;
}
