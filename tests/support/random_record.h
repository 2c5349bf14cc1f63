// Reproducible pseudo-random game records for tests and benchmarks: legal games from the even or
// a handicap start, with variations, comments, bookmarks, consumed times and the usual endings.
#pragma once

#include <cstdint>
#include <random>

#include "core/record/record_store.h"

namespace testsupport {

struct RandomRecordOptions {
    int minPlies = 40;
    int maxPlies = 200;
    int handicapPercent = 10;   // games started from a handicap set-up
    int variationPercent = 30;  // records that get alternatives
    int commentPercent = 30;    // records that get comments
    int bookmarkPercent = 20;   // records that get bookmarks
    int timesPercent = 60;      // records with consumed times
    bool headers = true;        // players, date, event
};

// Replaces the content of store with a new record drawn from rng. The root is current and slot 0
// shows the start position afterwards.
void makeRandomRecord(core::RecordStore& store, std::mt19937& rng,
                      const RandomRecordOptions& options = {});

// A legal move of the side to move of pos drawn from rng; 0 when there is none.
core::PackedMove randomLegalMove(const core::Position& pos, std::mt19937& rng);

// Replaces the content of store with one line of exactly plies legal moves from the start,
// each taking seconds (a seed whose game ends early is skipped). The last move is current.
void makeLegalLine(core::RecordStore& store, int plies, std::uint16_t seconds);

}  // namespace testsupport
