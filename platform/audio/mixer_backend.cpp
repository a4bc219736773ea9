// The real output: SDL2_mixer, 44.1 kHz 16-bit stereo, 128 mixing channels.
// Files are opened through the file layer (backslash paths, any letter case).
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/audio/device.h"
#include "platform/crt.h"

namespace platform {
namespace audio {
namespace {

constexpr int kMixingChannels = 128;

std::atomic<uint64_t> g_framesMixed{0};
std::atomic<int> g_bytesPerFrame{4};

void SDLCALL CountFrames(void*, Uint8*, int len)
{
    g_framesMixed += uint64_t(len / g_bytesPerFrame.load());
}

SDL_RWops* OpenFile(const char* path)
{
    FILE* f = crt::fopen(path, "rb");
    if (!f)
        return nullptr;
    SDL_RWops* rw = SDL_RWFromFP(f, SDL_TRUE);
    if (!rw)
        fclose(f);
    return rw;
}

// The sound library SDL loads for ALSA prints every failure of a device it cannot
// open straight to standard error ("ALSA lib ..."); a machine without a sound card
// would greet the player with a page of them before the game falls back to its
// silent output, which the game's own log reports once. Its error hook is global
// to the library, so setting it on our own handle quiets SDL's copy as well.
void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsaLibrary()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    using ErrorHook = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHook = int (*)(ErrorHook);
    // Kept open for the whole run: the hook must outlive SDL's use of the library.
    void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return;
    if (void* set = dlsym(library, "snd_lib_error_set_handler"))
        reinterpret_cast<SetHook>(set)(QuietAlsaError);
}

// Pan law: the centre plays both sides at full level; panning right scales the
// left side by (100 - pan) / 100, and the mirror for the left.
void ApplyPan(int ch, int pan)
{
    Uint8 left = 255, right = 255;
    if (pan > 0)
        left = Uint8(255 * (100 - pan) / 100);
    else if (pan < 0)
        right = Uint8(255 * (100 + pan) / 100);
    Mix_SetPanning(ch, left, right);
}

int ToMixVolume(int volume) { return volume * MIX_MAX_VOLUME / 100; }

// The mixer converts a sound into a buffer sized for the widest step of the conversion
// (four times a mono 16-bit file) and keeps all of it; only the converted samples stay.
void ShrinkToSamples(Mix_Chunk* chunk)
{
    if (!chunk->allocated || chunk->alen == 0)
        return;
    if (void* fitted = SDL_realloc(chunk->abuf, chunk->alen))
        chunk->abuf = static_cast<Uint8*>(fitted);
}

// A sound file decoded into the mixer's output format. The samples are made when the
// sound is first played: most of the game's sounds are never heard on a given screen,
// and decoded they take twice the file's size (mono files play as stereo).
struct LoadedSample
{
    std::string path;
    Mix_Chunk* chunk = nullptr;
};

Mix_Chunk* DecodeSample(const std::string& path)
{
    SDL_RWops* rw = OpenFile(path.c_str());
    if (!rw)
        return nullptr;
    Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 1);
    if (chunk)
        ShrinkToSamples(chunk);
    return chunk;
}

class MixerDevice : public Device
{
public:
    // Without a sound device the game runs on SDL's silent driver: sounds load and
    // play against it and nothing is heard.
    bool Open(uint32_t rate) override
    {
        silent_ = false;
        if (!OpenOutput(rate))
        {
            SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
            silent_ = OpenOutput(rate);
            SDL_ResetHint(SDL_HINT_AUDIODRIVER);
            if (!silent_)
                return false;
        }
        int freq = 0, channels = 0;
        Uint16 format = 0;
        Mix_QuerySpec(&freq, &format, &channels);
        g_bytesPerFrame = std::max(1, channels * int(SDL_AUDIO_BITSIZE(format) / 8));
        g_framesMixed = 0;
        Mix_AllocateChannels(kMixingChannels);
        Mix_SetPostMix(CountFrames, nullptr);
        open_ = true;
        return true;
    }

    bool Silent() const override { return silent_; }

    void Close() override
    {
        if (!open_)
            return;
        Mix_SetPostMix(nullptr, nullptr);
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        open_ = false;
    }

    int MixingChannels() const override { return kMixingChannels; }
    uint64_t FramesMixed() override { return g_framesMixed.load(); }

    // The file is decoded once here, for its length and to refuse a bad one, and again
    // when the sound is first played.
    void* LoadSample(const char* path, uint32_t* frames, uint32_t* bytes, uint32_t* rate) override
    {
        Mix_Chunk* chunk = DecodeSample(path);
        if (!chunk)
            return nullptr;
        *bytes = chunk->alen;
        *frames = chunk->alen / uint32_t(g_bytesPerFrame.load());
        *rate = 44100;
        Mix_FreeChunk(chunk);
        return new LoadedSample{path, nullptr};
    }

    void FreeSample(void* sample) override
    {
        auto* s = static_cast<LoadedSample*>(sample);
        if (s->chunk)
            Mix_FreeChunk(s->chunk);
        delete s;
    }

    bool StartChannel(int ch, void* sample, bool loop, int volume, int pan) override
    {
        auto* s = static_cast<LoadedSample*>(sample);
        if (!s->chunk)
            s->chunk = DecodeSample(s->path);
        if (!s->chunk)
            return false;
        // Volume and panning go on before the start so that no buffer plays unpanned.
        Mix_Volume(ch, ToMixVolume(volume));
        ApplyPan(ch, pan);
        if (Mix_PlayChannel(ch, s->chunk, loop ? -1 : 0) < 0)
        {
            Mix_UnregisterAllEffects(ch);
            return false;
        }
        return true;
    }

    bool IsPlaying(int ch) override { return Mix_Playing(ch) != 0; }
    void HaltChannel(int ch) override { Mix_HaltChannel(ch); }
    void SetChannelVolume(int ch, int volume) override { Mix_Volume(ch, ToMixVolume(volume)); }
    void PauseChannel(int ch) override { Mix_Pause(ch); }
    void PauseAll() override { Mix_Pause(-1); }
    void ResumeAll() override { Mix_Resume(-1); }

    void* LoadMusic(const char* path) override
    {
        SDL_RWops* rw = OpenFile(path);
        if (!rw)
            return nullptr;
        return Mix_LoadMUS_RW(rw, 1);
    }

    void FreeMusic(void* music) override { Mix_FreeMusic(static_cast<Mix_Music*>(music)); }

    bool PlayMusic(void* music, bool loop) override
    {
        return Mix_PlayMusic(static_cast<Mix_Music*>(music), loop ? -1 : 1) == 0;
    }

    void PauseMusic() override { Mix_PauseMusic(); }
    void ResumeMusic() override { Mix_ResumeMusic(); }
    void HaltMusic() override { Mix_HaltMusic(); }
    void SetMusicVolume(int volume) override { Mix_VolumeMusic(ToMixVolume(volume)); }

private:
    static bool OpenOutput(uint32_t rate)
    {
        QuietAlsaLibrary();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0)
            return false;
        Mix_Init(MIX_INIT_OGG);
        if (Mix_OpenAudio(int(rate), AUDIO_S16LSB, 2, 1024) == 0)
            return true;
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }

    bool open_ = false;
    bool silent_ = false;
};

}  // namespace

std::unique_ptr<Device> MakeMixerDevice() { return std::make_unique<MixerDevice>(); }

}  // namespace audio
}  // namespace platform
