#include "tavrel/logic/play/game_play.h"

#include <cstdio>
#include <filesystem>

#include "core/notation/notation.h"
#include "core/rules/position.h"
#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/file_rules.h"
#include "tavrel/logic/document/record_info.h"
#include "tavrel/logic/document/save_as.h"
#include "tavrel/logic/play/position_editor.h"
#include "tavrel/logic/view/info_lines.h"

namespace tavrel {

namespace {

using core::HeaderField;

// Where the history and the list of a header field the sheet fills come from; nullopt for the
// fields that keep no history.
std::optional<InfoFieldSource> historySourceOf(HeaderField field) {
    switch (field) {
        case HeaderField::Event:
            return InfoFieldSource{HistoryField::Event, ListField::Event};
        case HeaderField::Opening:
            return InfoFieldSource{HistoryField::Opening, ListField::Opening};
        case HeaderField::TimeLimit:
            return InfoFieldSource{HistoryField::TimeLimit, ListField::TimeLimit};
        case HeaderField::Place:
            return InfoFieldSource{HistoryField::Place, ListField::Place};
        case HeaderField::PublishedIn:
            return InfoFieldSource{HistoryField::Publication, ListField::Publication};
        case HeaderField::User1:
        case HeaderField::User2:
        case HeaderField::User3:
        case HeaderField::User4:
        case HeaderField::User5: {
            int n = static_cast<int>(field) - static_cast<int>(HeaderField::User1);
            return InfoFieldSource{
                static_cast<HistoryField>(static_cast<int>(HistoryField::User1) + n),
                static_cast<ListField>(static_cast<int>(ListField::User1) + n)};
        }
        default:
            return std::nullopt;
    }
}

void remember(const Document& doc, const HistoryPlace& place, const InfoFieldSource& source,
              const std::string& value) {
    if (place.histories == nullptr) return;
    // The history only helps typing; the game starts either way.
    (void)rememberInfoField(source, doc.settings(), *place.histories, place.folder, {}, value);
}

void autoSave(Document& doc) {
    const bool ki2 = doc.settings().standardFormat == StandardFormat::Ki2;
    SaveFormat format = ki2 ? SaveFormat::Ki2 : SaveFormat::Kif;
    // A game resumed from a KIF or KI2 file goes back into that file, under its own name.
    std::string target;
    std::optional<SaveFormat> own = overwriteFormat(doc.recordPath());
    if (!hasNoFile(doc.recordName()) && (own == SaveFormat::Kif || own == SaveFormat::Ki2)) {
        format = *own;
        target = doc.recordPath();
    } else {
        target = textToPath(doc.settings().recordFolder + doc.recordName()) + "." +
                 std::string(saveFilterExtension(format));
    }
    const std::string shown = pathToText(target);
    if (!doc.confirmOverwriteOfPartialSource(target)) return;
    core::WriteResult r = doc.writeRecord(format, target);
    if (r != core::WriteResult::Ok) {
        doc.warningSound();
        doc.ui().showMessage(
            core::formatMessageUtf8(core::translate("棋譜保存エラー(%s)"), {shown}),
            programCaption());
        return;
    }
    doc.store().markClean();
    doc.ui().setStatusText(
        core::formatMessageUtf8(core::translate("棋譜ファイル(%s)を出力しました。"), {shown}));
}

}  // namespace

// ---- Turn clock ----

TurnClockTexts turnClockTexts(const core::RecordStore& store, std::uint32_t turnSeconds) {
    const core::SideByte side = store.position().sideToMove;
    std::uint32_t before = 0;
    for (core::NodeIndex n = store.current(); n != core::kRootNode && n != core::kNoNode;
         n = store.parentOf(n)) {
        const core::MoveNode& node = store.node(n);
        if (!node.isTerminal() && core::moverOf(node) == side) {
            before = store.cumulativeSeconds(n);
            break;
        }
    }
    TurnClockTexts texts;
    std::string text = timeText(turnSeconds, before + turnSeconds);
    if (side == core::kSideBlack) {
        texts.black = std::move(text);
    } else {
        texts.white = std::move(text);
    }
    return texts;
}

// ---- Dates ----

std::string dateTimeText(const core::LocalDateTime& t) {
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return calendarDateText(t.year, t.month, t.day) + " " + time;
}

const std::string& automaticDateText() {
    static const std::string text = std::string("（自動設定）");
    return text;
}

// ---- Play ----

bool recordFull(const core::RecordStore& store) {
    return store.currentPly() >= store.capacity() - 1;
}

std::string recordFullMessage(const core::RecordStore& store) {
    return core::formatMessageUtf8(
        core::translate("棋譜の大きさが限界(%d手)に達しましたので、対局を中止します。"),
        {std::to_string(store.capacity() - 1)});
}

void enterPlay(Document& doc, MoveClock& clock) {
    core::RecordStore& store = doc.store();
    if (store.moveCount() == 0) {
        const std::string& start = store.header(HeaderField::StartDateTime);
        if (start.empty() || start == automaticDateText()) {
            doc.snapshot().refresh();
            store.setHeader(HeaderField::StartDateTime, dateTimeText(doc.snapshot().value()));
        }
    }
    if (doc.recordName().empty()) doc.setNewRecordNames();
    doc.setMode(ViewerMode::Playing);
    clock.restart();
    doc.ui().documentChanged();
    if (recordFull(store)) {
        doc.warningSound();
        doc.ui().showMessage(recordFullMessage(store), programCaption());
        endGame(doc, clock);
    }
}

std::optional<std::string> continuedRecordPath(
    const std::string& path, const std::function<bool(const std::string&)>& exists) {
    if (overwriteFormat(path) != SaveFormat::Bod) return path;
    std::string kif = path.substr(0, path.size() - 3) + "kif";
    if (exists(kif)) return std::nullopt;
    return kif;
}

void offerGameSave(Document& doc) {
    if (!doc.modified()) return;
    if (!hasNoFile(doc.recordName())) {
        switch (doc.ui().askGameSave(doc.recordName())) {
            case GameSaveChoice::Save:
                save(doc);
                return;
            case GameSaveChoice::SaveAs:
                saveAs(doc, SaveAsKind::AnyFormat);
                return;
            case GameSaveChoice::DontSave:
                return;
        }
        return;
    }
    if (doc.ui().ask(std::string(core::translate("棋譜を保存しますか？")),
                     std::string(core::translate("棋譜の保存")), false) != Answer::Yes) {
        return;
    }
    if (doc.resumed() && doc.settings().autoSaveResume == 1) {
        autoSave(doc);
    } else {
        saveAs(doc, SaveAsKind::AnyFormat);
    }
}

// ---- The sheet and the dialogs ----

std::vector<core::HandicapType> offeredHandicaps() {
    std::vector<core::HandicapType> types;
    for (core::HandicapType t = core::kHandicapEven; t < core::kHandicapOther; ++t) {
        types.push_back(t);
    }
    return types;
}

std::string blackNameLabel(core::HandicapType handicap) {
    return std::string(handicap == core::kHandicapEven ? core::translate("先手：")
                                                       : core::translate("下手："));
}

std::string whiteNameLabel(core::HandicapType handicap) {
    return std::string(handicap == core::kHandicapEven ? core::translate("後手：")
                                                       : core::translate("上手："));
}

std::pair<std::string, std::string> undecidedNames(core::HandicapType handicap) {
    if (handicap == core::kHandicapEven) return {std::string("先手"), std::string("後手")};
    return {std::string("下手"), std::string("上手")};
}

NewGameFields newGameDefaults(const core::RecordStore& store) {
    NewGameFields f;
    f.handicap = store.handicap() < core::kHandicapOther ? store.handicap() : core::kHandicapEven;
    f.black = store.playerName(core::PlayerField::Black);
    f.white = store.playerName(core::PlayerField::White);
    f.blackShort = store.playerName(core::PlayerField::BlackShort);
    f.whiteShort = store.playerName(core::PlayerField::WhiteShort);
    f.header.emplace_back(HeaderField::StartDateTime, automaticDateText());
    f.header.emplace_back(HeaderField::EndDateTime, std::string());
    for (HeaderField h :
         {HeaderField::Title, HeaderField::Event, HeaderField::Opening, HeaderField::TimeLimit,
          HeaderField::Place, HeaderField::PublishedIn, HeaderField::User1, HeaderField::User2,
          HeaderField::User3, HeaderField::User4, HeaderField::User5}) {
        f.header.emplace_back(h, store.header(h));
    }
    return f;
}

void leaveEditingAndReplay(Document& doc) {
    if (isEditing(doc.mode())) endEditing(doc);
    if (doc.mode() == ViewerMode::Replaying) doc.setMode(ViewerMode::Viewing);
}

void applyNewGame(Document& doc, const NewGameFields& fields, const HistoryPlace& place) {
    core::RecordStore& store = doc.store();
    store.reset();
    store.clearHeader();
    for (const auto& [field, value] : fields.header) store.setHeader(field, cutInfoField(value));
    doc.snapshot().refresh();
    const core::LocalDateTime& today = doc.snapshot().value();
    std::string warning = startDateWarning(store.header(HeaderField::StartDateTime), today.year,
                                           today.month, today.day);
    if (!warning.empty()) {
        doc.warningSound();
        doc.ui().showMessage(warning, programCaption());
    }
    core::HandicapType handicap =
        fields.handicap >= core::kHandicapEven && fields.handicap < core::kHandicapOther
            ? fields.handicap
            : core::kHandicapEven;
    core::Position start;
    // A handicap without a set-up of its own leaves the empty board.
    (void)core::setupHandicap(start, handicap);
    store.setHandicap(handicap);
    store.setFirstMover(core::firstMoverOf(handicap));
    store.setCustomStart(false);
    store.position() = start;
    store.saveStartPosition(start);
    store.setPlayerName(core::PlayerField::Black, fields.black);
    store.setPlayerName(core::PlayerField::White, fields.white);
    store.setPlayerName(core::PlayerField::BlackShort, fields.blackShort);
    store.setPlayerName(core::PlayerField::WhiteShort, fields.whiteShort);
    store.markDirty();

    const InfoFieldSource players{HistoryField::Players, ListField::Players};
    remember(doc, place, players, fields.black);
    remember(doc, place, players, fields.white);
    for (const auto& [field, value] : fields.header) {
        if (std::optional<InfoFieldSource> source = historySourceOf(field)) {
            remember(doc, place, *source, value);
        }
    }
}

bool newGame(Document& doc, MoveClock& clock, GameUi& gameUi, const HistoryPlace& place) {
    if (isPlaying(doc.mode()) || doc.mode() == ViewerMode::PrintPreview) {
        doc.warningSound();
        return false;
    }
    if (doc.askSaveBeforeDiscard(true) == Answer::Cancel) return false;
    leaveEditingAndReplay(doc);
    NewGameFields fields = newGameDefaults(doc.store());
    if (!gameUi.newGameSheet(fields)) {
        doc.ui().documentChanged();
        return false;
    }
    applyNewGame(doc, fields, place);
    doc.setNewRecordNames();
    doc.setResumed(false);
    enterPlay(doc, clock);
    return true;
}

bool resumeGame(Document& doc, MoveClock& clock, bool askForOpen,
                const std::function<CommandResult()>& open) {
    if (isPlaying(doc.mode()) || doc.mode() == ViewerMode::PrintPreview) {
        doc.warningSound();
        return false;
    }
    leaveEditingAndReplay(doc);
    core::RecordStore& store = doc.store();
    if (askForOpen) {
        if (store.moveCount() > 0) {
            if (doc.settings().offerReplayAfterLoad == 1) {
                Answer a =
                    doc.ui().ask(std::string(core::translate("新しい棋譜を読み込みますか？")),
                                 std::string(core::translate("再開")), true);
                if (a == Answer::Cancel) return false;
                if (a == Answer::Yes && open() != CommandResult::Done) return false;
            }
        } else if (open() != CommandResult::Done) {
            return false;
        }
    }
    doc.setResumed(true);
    // The root is always in use: cannot fail.
    (void)store.goToPly(0);
    for (;;) {
        core::NodeIndex next = store.node(store.current()).next;
        if (next == core::kNoNode) break;
        if (store.node(next).isTerminal()) {
            // The entry that ended the game (中断 and the like) goes; play continues here.
            // `next` is a child in use: cannot fail.
            (void)store.deleteAlternative(next);
            break;
        }
        if (store.stepForward(next) != core::EditResult::Ok) break;
    }
    enterPlay(doc, clock);
    return true;
}

void changePlayerNames(Document& doc, GameUi& gameUi) {
    if (doc.mode() == ViewerMode::PrintPreview) {
        doc.warningSound();
        return;
    }
    core::RecordStore& store = doc.store();
    std::string black = store.playerName(core::PlayerField::Black);
    std::string white = store.playerName(core::PlayerField::White);
    if (!gameUi.playerNamesDialog(black, white, store.handicap())) return;
    if (black == store.playerName(core::PlayerField::Black) &&
        white == store.playerName(core::PlayerField::White)) {
        return;
    }
    store.setPlayerName(core::PlayerField::Black, black);
    store.setPlayerName(core::PlayerField::White, white);
    doc.ui().documentChanged();
}

void nameEnginePlayers(NewGameFields& fields) {
    if (fields.black.empty() && !fields.players.blackEngine.empty()) {
        fields.black = fields.players.blackEngine;
    }
    if (fields.white.empty() && !fields.players.whiteEngine.empty()) {
        fields.white = fields.players.whiteEngine;
    }
}

}  // namespace tavrel
