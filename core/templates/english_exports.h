// The English texts built on the templates and the record: the position text the template
// "英語盤面書式" gives, and the record with its moves in columns, as text and as .txt/.gam files.
#pragma once

#include <string>

#include "core/base/safe_file.h"
#include "core/record/record_store.h"
#include "core/templates/text_output_options.h"

namespace core {

class TemplateExpander;

// "英語盤面書式" expanded for the position shown.
std::string englishPositionText(TemplateExpander& expander);

// The record: handicap, start diagram of a custom start, names, start comment and the main line
// in columns.
std::string englishRecordText(const RecordStore& store, const TextOutputOptions& options);

// The two texts as .txt and .gam files: Ok, CannotCreate (1) or WriteFailed (2).
[[nodiscard]] WriteResult saveEnglishPosition(TemplateExpander& expander, const std::string& path);
[[nodiscard]] WriteResult saveEnglishRecord(const RecordStore& store,
                                            const TextOutputOptions& options,
                                            const std::string& path);

}  // namespace core
