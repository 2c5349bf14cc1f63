#include "core/formats/csa_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/notation/notation.h"
#include "core/text/sjis.h"
#include "tests/support/interop.h"

namespace core {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Reads UTF-8 test lines (converted to Shift-JIS, joined with LF) and describes the main line
// as "▲７六歩" texts.
class CsaReaderTest : public ::testing::Test {
protected:
    ReadReport read(const Lines& lines) {
        std::string text;
        for (const auto& l : lines) text += std::string(l) + "\n";
        return readBytes(text);
    }
    ReadReport readBytes(std::string_view cp932) {
        m_report = readCsaLines(m_store, cp932, m_options);
        return m_report;
    }
    Lines line() const {
        Lines out;
        int previous = 0;
        for (NodeIndex n = m_store.node(kRootNode).next; n != kNoNode; n = m_store.node(n).next) {
            const MoveNode& m = m_store.node(n);
            out.push_back(toUtf8Lossy(
                traditionalText(m, previous, DestinationForm::FullWidth, MarkStyle::Up, 0)));
            previous = m.isTerminal() ? 0 : m.destination();
        }
        return out;
    }
    const MoveNode& nodeAt(int ply) const {
        NodeIndex n = kRootNode;
        for (int i = 0; i < ply; ++i) n = m_store.node(n).next;
        return m_store.node(n);
    }
    int lastTerminal() const {
        NodeIndex n = kRootNode;
        while (m_store.node(n).next != kNoNode) n = m_store.node(n).next;
        return n != kRootNode && m_store.node(n).isTerminal() ? m_store.node(n).to : -1;
    }
    Position start() const {
        Position p;
        m_store.restoreStartPosition(p);
        return p;
    }
    std::string utf8(std::string_view s) const { return toUtf8Lossy(s); }

