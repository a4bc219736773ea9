// The audio layer's bookkeeping on the recording backend: start and shut-down,
// handles and their generations, the per-sample playback cap, per-start
// defaults, whole-output pause, music streams and decode-only streams.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/audio/recording.h"
#include "platform/bass.h"

namespace fs = std::filesystem;
using platform::audio::AudioRecorder;

namespace {

class AudioBookkeeping : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("orb_audio_bk_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        for (const char* name : {"click.wav", "boom.wav", "theme.ogg", "other.ogg"})
            std::fclose(std::fopen((dir_ / name).c_str(), "wb"));
        rec_ = &platform::audio::UseRecordingBackend();
    }
    void TearDown() override
    {
        platform::audio::UseMixerBackend();
        fs::remove_all(dir_);
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    HSAMPLE Load(const char* name, DWORD flags = BASS_FLAG_OVERRIDE_LOWEST)
    {
        return BASS_SampleLoad(FALSE, Path(name).c_str(), 0, 0, 8, flags);
    }
    HCHANNEL Play(HSAMPLE s, BOOL loop = -1) { return BASS_SamplePlayEx(s, 0, -1, -1, BASS_KEEP_PAN, loop); }

    fs::path dir_;
    AudioRecorder* rec_ = nullptr;
};

TEST_F(AudioBookkeeping, NothingWorksBeforeInitOrAfterFree)
{
    EXPECT_EQ(Load("click.wav"), 0u);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSAMPLE s = Load("click.wav");
    HCHANNEL c = Play(s);
    HSTREAM m = BASS_StreamCreateFile(FALSE, Path("theme.ogg").c_str(), 0, 0, 0);
    ASSERT_NE(s, 0u);
    ASSERT_NE(c, 0u);
    ASSERT_NE(m, 0u);
    BASS_Free();
    EXPECT_FALSE(rec_->IsOpen());

    // Everything after the shut-down is a harmless no-op.
    EXPECT_EQ(Play(s), 0u);
    EXPECT_FALSE(BASS_ChannelSetAttributes(c, -1, 50, BASS_KEEP_PAN));
    EXPECT_FALSE(BASS_ChannelStop(c));
    EXPECT_FALSE(BASS_StreamPlay(m, FALSE, BASS_FLAG_STREAM_LOOP));
    BASS_StreamFree(m);
    EXPECT_FALSE(BASS_Pause());
    EXPECT_FALSE(BASS_Start());
    BASS_SAMPLE info{};
    EXPECT_FALSE(BASS_SampleGetInfo(s, &info));

    // A new start does not revive handles of the old one.
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(Play(s), 0u);
    EXPECT_FALSE(BASS_StreamPlay(m, FALSE, BASS_FLAG_STREAM_LOOP));
    BASS_Free();
}

TEST_F(AudioBookkeeping, InitAndLoadsFailOnDemand)
{
    rec_->failInit = true;
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(Load("click.wav"), 0u);

    rec_->failInit = false;
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr)) << "a second start while started";
    rec_->failLoads = {"BOOM.WAV"};
    EXPECT_EQ(Load("boom.wav"), 0u);
    EXPECT_EQ(Load("missing.wav"), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, Path("missing.ogg").c_str(), 0, 0, 0), 0u);
    HSAMPLE s = Load("click.wav");
    EXPECT_NE(s, 0u);
    EXPECT_EQ(rec_->Last("BASS_SampleLoad")->text, "click.wav");
    BASS_Free();
}

TEST_F(AudioBookkeeping, HandlesOfDifferentKindsAreNotInterchangeable)
{
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSAMPLE s = Load("click.wav");
    HCHANNEL c = Play(s);
    HSTREAM m = BASS_StreamCreateFile(FALSE, Path("theme.ogg").c_str(), 0, 0, 0);
    EXPECT_NE(s, c);
    EXPECT_EQ(BASS_SamplePlay(c), 0u) << "a channel is not a sample";
    EXPECT_EQ(BASS_SamplePlay(m), 0u) << "a stream is not a sample";
    EXPECT_FALSE(BASS_StreamPlay(s, FALSE, 0)) << "a sample is not a stream";
    EXPECT_FALSE(BASS_ChannelStop(s));
    EXPECT_EQ(rec_->LiveChannels(), 1);
    BASS_Free();
}

