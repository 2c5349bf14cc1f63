// Reading one record file for the index: the file is read with the shared record readers in
// Dalmir's mode (flat main line, reading stops at the first variation) into a store the
// extractor owns and reuses, and an `IndexEntry` is filled from its header and main line.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/path_text.h"
#include "core/formats/kif_reader.h"
#include "core/record/record_store.h"
#include "dalmir/model/table/index_entry.h"
#include "dalmir/model/table/move_list.h"

namespace dalmir::model {

// The flat main line holds at most kMaxListMoves entries; the store counts its root as well.
inline constexpr int kExtractStoreCapacity = kMaxListMoves + 1;

// Record-file extensions a database takes (lower case).
bool isRecordExtension(std::string_view extension);
using core::lowerExtension;

enum class [[nodiscard]] ExtractResult : int{
    Ok = 0,
    CannotOpen = -1,  // the file can't be opened
    ReadFailed = -2,  // the reader reported an error (errorText says which)
    Stopped = -5,     // the user chose to stop (given by the registration, never by extract)
};

class RecordExtractor {
public:
    // userKeys: the names (without the colon) of the five user header fields.
    explicit RecordExtractor(std::array<std::string, core::kUserHeaderFieldCount> userKeys = {});
    RecordExtractor(const RecordExtractor&) = delete;
    RecordExtractor& operator=(const RecordExtractor&) = delete;

    void setUserKeys(const std::array<std::string, core::kUserHeaderFieldCount>& userKeys);
    const std::array<std::string, core::kUserHeaderFieldCount>& userKeys() const {
        return m_options.userKeys;
    }

    // Reads the file (CSA by the extension "csa" or "csau", KIF/KI2 otherwise) and fills entry from
    // it; the entry's path is fsPath in stored form. After a failure the entry is left as
    // it was.
    [[nodiscard]] ExtractResult extract(const std::string& fsPath, IndexEntry& entry);

    // The reader's error text of the last failed extract.
    const std::string& errorText() const { return m_errorText; }
    // The warnings of the last extract that read (CP932): lines of a UTF-8 file whose bytes
    // were not UTF-8 and became "？". The record itself is read.
    const std::vector<std::string>& warnings() const { return m_warnings; }

    // The record just read.
    const core::RecordStore& store() const { return m_store; }
    // Entries of its main line, closing entry included.
    int entryCount() const { return m_entries; }
    // Whether it starts from a position other than the set-up of its handicap (a diagram, or the
    // set-up with the other side to move).
    bool setUpStart() const { return m_setUpStart; }
    // Whether extract gives the entry its 自動戦型 label (on unless turned off, for measuring).
    void setLabelOpenings(bool on) { m_labelOpenings = on; }
    // Builds the move list of the record just read.
    void buildMoveList(std::vector<ListMove>& out) const { buildList(m_store, out); }

private:
    void fill(IndexEntry& entry, std::string_view path, bool variationFollows);

    core::RecordStore m_store;
    core::ReadOptions m_options;
    std::string m_errorText;
    std::vector<std::string> m_warnings;
    int m_entries = 0;
    bool m_setUpStart = false;
    bool m_labelOpenings = true;
};

// Fills the result and the move count from the main line's last entry: a closing entry is not
// counted as a move and decides the result by its kind and the side to move at it.
void setResultAndMoveCount(const core::RecordStore& store, IndexEntry& entry, int& entries);

}  // namespace dalmir::model
