#include "dalmir/logic/record_pane.h"

#include <algorithm>

#include "core/formats/kif_reader.h"
#include "core/text/translation.h"
#include "dalmir/model/table/fs_paths.h"

namespace dalmir {

void RecordPane::clear() {
    m_slot = -1;
    m_ply = 0;
    m_boards.clear();
    m_destinations.clear();
    m_texts.clear();
}

bool RecordPane::load(const model::Database& db, model::RecordExtractor& extractor, int slot) {
    clear();
    m_message.clear();
    const model::IndexTable& table = db.table();
    if (slot < 0 || slot >= table.size()) return false;
    const model::IndexEntry& e = table.entry(slot);
    model::ReplayBoard start;
    std::span<const model::ListMove> moves;
    if (db.isBinary()) {
        if (!model::startBoard(e.handicap, start)) {
            m_message = core::translate("この手合は盤面を表示できません。");
            return false;
        }
        moves = db.lists().list(slot);
    } else {
        model::IndexEntry scratch;
        const std::string fsPath =
            model::locateFile(model::fileSystemFromStored(table.resolve(e.path())));
        const model::ExtractResult code = extractor.extract(fsPath, scratch);
        if (code != model::ExtractResult::Ok) {
            m_message = code == model::ExtractResult::CannotOpen ? core::msgFileMissing(e.path())
                                                                 : extractor.errorText();
            return false;
        }
        core::Position pos;
        extractor.store().restoreStartPosition(pos);
        start.load(pos);
        extractor.buildMoveList(m_scratch);
        moves = m_scratch;
    }
    m_slot = slot;
    m_boards.reserve(moves.size() + 1);
    m_boards.push_back(start);
    m_destinations.push_back(0);
    int previous = 0;
    for (const model::ListMove& move : moves) {
        model::ReplayBoard next = m_boards.back();
        model::ReplayStep step;
        if (!model::playListMove(next, move, step)) break;
        const int number = static_cast<int>(m_boards.size());
        const char* mark = step.side == core::kSideBlack ? "▲" : "△";
        m_texts.push_back(std::to_string(number) + " " + mark +
                          model::nextMoveText(step, previous));
        if (step.closing) break;  // a closing entry ends the line and changes no board
        previous = step.to;
        m_boards.push_back(next);
        m_destinations.push_back(step.to);
    }
    // A search hit shows where it matched; otherwise the final position.
    const bool hit = e.hitPly > 0 || !e.nextMove().empty();
    m_ply = hit ? std::min<int>(e.hitPly, lastPly()) : lastPly();
    return true;
}

bool RecordPane::setPly(int ply) {
    if (empty()) return false;
    const int clamped = std::clamp(ply, 0, lastPly());
    if (clamped == m_ply) return false;
    m_ply = clamped;
    return true;
}

core::HandCounts RecordPane::hands() const {
    core::HandCounts out;
    if (empty()) return out;
    const model::ReplayBoard& b = board();
    for (std::size_t t = 0; t < 9; ++t) {
        out.black[t] =
            b.hand[static_cast<std::size_t>(model::ReplayBoard::handIndex(core::kSideBlack))][t];
        out.white[t] =
            b.hand[static_cast<std::size_t>(model::ReplayBoard::handIndex(core::kSideWhite))][t];
    }
    return out;
}

int RecordPane::lastSquare() const {
    return empty() ? 0 : m_destinations[static_cast<std::size_t>(m_ply)];
}

}  // namespace dalmir
