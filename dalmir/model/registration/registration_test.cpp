#include "dalmir/model/registration/registration.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/base/path_text.h"
#include "core/base/safe_file.h"
#include "core/formats/csa_writer.h"
#include "core/formats/kif_reader.h"
#include "core/formats/kif_writer.h"
#include "core/text/sjis.h"
#include "dalmir/model/store/binary_store.h"
#include "dalmir/model/table/index_codes.h"
#include "dalmir/model/table/index_paths.h"
#include "tests/support/interop.h"
#include "tests/support/random_record.h"
#include "tests/support/test_records.h"

namespace dalmir::model {
namespace {

using testsupport::kifRecord;
using testsupport::TempFolder;

const std::vector<std::string> kShortGame = {"７六歩(77)", "３四歩(33)", "２六歩(27)", "投了"};

// Answers questions as told and keeps what it was shown.
class RecordingHost : public OperationHost {
public:
    void status(std::string_view text) override { statuses.emplace_back(text); }
    bool cancelRequested() override { return ++polls > cancelAfterPolls; }
    void message(std::string_view text) override { messages.emplace_back(text); }
    void beep() override { ++beeps; }
    ReadErrorAnswer askReadError(std::string_view question, bool) override {
        questions.emplace_back(question);
        return readErrorAnswer;
    }
    MissingFileAnswer askDeleteMissing(std::string_view path) override {
        asked.emplace_back(path);
        return missingAnswers.empty() ? MissingFileAnswer::Keep : missingAnswers[asked.size() - 1];
    }
    void offerErrorLog(std::string_view question, std::string_view) override {
        offers.emplace_back(question);
    }

    std::vector<std::string> statuses, messages, questions, asked, offers;
    std::vector<MissingFileAnswer> missingAnswers;
    ReadErrorAnswer readErrorAnswer = ReadErrorAnswer::Continue;
    int polls = 0;
    int cancelAfterPolls = 1 << 30;
    int beeps = 0;
};

class RegistrationTest : public ::testing::Test {
protected:
    RegistrationTest() : files("reg"), db(1000), log(files.file("errorlog.txt")) {}

    Registrar registrar(RegistrationOptions options = {}) {
        return Registrar(db, extractor, log, host, options);
    }
    AddFileResult add(const std::string& path) {
        Registrar r = registrar();
        return r.addFile(path, -1, nullptr);
    }
    RunReport addFolder(FolderAdd request) {
        Registrar r = registrar();
        return r.addFolder(request);
    }
    FolderAdd folder(std::string path, bool subfolders = true, AddKind kind = AddKind::AnyRecord) {
        FolderAdd f;
        f.folder = std::move(path);
        f.subfolders = subfolders;
        f.kind = kind;
        return f;
    }
    const IndexEntry& entry(int slot) const { return db.table().entry(slot); }

