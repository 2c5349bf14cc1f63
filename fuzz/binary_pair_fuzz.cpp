// The binary database loader on a KIX and a DLB made of one input: two bytes (little-endian) give
// the KIX's length, the KIX follows and the rest is the DLB. Every list loaded is replayed as a
// record is shown, and the lists must survive being written and parsed again. Damaged files are
// a normal outcome.
#include <algorithm>

#include "dalmir/model/store/binary_store.h"
#include "fuzz/fuzz_support.h"

namespace {

// Lists replayed per input; later slots take the same code paths.
constexpr int kReplayedSlots = 8;

bool sameLists(const dalmir::model::MoveList& a, const dalmir::model::MoveList& b) {
    if (a.size() != b.size()) return false;
    for (int slot = 0; slot < a.size(); ++slot) {
        std::span<const dalmir::model::ListMove> x = a.list(slot);
        std::span<const dalmir::model::ListMove> y = b.list(slot);
        if (!std::equal(x.begin(), x.end(), y.begin(), y.end())) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static fuzz::InputFile kix("pair.KIX");
    static fuzz::InputFile dlb("pair.DLB");
    static const std::string base = kix.path().substr(0, kix.path().size() - 4);
    static core::RecordStore store;

    std::string_view input = fuzz::bytesOf(data, size);
    std::size_t kixBytes = 0;
    if (input.size() >= 2) {
        kixBytes = static_cast<std::size_t>(data[0]) | static_cast<std::size_t>(data[1]) << 8;
        input.remove_prefix(2);
    }
    kixBytes = std::min(kixBytes, input.size());
    (void)kix.write(input.substr(0, kixBytes));
    (void)dlb.write(input.substr(kixBytes));

    dalmir::model::Database db(size % 3 == 0 ? 4 : dalmir::model::kDefaultMaxRecords);
    const dalmir::model::BinaryLoadReport report = dalmir::model::loadBinary(db, base);
    fuzz::require(report.code != dalmir::model::OpenResult::CannotOpen, "the pair did not open");
    fuzz::require(db.lists().size() == db.table().size(), "lists and slots differ in number");

    for (int slot = 0; slot < std::min(db.table().size(), kReplayedSlots); ++slot) {
        if (!db.lists().hasList(slot)) continue;
        (void)dalmir::model::replayList(db.lists().list(slot), db.table().entry(slot).handicap,
                                        store);
    }

    const int records = db.table().size();
    dalmir::model::MoveList again;
    const dalmir::model::DlbReadReport reread = dalmir::model::parseDlb(
        dalmir::model::formatDlb(db.lists(), records), records, db.table().capacity(), again);
    fuzz::require(reread.code == dalmir::model::DlbReadResult::Ok, "written lists did not parse");
    fuzz::require(sameLists(again, db.lists()), "the lists changed being written and parsed");
    return 0;
}
