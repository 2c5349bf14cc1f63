#include "tavrel/logic/tools/sounds.h"

#include <gtest/gtest.h>

#include "tavrel/logic/document/document_test_fixture.h"
#include "tavrel/logic/tools/settings_pages.h"

namespace tavrel {
namespace {

using testsupport::DocumentFixture;

// Records what would be heard; the built-in sounds and files play as the test says.
struct FakePlayer : SoundPlayer {
    bool hasSystemSound = true;
    bool builtInsLoaded = true;
    bool filePlays = true;
    std::vector<std::string> heard;

    bool systemSound() override {
        if (hasSystemSound) heard.push_back("system");
        return hasSystemSound;
    }
    void beep() override { heard.push_back("beep"); }
    bool playBuiltIn(int which) override {
        if (builtInsLoaded) heard.push_back(builtInSoundName(which));
        return builtInsLoaded;
    }
    bool playFile(const std::string& path) override {
        if (filePlays) heard.push_back("file " + path);
        return filePlays;
    }
};

class SoundTest : public DocumentFixture {
protected:
    std::vector<std::string> play(int kind) {
        settings.pieceSound = static_cast<PieceSoundKind>(kind);
        player.heard.clear();
        pieceSound(settings, player, ui);
        return player.heard;
    }
    FakePlayer player;
};

using Heard = std::vector<std::string>;

TEST_F(SoundTest, EachPieceSoundSettingPlaysItsSound) {
    settings.userWave = std::string("/home/u/音.wav");
    EXPECT_EQ(play(0), Heard{});
    EXPECT_EQ(play(1), Heard{"beep"});
    EXPECT_EQ(play(2), Heard{"komaoto"});
    EXPECT_EQ(play(3), Heard{"komaoto2"});
    EXPECT_EQ(play(4), Heard{"file /home/u/音.wav"});
    EXPECT_EQ(play(9), Heard{});  // a hand-edited value makes no sound
    EXPECT_EQ(play(-1), Heard{});
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SoundTest, AMissingBuiltInSoundGivesTheWarningSoundInstead) {
    player.builtInsLoaded = false;
    EXPECT_EQ(play(2), Heard{"system"});
    player.hasSystemSound = false;
    EXPECT_EQ(play(3), Heard{"beep"});
    settings.warningSound = 0;
    EXPECT_EQ(play(3), Heard{});
    EXPECT_EQ(core::toUtf8Lossy(builtInSoundMissingMessage(1)), "komaoto2 が読み込めません。");
}

TEST_F(SoundTest, AUserFileThatDoesNotPlayIsNamedAndPlayGoesOn) {
    settings.userWave = std::string("/nowhere/駒.wav");
    player.filePlays = false;
    EXPECT_EQ(play(4), Heard{});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(core::toUtf8Lossy(ui.messages[0].first),
              "WAVEファイル(/nowhere/駒.wav)の再生に失敗しました。");
    EXPECT_EQ(ui.messages[0].second, programCaption());
}

TEST_F(SoundTest, TheWarningSoundFollowsItsSetting) {
    warningSound(settings, player);
    player.hasSystemSound = false;
    warningSound(settings, player);
    settings.warningSound = 0;
    warningSound(settings, player);
    EXPECT_EQ(player.heard, (Heard{"system", "beep"}));
    // The document's refusals come through the same setting.
    doc.warningSound();
    EXPECT_EQ(ui.beeps, 0);
}

TEST_F(SoundTest, TheTestButtonPlaysThePagesChoiceAndChangesNoSetting) {
    settings.pieceSound = PieceSoundKind::BuiltIn1;
    settings.userWave = std::string("/stored.wav");
    const Settings before = settings;
    const auto play = [&](const Settings& trial) { pieceSound(trial, player, ui); };
    Settings draft = settings;
    draft.pieceSound = PieceSoundKind::UserWave;
    draft.userWave = std::string("/typed.wav");
    testPieceSound(settings, draft, play);
    draft.pieceSound = PieceSoundKind::Beep;
    testPieceSound(settings, draft, play);
    EXPECT_EQ(player.heard, (Heard{"file /typed.wav", "beep"}));
    EXPECT_TRUE(settings == before);
}

}  // namespace
}  // namespace tavrel
