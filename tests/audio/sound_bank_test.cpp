// The sound bank on the recording backend: slots and variants, per-sound
// settings, panned play, the ring of recent playbacks, the master volume,
// looping sounds, music dips and the silent bank.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "audio/SoundBank.h"
#include "audio_test_util.h"
#include "platform/audio/recording.h"
#include "platform/crt.h"

using audiotest::BankFiles;
using audiotest::LogCapture;
using audiotest::ScratchDir;
using platform::audio::AudioCall;
using platform::audio::AudioRecorder;

namespace {

class SoundBankTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rec_ = &platform::audio::UseRecordingBackend();
        crt::srand(7);
    }
    void TearDown() override
    {
        bank_.reset();
        platform::audio::UseMixerBackend();
    }

    // A started bank over a sound folder with the given numbered files and settings.
    void Start(int terminators = 8, int combos = 8, const std::string& volCfg = "")
    {
        audiotest::WriteBankFiles(sounds_, terminators, combos);
        sounds_.Write("Vol.cfg", volCfg);
        bank_ = std::make_unique<CSoundBank>();
        ASSERT_FALSE(bank_->Init(nullptr));
        bank_->LoadVolumeConfig(sounds_.File("Vol.cfg").c_str());
        ASSERT_EQ(bank_->LoadSounds(sounds_.Folder().c_str()), 0);
        rec_->Clear();
    }

    // File names of the samples started since the last Clear.
    std::vector<std::string> Played() const
    {
        std::vector<std::string> names;
        for (const AudioCall& c : rec_->calls)
            if (c.name == "BASS_SamplePlay" || c.name == "BASS_SamplePlayEx")
                names.push_back(c.text);
        return names;
    }

    AudioRecorder* rec_ = nullptr;
    ScratchDir sounds_{"sfx"};
    std::unique_ptr<CSoundBank> bank_;
};

TEST_F(SoundBankTest, LoadsEverySlotInTableOrder)
{
    std::vector<std::string> loaded;
    audiotest::WriteBankFiles(sounds_);
    CSoundBank bank;
    ASSERT_FALSE(bank.Init(nullptr));
    rec_->Clear();
    ASSERT_EQ(bank.LoadSounds(sounds_.Folder().c_str()), 0);
    for (const AudioCall& c : rec_->Calls("BASS_SampleLoad"))
    {
        loaded.push_back(c.text);
        EXPECT_EQ(c.Arg(3), 8) << c.text << ": playback cap";
        EXPECT_EQ(c.Arg(4), int64_t(BASS_FLAG_OVERRIDE_LOWEST)) << c.text;
    }
    EXPECT_EQ(loaded, BankFiles());
    EXPECT_EQ(bank.allSounds.size(), 63u);
    EXPECT_EQ(bank.Terminator->VariantCount(), 8);
    EXPECT_EQ(bank.Combo->VariantCount(), 8);
    EXPECT_EQ(bank.Treasure->VariantCount(), 1);
    for (const CSoundBank::Slot& slot : CSoundBank::kSlots)
        EXPECT_TRUE(bool(bank.*slot.sound)) << slot.file;
}

TEST_F(SoundBankTest, VariantCountStopsAtTheFirstMissingNumber)
{
    audiotest::WriteBankFiles(sounds_, 0, 0);
    for (const char* name : {"Terminator0.wav", "Terminator1.wav", "Terminator3.wav", "Combo2.wav", "Combo3.wav", "Combo4.wav"})
        sounds_.Write(name, "");
    CSoundBank bank;
    ASSERT_FALSE(bank.Init(nullptr));
    ASSERT_EQ(bank.LoadSounds(sounds_.Folder().c_str()), 0);
    EXPECT_EQ(bank.Terminator->VariantCount(), 2);
    EXPECT_EQ(bank.Combo->VariantCount(), 3);
}

