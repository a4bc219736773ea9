// The real mixer output, captured by SDL's disk audio driver (raw S16LE stereo
// at 44.1 kHz, written in real time): a sound panned fully right is heard on
// the right only, and a music stream is heard on both sides.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <SDL.h>

#include "platform/audio/recording.h"
#include "platform/bass.h"

namespace fs = std::filesystem;

namespace {

void Put16(std::ofstream& f, uint16_t v) { f.put(char(v & 0xFF)).put(char(v >> 8)); }
void Put32(std::ofstream& f, uint32_t v)
{
    Put16(f, uint16_t(v & 0xFFFF));
    Put16(f, uint16_t(v >> 16));
}

// A mono 16-bit sine tone as a wave file.
void WriteTone(const fs::path& path, double hz, double seconds)
{
    const uint32_t rate = 44100;
    const uint32_t frames = uint32_t(seconds * rate);
    std::ofstream f(path, std::ios::binary);
    f.write("RIFF", 4);
    Put32(f, 36 + frames * 2);
    f.write("WAVEfmt ", 8);
    Put32(f, 16);
    Put16(f, 1);
    Put16(f, 1);
    Put32(f, rate);
    Put32(f, rate * 2);
    Put16(f, 2);
    Put16(f, 16);
    f.write("data", 4);
    Put32(f, frames * 2);
    for (uint32_t i = 0; i < frames; ++i)
        Put16(f, uint16_t(int16_t(12000.0 * std::sin(2.0 * M_PI * hz * i / rate))));
}

struct Window
{
    double left = 0, right = 0;  // mean absolute level of each side
};

TEST(AudioDiskOutput, PannedSoundAndMusicReachTheRightSides)
{
    fs::path dir = fs::temp_directory_path() / ("orb_audio_disk_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path capture = dir / "mix.raw";
    WriteTone(dir / "Effect.wav", 880.0, 0.5);
    WriteTone(dir / "Music.wav", 330.0, 0.5);

    platform::audio::UseMixerBackend();
    const char* oldDriver = std::getenv("SDL_AUDIODRIVER");
    std::string restore = oldDriver ? oldDriver : "";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);

    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSAMPLE s = BASS_SampleLoad(FALSE, (dir / "Effect.wav").c_str(), 0, 0, 8, BASS_FLAG_OVERRIDE_LOWEST);
    ASSERT_NE(s, 0u);
    HCHANNEL c = BASS_SamplePlayEx(s, 0, -1, -1, 100, -1);
    ASSERT_NE(c, 0u);
    usleep(350 * 1000);
    BASS_ChannelStop(c);

    // Wave files play as music streams too, which keeps the test free of an encoder.
    HSTREAM m = BASS_StreamCreateFile(FALSE, (dir / "Music.wav").c_str(), 0, 0, 0);
    ASSERT_NE(m, 0u);
    ASSERT_TRUE(BASS_StreamPlay(m, FALSE, BASS_FLAG_STREAM_LOOP));
    BASS_ChannelSetAttributes(m, 0, 100, BASS_KEEP_PAN);
    usleep(350 * 1000);
    BASS_Free();
    if (restore.empty())
        unsetenv("SDL_AUDIODRIVER");
    else
        setenv("SDL_AUDIODRIVER", restore.c_str(), 1);

    std::ifstream in(capture, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t frames = bytes.size() / 4;
    ASSERT_GT(frames, 44100u / 4) << "the capture is too short";

    // Windows of 1024 frames: the panned sound gives right-only windows, the
    // music windows with both sides alike.
    int rightOnly = 0, both = 0, leftHeavy = 0;
    for (size_t w = 0; w + 1024 <= frames; w += 1024)
    {
        Window win;
        for (size_t i = w; i < w + 1024; ++i)
        {
            int16_t l = int16_t(uint8_t(bytes[i * 4]) | (uint8_t(bytes[i * 4 + 1]) << 8));
            int16_t r = int16_t(uint8_t(bytes[i * 4 + 2]) | (uint8_t(bytes[i * 4 + 3]) << 8));
            win.left += std::abs(l) / 1024.0;
            win.right += std::abs(r) / 1024.0;
        }
        if (win.right > 2000 && win.left < 50)
            ++rightOnly;
        if (win.right > 2000 && win.left > 2000 && std::fabs(win.left - win.right) < 0.1 * win.right)
            ++both;
        if (win.left > win.right + 50)
            ++leftHeavy;
    }
    EXPECT_GE(rightOnly, 5) << "panned sound windows";
    EXPECT_GE(both, 5) << "music windows";
    EXPECT_EQ(leftHeavy, 0);
    fs::remove_all(dir);
}

}  // namespace

namespace {

// No output device: the library falls back to the silent device and says so, so the
// game runs on without sound.
TEST(AudioDiskOutput, NoDeviceFallsBackToTheSilentOne)
{
    platform::audio::UseMixerBackend();
    const char* oldDriver = std::getenv("SDL_AUDIODRIVER");
    std::string restore = oldDriver ? oldDriver : "";
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    EXPECT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(0u, BASS_GetDevice()) << "the silent device";
    EXPECT_STREQ("no_such_driver", std::getenv("SDL_AUDIODRIVER")) << "the player's setting is put back";
    BASS_Free();
    if (restore.empty())
        unsetenv("SDL_AUDIODRIVER");
    else
        setenv("SDL_AUDIODRIVER", restore.c_str(), 1);
}

}  // namespace

namespace {

// Runs fn with the process's standard error caught in a file; returns what it wrote.
template <typename Fn> std::string CatchStandardError(const fs::path& file, Fn fn)
{
    std::fflush(stderr);
    const int saved = ::dup(2);
    FILE* sink = std::fopen(file.c_str(), "w");
    ::dup2(::fileno(sink), 2);
    fn();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::fclose(sink);
    std::ifstream in(file);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool SdlHasAlsa()
{
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i)
        if (std::string(SDL_GetAudioDriver(i)) == "alsa")
            return true;
    return false;
}

// A machine without a sound card: ALSA's default device names nothing that exists.
// The player sees no "ALSA lib ..." lines; the game goes on silent.
TEST(AudioDiskOutput, AlsaWithoutADeviceWritesNothingToStandardError)
{
    if (!SdlHasAlsa())
        GTEST_SKIP() << "SDL has no ALSA driver here";
    const fs::path dir = fs::temp_directory_path() / ("orb_audio_alsa_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path config = dir / "asound.conf";
    std::ofstream(config) << "pcm.!default { type plug slave.pcm \"orb_no_such_device\" }\n";

    platform::audio::UseMixerBackend();
    const char* oldDriver = std::getenv("SDL_AUDIODRIVER");
    std::string restore = oldDriver ? oldDriver : "";
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
    bool opened = false;
    DWORD device = 1;
    const std::string said = CatchStandardError(dir / "stderr.txt", [&] {
        opened = BASS_Init(1, 44100, 0, nullptr, nullptr);
        device = BASS_GetDevice();
        BASS_Free();
    });
    unsetenv("ALSA_CONFIG_PATH");
    if (restore.empty())
        unsetenv("SDL_AUDIODRIVER");
    else
        setenv("SDL_AUDIODRIVER", restore.c_str(), 1);
    fs::remove_all(dir);

    EXPECT_TRUE(opened);
    EXPECT_EQ(0u, device) << "the silent device";
    EXPECT_EQ(std::string::npos, said.find("ALSA lib")) << said;
}

}  // namespace
