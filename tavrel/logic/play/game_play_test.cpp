#include "tavrel/logic/play/game_play.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/text/sjis.h"
#include "tavrel/logic/document/document_test_fixture.h"
#include "tavrel/logic/document/open_commands.h"

namespace tavrel {
namespace {

using core::HeaderField;
using core::packMove;

struct FakeGameUi : GameUi {
    std::optional<NewGameFields> sheet;  // nullopt: the sheet is cancelled
    std::optional<std::pair<std::string, std::string>> names;
    NewGameFields shown;
    int sheets = 0;

    bool newGameSheet(NewGameFields& fields) override {
        ++sheets;
        shown = fields;
        if (!sheet) return false;
        fields = *sheet;
        return true;
    }
    bool playerNamesDialog(std::string& black, std::string& white, core::HandicapType) override {
        if (!names) return false;
        black = names->first;
        white = names->second;
        return true;
    }
};

constexpr core::LocalDateTime kNow{2026, 12, 9, 10, 20, 30};

class GamePlayTest : public testsupport::DocumentFixture {
protected:
    void SetUp() override {
        doc.snapshot() = core::DateTimeSnapshot([] { return kNow; });
        settings.recordFolder = pathToText(dir.string() + "/");
        store.restoreStartPosition(store.position());
    }
    // A move entered at the board after `seconds` of thought, and the next turn begun.
    void play(int from, int to, int seconds) {
        now += seconds;
        finishEntry(doc, clock,
                    playMove(doc, clock, PlayKind::Entered, packMove(from, to), kDisplayByHand));
    }
    void loadSample() {
        settings.positionAfterLoad = PositionAfterLoad::Start;
        ASSERT_EQ(doc.loadRecordFile(write("p.kif", std::string(testsupport::kSampleRecord))),
                  CommandResult::Done);
    }
    int eventCount(const std::string& prefix) const {
        int n = 0;
        for (const std::string& e : ui.events) n += e.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    std::int64_t now = 5000;
    MoveClock clock{[this] { return now; }};
    FakeGameUi gameUi;
};

TEST_F(GamePlayTest, ClockTextShowsTheTurnAndTheSideTotal) {
    TurnClockTexts start = turnClockTexts(store, 0);
    EXPECT_EQ(start.black, "00:00 / 00:00:00");
    EXPECT_FALSE(start.white);
    // Black has used 3600 seconds before; 75 seconds into the next turn.
    ASSERT_EQ(store.addAndAdvance(core::kAddStoreAll, packMove(77, 76), 3600), core::AddResult::Ok);
    ASSERT_EQ(store.addAndAdvance(core::kAddStoreAll, packMove(33, 34), 12), core::AddResult::Ok);
    clock.restart();
    now += 75;
    TurnClockTexts t = turnClockTexts(store, clock.elapsed());
    EXPECT_EQ(t.black, "01:15 / 01:01:15");
    EXPECT_FALSE(t.white);
    // White's turn counts from White's own total.
    ASSERT_EQ(store.addAndAdvance(core::kAddStoreAll, packMove(27, 26), 75), core::AddResult::Ok);
    t = turnClockTexts(store, 3);
    EXPECT_FALSE(t.black);
    EXPECT_EQ(t.white, "00:03 / 00:00:15");
}

TEST_F(GamePlayTest, DateTimeTextHasTheWeekday) {
    EXPECT_EQ(dateTimeText(core::LocalDateTime{2000, 1, 2, 3, 4, 5}),
              std::string("2000/01/02(日) 03:04:05"));
}

TEST_F(GamePlayTest, GameStopsWhenTheRecordIsOneMoveShortOfItsCapacity) {
    ASSERT_EQ(store.capacity(), 5000);
    settings.checkRules = 0;  // the pieces walk to and fro without a repetition draw
    const core::PackedMove walk[] = {packMove(59, 58), packMove(51, 52), packMove(58, 59),
                                     packMove(52, 51)};
    for (int i = 0; i < 4997; ++i) {
        ASSERT_EQ(store.addAndAdvance(core::kAddStoreAll, walk[i % 4], 0), core::AddResult::Ok);
    }
    enterPlay(doc, clock);
    ASSERT_EQ(doc.mode(), ViewerMode::Playing);
    play(51, 52, 1);  // 4998 moves: play goes on
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    EXPECT_TRUE(ui.messages.empty());
    play(58, 59, 1);  // 4999 moves: the game stops
    EXPECT_EQ(store.currentPly(), 4999);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_FALSE(clock.running());
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages[0].first,
              std::string("棋譜の大きさが限界(4999手)に達しましたので、対局を中止します。"));
    // Entering play again stops at once with the same message.
    ui.messages.clear();
    enterPlay(doc, clock);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages[0].first, recordFullMessage(store));
}

TEST_F(GamePlayTest, ContinuedPositionFileBecomesARecordOfTheSameName) {
    auto none = [](const std::string&) { return false; };
    auto all = [](const std::string&) { return true; };
    EXPECT_EQ(continuedRecordPath("/r/pos.bod", none), "/r/pos.kif");
    EXPECT_EQ(continuedRecordPath("/r/POS.BOD", none), "/r/POS.kif");
    EXPECT_EQ(continuedRecordPath("/r/pos.bod", all), std::nullopt);
    EXPECT_EQ(continuedRecordPath("/r/game.kif", all), "/r/game.kif");

    const std::string bod = path("pos.bod");
    ASSERT_EQ(doc.writeRecord(SaveFormat::Bod, bod), core::WriteResult::Ok);
    ASSERT_EQ(doc.loadRecordFile(bod), CommandResult::Done);
    continuePlay(doc, clock);
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    EXPECT_EQ(doc.recordPath(), path("pos.kif"));
    play(77, 76, 4);
    ui.gameSaveChoices.push_back(GameSaveChoice::Save);
    enterTerminal(doc, clock, core::TerminalCode::Resign);
    EXPECT_EQ(eventCount("save game: pos"), 1);
    EXPECT_FALSE(doc.modified());
    EXPECT_TRUE(std::filesystem::exists(path("pos.kif")));

    // With pos.kif present the continued position has no file.
    ASSERT_EQ(doc.loadRecordFile(bod), CommandResult::Done);
    continuePlay(doc, clock);
    EXPECT_EQ(doc.recordName(), newRecordName());
}

TEST_F(GamePlayTest, SaveOfferAtTheEndOfAGame) {
    // A record with a file: the three-button dialog.
    loadSample();
    continuePlay(doc, clock);
    play(27, 26, 2);
    ui.gameSaveChoices.push_back(GameSaveChoice::SaveAs);
    enterTerminal(doc, clock, core::TerminalCode::Resign);
    EXPECT_EQ(eventCount("save game: p"), 1);
    EXPECT_EQ(eventCount("dialog: "), 1);  // Save As, cancelled
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(store.header(HeaderField::EndDateTime), std::string("2026/12/09(水) 10:20:30"));

    // No file, not resumed: Yes opens Save As.
    doc.setNewRecordNames();
    ui.events.clear();
    ui.answers = {Answer::Yes};
    continuePlay(doc, clock);
    play(27, 26, 2);
    enterTerminal(doc, clock, core::TerminalCode::Resign);
    EXPECT_EQ(ui.questions.back(), std::string("棋譜を保存しますか？"));
    EXPECT_EQ(eventCount("dialog: "), 1);

    // Resumed with 棋譜自動保存: Yes writes <folder>新規棋譜.kif at once.
    ui.events.clear();
    ui.answers = {Answer::Yes};
    doc.setNewRecordNames();
    ASSERT_TRUE(resumeGame(doc, clock, false, [] { return CommandResult::Done; }));
    play(59, 58, 1);
    enterTerminal(doc, clock, core::TerminalCode::Suspend);
    EXPECT_EQ(eventCount("dialog: "), 0);
    EXPECT_TRUE(std::filesystem::exists(path("新規棋譜.kif")));
    EXPECT_FALSE(doc.modified());
    EXPECT_EQ(ui.status, std::string("棋譜ファイル(") + settings.recordFolder +
                             std::string("新規棋譜.kif)を出力しました。"));

    // ... unless 棋譜自動保存 is off.
    settings.autoSaveResume = 0;
    ui.events.clear();
    ui.answers = {Answer::Yes};
    doc.setNewRecordNames();
    ASSERT_TRUE(resumeGame(doc, clock, false, [] { return CommandResult::Done; }));
    play(51, 52, 1);
    enterTerminal(doc, clock, core::TerminalCode::Suspend);
    EXPECT_EQ(eventCount("dialog: "), 1);
}

TEST_F(GamePlayTest, FailedAutomaticSaveKeepsTheRecordModified) {
    settings.recordFolder = pathToText(dir.string() + "/missing/folder/");
    ui.answer = Answer::Yes;
    ASSERT_TRUE(resumeGame(doc, clock, false, [] { return CommandResult::Done; }));
    play(77, 76, 1);
    enterTerminal(doc, clock, core::TerminalCode::Resign);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().first.rfind(std::string("棋譜保存エラー("), 0), 0u);
    EXPECT_EQ(store.lineEnd(), 2);  // the move and 投了 are kept
}

