// When two records are taken for the same game: equal handicaps and the criteria the user
// switched on (date, players, move count, moves). Used by adding with skip-duplicates and by
// the duplicate check.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "dalmir/model/table/index_entry.h"
#include "dalmir/model/table/move_list.h"

namespace dalmir::model {

struct DuplicateCriteria {
    bool sameDate = true;       // 対局日: both start dates complete and equal
    bool samePlayers = true;    // 対局者名: the first nameBytes bytes of both names agree
    int nameBytes = 8;          // 字(半角)
    bool ignoreBlanks = false;  // names compared without ASCII and double-byte spaces
    bool sameMoveCount = true;  // 手数
    bool compareMoves = false;  // 棋譜: move lists differ in at most moveTolerance moves
    int moveTolerance = 0;
};

// name without its blanks (ASCII spaces and the double-byte space), CP932.
std::string withoutBlanks(std::string_view name);

// year * 360 + month * 30 + day; 0 when any part is 0.
int dateKey(IndexDate date);

// Difference of two move lists: the difference of their lengths plus one for every place in
// the common length where the moves differ.
int moveListDifference(std::span<const ListMove> a, std::span<const ListMove> b);

// Whether the two records are a duplicate pair. The lists are compared only when
// criteria.compareMoves is on.
bool isDuplicatePair(const IndexEntry& a, std::span<const ListMove> movesA, const IndexEntry& b,
                     std::span<const ListMove> movesB, const DuplicateCriteria& criteria);

}  // namespace dalmir::model
