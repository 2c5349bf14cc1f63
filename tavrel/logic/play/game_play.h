// A game played at the board, around PlayMove: 新規対局 with its sheet, entering play with the
// automatic start date and names, the running turn clock's text, the stop when the record is
// full, 中断局面から再開, 対局者名変更, the names a continued position file takes, and the end of
// a game with its end date and the offer to save. The windows show the sheet and the dialogs
// through GameUi; the one-second timer only asks turnClockTexts what to draw.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/record/record_store.h"
#include "core/templates/date_time_snapshot.h"
#include "tavrel/logic/document/document.h"
#include "tavrel/logic/document/info_fields.h"
#include "tavrel/logic/play/engine_game.h"
#include "tavrel/logic/play/play_move.h"
#include "tavrel/settings/history.h"

namespace tavrel {

// ---- Turn clock ----

// The clock lines while a turn runs: the side to move's line reads "%02d:%02d / %02d:%02d:%02d"
// (the seconds of this turn, then that side's total including them); the other side's line is
// nullopt (it shows its last move's time as outside play).
struct TurnClockTexts {
    std::optional<std::string> black;
    std::optional<std::string> white;
};
TurnClockTexts turnClockTexts(const core::RecordStore& store, std::uint32_t turnSeconds);

// ---- Dates ----

// "%s %s": the date with its weekday (calendarDateText) and "%02d:%02d:%02d".
std::string dateTimeText(const core::LocalDateTime& t);

// The start date field's text that asks for the automatic start date: "（自動設定）".
const std::string& automaticDateText();

// ---- Play ----

// Whether the record has grown to one move short of its capacity: a game stops there.
bool recordFull(const core::RecordStore& store);
// "棋譜の大きさが限界(%d手)に達しましたので、対局を中止します。" with capacity − 1.
std::string recordFullMessage(const core::RecordStore& store);

// Entering play at the position shown: the automatic start date for a record without moves, the
// names of a record without any, mode Playing, the clock reset; a full record ends the game at
// once with recordFullMessage.
void enterPlay(Document& doc, MoveClock& clock);

// The position file a continued game leaves: a ".bod" path becomes the same name with ".kif", or
// nullopt (the record becomes "新規棋譜") when that file exists. Any other path stays.
std::optional<std::string> continuedRecordPath(
    const std::string& path, const std::function<bool(const std::string&)>& exists);

// The save offer at the end of a game (the mode is already Viewing). Nothing for an unmodified
// record. A record with a file: the dialog "棋譜の保存" (Save, Save As or nothing). Without one:
// "棋譜を保存しますか？"; Yes writes "<棋譜パス><name>.KIF" (.KI2 with 標準棋譜 1) at once when the
// game was resumed and 棋譜自動保存 is 1, otherwise opens Save As. A failed save leaves the record
// modified with its message shown.
void offerGameSave(Document& doc);

// ---- The sheet and the dialogs ----

// What the new-game sheet edits.
struct NewGameFields {
    core::HandicapType handicap = core::kHandicapEven;
    std::string black;  // 先手 (下手)
    std::string white;  // 後手 (上手)
    std::string blackShort;
    std::string whiteShort;
    // The event page and the date and user-field page, in the order the pages show them.
    std::vector<std::pair<core::HeaderField, std::string>> header;
    // Who plays each side (a human or a registered engine) and the time control.
    GamePlayers players;
};

// A side an engine plays gets the engine's name when the sheet left the player's name empty.
void nameEnginePlayers(NewGameFields& fields);

// The handicaps the sheet offers, in its order: 平手 and the set-ups 1..13.
std::vector<core::HandicapType> offeredHandicaps();
// "先手：" / "後手：", or "下手：" / "上手：" in a handicap game.
std::string blackNameLabel(core::HandicapType handicap);
std::string whiteNameLabel(core::HandicapType handicap);
// "先手後手未定(&M)": the names when the sides are not decided yet, "先手" and "後手" ("下手" and
// "上手" in a handicap game).
std::pair<std::string, std::string> undecidedNames(core::HandicapType handicap);

// The sheet's values at opening: the current record's players and fields, the start date
// automaticDateText(), the end date empty.
NewGameFields newGameDefaults(const core::RecordStore& store);

class GameUi {
public:
    virtual ~GameUi() = default;
    // The sheet "新規対局"; false when cancelled.
    virtual bool newGameSheet(NewGameFields& fields) = 0;
    // The dialog "対局者名変更" over the names; false when cancelled.
    virtual bool playerNamesDialog(std::string& black, std::string& white,
                                   core::HandicapType handicap) = 0;
};

// Where the histories of the sheet's fields live: the session's Histories and the folder of the
// ".his" files.
struct HistoryPlace {
    Histories* histories = nullptr;
    std::string folder;
};

// Leaves position editing and the step-wise replay.
void leaveEditingAndReplay(Document& doc);

// 新規対局: the save question, the sheet, the record set up for the handicap, the start date
// warnings, the histories, then play. False when cancelled.
bool newGame(Document& doc, MoveClock& clock, GameUi& gameUi, const HistoryPlace& place);

// Stores the sheet's values in a cleared record and sets up the handicap's start position with
// its side to move; the date warning is shown; the entered values join their histories.
void applyNewGame(Document& doc, const NewGameFields& fields, const HistoryPlace& place);

// 継続対局 as the menu gives it: leaves editing and replay, steps back over a terminal entry
// shown, renames a position file (continuedRecordPath), clears the resume flag, enters play.
void continueGame(Document& doc, MoveClock& clock);

// 中断局面から再開 (askForOpen) and "/G" (the file was just read): the record to resume, the
// resume flag, the end of the main line without its terminal entry, then play. open runs the
// Open command and returns Done when a record was read.
bool resumeGame(Document& doc, MoveClock& clock, bool askForOpen,
                const std::function<CommandResult()>& open);

// 対局者名変更: the dialog over the record's names; OK stores them and redraws.
void changePlayerNames(Document& doc, GameUi& gameUi);

}  // namespace tavrel