TEST_F(GamePlayTest, ResumeContinuesAtTheEndOfTheMainLineWithoutItsSuspension) {
    loadSample();
    int opened = 0;
    auto open = [&] {
        ++opened;
        return CommandResult::Done;
    };
    ASSERT_TRUE(resumeGame(doc, clock, true, open));
    EXPECT_EQ(opened, 0);  // 棋譜読込選択 0: the record shown is resumed
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_EQ(store.lineEnd(), 2);  // 中断 is cut off
    EXPECT_TRUE(doc.resumed());
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    EXPECT_TRUE(clock.running());
    EXPECT_EQ(store.header(HeaderField::StartDateTime), std::string("2026/12/01"));  // kept
    endGame(doc, clock, GameEndSave::Skip);

    // 継続対局 clears the flag.
    continuePlay(doc, clock);
    EXPECT_FALSE(doc.resumed());
    endGame(doc, clock, GameEndSave::Skip);

    // With 棋譜読込選択 1 the question comes first; Cancel stops, Yes opens.
    settings.offerReplayAfterLoad = 1;
    ui.answers = {Answer::Cancel, Answer::Yes};
    EXPECT_FALSE(resumeGame(doc, clock, true, open));
    EXPECT_EQ(ui.questions.back(), std::string("新しい棋譜を読み込みますか？"));
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_TRUE(resumeGame(doc, clock, true, open));
    EXPECT_EQ(opened, 1);
    endGame(doc, clock, GameEndSave::Skip);

    // A record without moves is opened first; a failed open stops.
    store.reset();
    EXPECT_FALSE(resumeGame(doc, clock, true, [&] { return CommandResult::Failed; }));
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
}

