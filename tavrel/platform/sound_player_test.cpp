#include "tavrel/platform/sound_player.h"

#include <gtest/gtest.h>

#include <QFile>
#include <fstream>

#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

namespace tavrel {
namespace {

TEST(QtSoundPlayerTest, TheBuiltInSoundsAreWaveResources) {
    testsupport::ensureQApplication();
    for (const char* name : {":/sounds/komaoto.wav", ":/sounds/komaoto2.wav"}) {
        QFile file(QString::fromLatin1(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray head = file.read(12);
        EXPECT_TRUE(head.startsWith("RIFF") && head.mid(8) == "WAVE") << name;
    }
    QtSoundPlayer player;
    EXPECT_TRUE(player.missingBuiltIns().empty());
    // Without an audio device this stays silent, and says it played.
    EXPECT_TRUE(player.playBuiltIn(0));
    EXPECT_TRUE(player.playBuiltIn(1));
    EXPECT_FALSE(player.playBuiltIn(2));
}

TEST(QtSoundPlayerTest, OnlyAReadableWaveFileIsPlayed) {
    testsupport::ensureQApplication();
    testsupport::TempFolder folder;
    const std::string text = folder.file("text.wav");
    std::ofstream(text) << "not a sound at all";
    QFile::copy(QStringLiteral(":/sounds/komaoto.wav"),
                QString::fromStdString(folder.file("k.wav")));
    EXPECT_TRUE(isWaveFile(folder.file("k.wav")));
    EXPECT_FALSE(isWaveFile(text));
    EXPECT_FALSE(isWaveFile(folder.file("missing.wav")));
    QtSoundPlayer player;
    EXPECT_FALSE(player.playFile(text));
    EXPECT_FALSE(player.playFile(folder.file("missing.wav")));
    EXPECT_TRUE(player.playFile(folder.file("k.wav")));
}

}  // namespace
}  // namespace tavrel
