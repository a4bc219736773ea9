// The music player on the recording backend: track order, fade-out changes,
// music dips, on/off, volume, pause and resume, and failing files.
#include <gtest/gtest.h>

#include "audio/Music.h"
#include "audio_test_util.h"
#include "platform/audio/recording.h"

using audiotest::LogCapture;
using audiotest::ScratchDir;
using platform::audio::AudioCall;
using platform::audio::AudioRecorder;

namespace {

class MusicTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rec_ = &platform::audio::UseRecordingBackend();
        for (const char* name : {"gameplay1.ogg", "gameplay2.ogg", "gameplay3.ogg", "mainmenu.ogg", "storyline.ogg", "bonuslevel.ogg"})
            dir_.Write(name, "");
        ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
        music_ = std::make_unique<CMusic>(dir_.Folder().c_str());
    }
    void TearDown() override
    {
        music_.reset();
        BASS_Free();
        platform::audio::UseMixerBackend();
    }

    // Volumes sent to the stream since the last Clear.
    std::vector<int64_t> SentVolumes() const
    {
        std::vector<int64_t> v;
        for (const AudioCall& c : rec_->Calls("BASS_ChannelSetAttributes"))
        {
            EXPECT_EQ(c.Arg(1), 0) << "a stream's frequency argument";
            EXPECT_EQ(c.Arg(3), BASS_KEEP_PAN);
            v.push_back(c.Arg(2));
        }
        return v;
    }
    std::vector<std::string> Opened() const
    {
        std::vector<std::string> names;
        for (const AudioCall& c : rec_->Calls("BASS_StreamCreateFile"))
            names.push_back(c.text);
        return names;
    }

    AudioRecorder* rec_ = nullptr;
    ScratchDir dir_{"music"};
    std::unique_ptr<CMusic> music_;
};

TEST_F(MusicTest, StartsTheMainMenuTrackLoopingWithoutTheDip)
{
    music_->SetVolume(0.8f);
    music_->dip = 0.5f;
    music_->Play(CMusic::kTrackMainMenu);
    EXPECT_EQ(Opened(), std::vector<std::string>{"mainmenu.ogg"});
    const AudioCall* play = rec_->Last("BASS_StreamPlay");
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->Arg(1), 0) << "no flush";
    EXPECT_EQ(play->Arg(2), int64_t(BASS_FLAG_STREAM_LOOP));
    EXPECT_EQ(rec_->MusicPlaying(), "mainmenu.ogg");
    EXPECT_EQ(rec_->MusicVolume(), 80);
    EXPECT_EQ(music_->playing, 1);
}

TEST_F(MusicTest, GameplayTracksComeInTurnEachAfterItsFadeOut)
{
    music_->Play(CMusic::kTrackMainMenu);
    rec_->Clear();
    for (int i = 0; i < 4; ++i)
    {
        music_->RequestTrack(CMusic::kTrackGameplay);
        music_->Update(0.6f);
        music_->Update(0.6f);
    }
    EXPECT_EQ(Opened(), (std::vector<std::string>{"gameplay1.ogg", "gameplay2.ogg", "gameplay3.ogg", "gameplay1.ogg"}));
    EXPECT_EQ(rec_->Count("BASS_StreamFree"), 4) << "each old track is freed";
    EXPECT_EQ(rec_->MusicPlaying(), "gameplay1.ogg");

    // The other kinds, and a second request during the fade-out replacing the first.
    rec_->Clear();
    music_->RequestTrack(CMusic::kTrackStoryline);
    music_->Update(0.5f);
    music_->RequestTrack(CMusic::kTrackBonusLevel);
    music_->Update(0.5f);
    EXPECT_EQ(Opened(), std::vector<std::string>{"bonuslevel.ogg"});
}

