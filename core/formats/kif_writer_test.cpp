#include "core/formats/kif_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/formats/writer_test_fixture.h"
#include "core/rules/legality.h"

namespace core {
namespace {

using testsupport::golden;
using testsupport::readable;
using testsupport::RecordBuilder;

class KifWriterTest : public ::testing::Test {
protected:
    RecordStore store;
    RecordBuilder play{store};
    RecordWriteOptions options;

    std::string kif() { return kifText(store, options); }

    // 1.７六歩 2.３四歩 3.６六歩 4.８四歩 5.２六歩 6.８五歩, with ５六歩 as an alternative at 5
    // and ２六歩-投了 at 3; times, comments and bookmarks on the way. Ends at the alternative 3.
    void buildVariations() {
        store.setHeader(HeaderField::StartDateTime, "2024/01/02 10:00");
        store.setHeader(HeaderField::Event, std::string("テスト棋戦"));
        store.setPlayerName(PlayerField::Black, std::string("先手太郎"));
        store.setPlayerName(PlayerField::White, std::string("後手花子"));
        play.comment("開始局面のコメント");
        play.bookmark("開始");
        play.move(77, 76, 1);
        play.comment("一行目\n二行目\n三行目");
        play.move(33, 34, 2);
        play.bookmark("しおり一");
        play.move(67, 66, 3);
        play.move(83, 84, 4);
        play.move(27, 26, 3);
        play.move(84, 85, 65);
        play.back(4);
        play.move(57, 56, 2);
        play.back(2);
        play.move(27, 26, 5);
        play.end(TerminalCode::Resign, 10);
    }

