// The viewer's two sounds: the warning that goes with refused input and errors (警告音), and the
// piece sound when a piece is put on the board (駒音種類: none, beep, the two built-in WAVE
// sounds or the user's WAVE file). The playing itself is the platform's, behind SoundPlayer; a
// machine without an audio device simply stays silent.
#pragma once

#include <string>

#include "tavrel/logic/document/document_ui.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // The desktop's warning sound; false when there is none to play.
    virtual bool systemSound() = 0;
    // A plain beep.
    virtual void beep() = 0;
    // Built-in WAVE 0 ("komaoto") or 1 ("komaoto2"), asynchronously; false when it is not
    // available.
    virtual bool playBuiltIn(int which) = 0;
    // A WAVE file (file system's bytes), asynchronously; false when it cannot be played.
    virtual bool playFile(const std::string& path) = 0;
};

// The names of the built-in sounds, for "%s が読み込めません。".
const char* builtInSoundName(int which);
// "%s が読み込めません。" for a built-in sound that did not load.
std::string builtInSoundMissingMessage(int which);

// WarningSound: unless 警告音 is 0, the desktop's warning sound, or a plain beep when there is
// none.
void warningSound(const Settings& settings, SoundPlayer& player);

// PieceSound for a kind and user file. A built-in sound that is not available gives the warning
// sound instead; a user file that cannot be played shows "WAVEファイル(%s)の再生に失敗しました。"
// (the path) and play goes on.
void pieceSound(PieceSoundKind kind, const std::string& userWave, const Settings& settings,
                SoundPlayer& player, DocumentUi& ui);
// PieceSound with the stored 駒音種類 and ユーザWAVE.
void pieceSound(const Settings& settings, SoundPlayer& player, DocumentUi& ui);

}  // namespace tavrel
