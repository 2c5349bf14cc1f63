#include "core/formats/csa_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/formats/csa_reader.h"
#include "core/formats/kif_reader.h"
#include "core/formats/kif_writer.h"
#include "core/rules/move_generator.h"
#include "core/text/sjis.h"
#include "tests/support/interop.h"

namespace core {
namespace {

namespace fs = std::filesystem;

// Records built move by move, written and read back.
class CsaWriterTest : public ::testing::Test {
protected:
    void play(int origin, int destination, std::uint16_t seconds = 0) {
        ASSERT_EQ(m_store.addAndAdvance(kAddStoreAll, packMove(origin, destination), seconds),
                  AddResult::Ok);
    }
    void end(TerminalCode t, std::uint16_t seconds = 0) {
        ASSERT_EQ(m_store.addAndAdvance(kAddStoreAll, terminalMove(t), seconds), AddResult::Ok);
    }
    // Writer output in UTF-8 with "\n" for each CR LF.
    std::string text() const {
        std::string cp932 = csaText(m_store);
        std::string lf;
        for (std::size_t i = 0; i < cp932.size(); ++i) {
            if (cp932[i] == '\r' && i + 1 < cp932.size() && cp932[i + 1] == '\n') continue;
            if (cp932[i] == '\n' && (i == 0 || cp932[i - 1] != '\r')) lf += "<LF>";
            lf += cp932[i];
        }
        return toUtf8Lossy(lf);
    }

