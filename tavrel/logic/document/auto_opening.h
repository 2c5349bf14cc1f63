// What the record information page says about the record's opening as the classifier sees it:
// the line it shows under 戦型 ("自動戦型：▲四間飛車(美濃囲い) △居飛車穴熊") and the name its
// button copies into the 戦型 field. Texts are UTF-8.
#pragma once

#include <string>

#include "core/record/record_store.h"

namespace tavrel {

struct AutoOpeningText {
    std::string shown;  // the whole line, also when the record is not classified
    std::string name;   // what the copy puts into 戦型; empty when there is nothing to copy
    // The short line of the information box beside the board: both sides' labels without their
    // castles ("▲四間飛車 △居飛車", after the named opening when the labels do not say it), so
    // that it fits the box's width. Empty for a handicap game (the box shows the handicap on a
    // line of its own), a position of its own or a line too short to classify.
    std::string brief;
};

AutoOpeningText autoOpeningText(const core::RecordStore& store);

}  // namespace tavrel
