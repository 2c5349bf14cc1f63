// The sequence-search pattern parser on any text, and every step parsed matched against a short
// replayed game.
#include <vector>

#include "database/engine/search/sequence_pattern.h"
#include "fuzz/fuzz_support.h"

namespace {

// 1.７六歩 2.３四歩 3.２二角成 4.同銀 5.４五角打 as replayed from a list.
std::vector<database::ReplayStep> replayedGame() {
    const database::ListMove moves[] = {{77, 76}, {33, 34}, {88, 22 | 0x80}, {31, 22}, {6, 45}};
    std::vector<database::ReplayStep> steps;
    database::ReplayBoard board;
    fuzz::require(database::startBoard(0, board), "no even start board");
    for (database::ListMove m : moves) {
        database::ReplayStep step;
        if (!database::playListMove(board, m, step)) break;
        steps.push_back(step);
    }
    fuzz::require(steps.size() >= 4, "the sample game does not replay");
    return steps;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const database::PatternParse parse = database::parsePattern(fuzz::bytesOf(data, size));
    fuzz::require(parse.steps.size() <= static_cast<std::size_t>(database::kMaxPatternSteps),
                  "more steps than a pattern holds");
    fuzz::require(parse.ok() || !parse.error.empty(), "a failed parse without its message");
    for (const database::PatternStep& step : parse.steps) {
        fuzz::require(step.side <= 2 && step.rank <= 9 && step.piece <= 15 &&
                          (step.file <= 9 || step.file == database::kSameSquare),
                      "a step outside its ranges");
    }
    static const std::vector<database::ReplayStep> game = replayedGame();
    for (std::size_t i = 0; i < game.size(); ++i) {
        for (const database::PatternStep& step : parse.steps) {
            (void)database::stepMatches(step, game[i], i == 0 ? nullptr : &game[i - 1]);
        }
    }
    return 0;
}
