// The DLS reader on any bytes, then a round trip: the table read is written and read again, and
// the second table must equal the first (entries, display order and the stored settings). A
// reading error is a normal outcome; the round trip must hold after any of them.
#include "dalmir/model/table/dls_file.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr const char* kPath = "/fuzz/db/index.dls";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // A small capacity reaches the full table too.
    const int capacity = size % 3 == 0 ? 4 : dalmir::model::kDefaultMaxRecords;
    dalmir::model::IndexTable first(capacity);
    (void)dalmir::model::loadDls(first, kPath, fuzz::bytesOf(data, size));

    const std::string written = dalmir::model::formatDls(first);
    dalmir::model::IndexTable second(capacity);
    // The sort order the file did not set stays the one the first reading ended with.
    const dalmir::model::DlsReadReport again =
        dalmir::model::loadDls(second, kPath, written, first.settings().sortOrder);
    fuzz::require(again.code == core::ReadResult::Ok, "a written DLS did not read back cleanly");
    fuzz::require(again.records == first.size(), "the record count changed in the round trip");
    fuzz::require(second.entries() == first.entries(), "an entry changed in the round trip");
    fuzz::require(second.displayOrder() == first.displayOrder(), "the display order changed");
    fuzz::require(second.settings() == first.settings(), "a setting changed in the round trip");
    fuzz::require(dalmir::model::formatDls(second) == written, "the second writing differs");
    return 0;
}