    TempFolder files;
    Database db;
    RecordExtractor extractor;
    ErrorLog log;
    RecordingHost host;
};

// The kinds are stored as numbers a file may set to anything: a number without a kind of its
// own takes every record file (adding) or every path (deleting).
TEST(FolderKindTest, KindsTakeTheirExtensionsAndOtherNumbersTakeAll) {
    EXPECT_TRUE(kindTakes(AddKind::Kif, "kif"));
    EXPECT_FALSE(kindTakes(AddKind::Kif, "ki2"));
    EXPECT_TRUE(kindTakes(AddKind::KifOrKi2, "ki2"));
    EXPECT_FALSE(kindTakes(AddKind::KifOrKi2, "csa"));
    EXPECT_TRUE(kindTakes(AddKind::Bod, "bod"));
    for (int number : {5, 6, 99, -1}) {
        SCOPED_TRACE(number);
        EXPECT_TRUE(kindTakes(static_cast<AddKind>(number), "csa"));
        EXPECT_FALSE(kindTakes(static_cast<AddKind>(number), "dat"));
    }
    EXPECT_TRUE(deleteKindTakes(DeleteKind::AnyKi, "kix"));
    EXPECT_FALSE(deleteKindTakes(DeleteKind::AnyKi, "csa"));
    for (int number : {4, 5, -1}) {
        EXPECT_TRUE(deleteKindTakes(static_cast<DeleteKind>(number), "dat")) << number;
    }
}

TEST_F(RegistrationTest, ExtractsHeaderMarksAndResult) {
    std::vector<std::string> lines = kifRecord(kShortGame, "平成25年6月1日");
    lines.insert(lines.begin(), "終了日時：96/2/14");
    lines.insert(lines.begin(), "表題：第1局");
    lines.insert(lines.end() - 2, "*好手");
    lines.push_back("変化：3手");
    lines.push_back("   3 ６八銀(79)   ( 0:00/00:00:00)");
    std::string path = files.write("a.kif", lines);

    IndexEntry e;
    ASSERT_EQ(extractor.extract(path, e), ExtractResult::Ok);
    EXPECT_EQ(e.path(), path);
    EXPECT_EQ(e.blackPlayer(), std::string("羽生善治"));
    EXPECT_EQ(e.whitePlayer(), std::string("谷川浩司"));
    EXPECT_EQ(e.handicap, 0);
    EXPECT_EQ(e.start, (IndexDate{2013, 6, 1}));
    EXPECT_EQ(e.end, (IndexDate{1996, 2, 14}));
    EXPECT_EQ(e.event(), std::string("名人戦"));
    EXPECT_EQ(e.opening(), std::string("矢倉"));
    EXPECT_EQ(e.title(), std::string("第1局"));
    // Three moves and 投了 with White to move: Black wins.
    EXPECT_EQ(e.moveCount, 3);
    EXPECT_EQ(e.result, static_cast<uint8_t>(IndexResult::BlackWins));
    EXPECT_EQ(e.marks, kMarkComments | kMarkVariations);
    EXPECT_EQ(extractor.entryCount(), 4);
    EXPECT_FALSE(extractor.setUpStart());
}

TEST_F(RegistrationTest, ClosingEntriesDecideTheResult) {
    struct Case {
        std::vector<std::string> moves;
        IndexResult result;
        int count;
    };
    const std::vector<Case> cases = {
        // White is to move at the closing entry.
        {{"７六歩(77)", "投了"}, IndexResult::BlackWins, 1},
        {{"７六歩(77)", "反則負け"}, IndexResult::BlackWins, 1},
        {{"７六歩(77)", "反則勝ち"}, IndexResult::WhiteWins, 1},
        {{"７六歩(77)", "３四歩(33)", "切れ負け"}, IndexResult::WhiteWins, 2},
        {{"７六歩(77)", "持将棋"}, IndexResult::Jishogi, 1},
        {{"７六歩(77)", "千日手"}, IndexResult::Repetition, 1},
        {{"７六歩(77)", "中断"}, IndexResult::Suspended, 1},
        {{"７六歩(77)", "詰み"}, IndexResult::Mate, 1},
        {{"７六歩(77)", "不詰"}, IndexResult::None, 1},
        {{"７六歩(77)", "３四歩(33)"}, IndexResult::None, 2},
        {{}, IndexResult::None, 0},
    };
    for (const Case& c : cases) {
        std::string path = files.write("r.kif", kifRecord(c.moves));
        IndexEntry e;
        ASSERT_EQ(extractor.extract(path, e), ExtractResult::Ok);
        EXPECT_EQ(e.result, static_cast<uint8_t>(c.result)) << c.moves.back();
        EXPECT_EQ(e.moveCount, c.count);
    }
}

TEST_F(RegistrationTest, CsaFilesGoToTheCsaReader) {
    std::string path = files.write("c.csa", {"V2.2", "N+先手名人", "N-後手王将", "$EVENT:順位戦",
                                             "$START_TIME:2013/06/01 10:00:00", "PI", "+",
                                             "+7776FU", "-3334FU", "+8822UM", "%TORYO"});
    IndexEntry e;
    ASSERT_EQ(extractor.extract(path, e), ExtractResult::Ok) << extractor.errorText();
    EXPECT_EQ(e.blackPlayer(), std::string("先手名人"));
    EXPECT_EQ(e.whitePlayer(), std::string("後手王将"));
    EXPECT_EQ(e.start, (IndexDate{2013, 6, 1}));
    EXPECT_EQ(e.moveCount, 3);
    EXPECT_EQ(e.result, static_cast<uint8_t>(IndexResult::BlackWins));
    std::vector<ListMove> list;
    extractor.buildMoveList(list);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[2], (ListMove{88, 22 | core::kPromoteFlag}));
}

TEST_F(RegistrationTest, JsonKifuFilesGoToTheirReader) {
    EXPECT_TRUE(kindTakes(AddKind::AnyRecord, "jkf"));
    std::string path = files.writeBytes("j.jkf", R"({"header":{"先手":"先手名人","後手":"後手王将",
      "開始日時":"2013/06/01","棋戦":"順位戦"},
      "moves":[{},{"move":{"from":{"x":7,"y":7},"to":{"x":7,"y":6},"piece":"FU"}},
      {"move":{"from":{"x":3,"y":3},"to":{"x":3,"y":4},"piece":"FU"},"comments":["好手"]},
      {"move":{"from":{"x":8,"y":8},"to":{"x":2,"y":2},"piece":"KA","promote":true},
       "forks":[[{"move":{"from":{"x":2,"y":7},"to":{"x":2,"y":6},"piece":"FU"}}]]},
      {"special":"TORYO"}]})");
    IndexEntry e;
    ASSERT_EQ(extractor.extract(path, e), ExtractResult::Ok) << extractor.errorText();
    EXPECT_EQ(e.blackPlayer(), std::string("先手名人"));
    EXPECT_EQ(e.whitePlayer(), std::string("後手王将"));
    EXPECT_EQ(e.event(), std::string("順位戦"));
    EXPECT_EQ(e.start, (IndexDate{2013, 6, 1}));
    EXPECT_EQ(e.moveCount, 3);
    EXPECT_EQ(e.result, static_cast<uint8_t>(IndexResult::BlackWins));
    EXPECT_EQ(e.marks, kMarkComments | kMarkVariations);

    std::string bad = files.writeBytes("bad.jkf", "{\"moves\": [}");
    EXPECT_EQ(extractor.extract(bad, e), ExtractResult::ReadFailed);
    EXPECT_NE(extractor.errorText().find(std::string("JSONとして読めません。")), std::string::npos);
}

