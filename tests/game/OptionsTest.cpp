// Player options: what an options file reads as (defaults, words, clamps) and what the
// writers put into it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/StringTable.h"
#include "game/Options.h"
#include "platform/win32.h"

namespace {

class OptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadStringTable(ORB_DATA_SRC_DIR "/Data/Txt/Strings.txt", ORB_DATA_SRC_DIR "/Data/TextID.dat");
        path = ::testing::TempDir() + "options_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        std::remove(path.c_str());
    }
    void TearDown() override { std::remove(path.c_str()); }

    void Write(const std::string& text)
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }

    std::string Read() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string path;
};

TEST_F(OptionsTest, EmptyFileGivesTheReadersDefaultsNotTheConstructorValues)
{
    Write("");
    CGraphicsOptions graphics;
    CSoundOptions sound;
    CGameOptions game;
    EXPECT_EQ(1, graphics.graphicalCursor); // constructor value
    graphics.Load(path.c_str());
    sound.Load(path.c_str());
    game.Load(path.c_str());

    EXPECT_EQ(0, graphics.graphicalCursor); // the reader's default text is "STANDARD"
    EXPECT_FLOAT_EQ(1.0f, graphics.effects);
    EXPECT_FLOAT_EQ(0.5f, graphics.gamma);
    EXPECT_EQ(1, sound.soundOn);
    EXPECT_FLOAT_EQ(0.5f, sound.soundVolume);
    EXPECT_FLOAT_EQ(0.75f, sound.panFactor);
    EXPECT_EQ(1, sound.musicOn);
    EXPECT_FLOAT_EQ(0.5f, sound.musicVolume);
    EXPECT_EQ(75, sound.musicAmplify);
    char player[256];
    GetStringById(kDefaultPlayerStringId, player, sizeof(player));
    EXPECT_STREQ("Player", player);
    EXPECT_EQ(player, game.profile);
    EXPECT_EQ(1, game.fastExplosionEnd);
    EXPECT_EQ(1, game.capsLockTutorial);
}

TEST_F(OptionsTest, ValuesAreReadAndClamped)
{
    struct Case
    {
        const char* file;
        float effects, gamma;
        int cursor;
        int soundOn;
        float volume, pan;
        int amplify;
        int fastExp, capsLock;
    };
    const Case cases[] = {
        {"[Graphics]\nCursor=gRaPhIcAl\nEffects=0.1\nGamma=-1\n[Sound]\nSound=on\nSoundVolume=2\n"
         "SoundPanFactor=0\nMusicAmplify=200\n[Game]\nFastExpTerm=2\nCapsLockTutorial=2\n",
         0.25f, 0.0f, 1, 1, 1.0f, 0.01f, 100, 1, 0},
        {"[Graphics]\nCursor=Standard\nEffects=3\nGamma=7\n[Sound]\nSound=yes\nSoundVolume=-0.5\n"
         "SoundPanFactor=5\nMusicAmplify=loud\n[Game]\nFastExpTerm=0\nCapsLockTutorial=1\n",
         1.0f, 1.0f, 0, 0, 0.0f, 5.0f, 5, 0, 1},
        {"[Graphics]\nEffects=0.6\nGamma=0.25\n[Sound]\nSound=Off\nSoundVolume=0.3\nMusicAmplify=40\n",
         0.6f, 0.25f, 0, 0, 0.3f, 0.75f, 40, 1, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        Write(c.file);
        CGraphicsOptions graphics;
        CSoundOptions sound;
        CGameOptions game;
        graphics.Load(path.c_str());
        sound.Load(path.c_str());
        game.Load(path.c_str());
        EXPECT_FLOAT_EQ(c.effects, graphics.effects);
        EXPECT_FLOAT_EQ(c.gamma, graphics.gamma);
        EXPECT_EQ(c.cursor, graphics.graphicalCursor);
        EXPECT_EQ(c.soundOn, sound.soundOn);
        EXPECT_FLOAT_EQ(c.volume, sound.soundVolume);
        EXPECT_FLOAT_EQ(c.pan, sound.panFactor);
        EXPECT_EQ(c.amplify, sound.musicAmplify);
        EXPECT_EQ(c.fastExp, game.fastExplosionEnd);
        EXPECT_EQ(c.capsLock, game.capsLockTutorial);
    }
}

TEST_F(OptionsTest, SoundSectionIsWrittenInOrderAndReadsBack)
{
    Write("[Settings]\nWidth=640\n\n[Sound]\nSoundPanFactor=0.3\n");
    CSoundOptions sound;
    sound.soundOn = 0;
    sound.soundVolume = 0.5f;
    sound.musicOn = 1;
    sound.musicVolume = 0.125f;
    sound.musicAmplify = 60;
    sound.Save(path.c_str());

    const std::string text = Read();
    EXPECT_NE(std::string::npos, text.find("Sound=Off\n"));
    EXPECT_NE(std::string::npos, text.find("SoundVolume=0.500\n"));
    EXPECT_NE(std::string::npos, text.find("Music=On\n"));
    EXPECT_NE(std::string::npos, text.find("MusicVolume=0.125\n"));
    EXPECT_NE(std::string::npos, text.find("MusicAmplify=60\n"));
    EXPECT_NE(std::string::npos, text.find("Width=640")); // other sections stay
    EXPECT_LT(text.find("Sound=Off"), text.find("MusicAmplify=60"));

    CSoundOptions back;
    back.Load(path.c_str());
    EXPECT_EQ(0, back.soundOn); // "Off" is not "ON" once upper-cased
    EXPECT_EQ(1, back.musicOn); // "On" is
    EXPECT_FLOAT_EQ(0.3f, back.panFactor); // not written, left as it was
    EXPECT_FLOAT_EQ(0.125f, back.musicVolume);
}

TEST_F(OptionsTest, GameSectionRoundTrips)
{
    CGameOptions game;
    game.profile = "Ilsa";
    game.fastExplosionEnd = 0;
    game.capsLockTutorial = 0;
    game.Save(path.c_str());
    const std::string text = Read();
    EXPECT_NE(std::string::npos, text.find("Profile=Ilsa\n"));
    EXPECT_NE(std::string::npos, text.find("FastExpTerm=0\n"));
    EXPECT_NE(std::string::npos, text.find("CapsLockTutorial=0\n"));

    CGameOptions back;
    back.Load(path.c_str());
    EXPECT_EQ("Ilsa", back.profile);
    EXPECT_EQ(0, back.fastExplosionEnd);
    EXPECT_EQ(0, back.capsLockTutorial);
}

}  // namespace
