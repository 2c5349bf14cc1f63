// What the stored evaluations say of the moves of a record: for each move of the main line whose
// positions before and after were both analysed, the loss against the engine's best (the score
// before minus the score after, both from the mover's view, held within the cap), and a
// mark 悪手 / 疑問手 / 緩手 by thresholds the user sets; per record, the marked moves of each
// side and their average loss. Plain values over an EvaluationStore.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dalmir/model/analysis/evaluation_store.h"
#include "dalmir/model/store/database.h"
#include "dalmir/model/table/export_rows.h"
#include "dalmir/model/tree/opening_book.h"

namespace dalmir::model {

enum class MoveMark : uint8_t { None = 0, Slack = 1, Dubious = 2, Blunder = 3 };

// "緩手", "疑問手", "悪手"; empty for None.
std::string_view moveMarkText(MoveMark mark);

// The least loss (centipawns) of each mark, and the cap of scores and losses.
struct MarkThresholds {
    int slack = 100;    // 緩手
    int dubious = 200;  // 疑問手
    int blunder = 400;  // 悪手
    int cap = 1000;     // scores and losses are held within it: a lost mate costs cap at most

    // Whether slack <= dubious <= blunder, all above 0, and cap at least blunder.
    bool valid() const;
    friend bool operator==(const MarkThresholds&, const MarkThresholds&) = default;
};

// "S,D,B,CAP": the form parseMarkThresholds reads.
std::string markThresholdsText(const MarkThresholds& t);

MoveMark markOf(int loss, const MarkThresholds& t);

// The score of an evaluation for the side to move, in centipawns, a mate as ±usi::kMateScore
// less its moves; a resignation without a score as mated, a win declared as mating. nullopt when
// it has no score.
std::optional<int> sideToMoveScore(const Evaluation& e);

struct MoveLoss {
    int ply = 0;  // the move's ply (1 for the first move)
    core::SideByte mover = core::kSideBlack;
    std::optional<int> loss;  // nullopt when a position either side of the move lacks a score
    MoveMark mark = MoveMark::None;
};

// The stored score of the position a move leads to, from the view of the side that played it;
// nullopt when the move can't be played there or the store holds no score of that position.
std::optional<int> storedScoreAfter(const EvaluationStore& store, const ReplayBoard& board,
                                    ListMove move, const MarkThresholds& t);

// An opening book's moves of a position given their value (storedScoreAfter, for the side that
// plays them) and the depth of that score where the store holds the position they lead to.
void evaluateBookMoves(const EvaluationStore& store, const ReplayBoard& board,
                       std::span<BookMove> moves, const MarkThresholds& t);

// The moves of a main line from the start of the handicap code, up to a closing entry or a move
// that cannot be played.
std::vector<MoveLoss> moveLosses(const EvaluationStore& store, uint8_t handicap,
                                 std::span<const ListMove> moves, const MarkThresholds& t);

struct SideSummary {
    std::array<int, 4> marks{};  // by MoveMark; [0] counts the moves without a mark
    int scored = 0;              // moves with a loss
    long long lossSum = 0;
    std::optional<double> averageLoss() const;
};

struct RecordLossSummary {
    SideSummary black;
    SideSummary white;
    int unscored = 0;  // moves whose loss is unknown
};

RecordLossSummary summariseLosses(std::span<const MoveLoss> losses);

// The export's columns of a record's analysis: per side the 悪手, 疑問手 and 緩手 and the average
// loss (black_blunders, black_dubious, black_slack, black_average_loss, the same for white), then
// the moves without a loss (unscored_moves). A record none of whose moves has a loss gets empty
// cells. db and store must outlive the columns.
ExtraColumns analysisColumns(const Database& db, const EvaluationStore& store,
                             const MarkThresholds& t);

// "S,D,B" or "S,D,B,CAP" as thresholds; nullopt when they are not numbers in order.
std::optional<MarkThresholds> parseMarkThresholds(std::string_view text);

}  // namespace dalmir::model