TEST_F(RegistrationTest, ReadErrorsAreLoggedAndMissingFilesAreNot) {
    std::string bad = files.write("bad.kif", kifRecord({"７六歩(77)", "９九竜王"}));
    EXPECT_EQ(add(files.file("none.kif")), AddFileResult::CannotOpen);
    EXPECT_EQ(add(bad), AddFileResult::ReadFailed);
    EXPECT_EQ(db.table().size(), 0);

    std::optional<std::string> text = core::readFile(log.path());
    ASSERT_TRUE(text);
    EXPECT_EQ(text->find("none.kif"), std::string::npos);
    EXPECT_TRUE(text->starts_with("---\r\n"));
    EXPECT_NE(text->find(std::string("棋譜読み込みエラー") + "\r\n" + bad + "\r\n"),
              std::string::npos);
    // The stamp: "%4d/%02d/%02d(曜) hh:mm:ss".
    std::string stamp = text->substr(5, text->find("\r\n", 5) - 5);
    EXPECT_EQ(core::cp932Width(stamp), 10 + 4 + 9u);
    EXPECT_EQ(stamp[4], '/');
    EXPECT_EQ(stamp[10], '(');
}

TEST_F(RegistrationTest, AskedReadErrorsMayStopTheRun) {
    std::string bad = files.write("bad.kif", kifRecord({"９九竜王"}));
    host.readErrorAnswer = ReadErrorAnswer::Stop;
    Registrar r = registrar({.quietErrors = false, .editorConfigured = false});
    EXPECT_EQ(r.addFile(bad, -1, nullptr), AddFileResult::Stopped);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_TRUE(host.questions[0].starts_with(std::string("棋譜読み込みエラー(") + bad + ")\n"));
    EXPECT_TRUE(host.questions[0].ends_with(std::string("追加を中止しますか？")));
}

TEST_F(RegistrationTest, AddingTheSameFileTwiceUpdatesItAndKeepsUserMarks) {
    std::string path = files.write("game.kif", kifRecord(kShortGame));
    RunReport first = addFolder(folder(files.path()));
    EXPECT_EQ(first.counts.added, 1);
    db.table().entry(0).marks |= kMarkUser1 | kMarkUser2;

    files.write("game.kif", kifRecord({"７六歩(77)", "投了"}, "2001/2/3"));
    RunReport second = addFolder(folder(files.path()));
    EXPECT_EQ(second.counts.added, 0);
    EXPECT_EQ(second.counts.updated, 1);
    EXPECT_EQ(second.status, std::string("追加終了　新規追加：0 更新：1（計：1）"));
    ASSERT_EQ(db.table().size(), 1);
    EXPECT_EQ(entry(0).marks, kMarkUser1 | kMarkUser2);
    EXPECT_EQ(entry(0).start, (IndexDate{2001, 2, 3}));
    EXPECT_EQ(entry(0).moveCount, 1);
}

// Paths are stored as the files are named on disk. Two files whose names differ in case are two
// records; an entry an older version stored with an upper-cased extension is the same file and
// takes the real name when the file is added again.
TEST_F(RegistrationTest, PathsAreStoredAsTheyAreOnDisk) {
    std::string lower = files.write("00051.kif", kifRecord(kShortGame));
    std::string upper = files.write("A.KIF", kifRecord(kShortGame));
    std::string other = files.write("a.kif", kifRecord(kShortGame));
    EXPECT_EQ(add(lower), AddFileResult::Added);
    EXPECT_EQ(entry(0).path(), lower);
    EXPECT_EQ(add(upper), AddFileResult::Added);
    EXPECT_EQ(add(other), AddFileResult::Added);
    EXPECT_EQ(entry(1).path(), upper);
    EXPECT_EQ(entry(2).path(), other);
    EXPECT_EQ(db.table().size(), 3);

    db.table().entry(0).setText(IndexText::Path,
                                files.file("00051.KIF"));  // as older versions stored it
    EXPECT_EQ(add(lower), AddFileResult::Updated);
    EXPECT_EQ(db.table().size(), 3);
    EXPECT_EQ(entry(0).path(), lower);
}

