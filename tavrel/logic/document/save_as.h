// Save (上書き保存) and Save As (名前を付けて保存 and KI2形式で棋譜を保存): the file dialog loop
// with its name and extension rules, the overwrite and CSA questions, writing in the chosen
// format, and the messages. The window only shows the dialog the document asks for.
#pragma once

#include <string>

#include "tavrel/logic/document/document.h"

namespace tavrel {

// The Save As filter text of filter 1..6 (CP932), "棋譜(*.kif)" ... "英語表記局面(*.txt)".
std::string saveFilterText(SaveFormat filter);

enum class SaveAsKind { AnyFormat, Ki2Only };

// What became of one name chosen in the Save As dialog.
enum class SaveAsResult {
    Saved,         // written; the status line says so
    InvalidName,   // no file name, or a folder: message shown, the dialog comes again
    KeptExisting,  // the user kept the file of that name: the dialog comes again with its name
    Stopped,       // CSA without variations declined, or a format this version cannot write
    Failed,        // writing failed: message shown
};

// The questions, the writing and the messages for a path chosen in the dialog (the extension
// rule already applied).
SaveAsResult saveAsFile(Document& doc, const std::string& path, SaveFormat format);

// The dialog loop until a name is saved, the dialog is cancelled or the flow stops. AnyFormat
// starts with initialSaveFilter and remembers the filter chosen; Ki2Only always writes KI2 and
// adds ".ki2" to a name without it.
void saveAs(Document& doc, SaveAsKind kind);

// 上書き保存: refused while playing and in print preview; Save As while editing a position and
// for a record without a kif/ki2/bod/csa file; otherwise saveInPlace.
void save(Document& doc);

}  // namespace tavrel
