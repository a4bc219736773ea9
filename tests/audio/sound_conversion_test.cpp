// The first-run conversion: wave headers, one file's conversion (scripted
// decodes on the recording backend, and a real vorbis file), failures that
// must not leave a half-written file, and the done-mark in both forms.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/SoundConversion.h"
#include "audio_test_util.h"
#include "engine/DataFolders.h"
#include "platform/audio/recording.h"
#include "platform/crt.h"
#include "platform/win32.h"

using audiotest::LogCapture;
using audiotest::ScratchDir;
using platform::audio::AudioRecorder;
using platform::audio::ScriptedDecode;

namespace {

uint32_t U32(const std::string& b, size_t at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
uint32_t U16(const std::string& b, size_t at) { return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8; }

TEST(WavHeader, FieldsForMonoStereoEightAndSixteenBit)
{
    struct Case
    {
        uint32_t rate, channels;
        bool eightBit;
        uint32_t block, bytesPerSecond, bits;
    } cases[] = {
        {44100, 2, false, 4, 176400, 16},
        {22050, 1, true, 1, 22050, 8},
        {44100, 1, false, 2, 88200, 16},
        {22050, 2, true, 2, 44100, 8},
    };
    for (const Case& k : cases)
    {
        uint8_t raw[44];
        std::memset(raw, 0xEE, sizeof(raw));
        MakeWavHeader(raw, k.rate, k.channels, k.eightBit);
        std::string h(reinterpret_cast<char*>(raw), 44);
        EXPECT_EQ(h.substr(0, 4), "RIFF");
        EXPECT_EQ(U32(h, 4), 0u);
        EXPECT_EQ(h.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(U32(h, 16), 16u);
        EXPECT_EQ(U16(h, 20), 1u);
        EXPECT_EQ(U16(h, 22), k.channels);
        EXPECT_EQ(U32(h, 24), k.rate);
        EXPECT_EQ(U32(h, 28), k.bytesPerSecond) << k.rate << "/" << k.channels;
        EXPECT_EQ(U16(h, 32), k.block);
        EXPECT_EQ(U16(h, 34), k.bits);
        EXPECT_EQ(h.substr(36, 4), "data");
        EXPECT_EQ(U32(h, 40), 0u);
    }
}

class SoundConversion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rec_ = &platform::audio::UseRecordingBackend();
        ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    }
    void TearDown() override
    {
        BASS_Free();
        platform::audio::UseMixerBackend();
    }
    void Script(const std::string& name, uint32_t rate, uint32_t channels, uint32_t bytes, int64_t failAt = -1)
    {
        ScriptedDecode s;
        s.rate = rate;
        s.channels = channels;
        s.bytes = bytes;
        s.failAtByte = failAt;
        rec_->decodes[name] = s;
    }

    AudioRecorder* rec_ = nullptr;
    ScratchDir src_{"sfx_src"};
    ScratchDir dst_{"sfx_dst"};
};

TEST_F(SoundConversion, WritesHeaderAndDataInChunksOf20000Bytes)
{
    Script("Tune.ogg", 22050, 1, 45000);
    src_.Write("Tune.ogg", "");
    ASSERT_EQ(ConvertOggToWav(src_.File("Tune.ogg").c_str(), dst_.File("Tune.wav").c_str()), 1);
    std::string wav = dst_.Read("Tune.wav");
    ASSERT_EQ(wav.size(), 45044u);
    EXPECT_EQ(U32(wav, 4), 45036u);
    EXPECT_EQ(U32(wav, 40), 45000u);
    EXPECT_EQ(U16(wav, 22), 1u);
    EXPECT_EQ(U32(wav, 24), 22050u);
    EXPECT_EQ(uint8_t(wav[44 + 44999]), uint8_t(44999 & 0xFF)) << "data as decoded";
    for (const auto& call : rec_->Calls("BASS_ChannelGetData"))
        EXPECT_EQ(call.Arg(1), 20000);
    EXPECT_EQ(rec_->Count("BASS_ChannelGetData"), 3);
    EXPECT_EQ(rec_->Count("BASS_StreamFree"), 1);

    Script("Empty.ogg", 44100, 2, 0);
    ASSERT_EQ(ConvertOggToWav(src_.File("Empty.ogg").c_str(), dst_.File("Empty.wav").c_str()), 1);
    std::string empty = dst_.Read("Empty.wav");
    ASSERT_EQ(empty.size(), 44u);
    EXPECT_EQ(U32(empty, 4), 36u);
    EXPECT_EQ(U32(empty, 40), 0u);
}

TEST_F(SoundConversion, FailuresLeaveNoWaveFile)
{
    LogCapture log;
    // A decoding error part-way: the half-written file goes again.
    Script("Broken.ogg", 44100, 2, 60000, 30000);
    EXPECT_EQ(ConvertOggToWav(src_.File("Broken.ogg").c_str(), dst_.File("Broken.wav").c_str()), 0);
    EXPECT_FALSE(dst_.Exists("Broken.wav"));
    EXPECT_EQ(log.Text(), " Unable to decode file  " + src_.File("Broken.ogg") + " \n");
    EXPECT_EQ(rec_->Count("BASS_StreamFree"), 1);

    // No stream: the target is never created.
    log.Clear();
    EXPECT_EQ(ConvertOggToWav(src_.File("Missing.ogg").c_str(), dst_.File("Missing.wav").c_str()), 0);
    EXPECT_FALSE(dst_.Exists("Missing.wav"));
    EXPECT_EQ(log.Text(), " Unable to stream file  " + src_.File("Missing.ogg") + " \n");

    // A target that cannot be created.
    log.Clear();
    Script("Fine.ogg", 44100, 2, 100);
    std::string target = dst_.File("no/such/folder/Fine.wav");
    EXPECT_EQ(ConvertOggToWav(src_.File("Fine.ogg").c_str(), target.c_str()), 0);
    EXPECT_EQ(log.Text(), " Unable to write file  " + target + " \n");
}

TEST_F(SoundConversion, DecodesARealVorbisFile)
{
    std::string fixture = std::string(ORB_FIXTURES_DIR) + "/tone_stereo_44100.ogg";
    ASSERT_EQ(ConvertOggToWav(fixture.c_str(), dst_.File("tone.wav").c_str()), 1);
    std::string wav = dst_.Read("tone.wav");
    ASSERT_GT(wav.size(), 44u + 4 * 4000);
    EXPECT_EQ(U16(wav, 22), 2u);
    EXPECT_EQ(U32(wav, 24), 44100u);
    EXPECT_EQ(U16(wav, 34), 16u);
    EXPECT_EQ(U32(wav, 40), wav.size() - 44);
    EXPECT_EQ((wav.size() - 44) % 4, 0u);
    // A tone, so not silence: look for a loud sample.
    int peak = 0;
    for (size_t i = 44; i + 1 < wav.size(); i += 2)
        peak = std::max(peak, std::abs(int(int16_t(U16(wav, i)))));
    EXPECT_GT(peak, 3000);

    std::string mono = std::string(ORB_FIXTURES_DIR) + "/tone_mono_22050.ogg";
    ASSERT_EQ(ConvertOggToWav(mono.c_str(), dst_.File("mono.wav").c_str()), 1);
    std::string wav2 = dst_.Read("mono.wav");
    EXPECT_EQ(U16(wav2, 22), 1u);
    EXPECT_EQ(U32(wav2, 24), 22050u);
    EXPECT_EQ(U32(wav2, 28), 44100u);

    std::string cut = std::string(ORB_FIXTURES_DIR) + "/not_vorbis.ogg";
    EXPECT_EQ(ConvertOggToWav(cut.c_str(), dst_.File("cut.wav").c_str()), 0);
    EXPECT_FALSE(dst_.Exists("cut.wav"));
}

// The first run converts every listed sound; later runs find the mark and do
// nothing at all.
TEST_F(SoundConversion, FirstRunConvertsOnceSharedFolderForm)
{
    for (const char* name : {"Alpha.ogg", "Beta.ogg", "Gamma.ogg"})
        Script(name, 44100, 2, 1000);
    src_.Write("Ogg.lst", "Alpha\r\nBeta\r\n\r\nGamma\n");
    std::string options = dst_.File("Options.ini");
    dst_.Write("Options.ini", "[Sound]\nSound=1\n");

    LogCapture log;
    // One folder for both: the mark is the options key.
    ASSERT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), src_.Folder().c_str()), 1);
    for (const char* name : {"Alpha.wav", "Beta.wav", "Gamma.wav"})
        EXPECT_EQ(src_.Read(name).size(), 1044u) << name;
    EXPECT_EQ(log.Text(), " Firs time sound convertion...\n Done\n");
    char value[16] = {};
    GetPrivateProfileStringA("Sound", "Converted", "", value, sizeof(value), options.c_str());
    EXPECT_STREQ(value, "1");
    EXPECT_NE(dst_.Read("Options.ini").find("[Sound]\nSound=1\n"), std::string::npos) << "the other keys stay";

    // The second start.
    log.Clear();
    rec_->Clear();
    audiotest::fs::remove(src_.File("Beta.wav"));
    ASSERT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), src_.Folder().c_str()), 1);
    EXPECT_EQ(log.Text(), "");
    EXPECT_TRUE(rec_->calls.empty());
    EXPECT_FALSE(src_.Exists("Beta.wav"));

    // Only the value 1 counts as done.
    for (const char* mark : {"0", "2", "yes"})
    {
        WritePrivateProfileStringA("Sound", "Converted", mark, options.c_str());
        log.Clear();
        ASSERT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), src_.Folder().c_str()), 1);
        EXPECT_TRUE(src_.Exists("Beta.wav")) << mark;
        EXPECT_EQ(log.Text(), " Firs time sound convertion...\n Done\n") << mark;
        audiotest::fs::remove(src_.File("Beta.wav"));
    }
}

