// The contexts of the "%" template language and their table: for each context, what every
// placeholder letter stands for, what an unknown placeholder does, and how the context breaks
// lines, marks moves and reports errors. The table is built once on first use and only read; the
// template expander consults it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace core {

enum class TemplateContext : std::uint8_t {
    InfoLine,           // the three lines beside the board; unknown placeholders stay literally
    PositionFile,       // "盤面書式" into a .bod file
    PositionClipboard,  // "盤面書式" onto the clipboard ("局面書式エラー")
    EnglishBoard,       // "英語盤面書式" ("盤面書式エラー")
    MailFile,           // "メール書式１/２" into .mal/.ma2 ("メール書式エラー")
    MailClipboard,      // the same onto the clipboard
    MailLink,           // "Iメール…" in a mailto URL: line breaks "%0D%0A"
    SimpleMail,         // "Iメール…" as plain texts for sending with the record attached
    PrintPosition,      // "印刷盤面書式", walked by a drawing back end
    PrintRecord,        // "印刷棋譜書式"
    ImageName,          // "画像ファイル名書式"; unknown placeholders stay literally
    ToolCommand,        // "ツール引数n"
};
inline constexpr int kTemplateContextCount = 12;

// What a placeholder character stands for in a context, listed by group (see PlaceholderGroup).
enum class Placeholder : std::uint8_t {
    // Control
    Unknown,
    Nothing,    // listed, but expands to nothing
    Percent,    // "%%"
    Brace,      // "%{"
    KeepZero,   // "%0" kept as it stands
    LineBreak,  // "%c"
    // Move
    MoveNumber,      // "%n"
    ChessNumber,     // "%n" in English
    PlainNumber,     // "%N" in English
    MoveText,        // "%a", "%l"
    MoveMarked,      // "%A"
    MoveMarkedFull,  // "%L"
    PrevText,        // "%p"
    PrevMarked,      // "%P"
    LineKind,        // "%+"
    Bookmark,        // "%o" in print headers
    // Player
    Black,
    White,
    LastMover,  // "%h" where it names players
    ToMove,     // "%o"
    // Header
    StartDate,      // "%g": cut at the first blank or "("
    StartDateFull,  // "%G"
    EndDate,
    EndDateFull,
    Event,
    Opening,
    Title,
    TimeLimit,
    Site,
    Published,
    User,     // "%1".."%5"
    Problem,  // "%/" and a character
    // HeaderLines
    HeaderBlock,    // "%I"
    HeaderAtStart,  // "%0" and "i"
    // DateTime
    Today,
    Now,
    DateCompact,
    DateShort,
    TimeCompact,
    // Comment
    Comment,  // "%*"
    // Board
    Board,     // "%d"
    BoardAlt,  // "%v"
    // Record
    Record,  // "%k"
    RecordWithHeader,
    // Include
    Include,  // "%" and a quoted file name
    // Path
    RecordName,     // "%f"
    FolderAndName,  // "%F"
    RecordFileName,
    RecordPath,
    RecordDir,
    PathNoExt,
    ProgramDir,
    Documents,
    Desktop,
    Pictures,
};

// Placeholders by what they read: one handler of the expander per group.
enum class PlaceholderGroup : std::uint8_t {
    Control,      // literal characters, line breaks and unknown letters
    Move,         // the current and previous move, the move number, the line, the bookmark
    Player,       // player names
    Header,       // header fields
    HeaderLines,  // the header as a block of lines
    DateTime,     // the date and time of the expansion
    Comment,      // the current move's comment
    Board,        // the position diagram
    Record,       // the move list
    Include,      // a file's contents
    Path,         // names and folders of the record and the program
};
PlaceholderGroup placeholderGroup(Placeholder placeholder);

// What a placeholder the context does not list does.
enum class UnknownPlaceholder : std::uint8_t {
    Literal,  // stays in the text as written
    Nothing,  // expands to nothing
    Error,    // is reported under the context's caption and expands to nothing
};

struct ContextRule {
    std::array<Placeholder, 256> table{};
    UnknownPlaceholder unknown = UnknownPlaceholder::Nothing;
    std::string caption;         // of the error dialog
    bool print = false;          // walked by a drawing back end: "&" controls, blocks
    bool mail = false;           // plain marks, mover from the side to move
    bool urlBreaks = false;      // line breaks and inserted texts use "%0D%0A"
    bool startPosition = false;  // "%p" at move 0 gives "開始局面"
    int glyphTarget = -1;        // index of the "外字使用" switch, -1 none

    // The placeholder an ASCII letter stands for (not for lead bytes of two-byte characters).
    Placeholder meaning(char c) const { return table[static_cast<unsigned char>(c)]; }
};

const ContextRule& contextRule(TemplateContext context);

// Whether an expansion in the context first takes a new date-time snapshot (mail, print, image
// names); the others reuse the last one.
bool refreshesSnapshot(TemplateContext context);

// Captions of the template errors.
const std::string& captionPositionTemplateError();  // "局面書式エラー"
const std::string& captionBoardTemplateError();     // "盤面書式エラー"
const std::string& captionMailTemplateError();      // "メール書式エラー"

}  // namespace core