    void buildMatingProblem() {
        testsupport::setUpMatingProblem(store);
        play.drop(kGold, 52);
        play.move(51, 52);
        play.drop(kGold, 53);
        play.move(52, 53);
        play.end(TerminalCode::Mate);
        play.back(2);
        play.drop(kGold, 62);
        play.end(TerminalCode::Mate);
    }
};

TEST_F(KifWriterTest, VariationsFollowTheMainLineWithTimesCommentsAndBookmarks) {
    buildVariations();
    EXPECT_EQ(readable(kif()), readable(golden("even_variations.kif")));
    EXPECT_EQ(kif(), golden("even_variations.kif"));
}

TEST_F(KifWriterTest, ClipboardCurrentLineHasNoMarksNorVariations) {
    buildVariations();
    std::string text = kifClipboardText(store, true, options);
    EXPECT_EQ(readable(text), readable(golden("even_variations_clip.kif")));
    EXPECT_EQ(text, golden("even_variations_clip.kif"));
}

TEST_F(KifWriterTest, ClipboardWholeRecordDiffersOnlyInTitleFlipAndShortNames) {
    buildVariations();
    store.setFlipped(true);
    store.setPlayerName(PlayerField::BlackShort, std::string("太郎"));
    options.kifOmitZeroTimes = true;
    std::string file = kif();
    EXPECT_NE(file.find(std::string("盤面回転\r\n")), std::string::npos);
    EXPECT_NE(file.find(std::string("先手省略名：太郎\r\n")), std::string::npos);
    std::string clip = kifClipboardText(store, false, options);
    std::string expected = golden("even_variations.kif");
    expected.replace(0, expected.find("\r\n"),
                     std::string("# ----  Tavrel V6.54 棋譜ファイル  ----"));
    EXPECT_EQ(readable(clip), readable(expected));
}

TEST_F(KifWriterTest, MatingProblemWithoutTimesWritesTheBoardAndMateInN) {
    buildMatingProblem();
    options.kifOmitZeroTimes = true;
    EXPECT_EQ(readable(kif()), readable(golden("mating_problem.kif")));
    EXPECT_EQ(kif(), golden("mating_problem.kif"));
}

TEST_F(KifWriterTest, OneNonZeroTimeBringsTheTimeColumnBackForEveryMove) {
    buildMatingProblem();
    options.kifOmitZeroTimes = true;
    ASSERT_EQ(store.setSeconds(store.nodeAtPly(1), 1), EditResult::Ok);
    std::string text = kif();
    EXPECT_NE(text.find(std::string("手数----指手---------消費時間--\r\n")), std::string::npos);
    EXPECT_NE(text.find(std::string(
                  "   1 ５二金打     ( 0:01/00:00:01)\r\n   2 同　玉(51)   ( 0:00/00:00:00)\r\n")),
              std::string::npos)
        << readable(text);
    // The clipboard always carries the time column.
    store.clearAllTimes();
    EXPECT_NE(kifClipboardText(store, false, options).find(std::string("消費時間--")),
              std::string::npos);
}

TEST_F(KifWriterTest, EvenGameAlwaysWritesTheHandicapLineAndNoDiagram) {
    play.move(77, 76);
    std::string text = kif();
    EXPECT_NE(text.find(std::string("\r\n手合割：平手　　\r\n先手：\r\n後手：\r\n")),
              std::string::npos);
    EXPECT_EQ(text.find("+----"), std::string::npos);
    EXPECT_TRUE(text.ends_with(std::string("   1 ７六歩(77)   ( 0:00/00:00:00)\r\n\r\n")));
}

TEST_F(KifWriterTest, PromotedLanceAndPromotingLanceAndDragonSpelling) {
    Position p;
    clearPosition(p);
    p.cells[59] = makePiece(kSideBlack, kKing);
    p.cells[51] = makePiece(kSideWhite, kKing);
    p.cells[33] = makePiece(kSideBlack, kPromotedLance);
    p.cells[13] = makePiece(kSideBlack, kLance);
    p.cells[98] = makePiece(kSideBlack, kDragon);
    buildPieceList(p);
    fillWhiteHandWithRest(p);
    buildPieceList(p);
    store.setCustomStart(true);
    store.position() = p;
    store.saveStartPosition(p);
    play.move(33, 22);
    play.move(51, 41);
    play.promote(13, 12);
    play.move(41, 51);
    play.move(98, 92);
    std::string text = kif();
    EXPECT_NE(text.find(std::string("   1 ２二成香(33) ")), std::string::npos) << readable(text);
    EXPECT_NE(text.find(std::string("   3 １二香成(13) ")), std::string::npos);
    EXPECT_NE(text.find(std::string("   5 ９二龍(98)   ")), std::string::npos);
    options.dragonAsRyu = true;
    EXPECT_NE(kif().find(std::string("   5 ９二竜(98)   ")), std::string::npos);
}

TEST_F(KifWriterTest, HeaderFieldsInFileOrderAndUserFieldsTakeOverTheirNames) {
    store.setHeader(HeaderField::Remarks, std::string("備考の値"));
    store.setHeader(HeaderField::MoveCount, "17");
    store.setHeader(HeaderField::Source, std::string("出典の値"));
    store.setHeader(HeaderField::Author, std::string("作者の値"));
    store.setHeader(HeaderField::PublishedIn, std::string("掲載の値"));
    store.setHeader(HeaderField::Title, std::string("表題の値"));
    std::string text = kif();
    std::string expected = std::string(
        "表題：表題の値\r\n掲載：掲載の値\r\n作者：作者の値\r\n出典：出典の値\r\n手数：17\r\n"
        "備考：備考の値\r\n手合割：");
    EXPECT_NE(text.find(expected), std::string::npos) << readable(text);

    // A user key named like a fixed field replaces it: "作者" as soon as the key exists,
    // "掲載" only when its user value is set, "備考" also for a key named "記事".
    options.userKeys = {std::string("作者"), std::string("掲載"), std::string("記事"), "",
                        std::string("相手アドレス")};
    store.setHeader(HeaderField::User1, std::string("ユーザ作者"));
    store.setHeader(HeaderField::User5, "someone@example.com");
    text = kif();
    EXPECT_EQ(text.find(std::string("作者：作者の値")), std::string::npos);
    EXPECT_NE(text.find(std::string("掲載：掲載の値")), std::string::npos);
    EXPECT_EQ(text.find(std::string("備考：")), std::string::npos);
    EXPECT_NE(text.find(std::string(
                  "手数：17\r\n作者：ユーザ作者\r\n相手アドレス：someone@example.com\r\n")),
              std::string::npos)
        << readable(text);
    store.setHeader(HeaderField::User2, std::string("ユーザ掲載"));
    EXPECT_EQ(kif().find(std::string("掲載：掲載の値")), std::string::npos);
}

TEST_F(KifWriterTest, HandicapRecordUsesUpperAndLowerWords) {
    store.setHandicap(6);  // 二枚落ち
    store.setFirstMover(kSideWhite);
    setupHandicap(store.position(), 6);
    store.saveStartPosition();
    play.move(51, 52);
    play.end(TerminalCode::Resign);
    std::string text = kif();
    EXPECT_NE(text.find(std::string("手合割：二枚落ち\r\n下手：\r\n上手：\r\n")), std::string::npos)
        << readable(text);
    EXPECT_TRUE(text.ends_with(std::string("まで1手で上手の勝ち\r\n")));
}

// The end-of-line text of every terminal code, for an even game and a handicap game.
TEST_F(KifWriterTest, EndOfLineTextForEveryTerminalCode) {
    struct Case {
        TerminalCode code;
        const char* even;      // Black made the last real move (ply 1), White to move
        const char* handicap;  // White (上手) made the last real move, 下手 to move
    };
    const Case cases[] = {
        {TerminalCode::Resign, "まで1手で先手の勝ち", "まで1手で上手の勝ち"},
        {TerminalCode::Suspend, "まで1手で中断", "まで1手で中断"},
        {TerminalCode::FoulLoss, "まで1手で後手の反則負け", "まで1手で下手の反則負け"},
        {TerminalCode::FoulWin, "まで1手で後手の反則勝ち", "まで1手で下手の反則勝ち"},
        {TerminalCode::Impasse, "まで1手で持将棋", "まで1手で持将棋"},
        {TerminalCode::Mate, "まで1手で詰", "まで1手で詰"},
        {TerminalCode::Repetition, "まで1手で千日手", "まで1手で千日手"},
        {TerminalCode::NoMate, "まで1手で不詰", "まで1手で不詰"},
        {TerminalCode::TimeLoss, "まで1手で時間切れにより先手の勝ち",
         "まで1手で時間切れにより上手の勝ち"},
        {TerminalCode::EnteringKingWin, "まで1手で後手の入玉勝ち", "まで1手で下手の入玉勝ち"},
    };
    for (bool handicap : {false, true}) {
        for (const Case& c : cases) {
            RecordStore s;
            if (handicap) {
                s.setHandicap(1);
                s.setFirstMover(kSideWhite);
                setupHandicap(s.position(), 1);
                s.saveStartPosition();
            }
            RecordBuilder b(s);
            b.move(handicap ? 33 : 77, handicap ? 34 : 76);
            b.end(c.code);
            NodeIndex terminal = s.node(s.nodeAtPly(1)).next;
            ASSERT_NE(terminal, kNoNode);
            std::string expected = std::string(handicap ? c.handicap : c.even);
            EXPECT_EQ(readable(endOfLineText(s, terminal, 2)), readable(expected));
            EXPECT_TRUE(kifText(s, options).ends_with(expected + "\r\n"));
        }
    }
}

TEST_F(KifWriterTest, MateInNWhenAuthorIsSetOrBlackHasNoKing) {
    play.move(77, 76);
    play.end(TerminalCode::Mate);
    NodeIndex terminal = store.node(store.nodeAtPly(1)).next;
    EXPECT_EQ(readable(endOfLineText(store, terminal, 2)), "まで1手で詰");
    store.setHeader(HeaderField::Author, std::string("作者"));
    EXPECT_EQ(readable(endOfLineText(store, terminal, 2)), "まで1手詰");
}

TEST(CommentLinesTest, WrapsAfterTheColumnNeverInsideATwoByteCharacter) {
    RecordWriteOptions options;
    options.commentWrap = true;
    options.commentWrapColumn = 5;
    struct Case {
        const char* comment;
        const char* lines;
    };
    const Case cases[] = {
        {"abcdefghij\n", "*abcde\n*fghij\n"},  // exactly two widths: no empty third line
        {"abcdefghijk\n", "*abcde\n*fghij\n*k\n"},
        {"ab漢字かな\n", "*ab漢\n*字か\n*な\n"},  // 5 bytes would split 字
        {"一二三\n\n四\n", "*一二\n*三\n*\n*四\n"},
        {"no newline", "*no ne\n*wline\n"},
    };
    for (const Case& c : cases) {
        std::string out;
        appendCommentLines(out, std::string(c.comment), options);
        std::string expected = std::string(c.lines);
        std::string crlf;
        for (char ch : expected) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        EXPECT_EQ(readable(out), readable(crlf)) << c.comment;
    }
    // Off, a long line stays whole; a column narrower than a character still moves on.
    options.commentWrap = false;
    std::string out;
    appendCommentLines(out, std::string("あいうえおかきくけこ\n"), options);
    EXPECT_EQ(out, std::string("*あいうえおかきくけこ\r\n"));
    options.commentWrap = true;
    options.commentWrapColumn = 1;
    out.clear();
    appendCommentLines(out, std::string("あい\n"), options);
    EXPECT_EQ(out, std::string("*あ\r\n*い\r\n"));
}

TEST_F(KifWriterTest, WriteFileMovesTheLoadBookmarkAndCleansTheStore) {
    buildVariations();
    ASSERT_EQ(store.goTo(store.nodeAtPly(2)), EditResult::Ok);
    ASSERT_EQ(store.setBookmark(store.nodeAtPly(1), std::string("読み込み時表示")),
              BookmarkResult::Ok);
    options.loadPosition = 3;
    ASSERT_EQ(store.goTo(store.nodeAtPly(4)), EditResult::Ok);
    std::string path = ::testing::TempDir() + "kif_writer_test.kif";
    ASSERT_GT(store.dirty(), 0u);
    ASSERT_EQ(writeKifFile(store, path, options), WriteResult::Ok);
    EXPECT_EQ(store.dirty(), 0u);
    EXPECT_EQ(store.bookmarkByName(std::string("読み込み時表示")), store.nodeAtPly(4));
    EXPECT_EQ(readFile(path).value_or(""), utf8ToCp932(kif()).text);

    // A current node with a bookmark of its own keeps it.
    ASSERT_EQ(store.goTo(store.nodeAtPly(2)), EditResult::Ok);
    markLoadPosition(store, options);
    EXPECT_EQ(readable(store.bookmarkAt(store.bookmarkOf(store.nodeAtPly(2)))->name), "しおり一");
    std::filesystem::remove(path);

    EXPECT_EQ(writeKifFile(store, "/nonexistent-folder/x.kif", options), WriteResult::CannotCreate);
}

}  // namespace
}  // namespace core
