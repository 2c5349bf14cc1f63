// The record shown on the board pane beside the list: its main line replayed once into one
// board per ply, the ply shown (the search hit's after a position or sequence search, else the
// final position), the arrow keys' steps and the move list under the board. The window draws
// board() and lists moveTexts(); nothing here draws.
#pragma once

#include <string>
#include <vector>

#include "core/rules/position.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/store/list_replay.h"
#include "dalmir/model/table/record_extractor.h"

namespace dalmir {

class RecordPane {
public:
    // Shows the record of slot: a binary database's move list, or the record file of a text
    // database read with extractor. False (the pane then empty, message says why) when the
    // record can't be shown; an element that can't be played ends the line there.
    bool load(const model::Database& db, model::RecordExtractor& extractor, int slot);
    void clear();

    bool empty() const { return m_boards.empty(); }
    int slot() const { return m_slot; }
    const std::string& message() const { return m_message; }

    // Ply 0 is the start position; lastPly() the position after the last move.
    int ply() const { return m_ply; }
    int lastPly() const { return empty() ? 0 : static_cast<int>(m_boards.size()) - 1; }
    // Moves to a ply (clamped); false when nothing changed.
    bool setPly(int ply);
    bool step(int delta) { return setPly(m_ply + delta); }

    const model::ReplayBoard& board() const { return m_boards[static_cast<std::size_t>(m_ply)]; }
    core::HandCounts hands() const;
    // The destination of the move that led to the ply shown; 0 at the start.
    int lastSquare() const;
    // One text per move ("1 ▲７六歩(77)"), closing entries included; move k leads to ply k.
    const std::vector<std::string>& moveTexts() const { return m_texts; }

private:
    int m_slot = -1;
    int m_ply = 0;
    std::vector<model::ReplayBoard> m_boards;
    std::vector<int> m_destinations;  // per ply
    std::vector<std::string> m_texts;
    std::string m_message;
    std::vector<model::ListMove> m_scratch;
};

}  // namespace dalmir