TEST_F(SoundBankTest, AMissingSoundFailsTheLoadAndKeepsEarlierSlots)
{
    struct Case
    {
        const char* missing;
        CRefPtr<CSound> CSoundBank::*lastLoaded;
        CRefPtr<CSound> CSoundBank::*failed;
    } cases[] = {
        {"Terminator0.wav", &CSoundBank::GemBar, &CSoundBank::Terminator},
        {"Combo2.wav", &CSoundBank::Explode, &CSoundBank::Combo},
        {"Door.wav", &CSoundBank::Flare, &CSoundBank::Door},
        {"MouseOver.wav", nullptr, &CSoundBank::MouseOver},
    };
    for (const Case& k : cases)
    {
        ScratchDir dir("sfx_missing");
        audiotest::WriteBankFiles(dir);
        audiotest::fs::remove(dir.File(k.missing));
        LogCapture log;
        CSoundBank bank;
        ASSERT_FALSE(bank.Init(nullptr));
        EXPECT_EQ(bank.LoadSounds(dir.Folder().c_str()), CSoundBank::kLoadFailed) << k.missing;
        EXPECT_EQ(log.Text(), " Unable to load sound  " + dir.Folder() + k.missing + " \n") << k.missing;
        if (k.lastLoaded)
        {
            EXPECT_TRUE(bool(bank.*k.lastLoaded)) << k.missing;
        }
        EXPECT_FALSE(bool(bank.*k.failed)) << k.missing;
        EXPECT_FALSE(bool(bank.Treasure)) << k.missing;
    }
}

TEST_F(SoundBankTest, SettingsFileGivesEachVariantItsOwnValues)
{
    Start(8, 8,
          "\"Click.wav\" 0.5 PAN 0.25 MUSIC 2 0.3\n"
          "\"terminator3.wav\" 0.2\n");
    EXPECT_FLOAT_EQ(bank_->Click->volumes[0], 0.5f);
    EXPECT_FLOAT_EQ(bank_->Click->panFactors[0], 0.25f);
    EXPECT_EQ(bank_->Click->silencers[0], std::make_pair(2.0f, 0.3f));
    // No entry: full volume, never panned, no dip.
    EXPECT_FLOAT_EQ(bank_->Drop->volumes[0], 1.0f);
    EXPECT_FLOAT_EQ(bank_->Drop->panFactors[0], 0.0f);
    EXPECT_EQ(bank_->Drop->silencers[0], std::make_pair(0.0f, 1.0f));
    // Variants are looked up by their own file name.
    EXPECT_FLOAT_EQ(bank_->Terminator->volumes[3], 0.2f);
    EXPECT_FLOAT_EQ(bank_->Terminator->panFactors[3], 1.0f);
    EXPECT_FLOAT_EQ(bank_->Terminator->volumes[2], 1.0f);

    BASS_SAMPLE info{};
    ASSERT_TRUE(BASS_SampleGetInfo(bank_->Click->samples[0], &info));
    EXPECT_EQ(info.volume, 50u);
    ASSERT_TRUE(BASS_SampleGetInfo(bank_->Terminator->samples[3], &info));
    EXPECT_EQ(info.volume, 20u);
}

TEST_F(SoundBankTest, RandomVariantReachesEveryFileAndOnlyExistingOnes)
{
    Start();
    std::set<std::string> seen;
    for (int i = 0; i < 400; ++i)
        bank_->Play(bank_->Terminator, -1, 0);
    for (const std::string& name : Played())
        seen.insert(name);
    EXPECT_EQ(seen.size(), 8u);
    EXPECT_TRUE(seen.count("Terminator7.wav"));

    ScratchDir one("sfx_one");
    audiotest::WriteBankFiles(one, 1, 1);
    CSoundBank bank;
    bank.enabled = 1;
    ASSERT_EQ(bank.LoadSounds(one.Folder().c_str()), 0);
    rec_->Clear();
    for (int i = 0; i < 50; ++i)
        bank.Play(bank.Terminator, -1, 0);
    std::vector<std::string> played = Played();
    EXPECT_EQ(played.size(), 50u);
    EXPECT_EQ(std::set<std::string>(played.begin(), played.end()), std::set<std::string>{"Terminator0.wav"});
}

