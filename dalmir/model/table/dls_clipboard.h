// Records copied between databases as text: "DLS" on the first line, then one record line per
// record with its absolute path. The window puts the text on the clipboard and takes it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dalmir/model/table/dls_file.h"
#include "dalmir/model/table/index_entry.h"
#include "dalmir/model/table/index_table.h"

namespace dalmir::model {

inline constexpr std::size_t kPasteMaxLineBytes = 2047;

// "DLS\r\n" and the record lines of the given slots in that order; the serial number of a line
// is its slot number plus one and its path is absolute.
std::string copyRecordsAsText(const IndexTable& table, std::span<const int32_t> slots);

enum class [[nodiscard]] PasteResult : int{
    Ok = 0,
    NotRecords = -1,  // the text does not begin with the line "DLS"
    TableFull = -3,   // the table filled up; the records before stay added
};

struct [[nodiscard]] PasteReport {
    PasteResult code = PasteResult::Ok;
    int added = 0;
    int alreadyRegistered = 0;         // records whose file is registered already
    int refused = 0;                   // records the accept function refused
    std::vector<DlsMessage> messages;  // parse problems by line, and the full-table message
};

// Decides whether a pasted record is taken (a binary database reads the record file again);
// it sees the entry with its absolute path and may complete it.
using PasteAccept = std::function<bool(IndexEntry& entry)>;

// Adds the records of a copied text. A record whose file is registered already is skipped; a
// new record gets the next slot and is inserted into the display order at displayPosition (in
// the order of the text), its path stored relative when the database keeps relative paths and
// the file lies in the index folder.
[[nodiscard]] PasteReport pasteRecordsFromText(IndexTable& table, std::string_view text,
                                               std::size_t displayPosition,
                                               const PasteAccept& accept = {});

}  // namespace dalmir::model
