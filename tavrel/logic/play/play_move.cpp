#include "tavrel/logic/play/play_move.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "core/rules/legality.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/play/game_play.h"
#include "tavrel/settings/engine_options.h"

namespace tavrel {

namespace {

using core::NodeIndex;
using core::PackedMove;

std::int64_t steadySeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The node's origin as a cell of pos: its square, or the first hand slot holding the dropped
// piece; 0 when pos has no such piece.
int originCell(const core::Position& pos, const core::MoveNode& n) {
    if (!n.isDrop()) return n.from;
    core::PieceByte p = core::dropPiece(n.from);
    return core::findHandSlot(pos, core::sideOf(p), core::pieceType(p));
}

// The stored `from` byte of an origin given as a square or a hand slot; 0 for an empty slot.
std::uint8_t storedFrom(const core::Position& pos, int origin) {
    if (origin < 100) return static_cast<std::uint8_t>(origin);
    if (!core::isHandSlot(origin) || origin >= pos.handEnd) return 0;
    core::PieceByte p = pos.cells[static_cast<std::size_t>(origin)];
    return p == 0 ? 0 : core::encodeDrop(p);
}

NodeIndex childWithMove(const core::RecordStore& store, std::uint8_t from, std::uint8_t to) {
    for (NodeIndex c = store.node(store.current()).next; c != core::kNoNode;
         c = store.node(c).sibling) {
        if (store.node(c).sameMove(from, to)) return c;
    }
    return core::kNoNode;
}

bool drawingKind(PlayKind kind) { return kind != PlayKind::Silent; }

AnimatedMove forwardAnimation(const core::Position& before, int origin, int destination) {
    AnimatedMove a;
    a.piece = before.cells[static_cast<std::size_t>(origin)];
    if (destination & core::kPromoteFlag) a.piece |= core::kPromotedBit;
    a.from = originSpot(before, origin);
    a.to.square = destination & ~core::kPromoteFlag;
    a.hands = core::countHand(before);
    return a;
}

void syncAddMode(Document& doc) {
    doc.store().setAddMode(doc.addsVariations() ? core::AddMode::Branch : core::AddMode::Overwrite);
}

// Whether entering (from, to) here overwrites a continuation the record has (棋譜追加モード 0):
// there is a first continuation other than 中断 and it is a different move.
bool overwritesContinuation(const core::RecordStore& store, std::uint8_t from, std::uint8_t to) {
    NodeIndex child = store.node(store.current()).next;
    if (child == core::kNoNode) return false;
    const core::MoveNode& c = store.node(child);
    if (c.to == core::terminalByte(core::TerminalCode::Suspend)) return false;
    return !c.sameMove(from, to);
}

void refuseForSize(Document& doc) {
    doc.ui().documentChanged();
    doc.warningSound();
    doc.ui().showMessage(core::msgRecordSizeOver(), programCaption());
}

// Steps back one ply with the move drawn travelling home; false at the start.
bool stepBackDrawn(Document& doc, int display) {
    core::RecordStore& store = doc.store();
    if (store.currentPly() == 0) return false;
    const core::MoveNode& n = store.node(store.current());
    AnimatedMove a;
    bool real = !n.isTerminal();
    if (real) {
        a.piece = store.position().cells[n.destination()];
        a.from.square = n.destination();
    }
    // The current move is not the root here: cannot fail.
    (void)store.backOne();
    if (real && display >= kDisplayAnimated) {
        const core::Position& pos = store.position();
        a.hands = core::countHand(pos);
        if (n.isDrop()) {
            a.to.side = core::sideOf(n.piece);
            a.to.handType = core::pieceType(n.piece) & 7;
        } else {
            a.to.square = n.from;
        }
        doc.ui().animateMove(a);
    }
    if (real && display >= 1) doc.ui().pieceSound();
    return true;
}

// Step 6: the repetition count of the position reached.
PlayResult checkRepetition(Document& doc, MoveClock& clock, PlayKind kind) {
    core::RecordStore& store = doc.store();
    const Settings& s = doc.settings();
    bool wantMessage = kind == PlayKind::Replay && s.detectRepetitionInReplay != 0;
    bool wantEnd = s.checkRules != 0;
    if (!wantMessage && !wantEnd) return PlayResult::Done;
    int count = store.repetitionCount();
    if (wantMessage && count > 3) {
        doc.ui().showMessage(core::formatMessageUtf8(core::translate("%d 手で千日手です。"),
                                                     {std::to_string(store.currentPly())}),
                             programCaption());
    }
    if (!wantEnd || count < 4) return PlayResult::Done;
    if (kind != PlayKind::Entered) return PlayResult::Repetition;
    // Only a full record refuses the entry; the game ends here either way.
    (void)store.addMove(core::kAddStoreAll, terminalEntry(core::TerminalCode::Repetition), 0);
    clock.stop();
    doc.ui().documentChanged();
    doc.warningSound();
    doc.ui().showMessage(std::string(core::translate("千日手です。")), programCaption());
    return PlayResult::Repetition;
}

// clockRan: the turn clock was running when the marker came; it then starts again.
PlayResult playMarker(Document& doc, MoveClock& clock, PackedMove move, int display,
                      bool clockRan) {
    core::RecordStore& store = doc.store();
    if (move == kTakeBackMarker || move == kStepBackMarker) {
        NodeIndex node = store.current();
        NodeIndex parent = store.parentOf(node);
        bool last = node != core::kRootNode && store.node(node).next == core::kNoNode;
        PackedMove stored = core::packMove(store.node(node).from, store.node(node).to);
        if (!stepBackDrawn(doc, display)) {
            doc.warningSound();
            return PlayResult::Done;
        }
        // The move was just stepped back over: it is there.
        if (move == kTakeBackMarker && last) (void)store.deleteChildMove(parent, stored);
        if (clockRan) clock.restart();
        doc.ui().documentChanged();
        return PlayResult::Done;
    }
    // kNextMoveMarker: the first continuation, when it may be played.
    NodeIndex next = store.node(store.current()).next;
    if (next == core::kNoNode) {
        doc.warningSound();
        return PlayResult::Done;
    }
    const core::MoveNode& n = store.node(next);
    const core::Position& pos = store.position();
    int origin = n.isTerminal() ? n.from : originCell(pos, n);
    bool playable =
        doc.settings().checkRules != 0
            ? core::checkMove(pos, origin, n.to, pos.sideToMove) == core::MoveCheckResult::Legal
            : n.from >= 11 && n.to >= 11 && origin != 0;
    if (!playable) {
        doc.warningSound();
        return PlayResult::Done;
    }
    PackedMove asEntered = core::packMove(origin, n.to);
    PlayResult r = playMove(doc, clock, PlayKind::Replay, asEntered, display);
    if (isPlaying(doc.mode())) clock.restart();
    return r;
}

}  // namespace

MoveClock::MoveClock() : m_now(steadySeconds) {}

void MoveClock::restart() {
    m_stamp = m_now();
    m_running = true;
    m_started = true;
}

std::uint16_t MoveClock::elapsed() const {
    if (!m_started) return 0;
    std::int64_t d = m_now() - m_stamp;
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(d, 0, 0xFFFF));
}

