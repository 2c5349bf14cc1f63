// The sounds played with Qt Multimedia: the two built-in WAVE sounds from the program's
// resources and the user's WAVE file, each as a QSoundEffect (asynchronous). Without an audio
// output nothing is played and nothing is reported; a file is still checked, so that a missing
// one is named all the same.
#pragma once

#include <QSoundEffect>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "tavrel/logic/tools/sounds.h"

namespace tavrel {

class QtSoundPlayer : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    // The built-in sounds that could not be found (0, 1), for the start-up message.
    std::vector<int> missingBuiltIns() const;

    bool systemSound() override;
    void beep() override;
    bool playBuiltIn(int which) override;
    bool playFile(const std::string& path) override;

private:
    std::array<std::unique_ptr<QSoundEffect>, 2> m_builtIn;
    std::unique_ptr<QSoundEffect> m_user;
    // No audio output: the sounds are checked as usual and then not played.
    bool m_silent;
};

// Whether the file (file system's bytes) opens and starts as a RIFF WAVE file.
bool isWaveFile(const std::string& path);

}  // namespace tavrel
