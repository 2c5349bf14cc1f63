// The piece pictures and wood grains, shared with Dalmir's board pane: Tavrel's code names them
// as its own.
#pragma once

#include "desktop/board/piece_pictures.h"
#include "tavrel/logic/view/board_geometry.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

using board::pictureCode;
using board::PiecePictures;

inline QImage woodGrain(WoodChoice kind) {
    return board::woodGrain(static_cast<board::Wood>(static_cast<int>(kind)));
}

}  // namespace tavrel