TEST_F(SoundConversion, FirstRunConvertsOnceSeparateFolderForm)
{
    ASSERT_EQ(CheckWindowsVersion(), 1);
    Script("Alpha.ogg", 44100, 2, 1000);
    Script("Broken.ogg", 44100, 2, 50000, 100);
    src_.Write("Ogg.lst", "Alpha\nBroken\n");
    src_.Write("Vol.cfg", "\"Alpha.wav\" 0.5\n");
    std::string options = dst_.File("Options.ini");

    LogCapture log;
    ASSERT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), dst_.Folder().c_str()), 1);
    EXPECT_TRUE(dst_.Exists("Alpha.wav"));
    EXPECT_FALSE(dst_.Exists("Broken.wav"));
    EXPECT_FALSE(src_.Exists("Alpha.wav"));
    EXPECT_EQ(log.Text(), " Firs time sound convertion...\n Unable to decode file  " + src_.File("Broken.ogg") +
                              " \n Fist time sound convertion error!\n Done\n Sounds not converted: Broken; they are "
                              "converted again at the next start\n");
    // A sound failed: no mark, so the next start converts again.
    EXPECT_FALSE(dst_.Exists("Vol.cfg"));
    EXPECT_FALSE(dst_.Exists("Options.ini"));

    Script("Broken.ogg", 44100, 2, 500);
    ASSERT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), dst_.Folder().c_str()), 1);
    EXPECT_TRUE(dst_.Exists("Broken.wav"));
    // The mark is the copied settings file; the options file is not touched.
    EXPECT_EQ(dst_.Read("Vol.cfg"), "\"Alpha.wav\" 0.5\n");
    EXPECT_FALSE(dst_.Exists("Options.ini"));

    log.Clear();
    rec_->Clear();
    ASSERT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), dst_.Folder().c_str()), 1);
    EXPECT_EQ(log.Text(), "");
    EXPECT_TRUE(rec_->calls.empty());
}

