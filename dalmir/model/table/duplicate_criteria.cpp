#include "dalmir/model/table/duplicate_criteria.h"

#include <algorithm>
#include <cstdlib>

#include "core/text/sjis.h"

namespace dalmir::model {

std::string withoutBlanks(std::string_view name) {
    std::string out;
    core::forEachChar(name, [&](std::size_t i, std::size_t n) {
        std::string_view c = name.substr(i, n);
        if (c != " " && c != core::kFullWidthSpace) out.append(c);
    });
    return out;
}

namespace {

bool namesAgree(std::string_view a, std::string_view b, const DuplicateCriteria& c) {
    std::string x = c.ignoreBlanks ? withoutBlanks(a) : std::string(a);
    std::string y = c.ignoreBlanks ? withoutBlanks(b) : std::string(b);
    std::size_t n = static_cast<std::size_t>(std::max(c.nameBytes, 0));
    return std::string_view(x).substr(0, std::min(n, x.size())) ==
           std::string_view(y).substr(0, std::min(n, y.size()));
}

}  // namespace

int dateKey(IndexDate date) {
    if (date.year == 0 || date.month == 0 || date.day == 0) return 0;
    return date.year * 360 + date.month * 30 + date.day;
}

int moveListDifference(std::span<const ListMove> a, std::span<const ListMove> b) {
    std::size_t common = std::min(a.size(), b.size());
    int diff = static_cast<int>(std::max(a.size(), b.size()) - common);
    for (std::size_t i = 0; i < common; ++i) {
        if (!(a[i] == b[i])) ++diff;
    }
    return diff;
}

bool isDuplicatePair(const IndexEntry& a, std::span<const ListMove> movesA, const IndexEntry& b,
                     std::span<const ListMove> movesB, const DuplicateCriteria& criteria) {
    if (a.handicap != b.handicap) return false;
    if (criteria.sameDate) {
        int key = dateKey(a.start);
        if (key == 0 || key != dateKey(b.start)) return false;
    }
    if (criteria.sameMoveCount && a.moveCount != b.moveCount) return false;
    if (criteria.samePlayers && (!namesAgree(a.blackPlayer(), b.blackPlayer(), criteria) ||
                                 !namesAgree(a.whitePlayer(), b.whitePlayer(), criteria))) {
        return false;
    }
    if (criteria.compareMoves &&
        moveListDifference(movesA, movesB) > std::max(criteria.moveTolerance, 0)) {
        return false;
    }
    return true;
}

}  // namespace dalmir::model
