#include "tavrel/logic/tools/sounds.h"

#include "core/text/message_format.h"
#include "core/text/translation.h"
#include "tavrel/logic/document/document.h"

namespace tavrel {

const char* builtInSoundName(int which) { return which == 0 ? "komaoto" : "komaoto2"; }

std::string builtInSoundMissingMessage(int which) {
    return core::formatMessageUtf8(core::translate("%s が読み込めません。"),
                                   {builtInSoundName(which)});
}

void warningSound(const Settings& settings, SoundPlayer& player) {
    if (settings.warningSound == 0) return;
    if (!player.systemSound()) player.beep();
}

void pieceSound(PieceSoundKind kind, const std::string& userWave, const Settings& settings,
                SoundPlayer& player, DocumentUi& ui) {
    switch (kind) {
        case PieceSoundKind::None:
            return;
        case PieceSoundKind::Beep:
            player.beep();
            return;
        case PieceSoundKind::BuiltIn1:
        case PieceSoundKind::BuiltIn2:
            if (!player.playBuiltIn(kind == PieceSoundKind::BuiltIn1 ? 0 : 1)) {
                warningSound(settings, player);
            }
            return;
        case PieceSoundKind::UserWave:
            if (!player.playFile(textToPath(userWave))) {
                ui.showMessage(
                    core::formatMessageUtf8(
                        core::translate("WAVEファイル(%s)の再生に失敗しました。"), {userWave}),
                    programCaption());
            }
            return;
    }
}

void pieceSound(const Settings& settings, SoundPlayer& player, DocumentUi& ui) {
    // A value outside 0..4 (a hand-edited file) makes no sound.
    if (settings.pieceSound < PieceSoundKind::None ||
        settings.pieceSound > PieceSoundKind::UserWave) {
        return;
    }
    pieceSound(settings.pieceSound, settings.userWave, settings, player, ui);
}

}  // namespace tavrel
