// The DLS reader on any bytes, then a round trip: the table read is written and read again, and
// the second table must equal the first (entries, display order and the stored settings). A
// reading error is a normal outcome; the round trip must hold after any of them.
#include "database/engine/index/dls_file.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr const char* kPath = "/fuzz/db/index.dls";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // A small capacity reaches the full table too.
    const int capacity = size % 3 == 0 ? 4 : database::kDefaultMaxRecords;
    database::IndexTable first(capacity);
    (void)database::loadDls(first, kPath, fuzz::bytesOf(data, size));

    const std::string written = database::formatDls(first);
    database::IndexTable second(capacity);
    // The sort order the file did not set stays the one the first reading ended with.
    const database::DlsReadReport again =
        database::loadDls(second, kPath, written, first.settings().sortOrder);
    fuzz::require(again.code == core::ReadResult::Ok, "a written DLS did not read back cleanly");
    fuzz::require(again.records == first.size(), "the record count changed in the round trip");
    fuzz::require(second.entries() == first.entries(), "an entry changed in the round trip");
    fuzz::require(second.displayOrder() == first.displayOrder(), "the display order changed");
    fuzz::require(second.settings() == first.settings(), "a setting changed in the round trip");
    fuzz::require(database::formatDls(second) == written, "the second writing differs");
    return 0;
}
