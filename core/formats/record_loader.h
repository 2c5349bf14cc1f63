// Loading a record file by its extension, as Tavrel, tavrel-cli and Dalmir all do: "csa" goes to
// the CSA reader, the Japanese record extensions (and none) to the KIF/KI2 reader, which decides
// by the content. Also the position a freshly loaded record is shown at.
#pragma once

#include <string>
#include <string_view>

#include "core/base/path_text.h"
#include "core/formats/kif_reader.h"
#include "core/record/record_store.h"

namespace core {

enum class RecordFormat { KifKi2, Csa, Unsupported, Jkf, Usi };

// The reader for a path: "csa"/"csau" (any case) -> Csa; "kif", "ki2", "bod", "txt", "rsk", "mal",
// "ma2", their UTF-8 forms "kifu"/"ki2u", or no extension -> KifKi2; "jkf" -> Jkf; "usi", "sfen"
// -> Usi; anything else Unsupported.
RecordFormat formatOfPath(std::string_view path);

// Reads the file with the reader its extension chooses. An unsupported extension gives
// CannotOpen with report.message = msgCannotReadFile(path).
ReadReport loadRecordFile(RecordStore& store, const std::string& path, const ReadOptions& options);

// "ファイル(%s)は、読めません。" (path as given).
std::string msgCannotReadFile(std::string_view path);

// The node shown after loading by the setting "棋譜読込局面": 0 the start; 1 the end of the main
// line (before its terminal entry); 2 that end only when the line ends with 中断, else the start;
// 3 the node of the bookmark "読み込み時表示"; 4 the node of the first bookmark. kNoNode for 3 and
// 4 when there is no such bookmark.
NodeIndex nodeAfterLoad(const RecordStore& store, int setting);

}  // namespace core
