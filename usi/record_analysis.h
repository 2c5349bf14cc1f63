// Analysis of a whole record by an engine: each position of the main line (or of every line) is
// searched for a fixed time ("go infinite", then "stop"), and its score and best line are written
// into the comment of the move that led to it (the start position's into the record's opening
// comment) as one line:
//
//     解析：評価値 +123 深さ 12 読み筋 ▲７六歩△３四歩▲２六歩
//
// The score is from Black's view ("+詰5": Black mates in 5, "-詰5": Black is mated). The line is
// at most kAnalysisLineBytes bytes (the best line is cut at a whole move), so writers that wrap
// comments at their usual column keep it whole. A later analysis replaces the line; the rest of
// the comment stays as it was. The readers keep it as any comment line.
// RecordAnalysis drives one UsiEngine over the record; the window and the command-line tool
// feed it the engine's lines. It writes into the store it is given as each position is done, so
// a cancelled run keeps what was analysed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/notation/notation.h"
#include "core/record/record_store.h"
#include "usi/analysis_lines.h"
#include "usi/usi_engine.h"

namespace usi {

inline constexpr std::size_t kAnalysisLineBytes = 78;

// "解析：": the first characters of an analysis line.
std::string_view analysisPrefix();

// The analysis line (without a line end) of a search of pos: the score (turned to Black's
// view), the depth (-1: none) and the best line from pos, cut to kAnalysisLineBytes.
// previousDestination is the destination of the move that led to pos (0: none), for "同".
std::string analysisLine(const core::Position& pos, const AnalysisLine& line,
                         int previousDestination, const core::NotationOptions& options);

// comment with its analysis lines removed and line added as its last line (line empty: only
// removed).
std::string withAnalysisLine(std::string_view comment, std::string_view line);

// The score (Black's view, as blackScore()) of the analysis line in comment; nullopt when the
// comment holds none.
std::optional<int> analysedScore(std::string_view comment);

// The scores of the main line's positions, ply 0 first, from the analysis lines of the comments.
std::vector<std::optional<int>> mainLineScores(const core::RecordStore& store);

// "position startpos moves ..." or "position sfen ... moves ..." for the position at node, by the
// path from the root.
std::string usiPositionCommandAt(const core::RecordStore& store, core::NodeIndex node);

struct RecordAnalysisOptions {
    std::int64_t moveTimeMs = 1000;
    int multiPv = 1;
    bool everyLine = false;  // else the main line only
    core::NotationOptions notation;
};

class RecordAnalysis : public UsiEvents {
public:
    RecordAnalysis(core::RecordStore& store, RecordAnalysisOptions options);

    // The nodes that will be analysed (in order).
    const std::vector<core::NodeIndex>& nodes() const { return m_nodes; }

    // Starts the run on an engine whose events come here, before the engine is started (the
    // first search waits for its handshake). onChange is called after each position and at the
    // end.
    void run(UsiEngine& engine, std::function<void()> onChange = {});
    // Stops the search under way and ends the run; what was written stays.
    void cancel();

    // Positions searched (with or without a result), and those given an analysis line.
    int done() const { return m_done; }
    int analysed() const { return m_analysed; }
    int total() const { return static_cast<int>(m_nodes.size()); }
    bool finished() const { return m_finished; }
    bool cancelled() const { return m_cancelled; }
    // The last problem the engine reported; empty when none.
    const std::string& message() const { return m_message; }
    // Whether the run ended for a failure of the engine.
    bool failed() const { return m_failed; }

    void engineReady() override {}
    void engineInfo(const UsiInfo& info) override;
    void engineBestMove(const UsiBestMove& best) override;
    void engineWarning(const std::string& message) override;
    void engineFailed(const std::string& message) override;
    void engineQuit() override;

private:
    void next();
    void writeResult();
    void finish();

    core::RecordStore& m_store;
    RecordAnalysisOptions m_options;
    std::vector<core::NodeIndex> m_nodes;
    UsiEngine* m_engine = nullptr;
    std::function<void()> m_onChange;
    AnalysisLines m_lines;
    int m_done = 0;
    int m_analysed = 0;
    bool m_finished = false;
    bool m_cancelled = false;
    bool m_failed = false;
    std::string m_message;
};

}  // namespace usi
