// What the KIF/KI2 reader read, saved as KIF, opens again completely: the reading
// succeeds and keeps every move (a record that saves but no longer opens loses its moves).
#include "core/formats/kif_reader.h"
#include "fuzz/fuzz_support.h"

namespace {

void requireReadsBack(const core::RecordStore& store, const std::string& text, const char* what) {
    static core::RecordStore again;
    const core::ReadReport report = core::readRecordLines(again, text, core::ReadOptions{});
    if (report.result != core::ReadResult::Ok || again.moveCount() != store.moveCount()) {
        std::fprintf(stderr, "%s text (read: %d, moves %d of %d):\n%s\n", what,
                     static_cast<int>(report.result), again.moveCount(), store.moveCount(),
                     core::toUtf8Lossy(text).c_str());
    }
    fuzz::require(report.result == core::ReadResult::Ok, "a saved record does not read back");
    fuzz::require(again.moveCount() == store.moveCount(), "a saved record lost moves");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static core::RecordStore store;
    const unsigned bits = static_cast<unsigned>(size * 2654435761u >> 8);
    core::ReadOptions options;
    options.ruleCheck = (bits & 1u) == 0;
    (void)core::readRecordLines(store, fuzz::bytesOf(data, size), options);
    const core::RecordWriteOptions& writer = fuzz::cachedOutputOptions(bits).writer;
    requireReadsBack(store, core::kifText(store, writer), "KIF");
    return 0;
}
