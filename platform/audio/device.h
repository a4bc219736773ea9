// Inside the audio layer: what the BASS_* bookkeeping needs of an output device.
// Two devices exist: the SDL2_mixer one and the recording one used by tests.
// The bookkeeping (handles, generations, playback caps, pause state) lives in
// bass_api.cpp and is the same for both.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
namespace audio {

// A decode-only stream: 16-bit little-endian PCM at the source's rate and
// channel count.
class Decoder
{
public:
    virtual ~Decoder() = default;
    virtual uint32_t Rate() const = 0;
    virtual uint32_t Channels() const = 0;
    // Bytes placed in buffer (up to length); 0 at the end of the data; negative
    // when the data cannot be decoded.
    virtual long Read(uint8_t* buffer, uint32_t length) = 0;
    // Total decoded length in bytes, 0 when unknown.
    virtual uint64_t TotalBytes() const { return 0; }
};

// Vorbis files through libvorbisfile; null when the file cannot be opened.
std::unique_ptr<Decoder> OpenVorbisDecoder(const char* path);

class Device
{
public:
    virtual ~Device() = default;

    // false when no output device can be opened.
    virtual bool Open(uint32_t rate) = 0;
    virtual void Close() = 0;
    // true when Open found no sound device and plays to a silent one.
    virtual bool Silent() const { return false; }
    virtual int MixingChannels() const = 0;
    // Output frames mixed since Open: the clock playback positions are measured by.
    virtual uint64_t FramesMixed() = 0;

    // A loaded sample; null when the file cannot be loaded. frames: length in
    // output frames; bytes: length of the data as loaded; rate: its sample rate.
    virtual void* LoadSample(const char* path, uint32_t* frames, uint32_t* bytes, uint32_t* rate) = 0;
    virtual void FreeSample(void* sample) = 0;

    // Starts sample on mixing channel ch with volume 0..100 and pan -100..100.
    virtual bool StartChannel(int ch, void* sample, bool loop, int volume, int pan) = 0;
    // A paused channel still counts as playing.
    virtual bool IsPlaying(int ch) = 0;
    virtual void HaltChannel(int ch) = 0;
    virtual void SetChannelVolume(int ch, int volume) = 0;
    virtual void PauseChannel(int ch) = 0;
    virtual void PauseAll() = 0;
    virtual void ResumeAll() = 0;

    // Music: one plays at a time.
    virtual void* LoadMusic(const char* path) = 0;
    virtual void FreeMusic(void* music) = 0;
    virtual bool PlayMusic(void* music, bool loop) = 0;
    virtual void PauseMusic() = 0;
    virtual void ResumeMusic() = 0;
    virtual void HaltMusic() = 0;
    virtual void SetMusicVolume(int volume) = 0;

    virtual std::unique_ptr<Decoder> OpenDecoder(const char* path) { return OpenVorbisDecoder(path); }

    // The recording device refuses chosen calls on a test's demand.
    virtual bool Refuses(const char* /*call*/) { return false; }
};

std::unique_ptr<Device> MakeMixerDevice();

// The device the next BASS_Init uses (the mixer one unless a test chose the
// recording one). Replacing it while the library is started frees everything.
void SetDevice(std::unique_ptr<Device> device);

// Calls are reported here while a recorder is installed (see recording.h).
void ReportCall(const char* name, std::initializer_list<int64_t> args, const std::string& text, uint32_t result);
// File name of a sample or stream handle, for the recorder's readable log.
std::string NameOfHandle(uint32_t handle);
// Mixing channel of a live channel handle; -1 when stale, ended or not a channel.
int MixingChannelOf(uint32_t handle);
// The music stream that plays (or is held by a stop or pause), 0 when none.
uint32_t CurrentMusic();

}  // namespace audio
}  // namespace platform
