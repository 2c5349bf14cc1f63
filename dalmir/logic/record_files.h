// The record files behind a database's entries: where a slot's file is, their folders shown by
// the desktop, the viewer's request to register the file named on the clipboard, and 棋譜も削除,
// which moves the files to the trash.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dalmir/logic/dalmir_ui.h"
#include "dalmir/logic/undo.h"
#include "dalmir/model/store/database.h"

namespace dalmir {

// The file of a slot's record, as a path to open: the stored path in the file system's form,
// joined to the index's folder when relative, then located (a registered upper-case extension
// finds the file whatever the case of its name).
// REQUIRES: 0 <= slot < table.size()
std::string recordFilePath(const model::IndexTable& table, int slot);

// フォルダを開く: the folder of each slot's record in the desktop's file manager. Beeps and says
// so for each that does not open.
void openRecordFolders(const model::IndexTable& table, const std::vector<int>& slots, DalmirUi& ui);

// The viewer's request to register a record: the clipboard holds the file's path. Asks
// "棋譜(%s)を登録しますか？" without waiting; register runs with the path after Yes. Nothing
// happens when the clipboard holds no path.
void askToRegisterClipboardFile(DalmirUi& ui, std::function<void(const std::string&)> registerFile);

// 棋譜も削除: asks "%d 個の棋譜ファイルをごみ箱に移動しますか？" when confirm is set, moves the
// files of the slots that exist to the trash (a message for each that can't be moved), then
// deletes the entries. The files are gone: what 元に戻す kept is forgotten. Returns false,
// changing nothing, when the user said no.
bool deleteWithFiles(model::Database& db, UndoKeeper& undo, DalmirUi& ui,
                     const std::vector<int>& slots, bool confirm);

}  // namespace dalmir