TEST_F(SoundBankTest, VariantPastTheCountOrEmptyHandleIsIgnored)
{
    Start(2, 8);
    bank_->Play(bank_->Terminator, 2, 0);
    bank_->Play(bank_->Click, 1, 0);
    bank_->PlayPanned(bank_->Terminator, 10.0f, 5, 0);
    bank_->Play(CRefPtr<CSound>(), 0, 0);
    bank_->PlayPanned(CRefPtr<CSound>(), 0.0f, -1, 1);
    bank_->Stop(CRefPtr<CSound>());
    EXPECT_TRUE(rec_->calls.empty());
    bank_->Play(bank_->Terminator, 1, 0);
    EXPECT_EQ(Played(), std::vector<std::string>{"Terminator1.wav"});
}

TEST_F(SoundBankTest, ComboLevelPicksItsNumberedFile)
{
    struct Case
    {
        int files, level;
        const char* expected;
    } cases[] = {
        {8, 0, "Combo2.wav"}, {8, 2, "Combo2.wav"}, {8, -5, "Combo2.wav"}, {8, 5, "Combo5.wav"},
        {8, 9, "Combo9.wav"}, {8, 20, "Combo9.wav"}, {3, 7, "Combo4.wav"}, {3, 3, "Combo3.wav"},
    };
    for (const Case& k : cases)
    {
        ScratchDir dir("sfx_combo");
        audiotest::WriteBankFiles(dir, 8, k.files);
        CSoundBank bank;
        ASSERT_FALSE(bank.Init(nullptr));
        ASSERT_EQ(bank.LoadSounds(dir.Folder().c_str()), 0);
        rec_->Clear();
        bank.PlayComboSound(k.level);
        EXPECT_EQ(Played(), std::vector<std::string>{k.expected}) << k.files << " files, level " << k.level;
    }
}

TEST_F(SoundBankTest, PannedPlayFollowsThePanFormula)
{
    Start(8, 8, "\"Select.wav\" 1.0\n\"Drop.wav\" 1 PAN 0.5\n");
    struct Case
    {
        float divisor, x;
        CRefPtr<CSound> CSoundBank::*sound;
        int pan;
    } cases[] = {
        {520.0f, 0.0f, &CSoundBank::Select, 0},
        {520.0f, 100.0f, &CSoundBank::Select, 19},    // 19.04
        {520.0f, -100.0f, &CSoundBank::Select, -20},  // floor(-19.04)
        {520.0f, 600.0f, &CSoundBank::Select, 100},   // 114.23, held at the end
        {520.0f, -600.0f, &CSoundBank::Select, -100},
        {520.0f, 300.0f, &CSoundBank::Drop, 28},      // 0.5 x 99 x 300 / 520 = 28.56
        {260.0f, 100.0f, &CSoundBank::Select, 38},    // pan factor setting 2: twice as wide
    };
    for (const Case& k : cases)
    {
        bank_->panDivisor = k.divisor;
        rec_->Clear();
        bank_->PlayPanned((*bank_).*k.sound, k.x, 0, 0);
        const AudioCall* call = rec_->Last("BASS_SamplePlayEx");
        ASSERT_NE(call, nullptr);
        EXPECT_EQ(call->Arg(4), k.pan) << "x " << k.x << " divisor " << k.divisor;
        EXPECT_EQ(call->Arg(5), -1) << "the sample's own loop setting";
        EXPECT_EQ(rec_->ChannelPan(call->result), k.pan);
    }

    // No settings entry: pan factor 0, so a plain start with the defaults.
    rec_->Clear();
    bank_->PlayPanned(bank_->Click, 500.0f, 0, 0);
    EXPECT_EQ(rec_->Count("BASS_SamplePlay"), 1);
    EXPECT_EQ(rec_->Count("BASS_SamplePlayEx"), 0);

    // A looping panned sound starts as Play starts a loop: the pan is not applied.
    rec_->Clear();
    bank_->PlayPanned(bank_->Select, 600.0f, 0, 1);
    const AudioCall* loop = rec_->Last("BASS_SamplePlayEx");
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->Arg(4), BASS_KEEP_PAN);
    EXPECT_EQ(loop->Arg(5), 1);
    EXPECT_EQ(bank_->Select->loopChannels.size(), 1u);
}