TEST_F(RegistrationTest, AFullTableStopsTheFolderAddAndKeepsWhatFits) {
    db.table().setCapacity(3);
    for (int i = 0; i < 5; ++i) files.write(std::to_string(i) + ".kif", kifRecord(kShortGame));
    RunReport run = addFolder(folder(files.path()));
    EXPECT_EQ(run.end, AddFileResult::TableFull);
    EXPECT_EQ(db.table().size(), 3);
    EXPECT_EQ(db.table().displayOrder().size(), 3u);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], std::string("登録が最大数(3)を超えました。"));
}

TEST_F(RegistrationTest, AFolderAddTakesTheKindSubfoldersAndFilters) {
    files.write("a.kif", kifRecord(kShortGame, "2013/06/01", "羽生善治", "森内俊之"));
    files.write("b.ki2", kifRecord(kShortGame, "2013/06/01", "佐藤康光", "渡辺明"));
    files.write("sub/c.kif", kifRecord(kShortGame, "2013/06/01", "羽生善治", "渡辺明"));
    files.write("d.txt", {"no record here"});
    files.write("e.dat", kifRecord(kShortGame));

    EXPECT_EQ(addFolder(folder(files.path(), false, AddKind::Kif)).counts.added, 1);  // a.kif
    db.reset(false);
    EXPECT_EQ(addFolder(folder(files.path(), true, AddKind::Kif)).counts.added, 2);  // + sub/c.kif
    db.reset(false);
    EXPECT_EQ(addFolder(folder(files.path(), true, AddKind::KifOrKi2)).counts.added, 3);  // + b.ki2
    db.reset(false);
    // Every record extension: d.txt reads as a record without moves; e.dat is not taken.
    EXPECT_EQ(addFolder(folder(files.path(), true, AddKind::AnyRecord)).counts.added, 4);

    db.reset(false);
    FolderAdd filtered = folder(files.path(), true, AddKind::AnyRecord);
    filtered.filters.player = std::string("渡辺");
    EXPECT_EQ(addFolder(filtered).counts.added, 2);
    db.reset(false);
    filtered.filters.player = std::string("羽生");
    filtered.filters.event = std::string("名人");
    filtered.filters.opening = std::string("振り飛車");
    EXPECT_EQ(addFolder(filtered).counts.added, 0);
}

TEST_F(RegistrationTest, TheDateFilterSkipsFilesWrittenBeforeTheDay) {
    std::string oldFile = files.write("old.kif", kifRecord(kShortGame));
    files.write("new.kif", kifRecord(kShortGame));
    struct utimbuf times {};
    std::tm t{};
    t.tm_year = 2001 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 15;
    t.tm_hour = 12;
    times.actime = times.modtime = std::mktime(&t);
    ASSERT_EQ(utime(oldFile.c_str(), &times), 0);

    FolderAdd request = folder(files.path());
    request.dateFilter = true;
    request.year = 2001;
    request.month = 1;
    request.day = 16;
    RunReport run = addFolder(request);
    EXPECT_EQ(run.counts.added, 1);
    EXPECT_EQ(core::fileNameOf(entry(0).path()), "new.kif");
    request.day = 15;
    EXPECT_EQ(addFolder(request).counts.added, 1);
}

TEST_F(RegistrationTest, SkipDuplicatesLeavesOutTheSameGameFromAnotherFile) {
    files.write("x/a.kif", kifRecord(kShortGame));
    files.write("y/b.kif", kifRecord(kShortGame));
    files.write("y/c.kif", kifRecord(kShortGame, "2013/06/02"));
    FolderAdd request = folder(files.file("x"));
    request.filters.skipDuplicates = true;
    EXPECT_EQ(addFolder(request).counts.added, 1);
    request.folder = files.file("y");
    RunReport run = addFolder(request);
    EXPECT_EQ(run.counts.added, 1);  // only c.kif: another day
    EXPECT_EQ(db.table().size(), 2);
}