    RecordStore m_store{5000};
    ReadOptions m_options;
    ReadReport m_report;
};

TEST_F(CsaReaderTest, MovesWithTimesAfterCommaAndOnTLines) {
    EXPECT_EQ(read({"V2.2", "N+先手太郎", "N-後手花子", "PI", "+", "+7776FU,T12", "-3334FU", "T6",
                    "+8822UM,T3", "-3122GI", "+0055KA,T61", "%TORYO,T9"})
                  .result,
              ReadResult::Ok);
    EXPECT_EQ(line(), (Lines{"▲７六歩", "△３四歩", "▲２二角成", "△同　銀", "▲５五角", "△投了"}));
    EXPECT_EQ(nodeAt(1).seconds, 12);
    EXPECT_EQ(nodeAt(2).seconds, 6);
    EXPECT_EQ(nodeAt(3).seconds, 3);
    EXPECT_EQ(nodeAt(5).seconds, 61);
    EXPECT_EQ(nodeAt(6).seconds, 9);
    EXPECT_EQ(utf8(m_store.playerName(PlayerField::Black)), "先手太郎");
    EXPECT_EQ(utf8(m_store.playerName(PlayerField::White)), "後手花子");
    EXPECT_EQ(m_store.currentPly(), 0);
    EXPECT_EQ(m_store.current(), kRootNode);
    EXPECT_EQ(m_store.dirty(), 0u);
    EXPECT_EQ(comparePositions(m_store.position(), start()), 0);
}

TEST_F(CsaReaderTest, NoPositionLinesStartFromTheEvenGame) {
    EXPECT_EQ(read({"+2726FU", "-8384FU"}).result, ReadResult::Ok);
    EXPECT_FALSE(m_store.customStart());
    EXPECT_EQ(m_store.handicap(), kHandicapEven);
    EXPECT_EQ(m_store.firstMover(), kSideBlack);
    EXPECT_EQ(line(), (Lines{"▲２六歩", "△８四歩"}));
}

TEST_F(CsaReaderTest, SideComesFromParityNotFromTheSign) {
    EXPECT_EQ(read({"PI", "+", "+7776FU", "+3334FU", "-2726FU"}).result, ReadResult::Ok);
    EXPECT_EQ(line(), (Lines{"▲７六歩", "△３四歩", "▲２六歩"}));
}

TEST_F(CsaReaderTest, HeaderKeysAndTheirLimits) {
    std::string longName(60, 'n');
    std::string longValue(120, 'v');
    EXPECT_EQ(read({"$EVENT:名人戦", "$SITE:東京", "$START_TIME:2013/02/01 10:00",
                    "$END_TIME:2013/02/02", "$TIME_LIMIT:6:00+00", "$OPENING:YAGURA", "$UNKNOWN:x",
                    "N+" + longName, "$NOTE:" + longValue})
                  .result,
              ReadResult::Ok);
    EXPECT_EQ(utf8(m_store.header(HeaderField::Event)), "名人戦");
    EXPECT_EQ(utf8(m_store.header(HeaderField::Place)), "東京");
    EXPECT_EQ(m_store.header(HeaderField::StartDateTime), "2013/02/01 10:00");
    EXPECT_EQ(m_store.header(HeaderField::EndDateTime), "2013/02/02");
    EXPECT_EQ(m_store.header(HeaderField::TimeLimit), "6:00+00");
    EXPECT_EQ(m_store.header(HeaderField::Opening), "YAGURA");
    EXPECT_EQ(m_store.playerName(PlayerField::Black), longName.substr(0, 39));
    EXPECT_EQ(m_store.header(HeaderField::Remarks), longValue.substr(0, 100));
}

TEST_F(CsaReaderTest, HandLines) {
    EXPECT_EQ(read({"P1 *  *  *  *  *  *  *  * -OU", "P9+OU *  *  *  *  *  *  *  * ", "P-00KI00FU",
                    "P+00HI,00KA 00TO00OU", "P+55GI", "+"})
                  .result,
              ReadResult::Ok);
    Position p = start();
    HandCounts hands = countHand(p);
    EXPECT_EQ(hands.count(kSideWhite, kGold), 1);
    EXPECT_EQ(hands.count(kSideWhite, kPawn), 1);
    EXPECT_EQ(hands.count(kSideBlack, kRook), 1);
    EXPECT_EQ(hands.count(kSideBlack, kBishop), 1);
    // A promoted piece or a king never goes to the hand; a square places the piece there.
    EXPECT_EQ(hands.count(kSideBlack, kPawn), 0);
    EXPECT_EQ(p.cells[55], makePiece(kSideBlack, kSilver));
    EXPECT_EQ(p.cells[11], makePiece(kSideWhite, kKing));
    EXPECT_EQ(p.cells[99], makePiece(kSideBlack, kKing));
    EXPECT_TRUE(m_store.customStart());
}

TEST_F(CsaReaderTest, AllRemainingPiecesGoToTheHand) {
    EXPECT_EQ(read({"P1 *  *  *  * -OU *  *  *  * ", "P3 *  *  *  * +TO *  *  *  * ", "P+00KI",
                    "P-00AL", "+", "+0052KI"})
                  .result,
              ReadResult::Ok);
    HandCounts hands = countHand(start());
    EXPECT_EQ(hands.count(kSideWhite, kPawn), 17);
    EXPECT_EQ(hands.count(kSideWhite, kGold), 3);
    EXPECT_EQ(hands.count(kSideWhite, kRook), 2);
    EXPECT_EQ(hands.count(kSideWhite, kKing), 0);
    EXPECT_EQ(line(), (Lines{"▲５二金"}));
}

TEST_F(CsaReaderTest, HandicapInferredFromTheBoard) {
    EXPECT_EQ(read({"P1-KY-KE-GI-KI-OU-KI-GI-KE-KY", "P2 *  *  *  *  *  *  *  *  * ",
                    "P3-FU-FU-FU-FU-FU-FU-FU-FU-FU", "P4 *  *  *  *  *  *  *  *  * ",
                    "P5 *  *  *  *  *  *  *  *  * ", "P6 *  *  *  *  *  *  *  *  * ",
                    "P7+FU+FU+FU+FU+FU+FU+FU+FU+FU", "P8 * +KA *  *  *  *  * +HI * ",
                    "P9+KY+KE+GI+KI+OU+KI+GI+KE+KY", "-", "-3334FU", "+7776FU"})
                  .result,
              ReadResult::Ok);
    EXPECT_FALSE(m_store.customStart());
    EXPECT_EQ(m_store.handicap(), 6);
    EXPECT_EQ(m_store.firstMover(), kSideWhite);
    EXPECT_EQ(line(), (Lines{"△３四歩", "▲７六歩"}));
}

TEST_F(CsaReaderTest, InitialLineTakesPiecesAway) {
    EXPECT_EQ(read({"PI82HI22KA", "-", "-5142OU"}).result, ReadResult::Ok);
    EXPECT_EQ(m_store.handicap(), 6);
    EXPECT_FALSE(m_store.customStart());
    EXPECT_EQ(line(), (Lines{"△４二玉"}));
}

TEST_F(CsaReaderTest, EvenGameWithWhiteToMoveKeepsItsStart) {
    EXPECT_EQ(read({"PI", "-", "-3334FU"}).result, ReadResult::Ok);
    EXPECT_TRUE(m_store.customStart());
    EXPECT_EQ(m_store.firstMover(), kSideWhite);
    EXPECT_EQ(line(), (Lines{"△３四歩"}));
}

TEST_F(CsaReaderTest, FirstMoveSignGivesTheSideWhenNoSideLine) {
    EXPECT_EQ(read({"PI", "-3334FU", "+7776FU"}).result, ReadResult::Ok);
    EXPECT_EQ(m_store.firstMover(), kSideWhite);
    EXPECT_EQ(line(), (Lines{"△３四歩", "▲７六歩"}));
}

TEST_F(CsaReaderTest, RowsWithSingleCharacterEmptyCells) {
    EXPECT_EQ(read({"P1-KY-KE-GI-KI-OU-KI-GI-KE-KY", "P2 * * * * * * * * *",
                    "P3-FU-FU-FU-FU-FU-FU-FU-FU-FU", "P7+FU+FU+FU+FU+FU+FU+FU+FU+FU",
                    "P8 * +KA * * * * * +HI *", "P9+KY+KE+GI+KI+OU+KI+GI+KE+KY", "-"})
                  .result,
              ReadResult::Ok);
    Position p = start();
    EXPECT_EQ(p.cells[88], makePiece(kSideBlack, kBishop));
    EXPECT_EQ(p.cells[28], makePiece(kSideBlack, kRook));
    EXPECT_EQ(m_store.handicap(), 6);
}

TEST_F(CsaReaderTest, CommentsGoToTheLastMoveRead) {
    EXPECT_EQ(read({"'* 開始局面の", "'*コメント", "' ignored", "+7776FU", "'*一手目",
                    "'**評価値=35", "-3334FU,T5", "'*"})
                  .result,
              ReadResult::Ok);
    EXPECT_EQ(utf8(m_store.node(kRootNode).commentText()), " 開始局面の\nコメント\n");
    EXPECT_EQ(utf8(nodeAt(1).commentText()), "一手目\n*評価値=35\n");
    EXPECT_EQ(nodeAt(2).commentText(), "\n");
}

TEST_F(CsaReaderTest, ResignationEndsTheRecord) {
    EXPECT_EQ(
        read({"PI", "+", "+2726FU", "-8384FU", "+2625FU", "-8485FU", "+6978KI", "-4132KI",
              "+2524FU", "-2324FU", "+2824HI", "-0023FU", "%TORYO", "T7", "+2434HI", "'*late"})
            .result,
        ReadResult::Ok);
    EXPECT_EQ(line().size(), 11u);
    EXPECT_EQ(lastTerminal(), 0);
    EXPECT_EQ(nodeAt(11).seconds, 7);
    EXPECT_TRUE(nodeAt(11).commentText().empty());
}

struct TerminalCase {
    Lines moves;
    const char* word;
    int code;  // -1: no terminal entry
    int databaseCode;
};

TEST_F(CsaReaderTest, TerminalWords) {
    const Lines one{"+7776FU"};
    const Lines two{"+7776FU", "-3334FU"};
    const std::vector<TerminalCase> cases{
        {two, "%TORYO", 0, 0},
        {two, "%CHUDAN", 1, 1},
        {two, "%ILLEGAL_MOVE", 2, -1},
        {two, "%+ILLEGAL_ACTION", 2, -1},  // Black to move broke the rules
        {one, "%+ILLEGAL_ACTION", 4, -1},  // White to move wins
        {two, "%-ILLEGAL_ACTION", 4, -1},
        {one, "%-ILLEGAL_ACTION", 2, -1},
        {two, "%JISHOGI", 5, 5},
        {two, "%HIKIWAKE", 5, 5},
        {two, "%TSUMI", 6, 6},
        {two, "%SENNICHITE", 7, 7},
        {two, "%SENNICHIT", 7, 7},
        {two, "%FUZUMI", 8, -1},
        {two, "%TIME_UP", 9, -1},
        {two, "%KACHI", 10, 10},
        {two, "%MAX_MOVES", 1, -1},
        {two, "%MATTA", -1, -1},
    };
    for (const TerminalCase& c : cases) {
        for (bool database : {false, true}) {
            m_options.database = database;
            Lines lines = c.moves;
            lines.push_back(c.word);
            lines.push_back("+2726FU");
            EXPECT_EQ(read(lines).result, ReadResult::Ok);
            SCOPED_TRACE(std::string(c.word) + (database ? " database" : ""));
            EXPECT_EQ(lastTerminal(), database ? c.databaseCode : c.code);
            EXPECT_EQ(m_store.moveCount(), static_cast<int>(c.moves.size()));
        }
    }
}

TEST_F(CsaReaderTest, DropOfAPieceNotInHandStops) {
    EXPECT_EQ(read({"PI", "+", "+7776FU", "-3334FU", "+0055KA", "-8384FU"}).result,
              ReadResult::LineFailed);
    EXPECT_EQ(line(), (Lines{"▲７六歩", "△３四歩"}));
    EXPECT_EQ(utf8(m_report.message), "5行: +0055KA\n3手目 打てません。");
    EXPECT_EQ(utf8(m_store.readingError()), "3手目:\"+0055KA\"");
    EXPECT_EQ(m_store.currentPly(), 0);
    EXPECT_EQ(comparePositions(m_store.position(), start()), 0);
}

TEST_F(CsaReaderTest, EmptyOriginStopsWithTheDialogText) {
    EXPECT_EQ(read({"V2.2", "", "+7776FU", "-5554FU", "+2726FU"}).result, ReadResult::LineFailed);
    EXPECT_EQ(utf8(m_report.message), "4行: -5554FU\n2手目 駒がありません。");
    EXPECT_EQ(line(), (Lines{"▲７六歩"}));
}

TEST_F(CsaReaderTest, CodeThatFitsNeitherPieceNorPromotionStops) {
    for (const char* bad : {"-3334KI", "-3334NG", "-5152NK", "-7172TO", "-4132NG"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(read({"+7776FU", bad, "+2726FU"}).result, ReadResult::LineFailed);
        EXPECT_EQ(line(), (Lines{"▲７六歩"}));
        EXPECT_NE(utf8(m_report.message).find("指せません。"), std::string::npos);
    }
}

TEST_F(CsaReaderTest, MovesThatCannotBeMadeStop) {
    // The opponent's piece, an own piece captured, squares that are no squares.
    for (const char* bad : {"-7776FU", "-3938GI", "-1076FU", "-3330FU", "-0040FU", "-4131KI"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(read({"+7776FU", bad, "+2726FU"}).result, ReadResult::LineFailed);
        EXPECT_EQ(m_store.moveCount(), 1);
    }
}

TEST_F(CsaReaderTest, UnreadableLinesAreSkipped) {
    std::string text = "PI\n+\n+7776XX\n+77\n+7776F\n+7\n\n+7776FU\n";
    text += std::string(
        "-33\0"
        "34FU\n",
        9);
    text += std::string("\0\0\0\n", 4);
    text += "-3334FU\n+";
    EXPECT_EQ(readBytes(text).result, ReadResult::Ok);
    EXPECT_EQ(line(), (Lines{"▲７六歩", "△３四歩"}));
}

TEST_F(CsaReaderTest, GarbageNeverCrashes) {
    std::string text;
    std::uint32_t x = 12345;
    const std::string alphabet = "+-%TPN$'0123456789FUKAHIOU*\n, \r/ALV";
    for (int round = 0; round < 300; ++round) {
        text.clear();
        text += "PI\n+\n";
        for (int i = 0; i < 400; ++i) {
            x = x * 1103515245u + 12345u;
            text += alphabet[(x >> 16) % alphabet.size()];
            if ((x >> 8) % 7 == 0) text += static_cast<char>(x >> 24);
        }
        // Any result will do but a failure to open: what was read stays, nothing crashes.
        EXPECT_NE(readBytes(text).result, ReadResult::CannotOpen);
        EXPECT_EQ(m_store.currentPly(), 0);
    }
}

TEST_F(CsaReaderTest, SeveralGamesReadTheFirstAndWarn) {
    EXPECT_EQ(read({"PI", "+", "+7776FU", "%CHUDAN", "/", "PI", "+", "+2726FU", "%TORYO"}).result,
              ReadResult::Ok);
    EXPECT_EQ(line(), (Lines{"▲７六歩", "△中断"}));
    ASSERT_EQ(m_report.warnings.size(), 1u);
    EXPECT_EQ(m_report.warnings[0], msgCsaMoreGames());
    EXPECT_EQ(read({"PI", "+", "+7776FU", "/", "+2726FU"}).result, ReadResult::Ok);
    EXPECT_EQ(line(), (Lines{"▲７六歩"}));
    EXPECT_EQ(m_report.warnings.size(), 1u);
}

TEST_F(CsaReaderTest, VersionThreeFile) {
    EXPECT_EQ(read({"'CSA encoding=SHIFT_JIS", "V3.0", "N+a", "$TIME:600+10+0", "$NOTE:記録",
                    "$MAX_MOVES:256", "$JISHOGI:27", "PI", "+", "+7776FU", "T1.500",
                    "-3334FU,T0.250", "%MAX_MOVES"})
                  .result,
              ReadResult::Ok);
    EXPECT_EQ(m_store.header(HeaderField::TimeLimit), "600+10+0");
    EXPECT_EQ(utf8(m_store.header(HeaderField::Remarks)), "記録");
    EXPECT_EQ(nodeAt(1).seconds, 1);
    EXPECT_EQ(nodeAt(2).seconds, 0);
    EXPECT_EQ(lastTerminal(), 1);
}

TEST_F(CsaReaderTest, DatabaseModeIsSmaller) {
    m_options.database = true;
    std::string longValue(80, 'v');
    EXPECT_EQ(read({"$EVENT:" + longValue, "N-" + longValue, "'*comment", "+7776FU", "'*more",
                    "-3334FU,T4", "+5554FU"})
                  .result,
              ReadResult::LineFailed);
    EXPECT_EQ(m_store.header(HeaderField::Event), longValue.substr(0, 59));
    EXPECT_EQ(m_store.playerName(PlayerField::White), longValue.substr(0, 39));
    EXPECT_FALSE(m_store.anyComment());
    EXPECT_EQ(nodeAt(2).seconds, 4);
    EXPECT_EQ(m_store.moveCount(), 2);
}

TEST_F(CsaReaderTest, LongLinesAreCutNotSplit) {
    std::string comment = "'*" + std::string(5000, 'c') + "+2726FU";
    EXPECT_EQ(read({comment, "+7776FU"}).result, ReadResult::Ok);
    EXPECT_EQ(m_store.node(kRootNode).commentText().size(), 4093u + 1u);
    EXPECT_EQ(line(), (Lines{"▲７六歩"}));
    m_options.database = true;
    EXPECT_EQ(read({"$EVENT:" + std::string(400, 'e') + "x", "+7776FU"}).result, ReadResult::Ok);
    EXPECT_EQ(m_store.header(HeaderField::Event), std::string(59, 'e'));
}

TEST_F(CsaReaderTest, CapacityReachedKeepsWhatFits) {
    RecordStore small(4);
    ReadReport r = readCsaLines(small, "+7776FU\n-3334FU\n+2726FU\n-8384FU\n+2625FU\n", {});
    EXPECT_EQ(r.result, ReadResult::CapacityReached);
    EXPECT_EQ(small.moveCount(), 3);
    EXPECT_EQ(small.currentPly(), 0);
}

TEST_F(CsaReaderTest, MissingFile) {
    ReadReport r = readCsaFile(m_store, "/nonexistent/x.csa", m_options);
    EXPECT_EQ(r.result, ReadResult::CannotOpen);
    EXPECT_TRUE(isCsaPath("a/b.CSA"));
    EXPECT_TRUE(isCsaPath("b.csa"));
    EXPECT_FALSE(isCsaPath("csa/b.kif"));
}

// The main line a CSA file states: its move lines up to the first terminal word or "/".
struct FileLine {
    int moves = 0;
    bool terminal = false;
};
FileLine mainLineOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string l;
    FileLine out;
    const std::regex move(R"(^[+-]\d{4}[A-Z]{2}(,.*)?\r?$)");
    while (std::getline(in, l)) {
        if (l.starts_with('/')) break;
        if (l.starts_with('%')) {
            out.terminal = true;
            break;
        }
        if (std::regex_match(l, move)) ++out.moves;
    }
    return out;
}

using CsaInteropTest = testsupport::WithInterop<CsaReaderTest>;

TEST_F(CsaInteropTest, FilesReadWhole) {
    int files = 0;
    for (const auto& file : testsupport::interopFiles("csa")) {
        if (!isCsaPath(file.string())) continue;
        ++files;
        SCOPED_TRACE(file.filename().string());
        ReadReport r = readCsaFile(m_store, file.string(), m_options);
        ASSERT_EQ(r.result, ReadResult::Ok) << utf8(r.message);
        FileLine expected = mainLineOf(file);
        EXPECT_EQ(m_store.moveCount(), expected.moves);
        EXPECT_EQ(lastTerminal() >= 0, expected.terminal);
        EXPECT_FALSE(m_store.readingError().size());
    }
    EXPECT_GE(files, 15);
}

TEST_F(CsaInteropTest, FilesCheckedByHand) {
    const fs::path dir = interop("csa");
    auto read = [&](const char* name) {
        ReadReport r = readCsaFile(m_store, (dir / name).string(), m_options);
        EXPECT_EQ(r.result, ReadResult::Ok) << name << ": " << utf8(r.message);
        return r.result == ReadResult::Ok;
    };
    ASSERT_TRUE(read("csars-v2_2.csa"));
    EXPECT_EQ(line(), (Lines{"▲２六歩", "△３四歩", "▲中断"}));
    EXPECT_EQ(nodeAt(1).seconds, 12);
    EXPECT_EQ(nodeAt(2).seconds, 6);
    EXPECT_EQ(m_store.playerName(PlayerField::Black), "NAKAHARA");
    EXPECT_EQ(m_store.header(HeaderField::Event), "13th World Computer Shogi Championship");
    EXPECT_EQ(m_store.header(HeaderField::TimeLimit), "00:25+00");
    EXPECT_FALSE(m_store.customStart());

    ASSERT_TRUE(read("sbq-test-drop.csa"));
    EXPECT_EQ(line(), (Lines{"▲７六歩", "△３四歩", "▲２二角成", "△同　銀", "▲５五角"}));

    ASSERT_TRUE(read("sbq-test-handicap-2piece.csa"));
    EXPECT_EQ(m_store.handicap(), 6);
    EXPECT_FALSE(m_store.customStart());
    EXPECT_EQ(line(), (Lines{"△３四歩", "▲７六歩"}));

    ASSERT_TRUE(read("shogihome-e2e27.csa"));
    EXPECT_EQ(utf8(m_store.playerName(PlayerField::Black)), "Enemy");
    EXPECT_EQ(m_store.header(HeaderField::TimeLimit), "30+0+5");
    EXPECT_EQ(utf8(nodeAt(2).commentText()),
              "互角\n*評価値=-35\n*読み筋=▲２五歩△８五歩\n*深さ=8\n*ノード数=12345\n"
              "*エンジン=usi-csa-bridge\n");
    EXPECT_EQ(nodeAt(1).seconds, 2);
    EXPECT_EQ(line().back(), "▲投了");

    ASSERT_TRUE(read("sbq-test-basic.csa"));
    EXPECT_EQ(utf8(m_store.playerName(PlayerField::White)), "テスト後手");
}

}  // namespace
}  // namespace core
