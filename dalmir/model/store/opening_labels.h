// The label file of a database: "NAME.DOL" beside the DLS or the KIX, holding the 自動戦型
// label of every record, so that opening a database does not classify again and the index and
// binary files keep the layout other programs read. A label is tied to its record by the
// stored path, the move count, the handicap and the result; one that no longer fits its
// record is not attached (the record shows no label until it is classified again).
//
// Layout (little-endian): magic "DOL1", the rules version the labels were made with, the
// record count, the body size (uint64) and a checksum of the body (uint64); then per record
// the path length (uint16) and path, the move count (uint16), handicap and result codes, the
// label length (uint8) and label, the name length (uint8) and name. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/safe_file.h"
#include "dalmir/model/table/index_table.h"

namespace dalmir::model {

// Bumped whenever the classifier's rules change what they give: labels made by other rules are
// not attached.
inline constexpr uint32_t kOpeningRulesVersion = 1;

// "NAME.DOL" beside the database file at fsPath (any extension is replaced).
std::string openingLabelsPath(std::string_view fsPath);

// The file's bytes for the table's labels.
std::string formatOpeningLabels(const IndexTable& table);

enum class [[nodiscard]] OpeningLabelsResult : int{
    Ok = 0,
    Missing = 1,     // no label file: the records have no labels yet
    Damaged = -1,    // truncated, a bad checksum or an unknown layout
    Stale = -2,      // made by other rules
    CannotRead = -3  // there but unreadable
};

struct OpeningLabelsReport {
    OpeningLabelsResult result = OpeningLabelsResult::Ok;
    int attached = 0;   // records that got their label
    int unmatched = 0;  // labels of the file that fit no record as it is now
};

// Gives the table's records their labels from the file's bytes. Nothing is attached from a
// damaged or stale file.
OpeningLabelsReport attachOpeningLabels(IndexTable& table, std::string_view bytes);
// The same from the label file beside the database at fsPath.
OpeningLabelsReport readOpeningLabels(IndexTable& table, const std::string& fsPath);

// Writes the label file beside the database at fsPath crash-safe. When no record has a label,
// nothing is written (a label file already there is left as it is).
[[nodiscard]] core::WriteResult writeOpeningLabels(const IndexTable& table,
                                                   const std::string& fsPath);

// The status text for a label file that was found but not used, empty otherwise.
std::string openingLabelsNotice(OpeningLabelsResult result, std::string_view storedPath);

}  // namespace dalmir::model