TEST_F(RegistrationTest, ABinaryDatabaseRefusesRecordsItCannotHold) {
    db.reset(true);
    std::vector<std::string> diagram = {"後手の持駒：なし", "  ９ ８ ７ ６ ５ ４ ３ ２ １",
                                        "+---------------------------+"};
    diagram.push_back("| ・ ・ ・ ・v玉 ・ ・ ・ ・|一");
    for (const char* rank : {"二", "三", "四", "五", "六", "七", "八"}) {
        diagram.push_back(std::string("| ・ ・ ・ ・ ・ ・ ・ ・ ・|") + rank);
    }
    diagram.push_back("| ・ ・ ・ ・ 玉 ・ ・ ・ ・|九");
    diagram.push_back("+---------------------------+");
    diagram.push_back("先手の持駒：金");
    diagram.push_back("手数----指手---------消費時間--");
    diagram.push_back("   1 ５八玉(59)   ( 0:00/00:00:00)");
    std::string set = files.write("diagram.kif", diagram);
    std::string empty = files.write("empty.kif", kifRecord({}));
    std::string good = files.write("good.kif", kifRecord(kShortGame));

    Registrar r = registrar();
    EXPECT_EQ(r.addFile(set, -1, nullptr), AddFileResult::NotTaken);
    EXPECT_EQ(r.addFile(empty, -1, nullptr), AddFileResult::NotTaken);
    EXPECT_EQ(r.addFile(good, -1, nullptr), AddFileResult::Added);
    EXPECT_EQ(r.counts().added, 1);
    EXPECT_EQ(r.counts().updated, 0);
    ASSERT_EQ(db.table().size(), 1);
    ASSERT_EQ(db.lists().size(), 1);
    EXPECT_EQ(db.lists().list(0).size(), 4u);  // three moves and 投了
}

TEST_F(RegistrationTest, UpdateHandlesMissingFilesByMode) {
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        paths.push_back(files.write(std::to_string(i) + ".kif", kifRecord(kShortGame)));
    }
    ASSERT_EQ(addFolder(folder(files.path())).counts.added, 4);
    ASSERT_EQ(db.table().size(), 4);
    // Slot order follows the folder's order; find the slots by name.
    auto slotOf = [&](const std::string& path) { return db.table().findPath(normalisePath(path)); };
    std::filesystem::remove(paths[1]);
    std::filesystem::remove(paths[2]);
    files.write("3.kif", kifRecord(kShortGame, "2010/1/1", "新人"));

    Registrar r = registrar();
    MissingFileMode keep = MissingFileMode::Keep;
    UpdateReport kept = r.update(keep);
    EXPECT_EQ(kept.updated, 2);
    EXPECT_EQ(kept.unreadable, 2);
    EXPECT_EQ(db.table().size(), 4);
    EXPECT_EQ(entry(slotOf(paths[3])).blackPlayer(), std::string("新人"));
    EXPECT_NE(std::find(host.statuses.begin(), host.statuses.end(),
                        paths[1] + std::string("が読めませんでした。")),
              host.statuses.end());

    // Ask: the first answer is "全て削除する", which deletes this one and every later one.
    host.missingAnswers = {MissingFileAnswer::DeleteAll};
    MissingFileMode ask = MissingFileMode::Ask;
    UpdateReport asked = r.update(ask);
    EXPECT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(ask, MissingFileMode::Delete);
    EXPECT_EQ(asked.deleted, 2);
    EXPECT_EQ(db.table().size(), 2);
    EXPECT_EQ(slotOf(paths[1]), -1);
    EXPECT_EQ(slotOf(paths[2]), -1);
    EXPECT_TRUE(db.isModified());
}

TEST_F(RegistrationTest, UpdateAsksPerFileUntilTheUserAnswersForAll) {
    for (int i = 0; i < 3; ++i) files.write(std::to_string(i) + ".kif", kifRecord(kShortGame));
    ASSERT_EQ(addFolder(folder(files.path())).counts.added, 3);
    std::filesystem::remove_all(files.path());
    host.missingAnswers = {MissingFileAnswer::Keep, MissingFileAnswer::KeepAll};
    Registrar r = registrar();
    MissingFileMode mode = MissingFileMode::Ask;
    UpdateReport result = r.update(mode);
    EXPECT_EQ(host.asked.size(), 2u);
    EXPECT_EQ(mode, MissingFileMode::Keep);
    EXPECT_EQ(result.deleted, 0);
    EXPECT_EQ(db.table().size(), 3);

    // Deleting the chosen slots only.
    MissingFileMode remove = MissingFileMode::Delete;
    const int32_t chosen[] = {2, 0};
    EXPECT_EQ(r.update(remove, chosen).deleted, 2);
    EXPECT_EQ(db.table().size(), 1);
}

