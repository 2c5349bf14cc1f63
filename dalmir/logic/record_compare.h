// 二つの棋譜の違いを調べる: the first two selected records of a binary database compared move by
// move, and where the viewer opens them when they differ.
#pragma once

#include <string>
#include <vector>

#include "dalmir/model/store/database.h"

namespace dalmir {

struct TwoRecordComparison {
    bool compared = false;   // two records were selected
    bool identical = false;  // same length and moves: "違いは、ありません。"
    int firstSlot = -1;
    int secondSlot = -1;
    int move = 0;  // both open here: one past the equal leading moves
};

// Compares the records of the first two rows (display-order positions, taken in list order);
// fewer than two valid rows compare nothing.
TwoRecordComparison compareTwoRecords(const model::Database& db, std::vector<int> rows);

// "違いは、ありません。" (UTF-8).
std::string noDifferenceText();

}  // namespace dalmir
