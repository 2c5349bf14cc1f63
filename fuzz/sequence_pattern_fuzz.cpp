// The sequence-search pattern parser on any text, and every step parsed matched against a short
// replayed game.
#include <vector>

#include "dalmir/model/search/sequence_pattern.h"
#include "fuzz/fuzz_support.h"

namespace {

// 1.７六歩 2.３四歩 3.２二角成 4.同銀 5.４五角打 as replayed from a list.
std::vector<dalmir::model::ReplayStep> replayedGame() {
    const dalmir::model::ListMove moves[] = {
        {77, 76}, {33, 34}, {88, 22 | 0x80}, {31, 22}, {6, 45}};
    std::vector<dalmir::model::ReplayStep> steps;
    dalmir::model::ReplayBoard board;
    fuzz::require(dalmir::model::startBoard(0, board), "no even start board");
    for (dalmir::model::ListMove m : moves) {
        dalmir::model::ReplayStep step;
        if (!dalmir::model::playListMove(board, m, step)) break;
        steps.push_back(step);
    }
    fuzz::require(steps.size() >= 4, "the sample game does not replay");
    return steps;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const dalmir::model::PatternParse parse =
        dalmir::model::parsePattern(fuzz::bytesOf(data, size));
    fuzz::require(parse.steps.size() <= static_cast<std::size_t>(dalmir::model::kMaxPatternSteps),
                  "more steps than a pattern holds");
    fuzz::require(parse.ok() || !parse.error.empty(), "a failed parse without its message");
    for (const dalmir::model::PatternStep& step : parse.steps) {
        fuzz::require(step.side <= 2 && step.rank <= 9 && step.piece <= 15 &&
                          (step.file <= 9 || step.file == dalmir::model::kSameSquare),
                      "a step outside its ranges");
    }
    static const std::vector<dalmir::model::ReplayStep> game = replayedGame();
    for (std::size_t i = 0; i < game.size(); ++i) {
        for (const dalmir::model::PatternStep& step : parse.steps) {
            (void)dalmir::model::stepMatches(step, game[i], i == 0 ? nullptr : &game[i - 1]);
        }
    }
    return 0;
}