TEST_F(MusicTest, FadeOutStepsTheVolumeThenStartsTheNewTrackAtFullLevel)
{
    music_->SetVolume(1.0f);
    music_->Play(CMusic::kTrackMainMenu);
    rec_->Clear();
    music_->RequestTrack(CMusic::kTrackStoryline);
    music_->Update(0.5f);
    EXPECT_FLOAT_EQ(music_->fade, 0.5f);
    EXPECT_EQ(Opened(), std::vector<std::string>{});
    music_->Update(0.5f);
    EXPECT_FLOAT_EQ(music_->fade, 1.0f);
    EXPECT_EQ(music_->changePending, 0);
    EXPECT_EQ(Opened(), std::vector<std::string>{"storyline.ogg"});
    EXPECT_EQ(SentVolumes(), (std::vector<int64_t>{50, 100}));
    EXPECT_EQ(rec_->MusicPlaying(), "storyline.ogg");
}

TEST_F(MusicTest, TwoSilencersDipToTheLowestLiveFactor)
{
    music_->SetVolume(1.0f);
    music_->Play(CMusic::kTrackMainMenu);
    music_->AddSilencer(2.0f, 0.3f);
    music_->AddSilencer(5.0f, 0.6f);
    rec_->Clear();
    std::vector<float> dips;
    for (int i = 0; i < 6; ++i)
    {
        music_->Update(0.5f);
        music_->Update(0.5f);
        dips.push_back(music_->dip);
    }
    EXPECT_EQ(dips, (std::vector<float>{0.3f, 0.6f, 0.6f, 0.6f, 1.0f, 1.0f}));
    // Each change is sent once, on the frame where the dip changes.
    EXPECT_EQ(SentVolumes(), (std::vector<int64_t>{30, 60, 100}));
    EXPECT_TRUE(music_->silencers.empty());
}

TEST_F(MusicTest, VolumeProductIsFlooredAndClamped)
{
    music_->Play(CMusic::kTrackMainMenu);
    music_->dip = 0.25f;
    rec_->Clear();
    music_->SetVolume(1.0f);
    music_->SetVolume(0.333f);
    music_->SetVolume(3.0f);
    music_->SetVolume(-1.0f);
    EXPECT_EQ(SentVolumes(), (std::vector<int64_t>{25, 8, 75, 0}));
}

TEST_F(MusicTest, DipsAreDroppedWhileTheMusicIsOffOrPaused)
{
    music_->Play(CMusic::kTrackMainMenu);
    music_->SetEnabled(0);
    music_->AddSilencer(2.0f, 0.3f);
    music_->SetEnabled(1);
    music_->Pause();
    music_->AddSilencer(2.0f, 0.3f);
    EXPECT_TRUE(music_->silencers.empty());
    music_->Resume();
    music_->AddSilencer(2.0f, 0.3f);
    EXPECT_EQ(music_->silencers.size(), 1u);
}

TEST_F(MusicTest, SwitchingOffAndOnRestartsTheSameStream)
{
    music_->SetVolume(0.6f);
    music_->Play(CMusic::kTrackMainMenu);
    HSTREAM first = music_->stream;
    music_->AddSilencer(3.0f, 0.5f);
    music_->Update(0.1f);
    rec_->Clear();

    music_->SetEnabled(1);
    EXPECT_TRUE(rec_->calls.empty()) << "the current value changes nothing";

    music_->SetEnabled(0);
    EXPECT_EQ(rec_->Count("BASS_ChannelStop"), 1);
    EXPECT_EQ(music_->playing, 0);
    EXPECT_TRUE(rec_->MusicPaused());
    music_->SetEnabled(1);
    EXPECT_EQ(rec_->Count("BASS_StreamCreateFile"), 0) << "no new file is opened";
    EXPECT_EQ(music_->stream, first);
    EXPECT_FALSE(rec_->MusicPaused());
    EXPECT_EQ(SentVolumes(), std::vector<int64_t>{60}) << "sent without the dip";
    EXPECT_EQ(music_->playing, 1);

    rec_->failStreamPlay = true;
    music_->SetEnabled(0);
    LogCapture log;
    music_->SetEnabled(1);
    EXPECT_EQ(music_->failed, 1);
    EXPECT_EQ(music_->playing, 0);
    EXPECT_EQ(log.Text(), " Unable to play music\n");
}