TEST_F(AudioBookkeeping, StaleChannelHandleNeverTouchesANewerPlayback)
{
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSAMPLE s = Load("click.wav");
    HCHANNEL old = BASS_SamplePlayEx(s, 0, -1, 80, BASS_KEEP_PAN, -1);
    rec_->EndChannel(old);
    EXPECT_EQ(BASS_ChannelIsActive(old), 0u);
    // The new playback takes the same mixing channel (the first free one).
    HCHANNEL fresh = BASS_SamplePlayEx(s, 0, -1, 30, BASS_KEEP_PAN, -1);
    ASSERT_NE(fresh, 0u);
    EXPECT_NE(fresh, old);
    EXPECT_FALSE(BASS_ChannelSetAttributes(old, -1, 90, BASS_KEEP_PAN));
    EXPECT_FALSE(BASS_ChannelStop(old));
    EXPECT_EQ(rec_->ChannelVolume(fresh), 30);
    EXPECT_EQ(BASS_ChannelIsActive(fresh), 1u);
    EXPECT_TRUE(BASS_ChannelSetAttributes(fresh, -1, 90, BASS_KEEP_PAN));
    EXPECT_EQ(rec_->ChannelVolume(fresh), 90);
    BASS_Free();
}

TEST_F(AudioBookkeeping, NonLoopingPlaybackEndsWhenItsSampleRunsOut)
{
    rec_->sampleFrames = 1000;
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSAMPLE s = Load("click.wav");
    HCHANNEL once = Play(s, -1);
    HCHANNEL looped = Play(s, 1);
    rec_->Advance(999);
    EXPECT_EQ(BASS_ChannelIsActive(once), 1u);
    rec_->Advance(1);
    EXPECT_EQ(BASS_ChannelIsActive(once), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(looped), 1u);
    EXPECT_TRUE(rec_->ChannelLoops(looped));
    BASS_Free();
}