// "/G" resumes the file just read without asking whether to read another.
TEST_F(GamePlayTest, CommandLineResumesTheFileRead) {
    settings.offerReplayAfterLoad = 1;
    settings.positionAfterLoad = PositionAfterLoad::Start;
    const std::string file = write("g.kif", std::string(testsupport::kSampleRecord));
    auto resume = [&] {
        (void)resumeGame(doc, clock, false, [] { return CommandResult::Failed; });
    };
    (void)processCommandLine(doc, parseCommandLine("/G " + file), {}, resume);
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    EXPECT_TRUE(doc.resumed());
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(GamePlayTest, NewGameSetsUpTheHandicapAndWarnsAboutTheDate) {
    loadSample();
    NewGameFields f;
    f.handicap = 3;  // 角落ち: the giver, White, moves first
    f.black = std::string("下手の人");
    f.white = std::string("上手の人");
    f.header = {{HeaderField::StartDateTime, std::string("2030/01/01")},
                {HeaderField::Event, std::string("研究会")}};
    gameUi.sheet = f;
    Histories histories;
    HistoryPlace place{&histories, dir.string() + "/"};
    ASSERT_TRUE(newGame(doc, clock, gameUi, place));
    // The sheet opened with the record's names and the automatic date.
    EXPECT_EQ(gameUi.shown.black, std::string("先手の人"));
    EXPECT_EQ(gameUi.shown.header[0].second, automaticDateText());
    EXPECT_EQ(ui.messages.back().first, std::string("開始日時が未来です。"));
    EXPECT_EQ(doc.mode(), ViewerMode::Playing);
    EXPECT_EQ(store.moveCount(), 0);
    EXPECT_EQ(store.handicap(), 3);
    EXPECT_EQ(store.position().sideToMove, core::kSideWhite);
    EXPECT_EQ(store.position().cells[22], 0);  // the bishop is gone
    EXPECT_EQ(store.header(HeaderField::StartDateTime), std::string("2030/01/01"));
    EXPECT_TRUE(store.header(HeaderField::Opening).empty());
    EXPECT_EQ(doc.recordName(), newRecordName());
    EXPECT_EQ(histories[HistoryField::Players].entries(),
              (std::vector<std::string>{std::string("上手の人"), std::string("下手の人")}));
    EXPECT_EQ(histories[HistoryField::Event].entries(),
              std::vector<std::string>{std::string("研究会")});
    EXPECT_TRUE(std::filesystem::exists(historyFilePath(place.folder, HistoryField::Event)));
    EXPECT_FALSE(newGame(doc, clock, gameUi, place));  // not during a game

    // Labels and the undecided names follow the handicap.
    EXPECT_EQ(blackNameLabel(2), std::string("下手："));
    EXPECT_EQ(whiteNameLabel(core::kHandicapEven), std::string("後手："));
    EXPECT_EQ(undecidedNames(2), std::make_pair(std::string("下手"), std::string("上手")));
}

TEST_F(GamePlayTest, CancelledSheetOrSaveQuestionLeavesTheRecord) {
    loadSample();
    store.markDirty();
    ui.answers = {Answer::Cancel};
    EXPECT_FALSE(newGame(doc, clock, gameUi, {}));
    EXPECT_EQ(gameUi.sheets, 0);
    ui.answers = {Answer::No};
    EXPECT_FALSE(newGame(doc, clock, gameUi, {}));
    EXPECT_EQ(gameUi.sheets, 1);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    EXPECT_EQ(store.lineEnd(), 3);
}

TEST_F(GamePlayTest, PlayerNamesChange) {
    gameUi.names = std::make_pair(std::string("甲"), std::string("乙"));
    changePlayerNames(doc, gameUi);
    EXPECT_EQ(store.playerName(core::PlayerField::Black), std::string("甲"));
    EXPECT_EQ(store.playerName(core::PlayerField::White), std::string("乙"));
    EXPECT_TRUE(doc.modified());
    store.markClean();
    changePlayerNames(doc, gameUi);  // the same names: nothing changes
    EXPECT_FALSE(doc.modified());
}

TEST_F(GamePlayTest, WholeGameIsSavedAndReadBackWithItsTimes) {
    NewGameFields f;
    f.black = std::string("先手太郎");
    f.white = std::string("後手花子");
    f.header = {{HeaderField::StartDateTime, automaticDateText()},
                {HeaderField::Event, std::string("練習対局")}};
    gameUi.sheet = f;
    ASSERT_TRUE(newGame(doc, clock, gameUi, {}));
    EXPECT_EQ(store.header(HeaderField::StartDateTime), std::string("2026/12/09(水) 10:20:30"));
    play(77, 76, 5);
    play(33, 34, 7);
    play(27, 26, 3);
    now += 20;
    takeBack(doc, clock);  // the clock starts again for Black
    EXPECT_EQ(store.currentPly(), 2);
    EXPECT_TRUE(clock.running());
    play(28, 68, 9);
    play(51, 42, 11);
    now += 30;
    ui.answers = {Answer::Yes};
    ui.choices.push_back(FileChoice{path("game.kif"), 0});
    enterTerminal(doc, clock, core::TerminalCode::Resign);
    EXPECT_EQ(doc.mode(), ViewerMode::Viewing);
    ASSERT_FALSE(doc.modified());
    EXPECT_EQ(doc.recordPath(), path("game.kif"));

    core::RecordStore readBack;
    testsupport::RecordingUi otherUi;
    Settings otherSettings;
    otherSettings.positionAfterLoad = PositionAfterLoad::Start;
    Document other(readBack, otherSettings, otherUi);
    ASSERT_EQ(other.loadRecordFile(path("game.kif")), CommandResult::Done);
    EXPECT_EQ(readBack.playerName(core::PlayerField::Black), std::string("先手太郎"));
    EXPECT_EQ(readBack.header(HeaderField::Event), std::string("練習対局"));
    EXPECT_EQ(readBack.header(HeaderField::EndDateTime), std::string("2026/12/09(水) 10:20:30"));
    struct Expected {
        int from, to, seconds;
    };
    const Expected moves[] = {{77, 76, 5}, {33, 34, 7}, {28, 68, 9}, {51, 42, 11}};
    ASSERT_EQ(readBack.lineEnd(), 5);
    for (int ply = 1; ply <= 4; ++ply) {
        const core::MoveNode& n = readBack.node(readBack.nodeAtPly(ply));
        const Expected& e = moves[ply - 1];
        EXPECT_EQ(n.from, e.from) << ply;
        EXPECT_EQ(n.to, e.to) << ply;
        EXPECT_EQ(n.seconds, e.seconds) << ply;
    }
    const core::MoveNode& last = readBack.node(readBack.nodeAtPly(5));
    EXPECT_EQ(last.to, core::terminalByte(core::TerminalCode::Resign));
    EXPECT_EQ(last.seconds, 30);
}

}  // namespace
}  // namespace tavrel
