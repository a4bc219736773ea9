// The game's own sound data, as the generator and data/ leave it in the game
// folder: the settings file reads without a warning, every file of the bank is
// there and loads into the real mixer, the first start converts every listed
// sound and the next start converts nothing, and the music tracks open.
#include <gtest/gtest.h>

#include <cstdlib>

#include "audio/Music.h"
#include "audio/SoundBank.h"
#include "audio/SoundConversion.h"
#include "audio_test_util.h"
#include "engine/DataFolders.h"
#include "platform/audio/recording.h"

using audiotest::LogCapture;
using audiotest::ScratchDir;

namespace {

const std::string kSfx = std::string(ORB_GAME_DIR) + "/Data/Sfx/";
const std::string kMusic = std::string(ORB_GAME_DIR) + "/Music/";

bool DataBuilt() { return audiotest::fs::exists(kSfx + "Ogg.lst") && audiotest::fs::exists(kSfx + "Vol.cfg"); }

TEST(GameSoundData, SettingsFileReadsCleanly)
{
    if (!DataBuilt())
        GTEST_SKIP() << "the game folder has not been generated";
    LogCapture log;
    CSoundBank bank;
    bank.LoadVolumeConfig((kSfx + "Vol.cfg").c_str());
    EXPECT_EQ(log.Text(), "");
    EXPECT_GT(bank.configNames.size(), 40u);
    // Every entry names a file of the bank.
    std::vector<std::string> files = audiotest::BankFiles();
    for (const std::string& name : bank.configNames)
    {
        bool known = false;
        for (std::string f : files)
        {
            for (char& c : f)
                c = char(std::toupper(static_cast<unsigned char>(c)));
            known = known || f == name;
        }
        EXPECT_TRUE(known) << name;
    }
}

TEST(GameSoundData, EverySoundAndTrackLoadsIntoTheMixer)
{
    if (!DataBuilt())
        GTEST_SKIP() << "the game folder has not been generated";
    platform::audio::UseMixerBackend();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    CSoundBank bank;
    ASSERT_FALSE(bank.Init(nullptr)) << "the dummy output opens";
    bank.LoadVolumeConfig((kSfx + "Vol.cfg").c_str());
    LogCapture log;
    ASSERT_EQ(bank.LoadSounds(kSfx.c_str()), 0) << log.Text();
    EXPECT_EQ(bank.Terminator->VariantCount(), 8);
    EXPECT_EQ(bank.Combo->VariantCount(), 8);
    BASS_SAMPLE info{};
    ASSERT_TRUE(BASS_SampleGetInfo(bank.Explode->samples[0], &info));
    EXPECT_GT(info.length, 44100u) << "a real, decoded sound";

    CMusic music(kMusic.c_str());
    for (int kind : {CMusic::kTrackMainMenu, CMusic::kTrackStoryline, CMusic::kTrackBonusLevel, CMusic::kTrackGameplay,
                     CMusic::kTrackGameplay, CMusic::kTrackGameplay})
    {
        music.Play(kind);
        EXPECT_EQ(music.playing, 1) << kind;
    }
    EXPECT_EQ(log.Text(), "");
}

TEST(GameSoundData, FirstStartConvertsEveryListedSoundAndTheNextNone)
{
    if (!DataBuilt())
        GTEST_SKIP() << "the game folder has not been generated";
    platform::audio::AudioRecorder& rec = platform::audio::UseRecordingBackend();
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    ASSERT_EQ(CheckWindowsVersion(), 1);
    ScratchDir converted("converted");
    ScratchDir config("config");
    std::string options = config.File("Options.ini");

    LogCapture log;
    ASSERT_EQ(ConvertSoundsFirstRun(options.c_str(), kSfx.c_str(), converted.Folder().c_str()), 1);
    EXPECT_EQ(log.Text(), " Firs time sound convertion...\n Done\n");
    EXPECT_TRUE(converted.Exists("Vol.cfg"));
    for (const std::string& name : audiotest::BankFiles())
        EXPECT_TRUE(converted.Exists(name)) << name;

    // The bank loads from the converted folder.
    CSoundBank bank;
    bank.enabled = 1;
    bank.LoadVolumeConfig(converted.File("Vol.cfg").c_str());
    EXPECT_EQ(bank.LoadSounds(converted.Folder().c_str()), 0);

    log.Clear();
    rec.Clear();
    ASSERT_EQ(ConvertSoundsFirstRun(options.c_str(), kSfx.c_str(), converted.Folder().c_str()), 1);
    EXPECT_EQ(log.Text(), "");
    EXPECT_TRUE(rec.calls.empty());
    BASS_Free();
    platform::audio::UseMixerBackend();
}

}  // namespace