TEST_F(RegistrationTest, DeleteByFolderTakesTheFolderTheKindAndSubfolders) {
    files.write("db/a.kif", kifRecord(kShortGame));
    files.write("db/b.ki2", kifRecord(kShortGame));
    files.write("db/sub/c.kif", kifRecord(kShortGame));
    files.write("dbx/d.kif", kifRecord(kShortGame));  // a folder whose name only begins alike
    ASSERT_EQ(addFolder(folder(files.path())).counts.added, 4);
    ASSERT_EQ(db.table().size(), 4);

    Registrar r = registrar();
    FolderDeleteReport none = r.deleteByFolder(files.file("db"), DeleteKind::Csa, true);
    EXPECT_EQ(none.status, std::string("削除棋譜は、ありませんでした。"));
    FolderDeleteReport direct = r.deleteByFolder(files.file("db"), DeleteKind::Kif, false);
    EXPECT_EQ(direct.deleted, 1);
    EXPECT_EQ(direct.status, std::string("1 棋譜削除しました。"));
    FolderDeleteReport below = r.deleteByFolder(files.file("db") + "/", DeleteKind::AnyKi, true);
    EXPECT_EQ(below.deleted, 2);
    ASSERT_EQ(db.table().size(), 1);
    EXPECT_EQ(core::fileNameOf(entry(0).path()), "d.kif");
    EXPECT_EQ(r.deleteByFolder("", DeleteKind::All, true).code, FolderDeleteResult::NoFolder);
}

TEST_F(RegistrationTest, RelativePathsFollowTheIndexFolder) {
    files.write("db/games/a.kif", kifRecord(kShortGame));
    std::string outside = files.write("elsewhere/b.kif", kifRecord(kShortGame));
    Registrar r = registrar();
    EXPECT_EQ(r.makePathsRelative().code, PathModeResult::Unavailable);  // untitled

    db.table().setPath(files.file("db/main.DLS"));
    ASSERT_EQ(addFolder(folder(files.file("db"))).counts.added, 1);
    EXPECT_EQ(r.addFile(outside, -1, nullptr), AddFileResult::Added);
    PathModeReport on = r.makePathsRelative();
    EXPECT_EQ(on.notRelative, 1);
    EXPECT_EQ(on.message, std::string("相対パスにできない棋譜が 1局ありました。"));
    EXPECT_EQ(entry(0).path(), "games/a.kif");
    EXPECT_EQ(entry(1).path(), outside);
    // A relative entry still names the same file when added again, and a new record inside the
    // folder is stored relative.
    EXPECT_EQ(r.addFile(files.file("db/games/a.kif"), -1, nullptr), AddFileResult::Updated);
    std::string c = files.write("db/c.kif", kifRecord(kShortGame));
    EXPECT_EQ(r.addFile(c, -1, nullptr), AddFileResult::Added);
    EXPECT_EQ(entry(2).path(), "c.kif");

    EXPECT_EQ(r.makePathsAbsolute().code, PathModeResult::Ok);
    EXPECT_FALSE(db.table().settings().relativePaths);
    EXPECT_EQ(entry(0).path(), files.file("db/games/a.kif"));
    EXPECT_EQ(entry(2).path(), files.file("db/c.kif"));
}

TEST_F(RegistrationTest, MergingADlsReadsTheRecordsItLists) {
    files.write("g/a.kif", kifRecord(kShortGame));
    files.write("g/b.kif", kifRecord(kShortGame));
    ASSERT_EQ(addFolder(folder(files.file("g"))).counts.added, 2);
    ASSERT_EQ(saveDatabase(db, files.file("other.DLS")), core::WriteResult::Ok);

    Database target;
    Registrar r(target, extractor, log, host);
    RunReport run = r.addSingle(files.file("other.DLS"));
    EXPECT_EQ(run.counts.added, 2);
    EXPECT_EQ(target.table().size(), 2);
    EXPECT_EQ(target.table().settings().addPath, files.path() + "/");
    EXPECT_TRUE(target.isModified());
}

TEST_F(RegistrationTest, ASingleAddThatFailsSaysSo) {
    Registrar r = registrar();
    RunReport run = r.addSingle(files.file("missing.kif"));
    EXPECT_EQ(run.end, AddFileResult::CannotOpen);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], std::string("棋譜を登録できませんでした。"));
}

TEST_F(RegistrationTest, TheCancelFlagEndsAFolderAddWithABeep) {
    for (int i = 0; i < 30; ++i) files.write(std::to_string(i) + ".kif", kifRecord(kShortGame));
    host.cancelAfterPolls = 1;
    RunReport run = addFolder(folder(files.path()));
    EXPECT_TRUE(run.cancelled);
    EXPECT_LT(db.table().size(), 30);
    EXPECT_GE(host.beeps, 1);
    // The end says it was cancelled and what had been added by then.
    const std::string n = std::to_string(db.table().size());
    const std::string said = std::string("追加中止　新規追加：") + n +
                             std::string(" 更新：0（計：") + n + std::string("）");
    EXPECT_EQ(run.status, said);
    ASSERT_FALSE(host.statuses.empty());
    EXPECT_EQ(host.statuses.back(), said);
}

