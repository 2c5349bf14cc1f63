// The settings the KIF and KI2 writers follow. The viewer fills them from its settings object;
// the defaults are those of a fresh environment file. Texts are CP932.
#pragma once

#include <array>
#include <string>

#include "core/record/record_store.h"
#include "core/text/sjis.h"

namespace core {

struct RecordWriteOptions {
    // "KIF時間省略": a KIF file whose consumed times are all 0 gets no time column.
    bool kifOmitZeroTimes = false;
    // "コメント自動改行" and "コメント改行桁": break comment lines after this many bytes.
    bool commentWrap = false;
    int commentWrapColumn = 80;
    // "棋譜竜表記": the dragon is written "竜" instead of "龍".
    bool dragonAsRyu = false;
    // "ユーザ定義情報１".."５": key names of the user header fields.
    std::array<std::string, kUserHeaderFieldCount> userKeys{"", "", "", "",
                                                            std::string("相手アドレス")};
    // "棋譜読込局面": with 3 the bookmark "読み込み時表示" is moved to the current node before a
    // KIF file is written, so that loading it returns there.
    int loadPosition = 2;
    // "KI2カラム": moves per line; "KI2半角カラム": the same in half-width form.
    int ki2Columns = 6;
    int ki2HalfWidthColumns = 8;
    // "KI2形式": 2 writes "▲"/"△", other values "▲"/"▽"; 4 and above the origin form.
    int ki2Style = 2;
    // "KI2半角形式": destinations as two ASCII digits in 8-byte columns.
    bool ki2HalfWidth = false;
    // "ルール確認": without it KI2 moves are written in the origin form.
    bool ruleCheck = true;
    // "外字使用", the file and the clipboard flags: user-defined side marks.
    bool userMarksInFiles = false;
    bool userMarksOnClipboard = false;
};

// The bookmark name "棋譜読込局面" 3 looks for.
const std::string& loadBookmarkName();

}  // namespace core