TEST_F(MusicTest, MusicOffAtOpeningLeavesTheTrackOpenButSilent)
{
    music_->SetEnabled(0);
    music_->Play(CMusic::kTrackMainMenu);
    EXPECT_NE(music_->stream, 0u);
    EXPECT_EQ(music_->playing, 0);
    EXPECT_EQ(rec_->Count("BASS_StreamPlay"), 0);
    // A change requested meanwhile waits until the music plays again.
    music_->RequestTrack(CMusic::kTrackGameplay);
    music_->Update(2.0f);
    EXPECT_EQ(music_->changePending, 1);
    music_->SetEnabled(1);
    EXPECT_EQ(rec_->MusicPlaying(), "mainmenu.ogg");
    music_->Update(2.0f);
    EXPECT_EQ(rec_->MusicPlaying(), "gameplay1.ogg");
}

TEST_F(MusicTest, PauseHoldsTheWholeOutputAndThePendingChange)
{
    music_->Play(CMusic::kTrackMainMenu);
    music_->RequestTrack(CMusic::kTrackStoryline);
    music_->Pause();
    EXPECT_TRUE(rec_->IsPaused());
    EXPECT_EQ(music_->paused, 1);
    music_->Update(5.0f);
    EXPECT_FLOAT_EQ(music_->fade, 1.0f);
    EXPECT_EQ(rec_->MusicPlaying(), "mainmenu.ogg");
    music_->Resume();
    EXPECT_FALSE(rec_->IsPaused());
    EXPECT_FALSE(rec_->MusicPaused());
    music_->Update(0.25f);
    EXPECT_FLOAT_EQ(music_->fade, 0.75f);
}

TEST_F(MusicTest, SecondPlayFreesTheOpenStream)
{
    music_->Play(CMusic::kTrackMainMenu);
    HSTREAM first = music_->stream;
    music_->Play(CMusic::kTrackStoryline);
    const AudioCall* freed = rec_->Last("BASS_StreamFree");
    ASSERT_NE(freed, nullptr);
    EXPECT_EQ(freed->Arg(0), int64_t(first));
    EXPECT_EQ(freed->result, 1u);
    EXPECT_EQ(rec_->MusicPlaying(), "storyline.ogg");
}

TEST_F(MusicTest, MissingOrUnplayableTrackIsLoggedAndTheGameGoesOn)
{
    LogCapture log;
    audiotest::fs::remove(dir_.File("storyline.ogg"));
    music_->Play(CMusic::kTrackStoryline);
    EXPECT_EQ(music_->stream, 0u);
    EXPECT_EQ(log.Text(), " Unable to create music stream " + dir_.Folder() + "storyline.ogg \n");
    // Without a stream the player stays idle; later requests have no effect.
    rec_->Clear();
    music_->RequestTrack(CMusic::kTrackMainMenu);
    music_->Update(2.0f);
    music_->SetVolume(0.3f);
    EXPECT_TRUE(rec_->calls.empty());

    log.Clear();
    rec_->failStreamPlay = true;
    music_->Play(CMusic::kTrackMainMenu);
    EXPECT_EQ(music_->playing, 0);
    EXPECT_EQ(log.Text(), " Unable to play music " + dir_.Folder() + "mainmenu.ogg \n");

    // Kinds the game never passes are ignored.
    rec_->Clear();
    music_->Play(7);
    music_->RequestTrack(-1);
    EXPECT_TRUE(rec_->calls.empty());
    EXPECT_EQ(music_->changePending, 1) << "the earlier request stands";
    EXPECT_EQ(music_->requestedTrack, CMusic::kTrackMainMenu);
}

}  // namespace