// A disk that fills part-way through the first run: each wave file is whole or
// missing, no mark is written in either form, and the next start with room
// converts every sound and marks the work done.
TEST_F(SoundConversion, DiskFullPartWayConvertsAgainWhenThereIsRoom)
{
    ASSERT_EQ(CheckWindowsVersion(), 1);
    const char* const names[] = {"Alpha", "Beta", "Gamma", "Delta"};
    for (const char* name : names)
        Script(std::string(name) + ".ogg", 44100, 2, 3000);
    src_.Write("Ogg.lst", "Alpha\nBeta\nGamma\nDelta\n");
    src_.Write("Vol.cfg", "\"Alpha.wav\" 0.5\n");
    const std::string options = dst_.File("Options.ini");
    struct Form
    {
        const char* name;
        std::string converted;
    } forms[] = {{"separate folders", dst_.Folder()}, {"one folder", src_.Folder()}};
    for (const Form& form : forms)
    {
        crt::FileFaults full;
        full.writeBudget = 2 * 3044 + 100; // room for two sounds and a little more
        crt::SetFileFaults(full);
        LogCapture log;
        EXPECT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), form.converted.c_str()), 1);
        crt::SetFileFaults(crt::FileFaults());
        for (int i = 0; i < 4; ++i)
        {
            const std::string wav = form.converted + names[i] + ".wav";
            EXPECT_EQ(audiotest::fs::exists(wav), i < 2) << form.name << " " << names[i];
            if (i < 2)
                EXPECT_EQ(audiotest::fs::file_size(wav), 3044u) << form.name;
        }
        EXPECT_NE(log.Text().find("Sounds not converted: Gamma, Delta;"), std::string::npos) << log.Text();
        EXPECT_FALSE(dst_.Exists("Vol.cfg")) << form.name;
        EXPECT_FALSE(dst_.Exists("Options.ini")) << form.name;

        // The next start has room again.
        EXPECT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), form.converted.c_str()), 1);
        for (const char* name : names)
            EXPECT_EQ(audiotest::fs::file_size(form.converted + name + ".wav"), 3044u) << form.name << " " << name;
        rec_->Clear();
        EXPECT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), form.converted.c_str()), 1);
        EXPECT_TRUE(rec_->calls.empty()) << form.name << ": converted once more";
        for (const char* name : names)
            audiotest::fs::remove(form.converted + name + ".wav");
        audiotest::fs::remove(dst_.File("Vol.cfg"));
        audiotest::fs::remove(options);
    }
}

