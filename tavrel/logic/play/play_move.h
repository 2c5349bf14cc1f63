// The one way a move reaches the displayed position: entered with the mouse, typed, chosen as a
// terminal entry, or replayed. PlayMove stores it in the record (a continuation or a new branch),
// takes the thinking time from the move clock, sounds the piece and detects fourfold repetition.
// The document owns the record; the clock belongs to whoever runs the game (the main window).
#pragma once

#include <cstdint>
#include <functional>

#include "core/record/record_store.h"
#include "tavrel/logic/document/document.h"

namespace tavrel {

// The time stamp of the last move, for thinking times. The time source is injectable.
class MoveClock {
public:
    using Source = std::function<std::int64_t()>;  // whole seconds
    MoveClock();
    explicit MoveClock(Source now) : m_now(std::move(now)) {}

    // A turn begins now.
    void restart();
    void stop() { m_running = false; }
    bool running() const { return m_running; }
    // Whole seconds since the last restart (0 before the first), kept within what a move can
    // store.
    std::uint16_t elapsed() const;

private:
    Source m_now;
    std::int64_t m_stamp = 0;
    bool m_running = false;
    bool m_started = false;
};

// What a PlayMove call is: 0 entered by the user, 1 a replay step on screen, 2 and 3 replay steps
// with reduced drawing (2 also stores the move), 4 a silent step (no drawing).
enum class PlayKind : std::uint8_t { Entered = 0, Replay = 1, Stored = 2, Reduced = 3, Silent = 4 };

enum class [[nodiscard]] PlayResult : int{
    Recorded = 0,    // a terminal entry was recorded, or a reduced or silent step made
    Done = 1,        // the move was played (also: refused for a full record, with the message)
    Repetition = 3,  // the game ended by fourfold repetition (or 千日手 was entered)
    Refused = 6,     // the user declined to overwrite, or the input named no move
};

// Display flag: 1 for moves entered by hand (no animation), 2 or more for replayed moves.
inline constexpr int kDisplayByHand = 1;
inline constexpr int kDisplayAnimated = 2;

// Marker codes: never stored.
inline constexpr core::PackedMove kTakeBackMarker = core::packMove(2, 2);  // 入力の取り消し
inline constexpr core::PackedMove kStepBackMarker = core::packMove(2, 3);  // １手戻す
inline constexpr core::PackedMove kNextMoveMarker = core::packMove(2, 8);  // １手進める

// The move code of a terminal entry (origin 1).
constexpr core::PackedMove terminalEntry(core::TerminalCode code) {
    return core::terminalMove(code, 1);
}

// PlayMove. move: origin in the low byte (a square, or a hand slot 111..148 for a drop),
// destination in the high byte (plus kPromoteFlag), or a terminal entry, or a marker. Entered and
// Stored moves are written after the current ply; Replay, Reduced and Silent steps follow a move
// the record already has there (else Refused). Legality is the caller's business.
PlayResult playMove(Document& doc, MoveClock& clock, PlayKind kind, core::PackedMove move,
                    int display);

// After a move entered in play: results 1 and 6 begin the next turn in Playing (unless the record
// has grown full: recordFullMessage, and the game ends), any other result ends the game.
void finishEntry(Document& doc, MoveClock& clock, PlayResult result);

// Whether the end of a game offers the record for saving (offerGameSave). 中断し、メールを出力
// saves the record itself.
enum class GameEndSave { Offer, Skip };

// Ends a game: the clock stops, the end date is set (終了日時自動設定, when the record has none),
// the mode becomes Viewing, the record is offered for saving and everything is redrawn.
void endGame(Document& doc, MoveClock& clock, GameEndSave save = GameEndSave::Offer);

// 継続対局: leaves editing or replay, steps back over a terminal entry shown, gives a position file
// the name of a record file (continuedRecordPath), clears the resume flag and enters play at the
// position shown.
void continuePlay(Document& doc, MoveClock& clock);

// 棋譜の分岐を作成する: 継続対局 at the position shown, where the record goes on, with the moves
// entered added as a variation beside that continuation (棋譜追加モード notwithstanding) until
// play ends. Only the warning sound when nothing follows the position or a game is played.
void createBranch(Document& doc, MoveClock& clock);

// The terminal entries of the 対局 menu (投了 ... 不詰): PlayMove kind 0, then the game ends.
void enterTerminal(Document& doc, MoveClock& clock, core::TerminalCode code,
                   GameEndSave save = GameEndSave::Offer);

// 入力の取り消し (Ctrl+R), １手戻す (Ctrl+B) and １手進める (Ctrl+F) while a game is played.
void takeBack(Document& doc, MoveClock& clock);
void stepBackInPlay(Document& doc, MoveClock& clock);
void stepForwardInPlay(Document& doc, MoveClock& clock);

// The spot a move's origin or destination stands for before it is made on pos (drops: the stand
// slot of the dropped kind).
BoardSpot originSpot(const core::Position& pos, int origin);

}  // namespace tavrel
