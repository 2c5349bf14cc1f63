// 盤・駒の設定: what the dialog starts with, taken from the settings, and what it stores back
// when closed with OK. The window shows the choices and reloads the pictures afterwards.
#pragma once

#include <string>

#include "tavrel/settings/settings.h"

namespace tavrel {

struct PieceChoices {
    int pieceSet = 0;  // 0..kPieceSetCount-1
    WoodChoice board = WoodChoice::Plain;
    WoodChoice stand = WoodChoice::Plain;
    bool externalPieces = false;
    std::string pieceBitmap;
};

// The dialog's start: the piece set kept in its range, any wood setting other than 0 and 1 shown
// as plain colour, the external pieces ticked only for 外部駒 1.
PieceChoices pieceChoices(const Settings& settings);

// Stores the choices; the picture's path is cut to kSettingTextBytes, never inside a two-byte
// character.
void applyPieceChoices(const PieceChoices& choices, Settings& settings);

}  // namespace tavrel
