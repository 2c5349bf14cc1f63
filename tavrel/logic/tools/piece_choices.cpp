#include "tavrel/logic/tools/piece_choices.h"

#include <algorithm>

#include "core/text/sjis.h"
#include "tavrel/logic/view/board_geometry.h"

namespace tavrel {

namespace {

WoodChoice woodChoice(WoodChoice setting) {
    return setting == WoodChoice::Grain1 || setting == WoodChoice::Grain2 ? setting
                                                                          : WoodChoice::Plain;
}

}  // namespace

PieceChoices pieceChoices(const Settings& settings) {
    PieceChoices c;
    c.pieceSet = std::clamp(settings.pieceSet, 0, kPieceSetCount - 1);
    c.board = woodChoice(settings.boardType);
    c.stand = woodChoice(settings.standType);
    c.externalPieces = settings.externalPieces == 1;
    c.pieceBitmap = settings.pieceBitmap;
    return c;
}

void applyPieceChoices(const PieceChoices& choices, Settings& settings) {
    settings.pieceSet = choices.pieceSet;
    settings.boardType = choices.board;
    settings.standType = choices.stand;
    settings.externalPieces = choices.externalPieces ? 1 : 0;
    settings.pieceBitmap = std::string(core::cutToBytes(choices.pieceBitmap, kSettingTextBytes));
}

}  // namespace tavrel
