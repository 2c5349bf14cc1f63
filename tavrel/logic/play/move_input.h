// Moves entered on the board: a piece picked up with the mouse (or the keyboard pointer) in play
// or in position editing, held while the pointer moves, and put down on a square, a hand or the
// piece box. In play the put-down settles promotion (Shift promotes, Ctrl does not, else the
// choice drawn on the board or the question), checks the rules and goes to PlayMove; in editing
// it goes to the position editor. While a record is viewed a piece of the side to move may be
// dragged too: the move is entered as in play but without a clock (the record's own move is
// stepped to, another one added as the add mode says). The board widget turns mouse and keys
// into these calls and draws the held piece and the choice; the document's mode says whether a
// piece is held in play or editing.
#pragma once

#include <functional>
#include <optional>

#include "tavrel/logic/play/play_move.h"
#include "tavrel/logic/play/position_editor.h"
#include "tavrel/logic/view/board_hit.h"

namespace tavrel {

struct Modifiers {
    bool shift = false;  // promote without asking
    bool ctrl = false;   // do not promote, without asking
};

// The piece being held: where it came from and how it is drawn following the pointer.
struct HeldPiece {
    EditSpot origin;
    core::PieceByte piece = 0;
};

// A promotion waiting for the user's pick on the board: the promoted and the unpromoted piece
// drawn side by side at the destination (promotionChoiceRects).
struct PromotionChoice {
    int origin = 0;       // square, or hand slot of a drop
    int destination = 0;  // without the promotion flag
    core::PieceByte piece = 0;
};

class MoveInput {
public:
    MoveInput(Document& doc, MoveClock& clock) : m_doc(doc), m_clock(clock) {}

    const std::optional<HeldPiece>& held() const { return m_held; }
    // While locked() holds (an engine is to move) no piece is picked up in play.
    void setLock(std::function<bool()> locked) { m_locked = std::move(locked); }
    // Whether a piece dragged while viewing enters the move (on by default).
    void setDragWhileViewing(bool on) { m_dragWhileViewing = on; }
    bool dragWhileViewing() const { return m_dragWhileViewing; }
    // Whether an optional promotion is chosen on the board (on by default) or asked.
    void setPromotionOnBoard(bool on) { m_promotionOnBoard = on; }
    bool promotionOnBoard() const { return m_promotionOnBoard; }
    const std::optional<PromotionChoice>& promotionChoice() const { return m_choice; }
    // Whether the mouse goes to this input now: play, editing, or viewing with dragging on.
    bool takesMouse() const;

    // The left button pressed at p: picks up a piece of the side to move (in play) or any piece
    // (in editing). While a piece is held it puts it down instead (the keyboard's Enter).
    void press(const BoardGeometry& g, Point p, Modifiers modifiers);
    // The left button released at p: puts the held piece down; on its origin it is put back.
    void release(const BoardGeometry& g, Point p, Modifiers modifiers);
    // The right button: a held piece is put back (true); in editing a piece on the board is
    // changed (true). False: the caller shows the context menu.
    bool rightClick(const BoardGeometry& g, Point p);
    // Puts a held piece back (also when the mode is left).
    void putBack();
    // Forgets a held piece once the document has left the held modes (a command ended the game
    // or the editing meanwhile); nothing is redrawn.
    void forgetIfNotHeld();

private:
    void putDownInPlay(const BoardGeometry& g, const BoardHit& hit, Modifiers modifiers);
    void putDownInEditing(const BoardHit& hit);
    // The move settled: checked against the rules and entered (in play, or from viewing).
    void enterMove(int origin, int destination);
    int originCell() const;
    bool viewing() const;

    Document& m_doc;
    MoveClock& m_clock;
    std::optional<HeldPiece> m_held;
    std::optional<PromotionChoice> m_choice;
    bool m_heldWhileViewing = false;  // picked up while viewing, not in a game
    std::function<bool()> m_locked;
    bool m_dragWhileViewing = true;
    bool m_promotionOnBoard = true;
};

// The text shown for a refused move by its legality result: "二歩です。" for 13,
// " 打歩詰です。" for 2, else "動きが正しくありません。".
std::string refusalText(int legalityResult);

}  // namespace tavrel
