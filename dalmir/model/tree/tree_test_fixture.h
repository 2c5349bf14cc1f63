// Test data of the tree tests: lines of USI moves, and random databases made to catch the
// tree's and the book's mistakes.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "core/formats/usi.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/tree/opening_tree.h"
#include "tests/support/random_record.h"

namespace dalmir::model::treetest {

// A line of USI moves played from the even start; the test fails on a word that can't be played.
inline std::vector<ListMove> usiLine(std::initializer_list<const char*> words) {
    ReplayBoard board;
    EXPECT_TRUE(startBoard(0, board));
    std::vector<ListMove> out;
    ReplayStep step;
    for (const char* w : words) {
        ListMove m;
        EXPECT_TRUE(listMoveOfUsi(board, w, m)) << w;
        EXPECT_TRUE(playListMove(board, m, step));
        out.push_back(m);
    }
    return out;
}

inline ReplayBoard boardAfter(uint8_t handicap, std::span<const ListMove> list, std::size_t plies) {
    ReplayBoard b;
    EXPECT_TRUE(startBoard(handicap, b));
    ReplayStep step;
    for (std::size_t k = 0; k < plies && k < list.size(); ++k) {
        if (list[k].isClosing() || !playListMove(b, list[k], step)) break;
    }
    return b;
}

// Whether replayList left the whole line in the store: an empty list leaves the start position
// of a handicap that has one.
inline bool replayed(ReplayResult r, const core::RecordStore& store) {
    return r == ReplayResult::Ok ||
           (r == ReplayResult::NoList && store.handicap() != core::kHandicapOther);
}

inline std::string sfenWithoutNumber(const core::Position& p) {
    std::string s = core::sfen(p, 1);
    return s.substr(0, s.rfind(' '));
}

// A database made to catch the tree's mistakes: random games; games that share openings in
// different move orders (transpositions); games whose kings step out and back (the start
// position again at ply 4); prefixes of other games (records that end at a position); every
// result code and an unknown one; dates, players and handicaps to filter by.
class TreeDatabase {
public:
    explicit TreeDatabase(unsigned seed) : m_rng(seed) { m_db.reset(true); }

    Database& db() { return m_db; }
    std::mt19937& rng() { return m_rng; }

    void fill(int count) {
        const std::vector<std::vector<ListMove>> openings = {
            usiLine({"7g7f", "3c3d", "2g2f", "8c8d"}),
            usiLine({"2g2f", "8c8d", "7g7f", "3c3d"}),  // the same position after four plies
            usiLine({"2g2f", "3c3d", "7g7f", "8c8d"}),  // and again
            usiLine({"5i4h", "5a4b", "4h5i", "4b5a", "7g7f"}),  // the start position twice
            usiLine({"7g7f", "3c3d"}),
        };
        core::RecordStore store;
        testsupport::RandomRecordOptions ro;
        ro.minPlies = 6;
        ro.maxPlies = 40;
        ro.handicapPercent = 15;
        for (int i = 0; i < count; ++i) {
            IndexEntry entry;
            std::vector<ListMove> list;
            const unsigned kind = m_rng() % 6;
            if (kind <= 1) {
                list = openings[m_rng() % openings.size()];
                if (kind == 1) appendRandomMoves(list, 1 + static_cast<int>(m_rng() % 8));
            } else if (kind == 2 && m_db.table().size() > 3) {
                const int from = static_cast<int>(m_rng() % m_db.table().size());
                entry.handicap = m_db.table().entry(from).handicap;
                std::span<const ListMove> source = m_db.lists().list(from);
                list.assign(source.begin(),
                            source.begin() + static_cast<long>(m_rng() % (source.size() + 1)));
            } else {
                testsupport::makeRandomRecord(store, m_rng, ro);
                entry.handicap = static_cast<uint8_t>(store.handicap());
                buildList(store, list);
            }
            entry.result = static_cast<uint8_t>(m_rng() % 10);  // 8 and 9: unknown codes
            entry.start = IndexDate{static_cast<uint16_t>(2000 + m_rng() % 5),
                                    static_cast<uint8_t>(1 + m_rng() % 12),
                                    static_cast<uint8_t>(1 + m_rng() % 28)};
            if (m_rng() % 10 == 0) entry.start = {};
            static const char* kPlayers[] = {"alpha", "beta", "gamma", "delta"};
            entry.setText(IndexText::BlackPlayer, kPlayers[m_rng() % 4]);
            entry.setText(IndexText::WhitePlayer, kPlayers[m_rng() % 4]);
            entry.setText(IndexText::Path, "g" + std::to_string(i) + ".kif");
            ASSERT_GE(m_db.append(std::move(entry), std::move(list)), 0);
        }
    }

    // Positions worth asking about: the start, the transposed one, and random (slot, ply).
    std::vector<std::pair<int, int>> targets(int count) {
        std::vector<std::pair<int, int>> out;
        for (int i = 0; i < count; ++i) {
            const int slot = static_cast<int>(m_rng() % m_db.table().size());
            const int length = static_cast<int>(m_db.lists().list(slot).size());
            out.emplace_back(slot, static_cast<int>(m_rng() % (length + 1)));
        }
        return out;
    }

private:
    void appendRandomMoves(std::vector<ListMove>& list, int n) {
        core::RecordStore store;
        ASSERT_EQ(replayList(list, 0, store), ReplayResult::Ok);
        for (int k = 0; k < n; ++k) {
            core::Position pos = positionOfRecord(store, -1);
            core::PackedMove m = testsupport::randomLegalMove(pos, m_rng);
            if (m == 0 || store.addAndAdvance(core::kAddStoreAll, m, 0) != core::AddResult::Ok) {
                break;
            }
        }
        buildList(store, list);
    }

    Database m_db;
    std::mt19937 m_rng;
};

// The target of a (slot, ply) pair in both forms.
struct Target {
    ReplayBoard board;
    std::string sfen;
};

inline Target targetOf(const Database& db, int slot, int ply) {
    Target t;
    const uint8_t handicap = db.table().entry(slot).handicap;
    std::span<const ListMove> list = db.lists().list(slot);
    t.board = boardAfter(handicap, list, static_cast<std::size_t>(ply));
    core::RecordStore store;
    EXPECT_TRUE(replayed(replayList(list, handicap, store), store));
    t.sfen = sfenWithoutNumber(positionOfRecord(store, ply));
    return t;
}

}  // namespace dalmir::model::treetest
