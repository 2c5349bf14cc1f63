// What the analysis view shows of a running search: one line per MultiPV rank with its score,
// depth and PV, plus the search's depth, nodes and speed. Info lines only update plain values
// here and mark the table changed; the window takes the change at most a few times a second and
// only then builds the texts (PV in traditional notation), so a flood of lines costs little.
// Owned by the analysis window; plain C++.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/notation/notation.h"
#include "core/record/record_store.h"
#include "core/rules/move_node.h"
#include "core/rules/position.h"
#include "usi/usi_protocol.h"

namespace usi {

struct AnalysisLine {
    int multiPv = 1;
    int depth = -1;
    int selDepth = -1;
    std::int64_t nodes = -1;
    std::int64_t nps = -1;
    UsiScore score;
    std::vector<std::string> pv;
};

// Texts of a score: "+123", "-45", "+詰5" (the side to move mates in 5), "-詰" (is mated), with
// "以上"/"以下" for a lower or upper bound. blackView turns a score of White to move around.
std::string scoreText(const UsiScore& score, core::SideByte sideToMove, bool blackView);

// A score from Black's view as one number for graphs: centipawns, or kMateScore less the moves
// for a mate (negative when Black is mated).
inline constexpr int kMateScore = 30000;
int blackScore(const UsiScore& score, core::SideByte sideToMove);

// The moves of pv as the record would store them, played from pos: the legal prefix.
// illegalAt receives the index of the first move that cannot be played (-1 when all can).
std::vector<core::MoveNode> pvNodes(const core::Position& pos, const std::vector<std::string>& pv,
                                    int* illegalAt = nullptr);

// The PV in traditional notation with side marks ("▲７六歩△３四歩"), at most maxMoves moves
// (0: all) and at most maxBytes bytes of whole moves (0: any length). previousDestination is the
// destination of the move that led to pos (0 for none), for "同".
std::string pvText(const core::Position& pos, const std::vector<std::string>& pv,
                   int previousDestination, const core::NotationOptions& options,
                   std::size_t maxBytes = 0);

// Adds the legal prefix of pv after the record's current node as a line of play (joining moves
// it already has, a new alternative where it differs) and leaves the current node as it was.
// Returns the moves of pv that are in the record afterwards; 0 when none could be stored.
int addPvAsVariation(core::RecordStore& store, const std::vector<std::string>& pv);

class AnalysisLines {
public:
    // A new search of pos starts: the table empties.
    void reset(const core::Position& pos, int previousDestination);
    // One info line of the search. Lines without a PV or score only update the totals.
    void add(const UsiInfo& info);
    // Whether anything changed since the last call.
    bool takeChanged() {
        const bool c = m_changed;
        m_changed = false;
        return c;
    }

    const std::vector<AnalysisLine>& lines() const { return m_lines; }
    const core::Position& position() const { return m_position; }
    int previousDestination() const { return m_previousDestination; }
    int depth() const { return m_depth; }
    std::int64_t nodes() const { return m_nodes; }
    std::int64_t nps() const { return m_nps; }
    const std::string& engineText() const { return m_text; }

    // The status line: "深さ 12/18  ノード 123456  NPS 1234567".
    std::string totalsText() const;

private:
    core::Position m_position;
    int m_previousDestination = 0;
    std::vector<AnalysisLine> m_lines;
    int m_depth = -1;
    int m_selDepth = -1;
    std::int64_t m_nodes = -1;
    std::int64_t m_nps = -1;
    std::string m_text;
    bool m_changed = false;
};

}  // namespace usi
