// Test support for the record writers: a store built move by move, golden files, reading a
// written text back, and comparing two records node by node.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/base/safe_file.h"
#include "core/formats/kif_reader.h"
#include "core/formats/record_writer_options.h"
#include "core/record/record_store.h"
#include "core/text/sjis.h"

namespace testsupport {
using namespace ::core;

inline std::string goldenPath(std::string_view name) {
    return std::string(TAVREL_TEST_DATA) + "/writers/" + std::string(name);
}

// The golden file's bytes (Shift-JIS, as the program writes them).
inline std::string goldenBytes(std::string_view name) {
    std::optional<std::string> bytes = readFile(goldenPath(name));
    EXPECT_TRUE(bytes.has_value()) << "missing golden file " << name;
    return bytes.value_or("");
}

// The golden file as text (UTF-8), as the writers build it before the file is converted.
inline std::string golden(std::string_view name) {
    std::optional<std::string> text = cp932ToUtf8(goldenBytes(name));
    EXPECT_TRUE(text.has_value()) << "golden file is not Shift-JIS: " << name;
    return text.value_or("");
}

// A CR LF text for failure output.
inline std::string readable(std::string_view text) { return toUtf8Lossy(text); }

inline ReadOptions readOptionsFor(const RecordWriteOptions& w) {
    ReadOptions r;
    r.userKeys = w.userKeys;
    return r;
}

// The start of the writers' mating problem: White's king alone on 51, Black with two golds in
// hand, White holding the rest; even, Black first, an author so the record is a problem.
inline void setUpMatingProblem(RecordStore& store) {
    Position p;
    clearPosition(p);
    p.cells[51] = makePiece(kSideWhite, kKing);
    p.cells[111] = makePiece(kSideBlack, kGold);
    p.cells[112] = makePiece(kSideBlack, kGold);
    p.handEnd = 113;
    buildPieceList(p);
    ASSERT_TRUE(fillWhiteHandWithRest(p));
    buildPieceList(p);
    p.sideToMove = kSideBlack;
    store.setHandicap(kHandicapEven);
    store.setFirstMover(kSideBlack);
    store.setCustomStart(true);
    store.position() = p;
    store.saveStartPosition(p);
    store.setHeader(HeaderField::Author, std::string("詰将棋作者"));
}

class RecordBuilder {
public:
    explicit RecordBuilder(RecordStore& store) : m_store(store) {}

    void move(int from, int to, std::uint16_t seconds = 0) {
        ASSERT_EQ(m_store.addAndAdvance(kAddStoreAll, packMove(from, to), seconds), AddResult::Ok)
            << "move " << from << "-" << to << " at ply " << m_store.currentPly() + 1;
    }
    void promote(int from, int to, std::uint16_t seconds = 0) {
        move(from, to + kPromoteFlag, seconds);
    }
    void drop(int type, int to, std::uint16_t seconds = 0) {
        const Position& pos = m_store.position();
        int slot = findHandSlot(pos, pos.sideToMove, type);
        ASSERT_NE(slot, 0) << "no piece of type " << type << " in hand";
        move(slot, to, seconds);
    }
    void end(TerminalCode t, std::uint16_t seconds = 0) {
        ASSERT_EQ(m_store.addAndAdvance(kAddStoreAll, terminalMove(t), seconds), AddResult::Ok);
    }
    void comment(std::string_view utf8) {
        ASSERT_EQ(m_store.appendComment(m_store.currentPly(), std::string(utf8)),
                  CommentResult::Ok);
    }
    void bookmark(std::string_view utf8) {
        ASSERT_EQ(m_store.setBookmark(m_store.current(), std::string(utf8)), BookmarkResult::Ok);
    }
    void back(int ply) { m_store.backTo(ply); }

private:
    RecordStore& m_store;
};

// Compares start, header, players and the whole tree of two records node by node.
inline void expectSameRecord(const RecordStore& a, const RecordStore& b, bool withSeconds = true) {
    EXPECT_EQ(a.handicap(), b.handicap());
    EXPECT_EQ(a.firstMover(), b.firstMover());
    EXPECT_EQ(a.customStart(), b.customStart());
    EXPECT_EQ(a.flipped(), b.flipped());
    Position sa, sb;
    a.restoreStartPosition(sa);
    b.restoreStartPosition(sb);
    EXPECT_EQ(comparePositions(sa, sb), 0);
    for (int f = 0; f < kHeaderFieldCount; ++f) {
        EXPECT_EQ(a.header(static_cast<HeaderField>(f)), b.header(static_cast<HeaderField>(f)))
            << "header field " << f;
    }
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(a.playerName(static_cast<PlayerField>(p)),
                  b.playerName(static_cast<PlayerField>(p)));
    }
    auto bookmarkName = [](const RecordStore& s, NodeIndex n) {
        const Bookmark* bm = s.bookmarkAt(s.bookmarkOf(n));
        return bm ? bm->name : std::string("-");
    };
    // Parallel walk: every node with its alternatives in order.
    std::vector<std::pair<NodeIndex, NodeIndex>> stack{{kRootNode, kRootNode}};
    int nodes = 0;
    while (!stack.empty()) {
        auto [x, y] = stack.back();
        stack.pop_back();
        ++nodes;
        const MoveNode& m = a.node(x);
        const MoveNode& n = b.node(y);
        std::string where = "node " + std::to_string(x) + " at ply " + std::to_string(a.plyOf(x));
        EXPECT_EQ(m.from, n.from) << where;
        EXPECT_EQ(m.to, n.to) << where;
        EXPECT_EQ(m.piece, n.piece) << where;
        EXPECT_EQ(m.captured, n.captured) << where;
        if (withSeconds) {
            EXPECT_EQ(m.seconds, n.seconds) << where;
        }
        EXPECT_EQ(readable(m.commentText()), readable(n.commentText())) << where;
        EXPECT_EQ(readable(bookmarkName(a, x)), readable(bookmarkName(b, y))) << where;
        if ((m.next == kNoNode) != (n.next == kNoNode) ||
            (m.sibling == kNoNode) != (n.sibling == kNoNode)) {
            ADD_FAILURE() << "tree shapes differ at " << where;
            return;
        }
        if (x != kRootNode && m.sibling != kNoNode) stack.emplace_back(m.sibling, n.sibling);
        if (m.next != kNoNode) stack.emplace_back(m.next, n.next);
    }
    EXPECT_EQ(a.bookmarkCount(), b.bookmarkCount());
    EXPECT_GT(nodes, 0);
}

}  // namespace testsupport
