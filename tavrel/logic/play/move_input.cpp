#include "tavrel/logic/play/move_input.h"

#include "core/notation/notation.h"
#include "core/rules/legality.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/view/info_lines.h"

namespace tavrel {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The promotion question's move text, as the current move is shown.
std::string moveText(const core::Position& pos, int origin, int destination,
                     const Settings& settings) {
    core::MoveNode n;
    core::PieceByte piece = pos.cells[at(origin)];
    n.from = origin >= 100 ? core::encodeDrop(piece) : static_cast<std::uint8_t>(origin);
    n.to = static_cast<std::uint8_t>(destination);
    n.piece = piece;
    n.captured = pos.cells[at(destination)];
    // The question names the move itself, without "不成".
    n.notation = core::computeNotationHint(pos, origin, destination) &
                 static_cast<std::uint8_t>(~core::kHintNoPromotion);
    return lastMoveText(n, 0, settings);
}

}  // namespace

std::string refusalText(int legalityResult) {
    switch (static_cast<core::MoveCheckResult>(legalityResult)) {
        case core::MoveCheckResult::SecondPawn:
            return std::string(core::translate("二歩です。"));
        case core::MoveCheckResult::PawnDropMate:
            return std::string(core::translate(" 打歩詰です。"));
        default:
            return std::string(core::translate("動きが正しくありません。"));
    }
}

bool MoveInput::viewing() const {
    return m_dragWhileViewing && m_doc.mode() == ViewerMode::Viewing;
}

bool MoveInput::takesMouse() const {
    const ViewerMode m = m_doc.mode();
    return isPlaying(m) || isEditing(m) || viewing();
}

int MoveInput::originCell() const {
    if (!m_held) return 0;
    const EditSpot& o = m_held->origin;
    if (o.place == EditPlace::Square) return o.square;
    if (o.place == EditPlace::Hand) {
        return core::findHandSlot(m_doc.store().position(), o.side, o.type);
    }
    return 0;
}

void MoveInput::press(const BoardGeometry& g, Point p, Modifiers modifiers) {
    if (m_choice) {
        // A pick of the choice on the board; anywhere else puts the piece back.
        const int pick = promotionChoiceAt(g, p, m_choice->destination);
        const PromotionChoice c = *m_choice;
        m_choice.reset();
        if (pick < 0) {
            putBack();
            return;
        }
        enterMove(c.origin, pick == 1 ? (c.destination | core::kPromoteFlag) : c.destination);
        return;
    }
    if (m_held) {
        release(g, p, modifiers);
        return;
    }
    ViewerMode mode = m_doc.mode();
    // A piece dragged while viewing is taken as in play.
    bool playing = mode == ViewerMode::Playing || viewing();
    if (playing && m_locked && m_locked()) {
        m_doc.warningSound();
        return;
    }
    bool editing = mode == ViewerMode::Editing;
    if (!playing && !editing) return;
    const core::Position& pos = m_doc.store().position();
    BoardHit hit = hitTest(g, p, pos, editing);
    HeldPiece h;
    switch (hit.kind) {
        case HitKind::None:
            return;
        case HitKind::Square: {
            core::PieceByte piece = pos.cells[at(hit.square)];
            if (piece == 0) return;
            if (playing && !core::belongsTo(piece, pos.sideToMove)) return;
            h.origin = EditSpot{EditPlace::Square, hit.square, core::kSideBlack, 0};
            h.piece = piece;
            break;
        }
        case HitKind::Stand:
            if (hit.pieceType == 0) return;
            if (playing && (hit.side != pos.sideToMove || hit.pieceType == core::kKing)) return;
            h.origin = EditSpot{EditPlace::Hand, 0, hit.side, hit.pieceType};
            h.piece = core::makePiece(hit.side, hit.pieceType);
            break;
        case HitKind::Box:
            if (hit.pieceType == 0 || boxCount(pos, hit.pieceType) == 0) return;
            h.origin = EditSpot{EditPlace::Box, 0, core::kSideBlack, hit.pieceType};
            h.piece = core::makePiece(core::kSideBlack, hit.pieceType);
            break;
    }
    m_held = h;
    m_heldWhileViewing = mode == ViewerMode::Viewing;
    if (mode != ViewerMode::Viewing) {
        m_doc.setMode(playing ? ViewerMode::PlayingPieceHeld : ViewerMode::EditingPieceHeld);
    }
    m_doc.ui().documentChanged();
}

void MoveInput::release(const BoardGeometry& g, Point p, Modifiers modifiers) {
    if (!m_held || m_choice) return;
    ViewerMode mode = m_doc.mode();
    bool editing = mode == ViewerMode::EditingPieceHeld;
    BoardHit hit = hitTest(g, p, m_doc.store().position(), editing);
    if (hit.kind == HitKind::Square && m_held->origin.place == EditPlace::Square &&
        hit.square == m_held->origin.square) {
        putBack();
        return;
    }
    if (editing) {
        putDownInEditing(hit);
    } else if (mode == ViewerMode::PlayingPieceHeld || (m_heldWhileViewing && viewing())) {
        putDownInPlay(g, hit, modifiers);
    } else {
        putBack();
    }
}

