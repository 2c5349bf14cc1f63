// The sounds played with Qt Multimedia: the two built-in WAVE sounds from the program's
// resources and the user's WAVE file, each as a QSoundEffect (asynchronous). Without an audio
// device the effects stay silent and nothing is reported.
#pragma once

#include <QSoundEffect>
#include <array>
#include <memory>
#include <string>

#include "viewer/logic/sounds.h"

namespace viewer {

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
};

// Whether the file (file system's bytes) opens and starts as a RIFF WAVE file.
bool isWaveFile(const std::string& path);

}  // namespace viewer