BoardSpot originSpot(const core::Position& pos, int origin) {
    BoardSpot spot;
    if (core::isSquare(origin)) {
        spot.square = origin;
        return spot;
    }
    if (core::isHandSlot(origin)) {
        core::PieceByte p = pos.cells[static_cast<std::size_t>(origin)];
        spot.side = core::sideOf(p);
        spot.handType = core::pieceType(p) & 7;
    }
    return spot;
}

PlayResult playMove(Document& doc, MoveClock& clock, PlayKind kind, PackedMove move, int display) {
    core::RecordStore& store = doc.store();
    const Settings& s = doc.settings();
    const bool clockRan = clock.running();
    if (kind == PlayKind::Entered) clock.stop();
    if (move == kTakeBackMarker || move == kStepBackMarker || move == kNextMoveMarker) {
        return playMarker(doc, clock, move, display, clockRan);
    }
    const int origin = core::moveOrigin(move);
    const int to = core::moveDestination(move);
    const bool terminal = core::isTerminalCode(to);
    const core::Position before = store.position();
    const std::uint8_t from =
        terminal ? static_cast<std::uint8_t>(origin) : storedFrom(before, origin);
    if (!terminal && from == 0) return PlayResult::Refused;

    if (kind == PlayKind::Entered || kind == PlayKind::Stored) {
        std::uint16_t seconds = 0;
        if (kind == PlayKind::Entered && s.zeroTimeOnEntry == 0) seconds = clock.elapsed();
        syncAddMode(doc);
        NodeIndex same = childWithMove(store, from, static_cast<std::uint8_t>(to));
        bool overwrite = !doc.addsVariations();
        if (overwrite && same == core::kNoNode &&
            overwritesContinuation(store, from, static_cast<std::uint8_t>(to))) {
            Answer a =
                doc.ui().ask(std::string(core::translate("棋譜を書き換えます。いいですか？")),
                             std::string(core::translate("棋譜書き換え確認")), false);
            if (a != Answer::Yes) return PlayResult::Refused;
        }
        if (overwrite && same != core::kNoNode && !terminal) {
            // The same move as the continuation: the line after it stays.
            if (store.stepForward(same) != core::EditResult::Ok) return PlayResult::Refused;
            // `same` is the child just stepped to: cannot fail.
            if (kind == PlayKind::Entered) (void)store.setSeconds(same, seconds);
        } else {
            core::AddResult r = store.addAndAdvance(core::kAddStoreAll, move, seconds);
            if (r == core::AddResult::CapacityReached) {
                refuseForSize(doc);
                return PlayResult::Done;
            }
            if (r != core::AddResult::Ok) {
                doc.warningSound();
                return PlayResult::Refused;
            }
        }
    } else {
        NodeIndex child = childWithMove(store, from, static_cast<std::uint8_t>(to));
        if (child == core::kNoNode) return PlayResult::Refused;
        if (store.node(child).isTerminal()) {
            if (drawingKind(kind)) doc.ui().documentChanged();
            return to == core::terminalByte(core::TerminalCode::Repetition) ? PlayResult::Repetition
                                                                            : PlayResult::Recorded;
        }
        if (store.stepForward(child) != core::EditResult::Ok) return PlayResult::Refused;
    }

    if (terminal) {
        if (drawingKind(kind)) doc.ui().documentChanged();
        return to == core::terminalByte(core::TerminalCode::Repetition) ? PlayResult::Repetition
                                                                        : PlayResult::Recorded;
    }
    if (display >= kDisplayAnimated && drawingKind(kind)) {
        doc.ui().animateMove(forwardAnimation(before, origin, to));
    }
    if (kind <= PlayKind::Stored && display >= 1) doc.ui().pieceSound();
    if (kind == PlayKind::Reduced) return PlayResult::Recorded;
    if (kind == PlayKind::Silent) return PlayResult::Done;
    doc.ui().documentChanged();
    return checkRepetition(doc, clock, kind);
}