TEST_F(SoundBankTest, MasterVolumeReachesDefaultsRingAndLoops)
{
    Start(8, 8, "\"Tick.wav\" 0.5\n\"TickLoop.wav\" 0.8\n");
    bank_->Play(bank_->TickLoop, 0, 1);
    HCHANNEL loop = bank_->TickLoop->loopChannels.front();
    bank_->SetVolume(0.8f);

    BASS_SAMPLE info{};
    ASSERT_TRUE(BASS_SampleGetInfo(bank_->Tick->samples[0], &info));
    EXPECT_EQ(info.volume, 40u);  // floor(0.5 x 80)
    ASSERT_TRUE(BASS_SampleGetInfo(bank_->Click->samples[0], &info));
    EXPECT_EQ(info.volume, 80u);
    EXPECT_EQ(rec_->ChannelVolume(loop), 64);  // floor(0.8 x 80)

    // Seven playbacks: the seventh takes the first one's ring entry. The first
    // keeps playing but no longer follows the volume.
    std::vector<HCHANNEL> started;
    for (int i = 0; i < 7; ++i)
    {
        bank_->Play(bank_->Tick, 0, 0);
        started.push_back(rec_->Last("BASS_SamplePlay")->result);
    }
    EXPECT_EQ(bank_->Tick->channels[0], started[6]);
    EXPECT_EQ(bank_->Tick->nextChannel, 1);
    EXPECT_EQ(BASS_ChannelIsActive(started[0]), 1u) << "overwriting the ring stops nothing";
    bank_->SetVolume(0.5f);
    EXPECT_EQ(rec_->ChannelVolume(started[0]), 40);
    for (int i = 1; i < 7; ++i)
        EXPECT_EQ(rec_->ChannelVolume(started[size_t(i)]), 25) << i;
    EXPECT_EQ(rec_->ChannelVolume(loop), 40);

    // Ended playbacks stay in the ring; setting them is harmless.
    rec_->EndAll();
    bank_->SetVolume(1.0f);
    ASSERT_TRUE(BASS_SampleGetInfo(bank_->Tick->samples[0], &info));
    EXPECT_EQ(info.volume, 50u);
}

TEST_F(SoundBankTest, StopEndsOnlyTheLoopingPlaybacks)
{
    Start();
    bank_->Play(bank_->Clock, 0, 0);
    HCHANNEL once = rec_->Last("BASS_SamplePlay")->result;
    bank_->Stop(bank_->Clock);
    EXPECT_EQ(rec_->Count("BASS_ChannelStop"), 0) << "never looped: nothing to stop";

    bank_->Play(bank_->TickLoop, 0, 1);
    bank_->Play(bank_->TickLoop, -1, 1);
    bank_->Play(bank_->TickLoop, 0, 0);
    HCHANNEL plain = rec_->Last("BASS_SamplePlay")->result;
    ASSERT_EQ(bank_->TickLoop->loopChannels.size(), 2u);
    std::vector<HCHANNEL> loops(bank_->TickLoop->loopChannels.begin(), bank_->TickLoop->loopChannels.end());
    bank_->Stop(bank_->TickLoop);
    EXPECT_TRUE(bank_->TickLoop->loopChannels.empty());
    EXPECT_EQ(BASS_ChannelIsActive(loops[0]), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(loops[1]), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(plain), 1u);
    EXPECT_EQ(BASS_ChannelIsActive(once), 1u);
}