// Start-up spreads the conversion over frames: one sound per step, and the mark
// only once the list has ended, so a run closed part-way converts again next time.
TEST_F(SoundConversion, StepsConvertOneSoundEachAndMarkOnlyAtTheEnd)
{
    ASSERT_EQ(CheckWindowsVersion(), 1);
    for (const char* name : {"Alpha.ogg", "Beta.ogg"})
        Script(name, 44100, 2, 1000);
    src_.Write("Ogg.lst", "Alpha\n\nBeta\n");
    src_.Write("Vol.cfg", "");
    std::string options = dst_.File("Options.ini");
    {
        CSoundConversion cut(options.c_str(), src_.Folder().c_str(), dst_.Folder().c_str());
        ASSERT_TRUE(cut.Step()); // finds no mark and opens the list
        ASSERT_TRUE(cut.Step());
        EXPECT_TRUE(dst_.Exists("Alpha.wav"));
        EXPECT_FALSE(dst_.Exists("Beta.wav"));
    }
    EXPECT_FALSE(dst_.Exists("Vol.cfg"));

    CSoundConversion whole(options.c_str(), src_.Folder().c_str(), dst_.Folder().c_str());
    int steps = 0;
    while (whole.Step())
        ++steps;
    EXPECT_EQ(3, steps); // the start, then one per listed sound
    EXPECT_EQ(1, whole.Result());
    EXPECT_TRUE(dst_.Exists("Beta.wav"));
    EXPECT_TRUE(dst_.Exists("Vol.cfg"));
}

TEST_F(SoundConversion, MissingListLeavesNoMark)
{
    ASSERT_EQ(CheckWindowsVersion(), 1);
    src_.Write("Vol.cfg", "");
    std::string options = dst_.File("Options.ini");
    LogCapture log;
    EXPECT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), dst_.Folder().c_str()), 0);
    EXPECT_EQ(log.Text(), " Firs time sound convertion...\n Unable to open file Ogg.lst");
    EXPECT_FALSE(dst_.Exists("Vol.cfg"));
    EXPECT_EQ(ConvertSoundsFirstRun(options.c_str(), src_.Folder().c_str(), src_.Folder().c_str()), 0);
    EXPECT_FALSE(dst_.Exists("Options.ini"));
}

}  // namespace
