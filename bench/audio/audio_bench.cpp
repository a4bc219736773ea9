// Costs of the sound bank's hot paths on the recording backend (the bookkeeping
// without a sound device), and of decoding one sound at first start.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "audio/SoundBank.h"
#include "audio/SoundConversion.h"
#include "platform/audio/recording.h"

namespace fs = std::filesystem;

namespace {

const std::string kSfx = std::string(ORB_GAME_DIR) + "/Data/Sfx/";

// One panned playback with its ring bookkeeping; every playback ends at once so
// the per-sample cap never kicks in.
void BM_PlayPanned(benchmark::State& state)
{
    platform::audio::AudioRecorder& rec = platform::audio::UseRecordingBackend();
    CSoundBank bank;
    if (bank.Init(nullptr) || (bank.LoadVolumeConfig((kSfx + "Vol.cfg").c_str()), bank.LoadSounds(kSfx.c_str())) != 0)
    {
        state.SkipWithError("the game folder has not been generated");
        return;
    }
    float x = -400.0f;
    for (auto _ : state)
    {
        bank.PlayPanned(bank.Select, x, -1, 0);
        x = x > 400.0f ? -400.0f : x + 13.0f;
        rec.calls.clear();
        rec.EndAll();
    }
}
BENCHMARK(BM_PlayPanned);

// A master-volume change over all 63 sounds with full rings.
void BM_SetVolume(benchmark::State& state)
{
    platform::audio::AudioRecorder& rec = platform::audio::UseRecordingBackend();
    CSoundBank bank;
    if (bank.Init(nullptr) || bank.LoadSounds(kSfx.c_str()) != 0)
    {
        state.SkipWithError("the game folder has not been generated");
        return;
    }
    for (const CRefPtr<CSound>& s : bank.allSounds)
        for (int i = 0; i < 6; ++i)
            bank.Play(s, 0, 0);
    float v = 0.0f;
    for (auto _ : state)
    {
        bank.SetVolume(v);
        v = v > 1.0f ? 0.0f : v + 0.01f;
        rec.calls.clear();
    }
}
BENCHMARK(BM_SetVolume);

// Decoding the longest sound effect into a wave file.
void BM_ConvertOggToWav(benchmark::State& state)
{
    platform::audio::UseRecordingBackend();
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr) || !fs::exists(kSfx + "Win.ogg"))
    {
        state.SkipWithError("the game folder has not been generated");
        return;
    }
    std::string target = (fs::temp_directory_path() / "orb_bench_Win.wav").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertOggToWav((kSfx + "Win.ogg").c_str(), target.c_str()));
    std::remove(target.c_str());
    BASS_Free();
}
BENCHMARK(BM_ConvertOggToWav)->Unit(benchmark::kMillisecond);

}  // namespace