TEST_F(SoundBankTest, SoundWithASilencerDipsTheMusic)
{
    ScratchDir musicDir("music");
    musicDir.Write("mainmenu.ogg", "");
    Start(8, 8, "\"Explode.wav\" 1 MUSIC 1.5 0.4\n");
    bank_->Play(bank_->Explode, 0, 0);  // no music yet: nothing to dip

    CRefPtr<CMusic> music(new CMusic(musicDir.Folder().c_str()));
    music->Play(CMusic::kTrackMainMenu);
    bank_->music = music;
    bank_->Play(bank_->Explode, 0, 0);
    bank_->Play(bank_->Click, 0, 0);
    ASSERT_EQ(music->silencers.size(), 1u);
    EXPECT_EQ(music->silencers[0], std::make_pair(1.5f, 0.4f));
}

// No sound device: the library plays to a silent one, the bank says so once and
// loads its sounds against it as usual.
TEST_F(SoundBankTest, WithoutASoundDeviceTheBankLoadsAgainstTheSilentOne)
{
    rec_->silentInit = true;
    LogCapture log;
    audiotest::WriteBankFiles(sounds_);
    CSoundBank bank;
    EXPECT_FALSE(bank.Init(nullptr));
    EXPECT_EQ(bank.enabled, 1);
    EXPECT_EQ(bank.LoadSounds(sounds_.Folder().c_str()), 0);
    EXPECT_EQ(log.Text(), " No sound device could be opened: the game plays without sound\n");
    rec_->silentInit = false;
}

TEST_F(SoundBankTest, SilentBankTouchesNothingAndReleasesHandles)
{
    rec_->failInit = true;
    LogCapture log;
    bank_ = std::make_unique<CSoundBank>();
    EXPECT_TRUE(bank_->Init(nullptr));
    EXPECT_EQ(bank_->enabled, 0);
    rec_->Clear();

    CRefPtr<CSound> sound(new CSound(1, 6));
    bank_->Play(sound, 0, 0);
    bank_->PlayPanned(sound, 50.0f, 0, 1);
    bank_->Stop(sound);
    bank_->PlayComboSound(4);
    bank_->SetVolume(0.3f);
    EXPECT_TRUE(rec_->calls.empty());
    EXPECT_EQ(sound.RefCount(), 1u) << "every call released its copy";

    // A bank switched off after a failed load is silent too.
    rec_->failInit = false;
    audiotest::WriteBankFiles(sounds_);
    CSoundBank loaded;
    ASSERT_FALSE(loaded.Init(nullptr));
    ASSERT_EQ(loaded.LoadSounds(sounds_.Folder().c_str()), 0);
    loaded.enabled = 0;
    rec_->Clear();
    loaded.Play(loaded.Click, 0, 0);
    loaded.PlayComboSound(3);
    EXPECT_TRUE(rec_->calls.empty());
}

TEST_F(SoundBankTest, DestroyingTheBankShutsTheLibraryDownBeforeTheMusic)
{
    ScratchDir musicDir("music");
    musicDir.Write("mainmenu.ogg", "");
    musicDir.Write("gameplay1.ogg", "");
    Start();
    CRefPtr<CMusic> music(new CMusic(musicDir.Folder().c_str()));
    music->Play(CMusic::kTrackMainMenu);
    bank_->music = music;
    bank_.reset();
    EXPECT_FALSE(rec_->IsOpen());
    EXPECT_EQ(rec_->MusicPlaying(), "");

    // The music player outlives the bank: its calls find the library gone.
    rec_->Clear();
    music->SetVolume(0.9f);
    music->AddSilencer(1.0f, 0.5f);
    music->Update(0.1f);
    music->Pause();
    music->Resume();
    music = CRefPtr<CMusic>();
    for (const AudioCall& c : rec_->calls)
        EXPECT_EQ(c.result, 0u) << c.name;
    EXPECT_FALSE(rec_->IsOpen());
}

}  // namespace