TEST_F(AudioBookkeeping, NinthPlaybackReplacesTheLowestPositionOrFails)
{
    rec_->sampleFrames = 1000;
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSAMPLE over = Load("click.wav", BASS_FLAG_OVERRIDE_LOWEST);
    HSAMPLE plain = Load("boom.wav", 0);

    // Looping playbacks: the oldest has wrapped round and so has the lowest position.
    std::vector<HCHANNEL> live;
    live.push_back(Play(over, 1));  // starts at 0
    rec_->Advance(900);
    for (int i = 0; i < 7; ++i)
    {
        live.push_back(Play(over, 1));  // at 900, 910, ... 960
        rec_->Advance(10);
    }
    rec_->Advance(90);  // now 1060: positions 60, 160, 150, ... 100
    for (HCHANNEL c : live)
        ASSERT_NE(c, 0u);

    HCHANNEL ninth = Play(over, 1);
    ASSERT_NE(ninth, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(live[0]), 0u) << "the wrapped-round playback made room";
    for (size_t i = 1; i < live.size(); ++i)
        EXPECT_EQ(BASS_ChannelIsActive(live[i]), 1u) << i;

    // Equal positions: the newest one gives way.
    std::vector<HCHANNEL> same;
    for (int i = 0; i < 8; ++i)
        same.push_back(Play(plain, -1));
    EXPECT_EQ(Play(plain, -1), 0u) << "without the override flag a ninth start fails";
    for (HCHANNEL c : same)
        EXPECT_EQ(BASS_ChannelIsActive(c), 1u);
    BASS_Free();

    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSAMPLE tie = Load("click.wav");
    std::vector<HCHANNEL> tied;
    for (int i = 0; i < 8; ++i)
        tied.push_back(Play(tie, -1));
    EXPECT_NE(Play(tie, -1), 0u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(BASS_ChannelIsActive(tied[size_t(i)]), 1u) << i;
    EXPECT_EQ(BASS_ChannelIsActive(tied[7]), 0u);
    BASS_Free();
}

TEST_F(AudioBookkeeping, DefaultVolumeAndPanApplyPerStart)
{
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSAMPLE s = Load("click.wav");
    BASS_SAMPLE info{};
    ASSERT_TRUE(BASS_SampleGetInfo(s, &info));
    EXPECT_EQ(info.volume, 100u);
    EXPECT_EQ(info.max, 8u);
    HCHANNEL before = BASS_SamplePlay(s);
    info.volume = 40;
    ASSERT_TRUE(BASS_SampleSetInfo(s, &info));

    struct Case
    {
        int volume, pan;
        int wantVolume, wantPan;
    } cases[] = {
        {-1, BASS_KEEP_PAN, 40, 0},  // defaults
        {70, 30, 70, 30},
        {-1, BASS_KEEP_PAN, 40, 0},  // the pan of the last start does not stick
        {150, -300, 100, -100},      // clamped
    };
    for (const Case& k : cases)
    {
        HCHANNEL c = BASS_SamplePlayEx(s, 0, -1, k.volume, k.pan, -1);
        EXPECT_EQ(rec_->ChannelVolume(c), k.wantVolume) << k.volume;
        EXPECT_EQ(rec_->ChannelPan(c), k.wantPan) << k.pan;
    }
    EXPECT_EQ(rec_->ChannelVolume(before), 100) << "a new default leaves running playbacks alone";
    BASS_Free();
}

TEST_F(AudioBookkeeping, PauseHoldsEverythingAndStartResumesWhatPlayed)
{
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSAMPLE s = Load("click.wav");
    HCHANNEL c = Play(s, 1);
    HSTREAM m = BASS_StreamCreateFile(FALSE, Path("theme.ogg").c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_StreamPlay(m, FALSE, BASS_FLAG_STREAM_LOOP));

    ASSERT_TRUE(BASS_Pause());
    EXPECT_TRUE(rec_->IsPaused());
    EXPECT_TRUE(rec_->MusicPaused());
    EXPECT_EQ(BASS_ChannelIsActive(c), 3u);
    HCHANNEL during = Play(s, 1);
    EXPECT_EQ(BASS_ChannelIsActive(during), 3u) << "a start during the pause waits too";
    ASSERT_TRUE(BASS_Start());
    EXPECT_FALSE(rec_->MusicPaused());
    EXPECT_EQ(BASS_ChannelIsActive(c), 1u);
    EXPECT_EQ(BASS_ChannelIsActive(during), 1u);

    // A music stopped before the pause stays stopped after it.
    ASSERT_TRUE(BASS_ChannelStop(m));
    BASS_Pause();
    BASS_Start();
    EXPECT_TRUE(rec_->MusicPaused());
    EXPECT_EQ(BASS_ChannelIsActive(m), 0u);
    BASS_Free();
}

TEST_F(AudioBookkeeping, MusicStreamsLoopStopResumeAndFree)
{
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSTREAM a = BASS_StreamCreateFile(FALSE, Path("theme.ogg").c_str(), 0, 0, 0);
    HSTREAM b = BASS_StreamCreateFile(FALSE, Path("other.ogg").c_str(), 0, 0, 0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    ASSERT_TRUE(BASS_StreamPlay(a, FALSE, BASS_FLAG_STREAM_LOOP));
    EXPECT_EQ(rec_->MusicPlaying(), "theme.ogg");
    EXPECT_TRUE(BASS_ChannelSetAttributes(a, 0, 35, BASS_KEEP_PAN));
    EXPECT_EQ(rec_->MusicVolume(), 35);

    // Stop keeps the place; playing again resumes the same music.
    ASSERT_TRUE(BASS_ChannelStop(a));
    EXPECT_EQ(BASS_ChannelIsActive(a), 0u);
    ASSERT_TRUE(BASS_StreamPlay(a, FALSE, BASS_FLAG_STREAM_LOOP));
    EXPECT_FALSE(rec_->MusicPaused());
    EXPECT_EQ(rec_->MusicPlaying(), "theme.ogg");

    // One music at a time: the other takes over; a volume sent to a music
    // that does not play waits for its start.
    EXPECT_TRUE(BASS_ChannelSetAttributes(b, 0, 60, BASS_KEEP_PAN));
    EXPECT_EQ(rec_->MusicVolume(), 35);
    ASSERT_TRUE(BASS_StreamPlay(b, FALSE, BASS_FLAG_STREAM_LOOP));
    EXPECT_EQ(rec_->MusicPlaying(), "other.ogg");
    EXPECT_EQ(rec_->MusicVolume(), 60);
    EXPECT_EQ(BASS_ChannelIsActive(a), 0u);

    BASS_StreamFree(b);
    EXPECT_EQ(rec_->MusicPlaying(), "");
    EXPECT_FALSE(BASS_StreamPlay(b, FALSE, BASS_FLAG_STREAM_LOOP)) << "freed";
    // The next stream takes the freed slot under a new handle.
    HSTREAM c = BASS_StreamCreateFile(FALSE, Path("other.ogg").c_str(), 0, 0, 0);
    ASSERT_NE(c, 0u);
    EXPECT_NE(c, b);
    EXPECT_FALSE(BASS_StreamPlay(b, FALSE, BASS_FLAG_STREAM_LOOP));
    BASS_StreamFree(b);
    EXPECT_TRUE(BASS_StreamPlay(c, FALSE, BASS_FLAG_STREAM_LOOP)) << "freeing the old handle again left it alone";
    rec_->failStreamPlay = true;
    EXPECT_FALSE(BASS_StreamPlay(a, FALSE, BASS_FLAG_STREAM_LOOP));
    BASS_Free();
}

TEST_F(AudioBookkeeping, DecodeOnlyStreamDeliversItsBytesThenEnds)
{
    platform::audio::ScriptedDecode script;
    script.rate = 22050;
    script.channels = 1;
    script.bytes = 45000;
    rec_->decodes["tune.ogg"] = script;
    script.failAtByte = 30000;
    rec_->decodes["broken.ogg"] = script;
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));

    HSTREAM d = BASS_StreamCreateFile(FALSE, Path("tune.ogg").c_str(), 0, 0, BASS_FLAG_DECODE_ONLY);
    ASSERT_NE(d, 0u);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(d, &info));
    EXPECT_EQ(info.freq, 22050u);
    EXPECT_EQ(info.chans, 1u);
    EXPECT_EQ(info.flags, 0u);
    std::vector<uint8_t> buf(20000);
    std::vector<DWORD> sizes;
    while (BASS_ChannelIsActive(d))
        sizes.push_back(BASS_ChannelGetData(d, buf.data(), 20000));
    EXPECT_EQ(sizes, (std::vector<DWORD>{20000, 20000, 5000}));
    EXPECT_EQ(buf[4999], uint8_t((40000 + 4999) & 0xFF));
    BASS_StreamFree(d);
    EXPECT_EQ(BASS_ChannelIsActive(d), 0u);

    HSTREAM bad = BASS_StreamCreateFile(FALSE, Path("broken.ogg").c_str(), 0, 0, BASS_FLAG_DECODE_ONLY);
    ASSERT_NE(bad, 0u);
    EXPECT_EQ(BASS_ChannelGetData(bad, buf.data(), 20000), 20000u);
    EXPECT_EQ(BASS_ChannelGetData(bad, buf.data(), 20000), BASS_DATA_ERROR);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, Path("nothing.ogg").c_str(), 0, 0, BASS_FLAG_DECODE_ONLY), 0u)
        << "neither scripted nor a vorbis file";
    BASS_Free();
}

}  // namespace
