#include "dalmir/model/tree/opening_book.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dalmir/model/tree/opening_tree.h"
#include "dalmir/model/tree/tree_test_fixture.h"
#include "tests/support/temp_folder.h"

namespace dalmir::model {
namespace {

using namespace treetest;

std::vector<int32_t> everySlot(const Database& db) {
    std::vector<int32_t> out;
    for (int s = 0; s < db.table().size(); ++s) out.push_back(s);
    return out;
}

void expectSameBooks(const OpeningBook& a, const OpeningBook& b) {
    ASSERT_EQ(a.positions.size(), b.positions.size());
    auto ib = b.positions.begin();
    for (const auto& [key, p] : a.positions) {
        ASSERT_EQ(key, ib->first);
        const BookPosition& q = ib->second;
        EXPECT_EQ(p.moveNumber, q.moveNumber) << key;
        EXPECT_TRUE(sameTreePosition(p.board, q.board)) << key;
        ASSERT_EQ(p.moves.size(), q.moves.size()) << key;
        for (std::size_t i = 0; i < p.moves.size(); ++i) {
            EXPECT_EQ(p.moves[i].move, q.moves[i].move) << key;
            EXPECT_EQ(p.moves[i].count, q.moves[i].count) << key;
            EXPECT_EQ(p.moves[i].hasPonder, q.moves[i].hasPonder) << key;
            if (p.moves[i].hasPonder) {
                EXPECT_EQ(p.moves[i].ponder, q.moves[i].ponder) << key;
            }
        }
        ++ib;
    }
}

class BookTest : public ::testing::Test {
protected:
    void SetUp() override {
        data.fill(250);
        ASSERT_FALSE(HasFatalFailure());
    }
    Database& db() { return data.db(); }
    TreeDatabase data{21};
};

TEST_F(BookTest, WrittenAndReadBackGivesTheSameMovesAndCounts) {
    BookOptions options;
    options.maxPly = 12;
    const OpeningBook book = makeBook(db(), everySlot(db()), options);
    ASSERT_GT(book.positions.size(), 50u);
    const std::string text = bookText(book);
    EXPECT_EQ(text.rfind("#YANEURAOU-DB2016 1.00\nsfen ", 0), 0u);

    OpeningBook read;
    const BookReadReport r = readBook(text, read);
    ASSERT_TRUE(r.ok) << r.line << " " << r.problem;
    expectSameBooks(book, read);
    EXPECT_EQ(bookText(read), text);

    // CR LF line ends read the same.
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    OpeningBook fromCrlf;
    ASSERT_TRUE(readBook(crlf, fromCrlf).ok);
    expectSameBooks(book, fromCrlf);
}

TEST_F(BookTest, PositionsAreSortedByTheirSfenAndMovesByCount) {
    const std::string text = bookText(makeBook(db(), everySlot(db()), {}));
    std::string previous;
    std::size_t at = 0;
    int lastCount = 0;
    while ((at = text.find('\n', at)) != std::string::npos && at + 1 < text.size()) {
        const std::size_t end = text.find('\n', at + 1);
        const std::string line = text.substr(at + 1, end - at - 1);
        at = end;
        if (line.rfind("sfen ", 0) == 0) {
            const std::string key = line.substr(5, line.rfind(' ') - 5);
            EXPECT_LT(previous, key);
            previous = key;
            lastCount = 1 << 30;
            continue;
        }
        const int count = std::stoi(line.substr(line.rfind(' ') + 1));
        EXPECT_LE(count, lastCount) << line;
        lastCount = count;
        EXPECT_NE(line.find(" 0 0 "), std::string::npos) << "value and depth 0: " << line;
    }
}

TEST_F(BookTest, TheStartPositionHoldsTheTreesMoves) {
    const OpeningBook book = makeBook(db(), everySlot(db()), {});
    const ReplayBoard start = boardAfter(0, {}, 0);
    const BookPosition* p = book.find(start);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->moveNumber, 1);
    TreeMaker maker(db());
    const OpeningTree tree = maker.treeOf(start, {});
    ASSERT_EQ(p->moves.size(), tree.rows.size());
    for (std::size_t i = 0; i < tree.rows.size(); ++i) {
        EXPECT_EQ(p->moves[i].move, tree.rows[i].move);
        EXPECT_EQ(p->moves[i].count, tree.rows[i].count);
    }
}

TEST_F(BookTest, OptionsNarrowTheBook) {
    const OpeningBook all = makeBook(db(), everySlot(db()), {});
    BookOptions o;
    o.maxPly = 3;
    for (const auto& [key, p] : makeBook(db(), everySlot(db()), o).positions) {
        EXPECT_LE(p.moveNumber, 3) << key;
    }
    o = {};
    o.side = BookSide::Black;
    const OpeningBook black = makeBook(db(), everySlot(db()), o);
    ASSERT_FALSE(black.positions.empty());
    for (const auto& [key, p] : black.positions) {
        EXPECT_EQ(p.board.sideToMove, core::kSideBlack) << key;
    }
    o = {};
    o.minCount = 5;
    for (const auto& [key, p] : makeBook(db(), everySlot(db()), o).positions) {
        for (const BookMove& m : p.moves) EXPECT_GE(m.count, 5) << key;
    }
    o = {};
    o.winnerOnly = true;
    const OpeningBook winners = makeBook(db(), everySlot(db()), o);
    const BookPosition* start = winners.find(boardAfter(0, {}, 0));
    ASSERT_NE(start, nullptr);
    int blackWins = 0;
    TreeMaker maker(db());
    for (const TreeRow& r : maker.treeOf(boardAfter(0, {}, 0), {}).rows) blackWins += r.blackWins;
    int counted = 0;
    for (const BookMove& m : start->moves) counted += m.count;
    EXPECT_EQ(counted, blackWins);
    EXPECT_LT(winners.moveCount(), all.moveCount());
}

// A minimum count keeps exactly the moves of the whole book that reach it, in the positions
// that keep any, with the move number of their earliest visit (the moves counted first
// in fixed memory must neither drop a move nor change a count).
TEST_F(BookTest, AMinimumCountKeepsTheWholeBooksMovesThatReachIt) {
    for (int maxPly : {6, 40}) {
        BookOptions o;
        o.maxPly = maxPly;
        const OpeningBook all = makeBook(db(), everySlot(db()), o);
        for (int least : {2, 3, 7, 1000}) {
            o.minCount = least;
            const OpeningBook some = makeBook(db(), everySlot(db()), o);
            std::size_t kept = 0;
            for (const auto& [key, p] : all.positions) {
                std::vector<BookMove> wanted;
                for (const BookMove& m : p.moves) {
                    if (m.count >= least) wanted.push_back(m);
                }
                const auto it = some.positions.find(key);
                if (wanted.empty()) {
                    EXPECT_EQ(it, some.positions.end()) << key;
                    continue;
                }
                ++kept;
                ASSERT_NE(it, some.positions.end()) << key << " at least " << least;
                const BookPosition& q = it->second;
                EXPECT_EQ(q.moveNumber, p.moveNumber) << key;
                EXPECT_TRUE(sameTreePosition(q.board, p.board)) << key;
                ASSERT_EQ(q.moves.size(), wanted.size()) << key;
                for (std::size_t i = 0; i < wanted.size(); ++i) {
                    EXPECT_EQ(q.moves[i].move, wanted[i].move) << key;
                    EXPECT_EQ(q.moves[i].count, wanted[i].count) << key;
                }
            }
            EXPECT_EQ(some.positions.size(), kept) << "at least " << least;
            if (least == 2) {
                EXPECT_GT(kept, 5u);
            }
            if (least == 1000) {
                EXPECT_EQ(kept, 0u);
            }
        }
    }
}

std::string streamed(const Database& db, const std::vector<int32_t>& slots, const BookOptions& o,
                     const BookSpill& spill, BookStreamResult* result = nullptr) {
    std::string out;
    const BookStreamResult r = streamBook(db, slots, o, spill, [&](std::string_view bytes) {
        out += bytes;
        return true;
    });
    EXPECT_EQ(r.result, core::WriteResult::Ok) << r.problem;
    if (result != nullptr) *result = r;
    return out;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The book made in bounded memory is the one made in memory, byte for byte: on random databases
// (transpositions, repeated positions, handicaps), with every option, in the order the records
// are listed, whether its sorts fit in memory or spill into hundreds of small runs; and no
// temporary file is left in the folder.
TEST(BookStream, EqualsTheBookMadeInMemory) {
    testsupport::TempFolder folder;
    for (unsigned seed : {3u, 8u, 21u}) {
        TreeDatabase data(seed);
        data.fill(seed == 21 ? 300 : 120);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        const Database& db = data.db();
        std::vector<int32_t> slots = everySlot(db);
        if (seed == 8) std::shuffle(slots.begin(), slots.end(), data.rng());
        if (seed == 3) slots.resize(slots.size() / 2);
        std::vector<BookOptions> variants(7);
        variants[1].maxPly = 6;
        variants[2].minCount = 2;
        variants[3].minCount = 4;
        variants[3].maxPly = 12;
        variants[4].side = BookSide::White;
        variants[5].winnerOnly = true;
        variants[6].header.black = "alpha";
        for (std::size_t v = 0; v < variants.size(); ++v) {
            const BookOptions& o = variants[v];
            const OpeningBook book = makeBook(db, slots, o);
            const std::string expected = bookText(book);
            for (std::size_t chunk : {std::size_t{32} << 20, std::size_t{300}}) {
                BookSpill spill;
                spill.folder = folder.path();
                spill.chunkBytes = chunk;
                BookStreamResult r;
                const std::string text = streamed(db, slots, o, spill, &r);
                ASSERT_EQ(text, expected)
                    << "seed " << seed << " variant " << v << " chunk " << chunk;
                EXPECT_EQ(r.positions, book.positions.size());
                EXPECT_EQ(r.moves, book.moveCount());
                EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
            }
        }
    }
}

TEST(BookStream, WritesTheFileOrLeavesTheOldOneOnCancelOrFailure) {
    testsupport::TempFolder folder;
    TreeDatabase data(4);
    data.fill(150);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const Database& db = data.db();
    BookOptions o;
    const std::string path = folder.writeBytes("book.db", "old");
    BookSpill spill;
    spill.chunkBytes = 500;
    const BookStreamResult written = writeBook(db, everySlot(db), o, path, spill);
    ASSERT_EQ(written.result, core::WriteResult::Ok) << written.problem;
    EXPECT_EQ(fileText(path), bookText(makeBook(db, everySlot(db), o)));
    EXPECT_GT(written.positions, 100u);

    folder.writeBytes("book.db", "old");
    int asked = 0;
    spill.cancelled = [&] { return ++asked > 2; };
    EXPECT_EQ(writeBook(db, everySlot(db), o, path, spill).result, core::WriteResult::Cancelled);
    EXPECT_EQ(fileText(path), "old");

    spill.cancelled = {};
    spill.folder = folder.file("no such folder");
    const BookStreamResult failed = writeBook(db, everySlot(db), o, path, spill);
    EXPECT_EQ(failed.result, core::WriteResult::CannotCreate);
    EXPECT_NE(failed.problem.find("no such folder"), std::string::npos) << failed.problem;
    EXPECT_EQ(failed.positions, 0u);
    EXPECT_EQ(fileText(path), "old");

    // A sink that stops taking the text fails the book.
    spill.folder = folder.path();
    const BookStreamResult refused =
        streamBook(db, everySlot(db), o, spill, [](std::string_view) { return false; });
    EXPECT_EQ(refused.result, core::WriteResult::WriteFailed);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(BookRead, UnreadableLinesAreReportedAndWhatCameBeforeKept) {
    const std::string good =
        "#YANEURAOU-DB2016 1.00\n"
        "sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1\n"
        "7g7f 3c3d 0 0 3\n"
        "2g2f none 12 5 1\n";
    struct Case {
        const char* name;
        std::string text;
        int line;
        std::size_t movesKept;
    };
    const std::vector<Case> cases = {
        {"not a book", "sfen x\n", 1, 0},
        {"empty", "", 1, 0},
        {"bad board", good + "sfen lnsgkgsnl/1r5b1 b - 1\n", 5, 2},
        {"bad side", good + "sfen 9/9/9/9/9/9/9/9/9 x - 1\n", 5, 2},
        {"illegal move", good + "5a5b none 0 0 1\n", 5, 2},
        {"bad count", good + "6i7h none 0 0 many\n", 5, 2},
        {"negative count", good + "6i7h none 0 0 -4\n", 5, 2},
        {"move first", "#YANEURAOU-DB2016 1.00\n7g7f none 0 0 1\n", 2, 0},
    };
    for (const Case& c : cases) {
        OpeningBook book;
        const BookReadReport r = readBook(c.text, book);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.line, c.line) << c.name;
        EXPECT_FALSE(r.problem.empty()) << c.name;
        EXPECT_EQ(book.moveCount(), c.movesKept) << c.name;
    }
    OpeningBook book;
    ASSERT_TRUE(readBook(good, book).ok);
    const BookPosition& p = book.positions.begin()->second;
    ASSERT_EQ(p.moves.size(), 2u);
    EXPECT_EQ(p.moves[0].count, 3);
    EXPECT_TRUE(p.moves[0].hasPonder);
    EXPECT_EQ(p.moves[1].value, 12);
    EXPECT_EQ(p.moves[1].depth, 5);
    EXPECT_FALSE(p.moves[1].hasPonder);
}

TEST(BookRead, SfenBoardsReadAndWriteBack) {
    for (const char* sfen : {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1",
                             "8l/1l+R2P3/p2pBG1pp/kps1p4/Nn1P2G2/P1P1P2PP/1PS6/1KSG3+r1/LN2+p3L w "
                             "Sbgn3p 124",
                             "4k4/9/9/9/9/9/9/9/4K4 b 2R2B4G4S4N4L18P 1"}) {
        ReplayBoard b;
        int number = 0;
        ASSERT_TRUE(boardOfSfen(sfen, b, &number)) << sfen;
        EXPECT_EQ(boardSfen(b, number), sfen);
    }
    ReplayBoard b;
    for (const char* bad :
         {"", "9/9/9/9/9/9/9/9/9", "9/9/9/9/9/9/9/9/9/9 b - 1", "8/9/9/9/9/9/9/9/9 b - 1",
          "+G8/9/9/9/9/9/9/9/9 b - 1", "9/9/9/9/9/9/9/9/9 b K 1", "9/9/9/9/9/9/9/9/9 b 99P 1",
          "9/9/9/9/9/9/9/9/9 b - 0", "9/9/9/9/9/9/9/9/9 b PP 1"}) {
        EXPECT_FALSE(boardOfSfen(bad, b)) << bad;
    }
}

}  // namespace
}  // namespace dalmir::model
