// Position editing: the set of 40 pieces moved between the board, the two hands and the piece
// box (the pieces not in play), the right-click change of a piece, the set-up commands, and
// entering and leaving the editing mode of the document. The position is the record store's
// slot 0; every operation keeps each of the 40 pieces in exactly one place.
#pragma once

#include "core/rules/position.h"
#include "tavrel/logic/document/document.h"

namespace tavrel {

// Where a piece is taken from or put: a square, a side's hand (a kind in it), or the box.
enum class EditPlace { Square, Hand, Box };
struct EditSpot {
    EditPlace place = EditPlace::Box;
    int square = 0;                          // Square
    core::SideByte side = core::kSideBlack;  // Hand
    int type = 0;                            // Hand and Box when taking: the kind 1..8
};

enum class [[nodiscard]] EditMoveResult{
    Moved,      // the piece went to its new place (perhaps capturing into the mover's hand)
    Unchanged,  // put back where it came from
    Refused,    // no such piece, a second king of a side on the board, or no hand slot free
};

// Moves one piece. A piece put on an occupied square captures the piece there into the mover's
// hand (unpromoted, turned to the mover's side). A piece put into a hand is unpromoted and
// belongs to that hand's side; a piece from the box comes as the first player's (a king as the
// side that has no king on the board). Refused leaves pos unchanged.
EditMoveResult moveEditedPiece(core::Position& pos, const EditSpot& from, const EditSpot& to);

// The right click on a square: an unpromoted piece other than gold and king is promoted, a
// promoted one unpromoted and turned to the other side, a gold turned, a king turned only when
// the other side has no king on the board. False when nothing changed.
bool cycleEditedPiece(core::Position& pos, int square);

// The set-ups of the 局面編集 menu.
enum class EditCommand {
    EvenSetup,   // 平手初期配置
    MateSetup,   // 詰将棋用配置
    AllToBox,    // 全ての駒を駒箱へ
    BoxToWhite,  // 駒箱の駒を後手の持駒に
    Flip,        // 先後反転 (the document also exchanges the player names)
    ChangeSide,  // 手番変更
};
void applyEditCommand(core::Position& pos, EditCommand command);

// Pieces on the board, in both hands and in the box: always 40.
int countAllPieces(const core::Position& pos);

// 局面編集の開始: asks to save a modified record (when 棋譜保存確認 is on; Cancel stops), stops
// the replay mode, makes the position shown the start of a new record without moves named
// "新規棋譜" and enters Editing. False when it did not start (Cancel, or in play or preview).
bool startEditing(Document& doc);
// 局面編集の終了: stores the position with its side to move as the start and its handicap,
// and returns to Viewing.
void endEditing(Document& doc);
// A command of the menus while editing (refused with the warning otherwise); the handicap label
// follows the pieces.
void editCommand(Document& doc, EditCommand command);
// Moves a piece of the shown position while editing; the warning sounds when it is refused.
EditMoveResult editMove(Document& doc, const EditSpot& from, const EditSpot& to);
// The right click on a piece while editing: changes it and sounds the piece.
bool editCycle(Document& doc, int square);

}  // namespace tavrel
