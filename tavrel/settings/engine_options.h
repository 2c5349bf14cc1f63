// The settings of the record engine (reader, writers) taken from the viewer's Settings record:
// one place that knows which environment key drives which engine option.
#pragma once

#include "core/formats/kif_reader.h"
#include "core/formats/record_writer_options.h"
#include "core/record/record_store.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

// "ルール確認", "消費時間自動設定", "ユーザ定義情報１".."５".
core::ReadOptions readOptions(const Settings& settings);

// The KIF and KI2 writers' settings.
core::RecordWriteOptions writeOptions(const Settings& settings);

// "棋譜追加モード", "しおり名重複許容".
core::RecordOptions recordOptions(const Settings& settings);

}  // namespace tavrel
