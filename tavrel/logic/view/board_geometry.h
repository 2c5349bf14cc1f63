// The board display's geometry, shared with Dalmir's board pane: Tavrel's code names it as its
// own.
#pragma once

#include "core/board/board_geometry.h"

namespace tavrel {

using board::BoardGeometry;
using board::boardView;
using board::CellSize;
using board::cellSizeForSet;
using board::cellSizeOfClass;
using board::GridCell;
using board::kBoardSizeChoices;
using board::kBoardSizeFit;
using board::kMaxBoardScale;
using board::kMinBoardScale;
using board::kOneCharacterPieceSet;
using board::kPieceSetCount;
using board::kStandardPieceSet;
using board::maskCell;
using board::pictureCell;
using board::PictureGrid;
using board::PictureLayout;
using board::pictureLayout;
using board::Point;
using board::Rect;
using board::sizeClassOf;
using board::Stand;
using board::standSlots;
using board::validBoardSize;
using board::ViewScale;

}  // namespace tavrel