    RecordStore m_store{5000};
};

constexpr const char* kEvenRows =
    "P1-KY-KE-GI-KI-OU-KI-GI-KE-KY\n"
    "P2 * -HI *  *  *  *  * -KA * \n"
    "P3-FU-FU-FU-FU-FU-FU-FU-FU-FU\n"
    "P4 *  *  *  *  *  *  *  *  * \n"
    "P5 *  *  *  *  *  *  *  *  * \n"
    "P6 *  *  *  *  *  *  *  *  * \n"
    "P7+FU+FU+FU+FU+FU+FU+FU+FU+FU\n"
    "P8 * +KA *  *  *  *  * +HI * \n"
    "P9+KY+KE+GI+KI+OU+KI+GI+KE+KY\n";

TEST_F(CsaWriterTest, GoldenEvenGame) {
    m_store.setPlayerName(PlayerField::Black, std::string("先手太郎"));
    m_store.setPlayerName(PlayerField::White, "Hanako");
    m_store.setHeader(HeaderField::StartDateTime, std::string("2013/02/01(金) 10:00"));
    m_store.setHeader(HeaderField::EndDateTime, std::string("2013/02/01(金"));
    m_store.setHeader(HeaderField::Event, std::string("名人戦"));
    m_store.setHeader(HeaderField::Opening, "YAGURA");
    m_store.setHeader(HeaderField::Title, std::string("表題は書かない"));
    (void)m_store.appendComment(0, std::string("開始\n二行目\n"));
    play(77, 76, 0);
    (void)m_store.appendComment(1, std::string("一手目"));
    play(33, 34, 12);
    play(88, 22 + kPromoteFlag, 5);
    play(31, 22, 1);
    play(findHandSlot(m_store.position(), kSideBlack, kBishop), 55, 65535);
    end(TerminalCode::Resign, 7);
    std::string expected =
        std::string(
            "' ---- Tavrel V6.54 CSA形式棋譜ファイル ----\nV2.2\nN+先手太郎\nN-Hanako\n"
            "$EVENT:名人戦\n$START_TIME:2013/02/01 10:00\n$END_TIME:2013/02/01\n"
            "$OPENING:YAGURA\n") +
        kEvenRows +
        "+\n'*開始\n'*二行目\n+7776FU,T0\n'*一手目\n-3334FU,T12\n+8822UM,T5\n-3122GI,T1\n"
        "+0055KA,T65535\n%TORYO,T7\n";
    EXPECT_EQ(text(), expected);
}

TEST_F(CsaWriterTest, HandsGroupedBlackFirstAndSideToMove) {
    Position p;
    p.cells[51] = makePiece(kSideWhite, kKing);
    p.cells[59] = makePiece(kSideBlack, kKing);
    p.cells[53] = makePiece(kSideBlack, kPromotedSilver);
    int slot = kFirstHandSlot;
    for (int type : {kPawn, kGold, kPawn, kRook}) p.cells[slot++] = makePiece(kSideBlack, type);
    p.cells[slot++] = makePiece(kSideWhite, kLance);
    p.cells[slot++] = makePiece(kSideWhite, kBishop);
    p.handEnd = static_cast<std::uint8_t>(slot);
    buildPieceList(p);
    p.sideToMove = kSideWhite;
    m_store.setCustomStart(true);
    m_store.setHandicap(kHandicapOther);
    m_store.setFirstMover(kSideWhite);
    m_store.saveStartPosition(p);
    m_store.restoreStartPosition(m_store.position());
    std::string t = text();
    EXPECT_NE(t.find("P1 *  *  *  * -OU *  *  *  * \n"), std::string::npos);
    EXPECT_NE(t.find("P3 *  *  *  * +NG *  *  *  * \n"), std::string::npos);
    EXPECT_NE(t.find("P+00HI00KI00FU00FU\nP-00KA00KY\n-\n"), std::string::npos);

    RecordStore back;
    ASSERT_EQ(readCsaLines(back, csaText(m_store), {}).result, ReadResult::Ok);
    EXPECT_EQ(comparePositions(back.position(), p), 0);
    EXPECT_EQ(back.firstMover(), kSideWhite);
    EXPECT_EQ(csaText(back), csaText(m_store));
}

TEST_F(CsaWriterTest, EmptyHandsHaveNoLine) {
    EXPECT_EQ(text().find("P+"), std::string::npos);
    EXPECT_EQ(text().find("P-"), std::string::npos);
}

TEST_F(CsaWriterTest, FoulWinSignFollowsTheSideToMove) {
    struct Case {
        SideByte first;
        int plies;
        const char* word;
    };
    for (const Case& c :
         {Case{kSideBlack, 0, "%-ILLEGAL_ACTION,T0"}, Case{kSideBlack, 1, "%+ILLEGAL_ACTION,T0"},
          Case{kSideWhite, 0, "%+ILLEGAL_ACTION,T0"}, Case{kSideWhite, 1, "%-ILLEGAL_ACTION,T0"}}) {
        m_store.reset();
        if (c.first == kSideWhite) {
            m_store.setHandicap(6);
            m_store.setFirstMover(kSideWhite);
        }
        m_store.restoreStartPosition(m_store.position());
        if (c.plies == 1) play(c.first == kSideBlack ? 77 : 51, c.first == kSideBlack ? 76 : 52);
        end(TerminalCode::FoulWin);
        std::string t = text();
        EXPECT_EQ(t.substr(t.rfind('\n', t.size() - 2) + 1), std::string(c.word) + "\n");
        // Read back, the sign gives the same code.
        RecordStore back;
        ASSERT_EQ(readCsaLines(back, csaText(m_store), {}).result, ReadResult::Ok);
        EXPECT_EQ(csaText(back), csaText(m_store));
    }
}

TEST_F(CsaWriterTest, TerminalWordsAndCodeThree) {
    const std::vector<std::pair<int, std::string>> words{
        {0, "%TORYO"}, {1, "%CHUDAN"},     {2, "%ILLEGAL_MOVE"}, {3, ""},         {5, "%JISHOGI"},
        {6, "%TSUMI"}, {7, "%SENNICHITE"}, {8, "%FUZUMI"},       {9, "%TIME_UP"}, {10, "%KACHI"}};
    for (const auto& [code, word] : words) {
        m_store.reset();
        m_store.restoreStartPosition(m_store.position());
        play(77, 76);
        ASSERT_EQ(m_store.addAndAdvance(kAddStoreAll, packMove(1, code), 3), AddResult::Ok);
        std::string t = text();
        EXPECT_TRUE(t.ends_with("+7776FU,T0\n" + word + ",T3\n")) << code;
    }
}

// A game of random legal moves with times and comments; a terminal entry chosen by seed.
void generateGame(RecordStore& store, std::uint32_t seed, int plies) {
    std::mt19937 rng(seed);
    store.reset();
    store.clearHeader();
    store.setHandicap(seed % 3 == 0 ? 6 : kHandicapEven);
    store.setFirstMover(firstMoverOf(store.handicap()));
    store.setCustomStart(false);
    setupHandicap(store.position(), store.handicap());
    store.saveStartPosition();
    store.setPlayerName(PlayerField::Black, std::string("先手") + std::to_string(seed));
    store.setHeader(HeaderField::Event, "Event " + std::to_string(seed));
    if (seed % 2) (void)store.appendComment(0, std::string("初期局面\n"));
    std::vector<PackedMove> moves;
    for (int i = 0; i < plies; ++i) {
        moves.clear();
        if (legalMoves(store.position(), store.position().sideToMove, moves) == 0) break;
        PackedMove m = moves[rng() % moves.size()];
        if (store.addAndAdvance(kAddStoreAll, m, static_cast<std::uint16_t>(rng() % 600)) !=
            AddResult::Ok) {
            break;
        }
        if (rng() % 10 == 0) {
            (void)store.appendComment(store.currentPly(),
                                      std::string("評価値 ") + std::to_string(i));
        }
    }
    const int code = static_cast<int>(seed % 12);
    if (code <= kLastTerminalCode && code != 3) {
        (void)store.addAndAdvance(kAddStoreAll, packMove(1, code),
                                  static_cast<std::uint16_t>(seed % 50));
    }
    (void)store.goTo(kRootNode);
}

TEST_F(CsaWriterTest, RoundTripIsByteIdentical) {
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        generateGame(m_store, seed, 150);
        std::string first = csaText(m_store);
        RecordStore back;
        ReadReport r = readCsaLines(back, first, {});
        ASSERT_EQ(r.result, ReadResult::Ok) << seed << toUtf8Lossy(r.message);
        EXPECT_EQ(csaText(back), first) << seed;
        EXPECT_EQ(back.handicap(), m_store.handicap());
        EXPECT_EQ(back.customStart(), m_store.customStart());
    }
}

// The main line as (from, to, piece, seconds) tuples.
std::vector<std::array<int, 4>> mainLine(const RecordStore& s) {
    std::vector<std::array<int, 4>> out;
    for (NodeIndex x = s.node(kRootNode).next; x != kNoNode; x = s.node(x).next) {
        const MoveNode& n = s.node(x);
        out.push_back({n.isTerminal() ? 0 : n.from, n.to, n.piece, n.seconds});
    }
    return out;
}

TEST_F(CsaWriterTest, KifToCsaKeepsTheMainLineAndTimes) {
    const char* kif[] = {
        "開始日時：2024/05/03(金) 10:30",
        "棋戦：テスト棋戦",
        "手合割：平手",
        "先手：甲",
        "後手：乙",
        "手数----指手---------消費時間--",
        "   1 ７六歩(77)   ( 0:12/00:00:12)",
        "   2 ３四歩(33)   ( 1:05/00:01:05)",
        "   3 ２二角成(88) ( 0:10/00:00:22)",
        "*角交換",
        "   4 同　銀(31)   ( 0:02/00:01:07)",
        "   5 ４五角打     ( 2:00/00:02:22)",
        "   6 投了         ( 0:03/00:01:10)",
        "変化：4手",
        "   4 ３三桂(21)   ( 0:02/00:01:07)",
    };
    std::string text;
    for (const char* l : kif) text += std::string(l) + "\r\n";
    RecordStore fromKif;
    ASSERT_EQ(readRecordLines(fromKif, text, {}).result, ReadResult::Ok);
    RecordStore fromCsa;
    ASSERT_EQ(readCsaLines(fromCsa, csaText(fromKif), {}).result, ReadResult::Ok);
    EXPECT_EQ(mainLine(fromCsa), mainLine(fromKif));
    EXPECT_EQ(mainLine(fromCsa).size(), 6u);
    EXPECT_EQ(fromCsa.header(HeaderField::StartDateTime), "2024/05/03 10:30");
    EXPECT_EQ(fromCsa.header(HeaderField::Event), fromKif.header(HeaderField::Event));
    EXPECT_EQ(fromCsa.playerName(PlayerField::White), fromKif.playerName(PlayerField::White));
    EXPECT_EQ(fromCsa.comment(3), fromKif.comment(3));
    EXPECT_FALSE(fromCsa.hasVariations());
}

// The numbered move lines of a KIF text before its first variation (UTF-8).
std::vector<std::string> kifMoveLines(const std::string& cp932) {
    std::vector<std::string> out;
    std::string utf8 = toUtf8Lossy(cp932);
    std::size_t at = 0;
    while (at < utf8.size()) {
        std::size_t nl = utf8.find('\n', at);
        std::string l = utf8.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
        at = nl == std::string::npos ? utf8.size() : nl + 1;
        if (l.starts_with("変化：")) break;
        std::size_t digit = l.find_first_not_of(' ');
        if (digit != std::string::npos && l[digit] >= '0' && l[digit] <= '9') out.push_back(l);
    }
    return out;
}

TEST_F(CsaWriterTest, KifThroughCsaWritesTheSameKifMoves) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        generateGame(m_store, seed, 120);
        if (m_store.node(m_store.nodeAtPly(m_store.lineEnd())).to == 3) continue;
        RecordStore fromKif;
        ASSERT_EQ(readRecordLines(fromKif, kifText(m_store, {}), {}).result, ReadResult::Ok);
        RecordStore fromCsa;
        ASSERT_EQ(readCsaLines(fromCsa, csaText(fromKif), {}).result, ReadResult::Ok);
        std::vector<std::string> before = kifMoveLines(kifText(fromKif, {}));
        EXPECT_GT(before.size(), 10u);
        EXPECT_EQ(kifMoveLines(kifText(fromCsa, {})), before) << seed;
    }
}

