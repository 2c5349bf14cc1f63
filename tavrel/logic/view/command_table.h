// The main window's commands in one table: each command's menu text, its window-wide keys and
// when it can be chosen, and the menus built from them. The window binds a handler to each
// command and builds its menus, shortcuts and context menu from here; nothing else names them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tavrel/logic/document/document.h"

namespace tavrel {

enum class Command : int {
    // ファイル
    Open,
    NextFile,
    PreviousFile,
    Save,
    SaveAs,
    FtpUpload,
    SaveImage,
    MailLink,
    MailAttach,
    MailMal,
    MailMa2,
    MailDialog,
    PrintPosition,
    PrintRecord,
    PrintForm,
    PreviewPosition,
    PreviewRecord,
    PreviewForm,
    Exit,
    // 編集
    CopyKif,
    CopyKi2,
    CopyKifLine,
    CopyKi2Line,
    CopyEnglishRecord,
    CopyDharma,
    CopyPosition,
    CopyPositionHtml,
    CopyEnglishPosition,
    CopyMail1,
    CopyMail2,
    CopyBitmap,
    Paste,
    MergeRecord,
    CopyVariations,
    RecordInfo,
    ProblemInfo,
    EditComment,
    DeleteComments,
    EditTime,
    ZeroTimes,
    TruncateAfter,  // 現局面以降の棋譜を削除
    CreateBranch,   // 棋譜の分岐を作成する
    AddBookmark,
    GoToBookmark,
    EditBookmarks,
    EditList0,  // テキストファイルの編集: 対局者 .. ユーザ定義5, in ListField order
    EditList11 = EditList0 + 11,
    // 対局
    NewGame,
    ContinuePlay,
    ResumeGame,
    PlayerNames,
    OldReplay,  // 棋譜の再現 (only with 旧再現)
    Resign,
    Suspend,
    EndInput,
    TakeBack,
    Impasse,
    TimeLoss,
    FoulLoss,
    FoulWin,
    Repetition,
    Mate,
    NoMate,
    SuspendMail,
    // 局面編集
    Editing,  // 局面編集の開始 / 局面編集の終了
    EvenSetup,
    MateSetup,
    AllToBox,
    BoxToWhite,
    Flip,
    ChangeSide,
    // ツール
    Settings,
    Dalmir,
    DalmirSearch,
    DalmirRegister,
    Pellam,
    ToolSettings,
    Tool1,
    Tool2,
    Tool3,
    Tool4,
    Tool5,
    // エンジン
    AnalysisView,
    GraphView,
    AnalyseRecord,
    WriteStoredAnalysis,  // the evaluations Dalmir's analysis stored, into the comments
    EngineSettings,
    EngineLog,  // エンジンの通信: the engines' traffic
    // 表示
    ToStart,
    ReplayBack,
    StepBack,
    ReplayStop,
    StepForward,
    ReplayForward,
    ToEnd,
    PreviousBranch,
    NextBranch,
    JumpToPly,
    Turn,
    EmphasiseSide,
    LastPieceNone,
    LastPieceColour,
    LastSquareColour,
    MainToolbar,
    ReplayToolbar,
    StatusBar,
    BoardColour,
    StandColour,
    LastPieceColourDialog,
    CurrentMoveColour,
    VariationColour,
    BackgroundColour,
    InformationFont,
    StatusFont,
    RecordFont,
    CoordinateFont,
    CommentFont,
    PieceSettings,
    RecordWindow,
    RecordTimes,
    RecordBranches,
    BookmarkNames,
    BranchWindow0,  // 分岐ウィンドウ: 表示しない, 表示する, 分岐があるとき表示する
    BranchWindow1,
    BranchWindow2,
    CommentDisplay0,  // 棋譜コメント: the display modes 0 .. 3
    CommentDisplay1,
    CommentDisplay2,
    CommentDisplay3,
    BoardSizeFit,  // 盤の大きさ: fit to the window, then the fixed sizes of kBoardSizeChoices
    BoardSize100,
    BoardSize125,
    BoardSize150,
    BoardSize200,
    RecordSeparate,    // the record list in a window of its own instead of a pane
    ResetLayout,       // the panes back to their first places
    DragWhileViewing,  // a piece dragged while viewing enters the move
    PromotionOnBoard,  // an optional promotion chosen on the board, not by a question
    // ヘルプ
    HelpIndex,
    Homepage,
    About,
    // Keys and context menus only
    TypedMove,   // the move dialog (Shift+Enter) in play
    Variation1,  // 1 .. 9: the n-th alternative
    Variation9 = Variation1 + 8,
    StopReplay,      // Backspace, Enter while a continuous replay runs
    FasterReplay,    // Up, likewise
    SlowerReplay,    // Down, likewise
    SaveImageNamed,  // the preview's 画像を保存(%s)
    NextPane,        // F6: the keyboard focus to the next pane
    PreviousPane,    // Shift+F6: to the previous one
    Count
};

constexpr int kCommandCount = static_cast<int>(Command::Count);
constexpr Command commandAt(Command first, int offset) {
    return static_cast<Command>(static_cast<int>(first) + offset);
}
constexpr int offsetOf(Command command, Command first) {
    return static_cast<int>(command) - static_cast<int>(first);
}

struct CommandEntry {
    Command command;
    std::string text;               // UTF-8, with its mnemonic; empty for a key without entry
    std::vector<std::string> keys;  // portable key texts ("Ctrl+O", "Num+1"); the first is shown
};

// One entry per command, in the order of Command.
const std::vector<CommandEntry>& commandTable();
const CommandEntry& commandEntry(Command command);

struct MenuItem {
    enum class Kind { Command, Submenu, Separator, RecentFiles };
    Kind kind = Kind::Separator;
    Command command = Command::Count;  // Kind::Command
    std::string text;                  // Kind::Submenu: its title (UTF-8)
    std::vector<MenuItem> items;       // Kind::Submenu
};

// The menu bar: one submenu item per menu, left to right. 棋譜の再現 only with 旧再現; the recent
// files stand where RecentFiles is.
std::vector<MenuItem> mainMenus(const Settings& settings);

// The letter after the single '&' of a menu text, upper-cased; 0 when there is none.
char32_t mnemonicOf(std::string_view utf8);

// What the enabling depends on besides the document.
struct CommandActivity {
    bool replayRunning = false;  // a continuous replay runs
    bool ftpUploading = false;
};

bool isEnabled(Command command, const Document& doc, const CommandActivity& activity);

// 現局面以降の棋譜を削除: every move after the position shown goes, its alternatives with it.
// False (and the warning sound) when there is none.
bool truncateAfterCurrent(Document& doc);

}  // namespace tavrel