// A path the index can't hold as it is would be stored as another path (cut to a folder, cut at
// a quote or line end, or another character) and dropped by the next update although the file
// is there. Such files are refused and logged; paths that fit are taken whole.
TEST_F(RegistrationTest, PathsTheIndexCannotHoldAreRefusedAndLogged) {
    const std::string base = files.path() + "/";
    // The longest path the field holds: 259 bytes.
    const std::string deep = std::string(90, 'd') + "/" + std::string(90, 'e') + "/";
    const std::size_t fill = 259 - base.size() - deep.size() - 4;
    const std::string fits =
        files.write(deep + std::string(fill, 'f') + ".kif", kifRecord(kShortGame));
    ASSERT_EQ(fits.size(), 259u);
    const std::string plain = files.write("plain.kif", kifRecord(kShortGame));
    struct Case {
        std::string name;
        const char* message;
    };
    const std::vector<Case> refused = {
        {deep + std::string(fill + 1, 'f') + ".kif", "ファイルのパスが長すぎます。"},
        {"quote\"d.kif", "ファイル名に使えない文字があります。"},
        {"line\nfeed.kif", "ファイル名に使えない文字があります。"},
        {"minus\u2212sign.kif",
         "ファイル名に使えない文字があります。"},  // would come back as U+FF0D
        {"wave\u301Cdash.kif", "ファイル名に使えない文字があります。"},
    };
    for (const Case& c : refused) files.write(c.name, kifRecord(kShortGame));

    RunReport run = addFolder(folder(files.path()));
    EXPECT_EQ(run.counts.added, 2);
    EXPECT_EQ(run.counts.errors, static_cast<int>(refused.size()));
    ASSERT_EQ(db.table().size(), 2);
    EXPECT_GE(db.table().findPath(normalisePath(fits)), 0);
    EXPECT_GE(db.table().findPath(normalisePath(plain)), 0);
    std::optional<std::string> logged = core::readFile(log.path());
    ASSERT_TRUE(logged);
    for (const Case& c : refused) {
        EXPECT_NE(logged->find(std::string(c.message)), std::string::npos) << c.name;
    }

    // What was taken is found again by the update.
    Registrar r = registrar();
    MissingFileMode mode = MissingFileMode::Delete;
    UpdateReport updated = r.update(mode);
    EXPECT_EQ(updated.updated, 2);
    EXPECT_EQ(updated.deleted, 0);
}

// A byte that is not UTF-8 in a UTF-8 record becomes "？": the record is taken, and the warning
// with its line goes to the log and the run's report.
TEST_F(RegistrationTest, BytesThatAreNotUtf8AreTakenWithALoggedWarning) {
    std::string kif = "\xEF\xBB\xBF";
    std::vector<std::string> lines = kifRecord(kShortGame);
    lines[1] = "棋戦：名人\xFF戦";
    for (const std::string& l : lines) kif += l + "\r\n";
    const std::string kifPath = files.writeBytes("u.kif", kif);
    const std::string csaPath = files.writeBytes(
        "u.csa", "'CSA encoding=UTF-8\nV3.0\nN+先手\xC0\nN-後手\nPI\n+\n+7776FU\n%TORYO\n");

    RunReport run = addFolder(folder(files.path()));
    EXPECT_EQ(run.counts.added, 2);
    EXPECT_EQ(run.counts.errors, 0);
    EXPECT_EQ(run.counts.warnings, 2);
    EXPECT_EQ(entry(db.table().findPath(normalisePath(kifPath))).event(), std::string("名人？戦"));
    EXPECT_EQ(entry(db.table().findPath(normalisePath(csaPath))).blackPlayer(),
              std::string("先手？"));
    std::vector<std::string> expected = {kifPath + ": " + core::msgInvalidUtf8(2),
                                         csaPath + ": " + core::msgInvalidUtf8(3)};
    std::sort(run.warnings.begin(), run.warnings.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(run.warnings, expected);
    std::optional<std::string> logged = core::readFile(log.path());
    ASSERT_TRUE(logged);
    EXPECT_NE(logged->find(kifPath + "\r\n" + core::msgInvalidUtf8(2) + "\r\n"), std::string::npos);
    EXPECT_EQ(logged->find(std::string("棋譜読み込みエラー")), std::string::npos);
    ASSERT_EQ(host.offers.size(), 1u);
    EXPECT_TRUE(host.offers[0].starts_with(std::string("エラーが 2 ありました。")));
}

using RegistrationInteropTest = testsupport::WithInterop<RegistrationTest>;

TEST_F(RegistrationInteropTest, RecordsReadWithoutHarm) {
    const std::filesystem::path root = testsupport::interopFolder();
    FolderAdd request = folder(root.string());
    request.kind = AddKind::KifOrKi2;
    RunReport run = addFolder(request);
    EXPECT_GE(run.counts.added, 11);
    EXPECT_EQ(run.counts.errors, 0);
    request.kind = AddKind::Csa;
    run = addFolder(request);
    EXPECT_GE(run.counts.added, 12);
    EXPECT_GE(run.counts.added + run.counts.errors, 15);
    // UTF-8 records under their own extensions are read when added one by one.
    Registrar r = registrar();
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        std::string ext = e.path().extension().string();
        if (ext == ".kifu" || ext == ".ki2u") {
            EXPECT_EQ(r.addFile(e.path().string(), -1, nullptr), AddFileResult::Added) << e.path();
        }
    }
    int slot =
        db.table().findPath(normalisePath((root / "kif/pyshogi-habu-fujii-2006.kif").string()));
    ASSERT_GE(slot, 0);
    EXPECT_FALSE(entry(slot).blackPlayer().empty());
    EXPECT_GT(entry(slot).moveCount, 50);
    EXPECT_NE(entry(slot).result, 0);
    slot =
        db.table().findPath(normalisePath((root / "kif/shogihome-e2e05-sennichite.kifu").string()));
    ASSERT_GE(slot, 0);
    EXPECT_EQ(entry(slot).result, static_cast<uint8_t>(IndexResult::Repetition));
}