void endGame(Document& doc, MoveClock& clock, GameEndSave save) {
    clock.stop();
    core::RecordStore& store = doc.store();
    if (doc.settings().autoEndDate == 1 && store.header(core::HeaderField::EndDateTime).empty()) {
        doc.snapshot().refresh();
        store.setHeader(core::HeaderField::EndDateTime, dateTimeText(doc.snapshot().value()));
    }
    doc.setMode(ViewerMode::Viewing);
    if (save == GameEndSave::Offer) offerGameSave(doc);
    doc.ui().documentChanged();
}

void finishEntry(Document& doc, MoveClock& clock, PlayResult result) {
    if (result == PlayResult::Done || result == PlayResult::Refused) {
        doc.setMode(ViewerMode::Playing);
        if (recordFull(doc.store())) {
            doc.ui().documentChanged();
            doc.warningSound();
            doc.ui().showMessage(recordFullMessage(doc.store()), programCaption());
            endGame(doc, clock);
            return;
        }
        clock.restart();
        doc.ui().documentChanged();
        return;
    }
    endGame(doc, clock);
}

void continuePlay(Document& doc, MoveClock& clock) {
    core::RecordStore& store = doc.store();
    if (isPlaying(doc.mode()) || doc.mode() == ViewerMode::PrintPreview) {
        doc.warningSound();
        return;
    }
    leaveEditingAndReplay(doc);
    if (store.current() != core::kRootNode && store.node(store.current()).isTerminal()) {
        // The current move is not the root here: cannot fail.
        (void)store.backOne();
    }
    if (!doc.recordName().empty() && !hasNoFile(doc.recordName())) {
        std::optional<std::string> path =
            continuedRecordPath(doc.recordPath(), [](const std::string& p) {
                std::error_code ec;
                return std::filesystem::exists(p, ec);
            });
        if (!path) {
            doc.setNewRecordNames();
        } else if (*path != doc.recordPath()) {
            doc.setNamesFromPath(*path);
        }
    }
    doc.setResumed(false);
    enterPlay(doc, clock);
}

void createBranch(Document& doc, MoveClock& clock) {
    core::RecordStore& store = doc.store();
    if (isPlaying(doc.mode()) || doc.mode() == ViewerMode::PrintPreview ||
        store.node(store.current()).next == core::kNoNode) {
        doc.warningSound();
        return;
    }
    continuePlay(doc, clock);
    if (isPlaying(doc.mode())) {
        doc.startBranchEntry();
        doc.ui().documentChanged();
    }
}

void enterTerminal(Document& doc, MoveClock& clock, core::TerminalCode code, GameEndSave save) {
    if (!isPlaying(doc.mode())) {
        doc.warningSound();
        return;
    }
    doc.setMode(afterPutDown(doc.mode()));
    PlayResult r = playMove(doc, clock, PlayKind::Entered, terminalEntry(code), kDisplayByHand);
    if (r == PlayResult::Refused) {
        finishEntry(doc, clock, r);
        return;
    }
    endGame(doc, clock, save);
}

void takeBack(Document& doc, MoveClock& clock) {
    // Shows its own message.
    (void)playMove(doc, clock, PlayKind::Entered, kTakeBackMarker, kDisplayAnimated);
}

void stepBackInPlay(Document& doc, MoveClock& clock) {
    // Shows its own message.
    (void)playMove(doc, clock, PlayKind::Entered, kStepBackMarker, kDisplayAnimated);
}

void stepForwardInPlay(Document& doc, MoveClock& clock) {
    // Shows its own message.
    (void)playMove(doc, clock, PlayKind::Replay, kNextMoveMarker, kDisplayAnimated);
}

}  // namespace tavrel
