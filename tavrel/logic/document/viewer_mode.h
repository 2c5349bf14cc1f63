// The state of the viewer's main window. Every command consults it; the document owns the one
// current value.
#pragma once

#include <cstdint>

namespace tavrel {

enum class ViewerMode : std::uint8_t {
    Playing = 0,           // a game is played or entered move by move
    PlayingPieceHeld = 1,  // as Playing, a piece has been picked up
    Editing = 2,           // position editing
    EditingPieceHeld = 3,  // as Editing, a piece has been picked up
    Viewing = 4,           // normal viewing; the state after start-up
    Replaying = 5,         // the step-wise replay mode
    PrintPreview = 8,      // the print preview occupies the main window
};

constexpr bool isPlaying(ViewerMode m) {
    return m == ViewerMode::Playing || m == ViewerMode::PlayingPieceHeld;
}
constexpr bool isEditing(ViewerMode m) {
    return m == ViewerMode::Editing || m == ViewerMode::EditingPieceHeld;
}

// The mode a held piece is put down into: 1 -> 0, 3 -> 2; any other mode stays.
constexpr ViewerMode afterPutDown(ViewerMode m) {
    if (m == ViewerMode::PlayingPieceHeld) return ViewerMode::Playing;
    if (m == ViewerMode::EditingPieceHeld) return ViewerMode::Editing;
    return m;
}

}  // namespace tavrel