// Several folders of generated KIF and CSA records (more than one batch of read-ahead), with
// unreadable files and handicap games among them: every thread count appends the same entries
// and lists in the same order, and logs the same errors.
TEST(ParallelRegistrationTest, ThreadsGiveTheSameDatabaseBytes) {
    TempFolder files("parallel");
    std::mt19937 rng(11);
    core::RecordStore store;
    testsupport::RandomRecordOptions ro;
    ro.minPlies = 4;
    ro.maxPlies = 40;
    ro.handicapPercent = 15;
    for (int i = 0; i < 600; ++i) {
        std::string name = "records/f" + std::to_string(i % 7) + "/sub" + std::to_string(i % 3) +
                           "/" + std::to_string(i);
        if (i % 97 == 5) {
            (void)files.write(name + ".kif", kifRecord({"７六歩(77)", "９九竜王"}));
            continue;
        }
        testsupport::makeRandomRecord(store, rng, ro);
        core::RecordWriteOptions options;
        if (i % 2 == 0) {
            (void)files.writeBytes(name + ".csa", core::csaText(store));
        } else {
            (void)files.writeBytes(name + ".kif", core::kifText(store, options));
        }
    }
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        std::vector<std::string> dls, dlb, logs;
        std::vector<int> added;
        for (int threads : {1, 2, 5}) {
            Database db(1000);
            db.reset(binary);
            RecordExtractor extractor;
            const std::string logPath = files.path() + "/log" + std::to_string(threads) + ".txt";
            ErrorLog log(logPath);
            OperationHost host;
            RegistrationOptions options;
            options.threads = threads;
            Registrar registrar(db, extractor, log, host, options);
            FolderAdd request;
            request.folder = files.path() + "/records";
            request.subfolders = true;
            request.kind = AddKind::AnyRecord;
            RunReport run = registrar.addFolder(request);
            added.push_back(run.counts.added);
            dls.push_back(formatDls(db.table()));
            dlb.push_back(formatDlb(db.lists(), db.table().size()));
            std::optional<std::string> logText = core::readFile(logPath);
            // Without the lines that carry the time of writing.
            std::string kept;
            std::istringstream lines(logText ? *logText : std::string());
            for (std::string l; std::getline(lines, l);) {
                if (l.find(':') == std::string::npos || l.find('/') == std::string::npos) {
                    kept += l + "\n";
                }
            }
            logs.push_back(kept);
            EXPECT_GT(run.counts.errors, 0);
        }
        EXPECT_GT(added[0], 400);
        for (std::size_t k = 1; k < dls.size(); ++k) {
            EXPECT_EQ(added[k], added[0]);
            EXPECT_EQ(dls[k], dls[0]);
            EXPECT_EQ(dlb[k], dlb[0]);
            EXPECT_EQ(logs[k], logs[0]);
        }
    }
}

}  // namespace
}  // namespace dalmir::model
