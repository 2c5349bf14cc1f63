// Which commands of the window can be chosen in the state it is in, and what the command line
// and dropped files ask for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dalmir {

enum class Command : int {
    New,
    Open,
    Save,
    SaveAs,
    PrintList,
    PrintPreview,
    RelativePaths,
    Cut,
    Copy,
    Paste,
    Delete,
    DeleteWithFiles,
    ListInfo,  // 棋譜情報出力
    SelectAll,
    HeaderSearch,
    PositionSearch,
    NextMoveSearch,
    SequenceSearch,
    ShowAll,  // 全棋譜表示
    AddFolder,
    AddFile,
    DeleteFolder,
    KeepListed,  // 表示棋譜以外を削除
    UpdateAll,
    UpdateSelected,
    CopySelectedFiles,
    ShowOnlySelected,
    HideSelected,
    EditMarks,
    ToggleMark,
    ClearMarks,
    AdoptListOrder,  // 棋譜登録順の変更
    Duplicates,
    Replay,
    Play,
    PrintRecord,
    Editor,
    OpenFolder,
    PositionEdit,
    Statistics,
    Card,
    Settings,
    ColumnsDialog,
    CompareTwo,  // 二つの棋譜の違いを調べる
    Undo,
    Analyse,  // 棋譜の解析
};

// Work on a worker that leaves the list usable: a save writes the database's files, an opening
// reads another database. During an opening the commands that read the list without changing
// it stay; during a save the list answers (selection, scrolling) but no command reads the
// records' paths, which the save's new file name changes. An analysis reads a copy of the
// records it was given; the window's commands that read stay, as during an opening.
enum class BackgroundWork : uint8_t { None, Saving, Opening, Analysing };

// What the enabling depends on.
struct WindowState {
    bool busy = false;  // a long operation runs
    int selected = 0;
    int listed = 0;
    int registered = 0;
    bool hasEditor = false;
    bool clipboardHasRecords = false;
    bool binary = false;   // a binary database (move lists kept)
    bool canUndo = false;  // a change is kept to be taken back
    bool titled = false;   // the database has a file
    BackgroundWork background = BackgroundWork::None;
};

bool isEnabled(Command command, const WindowState& state);

// The status bar's text while background work runs on the database at path (UTF-8): what the
// worker does and why the commands that would change the database can't be chosen.
std::string backgroundStatusText(BackgroundWork work, std::string_view path);

// The command line or a drop: the database to open (the first database file given), and a
// message "ファイル(%s)は、読めません。" (UTF-8) for every other file. The switch "/p" (any
// case; the desktop's print action) asks for the database's list to be printed instead of
// shown.
struct OpenRequest {
    std::string database;
    std::vector<std::string> messages;
    bool print = false;
};
OpenRequest openRequest(const std::vector<std::string>& files);
std::string unreadableFileMessage(std::string_view path);

// Files dropped on the window (file-system paths): the database files among them are opened;
// only when there is none are the others registered as records.
struct DroppedFiles {
    std::vector<std::string> databases;
    std::vector<std::string> records;
};
DroppedFiles sortDroppedFiles(const std::vector<std::string>& files);

}  // namespace dalmir
