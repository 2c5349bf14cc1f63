#include "tavrel/logic/tools/piece_choices.h"

#include <gtest/gtest.h>

#include "core/text/sjis.h"
#include "tavrel/logic/view/board_geometry.h"

namespace tavrel {
namespace {

TEST(PieceChoices, SettingsOutOfRangeStartAtTheNearestChoice) {
    Settings settings;
    settings.pieceSet = 40;
    settings.boardType = static_cast<WoodChoice>(7);
    settings.standType = WoodChoice::Grain2;
    settings.externalPieces = 2;
    PieceChoices c = pieceChoices(settings);
    EXPECT_EQ(c.pieceSet, kPieceSetCount - 1);
    EXPECT_EQ(c.board, WoodChoice::Plain);
    EXPECT_EQ(c.stand, WoodChoice::Grain2);
    EXPECT_FALSE(c.externalPieces);
    settings.pieceSet = -3;
    settings.boardType = static_cast<WoodChoice>(-1);
    settings.externalPieces = 1;
    c = pieceChoices(settings);
    EXPECT_EQ(c.pieceSet, 0);
    EXPECT_EQ(c.board, WoodChoice::Plain);
    EXPECT_TRUE(c.externalPieces);
}

TEST(PieceChoices, StoredWithThePathCutBetweenCharacters) {
    PieceChoices c;
    c.pieceSet = 5;
    c.board = WoodChoice::Grain1;
    c.stand = WoodChoice::Plain;
    c.externalPieces = true;
    // 254 single bytes, then a two-byte character that would end at byte 256.
    c.pieceBitmap = std::string(254, 'p') + std::string("駒") + ".bmp";
    Settings settings;
    applyPieceChoices(c, settings);
    EXPECT_EQ(settings.pieceSet, 5);
    EXPECT_EQ(settings.boardType, WoodChoice::Grain1);
    EXPECT_EQ(settings.standType, WoodChoice::Plain);
    EXPECT_EQ(settings.externalPieces, 1);
    EXPECT_EQ(settings.pieceBitmap, std::string(254, 'p'));
    c.externalPieces = false;
    applyPieceChoices(c, settings);
    EXPECT_EQ(settings.externalPieces, 0);
}

}  // namespace
}  // namespace tavrel