void MoveInput::putBack() {
    m_held.reset();
    m_choice.reset();
    m_doc.setMode(afterPutDown(m_doc.mode()));
    m_doc.ui().documentChanged();
}

void MoveInput::forgetIfNotHeld() {
    ViewerMode mode = m_doc.mode();
    // A piece taken while viewing stays while the record is viewed; one of a game or of editing
    // goes when they end.
    const bool viewingDrag = m_heldWhileViewing && viewing();
    if (mode != ViewerMode::PlayingPieceHeld && mode != ViewerMode::EditingPieceHeld &&
        !viewingDrag) {
        m_held.reset();
        m_choice.reset();
    }
}

bool MoveInput::rightClick(const BoardGeometry& g, Point p) {
    if (m_held || m_choice) {
        putBack();
        return true;
    }
    if (m_doc.mode() != ViewerMode::Editing) return false;
    BoardHit hit = hitTest(g, p, m_doc.store().position(), true);
    if (hit.kind != HitKind::Square || m_doc.store().position().cells[at(hit.square)] == 0) {
        return false;
    }
    // A piece that cannot turn stays as it is.
    (void)editCycle(m_doc, hit.square);
    return true;
}

void MoveInput::putDownInEditing(const BoardHit& hit) {
    EditSpot to;
    switch (hit.kind) {
        case HitKind::None:
            m_held.reset();
            m_doc.setMode(afterPutDown(m_doc.mode()));
            m_doc.warningSound();
            m_doc.ui().documentChanged();
            return;
        case HitKind::Square:
            to = EditSpot{EditPlace::Square, hit.square, core::kSideBlack, 0};
            break;
        case HitKind::Stand:
            to = EditSpot{EditPlace::Hand, 0, hit.side, 0};
            break;
        case HitKind::Box:
            to = EditSpot{EditPlace::Box, 0, core::kSideBlack, 0};
            break;
    }
    EditSpot from = m_held->origin;
    m_held.reset();
    // A refusal is shown by the command itself.
    (void)editMove(m_doc, from, to);
}

void MoveInput::putDownInPlay(const BoardGeometry&, const BoardHit& hit, Modifiers modifiers) {
    const core::Position& pos = m_doc.store().position();
    int origin = originCell();
    if (hit.kind != HitKind::Square || origin == 0) {
        m_doc.warningSound();
        putBack();
        return;
    }
    int destination = hit.square;
    core::SideByte side = pos.sideToMove;
    switch (core::promotionState(origin, destination, pos.cells[at(origin)])) {
        case core::Promotion::Impossible:
            break;
        case core::Promotion::Compulsory:
            destination |= core::kPromoteFlag;
            break;
        case core::Promotion::Optional:
            if (modifiers.shift) {
                destination |= core::kPromoteFlag;
            } else if (!modifiers.ctrl && m_promotionOnBoard) {
                // The piece stays held until a pick on the board.
                m_choice = PromotionChoice{origin, destination, pos.cells[at(origin)]};
                m_doc.ui().documentChanged();
                return;
            } else if (!modifiers.ctrl) {
                std::string text = moveText(pos, origin, destination, m_doc.settings());
                const char* format = side == core::kSideBlack
                                         ? core::translate("▲%s：成りますか？")
                                         : core::translate("△%s：成りますか？");
                Answer a = m_doc.ui().ask(core::formatMessageUtf8(format, {text}),
                                          std::string(core::translate("成／不成選択")), false);
                if (a == Answer::Yes) destination |= core::kPromoteFlag;
            }
            break;
    }
    enterMove(origin, destination);
}

void MoveInput::enterMove(int origin, int destination) {
    const core::Position& pos = m_doc.store().position();
    const core::SideByte side = pos.sideToMove;
    const bool fromViewing = m_doc.mode() == ViewerMode::Viewing;
    if (m_doc.settings().checkRules != 0) {
        core::MoveCheckResult r = core::checkMove(pos, origin, destination, side);
        if (r != core::MoveCheckResult::Legal) {
            m_doc.ui().setStatusText(refusalText(static_cast<int>(r)));
            m_doc.warningSound();
            putBack();
            return;
        }
    }
    m_doc.ui().setStatusText({});
    m_held.reset();
    m_choice.reset();
    if (fromViewing) {
        // No game runs: no thinking time, and the mode stays. A refusal (the overwrite question
        // answered No) leaves the record as it was.
        MoveClock none{[] { return std::int64_t{0}; }};
        const core::PackedMove move = core::packMove(origin, destination);
        // The record's own move is a step along it; only another move is added.
        PlayResult r = playMove(m_doc, none, PlayKind::Replay, move, kDisplayByHand);
        if (r == PlayResult::Refused) {
            r = playMove(m_doc, none, PlayKind::Entered, move, kDisplayByHand);
        }
        if (r == PlayResult::Refused) m_doc.ui().documentChanged();
        return;
    }
    m_doc.setMode(ViewerMode::Playing);
    PlayResult r = playMove(m_doc, m_clock, PlayKind::Entered, core::packMove(origin, destination),
                            kDisplayByHand);
    finishEntry(m_doc, m_clock, r);
}

}  // namespace tavrel
