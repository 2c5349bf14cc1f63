#include "core/templates/template_expander.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/templates/template_test_fixture.h"

namespace core {
namespace {

namespace fs = std::filesystem;
using testsupport::kGame;
using testsupport::TemplateTest;

TEST_F(TemplateTest, CommonPlaceholdersInEveryTextContext) {
    load(kGame);
    go(4);
    struct Case {
        const char* tpl;
        const char* expected;
    };
    const Case cases[] = {
        {"%%n", "%n"},
        {"abc%", "abc"},
        {"%n", "4"},
        {"%b/%w", "先手太郎/後手花子"},
        {"%g", "2013/02/01"},
        {"%e", "2013/02/01"},
        {"%i %s %u %m %r", "名人戦 角換わり 第1局 各6時間 新聞"},
        {"%5", "hanako@example.jp"},
        {"%1", ""},
        {"%y %t", "2013/02/01 09:05:07"},
        {"%f", "game"},
    };
    for (TemplateContext context :
         {TemplateContext::InfoLine, TemplateContext::PositionFile,
          TemplateContext::PositionClipboard, TemplateContext::MailFile}) {
        for (const Case& c : cases) {
            EXPECT_EQ(expand(c.tpl, context), c.expected)
                << c.tpl << " in context " << static_cast<int>(context);
        }
    }
    EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(TemplateTest, MoveTextsAtTheStartAndAfterMoves) {
    load(kGame);
    go(0);
    EXPECT_EQ(expand("[%n|%a|%A|%L|%p|%P]", TemplateContext::PositionFile), "[0|||||]");
    go(1);
    EXPECT_EQ(expand("[%a|%A|%p|%P]", TemplateContext::PositionFile), "[７六歩|▲７六歩||]");
    go(4);
    // Traditional style: a repeated square is written with its coordinates and "同".
    EXPECT_EQ(expand("%a|%l|%A|%L", TemplateContext::PositionFile),
              "２二同銀|２二同銀|△２二同銀|△２二銀");
    EXPECT_EQ(expand("%p|%P", TemplateContext::PositionFile), "２二角成|▲２二角成");

    options.moveStyle = 3;
    EXPECT_EQ(expand("%A|%P", TemplateContext::PositionFile), "▽２二同銀|▲２二角成");
    options.moveStyle = 1;
    EXPECT_EQ(expand("%A", TemplateContext::PositionFile), "▽同　銀(31)");
    options.moveStyle = 0;
    EXPECT_EQ(expand("%a|%A|%L", TemplateContext::PositionFile),
              "同　銀(31)|△同　銀(31)|△同　銀(31)");
    options.moveStyle = 2;
    options.ruleCheck = false;
    EXPECT_EQ(expand("%a", TemplateContext::PositionFile), "同　銀(31)");
}

TEST_F(TemplateTest, UserMarksFollowTheContextsSwitch) {
    load(kGame);
    go(1);
    options.userMarks[static_cast<std::size_t>(GlyphTarget::Display)] = true;
    const std::string user = expander.expand("%A", TemplateContext::InfoLine);
    EXPECT_EQ(user.substr(0, 3), "\xEE\x81\xA6");
    EXPECT_EQ(expand("%A", TemplateContext::PositionFile), "▲７六歩");
    options.userMarks[static_cast<std::size_t>(GlyphTarget::File)] = true;
    EXPECT_EQ(expander.expand("%A", TemplateContext::PositionFile).substr(0, 3), "\xEE\x81\xA6");
    // Mail never uses them.
    options.userMarks.fill(true);
    EXPECT_EQ(expand("%A", TemplateContext::MailFile), "▲７六歩");
}

TEST_F(TemplateTest, DateFieldsCutAndWhole) {
    load(kGame);
    EXPECT_EQ(expand("%g|%G|%e|%E", TemplateContext::InfoLine),
              "2013/02/01|2013/02/01(金) 10:00|2013/02/01|2013/02/01 18:30");
    // Contexts that do not tell the cases apart read %G as %g.
    EXPECT_EQ(expand("%G", TemplateContext::PositionFile), "2013/02/01");
    // Print headers give the whole fields.
    EXPECT_EQ(expand("%g", TemplateContext::PrintPosition), "2013/02/01(金) 10:00");
}

TEST_F(TemplateTest, MatingProblemFields) {
    load(kGame);
    EXPECT_EQ(expand("%/3|%/4|%/a|%/A|%/b|", TemplateContext::InfoLine), "某氏|月刊誌|大賞|大賞||");
    EXPECT_EQ(expand("x%/", TemplateContext::InfoLine).substr(0, 1), "x");
}

TEST_F(TemplateTest, InformationLinesArePaddedTo20Bytes) {
    load(kGame);
    EXPECT_EQ(toUtf8Lossy(informationLine(expander, "%n")), "0                   ");
    std::string longer = informationLine(expander, std::string("%g %i"));
    EXPECT_EQ(cp932Width(longer), 20u);
    EXPECT_EQ(informationLine(expander, "12345678901234567890123").size(), 23u);
}

TEST_F(TemplateTest, UnknownPlaceholderPerContext) {
    load(kGame);
    EXPECT_EQ(expand("a%qb", TemplateContext::InfoLine), "a%qb");
    EXPECT_EQ(expand("a%qb", TemplateContext::ImageName), "a%qb");
    EXPECT_EQ(expand("a%qb", TemplateContext::PositionFile), "ab");
    EXPECT_EQ(expand("a%qb", TemplateContext::PrintPosition), "ab");
    EXPECT_EQ(expand("a%qb", TemplateContext::ToolCommand), "ab");
    EXPECT_TRUE(recorder.errors.empty());

    EXPECT_EQ(expand("a%qb", TemplateContext::PositionClipboard), "ab");
    EXPECT_EQ(expand("%r", TemplateContext::EnglishBoard), "");
    EXPECT_EQ(expand("%g", TemplateContext::MailClipboard), "");
    // A two-byte character after "%" is reported whole and skipped whole.
    EXPECT_EQ(expand("%歩x", TemplateContext::PositionClipboard), "x");
    ASSERT_EQ(recorder.errors.size(), 4u);
    EXPECT_EQ(recorder.errors[0], std::make_pair(std::string("局面書式エラー"),
                                                 std::string("%q は、使用できません。")));
    EXPECT_EQ(recorder.errors[1].first, "盤面書式エラー");
    EXPECT_EQ(recorder.errors[1].second, "%r は、使用できません。");
    EXPECT_EQ(recorder.errors[2].first, "メール書式エラー");
    EXPECT_EQ(recorder.errors[3].second, "%歩 は、使用できません。");
}

TEST_F(TemplateTest, LettersDifferingBetweenContexts) {
    load(kGame);
    go(2);
    // "%h": the site, or the player who made the last move; "%o" the player to move.
    EXPECT_EQ(expand("%h", TemplateContext::InfoLine), "東京");
    EXPECT_EQ(expand("%h", TemplateContext::PositionClipboard), "東京");
    EXPECT_EQ(expand("%h|%o", TemplateContext::PositionFile), "後手花子|先手太郎");
    EXPECT_EQ(expand("%h|%O", TemplateContext::MailFile), "後手花子|先手太郎");
    // "%F": folder and name, except in the image name and the simple mail.
    EXPECT_EQ(expand("%F", TemplateContext::PositionFile), "/home/u/kifu/game");
    EXPECT_EQ(expand("%f|%F", TemplateContext::SimpleMail), "game.kif|/home/u/kifu/game.kif");
    // Info lines do not know "%F"; the letter folds onto "%f".
    EXPECT_EQ(expand("%F", TemplateContext::InfoLine), "game");
    EXPECT_EQ(expand("%{", TemplateContext::PositionFile), "{");
    EXPECT_EQ(expand("%c", TemplateContext::PositionFile), "\r\n");
    EXPECT_EQ(expand("%c", TemplateContext::MailLink), "%0D%0A");
    EXPECT_EQ(expand("%d", TemplateContext::InfoLine), "%d");
}

TEST_F(TemplateTest, CommentForms) {
    load(kGame);
    go(1);
    EXPECT_EQ(expand("%*", TemplateContext::InfoLine), "初手のコメント\n");
    EXPECT_EQ(expand("%*", TemplateContext::PositionFile), "*初手のコメント\r\n");
    EXPECT_EQ(expand("%*", TemplateContext::MailLink), "*初手のコメント%0D%0A");
    EXPECT_EQ(expand("[%*]", TemplateContext::ImageName), "[初手のコメント]");
    go(2);
    EXPECT_EQ(expand("%*", TemplateContext::PositionFile), "");
}

TEST_F(TemplateTest, HeaderBlockOnlyAtTheStartWithZeroI) {
    load(kGame);
    const std::string block = expand("%I", TemplateContext::PositionFile);
    EXPECT_NE(block.find("棋戦：名人戦\r\n"), std::string::npos) << block;
    EXPECT_NE(block.find("相手アドレス：hanako@example.jp\r\n"), std::string::npos);
    EXPECT_EQ(expand("%0i", TemplateContext::PositionFile), block);
    EXPECT_EQ(expand("%0I", TemplateContext::PositionClipboard), block);
    go(1);
    EXPECT_EQ(expand("%0i|", TemplateContext::PositionFile), "|");
    // Simple mail keeps "%0"; the mail link keeps URL escapes.
    EXPECT_EQ(expand("a%0D%0Ab", TemplateContext::SimpleMail), "a%0D%0Ab");
    EXPECT_EQ(expand("a%0D%0Ab", TemplateContext::MailLink), "a%0D%0Ab");
}

TEST_F(TemplateTest, VariationOrMainLine) {
    load(kGame);
    ASSERT_EQ(store.goToPly(1), EditResult::Ok);
    NodeIndex alt = store.node(store.node(store.current()).next).sibling;
    ASSERT_NE(alt, kNoNode);
    ASSERT_EQ(store.goTo(alt), EditResult::Ok);
    EXPECT_EQ(expand("%+", TemplateContext::InfoLine), "変化手順");
    EXPECT_EQ(expand("%+", TemplateContext::ImageName), "変化手順");
    ASSERT_EQ(store.goToPly(2), EditResult::Ok);
    ASSERT_EQ(store.goTo(store.node(store.nodeAtPly(1)).next), EditResult::Ok);
    EXPECT_EQ(expand("%+", TemplateContext::InfoLine), "本手順");
    EXPECT_EQ(expand("%+", TemplateContext::PositionFile), "");
}

TEST_F(TemplateTest, FileIncludes) {
    load(kGame);
    const fs::path dir = fs::path(testing::TempDir()) / "tpl_include";
    fs::create_directories(dir);
    {
        std::ofstream f(dir / "part.txt", std::ios::binary);
        f << "\x91\x7D\x93\xFC\r\n";  // Shift-JIS
    }
    {
        std::ofstream f(dir / "part8.txt", std::ios::binary);
        f << "挿入\r\n";  // UTF-8
    }
    env.currentFolder = dir.string();
    EXPECT_EQ(expand("[%\"part.txt\"]", TemplateContext::PositionFile), "[挿入\r\n]");
    EXPECT_EQ(expand("[%\"" + (dir / "part.txt").string() + "\"]", TemplateContext::EnglishBoard),
              "[挿入\r\n]");
    EXPECT_EQ(expand("[%\"part8.txt\"]", TemplateContext::PositionFile), "[挿入\r\n]");
    EXPECT_TRUE(recorder.errors.empty());

    EXPECT_EQ(expand("[%\"missing.txt\"]", TemplateContext::PositionFile), "[]");
    EXPECT_EQ(expand("[%\"open", TemplateContext::PositionFile), "[open");
    // Print headers skip the name and read nothing.
    EXPECT_EQ(expand("[%\"part.txt\"]", TemplateContext::PrintPosition), "[]");
    ASSERT_EQ(recorder.errors.size(), 2u);
    EXPECT_EQ(recorder.errors[0].first, "Tavrel");
    EXPECT_EQ(recorder.errors[0].second,
              "ファイル(missing.txt)が読めません。\nカレントフォルダ=" + dir.string());
    EXPECT_EQ(recorder.errors[1].second, "ファイル名の指定が正しくありません。");

    // A file beyond the size bound is refused like an unreadable one.
    {
        std::ofstream f(dir / "big.txt", std::ios::binary);
        f << std::string(kMaxIncludeBytes + 1, 'x');
    }
    EXPECT_EQ(expand("%\"big.txt\"", TemplateContext::PositionFile), "");
    EXPECT_EQ(recorder.errors.size(), 3u);
    fs::remove_all(dir);
}

TEST_F(TemplateTest, MailContexts) {
    load(kGame);
    go(0);
    const std::string subject = "第%n手、%Pに%Lです。";
    EXPECT_EQ(expand(subject, TemplateContext::MailFile), "第0手、にです。");
    EXPECT_EQ(expand(subject, TemplateContext::MailClipboard), "第0手、にです。");
    EXPECT_EQ(expand(subject, TemplateContext::MailLink), "第0手、開始局面にです。");
    EXPECT_EQ(expand(subject, TemplateContext::SimpleMail), "第0手、開始局面にです。");
    go(2);
    // The mover comes from the side to move: Black is to move, so White made move 2.
    EXPECT_EQ(expand(subject, TemplateContext::MailFile), "第2手、▲７六歩に△３四歩です。");
    EXPECT_EQ(expand("%k", TemplateContext::SimpleMail), "");
    const std::string record = expand("%K", TemplateContext::MailFile);
    EXPECT_NE(record.find("▲７六歩"), std::string::npos) << record;
    const std::string linkRecord = expand("%k", TemplateContext::MailLink);
    EXPECT_EQ(linkRecord.find("\r\n"), std::string::npos);
    EXPECT_NE(linkRecord.find("%0D%0A"), std::string::npos);

    // "%D": the whole position text with its side-to-move line.
    const std::string position = expand("%D", TemplateContext::MailFile);
    EXPECT_NE(position.find("後手の持駒：なし"), std::string::npos) << position;
    EXPECT_NE(position.find("手数＝2  △３四歩  まで\r\n"), std::string::npos) << position;

    MailTexts texts = mailTexts(expander, TemplateContext::MailLink);
    EXPECT_EQ(toUtf8Lossy(texts.recipient), "hanako@example.jp");
    EXPECT_EQ(toUtf8Lossy(texts.subject), "第2手、▲７六歩に△３四歩です。");
    EXPECT_EQ(toUtf8Lossy(texts.body).rfind("先手太郎さん、こんにちは。%0D%0A%0D%0A", 0), 0u);
    const std::string url = toUtf8Lossy(mailLinkUrl(texts));
    EXPECT_EQ(url.rfind("mailto:hanako@example.jp?subject=第2手", 0), 0u);
    EXPECT_NE(url.find("です。&body=先手太郎さん"), std::string::npos);
    EXPECT_EQ(url.find("\r\n"), std::string::npos);
    EXPECT_TRUE(recorder.errors.empty());
}

// The texts a mail link takes from the record are percent-encoded where a mailto link would read
// them as its own syntax: a name or comment cannot add a header, cut the body or end the link.
// The template's own characters (its "%0D%0A" escapes, its "&" between fields) stay as written.
TEST_F(TemplateTest, MailLinkValuesCannotAddHeaders) {
    std::vector<std::string> lines = kGame;
    lines[11] = "相手アドレス：a@b.jp?bcc=c@d.jp";
    lines[12] = "先手：a&cc=x@y#z";
    lines[13] = "後手：50% off+\"q\" <r>";
    lines[16] = "*初手の&attach=/etc/passwd";
    load(lines);
    EXPECT_EQ(expand("%b|%w", TemplateContext::MailLink),
              "a%26cc%3Dx@y%23z|50%25%20off%2B%22q%22%20%3Cr%3E");
    EXPECT_EQ(expand("%b|%w", TemplateContext::SimpleMail), "a&cc=x@y#z|50% off+\"q\" <r>");
    go(1);
    EXPECT_EQ(expand("%*&x=1%0D%0A", TemplateContext::MailLink),
              "*初手の%26attach%3D/etc/passwd%0D%0A&x=1%0D%0A");
}

// Records what a print back end is asked to do.
class WalkRecorder : public TemplateSink {
public:
    std::vector<std::string> events;
    void text(std::string_view s) override { events.push_back("text:" + toUtf8Lossy(s)); }
    void lineBreak() override { events.push_back("br"); }
    void block(TemplateBlock b) override {
        events.push_back("block:" + std::to_string(static_cast<int>(b)));
    }
    void centreRest() override { events.push_back("centre"); }
};

TEST_F(TemplateTest, PrintHeaderWalk) {
    load(kGame);
    go(1);
    ASSERT_EQ(store.setBookmark(store.current(), std::string("序盤")), BookmarkResult::Ok);
    WalkRecorder walk;
    const int before = ticks;
    expander.expand(options.printPositionTemplate, TemplateContext::PrintPosition, walk);
    EXPECT_EQ(ticks, before + 1);
    const std::vector<std::string> expected = {"text:印刷：",
                                               "text:2013/02/01",
                                               "text: ",
                                               "text:09:05:07",
                                               "br",
                                               "br",
                                               "text:game",
                                               "br",
                                               "centre",
                                               "text:【",
                                               "text:序盤",
                                               "text:第",
                                               "text:1",
                                               "text:手",
                                               "text:▲７六歩",
                                               "text:まで】",
                                               "br",
                                               "block:0",
                                               "text:初手のコメント",
                                               "br"};
    EXPECT_EQ(walk.events, expected);

    WalkRecorder record;
    expander.expand(std::string("a&&b&xc%k%K&"), TemplateContext::PrintRecord, record);
    const std::vector<std::string> expectedRecord = {"text:a&bc", "block:1", "block:2"};
    EXPECT_EQ(record.events, expectedRecord);
}

TEST_F(TemplateTest, ImageNames) {
    load(kGame);
    go(3);
    now = {2005, 11, 15, 23, 4, 5};
    EXPECT_EQ(toUtf8Lossy(imageFileName(expander)), "/home/u/Documents/game3手.gif");
    EXPECT_EQ(expand("%Y|%y|%T|%t", TemplateContext::ImageName), "20051115|05Nov15|230405|230405");
    EXPECT_EQ(expand("%E|%p|%K|%D", TemplateContext::ImageName),
              "/home/u/Desktop/|/home/u/Pictures/|/home/u/kifu|/opt/tavrel/");
    EXPECT_EQ(expand("%F|%b|%W|%n|%a|%A", TemplateContext::ImageName),
              "/home/u/kifu/game|先手太郎|後手花子|3|２二角成|▲２二角成");
    EXPECT_EQ(expand("%c%d", TemplateContext::ImageName), "%c/opt/tavrel/");
    env.recordPath = "/home/u/v1.2/noext";
    EXPECT_EQ(expand("%F", TemplateContext::ImageName), "/home/u/v1.2/noext");
    env.documentsFolder.clear();
    env.recordName.clear();
    EXPECT_EQ(toUtf8Lossy(imageFileName(expander)), "3手.gif");
}

TEST_F(TemplateTest, ToolCommandLines) {
    load(kGame);
    go(5);
    EXPECT_EQ(toolArguments(expander, "\"%K\" +%N"), "\"/home/u/kifu/game.kif\" +5");
    EXPECT_EQ(toolArguments(expander, "%k %n %d %% %x%"),
              "/home/u/kifu/game.kif 5 /opt/tavrel/ % ");
}

TEST_F(TemplateTest, SnapshotRefreshedOnlyForMailPrintAndImages) {
    load(kGame);
    const int start = ticks;
    expand("%y", TemplateContext::InfoLine);
    expand("%y", TemplateContext::PositionClipboard);
    EXPECT_EQ(ticks, start);
    now.second = 59;
    EXPECT_EQ(expand("%t", TemplateContext::PositionFile), "09:05:07");
    EXPECT_EQ(expand("%t", TemplateContext::MailFile), "09:05:59");
    EXPECT_EQ(ticks, start + 1);
}

TEST(DateTimeSnapshotTest, Forms) {
    DateTimeSnapshot s([] { return LocalDateTime{2040, 1, 2, 3, 4, 5}; });
    EXPECT_EQ(s.date(), "2040/01/02");
    EXPECT_EQ(s.time(), "03:04:05");
    EXPECT_EQ(s.compactDate(), "20400102");
    EXPECT_EQ(s.shortDate(), "40Jan02");
    EXPECT_EQ(s.compactTime(), "030405");
}

}  // namespace
}  // namespace core