using CsaWriterInteropTest = testsupport::WithInterop<CsaWriterTest>;

TEST_F(CsaWriterInteropTest, KifFilesKeepTheirMainLine) {
    int checked = 0;
    for (const auto& file : testsupport::interopFiles("kif")) {
        SCOPED_TRACE(file.filename().string());
        RecordStore fromKif;
        ASSERT_EQ(readRecordFile(fromKif, file.string(), {}).result, ReadResult::Ok);
        RecordStore fromCsa;
        EXPECT_EQ(readCsaLines(fromCsa, csaText(fromKif), {}).result, ReadResult::Ok);
        auto expected = mainLine(fromKif);
        // A comment or a terminal word without a CSA word (code 3) is not carried.
        if (!expected.empty() && expected.back()[1] == 3) expected.pop_back();
        EXPECT_EQ(mainLine(fromCsa), expected);
        ++checked;
    }
    EXPECT_GE(checked, 13);
}

TEST_F(CsaWriterTest, WritesTheFileWithCrLfAndMarksClean) {
    fs::path dir = fs::temp_directory_path() / ("csa_writer_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    play(77, 76, 4);
    ASSERT_NE(m_store.dirty(), 0u);
    std::string path = (dir / "game.csa").string();
    ASSERT_EQ(writeCsaFile(m_store, path), WriteResult::Ok);
    EXPECT_EQ(m_store.dirty(), 0u);
    std::optional<std::string> bytes = readFile(path);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, utf8ToCp932(csaText(m_store)).text);
    EXPECT_NE(bytes->find("+7776FU,T4\r\n"), std::string::npos);
    RecordStore back;
    EXPECT_EQ(readCsaFile(back, path, {}).result, ReadResult::Ok);
    EXPECT_EQ(back.node(back.node(kRootNode).next).seconds, 4);

    play(33, 34);
    EXPECT_EQ(writeCsaFile(m_store, (dir / "missing" / "x.csa").string()),
              WriteResult::CannotCreate);
    EXPECT_NE(m_store.dirty(), 0u);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace core
